// The real program as a user drives it on an X display: starts and hand-overs, play, pause,
// step and a missing file; a save of three marked segments from the menu. (What else the
// saved file and its folder must be, tst_saveranges checks on the same file and marks.)
//
// The program shows no modal box here: ZELVO_TEST_LOG makes it write every box, its status
// text, where it put the picture and where its menus are to a log file, which this test
// reads, and ZELVO_TEST_ANSWERS gives the answers.
#include "TestSupport.h"
#include "core/common/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QUrl>

class tst_PlayerE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariable("DISPLAY").isEmpty(), "needs an X display (xvfb-run)");
    }
    void startHandOverPlayPauseStepFail();
    void cutThreeSegmentsFromTheMenu();
    void killedDuringASave();
    void damagedFlvPlaysOrOffersRepair();
};

// The first start opens the main window; later starts hand their files over to it and end. An
// FLV shows its caption and picture, the status advances; Space pauses, PgDn jumps five
// seconds; an MP4 replaces the playback in the same window; a missing file is reported.
void tst_PlayerE2E::startHandOverPlayPauseStepFail() {
    QTemporaryDir runtime, temp, config, media;
    const QString log = temp.filePath(u8("zelvo-log.txt"));
    QProcessEnvironment env =
        testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log);
    // The desktop's opener, which the help goes to, notes what it is asked to open.
    const QString opened = temp.filePath(u8("opened.txt"));
    const QString opener = temp.filePath(u8("bin/xdg-open"));
    QVERIFY(QDir().mkpath(temp.filePath(u8("bin"))));
    QVERIFY(testsupport::writeFile(
        opener, u8("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n").arg(opened).toUtf8()));
    QVERIFY(QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    env.insert(u8("PATH"), temp.filePath(u8("bin")) + u':' + env.value(u8("PATH")));
    const QString flv = media.filePath(u8("clip.flv"));
    QVERIFY(QFile::copy(testsupport::media(u8("h264.flv")), flv));
    QVERIFY(QFile::copy(testsupport::media(u8("clip.mp4")), media.filePath(u8("second clip.mp4"))));
    const auto start = [&](QProcess& p, const QString& folder, const QStringList& args) {
        p.setWorkingDirectory(folder);
        testsupport::startProgram(p, env, args);
    };
    const auto windowsOf = [](const char* name) {
        return testsupport::windowsNamed(
            u8("^ %1 - Zelvo\\.FLV$").arg(u8(name).replace(u'.', u8("\\."))));
    };
    // The first start, without a file, opens the main window.
    QProcess first;
    start(first, temp.path(), {});
    const QString caption = u8("^ Zelvo\\.FLV - 1\\.6\\.1$");
    QTRY_COMPARE_WITH_TIMEOUT(testsupport::windowsNamed(caption).size(), 1, 20000);
    const QString window = testsupport::windowsNamed(caption).at(0);
    // A later start, in the media folder, hands its file over and ends; the one window of the
    // first start, which lives on, shows it.
    const auto handOver = [&](const char* name) {
        QProcess later;
        start(later, media.path(), {u8(name)});
        return later.waitForFinished(15000) && later.exitCode() == 0 &&
               testsupport::waitUntil([&] { return windowsOf(name) == QStringList{window}; },
                                      10000) &&
               testsupport::windowsNamed(u8("Zelvo\\.FLV")) == QStringList{window} &&
               first.state() == QProcess::Running;
    };
    QVERIFY(handOver("clip.flv"));  // named relative to the later start's folder

    // The status text advances.
    const QRegularExpression playing(u8("^正在播放，進度 (\\d+) ％，播速 100 ％$"));
    const auto percents = [&] {
        QList<int> seen;
        for (const QStringList& line : testsupport::logLines(log, u8("status"))) {
            const QRegularExpressionMatch m = playing.match(line.value(1));
            if (m.hasMatch()) {
                seen << m.captured(1).toInt();
            }
        }
        return seen;
    };
    QTRY_VERIFY_WITH_TIMEOUT(percents().size() >= 4 && percents().constLast() > percents().at(1),
                             15000);

    // Space pauses; the paused picture is the frame the status settles on.
    testsupport::typeKey(window, u8("space"));
    const auto lastStatus = [&] {
        const QList<QStringList> lines = testsupport::logLines(log, u8("status"));
        return lines.isEmpty() ? QStringList() : lines.constLast();
    };
    const auto frame = [&] { return lastStatus().value(3).toInt(); };
    int pausedAt = -1;
    QVERIFY(testsupport::waitUntil(
        [&] {
            pausedAt = frame();
            return lastStatus().value(1).startsWith(u8("暫停播放，進度 ")) &&
                   !testsupport::waitUntil([&] { return frame() != pausedAt; }, 300);
        },
        5000));
    QVERIFY(pausedAt > 0);
    const QStringList where =
        testsupport::logLines(log, u8("picture")).constLast().value(1).split(u' ');
    const QRect picture(where.value(0).toInt(), where.value(1).toInt(), where.value(2).toInt(),
                        where.value(3).toInt());
    QVERIFY(picture.width() > 200 && picture.height() > 150);
    const QImage expected =
        testsupport::decodedFrame(flv, pausedAt, temp.filePath(u8("frame.png")), picture.size());
    const QImage shown = QGuiApplication::primaryScreen()
                             ->grabWindow(window.toULongLong())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const double match = testsupport::matchingBlocks(shown, picture, expected);
    QVERIFY2(match > 0.9, qPrintable(u8("%1 of the blocks match").arg(match)));

    // PgDn in the seconds mode (5 s) moves 125 frames at 25 frames per second.
    testsupport::typeKey(window, u8("Next"));
    QTRY_COMPARE_WITH_TIMEOUT(frame(), pausedAt + 125, 5000);
    QVERIFY(lastStatus().value(1).startsWith(u8("暫停播放")));

    // An MP4 handed over replaces the playback; a missing file cannot be played, and its
    // box (the FLV one, whose OK opens the codec help in the browser) is answered.
    QVERIFY(handOver("second clip.mp4"));
    QVERIFY(handOver("missing.flv"));
    QTRY_COMPARE_WITH_TIMEOUT(lastStatus().value(1), u8("無法播放"), 10000);
    const QString codecHelp = QUrl::fromLocalFile(AppPaths::running().codecHelpFile()).toString();
    const auto openedText = [&opened] {
        QFile file(opened);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(openedText().contains(codecHelp), 10000);
    const QList<QStringList> boxes = testsupport::logLines(log, u8("message"));
    QVERIFY(!boxes.isEmpty());
    QCOMPARE(boxes.constLast().mid(1, 2), QStringList({u8("錯誤訊息"), u8("OkCancel")}));
    QVERIFY(boxes.constLast().value(3).startsWith(u8("出現錯誤，無法播放指定的檔案：\\n") +
                                                  media.filePath(u8("missing.flv"))));

    testsupport::stopProcess(first);
}

// Started with a file and its marks, the user opens "標記剪輯", clicks "另存裁剪", confirms,
// picks the new file's name in a dialog that opens beside the source, and declines the offer
// to show it: the file holds the segments.
void tst_PlayerE2E::cutThreeSegmentsFromTheMenu() {
    QTemporaryDir runtime, temp, config, media;
    const QString source = media.filePath(u8("my clip.flv"));
    const QString out = media.filePath(u8("新 檔案.flv"));
    QVERIFY(QFile::copy(testsupport::media(u8("h264.flv")), source));

    const QString log = temp.filePath(u8("zelvo-log.txt"));
    const QString answers = temp.filePath(u8("answers.txt"));
    QVERIFY(testsupport::writeFile(answers, u8("message\tOk\t本軟體可以不經轉檔\nfile\t%1\n"
                                               "message\tCancel\t全部的檔案處理程序\n")
                                                .arg(out)
                                                .toUtf8()));

    QProcessEnvironment env =
        testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log);
    env.insert(u8("ZELVO_TEST_ANSWERS"), answers);
    QProcess program;
    testsupport::startProgram(program, env, {source + u8("∥100-250 500-600 650-725")});
    QTRY_COMPARE_WITH_TIMEOUT(
        testsupport::windowsNamed(u8("^ my clip\\.flv - Zelvo\\.FLV$")).size(), 1, 20000);
    const auto playing = [&] {
        const QList<QStringList> status = testsupport::logLines(log, u8("status"));
        return !status.isEmpty() && status.constLast().value(1).startsWith(u8("正在"));
    };
    QTRY_VERIFY_WITH_TIMEOUT(playing(), 10000);

    const QRect title = testsupport::loggedRect(log, u8("menu"), u8("標記剪輯"));
    QVERIFY(title.isValid());
    testsupport::click(title.center());
    QTRY_VERIFY_WITH_TIMEOUT(
        testsupport::loggedRect(log, u8("menuitem"), u8("mnuSaveRng")).isValid(), 5000);
    // Boxes shown before (no sound card here, for one) are not this run's.
    const qsizetype before = testsupport::logLines(log, u8("message")).size();
    testsupport::click(testsupport::loggedRect(log, u8("menuitem"), u8("mnuSaveRng")).center());

    const auto messages = [&] { return testsupport::logLines(log, u8("message")).mid(before); };
    QTRY_COMPARE_WITH_TIMEOUT(messages().size(), 2, 30000);
    QCOMPARE(messages().at(0).value(2), u8("OkCancel"));
    QCOMPARE(messages().at(0).value(3),
             u8("本軟體可以不經轉檔而直接裁剪 FLV 檔案等等：\\n") + source +
                 u8("\\n\\n裁剪功能，可以將所有的標記區段接合為單一的新檔案\\n"
                    "下一個步驟，將會開啟另存新檔的檔案對話盒\\n\\n"
                    "確定要進行「另存裁剪」？"));
    QVERIFY2(messages().at(1).value(3).startsWith(
                 u8("全部的檔案處理程序已經成功結束\\n總共使用的時間有 ")),
             qPrintable(messages().at(1).value(3)));

    // The save dialog opened beside the source, whatever the file list shows, with the
    // source's name.
    const QList<QStringList> dialogs = testsupport::logLines(log, u8("file"));
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs.at(0).mid(2), QStringList({media.path() + u8("/"), u8("my clip_part.flv")}));

    // 6 + 4 + 3 s marked; each segment may start up to one keyframe (2 s) early.
    const double d = testsupport::probeDuration(out);
    QVERIFY2(d > 12.9 && d < 19.5, qPrintable(QString::number(d)));
    QCOMPARE(QDir(media.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({u8("my clip.flv"), u8("新 檔案.flv")}));
    QCOMPARE(program.state(), QProcess::Running);
    testsupport::stopProcess(program);
}

// The program killed while a save runs: its tool ends with it, and the next start removes
// what the job had left in its folder.
void tst_PlayerE2E::killedDuringASave() {
    QTemporaryDir runtime, temp, config, media, out;
    // Ten minutes of H.264 with PCM sound, which an MP4 cannot hold: the cut is repeated
    // with the sound re-encoded, which takes seconds.
    const QString flv = media.filePath(u8("long.flv"));
    const QString source = media.filePath(u8("long.mp4"));
    QVERIFY(testsupport::makeLongClip(flv));
    QCOMPARE(testsupport::run(u8("ffmpeg"),
                              {u8("-v"), u8("error"), u8("-i"), flv, u8("-c:v"), u8("copy"),
                               u8("-c:a"), u8("pcm_s16le"), u8("-f"), u8("mov"), source})
                 .exitCode,
             0);
    const QString log = temp.filePath(u8("zelvo-log.txt"));
    const QString answers = temp.filePath(u8("answers.txt"));
    QVERIFY(testsupport::writeFile(answers, u8("message\tOk\t本軟體可以不經轉檔\nfile\t%1\n"
                                               "message\tOk\t裁剪後的區段\n")
                                                .arg(out.filePath(u8("cut.mp4")))
                                                .toUtf8()));
    QProcessEnvironment env =
        testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log);
    env.insert(u8("ZELVO_TEST_ANSWERS"), answers);
    QProcess program;
    testsupport::startProgram(program, env, {source + u8("∥0-14000")});
    QTRY_COMPARE_WITH_TIMEOUT(testsupport::windowsNamed(u8("^ long\\.mp4 - Zelvo\\.FLV$")).size(),
                              1, 20000);
    const QRect title = testsupport::loggedRect(log, u8("menu"), u8("標記剪輯"));
    QVERIFY(title.isValid());
    testsupport::click(title.center());
    QTRY_VERIFY_WITH_TIMEOUT(
        testsupport::loggedRect(log, u8("menuitem"), u8("mnuSaveRng")).isValid(), 5000);
    testsupport::click(testsupport::loggedRect(log, u8("menuitem"), u8("mnuSaveRng")).center());

    // The tools of this run are the ones in its own temporary folder.
    const QString tools = temp.path() + u8("/~tmpExt");
    const auto toolsRunning = [&tools] {
        return testsupport::run(u8("pgrep"), {u8("-f"), tools}).exitCode == 0;
    };
    const auto asked = [&] {
        for (const QStringList& line : testsupport::logLines(log, u8("message"))) {
            if (line.value(3).startsWith(u8("裁剪後的區段"))) {
                return true;
            }
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(asked() && toolsRunning(), 30000);
    QCOMPARE(QDir(config.filePath(u8("jobs"))).entryList({u8("*.job")}, QDir::Files).size(), 1);
    program.kill();
    QVERIFY(program.waitForFinished(5000));
    QTRY_VERIFY_WITH_TIMEOUT(!toolsRunning(), 2000);

    // A part the job had finished before it was cut short stays until the next start.
    QVERIFY(testsupport::writeFile(out.filePath(u8("~tmpSP001.mp4")), "part"));
    QProcess again;
    QFile::remove(answers);
    testsupport::startProgram(again, env, {});
    QTRY_COMPARE_WITH_TIMEOUT(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList(),
                              20000);
    QCOMPARE(QDir(config.filePath(u8("jobs"))).entryList({u8("*.job")}, QDir::Files),
             QStringList());
    testsupport::stopProcess(again);
}

// The first half of a good FLV, its onMetaData and keyframe index still announcing 30 s,
// plays as far as its data goes and ends there, as a whole file ends. Of an FLV only its
// head is left: it cannot be played, and its box, beside its usual text, offers the repair
// tab, which the answer opens.
void tst_PlayerE2E::damagedFlvPlaysOrOffersRepair() {
    QTemporaryDir runtime, temp, config, media;
    const QString cut = media.filePath(u8("cut clip.flv"));
    QVERIFY(QFile::copy(testsupport::media(u8("bad/indexed-half.flv")), cut));
    const QString head = media.filePath(u8("head.flv"));
    QVERIFY(QFile::copy(testsupport::media(u8("bad/head.flv")), head));
    const QString log = temp.filePath(u8("zelvo-log.txt"));
    const QString answers = temp.filePath(u8("answers.txt"));
    QVERIFY(testsupport::writeFile(answers, u8("message\t修復檔案\t出現錯誤\n").toUtf8()));
    QProcessEnvironment env =
        testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log);
    env.insert(u8("ZELVO_TEST_ANSWERS"), answers);

    QProcess program;
    testsupport::startProgram(program, env, {cut});
    QTRY_COMPARE_WITH_TIMEOUT(
        testsupport::windowsNamed(u8("^ cut clip\\.flv - Zelvo\\.FLV$")).size(), 1, 20000);
    const auto statuses = [&] {
        QStringList seen;
        for (const QStringList& line : testsupport::logLines(log, u8("status"))) {
            seen << line.value(1);
        }
        return seen;
    };
    const auto lastStatus = [&] { return statuses().value(statuses().size() - 1); };
    // It plays to the end of what it holds (its length), then ends.
    const QRegularExpression past(u8("^正在播放，進度 ([5-9]\\d|100) ％"));
    QTRY_VERIFY2_WITH_TIMEOUT(!statuses().filter(past).isEmpty() && lastStatus() == u8("結束播放"),
                              qPrintable(statuses().join(u'|')), 30000);
    QVERIFY(!statuses().contains(u8("無法播放")));
    QVERIFY(
        testsupport::logLines(log, u8("message")).isEmpty() ||
        !testsupport::logLines(log, u8("message")).constLast().value(3).startsWith(u8("出現錯誤")));

    QProcess later;
    later.setWorkingDirectory(media.path());
    testsupport::startProgram(later, env, {head});
    QVERIFY(later.waitForFinished(15000));
    QTRY_COMPARE_WITH_TIMEOUT(lastStatus(), u8("無法播放"), 15000);
    const QStringList box = testsupport::logLines(log, u8("message")).constLast();
    QCOMPARE(box.mid(1, 2), QStringList({u8("錯誤訊息"), u8("OkCancel+修復檔案")}));
    QVERIFY(box.value(3).startsWith(u8("出現錯誤，無法播放指定的檔案：\\n") + head));
    QVERIFY(
        box.value(3).endsWith(u8("的解碼器，按下「確定」將開啟說明文件！\\n\\n"
                                 "－－－－－－－－－－－－－－－－－－－\\n"
                                 "這個 FLV 檔案看來已經損壞（資料不完整）\\n"
                                 "按下「修復檔案」將開啟修復功能！")));
    // The repair tab (work area 4) is shown.
    QTRY_VERIFY_WITH_TIMEOUT(testsupport::logLines(log, u8("tab")).contains({u8("tab"), u8("40")}),
                             10000);
    testsupport::stopProcess(program);
}

QTEST_MAIN(tst_PlayerE2E)
#include "tst_player_e2e.moc"
