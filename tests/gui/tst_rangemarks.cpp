// Range marks on real media: marking with the keys, the segment and total texts, playing
// a loaded marks text once and in a loop, the segment click question, adding the open
// file to a list with its marks, and the exit question while marks are edited.
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

// The playlist window as the marks see it: it records the tabs shown and the items added.
class MarksList : public TestList {
public:
    QStringList added;
    QList<bool> insertAfter;
    QList<QPair<int, int>> tabs;
    int refreshes = 0;
    // Marks list lines, as "start end" in frames.
    QStringList lines;

    void checkCmdRng() override { ++refreshes; }
    QStringList marksLines() const override { return lines; }
    void getStartEnd(const QString& line, qint32& start, qint32& end) const override {
        const QStringList ends = line.split(QLatin1Char(' '));
        if (ends.size() == 2) {
            start = ends.at(0).toInt();
            end = ends.at(1).toInt();
        }
    }
    void changeToTab(int area, int tab, bool) override { tabs.append({area, tab}); }
    void addToList(const QString& item, bool insertAfterSelection, bool) override {
        added.append(item);
        insertAfter.append(insertAfterSelection);
    }
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

}  // namespace

class tst_RangeMarks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void markingWithKeys_data();
    void markingWithKeys();
    void segmentTimes_data();
    void segmentTimes();
    void loadedMarksPlay_data();
    void loadedMarksPlay();
    void segmentClick_data();
    void segmentClick();
    void addToList_data();
    void addToList();
    void exitQuestion_data();
    void exitQuestion();
    void menuItems_data();
    void menuItems();
    void seekingLeavesTheRange();
    void marksBeyondTheEndAreDropped();
    void applyMarksList_data();
    void applyMarksList();

private:
    // Opens the generated H.264 MP4 (with marks, when given) and waits until it plays.
    void open(const QString& marks = QString());
    // Pauses on frame, as the user does before pressing a mark key.
    void pauseAt(qint32 frame);
    // Runs "[100 ]200 d1" (start key, end key, delete segment 1) on the paused file.
    void runMarks(const QString& ops);
    QString shownMarks() const;

    std::unique_ptr<PlayerFixture> m_f;
    std::unique_ptr<WatchingDialogs> m_dialogs;
    QString m_path;
};

void tst_RangeMarks::init() {
    m_dialogs = std::make_unique<WatchingDialogs>();
    m_f = std::make_unique<PlayerFixture>();
    m_f->load();
    m_path = m_f->copy(QStringLiteral("clip.mp4"), QStringLiteral("標記 clip.mp4"));
}

void tst_RangeMarks::cleanup() {
    m_f.reset();
    m_dialogs.reset();
}

void tst_RangeMarks::open(const QString& marks) {
    QString item = m_path;
    if (!marks.isEmpty()) {
        item += QStringLiteral("∥") + marks;
    }
    m_f->w->playSingle(item, false);
    QVERIFY(m_f->waitStatus(QStringLiteral("正在播放")));
    // 30 s at 25 frames a second: the times below rest on it.
    QCOMPARE(m_f->w->totalFrames, 750);
}

void tst_RangeMarks::pauseAt(qint32 frame) {
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

void tst_RangeMarks::runMarks(const QString& ops) {
    frmMain& w = *m_f->w;
    for (const QString& op : ops.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qint32 value = op.mid(1).toInt();
        if (op.startsWith(QLatin1Char('['))) {
            pauseAt(value);
            QVERIFY(w.Form_KeyDown(Qt::Key_BracketLeft, Qt::NoModifier));
        } else if (op.startsWith(QLatin1Char(']'))) {
            pauseAt(value);
            w.tmrCheck_Timer();  // the tick stretches the open segment first
            QVERIFY(w.Form_KeyDown(Qt::Key_BracketRight, Qt::NoModifier));
        } else if (op.startsWith(QLatin1Char('d'))) {
            w.marks().deleteSegment(value);
            w.marks().updateMarksTotal();
        }
    }
}

QString tst_RangeMarks::shownMarks() const {
    const RangeMarks& marks = m_f->w->marks();
    return marks.stripVisible() ? marks.marksText() : QString();
}

void tst_RangeMarks::markingWithKeys_data() {
    QTest::addColumn<QString>("ops");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("tips");
    QTest::addColumn<QString>("total");
    QTest::addColumn<bool>("canSplit");
    const QString seg1 = QStringLiteral("標記區段 1：從 00:04.00 到 00:08.00 ＝ 00:04.00 秒");
    QTest::newRow("a second start moves the open start")
        << QStringLiteral("[100 [300 ]500") << QStringLiteral("300-500")
        << QStringList{QStringLiteral("標記區段 1：從 00:12.00 到 00:20.00 ＝ 00:08.00 秒")}
        << QStringLiteral("1 個標記的總時間是 00:08.00 秒") << false;
    QTest::newRow("an end before the start removes the segment")
        << QStringLiteral("[200 ]100") << QString() << QStringList() << QString() << false;
    QTest::newRow("two segments can be split")
        << QStringLiteral("[100 ]200 [300 ]500") << QStringLiteral("100-200 300-500")
        << QStringList{seg1, QStringLiteral("標記區段 2：從 00:12.00 到 00:20.00 ＝ 00:08.00 秒")}
        << QStringLiteral("2 個標記的總時間是 00:12.00 秒") << true;
    QTest::newRow("deleting the first renumbers the second")
        << QStringLiteral("[100 ]200 [300 ]500 d0") << QStringLiteral("300-500")
        << QStringList{QStringLiteral("標記區段 1：從 00:12.00 到 00:20.00 ＝ 00:08.00 秒")}
        << QStringLiteral("1 個標記的總時間是 00:08.00 秒") << false;
    QTest::newRow("deleting the only segment clears everything")
        << QStringLiteral("[100 ]200 d0") << QString() << QStringList() << QString() << false;
    QTest::newRow("a second end moves the last end")
        << QStringLiteral("[100 ]200 ]250") << QStringLiteral("100-250")
        << QStringList{QStringLiteral("標記區段 1：從 00:04.00 到 00:10.00 ＝ 00:06.00 秒")}
        << QStringLiteral("1 個標記的總時間是 00:06.00 秒") << false;
}

void tst_RangeMarks::markingWithKeys() {
    QFETCH(QString, ops);
    QFETCH(QString, expected);
    QFETCH(QStringList, tips);
    QFETCH(QString, total);
    QFETCH(bool, canSplit);
    open();
    frmMain& w = *m_f->w;
    const MainMenus& m = w.menus();
    QVERIFY(!m.mnuRngPlay[0]->isEnabled());
    runMarks(ops);

    QCOMPARE(shownMarks(), expected);
    const RangeMarks& marks = w.marks();
    const bool any = !expected.isEmpty();
    QCOMPARE(w.picPlusBk->picRngBk->isVisible(), any);
    QCOMPARE(w.picPlusBk->picRngBk->toolTip(), total);
    QStringList shownTips;
    for (int i = 0; any && i <= marks.lastSegmentIndex(); ++i) {
        shownTips.append(marks.picRS(i)->toolTip());
        QCOMPARE(marks.segmentTag(i), QStringLiteral("end"));
        QVERIFY(marks.picRS(i)->isVisible());
        QCOMPARE(boxColor(marks.picRS(i)), QColor(0, 255, 0));
    }
    QCOMPARE(shownTips, tips);
    // The menus follow the segments; the marks list can always be opened.
    QVERIFY(m.mnuRngEdit->isEnabled());
    QCOMPARE(m.mnuRngPlay[0]->isEnabled(), any);
    QCOMPARE(m.mnuRngPlay[1]->isEnabled(), any);
    QCOMPARE(m.mnuRngClear->isEnabled(), any);
    QCOMPARE(m.mnuSaveRng->isEnabled(), any);
    QCOMPARE(m.mnuSaveCut->isEnabled(), canSplit);
    QCOMPARE(w.checkDealRng(), any);
    QCOMPARE(m_dialogs->messages().size(), 0);
}

void tst_RangeMarks::segmentTimes_data() {
    QTest::addColumn<QString>("marks");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("mode");
    QTest::addColumn<float>("padStart");
    QTest::addColumn<float>("padEnd");
    QTest::addColumn<QString>("startText");
    QTest::addColumn<QString>("endText");
    QTest::addColumn<QString>("lengthText");
    QTest::addColumn<QString>("tip");
    QTest::newRow("minutes and seconds")
        << QStringLiteral("100-300") << 0 << 2 << 0.0f << 0.0f << QStringLiteral("00:04.00")
        << QStringLiteral("00:12.00") << QStringLiteral("00:08.00")
        << QStringLiteral("標記區段 1：從 00:04.00 到 00:12.00 ＝ 00:08.00 秒");
    QTest::newRow("pads kept inside the media")
        << QStringLiteral("50-725") << 0 << 3 << -5.0f << 5.0f << QStringLiteral("00:00:00.00")
        << QStringLiteral("00:00:30.00") << QStringLiteral("00:00:27.00")
        << QStringLiteral("標記區段 1：從 00:02.00 到 00:29.00 ＝ 00:27.00 秒");
    QTest::newRow("second segment in seconds")
        << QStringLiteral("100-300 310-400") << 1 << 0 << 1.5f << -0.5f << QStringLiteral("13.90")
        << QStringLiteral("15.50") << QStringLiteral("3.60")
        << QStringLiteral("標記區段 2：從 00:12.40 到 00:16.00 ＝ 00:03.60 秒");
}

void tst_RangeMarks::segmentTimes() {
    QFETCH(QString, marks);
    QFETCH(int, index);
    QFETCH(int, mode);
    QFETCH(float, padStart);
    QFETCH(float, padEnd);
    QFETCH(QString, startText);
    QFETCH(QString, endText);
    QFETCH(QString, lengthText);
    QFETCH(QString, tip);
    open(marks);
    const RangeMarks& strip = m_f->w->marks();
    QString from;
    QString to;
    QString length;
    float fromSec = -1.0f;
    float toSec = -1.0f;
    strip.rsFormat(index, from, to, mode, fromSec, toSec, padStart, padEnd, length);
    QCOMPARE(from, startText);
    QCOMPARE(to, endText);
    QCOMPARE(length, lengthText);
    QVERIFY(fromSec >= 0.0f && toSec <= 30.0f);
    QCOMPARE(strip.segmentText(index), tip);
    QCOMPARE(strip.picRS(index)->toolTip(), tip);
}

void tst_RangeMarks::loadedMarksPlay_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("loops");
    QTest::newRow("an entry's marks play once") << QString() << false;
    QTest::newRow("Enter plays them once from the first") << QStringLiteral("Enter") << false;
    QTest::newRow("Ctrl+Enter loops the whole set") << QStringLiteral("Ctrl+Enter") << true;
}

void tst_RangeMarks::loadedMarksPlay() {
    QFETCH(QString, key);
    QFETCH(bool, loops);
    const QList<QPair<int, int>> ranges{{25, 50}, {100, 125}};
    open(QStringLiteral("25-50 100-125"));
    frmMain& w = *m_f->w;
    QCOMPARE(w.marks().marksText(), QStringLiteral("25-50 100-125"));
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
            bool inside = false;
            for (const auto& r : ranges) {
                inside = inside || (frame >= r.first - 2 && frame <= r.second + 2);
            }
            QVERIFY2(inside, qPrintable(QStringLiteral("frame %1").arg(frame)));
            wrapped = wrapped || (frame <= 52 && !seen.isEmpty() && seen.constLast() >= 98);
            seen.append(frame);
        }
        QTest::qWait(15);
    }
    QVERIFY(!seen.isEmpty());
    QVERIFY(*std::max_element(seen.cbegin(), seen.cend()) >= 123);  // the last one ran out
    if (loops) {
        QVERIFY(wrapped);
        QCOMPARE(w.playerState, 1);
        QVERIFY(w.mciMain.rngRepeat());
    } else {
        QCOMPARE(w.playerState, 5);
        QCOMPARE(m_f->status(), QStringLiteral("結束播放"));
        QVERIFY(!w.mciMain.isRngPlaying());
    }
    QCOMPARE(m_dialogs->messages().size(), 0);
}

void tst_RangeMarks::segmentClick_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("marksAfter");
    QTest::addColumn<bool>("plays");
    QTest::newRow("Cancel leaves everything")
        << int(MsgResult::Cancel) << QStringLiteral("100-200 300-500") << false;
    QTest::newRow("No deletes the segment")
        << int(MsgResult::No) << QStringLiteral("100-200") << false;
    QTest::newRow("Yes plays only that segment")
        << int(MsgResult::Yes) << QStringLiteral("100-200 300-500") << true;
}

void tst_RangeMarks::segmentClick() {
    QFETCH(int, answer);
    QFETCH(QString, marksAfter);
    QFETCH(bool, plays);
    open(QStringLiteral("100-200 300-500"));
    frmMain& w = *m_f->w;
    RangeMarks& marks = w.marks();
    QFrame* second = marks.picRS(1);
    QColor whileAsked;
    m_dialogs->onMessage = [&] { whileAsked = boxColor(second); };
    m_dialogs->answerMessage(static_cast<MsgResult>(answer));
    QTest::mouseClick(second, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));

    QCOMPARE(m_dialogs->messages().size(), 1);
    const MessageRequest box = m_dialogs->messages().at(0);
    QCOMPARE(box.text, QStringLiteral("標記區段 2：從 00:12.00 到 00:20.00 ＝ 00:08.00 秒\r\n\r\n"
                                      "是否要播放或刪除這個標記區段？\r\n\r\n\r\n"
                                      "按「是」則播放這個標記區段\r\n"
                                      "按「否」則刪除這個標記區段"));
    QCOMPARE(box.title, QStringLiteral("注意事項"));
    QCOMPARE(box.buttons, MsgButtons::YesNoCancel);
    QCOMPARE(whileAsked, QColor(255, 0, 0));
    QCOMPARE(marks.marksText(), marksAfter);
    for (int i = 0; i <= marks.lastSegmentIndex(); ++i) {
        QCOMPARE(boxColor(marks.picRS(i)), QColor(0, 255, 0));
    }
    if (plays) {
        QCOMPARE(w.playerState, 1);
        QCOMPARE(w.mciMain.rngStart(), 300);
        QCOMPARE(w.mciMain.rngEnd(), 500);
        QCOMPARE(marks.playSeg, marks.lastSegmentIndex());  // nothing follows it
        QTRY_VERIFY_WITH_TIMEOUT(w.mciMain.getCurFrame() >= 300, 3000);
    } else {
        QVERIFY(w.playerState != 1);
    }
    if (answer == int(MsgResult::No)) {
        QCOMPARE(w.picPlusBk->picRngBk->toolTip(),
                 QStringLiteral("1 個標記的總時間是 00:04.00 秒"));
        QVERIFY(!w.menus().mnuSaveCut->isEnabled());
    }
}

void tst_RangeMarks::addToList_data() {
    QTest::addColumn<bool>("autoAdd");
    QTest::addColumn<int>("answer");  // -1: no question expected
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("toEnd");
    QTest::addColumn<QString>("addedMarks");  // "-": nothing added, "": the path alone
    QTest::addColumn<int>("area");
    QTest::newRow("always attach: no question")
        << true << -1 << 0 << true << QStringLiteral("120-480 500-700") << 0;
    QTest::newRow("asked, Yes attaches")
        << false << int(MsgResult::Yes) << 1 << true << QStringLiteral("120-480 500-700") << 0;
    QTest::newRow("asked, No adds the path alone")
        << false << int(MsgResult::No) << 0 << false << QString() << 0;
    QTest::newRow("asked, Cancel adds nothing")
        << false << int(MsgResult::Cancel) << 0 << true << QStringLiteral("-") << -1;
    QTest::newRow("to the join list")
        << true << -1 << 2 << true << QStringLiteral("120-480 500-700") << 2;
}

void tst_RangeMarks::addToList() {
    QFETCH(bool, autoAdd);
    QFETCH(int, answer);
    QFETCH(int, target);
    QFETCH(bool, toEnd);
    QFETCH(QString, addedMarks);
    QFETCH(int, area);
    MarksList list;
    frmMain& w = *m_f->w;
    w.setPlayerList(&list);
    open(QStringLiteral("120-480 500-700"));
    w.menus().mnuAutoAddMark->setChecked(autoAdd);
    w.menus().mnuToListEnd->setChecked(toEnd);
    if (answer >= 0) {
        m_dialogs->answerMessage(static_cast<MsgResult>(answer));
    }
    w.menus().mnuToList[target]->trigger();

    if (answer >= 0) {
        QCOMPARE(m_dialogs->messageTexts(),
                 QStringList{QStringLiteral("你選擇把目前的檔案加入到指定清單\r\n"
                                            "是否要附加標記，被標記的影格如下：\r\n\r\n"
                                            "120-480\r\n500-700")});
        QCOMPARE(m_dialogs->lastMessage().buttons, MsgButtons::YesNoCancel);
        QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("注意事項"));
    } else {
        QCOMPARE(m_dialogs->messages().size(), 0);
    }
    if (addedMarks == QLatin1String("-")) {
        QVERIFY(list.added.isEmpty());
        QVERIFY(list.tabs.isEmpty());
        return;
    }
    const QString item = addedMarks.isEmpty() ? m_path : m_path + QStringLiteral("∥") + addedMarks;
    QCOMPARE(list.added, QStringList{item});
    QCOMPARE(list.insertAfter, QList<bool>{!toEnd});
    const QPair<int, int> tab{area, area == 2 ? 0 : target};
    QCOMPARE(list.tabs, (QList<QPair<int, int>>{tab}));
}

void tst_RangeMarks::exitQuestion_data() {
    QTest::addColumn<QString>("ops");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("quits");
    QTest::newRow("open segment, No keeps the program running")
        << QStringLiteral("[100") << true << int(MsgResult::No) << false;
    QTest::newRow("edited marks, Yes quits")
        << QStringLiteral("[100 ]200") << true << int(MsgResult::Yes) << true;
    QTest::newRow("all marks deleted: no question")
        << QStringLiteral("[100 ]200 d0") << false << -1 << true;
    QTest::newRow("marks loaded with the entry: no question")
        << QStringLiteral("load") << false << -1 << true;
}

void tst_RangeMarks::exitQuestion() {
    QFETCH(QString, ops);
    QFETCH(bool, asked);
    QFETCH(int, answer);
    QFETCH(bool, quits);
    frmMain& w = *m_f->w;
    if (ops == QLatin1String("load")) {
        open(QStringLiteral("100-200"));
    } else {
        open();
        runMarks(ops);
    }
    if (answer >= 0) {
        m_dialogs->answerMessage(static_cast<MsgResult>(answer));
    }
    w.close();

    if (asked) {
        QCOMPARE(m_dialogs->messageTexts(),
                 QStringList{QStringLiteral("你選擇了結束與離開本軟體\r\n"
                                            "但是你目前處於標記編輯的狀態\r\n"
                                            "\r\n"
                                            "按「是」則結束與離開本軟體\r\n"
                                            "按「否」則繼續使用本軟體")});
        QCOMPARE(m_dialogs->lastMessage().buttons, MsgButtons::YesNo);
        QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("注意事項"));
    } else {
        QCOMPARE(m_dialogs->messages().size(), 0);
    }
    QCOMPARE(w.isVisible(), !quits);
    QCOMPARE(appClosing, quits);
    if (!quits) {
        // Still open on the same file, paused for the question.
        QCOMPARE(w.mciMain.FileName(), m_path);
        QCOMPARE(w.mciMain.getStatus(), QStringLiteral("paused"));
        QVERIFY(w.checkDealRng());
    }
}

void tst_RangeMarks::menuItems_data() {
    QTest::addColumn<QString>("ops");
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("answer");  // -1: no question expected
    QTest::addColumn<QString>("marksAfter");
    QTest::addColumn<int>("modeAfter");
    QTest::newRow("F2 closes the open segment and shows the marks list")
        << QStringLiteral("[100 >200") << QStringLiteral("F2") << -1 << QStringLiteral("100-200")
        << 0;
    QTest::newRow("clearing, OK") << QStringLiteral("[100 ]200") << QStringLiteral("clear")
                                  << int(MsgResult::Ok) << QString() << 0;
    QTest::newRow("clearing, Cancel") << QStringLiteral("[100 ]200") << QStringLiteral("clear")
                                      << int(MsgResult::Cancel) << QStringLiteral("100-200") << 0;
    QTest::newRow("playing marks turns list play to single files")
        << QStringLiteral("[100 ]200") << QStringLiteral("play") << int(MsgResult::Ok)
        << QStringLiteral("100-200") << 0;
}

void tst_RangeMarks::menuItems() {
    QFETCH(QString, ops);
    QFETCH(QString, item);
    QFETCH(int, answer);
    QFETCH(QString, marksAfter);
    QFETCH(int, modeAfter);
    MarksList list;
    list.setting = item == QLatin1String("play") ? 2 : 0;
    frmMain& w = *m_f->w;
    w.setPlayerList(&list);
    open();
    runMarks(ops.section(QLatin1Char(' '), 0, 0));
    const QString next = ops.section(QLatin1Char(' '), 1);
    if (next.startsWith(QLatin1Char('>'))) {
        pauseAt(next.mid(1).toInt());  // moved on without an end mark
    } else {
        runMarks(next);
    }
    if (answer >= 0) {
        m_dialogs->answerMessage(static_cast<MsgResult>(answer));
    }
    if (item == QLatin1String("F2")) {
        QVERIFY(w.Form_KeyDown(Qt::Key_F2, Qt::NoModifier));
        QCOMPARE(list.tabs, (QList<QPair<int, int>>{{1, 0}}));
    } else if (item == QLatin1String("clear")) {
        w.menus().mnuRngClear->trigger();
    } else {
        w.menus().mnuRngPlay[0]->trigger();
    }

    if (item == QLatin1String("clear")) {
        QCOMPARE(m_dialogs->messageTexts(), QStringList{QStringLiteral("確定要清除所有的標記？")});
        QCOMPARE(m_dialogs->lastMessage().buttons, MsgButtons::OkCancel);
    } else if (item == QLatin1String("play")) {
        QCOMPARE(m_dialogs->messageTexts(),
                 QStringList{QStringLiteral("由於你針對目前的檔案進行了標記編輯\r\n"
                                            "清單播放模式將改為「單次播放檔案」")});
        QCOMPARE(w.mciMain.rngStart(), 100);
        QCOMPARE(w.playerState, 1);
    } else {
        QCOMPARE(m_dialogs->messages().size(), 0);
    }
    QCOMPARE(shownMarks(), marksAfter);
    QCOMPARE(list.setting, modeAfter);
    QCOMPARE(w.menus().mnuRngClear->isEnabled(), !marksAfter.isEmpty());
}

void tst_RangeMarks::seekingLeavesTheRange() {
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

void tst_RangeMarks::marksBeyondTheEndAreDropped() {
    // Marks of a longer file: the entry plays from its start without a range.
    open(QStringLiteral("100-200 700-900"));
    frmMain& w = *m_f->w;
    QVERIFY(!w.mciMain.isRngPlaying());
    QVERIFY(!w.picPlusBk->picRngBk->isVisible());
    QCOMPARE(w.marks().lastSegmentIndex(), 0);
    QVERIFY(!w.menus().mnuRngPlay[0]->isEnabled());
    QVERIFY(w.mciMain.getCurFrame() < 100);
}

void tst_RangeMarks::applyMarksList_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("canSplit");
    QTest::newRow("two ranges replace the marks")
        << QStringList{QStringLiteral("100 200"), QStringLiteral("300 500")}
        << QStringLiteral("100-200 300-500") << true;
    QTest::newRow("a line that cannot be split is skipped")
        << QStringList{QStringLiteral("bad"), QStringLiteral("300 500")}
        << QStringLiteral("300-500") << false;
    QTest::newRow("an empty list clears the marks") << QStringList() << QString() << false;
}

void tst_RangeMarks::applyMarksList() {
    QFETCH(QStringList, lines);
    QFETCH(QString, expected);
    QFETCH(bool, canSplit);
    MarksList list;
    list.lines = lines;
    frmMain& w = *m_f->w;
    w.setPlayerList(&list);
    open(QStringLiteral("25-50"));
    w.marks().applyMark();
    QCOMPARE(shownMarks(), expected);
    QCOMPARE(w.menus().mnuSaveCut->isEnabled(), canSplit);
    QCOMPARE(w.checkDealRng(), !expected.isEmpty());
    QCOMPARE(w.playerState, 5);  // stopped until the marks are played
}

QTEST_MAIN(tst_RangeMarks)
#include "tst_rangemarks.moc"
