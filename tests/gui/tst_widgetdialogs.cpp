// The dialogs: message and input boxes through the dialog service, the common file dialog's
// settings, rules and answers, and the widgets the user then sees and answers.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "core/files/CommDialog.h"
#include "gui/dialogs/WidgetDialogHandler.h"
#include "gui/dialogs/frmSplash.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

using Kind = FileDialogRequest::Kind;
Q_DECLARE_METATYPE(FileDialogRequest::Kind)
Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgResult)

namespace {

// which: 0 open, 1 open several, 2 save, 3 folder
QString show(CommDialog& dialog, int which, bool clear) {
    return which == 3   ? dialog.ShowDir(clear)
           : which == 2 ? dialog.ShowSave(clear)
                        : dialog.ShowOpen(clear, which == 1);
}

// A message box: what is asked for, the sorted button texts and default button shown, the
// icon shown, the button clicked ("": closed without one) and the answer.
struct Box {
    MsgButtons buttons;
    int defaultButton;
    MsgIcon icon;
    const char *texts, *defaultText;
    QMessageBox::Icon shownIcon;
    const char* click;
    MsgResult result;
    const char* extra = "";  // the caller's own button
};

// A file dialog: the kind, flags and title asked for, and the title, mode and overwrite
// question it shows.
struct FileBox {
    Kind kind;
    quint32 flags;
    const char *title, *shownTitle;
    QFileDialog::FileMode fileMode;
    bool confirmOverwrite;
};

// The texts of buttons, sorted and joined by blanks.
QString buttonTexts(const QList<QAbstractButton*>& buttons) {
    QStringList texts;
    for (const QAbstractButton* button : buttons) {
        texts.append(button->text());
    }
    std::sort(texts.begin(), texts.end());
    return texts.join(u' ');
}

QAbstractButton* buttonWithText(const QMessageBox& box, const QString& text) {
    const QList<QAbstractButton*> buttons = box.buttons();
    const auto found = std::find_if(buttons.begin(), buttons.end(),
                                    [&text](QAbstractButton* b) { return b->text() == text; });
    return found == buttons.end() ? nullptr : *found;
}

// Acts on the next modal dialog, and rejects any modal dialog still open after 5 s, so a
// test running a real modal loop never hangs.
std::unique_ptr<QTimer> answerNextModal(std::function<void(QDialog*)> act) {
    auto timer = std::make_unique<QTimer>();
    QObject::connect(
        timer.get(), &QTimer::timeout,
        [act = std::move(act), acted = false, deadline = QDeadlineTimer(5000)]() mutable {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog && !acted) {
                acted = true;
                act(dialog);
            } else if (dialog && deadline.hasExpired()) {
                dialog->reject();
            }
        });
    timer->start(10);
    return timer;
}

}  // namespace

Q_DECLARE_METATYPE(Box)
Q_DECLARE_METATYPE(FileBox)

class TestWidgetDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;
    QString m_folder;  // an existing folder with a blank and Chinese in its name
    QString m_oldCurrent = QDir::currentPath();

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_temp.isValid());
        m_folder = m_temp.path() + u8("/影片 輸出");
        QVERIFY(QDir().mkpath(m_folder));
        for (const QString& name : {u8("a.flv"), u8("-b.flv")}) {
            QVERIFY(testsupport::writeFile(m_folder + u'/' + name));
        }
        const QString current = m_temp.path() + u8("/目前 資料夾");
        QVERIFY(QDir().mkpath(current) && QDir::setCurrent(current));
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldCurrent); }
    void init() { DialogService::setHandler(nullptr); }

    void filter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("open filter")
            << u8("支援處理的檔案 (flv ; mpg ; dat ; vob)|*.flv;*.mpg;*.vob;"
                  "|支援播放的多媒體檔案|*.wm?;*.m?v;|所有檔案|*.*")
            << QStringList{u8("支援處理的檔案 (flv ; mpg ; dat ; vob) (*.flv *.mpg *.vob)"),
                           u8("支援播放的多媒體檔案 (*.wm? *.m?v)"), u8("所有檔案 (*.*)")};
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("description without pattern") << "A|*.a|B" << QStringList{u8("A (*.a)")};
        QTest::newRow("empty part ends the list")
            << "A|*.a||*.b|C|*.c" << QStringList{u8("A (*.a)")};
        QTest::newRow("blanks around patterns")
            << "影片| *.flv ; *.mp4 " << QStringList{u8("影片 (*.flv *.mp4)")};
    }
    // request() checks that setFilter hands this list to the dialogs.
    void filter() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(CommDialog::convertFilter(filter), expected);
    }

    // The filter index reads 1 until set, is offered 0-based and follows the
    // user's pick; a cancel leaves it.
    void filterIndexFollowsPick() {
        CommDialog dialog;
        dialog.setFilterIndex(0);
        QCOMPARE(dialog.FilterIndex(), 1);
        dialog.setFilter(u8("A|*.a|B|*.b|C|*.c|D|*.*"));
        dialog.setFilterIndex(4);
        ScriptedDialogs dialogs;
        dialogs.answerFile({u8("/v/a.b")}, 1);
        dialogs.cancelFile();
        dialogs.answerFile({u8("/v/c.c")}, 2);
        QList<int> seen;
        for (int which : {0, 2, 1}) {
            show(dialog, which, false);
            seen << dialogs.fileDialogs().constLast().filterIndex << dialog.FilterIndex();
        }
        QCOMPARE(seen, QList<int>({3, 2, 1, 2, 1, 3}));
    }

    // An empty InitDir offers the last folder and keeps it: the start folder at first,
    // then the folder of the last file picked (not of a folder picked, nor of a file
    // picked with the no-change-folder flag). clearInitDir empties it after a pick only.
    void initDirRule() {
        CommDialog::setLastFolder(QString());
        const QString current = QDir::currentPath();
        const QString videos = u8("/srv/影片 庫");
        ScriptedDialogs dialogs;
        CommDialog dialog;
        QStringList seen;  // offered, then kept, after each dialog
        const auto showAnd = [&](int which, bool pick, bool clear) {
            pick ? dialogs.answerFile({u8("/srv/a.flv")}) : dialogs.cancelFile();
            show(dialog, which, clear);
            seen << dialogs.fileDialogs().constLast().initDir << dialog.InitDir();
        };
        showAnd(1, true, false);
        dialog.setInitDir(QString());
        showAnd(0, true, true);
        dialog.setInitDir(videos);
        showAnd(2, false, true);
        showAnd(3, true, true);
        showAnd(3, false, true);
        dialog.setInitDir(QString());
        dialog.setOpenFlags(CommDialog::noChangeDirFlag);
        dialogs.answerFile({u8("/elsewhere/b.flv")});
        dialog.ShowOpen(true, false);
        showAnd(0, false, false);
        const QString srv = u8("/srv");
        QCOMPARE(seen, QStringList({current, current, srv, QString(), videos, videos, videos,
                                    QString(), srv, srv, srv, srv}));
    }

    void request_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<quint32>("flags");
        QTest::newRow("open") << 0 << Kind::Open << quint32(0x81004);
        QTest::newRow("open several") << 1 << Kind::OpenMulti << quint32(0x81204);
        QTest::newRow("save") << 2 << Kind::Save << quint32(6);
        QTest::newRow("folder") << 3 << Kind::Folder << quint32(0x64);
    }
    // Each dialog shows what the caller set; a folder dialog has no file.
    void request() {
        QFETCH(int, which);
        QFETCH(Kind, kind);
        QFETCH(quint32, flags);
        const QString title = u8("請選取儲存目錄\r\n強烈建議你新建一個資料夾！");
        auto owner = std::make_unique<QObject>();
        CommDialog dialog;
        dialog.setOwnerWindow(owner.get());
        dialog.setDialogTitle(title);
        dialog.setOpenFlags(0x81004);
        dialog.setSaveFlags(6);
        dialog.setBrowseFlags(0x64);
        dialog.setInitDir(u8("/srv/影片"));
        dialog.setFileName(u8("舊檔.flv"));
        dialog.setDefaultExt(u8(".flv"));
        dialog.setFilter(u8("FLV 檔案格式 (*.flv)|*.flv"));
        ScriptedDialogs dialogs;
        dialogs.cancelFile();
        show(dialog, which, false);
        const FileDialogRequest shown = dialogs.fileDialogs().constFirst();
        QCOMPARE(shown.kind, kind);
        QCOMPARE(shown.flags, flags);
        QCOMPARE(shown.owner, owner.get());
        const bool file = kind != Kind::Folder;
        QCOMPARE(QStringList({shown.title, shown.initDir, shown.fileName, shown.defaultExt}) +
                     shown.filters,
                 QStringList(
                     {title, u8("/srv/影片"), u8(file ? "舊檔.flv" : ""), u8(file ? ".flv" : "")}) +
                     (file ? QStringList(u8("FLV 檔案格式 (*.flv)")) : QStringList()));
        QCOMPARE(dialog.OpenFlags(), quint32(0x81004));  // the multiple flag is not kept
        // The shared instance outlives its owners: a dialog must never get a dead window.
        owner.reset();
        dialogs.cancelFile();
        show(dialog, which, false);
        QCOMPARE(dialogs.fileDialogs().constLast().owner, nullptr);
    }

    void fileNameLimit() {
        const QString longest = QString(994, u'a') + u8(".flv");  // 998 characters
        ScriptedDialogs dialogs;
        CommDialog dialog;
        QStringList offered;
        for (const QString& name :
             {longest, longest + u'x', u8("a.flv") + QChar(u'\0') + u8("b")}) {
            dialogs.cancelFile();
            dialog.setFileName(name);
            dialog.ShowSave(false);
            offered << dialogs.fileDialogs().constLast().fileName;
        }
        // Too long: not offered; cut at a NUL.
        QCOMPARE(offered, QStringList({longest, QString(), u8("a.flv")}));
    }

    void answers_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QStringList>("picked");
        QTest::addColumn<QString>("result");  // returned|FileName|FileTitle|FileExt|FileArray
        const auto row = [](const char* tag, int which, const char* picked, const char* result) {
            QTest::newRow(tag) << which << u8(picked).split(u'*') << u8(result);
        };
        row("open, upper-case extension", 0, "/srv/影片 庫/-My \"Clip\".FLV",
            "/srv/影片 庫/-My \"Clip\".FLV|/srv/影片 庫/-My \"Clip\".FLV|-My \"Clip\".FLV|flv|");
        row("save, dot only in a folder name", 2, "/srv/a.b/clip",
            "/srv/a.b/clip|/srv/a.b/clip|clip||");
        row("save, trailing blank kept", 2, "/srv/v/a.mpg ",
            "/srv/v/a.mpg |/srv/v/a.mpg |a.mpg |mpg|");
        row("open several, in their order", 1, "/srv/v/c.vob*/srv/v/a 1.flv*/srv/v/影片.mpg",
            "3|舊的.flv|||/srv/v/c.vob*/srv/v/a 1.flv*/srv/v/影片.mpg");
        row("open several, one", 1, "/srv/v/只有一個.flv", "1|舊的.flv|||/srv/v/只有一個.flv");
        row("folder", 3, "/home/u/影片 輸出", "/home/u/影片 輸出/|舊的.flv|old.Avi|avi|");
        row("folder with separator", 3, "/home/u/", "/home/u/|舊的.flv|old.Avi|avi|");
    }
    // A pick, then a cancel: file dialogs forget the file, a folder dialog
    // leaves it and the last pick's title. A multiple pick clears that title.
    void answers() {
        QFETCH(int, which);
        QFETCH(QStringList, picked);
        QFETCH(QString, result);
        ScriptedDialogs dialogs;
        dialogs.answerFile({u8("/srv/old.Avi")});
        dialogs.answerFile(picked);
        dialogs.cancelFile();
        CommDialog dialog;
        dialog.ShowOpen(false, false);  // fills FileTitle and FileExt
        dialog.setFileName(u8("舊的.flv"));
        const auto shown = [&dialog](const QString& returned) {
            return QStringList({returned, dialog.FileName(), dialog.FileTitle(), dialog.FileExt(),
                                dialog.FileArray().join(u'*')})
                .join(u'|');
        };
        QCOMPARE(shown(show(dialog, which, true)), result);
        QCOMPARE(shown(show(dialog, which, true)).section(u'|', 0, 3),
                 which == 3 ? u8("|舊的.flv|old.Avi|avi") : u8("|||"));
    }

    void msgBox_showsRequest() {
        const QString text = u8("確定要結束嗎？\r\n範圍標記尚未儲存");
        QObject owner;
        ScriptedDialogs dialogs;
        dialogs.answerMessage(MsgResult::Ok);
        dialogs.answerMessage(MsgResult::No);
        QCOMPARE(msgBox(text), MsgResult::Ok);
        QCOMPARE(
            msgBox(text, MsgButtons::YesNoCancel, u8("注意事項"), MsgIcon::Exclamation, &owner, 2),
            MsgResult::No);
        QCOMPARE(dialogs.messages().size(), 2);
        const MessageRequest plain = dialogs.messages().constFirst();
        QCOMPARE(plain.title, u8("Zelvo.FLV"));
        QCOMPARE(plain.buttons, MsgButtons::Ok);
        const MessageRequest shown = dialogs.lastMessage();
        QCOMPARE(shown.text, text);
        QCOMPARE(shown.title, u8("注意事項"));
        QCOMPARE(shown.buttons, MsgButtons::YesNoCancel);
        QCOMPARE(shown.icon, MsgIcon::Exclamation);
        QCOMPARE(shown.defaultButton, 2);
        QCOMPARE(shown.owner, &owner);
    }

    void inputBox_answers() {
        ScriptedDialogs dialogs;
        dialogs.answerInput(u8("http://a/b.flv"));
        dialogs.answerInput(QString());
        dialogs.cancelInput();
        QObject owner;
        bool cancelled = true;
        QCOMPARE(inputBox(u8("請輸入網址"), QString(), u8("http://"), &owner, &cancelled),
                 u8("http://a/b.flv"));
        QVERIFY(!cancelled);
        const InputRequest& shown = dialogs.inputs().constFirst();
        QCOMPARE(shown.prompt, u8("請輸入網址"));
        QCOMPARE(shown.title, u8("Zelvo.FLV"));
        QCOMPARE(shown.defaultText, u8("http://"));
        QCOMPARE(shown.owner, &owner);
        cancelled = true;
        QCOMPARE(inputBox(u8("秒數"), u8("注意事項"), QString(), nullptr, &cancelled), QString());
        QVERIFY(!cancelled);  // an empty answer is not a cancel
        QCOMPARE(dialogs.inputs().at(1).title, u8("注意事項"));
        QCOMPARE(inputBox(u8("秒數"), QString(), QString(), nullptr, &cancelled), QString());
        QVERIFY(cancelled);
    }

    void noHandler_neverBlocks_data() {
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<MsgResult>("expected");
        QTest::newRow("ok") << MsgButtons::Ok << MsgResult::Ok;
        QTest::newRow("ok cancel") << MsgButtons::OkCancel << MsgResult::Cancel;
        QTest::newRow("yes no") << MsgButtons::YesNo << MsgResult::No;
        QTest::newRow("yes no cancel") << MsgButtons::YesNoCancel << MsgResult::Cancel;
    }
    // Without a handler every dialog is answered at once, as by a user closing it.
    void noHandler_neverBlocks() {
        QFETCH(MsgButtons, buttons);
        QFETCH(MsgResult, expected);
        for (int box = 0; box < 3; ++box) {  // each kind of box leaves a warning
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u8("^Unanswered")));
        }
        QCOMPARE(msgBox(u8("要刪除檔案嗎？"), buttons), expected);
        bool cancelled = false;
        QCOMPARE(inputBox(u8("網址"), QString(), u8("http://"), nullptr, &cancelled), QString());
        QVERIFY(cancelled);
        QVERIFY(!DialogService::handler().fileDialog(FileDialogRequest{}).accepted);
    }

    void messageBox_data() {
        QTest::addColumn<Box>("b");
        const auto row = [](const char* tag, const Box& b) { QTest::newRow(tag) << b; };
        row("ok", {MsgButtons::Ok, 0, MsgIcon::Information, "確定", "確定",
                   QMessageBox::Information, "確定", MsgResult::Ok});
        row("yes no, no default", {MsgButtons::YesNo, 1, MsgIcon::Question, "否 是", "否",
                                   QMessageBox::Question, "是", MsgResult::Yes});
        row("yes no cancel, cancel default",
            {MsgButtons::YesNoCancel, 2, MsgIcon::Exclamation, "取消 否 是", "取消",
             QMessageBox::Warning, "否", MsgResult::No});
        row("default past the last button",
            {MsgButtons::OkCancel, 3, MsgIcon::Critical, "取消 確定", "確定", QMessageBox::Critical,
             "取消", MsgResult::Cancel});
        row("closed yes no", {MsgButtons::YesNo, 0, MsgIcon::None, "否 是", "是",
                              QMessageBox::NoIcon, "", MsgResult::No});
        row("ok cancel and the caller's own, chosen",
            {MsgButtons::OkCancel, 0, MsgIcon::Critical, "修復檔案 取消 確定", "確定",
             QMessageBox::Critical, "修復檔案", MsgResult::Extra, "修復檔案"});
        row("ok cancel and the caller's own, ok",
            {MsgButtons::OkCancel, 0, MsgIcon::Critical, "修復檔案 取消 確定", "確定",
             QMessageBox::Critical, "確定", MsgResult::Ok, "修復檔案"});
    }
    void messageBox() {
        QFETCH(Box, b);
        QWidget owner;
        MessageRequest request;
        request.text = u8("檔案 <a.flv> 已存在\r\n要覆蓋嗎？");
        request.title = u8("注意事項");
        request.buttons = b.buttons;
        request.icon = b.icon;
        request.defaultButton = b.defaultButton;
        request.owner = &owner;
        request.extraButton = u8(b.extra);
        const auto box = WidgetDialogHandler::buildMessageBox(request);
        QCOMPARE(box->windowTitle(), u8("注意事項"));
        QCOMPARE(box->text(), u8("檔案 <a.flv> 已存在\n要覆蓋嗎？"));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(buttonTexts(box->buttons()), u8(b.texts));
        QVERIFY(box->defaultButton());
        QCOMPARE(box->defaultButton()->text(), u8(b.defaultText));
        QCOMPARE(box->icon(), b.shownIcon);
        QCOMPARE(box->parentWidget(), &owner);
        if (*b.click != 0) {
            QAbstractButton* button = buttonWithText(*box, u8(b.click));
            QVERIFY(button);
            button->click();  // a hidden box finishes without a modal loop
        }
        QCOMPARE(WidgetDialogHandler::messageResult(*box, b.buttons), b.result);
    }

    void inputDialog_built() {
        QWidget owner;
        // prompt, title, default text, owner
        InputRequest request{u8("請輸入 <網址>\r\n例如 http://"), u8("Zelvo.FLV"), u8("http://"),
                             &owner};
        const auto dialog = WidgetDialogHandler::buildInputDialog(request);
        QCOMPARE(dialog->windowTitle(), u8("Zelvo.FLV"));
        QCOMPARE(dialog->parentWidget(), &owner);
        const auto* label = dialog->findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), u8("請輸入 <網址>\n例如 http://"));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        const auto* edit = dialog->findChild<QLineEdit*>();
        QVERIFY(edit);
        QCOMPARE(edit->text(), u8("http://"));
        QCOMPARE(buttonTexts(dialog->findChildren<QAbstractButton*>()), u8("取消 確定"));
        // Without a window of its own a dialog belongs to the active window.
        owner.show();
        QApplication::setActiveWindow(&owner);
        QVERIFY(testsupport::waitUntil([&owner] { return owner.isActiveWindow(); }, 2000));
        QObject notAWidget;
        request.owner = &notAWidget;
        QCOMPARE(WidgetDialogHandler::buildInputDialog(request)->parentWidget(), &owner);
        QCOMPARE(WidgetDialogHandler::buildMessageBox(MessageRequest{})->parentWidget(), &owner);
    }

    void fileDialog_built_data() {
        QTest::addColumn<FileBox>("f");
        const auto row = [](const char* tag, const FileBox& f) { QTest::newRow(tag) << f; };
        const auto any = QFileDialog::AnyFile;
        row("open", {Kind::Open, 0x81004, "", "開啟舊檔", QFileDialog::ExistingFile, true});
        row("open, any name", {Kind::Open, 0, "開啟清單", "開啟清單", any, true});
        row("open several",
            {Kind::OpenMulti, 0x81204, "", "開啟舊檔", QFileDialog::ExistingFiles, true});
        row("save", {Kind::Save, 6, "", "另存新檔", any, true});
        row("save, no overwrite question", {Kind::Save, 4, "另存", "另存", any, false});
        row("folder", {Kind::Folder, 0x64, "請選取儲存目錄\r\n強烈建議你新建一個資料夾！",
                       "瀏覽資料夾", QFileDialog::Directory, true});
    }
    void fileDialog_built() {
        QFETCH(FileBox, f);
        QWidget owner;
        FileDialogRequest request;
        request.kind = f.kind;
        request.flags = f.flags;
        request.title = u8(f.title);
        request.initDir = m_folder;
        request.fileName = u8("新 檔案_part.flv");
        // A description may carry parentheses of its own.
        request.filters =
            CommDialog::convertFilter(u8("支援處理的檔案 (flv ; mpg)|*.flv;*.mpg;|所有檔案|*.*"));
        request.filterIndex = 1;
        request.defaultExt = u8(".flv");
        request.owner = &owner;
        const auto dialog = WidgetDialogHandler::buildFileDialog(request);
        QCOMPARE(dialog->parentWidget(), &owner);
        QCOMPARE(dialog->windowTitle(), u8(f.shownTitle));
        QCOMPARE(dialog->fileMode(), f.fileMode);
        QCOMPARE(dialog->acceptMode(),
                 f.kind == Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        const char* accept = f.kind == Kind::Save     ? "儲存"
                             : f.kind == Kind::Folder ? "確定"
                                                      : "開啟";
        QCOMPARE(dialog->labelText(QFileDialog::Accept), u8(accept));
        QCOMPARE(dialog->labelText(QFileDialog::Reject), u8("取消"));
        QCOMPARE(dialog->directory().absolutePath(), m_folder);
        QCOMPARE(dialog->testOption(QFileDialog::DontConfirmOverwrite), !f.confirmOverwrite);

        const auto* prompt = dialog->findChild<QLabel*>(u8("folderPrompt"));
        const auto* types = dialog->findChild<QComboBox*>(u8("fileTypeCombo"));
        QVERIFY(types);
        if (f.kind == Kind::Folder) {
            QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
            QVERIFY(prompt);
            QCOMPARE(prompt->text(), u8("請選取儲存目錄\n強烈建議你新建一個資料夾！"));
            QVERIFY(types->isHidden());
            QCOMPARE(dialog->labelText(QFileDialog::FileName), u8("資料夾："));
            QCOMPARE(WidgetDialogHandler::fileDialogReply(*dialog, request, true).paths,
                     QStringList{m_folder});
            return;
        }
        QVERIFY(!prompt);
        QCOMPARE(dialog->labelText(QFileDialog::FileName), u8("檔案名稱："));
        QCOMPARE(dialog->labelText(QFileDialog::FileType), u8("檔案類型："));
        // The user reads the descriptions alone; the list follows the chosen patterns.
        QCOMPARE(types->count(), 2);
        QCOMPARE(types->itemText(0), u8("支援處理的檔案 (flv ; mpg)"));
        QCOMPARE(types->itemText(1), u8("所有檔案"));
        QCOMPARE(dialog->selectedNameFilter(), u8("所有檔案"));
        const auto* model = dialog->findChild<QFileSystemModel*>();
        QVERIFY(model);
        QCOMPARE(model->nameFilters(), QStringList{u8("*.*")});
        dialog->selectNameFilter(request.filters.at(0));
        QCOMPARE(model->nameFilters(), (QStringList{u8("*.flv"), u8("*.mpg")}));
        QCOMPARE(dialog->defaultSuffix(), u8("flv"));
        const auto* nameEdit = dialog->findChild<QLineEdit*>(u8("fileNameEdit"));
        QVERIFY(nameEdit);
        QCOMPARE(nameEdit->text(), u8("新 檔案_part.flv"));

        dialog->selectFile(u8("-b.flv"));
        FileDialogReply reply = WidgetDialogHandler::fileDialogReply(*dialog, request, true);
        QVERIFY(reply.accepted);
        QCOMPARE(reply.paths, QStringList{m_folder + u8("/-b.flv")});
        QCOMPARE(reply.filterIndex, 0);  // the filter in use when accepted
        reply = WidgetDialogHandler::fileDialogReply(*dialog, request, false);
        QVERIFY(!reply.accepted && reply.paths.isEmpty());
        QCOMPARE(reply.filterIndex, 1);  // cancelled: as offered
    }

    // A box asked for while the start-up picture shows is not hidden under it, and the box
    // is wide enough for its whole title ("No mixer found!" on a machine without sound).
    void modal_aboveTheSplash() {
        frmSplash* splash = new frmSplash;
        splash->show();
        QTRY_VERIFY_WITH_TIMEOUT(
            splash->windowHandle() != nullptr && splash->windowHandle()->isExposed(), 5000);
        WidgetDialogHandler handler;
        bool splashShown = true;
        int boxWidth = 0;
        const auto timer = answerNextModal([&](QDialog* dialog) {
            splashShown = splash->isVisible();
            boxWidth = dialog->sizeHint().width();
            dialog->accept();
        });
        MessageRequest request;
        request.text = u8("No mixer found!");
        request.title = u8("Zelvo.FLV 的音量控制找不到音效卡的混音器");
        QCOMPARE(handler.message(request), MsgResult::Ok);
        QVERIFY(!splashShown);
        QFont bold = QApplication::font();
        bold.setBold(true);
        QVERIFY2(boxWidth > QFontMetrics(bold).horizontalAdvance(request.title) + 100,
                 qPrintable(QString::number(boxWidth)));
        delete splash;
    }

    void modal_answersReachCaller() {
        WidgetDialogHandler handler;
        {
            const auto timer = answerNextModal([](QDialog* dialog) {
                auto* box = qobject_cast<QMessageBox*>(dialog);
                QAbstractButton* no = box ? buttonWithText(*box, u8("否")) : nullptr;
                no ? no->click() : dialog->reject();
            });
            MessageRequest request;
            request.buttons = MsgButtons::YesNoCancel;
            QCOMPARE(handler.message(request), MsgResult::No);
        }
        {
            const auto timer = answerNextModal([](QDialog* dialog) {
                if (auto* input = qobject_cast<QInputDialog*>(dialog)) {
                    input->setTextValue(u8("150"));
                }
                dialog->accept();
            });
            QCOMPARE(handler.input(InputRequest{}), std::optional<QString>(u8("150")));
        }
        const QString chosen = m_folder + u8("/a.flv");
        {
            const auto timer = answerNextModal([chosen](QDialog* dialog) {
                // Typed, as a user would: a selection waits for the folder to be read.
                if (auto* name = dialog->findChild<QLineEdit*>(u8("fileNameEdit"))) {
                    name->setText(chosen);
                }
                dialog->accept();
            });
            FileDialogRequest request;
            request.flags = 0x81004;
            request.initDir = QDir::rootPath();
            const FileDialogReply reply = handler.fileDialog(request);
            QVERIFY(reply.accepted);
            QCOMPARE(reply.paths, QStringList{chosen});
        }
    }
};

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widgetdialogs.moc"
