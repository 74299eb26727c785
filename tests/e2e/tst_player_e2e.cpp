// The real program as a user drives it on an X display: started with an FLV it shows
// the file's caption and its picture and the status text advances; Space pauses, PgDn
// jumps five seconds, a second start hands over an MP4 that replaces playback in the
// same window, a missing file is reported, and Esc maximises and restores.
//
// The program shows no modal box here: ZELVO_TEST_LOG makes it write every box, its
// status text and where it put the picture to a log file, which this test reads.
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

// A key typed on the keyboard while the window has the focus.
void typeKey(const QString& window, const QString& key) {
    testsupport::run(QStringLiteral("xdotool"),
                     {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}, QString(),
                     10000);
    testsupport::run(QStringLiteral("xdotool"), {QStringLiteral("key"), key}, QString(), 10000);
}

bool windowManagerRuns() {
    const testsupport::RunResult r = testsupport::run(
        QStringLiteral("xprop"),
        {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")}, QString(), 10000);
    return r.exitCode == 0 && r.output.contains("window id");
}

QSize windowSize(const QString& window) {
    const testsupport::RunResult r = testsupport::run(
        QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), window}, QString(), 10000);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)"))
                                          .match(QString::fromUtf8(r.output));
    return m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
}

// The share of 16×16 blocks of the picture on screen that match the reference frame.
double matchingBlocks(const QImage& shown, const QRect& where, const QImage& reference) {
    int matching = 0;
    int blocks = 0;
    for (int y = 0; y + 16 <= reference.height(); y += 16) {
        for (int x = 0; x + 16 <= reference.width(); x += 16) {
            const QColor a = testsupport::average(reference, QRect(x, y, 16, 16));
            const QColor b =
                testsupport::average(shown, QRect(where.x() + x, where.y() + y, 16, 16));
            ++blocks;
            if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue()) <
                60) {
                ++matching;
            }
        }
    }
    return blocks == 0 ? 0.0 : double(matching) / blocks;
}

}  // namespace

class tst_PlayerE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void playPauseStepHandOverFailMaximise();
};

void tst_PlayerE2E::playPauseStepHandOverFailMaximise() {
    QVERIFY2(!qEnvironmentVariable("DISPLAY").isEmpty(), "needs an X display (xvfb-run)");
    QTemporaryDir runtime, temp, config, media;
    const QString log = temp.filePath(QStringLiteral("zelvo-log.txt"));
    const QProcessEnvironment env =
        testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log);
    const QString program = testsupport::binDir() + QStringLiteral("/Zelvo.FLV");
    const QString flv = media.filePath(QStringLiteral("clip.flv"));
    const QString mp4 = media.filePath(QStringLiteral("second clip.mp4"));
    QVERIFY(QFile::copy(testsupport::media(QStringLiteral("h264.flv")), flv));
    QVERIFY(QFile::copy(testsupport::media(QStringLiteral("clip.mp4")), mp4));

    QProcess first;
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(program, {flv});
    QTRY_COMPARE_WITH_TIMEOUT(
        testsupport::windowsNamed(QStringLiteral("^ clip\\.flv - Zelvo\\.FLV$")).size(), 1, 20000);
    const QString window =
        testsupport::windowsNamed(QStringLiteral("^ clip\\.flv - Zelvo\\.FLV$")).at(0);

    // The status text advances.
    const QRegularExpression playing(QStringLiteral("^正在播放，進度 (\\d+) ％，播速 100 ％$"));
    const auto percents = [&] {
        QList<int> seen;
        for (const QStringList& line : testsupport::logLines(log, QStringLiteral("status"))) {
            const QRegularExpressionMatch m = playing.match(line.value(1));
            if (m.hasMatch()) {
                seen << m.captured(1).toInt();
            }
        }
        return seen;
    };
    QTRY_VERIFY_WITH_TIMEOUT(percents().size() >= 4 && percents().constLast() > percents().at(1),
                             15000);

    // Space pauses; the paused picture is the frame the status stands for.
    typeKey(window, QStringLiteral("space"));
    const auto lastStatus = [&] {
        const QList<QStringList> lines = testsupport::logLines(log, QStringLiteral("status"));
        return lines.isEmpty() ? QStringList() : lines.constLast();
    };
    QTRY_VERIFY_WITH_TIMEOUT(lastStatus().value(1).startsWith(QStringLiteral("暫停播放，進度 ")),
                             5000);
    QTest::qWait(500);
    const int pausedAt = lastStatus().value(3).toInt();
    QVERIFY(pausedAt > 0);
    const QStringList where = testsupport::logLines(log, QStringLiteral("picture"))
                                  .constLast()
                                  .value(1)
                                  .split(QLatin1Char(' '));
    const QRect picture(where.value(0).toInt(), where.value(1).toInt(), where.value(2).toInt(),
                        where.value(3).toInt());
    QVERIFY(picture.width() > 200 && picture.height() > 150);
    const QString reference = temp.filePath(QStringLiteral("frame.png"));
    QCOMPARE(testsupport::run(QStringLiteral("ffmpeg"),
                              {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                               QStringLiteral("-i"), flv, QStringLiteral("-vf"),
                               QStringLiteral("select=eq(n\\,%1),scale=%2:%3")
                                   .arg(pausedAt)
                                   .arg(picture.width())
                                   .arg(picture.height()),
                               QStringLiteral("-frames:v"), QStringLiteral("1"), reference})
                 .exitCode,
             0);
    const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
    const QImage shown = QGuiApplication::primaryScreen()
                             ->grabWindow(window.toULongLong())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const double match = matchingBlocks(shown, picture, expected);
    QVERIFY2(match > 0.9, qPrintable(QStringLiteral("%1 of the blocks match").arg(match)));

    // PgDn in the seconds mode (5 s) moves 125 frames at 25 frames per second.
    typeKey(window, QStringLiteral("Next"));
    QTRY_COMPARE_WITH_TIMEOUT(lastStatus().value(3).toInt(), pausedAt + 125, 5000);
    QVERIFY(lastStatus().value(1).startsWith(QStringLiteral("暫停播放")));

    // Esc maximises and restores (on screen only where a window manager runs).
    const QSize normal = windowSize(window);
    typeKey(window, QStringLiteral("Escape"));
    QTRY_COMPARE_WITH_TIMEOUT(
        testsupport::logLines(log, QStringLiteral("window")).value(0).value(1),
        QStringLiteral("maximised"), 5000);
    if (windowManagerRuns()) {
        QTRY_VERIFY_WITH_TIMEOUT(windowSize(window).width() > normal.width(), 5000);
    }
    typeKey(window, QStringLiteral("Escape"));
    QTRY_COMPARE_WITH_TIMEOUT(
        testsupport::logLines(log, QStringLiteral("window")).value(1).value(1),
        QStringLiteral("normal"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(windowSize(window), normal, 5000);

    // A second start hands the MP4 over and ends; the same window plays it.
    QProcess second;
    second.setProcessEnvironment(env);
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(program, {mp4});
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(
        testsupport::windowsNamed(QStringLiteral("^ second clip\\.mp4 - Zelvo\\.FLV$")),
        QStringList{window}, 10000);
    QCOMPARE(testsupport::windowsNamed(QStringLiteral("Zelvo\\.FLV$")), QStringList{window});

    // A missing file: "無法播放" and the cannot-play message, FLV variant.
    QCOMPARE(first.state(), QProcess::Running);
    const QString missing = media.filePath(QStringLiteral("missing.flv"));
    QProcess third;
    third.setProcessEnvironment(env);
    third.setProcessChannelMode(QProcess::ForwardedChannels);
    third.start(program, {missing});
    if (!third.waitForFinished(15000)) {
        QFile f(log);
        f.open(QIODevice::ReadOnly);
        qDebug().noquote() << f.readAll().right(3000);
    }
    QCOMPARE(third.state(), QProcess::NotRunning);
    QCOMPARE(third.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(lastStatus().value(1), QStringLiteral("無法播放"), 10000);
    const QList<QStringList> boxes = testsupport::logLines(log, QStringLiteral("message"));
    QVERIFY(boxes.size() >= 2);
    const QStringList failure = boxes.at(boxes.size() - 2);
    QCOMPARE(failure.value(1), QStringLiteral("錯誤訊息"));
    QCOMPARE(failure.value(2), QStringLiteral("OkCancel"));
    QVERIFY(failure.value(3).startsWith(
        QStringLiteral("出現錯誤，無法播放指定的檔案：\\n") + missing +
        QStringLiteral("\\n\\n可能是因為檔案不存在，或者是格式不支援")));
    QVERIFY(failure.value(3).endsWith(QStringLiteral("的解碼器，按下「確定」將開啟說明文件！")));
    // Its OK opened the codec help, which is not installed here.
    QCOMPARE(boxes.constLast().value(3), QStringLiteral("找不到說明檔 Voduv.ADI.chm！"));
    QCOMPARE(testsupport::windowsNamed(QStringLiteral("^ missing\\.flv - Zelvo\\.FLV$")),
             QStringList{window});
    QCOMPARE(first.state(), QProcess::Running);

    testsupport::stopProcess(first);
}

QTEST_MAIN(tst_PlayerE2E)
#include "tst_player_e2e.moc"
