#include "TestSupport.h"
#include "services/CommDialog.h"
#include "services/WidgetDialogHandler.h"

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
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

using Kind = FileDialogRequest::Kind;

namespace {

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

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_temp.isValid());
        m_folder = m_temp.path() + QStringLiteral("/影片 輸出");
        QVERIFY(QDir().mkpath(m_folder));
        for (const QString& name : {QStringLiteral("a.flv"), QStringLiteral("-b.flv")}) {
            QFile file(m_folder + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
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
    }
    void messageBox() {
        QFETCH(Box, b);
        QWidget owner;
        MessageRequest request;
        request.text = QStringLiteral("檔案 <a.flv> 已存在\r\n要覆蓋嗎？");
        request.title = QStringLiteral("注意事項");
        request.buttons = b.buttons;
        request.icon = b.icon;
        request.defaultButton = b.defaultButton;
        request.owner = &owner;
        const auto box = WidgetDialogHandler::buildMessageBox(request);
        QCOMPARE(box->windowTitle(), QStringLiteral("注意事項"));
        QCOMPARE(box->text(), QStringLiteral("檔案 <a.flv> 已存在\n要覆蓋嗎？"));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(buttonTexts(box->buttons()), QString::fromUtf8(b.texts));
        QVERIFY(box->defaultButton());
        QCOMPARE(box->defaultButton()->text(), QString::fromUtf8(b.defaultText));
        QCOMPARE(box->icon(), b.shownIcon);
        QCOMPARE(box->parentWidget(), &owner);
        if (*b.click != 0) {
            QAbstractButton* button = buttonWithText(*box, QString::fromUtf8(b.click));
            QVERIFY(button);
            button->click();  // a hidden box finishes without a modal loop
        }
        QCOMPARE(WidgetDialogHandler::messageResult(*box, b.buttons), b.result);
    }

    void inputDialog_built() {
        QWidget owner;
        // prompt, title, default text, owner
        InputRequest request{QStringLiteral("請輸入 <網址>\r\n例如 http://"),
                             QStringLiteral("Zelvo.FLV"), QStringLiteral("http://"), &owner};
        const auto dialog = WidgetDialogHandler::buildInputDialog(request);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Zelvo.FLV"));
        QCOMPARE(dialog->parentWidget(), &owner);
        const auto* label = dialog->findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("請輸入 <網址>\n例如 http://"));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        const auto* edit = dialog->findChild<QLineEdit*>();
        QVERIFY(edit);
        QCOMPARE(edit->text(), QStringLiteral("http://"));
        QCOMPARE(buttonTexts(dialog->findChildren<QAbstractButton*>()),
                 QStringLiteral("取消 確定"));
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
        request.title = QString::fromUtf8(f.title);
        request.initDir = m_folder;
        request.fileName = QStringLiteral("新 檔案_part.flv");
        // A description may carry parentheses of its own.
        request.filters = CommDialog::convertFilter(
            QStringLiteral("支援處理的檔案 (flv ; mpg)|*.flv;*.mpg;|所有檔案|*.*"));
        request.filterIndex = 1;
        request.defaultExt = QStringLiteral(".flv");
        request.owner = &owner;
        const auto dialog = WidgetDialogHandler::buildFileDialog(request);
        QCOMPARE(dialog->parentWidget(), &owner);
        QCOMPARE(dialog->windowTitle(), QString::fromUtf8(f.shownTitle));
        QCOMPARE(dialog->fileMode(), f.fileMode);
        QCOMPARE(dialog->acceptMode(),
                 f.kind == Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        const char* accept = f.kind == Kind::Save     ? "儲存"
                             : f.kind == Kind::Folder ? "確定"
                                                      : "開啟";
        QCOMPARE(dialog->labelText(QFileDialog::Accept), QString::fromUtf8(accept));
        QCOMPARE(dialog->labelText(QFileDialog::Reject), QStringLiteral("取消"));
        QCOMPARE(dialog->directory().absolutePath(), m_folder);
        QCOMPARE(dialog->testOption(QFileDialog::DontConfirmOverwrite), !f.confirmOverwrite);

        const auto* prompt = dialog->findChild<QLabel*>(QStringLiteral("folderPrompt"));
        const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        if (f.kind == Kind::Folder) {
            QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
            QVERIFY(prompt);
            QCOMPARE(prompt->text(), QStringLiteral("請選取儲存目錄\n強烈建議你新建一個資料夾！"));
            QVERIFY(types->isHidden());
            QCOMPARE(dialog->labelText(QFileDialog::FileName), QStringLiteral("資料夾："));
            QCOMPARE(WidgetDialogHandler::fileDialogReply(*dialog, request, true).paths,
                     QStringList{m_folder});
            return;
        }
        QVERIFY(!prompt);
        QCOMPARE(dialog->labelText(QFileDialog::FileName), QStringLiteral("檔案名稱："));
        QCOMPARE(dialog->labelText(QFileDialog::FileType), QStringLiteral("檔案類型："));
        // The user reads the descriptions alone; the list follows the chosen patterns.
        QCOMPARE(types->count(), 2);
        QCOMPARE(types->itemText(0), QStringLiteral("支援處理的檔案 (flv ; mpg)"));
        QCOMPARE(types->itemText(1), QStringLiteral("所有檔案"));
        QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("所有檔案"));
        const auto* model = dialog->findChild<QFileSystemModel*>();
        QVERIFY(model);
        QCOMPARE(model->nameFilters(), QStringList{QStringLiteral("*.*")});
        dialog->selectNameFilter(request.filters.at(0));
        QCOMPARE(model->nameFilters(),
                 (QStringList{QStringLiteral("*.flv"), QStringLiteral("*.mpg")}));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("flv"));
        const auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(nameEdit);
        QCOMPARE(nameEdit->text(), QStringLiteral("新 檔案_part.flv"));

        dialog->selectFile(QStringLiteral("-b.flv"));
        FileDialogReply reply = WidgetDialogHandler::fileDialogReply(*dialog, request, true);
        QVERIFY(reply.accepted);
        QCOMPARE(reply.paths, QStringList{m_folder + QStringLiteral("/-b.flv")});
        QCOMPARE(reply.filterIndex, 0);  // the filter in use when accepted
        reply = WidgetDialogHandler::fileDialogReply(*dialog, request, false);
        QVERIFY(!reply.accepted && reply.paths.isEmpty());
        QCOMPARE(reply.filterIndex, 1);  // cancelled: as offered
    }

    void modal_answersReachCaller() {
        WidgetDialogHandler handler;
        {
            const auto timer = answerNextModal([](QDialog* dialog) {
                auto* box = qobject_cast<QMessageBox*>(dialog);
                QAbstractButton* no = box ? buttonWithText(*box, QStringLiteral("否")) : nullptr;
                no ? no->click() : dialog->reject();
            });
            MessageRequest request;
            request.buttons = MsgButtons::YesNoCancel;
            QCOMPARE(handler.message(request), MsgResult::No);
        }
        {
            const auto timer = answerNextModal([](QDialog* dialog) {
                if (auto* input = qobject_cast<QInputDialog*>(dialog)) {
                    input->setTextValue(QStringLiteral("150"));
                }
                dialog->accept();
            });
            QCOMPARE(handler.input(InputRequest{}), std::optional<QString>(QStringLiteral("150")));
        }
        const QString chosen = m_folder + QStringLiteral("/a.flv");
        {
            const auto timer = answerNextModal([chosen](QDialog* dialog) {
                // Typed, as a user would: a selection waits for the folder to be read.
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
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
