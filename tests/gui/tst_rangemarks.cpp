// Range marks on real media: marking with the keys and from the marks list, the segment and
// total texts, playing marks once and in a loop, and the questions the marks ask.
#include "PlayerTestKit.h"
#include "gui/player/MainMenus.h"
#include "gui/widgets/ZelvoButton.h"

#include <QAction>
#include <QFrame>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string_view>

namespace {

// The playlist window as the marks see it: it offers marks list lines "start-end" in frames
// and records what the player asks of it.
class MarksList : public TestList {
public:
    QStringList lines, calls;

    QStringList marksLines() const override { return lines; }
    void getStartEnd(const QString& line, qint32& start, qint32& end) const override {
        const QStringList ends = line.split(u'-');
        if (ends.size() == 2) {
            start = ends.at(0).toInt();
            end = ends.at(1).toInt();
        }
    }
    void changeToTab(int area, int tab, bool) override {
        calls << u8("tab %1 %2").arg(area).arg(tab);
    }
    void addToList(const QString& item, bool afterSelection, bool) override {
        calls << (afterSelection ? u8("insert ") : u8("append ")) + item;
    }
    void mnuPlaySetting_Click(int i) override { calls << u8("mode %1").arg(i); }
};

// Calls onMessage the moment each message box is shown.
class WatchingDialogs : public ScriptedDialogs {
public:
    std::function<void()> onMessage = [] {};
    MsgResult message(const MessageRequest& request) override {
        onMessage();
        return ScriptedDialogs::message(request);
    }
};

QColor boxColor(const QFrame* box) {
    return box->palette().color(QPalette::Window);
}
const QColor kGreen(0, 255, 0);

// A question the marks ask (always titled "注意事項"; text "": none asked) and its buttons.
struct Ask {
    const char* text;
    MsgButtons buttons;
};

// A scenario on the open file: marks loaded with the entry and made with the keys or the
// marks list (see runMarks), the user's action and answer, and what shows afterwards.
struct Case {
    const char *loaded, *ops;
    // "": none; "click": on segment 2; "listN": add the file to list N, at its end ("listN+":
    // after its selection); "exit", "F2", "clear", "play" (the first marks play item),
    // "seek" (a click halfway along the seek bar).
    std::string_view action;
    MsgResult answer;
    Ask asked;
    const char* marks;    // on the strip afterwards
    const char* playing;  // "▶" while playing, followed by the range in effect
    const char* calls;    // what the playlist window was asked, in order
};

}  // namespace

Q_DECLARE_METATYPE(Case)

class tst_RangeMarks : public QObject {
    Q_OBJECT

    std::unique_ptr<PlayerFixture> m_f;
    std::unique_ptr<WatchingDialogs> m_dialogs;
    MarksList m_list;
    QString m_path;

    // Opens the generated H.264 MP4 (with marks, when given) and waits until it plays.
    void open(const QString& marks) {
        m_f->w->playSingle(marks.isEmpty() ? m_path : m_path + u8("∥") + marks, false);
        QVERIFY(m_f->waitStatus(u8("正在播放")));
        QCOMPARE(m_f->w->state().totalFrames,
                 750);  // 30 s at 25 frames a second: the times rest on it
    }
    // Marking on the open file: "[100" and "]200" press the start and end keys on those
    // frames, ">300" pauses there, "d0" deletes segment 0, "l100-200,bad" applies a marks
    // list of those lines.
    void runMarks(const QString& ops) {
        frmMain& w = *m_f->w;
        for (const QString& op : ops.split(u' ', Qt::SkipEmptyParts)) {
            const char kind = op.at(0).toLatin1();
            if (kind == 'd') {
                w.marks().deleteSegment(op.mid(1).toInt());
                w.marks().updateMarksTotal();
            } else if (kind == 'l') {
                m_list.lines = op.mid(1).split(u',', Qt::SkipEmptyParts);
                m_f->setList(&m_list);
                w.marks().applyMark();
                QCOMPARE(w.state().playerState, 5);  // stopped until the marks are played
            } else {  // paused on the frame, as the user does before pressing a mark key
                if (w.state().playerState == 1) {
                    w.playback().mbPause_Click();
                }
                {
                    const PlayerParts::MciBusy seeking(w.parts());
                    w.session().setCurFrame(op.mid(1).toInt(), false);
                }
                QTRY_COMPARE_WITH_TIMEOUT(w.session().getCurFrame(), op.mid(1).toInt(), 3000);
                if (kind == ']') {
                    w.statusTimer().tick();  // the tick stretches the open segment first
                }
                if (kind != '>') {
                    QVERIFY(w.Form_KeyDown(kind == '[' ? Qt::Key_BracketLeft : Qt::Key_BracketRight,
                                           Qt::NoModifier));
                }
            }
        }
    }
    QString playingRange() const {
        const MCI& mci = m_f->w->session();
        return u8("%1-%2").arg(mci.rngStart()).arg(mci.rngEnd());
    }

private Q_SLOTS:
    void init() {
        m_dialogs = std::make_unique<WatchingDialogs>();
        m_f = std::make_unique<PlayerFixture>();
        m_f->load();
        m_path = m_f->copy(u8("clip.mp4"), u8("標記 clip.mp4"));
        m_list = MarksList();
    }
    void cleanup() {
        m_dialogs->onMessage = [] {};                    // it may watch a test's locals
        const int unexpected = m_dialogs->unexpected();  // boxes no test row expects
        m_f.reset();
        m_dialogs.reset();
        QCOMPARE(unexpected, 0);
    }

    // The times handed to the tools for a segment: in seconds or as times, pads kept inside
    // the media, the length the segment's own.
    void segmentTimes() {
        open(u8("100-300 310-725"));
        const auto times = [this](int index, int mode, float padStart, float padEnd) {
            QString from, to, length;
            float fromSec = -1.0f, toSec = -1.0f;
            m_f->w->marksModel().rsFormat(index, from, to, mode, fromSec, toSec, padStart, padEnd,
                                          length);
            return QStringList({from, to, length}).join(u' ');
        };
        QCOMPARE(times(1, 0, 1.5f, -0.5f), u8("13.90 28.50 16.60"));
        QCOMPARE(times(0, 2, 0.0f, 0.0f), u8("00:04.00 00:12.00 00:08.00"));
        QCOMPARE(times(0, 3, -5.0f, 5.0f), u8("00:00:00.00 00:00:17.00 00:00:08.00"));
        QCOMPARE(times(1, 3, -5.0f, 5.0f), u8("00:00:07.40 00:00:30.00 00:00:16.60"));
    }

    void loadedMarksPlay_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("loops");
        QTest::newRow("an entry's marks play once") << QString() << false;
        QTest::newRow("Enter plays them once from the first") << u8("Enter") << false;
        QTest::newRow("Ctrl+Enter loops the whole set") << u8("Ctrl+Enter") << true;
    }
    void loadedMarksPlay() {
        QFETCH(QString, key);
        QFETCH(bool, loops);
        open(u8("25-50 100-125"));
        frmMain& w = *m_f->w;
        if (!key.isEmpty()) {
            w.Form_KeyDown(Qt::Key_Return,
                           loops ? Qt::KeyboardModifiers(Qt::ControlModifier) : Qt::NoModifier);
        }
        QCOMPARE(w.session().rngRepeat(), loops);
        QCOMPARE(playingRange(), u8("25-50"));

        // Watch the position while a range plays: it stays within two frames of a segment.
        QList<qint32> seen;
        bool wrapped = false;
        QTimer watch;
        watch.setInterval(15);
        connect(&watch, &QTimer::timeout, this, [&] {
            // As the status timer does, not in the middle of a media command.
            if (w.session().isRngPlaying() && !w.isMciBusy()) {
                const qint32 frame = w.session().getCurFrame();
                const bool inside = (frame >= 23 && frame <= 52) || (frame >= 98 && frame <= 127);
                QVERIFY2(inside, qPrintable(u8("frame %1").arg(frame)));
                wrapped = wrapped || (frame <= 52 && !seen.isEmpty() && seen.constLast() >= 98);
                seen.append(frame);
            }
        });
        watch.start();
        // Once, playback stops after the last segment; in a loop the first one comes again.
        QVERIFY(testsupport::waitUntil([&] { return loops ? wrapped : w.state().playerState == 5; },
                                       8000));
        watch.stop();
        QVERIFY(!seen.isEmpty());
        QVERIFY(*std::max_element(seen.cbegin(), seen.cend()) >= 123);  // the last one ran out
        QCOMPARE(wrapped, loops);
        QCOMPARE(w.session().isRngPlaying(), loops);
        QCOMPARE(w.state().playerState, loops ? 1 : 5);
        if (!loops) {
            QCOMPARE(m_f->status(), u8("結束播放"));
        }
    }

    void marks_data() {
        QTest::addColumn<Case>("c");
        const auto ok = MsgResult::Ok, cancel = MsgResult::Cancel;
        const auto yes = MsgResult::Yes, no = MsgResult::No;
        const Ask click{
            "標記區段 2：從 00:12.00 到 00:20.00 ＝ 00:08.00 秒\r\n\r\n"
            "是否要播放或刪除這個標記區段？\r\n\r\n\r\n"
            "按「是」則播放這個標記區段\r\n按「否」則刪除這個標記區段",
            MsgButtons::YesNoCancel};
        const Ask attach{
            "你選擇把目前的檔案加入到指定清單\r\n是否要附加標記，被標記的影格如下：\r\n\r\n"
            "120-480\r\n500-700",
            MsgButtons::YesNoCancel};
        const Ask exit{
            "你選擇了結束與離開本軟體\r\n但是你目前處於標記編輯的狀態\r\n\r\n"
            "按「是」則結束與離開本軟體\r\n按「否」則繼續使用本軟體",
            MsgButtons::YesNo};
        const Ask clear{"確定要清除所有的標記？", MsgButtons::OkCancel};
        const Ask play{"由於你針對目前的檔案進行了標記編輯\r\n清單播放模式將改為「單次播放檔案」",
                       MsgButtons::Ok};
        const Ask none{"", MsgButtons::Ok};
        const auto row = [](const char* tag, const Case& c) { QTest::newRow(tag) << c; };
        // Marking alone: paused, or stopped after a marks list, the range of the entry gone.
        const auto mark = [&](const char* tag, const char* loaded, const char* ops,
                              const char* marks, const char* playing = "") {
            row(tag, {loaded, ops, "", ok, none, marks, playing, ""});
        };
        mark("second start moves the start", "", "[100 [300 ]500", "300-500");
        mark("an end before the start removes the segment", "", "[200 ]100", "");
        mark("two can be split", "", "[100 ]200 [300 ]500", "100-200 300-500");
        mark("deleting renumbers", "", "[100 ]200 [300 ]500 d0", "300-500");
        mark("deleting the only segment clears everything", "", "[100 ]200 d0", "");
        mark("second end moves the end", "", "[310 ]350 ]400", "310-400");
        mark("marks list replaces", "25-50", "l100-200,300-500", "100-200 300-500");
        mark("bad list line skipped", "25-50", "lbad,300-500", "300-500");
        mark("an empty marks list clears the marks", "25-50", "l", "");
        mark("marks of a longer file are dropped", "100-200 700-900", "", "", "▶");
        const char *two = "100-200 300-500", *marks = "120-480 500-700";
        row("seeking leaves the range", {"100-200", "", "seek", ok, none, "100-200", "▶", ""});
        row("segment, Cancel leaves everything",
            {two, "", "click", cancel, click, two, "100-200", ""});
        row("segment, No deletes it", {two, "", "click", no, click, "100-200", "", ""});
        row("segment, Yes plays only it", {two, "", "click", yes, click, two, "▶300-500", ""});
        row("to a list, asked, Yes attaches them",
            {marks, "", "list1", yes, attach, marks, "120-480",
             "tab 0 1; append <file>∥120-480 500-700"});
        row("to a list, asked, No adds the path alone",
            {marks, "", "list0+", no, attach, marks, "120-480", "tab 0 0; insert <file>"});
        row("to a list, asked, Cancel adds nothing",
            {marks, "", "list0", cancel, attach, marks, "120-480", ""});
        row("to a list without marks adds nothing", {"", "", "list0", ok, none, "", "▶", ""});
        row("to the join list, always attaching marks",
            {marks, "", "list2", ok, none, marks, "▶120-480",
             "tab 2 0; append <file>∥120-480 500-700"});
        row("exit with an open segment, No keeps running",
            {"", "[100", "exit", no, exit, "", "", ""});
        row("exit with edited marks, Yes quits", {"", "[100 ]200", "exit", yes, exit, "", "", ""});
        row("exit, all marks deleted: no question",
            {"", "[100 ]200 d0", "exit", ok, none, "", "", ""});
        row("exit, marks loaded with the entry: no question",
            {"100-200", "", "exit", ok, none, "", "", ""});
        row("F2 closes the open segment and shows the marks list",
            {"", "[100 >200", "F2", ok, none, "100-200", "", "tab 1 0"});
        row("clearing, OK", {"", "[100 ]200", "clear", ok, clear, "", "", ""});
        row("clearing, Cancel", {"", "[100 ]200", "clear", cancel, clear, "100-200", "", ""});
        row("playing marks turns list play to single files",
            {"", "[100 ]200", "play", ok, play, "100-200", "▶100-200", "mode 0"});
    }
    void marks() {
        QFETCH(Case, c);
        const std::string_view action = c.action;
        const QString asked = u8(c.asked.text);
        const QString shown = u8(c.marks);
        frmMain& w = *m_f->w;
        const MainMenus& m = w.menus();
        if (action != "click" && action != "exit") {
            m_list.setting = action == "play" ? 2 : 0;
            m_f->setList(&m_list);
        }
        open(u8(c.loaded));
        runMarks(u8(c.ops));
        QColor whileAsked;
        if (!asked.isEmpty()) {
            m_dialogs->answerMessage(c.answer);
        }
        if (action == "click") {
            m_dialogs->onMessage = [&] { whileAsked = boxColor(w.marks().picRS(1)); };
            QTest::mouseClick(w.marks().picRS(1), Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
            QCOMPARE(whileAsked, QColor(255, 0, 0));  // the segment asked about shows red
        } else if (action.substr(0, 4) == "list") {
            m.mnuAutoAddMark->setChecked(asked.isEmpty());
            m.mnuToListEnd->setChecked(action.back() != '+');
            m.mnuToList[action[4] - '0']->trigger();
        } else if (action == "exit") {
            w.close();
        } else if (action == "F2") {
            QVERIFY(w.Form_KeyDown(Qt::Key_F2, Qt::NoModifier));
        } else if (action == "seek") {
            QVERIFY(w.session().isRngPlaying());
            QWidget* bar = w.panel().picHsb;
            QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() / 2, 3));
            QVERIFY(!w.session().isRngPlaying());
            QVERIFY(w.panel().mbPlay[0]->isVisible());
            QCOMPARE(w.panel().mbRngStart->State(), int(ZelvoButton::Normal));
            // The file plays on from there, past the range's end.
            QVERIFY(testsupport::waitUntil([&] { return w.session().getCurFrame() > 300; }));
        } else if (!action.empty()) {
            (action == "clear" ? m.mnuRngClear : m.mnuRngPlay[0])->trigger();
        }

        QCOMPARE(m_dialogs->messageTexts(), asked.isEmpty() ? QStringList() : QStringList{asked});
        QCOMPARE(m_dialogs->lastMessage().buttons, c.asked.buttons);
        QCOMPARE(m_dialogs->lastMessage().title, asked.isEmpty() ? QString() : u8("注意事項"));
        QCOMPARE(m_list.calls.join(u8("; ")).replace(m_path, u8("<file>")), u8(c.calls));
        if (action == "exit") {
            const bool quits = asked.isEmpty() || c.answer == MsgResult::Yes;
            QCOMPARE(w.isVisible(), !quits);
            QCOMPARE(appClosing, quits);
            if (!quits) {  // still open on the same file, paused for the question
                QCOMPARE(w.session().FileName(), m_path);
                QCOMPARE(w.session().getStatus(), u8("paused"));
                QVERIFY(w.checkDealRng());
            }
            return;
        }

        // The strip: a green box per segment, its tip and the total in seconds (25 frames).
        const RangeMarks& marks = w.marks();
        const MarksModel& model = w.marksModel();
        const QStringList segments = shown.split(u' ', Qt::SkipEmptyParts);
        const bool any = !segments.isEmpty();
        const auto seconds = [](double s) {
            return QString::number(s, 'f', 2).rightJustified(5, u'0');
        };
        QCOMPARE(model.stripShown() ? model.marksText() : QString(), shown);
        QCOMPARE(w.panel().picRngBk->isVisible(), any);
        QCOMPARE(model.lastSegmentIndex(), std::max(0, static_cast<int>(segments.size()) - 1));
        double total = 0.0;
        for (int i = 0; i < segments.size(); ++i) {
            const double from = segments.at(i).section(u'-', 0, 0).toDouble() / 25.0;
            const double to = segments.at(i).section(u'-', 1, 1).toDouble() / 25.0;
            total += to - from;
            QCOMPARE(marks.picRS(i)->toolTip(),
                     u8("標記區段 %1：從 00:%2 到 00:%3 ＝ 00:%4 秒")
                         .arg(i + 1)
                         .arg(seconds(from), seconds(to), seconds(to - from)));
            QVERIFY(marks.picRS(i)->isVisible());
            QCOMPARE(boxColor(marks.picRS(i)), kGreen);
        }
        QCOMPARE(w.panel().picRngBk->toolTip(),
                 any ? u8("%1 個標記的總時間是 00:%2 秒").arg(segments.size()).arg(seconds(total))
                     : QString());
        // The menus follow the segments (cutting needs two); the marks list always opens.
        QVERIFY(m.mnuRngEdit->isEnabled());
        for (const QAction* item :
             {m.mnuRngPlay[0], m.mnuRngPlay[1], m.mnuRngClear, m.mnuSaveRng}) {
            QCOMPARE(item->isEnabled(), any);
        }
        QCOMPARE(m.mnuSaveCut->isEnabled(), segments.size() > 1);
        // Marks made here, not loaded with the entry, are being edited: leaving asks.
        QCOMPARE(w.checkDealRng(), any && *c.ops != 0);

        const QString range = w.session().isRngPlaying() ? playingRange() : QString();
        QCOMPARE((w.state().playerState == 1 ? u8("▶") : QString()) + range, u8(c.playing));
        if (w.state().playerState == 1 && !range.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(w.session().getCurFrame() >= w.session().rngStart(), 3000);
        }
        if (action.empty() && *c.ops == 0) {
            QVERIFY(w.session().getCurFrame() < 100);  // the file plays from its start
        }
        if (action == "click" && c.answer == MsgResult::Yes) {
            QCOMPARE(model.playSeg, model.lastSegmentIndex());  // nothing follows
        }
    }
};

QTEST_MAIN(tst_RangeMarks)
#include "tst_rangemarks.moc"
