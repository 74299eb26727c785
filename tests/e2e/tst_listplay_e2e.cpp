// List play in the real program on an X display: three short files added to playlist one
// through the playlist window's multi-select dialog, each play mode of "清單播放模式" with
// what plays after an entry ends, the main window's ↓ and ↑ keys stepping through the list,
// and a marked file added from the main window to playlist two and played from there with
// its marks.
//
// ZELVO_TEST_LOG makes the program write its boxes, status text, which file it starts and
// where its menus, the playlist window's buttons and list lines are; ZELVO_TEST_ANSWERS
// answers its dialogs. One program runs for the whole test, as a user would keep it open.
#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

constexpr int kPlayWait = 20000;  // a 2 s clip opened, played and ended on a busy machine

// A 2 s clip (or longer) made with ffmpeg's own sources.
bool makeClip(const QString& path, bool video, int seconds = 2) {
    QStringList args = {
        u8("-nostdin"), u8("-hide_banner"), u8("-loglevel"),
        u8("error"),    u8("-y"),           u8("-f"),
        u8("lavfi"),    u8("-i"),           u8("sine=frequency=440:duration=%1").arg(seconds)};
    if (video) {
        args << u8("-f") << u8("lavfi") << u8("-i")
             << u8("testsrc=size=320x240:rate=25:duration=%1").arg(seconds) << u8("-c:v")
             << u8("libx264") << u8("-preset") << u8("ultrafast") << u8("-pix_fmt") << u8("yuv420p")
             << u8("-g") << u8("25") << u8("-shortest");
    }
    args << path;
    const testsupport::RunResult r = testsupport::run(u8("ffmpeg"), args, QString(), 60000);
    return r.finished && r.exitCode == 0 && QFile::exists(path);
}

// What follows an entry: each step one of these names.
struct ModeRow {
    int mode = 0;
    QList<QStringList> next;
};

}  // namespace

Q_DECLARE_METATYPE(ModeRow)

namespace {

// Window ids as xdotool gives them (decimal), in the X server's stacking order.
bool stackedAbove(const QString& upper, const QString& lower) {
    const testsupport::RunResult tree =
        testsupport::run(u8("xwininfo"), {u8("-root"), u8("-children")}, QString(), 10000);
    // xwininfo lists the top window first.
    const QString text = QString::fromUtf8(tree.output);
    const auto at = [&text](const QString& decimal) {
        return text.indexOf(u8("0x") + QString::number(decimal.toULongLong(), 16) + u' ');
    };
    return at(upper) >= 0 && at(lower) >= 0 && at(upper) < at(lower);
}

QString focusedWindow() {
    return QString::fromUtf8(
               testsupport::run(u8("xdotool"), {u8("getwindowfocus")}, QString(), 10000).output)
        .trimmed();
}

}  // namespace

class tst_ListPlayE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void playModes_data();
    void playModes();
    void nextAndPreviousKeys();
    void marksToPlaylistTwo();
    void cleanupTestCase();

private:
    QList<QStringList> lines(const char* kind) const {
        return testsupport::logLines(m_log, u8(kind));
    }
    // The last place of a logged thing (menu title, item, button) named name, among the lines
    // of its kind from the index from on; invalid when there is none.
    QRect place(const char* kind, const QString& name, qsizetype from = 0) const;
    // Opens a menu of the menu bar and picks items, through submenus.
    bool pick(const QString& title, const QStringList& items);
    // The lines of a list as last written, each "line", with their places.
    QList<QPair<QString, QRect>> rows(const QString& list) const;
    // The file names started from the play line index from on.
    QStringList playedSince(qsizetype from) const;
    // A file started playing and then ended, in the status lines from the index from on.
    bool endedSince(qsizetype from) const {
        bool playing = false;
        for (const QStringList& line : lines("status").mid(from)) {
            playing = playing || line.value(1).startsWith(u8("正在播放"));
            if (playing && line.value(1) == u8("結束播放")) {
                return true;
            }
        }
        return false;
    }
    QString lastStatus() const {
        const QList<QStringList> status = lines("status");
        return status.isEmpty() ? QString() : status.constLast().value(1);
    }
    bool setMode(int mode) {
        return pick(u8("播放清單設定"), {u8("mnuPlayList"), u8("mnuPlaySetting%1").arg(mode)});
    }
    // Ends list play with "停止全部播放", as a user does between tries.
    bool stopAll();

    QTemporaryDir m_runtime, m_temp, m_config, m_media;
    QString m_log;
    QString m_window;
    QProcessEnvironment m_env;
    QProcess m_program;
};

QRect tst_ListPlayE2E::place(const char* kind, const QString& name, qsizetype from) const {
    QRect rect;
    const QList<QStringList> found = lines(kind);
    for (qsizetype i = from; i < found.size(); ++i) {
        if (found.at(i).value(1) == name) {
            rect = testsupport::rectField(found.at(i).constLast());
        }
    }
    return rect;
}

bool tst_ListPlayE2E::pick(const QString& title, const QStringList& items) {
    qsizetype before = lines("menuitem").size();
    const QRect at = place("menu", title);
    if (!at.isValid()) {
        return false;
    }
    testsupport::click(at.center());
    for (const QString& item : items) {
        QRect rect;
        if (!testsupport::waitUntil(
                [&] {
                    rect = place("menuitem", item, before);
                    return rect.isValid();
                },
                5000)) {
            return false;
        }
        before = lines("menuitem").size();
        testsupport::click(rect.center());
    }
    return true;
}

QList<QPair<QString, QRect>> tst_ListPlayE2E::rows(const QString& list) const {
    QList<QPair<QString, QRect>> shown;
    for (const QStringList& line : lines("row")) {
        if (line.value(1) != list) {
            continue;
        }
        if (line.value(2) == u8("0")) {
            shown.clear();
        }
        shown << qMakePair(line.value(3), testsupport::rectField(line.value(4)));
    }
    return shown;
}

QStringList tst_ListPlayE2E::playedSince(qsizetype from) const {
    QStringList names;
    for (const QStringList& line : lines("play").mid(from)) {
        names << QFileInfo(line.value(1)).fileName();
    }
    return names;
}

bool tst_ListPlayE2E::stopAll() {
    const QRect button = place("button", u8("mbStopLoop"));
    if (!button.isValid()) {
        return false;
    }
    testsupport::click(button.center());
    return testsupport::waitUntil([&] { return lastStatus() == u8("結束播放"); }, 10000);
}

void tst_ListPlayE2E::initTestCase() {
    QVERIFY2(!qEnvironmentVariable("DISPLAY").isEmpty(), "needs an X display (xvfb-run)");
    QVERIFY(makeClip(m_media.filePath(u8("one.mp3")), false));
    QVERIFY(makeClip(m_media.filePath(u8("two clip.wav")), false));
    QVERIFY(makeClip(m_media.filePath(u8("三.mp4")), true));
    QVERIFY(makeClip(m_media.filePath(u8("marked clip.mp4")), true, 12));

    // The add dialog's answer: three files picked at once; the question whether to attach the
    // marks to the file added from the main window: yes.
    m_log = m_temp.filePath(u8("zelvo-log.txt"));
    const QString answers = m_temp.filePath(u8("answers.txt"));
    QVERIFY(testsupport::writeFile(
        answers, u8("file\t%1\t%2\t%3\nmessage\tYes\t你選擇把目前的檔案加入到指定清單\n"
                    "message\tYes\t某個多媒體檔案正準備接續播放\n")
                     .arg(m_media.filePath(u8("三.mp4")), m_media.filePath(u8("two clip.wav")),
                          m_media.filePath(u8("one.mp3")))
                     .toUtf8()));
    m_env =
        testsupport::programEnvironment(m_runtime.path(), m_temp.path(), m_config.path(), m_log);
    m_env.insert(u8("ZELVO_TEST_ANSWERS"), answers);
    m_program.setWorkingDirectory(m_temp.path());
    testsupport::startProgram(m_program, m_env, {});
    const QString caption = u8("^ Zelvo\\.FLV - 1\\.6\\.1$");
    QTRY_COMPARE_WITH_TIMEOUT(testsupport::windowsNamed(caption).size(), 1, 20000);
    m_window = testsupport::windowsNamed(caption).at(0);

    // F1 shows the playlist window; its add button takes the three files.
    testsupport::typeKey(m_window, u8("F1"));
    const QString listCaption = u8("^ 播放清單$");
    QTRY_COMPARE_WITH_TIMEOUT(testsupport::windowsNamed(listCaption).size(), 1, 10000);
    // The playlist window comes up in front of the player, and the keys stay with the player.
    const QString listWindow = testsupport::windowsNamed(listCaption).at(0);
    QTRY_VERIFY_WITH_TIMEOUT(stackedAbove(listWindow, m_window), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(focusedWindow(), m_window, 5000);
    // Without a window manager both windows open at the top left corner: the user moves the
    // playlist window beside the player.
    testsupport::run(u8("xdotool"),
                     {u8("windowmove"), u8("--sync"), testsupport::windowsNamed(listCaption).at(0),
                      u8("640"), u8("0")},
                     QString(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(place("button", u8("mbAdd0")).x() >= 640, 10000);
    testsupport::click(place("button", u8("mbAdd0")).center());
    // The dialog's last file goes in first.
    QTRY_COMPARE_WITH_TIMEOUT(rows(u8("lstMn0")).size(), 3, 10000);
    QStringList shown;
    for (const auto& row : rows(u8("lstMn0"))) {
        shown << row.first;
    }
    QCOMPARE(shown, QStringList({m_media.filePath(u8("one.mp3")) + u8("\\t無標記"),
                                 m_media.filePath(u8("two clip.wav")) + u8("\\t無標記"),
                                 m_media.filePath(u8("三.mp4")) + u8("\\t無標記")}));
    QCOMPARE(lines("file").size(), 1);
}

void tst_ListPlayE2E::playModes_data() {
    const QStringList any = {u8("one.mp3"), u8("two clip.wav"), u8("三.mp4")};
    testsupport::addRows<ModeRow>({
        {"單次播放檔案: stops", {0, {}}},
        {"循環播放檔案: the entry again", {1, {{u8("two clip.wav")}}}},
        {"循環播放清單: the next, the last wraps", {2, {{u8("三.mp4")}, {u8("one.mp3")}}}},
        {"隨機播放清單: any entry", {3, {any}}},
    });
}

// The mode is set from the menu, the second line double clicked; after it ends comes what the
// mode says, each entry in turn played to its end.
void tst_ListPlayE2E::playModes() {
    QFETCH(ModeRow, row);
    QVERIFY(setMode(row.mode));
    const qsizetype before = lines("play").size();
    const qsizetype status = lines("status").size();
    const QList<QPair<QString, QRect>> list = rows(u8("lstMn0"));
    QCOMPARE(list.size(), 3);
    testsupport::click(list.at(1).second.center(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(playedSince(before).value(0), u8("two clip.wav"), 10000);
    for (qsizetype step = 0; step < row.next.size(); ++step) {
        QTRY_VERIFY_WITH_TIMEOUT(playedSince(before).size() > step + 1, kPlayWait);
        QVERIFY2(row.next.at(step).contains(playedSince(before).at(step + 1)),
                 qPrintable(playedSince(before).join(u8(", "))));
    }
    if (row.next.isEmpty()) {
        // Played to its end, and nothing after it.
        QTRY_VERIFY_WITH_TIMEOUT(endedSince(status), kPlayWait);
        QVERIFY(!testsupport::waitUntil([&] { return playedSince(before).size() > 1; }, 1500));
        QCOMPARE(lastStatus(), u8("結束播放"));
    }
    QVERIFY(stopAll());
    QCOMPARE(m_program.state(), QProcess::Running);
}

// ↓ and ↑ in the main window play the next and the previous entry, round the ends of the
// list, whatever the mode (here 單次播放檔案, so that no clip's end steps on by itself).
void tst_ListPlayE2E::nextAndPreviousKeys() {
    QVERIFY(setMode(0));
    const qsizetype before = lines("play").size();
    testsupport::click(rows(u8("lstMn0")).at(0).second.center(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(playedSince(before).value(0), u8("one.mp3"), 10000);
    const QList<QPair<const char*, const char*>> steps = {
        {"Down", "two clip.wav"}, {"Down", "三.mp4"},     {"Down", "one.mp3"},
        {"Up", "三.mp4"},         {"Up", "two clip.wav"},
    };
    for (qsizetype i = 0; i < steps.size(); ++i) {
        testsupport::typeKey(m_window, u8(steps.at(i).first));
        QTRY_COMPARE_WITH_TIMEOUT(playedSince(before).size(), i + 2, 10000);
        QCOMPARE(playedSince(before).constLast(), u8(steps.at(i).second));
    }
    QVERIFY(stopAll());
}

// A range marked with "[" and "]" in the main window goes with the file to playlist two
// (after the question, answered yes), and plays from there as that range.
void tst_ListPlayE2E::marksToPlaylistTwo() {
    const QString file = m_media.filePath(u8("marked clip.mp4"));
    const qsizetype before = lines("play").size();
    QProcess later;
    testsupport::startProgram(later, m_env, {file});
    QVERIFY(later.waitForFinished(15000));
    QTRY_COMPARE_WITH_TIMEOUT(playedSince(before), QStringList{u8("marked clip.mp4")}, 10000);

    // Paused, marked from here to five seconds on (PgDn).
    testsupport::typeKey(m_window, u8("space"));
    QTRY_VERIFY_WITH_TIMEOUT(lastStatus().startsWith(u8("暫停播放")), 5000);
    const auto frame = [&] { return lines("status").constLast().value(3).toInt(); };
    int start = -1;
    QVERIFY(testsupport::waitUntil(
        [&] {
            start = frame();
            return !testsupport::waitUntil([&] { return frame() != start; }, 300);
        },
        5000));
    testsupport::typeKey(m_window, u8("bracketleft"));
    testsupport::typeKey(m_window, u8("Next"));
    QTRY_COMPARE_WITH_TIMEOUT(frame(), start + 125, 5000);
    testsupport::typeKey(m_window, u8("bracketright"));

    const qsizetype boxes = lines("message").size();
    QVERIFY(pick(u8("檔案"), {u8("mnuAddToList"), u8("mnuToList1")}));
    QTRY_VERIFY_WITH_TIMEOUT(!rows(u8("lstMn1")).isEmpty(), 10000);
    const QList<QPair<QString, QRect>> two = rows(u8("lstMn1"));
    QCOMPARE(two.size(), 1);
    const QRegularExpression marked(u8("^(\\d+)-(\\d+)$"));
    const QStringList columns = two.at(0).first.split(u8("\\t"));
    QCOMPARE(columns.size(), 2);
    QCOMPARE(columns.at(0), file);
    QVERIFY2(columns.at(1).startsWith(u8("標記 ")), qPrintable(columns.at(1)));
    const QString marks = columns.at(1).mid(3);
    QCOMPARE(marks, u8("%1-%2").arg(start).arg(start + 125));
    const QList<QStringList> asked = lines("message").mid(boxes);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.at(0).value(2), u8("YesNoCancel"));
    QCOMPARE(
        asked.at(0).value(3),
        u8("你選擇把目前的檔案加入到指定清單\\n是否要附加標記，被標記的影格如下：\\n\\n") + marks);

    // Double clicked there, the file plays with its marks: only the marked range, after the
    // box that warns of leaving the marks being edited (answered yes).
    const qsizetype plays = lines("play").size();
    const qsizetype status = lines("status").size();
    testsupport::click(two.at(0).second.center(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(lines("play").size(), plays + 1, 10000);
    QCOMPARE(lines("play").constLast().mid(1), QStringList({file, marks}));
    const QList<QStringList> warned = lines("message").mid(boxes + 1);
    QCOMPARE(warned.size(), 1);
    QCOMPARE(warned.at(0).value(3),
             u8("某個多媒體檔案正準備接續播放\\n但是你目前處於標記編輯的狀態\\n\\n"
                "按「是」則允許該多媒體的播放\\n按「否」則取消該多媒體的播放\\n\\n") +
                 file);
    QTRY_VERIFY_WITH_TIMEOUT(endedSince(status), kPlayWait);
    // The frames shown while it played lie in the range (the first few ticks may come late).
    int first = -1;
    int last = -1;
    for (const QStringList& shown : lines("status").mid(status)) {
        const int at = shown.value(3).toInt();
        if (shown.value(1).startsWith(u8("正在播放")) && at >= 0) {
            first = first < 0 ? at : std::min(first, at);
            last = std::max(last, at);
        }
    }
    QVERIFY2(first >= start && first < start + 60 && last > start + 100 && last <= start + 130,
             qPrintable(u8("%1-%2").arg(first).arg(last)));
}

void tst_ListPlayE2E::cleanupTestCase() {
    if (m_program.state() != QProcess::NotRunning) {
        testsupport::stopProcess(m_program);
    }
}

QTEST_MAIN(tst_ListPlayE2E)
#include "tst_listplay_e2e.moc"
