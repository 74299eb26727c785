// The picture over the seek bar in the real program on an X display: the pointer resting on
// the bar shows, above it, the frame at that place with its time as the status line writes
// it; the picture is the frame ffmpeg decodes there, not the keyframe before it; playback
// goes on meanwhile; the picture goes when the pointer leaves; MP4, MPEG and AVI files show
// theirs too; a sound-only file and a stream show none.
// The program's test log tells where the bar is ("seekbar") and each picture shown
// ("preview").
#include "TestSupport.h"
#include "core/common/mdlZelvoFLV.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTcpServer>
#include <QTemporaryDir>

#include <cmath>

namespace {

constexpr int fps = 25;
constexpr int length = 30;

// The user's hand resting on the screen at a point.
void moveTo(const QPoint& at) {
    testsupport::run(
        u8("xdotool"),
        {u8("mousemove"), u8("--sync"), QString::number(at.x()), QString::number(at.y())},
        QString(), 10000);
}

QImage screen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
}

}  // namespace

class tst_SeekPreviewE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariable("DISPLAY").isEmpty(), "needs an X display (xvfb-run)");
    }
    void hoverShowsTheFrameThere();
};

void tst_SeekPreviewE2E::hoverShowsTheFrameThere() {
    QTemporaryDir runtime, temp, config, media;
    // 30 s whose colours turn with every frame (a keyframe every 2 s), and a tone.
    const QString flv = media.filePath(u8("turning clip.flv"));
    QCOMPARE(testsupport::run(
                 u8("ffmpeg"),
                 u8("-nostdin -v error -y -f lavfi -i testsrc=size=640x480:rate=%1:duration=%2,"
                    "hue=H=2*PI*t -f lavfi -i sine=frequency=440:duration=%2 -c:v libx264 "
                    "-preset veryfast -pix_fmt yuv420p -g 50 -sc_threshold 0 -c:a aac -f flv")
                         .arg(fps)
                         .arg(length)
                         .split(u' ')
                     << flv)
                 .exitCode,
             0);
    const QString log = temp.filePath(u8("zelvo-log.txt"));
    const QProcessEnvironment env =
        testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log);
    moveTo(QPoint(1, 1));
    QProcess program;
    testsupport::startProgram(program, env, {flv});
    const auto playingFrame = [&] {
        const QStringList status = testsupport::lastLogLine(log, u8("status"));
        return status.value(1).startsWith(u8("正在播放")) ? status.value(3).toInt() : -1;
    };
    QTRY_VERIFY_WITH_TIMEOUT(playingFrame() > 0, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!testsupport::lastLogLine(log, u8("seekbar")).isEmpty(), 5000);
    const QRect bar = testsupport::rectField(testsupport::lastLogLine(log, u8("seekbar")).value(1));
    QVERIFY2(bar.width() > 200 && bar.height() > 4, qPrintable(u8("%1").arg(bar.width())));

    // The pointer rests at 7.3 s: between the keyframes of 6 s and 8 s.
    const int along = static_cast<int>(std::lround(7.3 / length * bar.width()));
    const int frame = static_cast<int>(std::lround(double(along) * length * fps / bar.width()));
    const QString timeText = formatTime(frame / double(fps), 2, 0);
    const int playedBefore = playingFrame();
    moveTo(QPoint(bar.x() + along, bar.center().y()));
    const auto shown = [&] { return testsupport::logLines(log, u8("preview")); };
    QTRY_VERIFY_WITH_TIMEOUT(!shown().isEmpty(), 10000);
    QCOMPARE(shown().constLast().value(1), timeText);
    // The status line writes its times the same way.
    QCOMPARE(testsupport::lastLogLine(log, u8("status")).value(2).size(), timeText.size());
    const QRect popup = testsupport::rectField(shown().constLast().value(2));
    QVERIFY2(popup.bottom() < bar.top() && popup.width() >= 160 &&
                 std::abs(popup.center().x() - (bar.x() + along)) <= 2,
             qPrintable(shown().constLast().value(2)));

    // Once the pointer rests, the exact frame: not the keyframe of 6 s before it.
    const QString png = temp.filePath(u8("frame.png"));
    const QImage expected = testsupport::decodedFrame(flv, frame, png, QSize(160, 120));
    const QImage keyframe = testsupport::decodedFrame(flv, 6 * fps, png, QSize(160, 120));
    QVERIFY(!expected.isNull() && !keyframe.isNull());
    const QRect picture(popup.topLeft() + QPoint(1, 1), QSize(160, 120));
    QTRY_VERIFY_WITH_TIMEOUT(
        shown().size() >= 2 && testsupport::matchingBlocks(screen(), picture, expected) > 0.9,
        10000);
    QVERIFY(testsupport::matchingBlocks(screen(), picture, keyframe) < 0.5);
    QCOMPARE(shown().constLast().value(1), timeText);
    // Playback went on all the while.
    QTRY_VERIFY_WITH_TIMEOUT(playingFrame() > playedBefore + fps, 10000);

    // Off the bar, onto the picture: the preview goes.
    moveTo(QPoint(bar.x() + along, bar.top() - 100));
    QTRY_VERIFY_WITH_TIMEOUT(testsupport::matchingBlocks(screen(), picture, expected) < 0.5, 5000);

    // The other containers, 30 s clips, show the picture 15.6 s in at 52 % of the bar; a
    // sound-only file and a stream (the same clip over HTTP) show none while the status line
    // ticks on.
    QFile clip(flv);
    QVERIFY(clip.open(QIODevice::ReadOnly));
    QTcpServer server;
    QVERIFY(testsupport::serveHttp(server, clip.readAll()));
    const QString url = u8("http://127.0.0.1:%1/clip.flv").arg(server.serverPort());
    const QList<QPair<QString, QString>> others{{testsupport::media(u8("clip.mp4")), u8("00:15")},
                                                {testsupport::media(u8("clip.mpg")), u8("00:15")},
                                                {testsupport::media(u8("clip.avi")), u8("00:15")},
                                                {testsupport::media(u8("clip.mp3")), QString()},
                                                {url, QString()}};
    for (const auto& [item, time] : others) {
        moveTo(QPoint(1, 1));
        QProcess later;
        testsupport::startProgram(later, env, {item});
        QTRY_VERIFY_WITH_TIMEOUT(later.state() == QProcess::NotRunning, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(testsupport::lastLogLine(log, u8("play")).value(1) == item, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(playingFrame() > 0, 10000);
        const qsizetype before = shown().size();
        moveTo(QPoint(bar.x() + bar.width() * 52 / 100, bar.center().y()));
        if (time.isEmpty()) {
            const qsizetype ticks = testsupport::logLines(log, u8("status")).size();
            QTRY_VERIFY_WITH_TIMEOUT(testsupport::logLines(log, u8("status")).size() >= ticks + 4,
                                     10000);
            QVERIFY2(shown().size() == before, qPrintable(item));
            continue;
        }
        QTRY_VERIFY2_WITH_TIMEOUT(shown().size() > before, qPrintable(item), 10000);
        QCOMPARE(shown().constLast().value(1), time);
        QVERIFY(testsupport::rectField(shown().constLast().value(2)).bottom() < bar.top());
    }

    testsupport::stopProcess(program);
}

QTEST_MAIN(tst_SeekPreviewE2E)
#include "tst_seekpreview_e2e.moc"
