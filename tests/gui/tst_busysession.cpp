// The busy session as the user meets it: the dialog over the working window,
// the windows hidden and shown again, and every text of the session's boxes.
#include "FakeWindows.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "core/jobs/ToolJob.h"
#include "gui/busy/BusySession.h"
#include "gui/busy/frmBuzy.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Windows {
    bool ownerIsMain, mainShown, listShown, listFilled;
    int hidden;  // which window the session hides: 0 none, 1 the player, 2 the playlist window
};

// The completion report's case: the output there or not, silent, the seconds taken, aborted;
// the playlist window (0 none, 1 its box unchecked, 2 checked); the answer (0 none asked,
// 1 OK, 2 Cancel); the report's variable part; where the file shows (0 nowhere, 1 file list,
// 2 file manager).
struct Done {
    bool exists, silent;
    float seconds;
    bool aborted;
    int list, answer;
    const char* middle;
    int shownIn;
};

}  // namespace

Q_DECLARE_METATYPE(Windows)
Q_DECLARE_METATYPE(Done)

class TestBusySession : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> m_main;
    std::unique_ptr<QWidget> m_list;
    QStringList m_explorer;  // files shown in the desktop's file manager

    FakePlayerWindow m_player;
    FakeListWindow m_listWindow;

    BusySession& session() { return BusySession::shared(); }
    void fillList(bool checked) {
        m_listWindow.window = m_list.get();
        m_listWindow.doneToList = checked;
        session().setWindows(&m_player, &m_listWindow);
    }

private Q_SLOTS:
    void init() {
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(30, 40, 520, 400);
        m_list = std::make_unique<QWidget>();
        m_list->setGeometry(600, 40, 300, 520);
        m_player.window = m_main.get();
        m_listWindow = FakeListWindow();
        session().setWindows(&m_player, nullptr);
        session().setExplorer([this](const QString& path) { m_explorer << path; });
        m_explorer.clear();
    }
    void cleanup() {
        // A session a failed test left open is closed, so the next test starts clean.
        const bool leftOpen = session().dialog() != nullptr;
        session().buzySateShow(false, nullptr);
        session().setWindows(nullptr, nullptr);
        QVERIFY(!leftOpen);
    }

    void sessionWindows_data() {
        QTest::addColumn<Windows>("c");
        const auto row = [](const char* tag, const Windows& c) { QTest::newRow(tag) << c; };
        row("list tool, player shown", {false, true, true, true, 1});
        row("list tool, player hidden", {false, false, true, true, 0});
        row("player saving, list shown", {true, true, true, true, 2});
        row("player saving, list hidden", {true, true, false, true, 0});
        row("player saving, no list window yet", {true, true, true, false, 0});
    }
    // The dialog covers the window that works; the other window is hidden during the run and
    // comes back only if it was shown before. (Break on a real job: tst_saveranges.)
    void sessionWindows() {
        QFETCH(Windows, c);
        if (c.listFilled) {
            fillList(false);
        }
        m_main->setVisible(c.mainShown);
        m_list->setVisible(c.listShown);
        QWidget* owner = c.ownerIsMain ? m_main.get() : m_list.get();
        QWidget* other = c.ownerIsMain ? m_list.get() : m_main.get();
        const bool otherShown = other->isVisible();
        ScriptedDialogs dialogs;

        session().beginOperation(ToolOperation::Join);
        session().buzySateShow(true, owner);
        QCOMPARE(session().hiddenForm(), c.hidden);
        QCOMPARE(other->isVisible(), otherShown && c.hidden == 0);
        QVERIFY(owner->isVisible());
        frmBuzy* dialog = session().dialog();
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QCOMPARE(dialog->parentWidget(), owner);
        QCOMPARE(dialog->frameGeometry(), owner->frameGeometry());
        QVERIFY(qAbs(dialog->windowOpacity() - 220.0 / 255.0) < 0.002);

        auto* text = dialog->findChild<QLabel*>(u8("lblBuzy"));
        auto* panel = dialog->findChild<QWidget*>(u8("picBreak"));
        auto* cmdBreak = dialog->findChild<QPushButton*>(u8("cmdBreak"));
        QVERIFY(text != nullptr && panel != nullptr && cmdBreak != nullptr);
        QCOMPARE(cmdBreak->text(), u8("中止程序"));
        QStringList hints;
        for (const QLabel* hint : panel->findChildren<QLabel*>(u8("lbl"))) {
            hints << hint->text();
        }
        QCOMPARE(hints, QStringList({u8("如果改變主意，或等不耐煩"), u8("你隨時可以按下")}));
        session().setBusyText(3, 2);
        QCOMPARE(text->text(), u8("Zelvo.FLV\r\n\r\n正在進行「合併」多媒體檔案\r\n\r\n"
                                  "共有 3 個程序，正處理第 2 個"));
        // The text stands above the Break panel, the panel at the bottom.
        QVERIFY(text->geometry().bottom() < panel->y());
        QCOMPARE(panel->geometry().bottom(), dialog->height() - 1);
        // The bar shows the job's progress.
        auto* bar = dialog->findChild<QProgressBar*>(u8("prgRun"));
        QVERIFY(bar->isTextVisible());
        QCOMPARE(bar->value(), 0);
        dialog->setProgress(42);
        QCOMPARE(bar->value(), 42);
        QVERIFY(bar->isTextVisible());
        bool aborted = true;
        session().buzySateShow(false, owner, &aborted);
        QVERIFY(!aborted);
        QCOMPARE(dialogs.messageTexts(), QStringList());
        QCOMPARE(session().hiddenForm(), 0);
        QCOMPARE(other->isVisible(), otherShown);
        QVERIFY(owner->isVisible());
    }

    void operationTexts_data() {
        QTest::addColumn<ToolOperation>("op");
        QTest::addColumn<QString>("busy");      // the operation in the busy line
        QTest::addColumn<QString>("failure");   // what the failure report says it cannot do
        QTest::addColumn<QString>("reencode");  // the re-encoding question's lead; "": none
        QTest::addColumn<QString>("name");      // the operation in that question
        const auto row = [](ToolOperation op, const char* busy, const char* failure,
                            const char* reencode, const char* name) {
            QTest::newRow(busy) << op << u8(busy) << u8(failure) << u8(reencode) << u8(name);
        };
        row(ToolOperation::Split, "切割", "切割", "切割後的區段", "切割");
        row(ToolOperation::Join, "合併", "合併", "合併後的檔案", "合併");
        row(ToolOperation::Convert, "轉檔", "轉檔", "", "");
        row(ToolOperation::SaveCut, "裁剪", "剪輯", "裁剪後的區段", "另存裁剪");
        row(ToolOperation::SaveSplit, "分割", "剪輯", "分割後的區段", "另存分割");
    }
    // Each operation's busy line, failure report and audio re-encoding question: asked once
    // per operation (a yes holds for the rest of it), never where it cannot re-encode.
    void operationTexts() {
        QFETCH(ToolOperation, op);
        QFETCH(QString, busy);
        QFETCH(QString, failure);
        QFETCH(QString, reencode);
        QFETCH(QString, name);
        QCOMPARE(BusySession::busyText(op, 1, 1),
                 u8("Zelvo.FLV\r\n\r\n正在進行「%1」多媒體檔案\r\n\r\n"
                    "共有 1 個程序，正處理第 1 個")
                     .arg(busy));
        ScriptedDialogs dialogs;
        dialogs.answerMessage(MsgResult::Ok);
        session().beginOperation(op);
        session().showFailure();
        QCOMPARE(dialogs.messageTexts(),
                 QStringList(u8("出現錯誤，無法成功處理檔案\r\n\r\n可能是檔案格式不支援"
                                "進一步的%1\r\n或者，該檔案被正被其他程式所執行")
                                 .arg(failure)));
        QCOMPARE(dialogs.lastMessage().title, u8("錯誤訊息"));
        QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::Ok);

        dialogs.clear();
        const bool asks = !reencode.isEmpty();
        if (asks) {
            dialogs.answerMessage(MsgResult::Ok);
            dialogs.answerMessage(MsgResult::Cancel);
        }
        QCOMPARE(session().askAudioReencode(), asks);
        QCOMPARE(session().askAudioReencode(), asks);
        session().beginOperation(op);  // a new operation asks again
        QVERIFY(!session().askAudioReencode());
        const QString question =
            u8("%1，音訊必須重新編碼\r\n這個「%2」程序才能成功\r\n\r\n按「確定」則繼續"
               "程序，並且音訊重新編碼\r\n按「取消」則中止這個「%2」程序")
                .arg(reencode, name);
        QCOMPARE(dialogs.messageTexts(), asks ? QStringList({question, question}) : QStringList());
        QCOMPARE(dialogs.lastMessage().buttons, asks ? MsgButtons::OkCancel : MsgButtons::Ok);
        QCOMPARE(dialogs.lastMessage().title, asks ? u8("Zelvo.FLV") : QString());
        QCOMPARE(dialogs.unexpected(), 0);
    }

    void doneAfterSave_data() {
        QTest::addColumn<Done>("d");
        const auto row = [](const char* tag, const Done& d) { QTest::newRow(tag) << d; };
        row("success with time, to the file manager",
            {true, false, 12.3f, false, 1, 1, "成功結束\r\n總共使用的時間有 12.30 秒", 2});
        row("aborted after half a second, to the file list",
            {true, false, 0.5f, true, 2, 1, "被中止掉\r\n總共使用的時間有 .50 秒", 1});
        row("across midnight: no time line", {true, false, -86390.0f, false, 2, 2, "成功結束", 0});
        row("plain copy: no time line", {true, false, 0.0f, false, 0, 1, "成功結束", 2});
        row("silent", {true, true, 3.0f, false, 1, 0, "", 1});
        row("no output", {false, false, 3.0f, false, 2, 0, "", 0});
    }
    void doneAfterSave() {
        QFETCH(Done, d);
        if (d.list > 0) {
            fillList(d.list == 2);
        }
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u8("新 資料夾")));
        const QString output = dir.filePath(u8("新 資料夾/影片_part.flv"));
        QVERIFY(!d.exists || testsupport::writeFile(output));
        const QString startDir = QDir::currentPath();
        ScriptedDialogs dialogs;
        if (d.answer > 0) {
            dialogs.answerMessage(d.answer == 1 ? MsgResult::Ok : MsgResult::Cancel);
        }
        session().doneAfterSave(output, d.silent, d.seconds, d.aborted);

        QCOMPARE(dialogs.unexpected(), 0);
        if (d.answer > 0) {
            QCOMPARE(dialogs.messageTexts(),
                     QStringList(u8("全部的檔案處理程序已經") + u8(d.middle) +
                                 u8("\r\n\r\n按下「確定」，可以前往檔案總管\r\n"
                                    "或本軟體的檔案列表，查看新檔案")));
            QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::OkCancel);
            QCOMPARE(dialogs.lastMessage().title, u8("Zelvo.FLV"));
        }
        QCOMPARE(m_listWindow.shownInFileList,
                 d.shownIn == 1 ? QStringList(output) : QStringList());
        QCOMPARE(m_explorer, d.shownIn == 2 ? QStringList(output) : QStringList());
        // The program's own folder is no state of the tools.
        QCOMPARE(QDir::currentPath(), startDir);
    }

    // Only the tools' intermediate files go, whichever run left them.
    void killTempFiles() {
        QTemporaryDir dir;
        const QStringList gone = {u8("~tmpSP001.flv"), u8("~tmpSJoin.avi"), u8("~fix~tmpSP002.mpg"),
                                  u8("~tmpSZ4242-1.flv")};
        const QStringList kept = {u8("a~tmpS.flv"), u8("keep.flv"), u8("~fix~other.flv"),
                                  u8("~tmpX.flv")};
        for (const QString& name : gone + kept) {
            QVERIFY(testsupport::writeFile(dir.filePath(name)));
        }
        QVERIFY(QDir(dir.path()).mkdir(u8("~tmpSdir.d")));
        ToolJob::killTempFiles(dir.path());
        QStringList expected = kept + QStringList(u8("~tmpSdir.d"));
        expected.sort();
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
                 expected);
    }
};

QTEST_MAIN(TestBusySession)
#include "tst_busysession.moc"
