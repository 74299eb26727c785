// The busy session as the user meets it: the dialog over the working window,
// the windows hidden and shown again, and every text of the session's boxes.
#include "ScriptedDialogs.h"
#include "tools/BusySession.h"
#include "tools/frmBuzy.h"
#include "tools/mdlGetCmdOutput.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestBusySession : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> m_main;
    std::unique_ptr<QWidget> m_list;
    QStringList m_fileList;  // files shown in the playlist window's file list
    QStringList m_explorer;  // files shown in the desktop's file manager

    BusySession& session() { return BusySession::shared(); }
    void fillList(bool checked) {
        BusySession::ListWindow& list = session().listWindow();
        list.form = [this] { return m_list.get(); };
        list.doneToFileList = [checked] { return checked; };
        list.showInFileList = [this](const QString& path) { m_fileList << path; };
    }

private Q_SLOTS:
    void init() {
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(100, 120, 640, 480);
        m_list = std::make_unique<QWidget>();
        m_list->setGeometry(760, 120, 300, 520);
        session().setMainWindow(m_main.get());
        session().listWindow() = BusySession::ListWindow();
        session().setExplorer([this](const QString& path) { m_explorer << path; });
        m_fileList.clear();
        m_explorer.clear();
    }
    void cleanup() {
        // A session a failed test left open is closed, so the next test starts clean.
        const bool leftOpen = session().dialog() != nullptr;
        if (leftOpen) {
            session().buzySateShow(false, nullptr);
        }
        session().setMainWindow(nullptr);
        QVERIFY(!leftOpen);
    }

    void dialogCoversOwner() {
        m_main->setGeometry(30, 40, 520, 400);
        m_main->show();
        session().beginOperation(ToolOperation::Join);
        session().buzySateShow(true, m_main.get());
        frmBuzy* dialog = session().dialog();
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QCOMPARE(dialog->frameGeometry(), m_main->frameGeometry());
        QVERIFY(qAbs(dialog->windowOpacity() - 220.0 / 255.0) < 0.002);

        auto* text = dialog->findChild<QLabel*>(QStringLiteral("lblBuzy"));
        auto* panel = dialog->findChild<QWidget*>(QStringLiteral("picBreak"));
        QVERIFY(text != nullptr && panel != nullptr);
        QCOMPARE(dialog->findChild<QPushButton*>(QStringLiteral("cmdBreak"))->text(),
                 QStringLiteral("中止程序"));
        QStringList hints;
        for (const QLabel* hint : panel->findChildren<QLabel*>(QStringLiteral("lbl"))) {
            hints << hint->text();
        }
        QCOMPARE(hints, QStringList({QStringLiteral("如果改變主意，或等不耐煩"),
                                     QStringLiteral("你隨時可以按下")}));

        session().setBusyText(3, 2);
        QCOMPARE(text->text(), QStringLiteral("Zelvo.FLV\r\n\r\n正在進行「合併」多媒體檔案\r\n\r\n"
                                              "共有 3 個程序，正處理第 2 個"));
        // The text sits centred above the Break panel, the panel at the bottom centre.
        const QSize inner = dialog->size();
        const int h = text->height();
        QCOMPARE(text->geometry(),
                 QRect(0, qMax(0, (inner.height() - panel->height() - h) / 2), inner.width(), h));
        QCOMPARE(panel->geometry().bottom(), inner.height() - 1);
        QCOMPARE(panel->x(), (inner.width() - panel->width()) / 2);

        // The runner's progress reaches the bar while the session is open.
        auto* bar = dialog->findChild<QProgressBar*>(QStringLiteral("prgRun"));
        const CmdProgressHandler progress = setCmdProgressHandler(nullptr);
        QVERIFY(progress != nullptr);
        progress(42);
        QCOMPARE(bar->value(), 42);
        QVERIFY(bar->isTextVisible());
        setCmdProgressHandler(progress);

        session().buzySateShow(false, m_main.get());
        QVERIFY(!setCmdProgressHandler(nullptr));
    }

    void hiddenForm_data() {
        QTest::addColumn<bool>("ownerIsMain");
        QTest::addColumn<bool>("mainShown");
        QTest::addColumn<bool>("listShown");
        QTest::addColumn<bool>("listFilled");
        QTest::addColumn<int>("hidden");
        QTest::newRow("list tool, player shown") << false << true << true << true << 1;
        QTest::newRow("list tool, player hidden") << false << false << true << true << 0;
        QTest::newRow("player saving, list shown") << true << true << true << true << 2;
        QTest::newRow("player saving, list hidden") << true << true << false << true << 0;
        QTest::newRow("player saving, no list window yet") << true << true << true << false << 0;
    }
    // The other window is hidden during the run and comes back only if it was shown before.
    void hiddenForm() {
        QFETCH(bool, ownerIsMain);
        QFETCH(bool, mainShown);
        QFETCH(bool, listShown);
        QFETCH(bool, listFilled);
        QFETCH(int, hidden);
        if (listFilled) {
            fillList(false);
        }
        m_main->setVisible(mainShown);
        m_list->setVisible(listShown);
        QWidget* owner = ownerIsMain ? m_main.get() : m_list.get();
        QWidget* other = ownerIsMain ? m_list.get() : m_main.get();
        const bool otherShown = other->isVisible();

        session().buzySateShow(true, owner);
        QCOMPARE(session().hiddenForm(), hidden);
        QCOMPARE(other->isVisible(), otherShown && hidden == 0);
        QVERIFY(owner->isVisible());
        QCOMPARE(session().dialog()->parentWidget(), owner);

        bool aborted = true;
        session().buzySateShow(false, owner, &aborted);
        QVERIFY(!aborted);
        QCOMPARE(session().hiddenForm(), 0);
        QCOMPARE(other->isVisible(), otherShown);
        QVERIFY(owner->isVisible());
    }

    void sessionEnd_data() {
        QTest::addColumn<bool>("pressBreak");
        QTest::newRow("Break pressed") << true;
        QTest::newRow("ran to the end") << false;
    }
    void sessionEnd() {
        QFETCH(bool, pressBreak);
        ScriptedDialogs dialogs;
        m_main->show();
        session().buzySateShow(true, m_main.get());
        if (pressBreak) {
            QTest::mouseClick(
                session().dialog()->findChild<QPushButton*>(QStringLiteral("cmdBreak")),
                Qt::LeftButton);
            QVERIFY(::breakRun());
            dialogs.answerMessage(MsgResult::Ok);
        }
        bool aborted = !pressBreak;
        session().buzySateShow(false, m_main.get(), &aborted);
        QCOMPARE(aborted, pressBreak);
        QVERIFY(!::breakRun());
        QCOMPARE(dialogs.messageTexts(),
                 pressBreak ? QStringList(QStringLiteral("你已經中止程序！")) : QStringList());
        QCOMPARE(dialogs.lastMessage().title, pressBreak ? QStringLiteral("Zelvo.FLV") : QString());
        QCOMPARE(dialogs.unexpected(), 0);

        // The next session starts clean.
        session().buzySateShow(true, m_main.get());
        QVERIFY(!session().dialog()->breakPressed());
        session().buzySateShow(false, m_main.get(), &aborted);
        QVERIFY(!aborted);
    }

    void operationTexts_data() {
        QTest::addColumn<ToolOperation>("op");
        QTest::addColumn<QString>("busyLine");
        QTest::addColumn<QString>("failureLine");
        QTest::newRow("split") << ToolOperation::Split
                               << QStringLiteral("正在進行「切割」多媒體檔案")
                               << QStringLiteral("可能是檔案格式不支援進一步的切割");
        QTest::newRow("convert") << ToolOperation::Convert
                                 << QStringLiteral("正在進行「轉檔」多媒體檔案")
                                 << QStringLiteral("可能是檔案格式不支援進一步的轉檔");
        QTest::newRow("player cut")
            << ToolOperation::SaveCut << QStringLiteral("正在進行「裁剪」多媒體檔案")
            << QStringLiteral("可能是檔案格式不支援進一步的剪輯");
    }
    void operationTexts() {
        QFETCH(ToolOperation, op);
        QFETCH(QString, busyLine);
        QFETCH(QString, failureLine);
        QCOMPARE(BusySession::busyText(op, 1, 1),
                 QStringLiteral("Zelvo.FLV\r\n\r\n") + busyLine +
                     QStringLiteral("\r\n\r\n共有 1 個程序，正處理第 1 個"));
        ScriptedDialogs dialogs;
        dialogs.answerMessage(MsgResult::Ok);
        session().beginOperation(op);
        session().showFailure();
        QCOMPARE(dialogs.messageTexts(),
                 QStringList(QStringLiteral("出現錯誤，無法成功處理檔案\r\n\r\n") + failureLine +
                             QStringLiteral("\r\n或者，該檔案被正被其他程式所執行")));
        QCOMPARE(dialogs.lastMessage().title, QStringLiteral("錯誤訊息"));
        QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::Ok);
    }

    // The question is asked once per operation; a yes holds for the rest of it,
    // and operations that cannot re-encode never ask.
    void reencodeConsent() {
        ScriptedDialogs dialogs;
        session().beginOperation(ToolOperation::SaveSplit);
        dialogs.answerMessage(MsgResult::Ok);
        QVERIFY(session().askAudioReencode());
        QVERIFY(session().askAudioReencode());
        QCOMPARE(dialogs.messageTexts(),
                 QStringList(
                     QStringLiteral("分割後的區段，音訊必須重新編碼\r\n這個「另存分割」程序才能成功"
                                    "\r\n\r\n按「確定」則繼續程序，並且音訊重新編碼\r\n"
                                    "按「取消」則中止這個「另存分割」程序")));
        QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::OkCancel);
        QCOMPARE(dialogs.lastMessage().title, QStringLiteral("Zelvo.FLV"));

        // A new operation asks again.
        session().beginOperation(ToolOperation::Join);
        dialogs.answerMessage(MsgResult::Cancel);
        QVERIFY(!session().askAudioReencode());
        QCOMPARE(dialogs.messages().size(), 2);
        QVERIFY(dialogs.lastMessage().text.startsWith(
            QStringLiteral("合併後的檔案，音訊必須重新編碼")));

        session().beginOperation(ToolOperation::Convert);
        QVERIFY(!session().askAudioReencode());
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(dialogs.unexpected(), 0);
    }

    void doneAfterSave_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<float>("seconds");
        QTest::addColumn<bool>("aborted");
        QTest::addColumn<int>("list");    // 0 no playlist window, 1 box unchecked, 2 box checked
        QTest::addColumn<int>("answer");  // 0 none asked, 1 OK, 2 Cancel
        QTest::addColumn<QString>("middle");  // the report's variable part
        QTest::addColumn<int>("shownIn");     // 0 nowhere, 1 file list, 2 file manager
        const auto row = [](const char* tag, bool exists, bool silent, float seconds, bool aborted,
                            int list, int answer, const char* middle, int shownIn) {
            QTest::newRow(tag) << exists << silent << seconds << aborted << list << answer
                               << QString::fromUtf8(middle) << shownIn;
        };
        row("success with time, to the file manager", true, false, 12.3f, false, 1, 1,
            "成功結束\r\n總共使用的時間有 12.30 秒", 2);
        row("aborted after half a second, to the file list", true, false, 0.5f, true, 2, 1,
            "被中止掉\r\n總共使用的時間有 .50 秒", 1);
        row("across midnight: no time line", true, false, -86390.0f, false, 2, 2, "成功結束", 0);
        row("plain copy: no time line", true, false, 0.0f, false, 0, 1, "成功結束", 2);
        row("silent", true, true, 3.0f, false, 1, 0, "", 1);
        row("no output", false, false, 3.0f, false, 2, 0, "", 0);
    }
    void doneAfterSave() {
        QFETCH(bool, exists);
        QFETCH(bool, silent);
        QFETCH(float, seconds);
        QFETCH(bool, aborted);
        QFETCH(int, list);
        QFETCH(int, answer);
        QFETCH(QString, middle);
        QFETCH(int, shownIn);
        if (list > 0) {
            fillList(list == 2);
        }
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("新 資料夾")));
        const QString output = dir.filePath(QStringLiteral("新 資料夾/影片_part.flv"));
        if (exists) {
            QFile f(output);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("FLV");
        }
        const QString startDir = QDir::currentPath();
        ScriptedDialogs dialogs;
        if (answer > 0) {
            dialogs.answerMessage(answer == 1 ? MsgResult::Ok : MsgResult::Cancel);
        }
        session().doneAfterSave(output, silent, seconds, aborted);
        const QString workDir = QDir::currentPath();
        QDir::setCurrent(startDir);

        QCOMPARE(dialogs.unexpected(), 0);
        QCOMPARE(dialogs.pending(), 0);
        if (answer > 0) {
            QCOMPARE(dialogs.messageTexts(),
                     QStringList(QStringLiteral("全部的檔案處理程序已經") + middle +
                                 QStringLiteral("\r\n\r\n按下「確定」，可以前往檔案總管\r\n"
                                                "或本軟體的檔案列表，查看新檔案")));
            QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::OkCancel);
            QCOMPARE(dialogs.lastMessage().title, QStringLiteral("Zelvo.FLV"));
        }
        QCOMPARE(m_fileList, shownIn == 1 ? QStringList(output) : QStringList());
        QCOMPARE(m_explorer, shownIn == 2 ? QStringList(output) : QStringList());
        if (exists) {
            // The new file's folder is the current one afterwards.
            QCOMPARE(QDir(workDir).canonicalPath(),
                     QDir(dir.filePath(QStringLiteral("新 資料夾"))).canonicalPath());
        }
    }

    // Only the tools' intermediate files go, whichever run left them.
    void killTempFiles() {
        QTemporaryDir dir;
        const QStringList gone = {QStringLiteral("~tmpSP001.flv"), QStringLiteral("~tmpSJoin.avi"),
                                  QStringLiteral("~fix~tmpSP002.mpg"),
                                  QStringLiteral("~tmpSZ4242-1.flv")};
        const QStringList kept = {QStringLiteral("a~tmpS.flv"), QStringLiteral("keep.flv"),
                                  QStringLiteral("~fix~other.flv"), QStringLiteral("~tmpX.flv")};
        for (const QString& name : gone + kept) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("~tmpSdir.d")));
        const QString startDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        BusySession::killTempFiles();
        QDir::setCurrent(startDir);
        QStringList expected = kept + QStringList(QStringLiteral("~tmpSdir.d"));
        expected.sort();
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
                 expected);
    }
};

QTEST_MAIN(TestBusySession)
#include "tst_busysession.moc"
