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
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<MsgIcon>("icon");
        QTest::addColumn<QStringList>("texts");  // sorted
        QTest::addColumn<QString>("defaultText");
        QTest::addColumn<QMessageBox::Icon>("shownIcon");
        QTest::addColumn<QString>("click");  // empty: closed without a button
        QTest::addColumn<MsgResult>("result");
        const QString ok = QStringLiteral("確定"), cancel = QStringLiteral("取消");
        const QString yes = QStringLiteral("是"), no = QStringLiteral("否");
        QTest::newRow("ok") << MsgButtons::Ok << 0 << MsgIcon::Information << QStringList{ok} << ok
                            << QMessageBox::Information << ok << MsgResult::Ok;
        QTest::newRow("yes no, no default")
            << MsgButtons::YesNo << 1 << MsgIcon::Question << QStringList{no, yes} << no
            << QMessageBox::Question << yes << MsgResult::Yes;
        QTest::newRow("yes no cancel, cancel default")
            << MsgButtons::YesNoCancel << 2 << MsgIcon::Exclamation << QStringList{cancel, no, yes}
            << cancel << QMessageBox::Warning << no << MsgResult::No;
        QTest::newRow("default past the last button")
            << MsgButtons::OkCancel << 3 << MsgIcon::Critical << QStringList{cancel, ok} << ok
            << QMessageBox::Critical << cancel << MsgResult::Cancel;
        QTest::newRow("closed yes no")
            << MsgButtons::YesNo << 0 << MsgIcon::None << QStringList{no, yes} << yes
            << QMessageBox::NoIcon << QString() << MsgResult::No;
    }
    void messageBox() {
        QFETCH(MsgButtons, buttons);
        QFETCH(int, defaultButton);
        QFETCH(MsgIcon, icon);
        QFETCH(QStringList, texts);
        QFETCH(QString, defaultText);
        QFETCH(QMessageBox::Icon, shownIcon);
        QFETCH(QString, click);
        QFETCH(MsgResult, result);
        QWidget owner;
        MessageRequest request;
        request.text = QStringLiteral("檔案 <a.flv> 已存在\r\n要覆蓋嗎？");
        request.title = QStringLiteral("注意事項");
        request.buttons = buttons;
        request.icon = icon;
        request.defaultButton = defaultButton;
        request.owner = &owner;

        const auto box = WidgetDialogHandler::buildMessageBox(request);
        QCOMPARE(box->windowTitle(), QStringLiteral("注意事項"));
        QCOMPARE(box->text(), QStringLiteral("檔案 <a.flv> 已存在\n要覆蓋嗎？"));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(sortedButtonTexts(box->buttons()), texts);
        QVERIFY(box->defaultButton());
        QCOMPARE(box->defaultButton()->text(), defaultText);
        QCOMPARE(box->icon(), shownIcon);
        QCOMPARE(box->parentWidget(), &owner);
        if (!click.isEmpty()) {
            QAbstractButton* button = buttonWithText(*box, click);
            QVERIFY(button);
            button->click();  // a hidden box finishes without a modal loop
        }
        QCOMPARE(WidgetDialogHandler::messageResult(*box, buttons), result);
    }

    void inputDialog_built() {
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
        QCOMPARE(sortedButtonTexts(dialog->findChildren<QAbstractButton*>()),
                 (QStringList{QStringLiteral("取消"), QStringLiteral("確定")}));
        // Without a window of its own a dialog belongs to the active window.
        owner.show();
        QApplication::setActiveWindow(&owner);
        QVERIFY(QTest::qWaitForWindowActive(&owner, 2000));
        QObject notAWidget;
        request.owner = &notAWidget;
        QCOMPARE(WidgetDialogHandler::buildInputDialog(request)->parentWidget(), &owner);
        QCOMPARE(WidgetDialogHandler::buildMessageBox(MessageRequest{})->parentWidget(), &owner);
    }

    void fileDialog_built_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<quint32>("flags");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<QFileDialog::FileMode>("fileMode");
        QTest::addColumn<bool>("confirmOverwrite");
        const QString openTitle = QStringLiteral("開啟舊檔");
        QTest::newRow("open") << Kind::Open << quint32(0x81004) << QString() << openTitle
                              << QFileDialog::ExistingFile << true;
        QTest::newRow("open, any name")
            << Kind::Open << quint32(0) << QStringLiteral("開啟清單") << QStringLiteral("開啟清單")
            << QFileDialog::AnyFile << true;
        QTest::newRow("open several") << Kind::OpenMulti << quint32(0x81204) << QString()
                                      << openTitle << QFileDialog::ExistingFiles << true;
        QTest::newRow("save") << Kind::Save << quint32(6) << QString() << QStringLiteral("另存新檔")
                              << QFileDialog::AnyFile << true;
        QTest::newRow("save, no overwrite question")
            << Kind::Save << quint32(4) << QStringLiteral("另存") << QStringLiteral("另存")
            << QFileDialog::AnyFile << false;
        QTest::newRow("folder") << Kind::Folder << quint32(0x64)
                                << QStringLiteral("請選取儲存目錄\r\n強烈建議你新建一個資料夾！")
                                << QStringLiteral("瀏覽資料夾") << QFileDialog::Directory << true;
    }

    void fileDialog_built() {
        QFETCH(Kind, kind);
        QFETCH(quint32, flags);
        QFETCH(QString, title);
        QFETCH(QString, shownTitle);
        QFETCH(QFileDialog::FileMode, fileMode);
        QFETCH(bool, confirmOverwrite);
        QWidget owner;
        FileDialogRequest request;
        request.kind = kind;
        request.flags = flags;
        request.title = title;
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
        QCOMPARE(dialog->windowTitle(), shownTitle);
        QCOMPARE(dialog->fileMode(), fileMode);
        QCOMPARE(dialog->acceptMode(),
                 kind == Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        const char* accept = kind == Kind::Save ? "儲存" : kind == Kind::Folder ? "確定" : "開啟";
        QCOMPARE(dialog->labelText(QFileDialog::Accept), QString::fromUtf8(accept));
        QCOMPARE(dialog->labelText(QFileDialog::Reject), QStringLiteral("取消"));
        QCOMPARE(dialog->directory().absolutePath(), m_folder);
        QCOMPARE(dialog->testOption(QFileDialog::DontConfirmOverwrite), !confirmOverwrite);

        const auto* prompt = dialog->findChild<QLabel*>(QStringLiteral("folderPrompt"));
        if (kind == Kind::Folder) {
            QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
            QVERIFY(prompt);
            QCOMPARE(prompt->text(), QStringLiteral("請選取儲存目錄\n強烈建議你新建一個資料夾！"));
            const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(types && types->isHidden());
            QCOMPARE(dialog->labelText(QFileDialog::FileName), QStringLiteral("資料夾："));
            QCOMPARE(WidgetDialogHandler::fileDialogReply(*dialog, request, true).paths,
                     QStringList{m_folder});
            return;
        }
        QVERIFY(!prompt);
        QCOMPARE(dialog->labelText(QFileDialog::FileName), QStringLiteral("檔案名稱："));
        QCOMPARE(dialog->labelText(QFileDialog::FileType), QStringLiteral("檔案類型："));
        // The user reads the descriptions alone; the list follows the chosen patterns.
        const auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(combo);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("支援處理的檔案 (flv ; mpg)"));
        QCOMPARE(combo->itemText(1), QStringLiteral("所有檔案"));
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
        const QString before = QDir::currentPath();
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
        // Like the system dialog, an accepted pick moves the current folder there.
        const QString after = QDir::currentPath();
        QDir::setCurrent(before);
        QCOMPARE(after, m_folder);
    }
};

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widgetdialogs.moc"
