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
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

using Kind = FileDialogRequest::Kind;
Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)
Q_DECLARE_METATYPE(MsgResult)
Q_DECLARE_METATYPE(FileDialogRequest::Kind)

namespace {

QStringList sortedButtonTexts(const QList<QAbstractButton*>& buttons) {
    QStringList texts;
    for (const QAbstractButton* button : buttons) {
        texts.append(button->text());
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

QAbstractButton* buttonWithText(const QMessageBox& box, const QString& text) {
    const QList<QAbstractButton*> buttons = box.buttons();
    for (QAbstractButton* button : buttons) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

// Acts on the next modal dialog as soon as it runs, and closes any modal dialog still open
// at the deadline, so a test that runs a real modal loop can never hang.
class ModalAnswer : public QObject {
public:
    explicit ModalAnswer(std::function<void(QDialog*)> act) : m_act(std::move(act)) {
        m_deadline = QDeadlineTimer(5000);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }
    bool acted() const { return m_acted; }

private:
    void poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        if (!m_acted) {
            m_acted = true;
            m_act(dialog);
        } else if (m_deadline.hasExpired()) {
            dialog->reject();
        }
    }

    std::function<void(QDialog*)> m_act;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
    bool m_acted = false;
};

}  // namespace

class TestWidgetDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void messageBox_built_data();
    void messageBox_built();
    void messageBox_answer_data();
    void messageBox_answer();
    void messageBox_activeWindowOwns();
    void inputDialog_built();
    void fileDialog_built_data();
    void fileDialog_built();
    void fileDialog_programFilterShownAndApplied();
    void fileDialog_reply();
    void modal_answersReachCaller();

private:
    QTemporaryDir m_temp;
    QString m_folder;  // an existing folder with a blank and Chinese in its name
};

void TestWidgetDialogs::initTestCase() {
    QVERIFY(m_temp.isValid());
    m_folder = m_temp.path() + QStringLiteral("/影片 輸出");
    QVERIFY(QDir().mkpath(m_folder));
    for (const QString& name : {QStringLiteral("a.flv"), QStringLiteral("-b.flv")}) {
        QFile file(m_folder + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

void TestWidgetDialogs::messageBox_built_data() {
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<QStringList>("texts");  // sorted
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QMessageBox::Icon>("shownIcon");

    QTest::newRow("ok") << MsgButtons::Ok << 0 << MsgIcon::Information
                        << QStringList{QStringLiteral("確定")} << QStringLiteral("確定")
                        << QMessageBox::Information;
    QTest::newRow("ok cancel, cancel default")
        << MsgButtons::OkCancel << 1 << MsgIcon::Critical
        << QStringList{QStringLiteral("取消"), QStringLiteral("確定")} << QStringLiteral("取消")
        << QMessageBox::Critical;
    QTest::newRow("yes no, no default") << MsgButtons::YesNo << 1 << MsgIcon::Question
                                        << QStringList{QStringLiteral("否"), QStringLiteral("是")}
                                        << QStringLiteral("否") << QMessageBox::Question;
    QTest::newRow("yes no cancel, cancel default")
        << MsgButtons::YesNoCancel << 2 << MsgIcon::Exclamation
        << QStringList{QStringLiteral("取消"), QStringLiteral("否"), QStringLiteral("是")}
        << QStringLiteral("取消") << QMessageBox::Warning;
    QTest::newRow("default past the last button")
        << MsgButtons::YesNoCancel << 3 << MsgIcon::None
        << QStringList{QStringLiteral("取消"), QStringLiteral("否"), QStringLiteral("是")}
        << QStringLiteral("是") << QMessageBox::NoIcon;
}

void TestWidgetDialogs::messageBox_built() {
    QFETCH(MsgButtons, buttons);
    QFETCH(int, defaultButton);
    QFETCH(MsgIcon, icon);
    QFETCH(QStringList, texts);
    QFETCH(QString, defaultText);
    QFETCH(QMessageBox::Icon, shownIcon);

    QWidget owner;
    MessageRequest request;
    request.text = QStringLiteral("檔案 <a.flv> 已存在\r\n要覆蓋嗎？");
    request.title = QStringLiteral("注意事項");
    request.buttons = buttons;
    request.icon = icon;
    request.defaultButton = defaultButton;
    request.owner = &owner;

    const auto box = WidgetDialogHandler::buildMessageBox(request);
    QVERIFY(!box->isVisible());
    QCOMPARE(box->windowTitle(), QStringLiteral("注意事項"));
    QCOMPARE(box->text(), QStringLiteral("檔案 <a.flv> 已存在\n要覆蓋嗎？"));
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QCOMPARE(sortedButtonTexts(box->buttons()), texts);
    QVERIFY(box->defaultButton());
    QCOMPARE(box->defaultButton()->text(), defaultText);
    QCOMPARE(box->icon(), shownIcon);
    QCOMPARE(box->parentWidget(), &owner);
}

void TestWidgetDialogs::messageBox_answer_data() {
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<QString>("click");  // empty: closed without a button
    QTest::addColumn<MsgResult>("expected");

    QTest::newRow("確定") << MsgButtons::OkCancel << QStringLiteral("確定") << MsgResult::Ok;
    QTest::newRow("取消") << MsgButtons::OkCancel << QStringLiteral("取消") << MsgResult::Cancel;
    QTest::newRow("是") << MsgButtons::YesNoCancel << QStringLiteral("是") << MsgResult::Yes;
    QTest::newRow("否") << MsgButtons::YesNoCancel << QStringLiteral("否") << MsgResult::No;
    QTest::newRow("closed ok box") << MsgButtons::Ok << QString() << MsgResult::Ok;
    QTest::newRow("closed yes no") << MsgButtons::YesNo << QString() << MsgResult::No;
    QTest::newRow("closed yes no cancel")
        << MsgButtons::YesNoCancel << QString() << MsgResult::Cancel;
}

void TestWidgetDialogs::messageBox_answer() {
    QFETCH(MsgButtons, buttons);
    QFETCH(QString, click);
    QFETCH(MsgResult, expected);

    MessageRequest request;
    request.text = QStringLiteral("繼續嗎？");
    request.buttons = buttons;
    const auto box = WidgetDialogHandler::buildMessageBox(request);
    if (!click.isEmpty()) {
        QAbstractButton* button = buttonWithText(*box, click);
        QVERIFY(button);
        button->click();  // a hidden box finishes without a modal loop
    }
    QCOMPARE(WidgetDialogHandler::messageResult(*box, buttons), expected);
}

void TestWidgetDialogs::messageBox_activeWindowOwns() {
    QWidget window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window, 2000));

    QObject notAWidget;
    MessageRequest request;
    request.owner = &notAWidget;
    QCOMPARE(WidgetDialogHandler::buildMessageBox(request)->parentWidget(), &window);
    InputRequest input;
    QCOMPARE(WidgetDialogHandler::buildInputDialog(input)->parentWidget(), &window);
}

void TestWidgetDialogs::inputDialog_built() {
    QWidget owner;
    InputRequest request;
    request.prompt = QStringLiteral("請輸入 <網址>\r\n例如 http://");
    request.title = QStringLiteral("Zelvo.FLV");
    request.defaultText = QStringLiteral("http://");
    request.owner = &owner;

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

    QStringList buttonTexts;
    const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
    for (const QPushButton* button : buttons) {
        buttonTexts.append(button->text());
    }
    std::sort(buttonTexts.begin(), buttonTexts.end());
    QCOMPARE(buttonTexts, (QStringList{QStringLiteral("取消"), QStringLiteral("確定")}));
}

void TestWidgetDialogs::fileDialog_built_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<QFileDialog::FileMode>("fileMode");
    QTest::addColumn<QFileDialog::AcceptMode>("acceptMode");
    QTest::addColumn<QString>("acceptText");
    QTest::addColumn<bool>("confirmOverwrite");

    QTest::newRow("open") << Kind::Open << quint32(0x81004) << QString()
                          << QStringLiteral("開啟舊檔") << QFileDialog::ExistingFile
                          << QFileDialog::AcceptOpen << QStringLiteral("開啟") << true;
    QTest::newRow("open, any name")
        << Kind::Open << quint32(0) << QStringLiteral("開啟清單") << QStringLiteral("開啟清單")
        << QFileDialog::AnyFile << QFileDialog::AcceptOpen << QStringLiteral("開啟") << true;
    QTest::newRow("open several") << Kind::OpenMulti << quint32(0x81204) << QString()
                                  << QStringLiteral("開啟舊檔") << QFileDialog::ExistingFiles
                                  << QFileDialog::AcceptOpen << QStringLiteral("開啟") << true;
    QTest::newRow("save") << Kind::Save << quint32(6) << QString() << QStringLiteral("另存新檔")
                          << QFileDialog::AnyFile << QFileDialog::AcceptSave
                          << QStringLiteral("儲存") << true;
    QTest::newRow("save, no overwrite question")
        << Kind::Save << quint32(4) << QStringLiteral("另存") << QStringLiteral("另存")
        << QFileDialog::AnyFile << QFileDialog::AcceptSave << QStringLiteral("儲存") << false;
    QTest::newRow("folder") << Kind::Folder << quint32(0x64)
                            << QStringLiteral("請選取儲存目錄\r\n強烈建議你新建一個資料夾！")
                            << QStringLiteral("瀏覽資料夾") << QFileDialog::Directory
                            << QFileDialog::AcceptOpen << QStringLiteral("確定") << true;
}

void TestWidgetDialogs::fileDialog_built() {
    QFETCH(Kind, kind);
    QFETCH(quint32, flags);
    QFETCH(QString, title);
    QFETCH(QString, shownTitle);
    QFETCH(QFileDialog::FileMode, fileMode);
    QFETCH(QFileDialog::AcceptMode, acceptMode);
    QFETCH(QString, acceptText);
    QFETCH(bool, confirmOverwrite);

    QWidget owner;
    FileDialogRequest request;
    request.kind = kind;
    request.flags = flags;
    request.title = title;
    request.initDir = m_folder;
    request.fileName = QStringLiteral("新 檔案_part.flv");
    request.filters =
        CommDialog::convertFilter(QStringLiteral("FLV 檔案格式 (*.flv)|*.flv|所有檔案|*.*"));
    request.filterIndex = 1;
    request.defaultExt = QStringLiteral(".flv");
    request.owner = &owner;

    const auto dialog = WidgetDialogHandler::buildFileDialog(request);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->parentWidget(), &owner);
    QCOMPARE(dialog->windowTitle(), shownTitle);
    QCOMPARE(dialog->fileMode(), fileMode);
    QCOMPARE(dialog->acceptMode(), acceptMode);
    QCOMPARE(dialog->labelText(QFileDialog::Accept), acceptText);
    QCOMPARE(dialog->labelText(QFileDialog::Reject), QStringLiteral("取消"));
    QCOMPARE(dialog->directory().absolutePath(), m_folder);
    QCOMPARE(dialog->testOption(QFileDialog::DontConfirmOverwrite), !confirmOverwrite);

    const auto* prompt = dialog->findChild<QLabel*>(QStringLiteral("folderPrompt"));
    if (kind == Kind::Folder) {
        QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
        QVERIFY(prompt);
        QCOMPARE(prompt->text(), QStringLiteral("請選取儲存目錄\n強烈建議你新建一個資料夾！"));
        const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        QVERIFY(types->isHidden());
        QCOMPARE(dialog->labelText(QFileDialog::FileName), QStringLiteral("資料夾："));
        return;
    }
    QVERIFY(!prompt);
    QCOMPARE(dialog->labelText(QFileDialog::FileName), QStringLiteral("檔案名稱："));
    QCOMPARE(dialog->labelText(QFileDialog::FileType), QStringLiteral("檔案類型："));
    QCOMPARE(dialog->nameFilters(), request.filters);
    // The chosen filter as the user reads it: its description without the patterns.
    QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("所有檔案"));
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("flv"));
    const auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(nameEdit);
    QCOMPARE(nameEdit->text(), QStringLiteral("新 檔案_part.flv"));
}

void TestWidgetDialogs::fileDialog_programFilterShownAndApplied() {
    // The user sees the program's descriptions, and the dialog lists by their patterns even
    // when a description carries parentheses of its own.
    CommDialog settings;
    settings.setFilter(
        QStringLiteral("支援處理的檔案 (flv ; mpg ; dat ; vob)|*.flv;*.mpg;"
                       "|支援播放的多媒體檔案|*.flv;*.wm?;*.m?v;|所有檔案|*.*"));
    FileDialogRequest request;
    request.kind = Kind::Open;
    request.initDir = m_folder;
    request.filters = settings.filterList();
    request.filterIndex = 1;

    const auto dialog = WidgetDialogHandler::buildFileDialog(request);
    const auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(combo);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) {
        shown.append(combo->itemText(i));
    }
    QCOMPARE(shown,
             (QStringList{QStringLiteral("支援處理的檔案 (flv ; mpg ; dat ; vob)"),
                          QStringLiteral("支援播放的多媒體檔案"), QStringLiteral("所有檔案")}));
    QCOMPARE(combo->currentIndex(), 1);

    const auto* model = dialog->findChild<QFileSystemModel*>();
    QVERIFY(model);
    QCOMPARE(model->nameFilters(), (QStringList{QStringLiteral("*.flv"), QStringLiteral("*.wm?"),
                                                QStringLiteral("*.m?v")}));
    dialog->selectNameFilter(request.filters.at(0));
    QCOMPARE(model->nameFilters(), (QStringList{QStringLiteral("*.flv"), QStringLiteral("*.mpg")}));
}

void TestWidgetDialogs::fileDialog_reply() {
    FileDialogRequest open;
    open.kind = Kind::Open;
    open.initDir = m_folder;
    open.filters = CommDialog::convertFilter(QStringLiteral("A|*.a|FLV|*.flv|所有檔案|*.*"));
    open.filterIndex = 0;
    const auto dialog = WidgetDialogHandler::buildFileDialog(open);
    dialog->selectNameFilter(open.filters.at(1));
    dialog->selectFile(QStringLiteral("-b.flv"));

    const FileDialogReply picked = WidgetDialogHandler::fileDialogReply(*dialog, open, true);
    QVERIFY(picked.accepted);
    QCOMPARE(picked.paths, QStringList{m_folder + QStringLiteral("/-b.flv")});
    QCOMPARE(picked.filterIndex, 1);

    const FileDialogReply cancelled = WidgetDialogHandler::fileDialogReply(*dialog, open, false);
    QVERIFY(!cancelled.accepted);
    QVERIFY(cancelled.paths.isEmpty());
    QCOMPARE(cancelled.filterIndex, 0);

    FileDialogRequest folder;
    folder.kind = Kind::Folder;
    folder.initDir = m_folder;
    const auto folderDialog = WidgetDialogHandler::buildFileDialog(folder);
    QCOMPARE(WidgetDialogHandler::fileDialogReply(*folderDialog, folder, true).paths,
             QStringList{m_folder});
}

void TestWidgetDialogs::modal_answersReachCaller() {
    // The whole path through a real modal loop, answered by a timer.
    WidgetDialogHandler handler;
    {
        ModalAnswer answer([](QDialog* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QAbstractButton* no = box ? buttonWithText(*box, QStringLiteral("否")) : nullptr;
            if (no) {
                no->click();
            } else {
                dialog->reject();
            }
        });
        MessageRequest request;
        request.text = QStringLiteral("要覆蓋嗎？");
        request.buttons = MsgButtons::YesNoCancel;
        QCOMPARE(handler.message(request), MsgResult::No);
        QVERIFY(answer.acted());
    }
    {
        ModalAnswer answer([](QDialog* dialog) {
            if (auto* input = qobject_cast<QInputDialog*>(dialog)) {
                input->setTextValue(QStringLiteral("150"));
                input->accept();
            } else {
                dialog->reject();
            }
        });
        InputRequest request;
        request.prompt = QStringLiteral("播放速度");
        QCOMPARE(handler.input(request), std::optional<QString>(QStringLiteral("150")));
    }
    const QString before = QDir::currentPath();
    {
        const QString chosen = m_folder + QStringLiteral("/a.flv");
        ModalAnswer answer([chosen](QDialog* dialog) {
            // Typed, as a user would: a selection waits for the folder to be read.
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                name->setText(chosen);
            }
            dialog->accept();
        });
        FileDialogRequest request;
        request.kind = Kind::Open;
        request.flags = 0x81004;
        request.initDir = QDir::rootPath();
        const FileDialogReply reply = handler.fileDialog(request);
        QVERIFY(reply.accepted);
        QCOMPARE(reply.paths, QStringList{chosen});
        // Like the system dialog, an accepted pick moves the current folder there.
        QCOMPARE(QDir::currentPath(), m_folder);
    }
    QDir::setCurrent(before);
}

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widgetdialogs.moc"
