// Range marks on real media: marking with the keys and from the marks list, the segment and
// total texts, playing marks once and in a loop, and the questions the marks ask (a segment
// clicked, the file added to a list, clearing, playing, leaving while marks are edited).
#include "PlayerTestKit.h"
#include "ScriptedDialogs.h"
#include "player/MainMenus.h"
#include "player/RangeMarks.h"
#include "widgets/ZelvoButton.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFrame>
#include <QMenu>

#include <algorithm>
#include <functional>

namespace {

// The playlist window as the marks see it: it offers marks list lines "start-end" in frames
// and records what the player asks of it.
class MarksList : public TestList {
public:
    QStringList lines, calls;

    QStringList marksLines() const override { return lines; }
    void getStartEnd(const QString& line, qint32& start, qint32& end) const override {
        const QStringList ends = line.split(QLatin1Char('-'));
        if (ends.size() == 2) {
            start = ends.at(0).toInt();
            end = ends.at(1).toInt();
        }
    }
    void changeToTab(int area, int tab, bool) override {
        calls << QStringLiteral("tab %1 %2").arg(area).arg(tab);
    }
    void addToList(const QString& item, bool afterSelection, bool) override {
        calls << (afterSelection ? QStringLiteral("insert ") : QStringLiteral("append ")) + item;
    }
    void mnuPlaySetting_Click(int i) override { calls << QStringLiteral("mode %1").arg(i); }
};

// Notes something about the window at the moment each message box is shown.
class WatchingDialogs : public ScriptedDialogs {
public:
    std::function<void()> onMessage;
    MsgResult message(const MessageRequest& request) override {
        if (onMessage) {
            onMessage();
        }
        return ScriptedDialogs::message(request);
    }
};

QColor boxColor(const QFrame* box) {
    return box->palette().color(QPalette::Window);
}

// A question the marks ask: the file opened with marks loaded and/or marked with the keys,
// the user's action and answer, and what shows afterwards.
struct Question {
    const char* loaded;
    const char* ops;
    // "click": on segment 2; "listN": add the file to list N, at its end ("listN+": after
    // its selection); "exit", "F2", "clear", "play" (the first marks play item).
    const char* action;
    MsgResult answer;
    const char* asked;  // the question, always titled "注意事項"; "": none asked
    MsgButtons buttons;
    const char* marksAfter;
    const char* playing;  // the range playing afterwards
    const char* calls;    // what the playlist window was asked, in order
};

const QColor kGreen(0, 255, 0);

}  // namespace

Q_DECLARE_METATYPE(Question)

class tst_RangeMarks : public QObject {
    Q_OBJECT

    std::unique_ptr<PlayerFixture> m_f;
    std::unique_ptr<WatchingDialogs> m_dialogs;
    MarksList m_list;
    QString m_path;

    // Opens the generated H.264 MP4 (with marks, when given) and waits until it plays.
    void open(const QString& marks) {
        m_f->w->playSingle(marks.isEmpty() ? m_path : m_path + QStringLiteral("∥") + marks, false);
        QVERIFY(m_f->waitStatus(QStringLiteral("正在播放")));
        QCOMPARE(m_f->w->totalFrames, 750);  // 30 s at 25 frames a second: the times rest on it
    }
    // Pauses on frame, as the user does before pressing a mark key.
    void pauseAt(qint32 frame) {
        frmMain& w = *m_f->w;
        if (w.playerState == 1) {
            w.mbPause_Click();
        }
        {
            const frmMain::MciBusy seeking(w);
            w.mciMain.setCurFrame(frame, false);
        }
        QTRY_COMPARE_WITH_TIMEOUT(w.mciMain.getCurFrame(), frame, 3000);
    }
    // Marking on the open file: "[100" and "]200" press the start and end keys on those
    // frames, ">300" pauses there, "d0" deletes segment 0, "l100-200,bad" applies a marks
    // list of those lines.
    void runMarks(const QString& ops) {
        frmMain& w = *m_f->w;
        for (const QString& op : ops.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const char kind = op.at(0).toLatin1();
            if (kind == 'd') {
                w.marks().deleteSegment(op.mid(1).toInt());
                w.marks().updateMarksTotal();
            } else if (kind == 'l') {
                m_list.lines = op.mid(1).split(QLatin1Char(','), Qt::SkipEmptyParts);
                w.setPlayerList(&m_list);
                w.marks().applyMark();
                QCOMPARE(w.playerState, 5);  // stopped until the marks are played
            } else {
                pauseAt(op.mid(1).toInt());
                if (kind == ']') {
                    w.tmrCheck_Timer();  // the tick stretches the open segment first
                }
                if (kind != '>') {
                    QVERIFY(w.Form_KeyDown(kind == '[' ? Qt::Key_BracketLeft : Qt::Key_BracketRight,
                                           Qt::NoModifier));
                }
            }
        }
    }
    QString shownMarks() const {
        const RangeMarks& marks = m_f->w->marks();
        return marks.stripVisible() ? marks.marksText() : QString();
    }

private Q_SLOTS:
    void init() {
        m_dialogs = std::make_unique<WatchingDialogs>();
        m_f = std::make_unique<PlayerFixture>();
        m_f->load();
        m_path = m_f->copy(QStringLiteral("clip.mp4"), QStringLiteral("標記 clip.mp4"));
        m_list = MarksList();
    }
    void cleanup() {
        m_dialogs->onMessage = nullptr;  // it may watch a test's locals
        m_f.reset();
        m_dialogs.reset();
    }

    void strip_data() {
        QTest::addColumn<QString>("loaded");  // marks loaded with the entry
        QTest::addColumn<QString>("ops");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("tips");
        QTest::addColumn<QString>("total");
        QTest::addColumn<bool>("canSplit");
        const auto tip = [](int n, const char* from, const char* to, const char* length) {
            return QStringLiteral("標記區段 %1：從 00:%2 到 00:%3 ＝ 00:%4 秒")
                .arg(n)
                .arg(QLatin1String(from), QLatin1String(to), QLatin1String(length));
        };
        const auto row = [](const char* tag, const char* loaded, const char* ops, const char* shown,
                            const QStringList& tips, const char* seconds, bool canSplit) {
            const QString total = QStringLiteral("%1 個標記的總時間是 00:%2 秒")
                                      .arg(tips.size())
                                      .arg(QLatin1String(seconds));
            QTest::newRow(tag) << QString::fromUtf8(loaded) << QString::fromUtf8(ops)
                               << QString::fromUtf8(shown) << tips
                               << (tips.isEmpty() ? QString() : total) << canSplit;
        };
        const QStringList seg12to20{tip(1, "12.00", "20.00", "08.00")};
        const QStringList two{tip(1, "04.00", "08.00", "04.00"), tip(2, "12.00", "20.00", "08.00")};
        row("second start moves the start", "", "[100 [300 ]500", "300-500", seg12to20, "08.00",
            false);
        row("an end before the start removes the segment", "", "[200 ]100", "", {}, "", false);
        row("two can be split", "", "[100 ]200 [300 ]500", "100-200 300-500", two, "12.00", true);
        row("deleting renumbers", "", "[100 ]200 [300 ]500 d0", "300-500", seg12to20, "08.00",
            false);
        row("deleting the only segment clears everything", "", "[100 ]200 d0", "", {}, "", false);
        row("second end moves the end", "", "[310 ]350 ]400", "310-400",
            {tip(1, "12.40", "16.00", "03.60")}, "03.60", false);
        row("marks list replaces", "25-50", "l100-200,300-500", "100-200 300-500", two, "12.00",
            true);
        row("bad list line skipped", "25-50", "lbad,300-500", "300-500", seg12to20, "08.00", false);
        row("an empty marks list clears the marks", "25-50", "l", "", {}, "", false);
        row("marks of a longer file are dropped", "100-200 700-900", "", "", {}, "", false);
    }
    void strip() {
        QFETCH(QString, loaded);
        QFETCH(QString, ops);
        QFETCH(QString, shown);
        QFETCH(QStringList, tips);
        QFETCH(QString, total);
        QFETCH(bool, canSplit);
        open(loaded);
        runMarks(ops);

        frmMain& w = *m_f->w;
        const RangeMarks& marks = w.marks();
        const bool any = !shown.isEmpty();
        QCOMPARE(shownMarks(), shown);
        QCOMPARE(w.picPlusBk->picRngBk->isVisible(), any);
        QCOMPARE(w.picPlusBk->picRngBk->toolTip(), total);
        QCOMPARE(marks.lastSegmentIndex(), std::max(0, static_cast<int>(tips.size()) - 1));
        for (int i = 0; i < tips.size(); ++i) {
            QCOMPARE(marks.picRS(i)->toolTip(), tips.at(i));
            QVERIFY(marks.picRS(i)->isVisible());
            QCOMPARE(boxColor(marks.picRS(i)), kGreen);
        }
        // The menus follow the segments; the marks list can always be opened.
        const MainMenus& m = w.menus();
        QVERIFY(m.mnuRngEdit->isEnabled());
        for (const QAction* item :
             {m.mnuRngPlay[0], m.mnuRngPlay[1], m.mnuRngClear, m.mnuSaveRng}) {
            QCOMPARE(item->isEnabled(), any);
        }
        QCOMPARE(m.mnuSaveCut->isEnabled(), canSplit);
        QCOMPARE(w.checkDealRng(), any);
        QVERIFY(!w.mciMain.isRngPlaying());
        if (ops.isEmpty()) {
            QVERIFY(w.mciMain.getCurFrame() < 100);  // played from its start
        }
        QCOMPARE(m_dialogs->messages().size(), 0);
    }

    // The times handed to the tools for a segment: in seconds or as times, pads kept inside
    // the media, the length the segment's own.
    void segmentTimes() {
        open(QStringLiteral("100-300 310-725"));
        const auto times = [this](int index, int mode, float padStart, float padEnd) {
            QString from, to, length;
            float fromSec = -1.0f;
            float toSec = -1.0f;
            m_f->w->marks().rsFormat(index, from, to, mode, fromSec, toSec, padStart, padEnd,
                                     length);
            return QStringList({from, to, length}).join(QLatin1Char(' '));
        };
        QCOMPARE(times(1, 0, 1.5f, -0.5f), QStringLiteral("13.90 28.50 16.60"));
        QCOMPARE(times(0, 2, 0.0f, 0.0f), QStringLiteral("00:04.00 00:12.00 00:08.00"));
        QCOMPARE(times(0, 3, -5.0f, 5.0f), QStringLiteral("00:00:00.00 00:00:17.00 00:00:08.00"));
        QCOMPARE(times(1, 3, -5.0f, 5.0f), QStringLiteral("00:00:07.40 00:00:30.00 00:00:16.60"));
    }

    void loadedMarksPlay_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("loops");
        QTest::newRow("an entry's marks play once") << QString() << false;
        QTest::newRow("Enter plays them once from the first") << QStringLiteral("Enter") << false;
        QTest::newRow("Ctrl+Enter loops the whole set") << QStringLiteral("Ctrl+Enter") << true;
    }
    void loadedMarksPlay() {
        QFETCH(QString, key);
        QFETCH(bool, loops);
        open(QStringLiteral("25-50 100-125"));
        frmMain& w = *m_f->w;
        QVERIFY(!w.marks().marksEdited);  // loaded, not edited: no exit question
        if (!key.isEmpty()) {
            w.Form_KeyDown(Qt::Key_Return,
                           loops ? Qt::KeyboardModifiers(Qt::ControlModifier) : Qt::NoModifier);
        }
        QCOMPARE(w.mciMain.rngRepeat(), loops);
        QCOMPARE(w.mciMain.rngStart(), 25);
        QCOMPARE(w.mciMain.rngEnd(), 50);

        // Watch the position while a range plays: it stays within two frames of a segment.
        QList<qint32> seen;
        bool wrapped = false;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < (loops ? 5000 : 8000) && (loops || w.playerState != 5)) {
            if (w.mciMain.isRngPlaying()) {
                const qint32 frame = w.mciMain.getCurFrame();
                const bool inside = (frame >= 23 && frame <= 52) || (frame >= 98 && frame <= 127);
                QVERIFY2(inside, qPrintable(QStringLiteral("frame %1").arg(frame)));
                wrapped = wrapped || (frame <= 52 && !seen.isEmpty() && seen.constLast() >= 98);
                seen.append(frame);
            }
            QTest::qWait(15);
        }
        QVERIFY(!seen.isEmpty());
        QVERIFY(*std::max_element(seen.cbegin(), seen.cend()) >= 123);  // the last one ran out
        QCOMPARE(wrapped, loops);
        QCOMPARE(w.mciMain.rngRepeat(), loops);
        QCOMPARE(w.mciMain.isRngPlaying(), loops);
        QCOMPARE(w.playerState, loops ? 1 : 5);
        if (!loops) {
            QCOMPARE(m_f->status(), QStringLiteral("結束播放"));
        }
        QCOMPARE(m_dialogs->messages().size(), 0);
    }

    void seekingLeavesTheRange() {
        open(QStringLiteral("100-200"));
        frmMain& w = *m_f->w;
        QVERIFY(w.mciMain.isRngPlaying());
        QWidget* bar = w.picPlusBk->picHsb;
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() / 2, 3));
        QVERIFY(!w.mciMain.isRngPlaying());
        QVERIFY(w.picPlusBk->mbPlay[0]->isVisible());
        QCOMPARE(w.picPlusBk->mbRngStart->State(), int(ZelvoButton::Normal));
        // The file plays on from there, with its marks kept.
        QTest::qWait(800);
        QCOMPARE(w.playerState, 1);
        QVERIFY(w.mciMain.getCurFrame() > 300);
        QCOMPARE(w.marks().marksText(), QStringLiteral("100-200"));
    }

    void questions_data() {
        QTest::addColumn<Question>("q");
        const auto ok = MsgResult::Ok, cancel = MsgResult::Cancel;
        const auto yes = MsgResult::Yes, no = MsgResult::No;
        const char* click =
            "標記區段 2：從 00:12.00 到 00:20.00 ＝ 00:08.00 秒\r\n\r\n"
            "是否要播放或刪除這個標記區段？\r\n\r\n\r\n"
            "按「是」則播放這個標記區段\r\n按「否」則刪除這個標記區段";
        const char* attach =
            "你選擇把目前的檔案加入到指定清單\r\n是否要附加標記，被標記的影格如下：\r\n\r\n"
            "120-480\r\n500-700";
        const char* exit =
            "你選擇了結束與離開本軟體\r\n但是你目前處於標記編輯的狀態\r\n\r\n"
            "按「是」則結束與離開本軟體\r\n按「否」則繼續使用本軟體";
        const char* clear = "確定要清除所有的標記？";
        const char* play =
            "由於你針對目前的檔案進行了標記編輯\r\n清單播放模式將改為「單次播放檔案」";
        const auto ync = MsgButtons::YesNoCancel, yn = MsgButtons::YesNo, none = MsgButtons::Ok;
        const char* two = "100-200 300-500";
        const char* marks = "120-480 500-700";
        QTest::newRow("segment, Cancel leaves everything")
            << Question{two, "", "click", cancel, click, ync, two, "", ""};
        QTest::newRow("segment, No deletes it")
            << Question{two, "", "click", no, click, ync, "100-200", "", ""};
        QTest::newRow("segment, Yes plays only it")
            << Question{two, "", "click", yes, click, ync, two, "300-500", ""};
        QTest::newRow("to a list, always attaching marks")
            << Question{marks, "",        "list0",
                        ok,    "",        none,
                        marks, "120-480", "tab 0 0; append <file>∥120-480 500-700"};
        QTest::newRow("to a list, asked, Yes attaches them")
            << Question{marks, "",     "list1",
                        yes,   attach, ync,
                        marks, "",     "tab 0 1; append <file>∥120-480 500-700"};
        QTest::newRow("to a list, asked, No adds the path alone")
            << Question{marks, "", "list0+", no, attach, ync, marks, "", "tab 0 0; insert <file>"};
        QTest::newRow("to a list, asked, Cancel adds nothing")
            << Question{marks, "", "list0", cancel, attach, ync, marks, "", ""};
        QTest::newRow("to the join list")
            << Question{marks, "",        "list2",
                        ok,    "",        none,
                        marks, "120-480", "tab 2 0; append <file>∥120-480 500-700"};
        QTest::newRow("exit with an open segment, No keeps running")
            << Question{"", "[100", "exit", no, exit, yn, "", "", ""};
        QTest::newRow("exit with edited marks, Yes quits")
            << Question{"", "[100 ]200", "exit", yes, exit, yn, "", "", ""};
        QTest::newRow("exit, all marks deleted: no question")
            << Question{"", "[100 ]200 d0", "exit", ok, "", none, "", "", ""};
        QTest::newRow("exit, marks loaded with the entry: no question")
            << Question{"100-200", "", "exit", ok, "", none, "", "", ""};
        QTest::newRow("F2 closes the open segment and shows the marks list")
            << Question{"", "[100 >200", "F2", ok, "", none, "100-200", "", "tab 1 0"};
        QTest::newRow("clearing, OK")
            << Question{"", "[100 ]200", "clear", ok, clear, MsgButtons::OkCancel, "", "", ""};
        QTest::newRow("clearing, Cancel") << Question{
            "", "[100 ]200", "clear", cancel, clear, MsgButtons::OkCancel, "100-200", "", ""};
        QTest::newRow("playing marks turns list play to single files")
            << Question{"", "[100 ]200", "play", ok, play, none, "100-200", "100-200", "mode 0"};
    }
    void questions() {
        QFETCH(Question, q);
        const QString action = QString::fromUtf8(q.action);
        const QString asked = QString::fromUtf8(q.asked);
        const QString marksAfter = QString::fromUtf8(q.marksAfter);
        const QString playing = QString::fromUtf8(q.playing);
        frmMain& w = *m_f->w;
        const MainMenus& m = w.menus();
        if (action != QLatin1String("click") && action != QLatin1String("exit")) {
            m_list.setting = action == QLatin1String("play") ? 2 : 0;
            w.setPlayerList(&m_list);
        }
        open(QString::fromUtf8(q.loaded));
        runMarks(QString::fromUtf8(q.ops));
        QColor whileAsked;
        if (!asked.isEmpty()) {
            m_dialogs->answerMessage(q.answer);
        }
        if (action == QLatin1String("click")) {
            m_dialogs->onMessage = [&] { whileAsked = boxColor(w.marks().picRS(1)); };
            QTest::mouseClick(w.marks().picRS(1), Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
        } else if (action.startsWith(QLatin1String("list"))) {
            m.mnuAutoAddMark->setChecked(asked.isEmpty());
            m.mnuToListEnd->setChecked(!action.endsWith(QLatin1Char('+')));
            m.mnuToList[action.mid(4, 1).toInt()]->trigger();
        } else if (action == QLatin1String("exit")) {
            w.close();
        } else if (action == QLatin1String("F2")) {
            QVERIFY(w.Form_KeyDown(Qt::Key_F2, Qt::NoModifier));
        } else {
            (action == QLatin1String("clear") ? m.mnuRngClear : m.mnuRngPlay[0])->trigger();
        }

        QCOMPARE(m_dialogs->messageTexts(), asked.isEmpty() ? QStringList() : QStringList{asked});
        if (!asked.isEmpty()) {
            QCOMPARE(m_dialogs->lastMessage().buttons, q.buttons);
            QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("注意事項"));
        }
        QCOMPARE(m_list.calls.join(QStringLiteral("; ")).replace(m_path, QStringLiteral("<file>")),
                 QString::fromUtf8(q.calls));
        if (action == QLatin1String("exit")) {
            const bool quits = asked.isEmpty() || q.answer == MsgResult::Yes;
            QCOMPARE(w.isVisible(), !quits);
            QCOMPARE(appClosing, quits);
            if (!quits) {  // still open on the same file, paused for the question
                QCOMPARE(w.mciMain.FileName(), m_path);
                QCOMPARE(w.mciMain.getStatus(), QStringLiteral("paused"));
                QVERIFY(w.checkDealRng());
            }
            return;
        }
        QCOMPARE(shownMarks(), marksAfter);
        QCOMPARE(m.mnuRngClear->isEnabled(), !marksAfter.isEmpty());
        QCOMPARE(w.playerState == 1, !playing.isEmpty());
        if (!playing.isEmpty()) {
            QCOMPARE(QStringLiteral("%1-%2").arg(w.mciMain.rngStart()).arg(w.mciMain.rngEnd()),
                     playing);
            QTRY_VERIFY_WITH_TIMEOUT(w.mciMain.getCurFrame() >= w.mciMain.rngStart(), 3000);
        }
        if (action == QLatin1String("click")) {
            QCOMPARE(whileAsked, QColor(255, 0, 0));  // the segment asked about shows red
            for (int i = 0; i <= w.marks().lastSegmentIndex(); ++i) {
                QCOMPARE(boxColor(w.marks().picRS(i)), kGreen);
            }
            if (q.answer == MsgResult::Yes) {
                QCOMPARE(w.marks().playSeg, w.marks().lastSegmentIndex());  // nothing follows
            } else if (q.answer == MsgResult::No) {
                QCOMPARE(w.picPlusBk->picRngBk->toolTip(),
                         QStringLiteral("1 個標記的總時間是 00:04.00 秒"));
                QVERIFY(!m.mnuSaveCut->isEnabled());
            }
        }
    }
};

QTEST_MAIN(tst_RangeMarks)
#include "tst_rangemarks.moc"
