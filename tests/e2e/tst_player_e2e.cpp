// The real program as a user drives it on an X display: the first start opens the main
// window; later starts hand their files over to it and end. An FLV shows its caption and
// its picture and the status text advances; Space pauses, PgDn jumps five seconds; an MP4
// replaces the playback in the same window; a missing file is reported.
//
// The program shows no modal box here: ZELVO_TEST_LOG makes it write every box, its
// status text and where it put the picture to a log file, which this test reads.
#include "TestSupport.h"

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
    void startHandOverPlayPauseStepFail();
};

void tst_PlayerE2E::startHandOverPlayPauseStepFail() {
    QVERIFY2(!qEnvironmentVariable("DISPLAY").isEmpty(), "needs an X display (xvfb-run)");
    QTemporaryDir runtime, temp, config, media;
    const QString log = temp.filePath(QStringLiteral("zelvo-log.txt"));
    const QProcessEnvironment env =
        testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log);
    const QString flv = media.filePath(QStringLiteral("clip.flv"));
    QVERIFY(QFile::copy(testsupport::media(QStringLiteral("h264.flv")), flv));
    QVERIFY(QFile::copy(testsupport::media(QStringLiteral("clip.mp4")),
                        media.filePath(QStringLiteral("second clip.mp4"))));
    const auto start = [&](QProcess& p, const QString& folder, const QStringList& args) {
        p.setWorkingDirectory(folder);
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(testsupport::binDir() + QStringLiteral("/Zelvo.FLV"), args);
    };
    const auto windowsOf = [](const char* name) {
        return testsupport::windowsNamed(
            QStringLiteral("^ %1 - Zelvo\\.FLV$")
                .arg(QString::fromUtf8(name).replace(u'.', QLatin1String("\\."))));
    };
    // The first start, without a file, opens the main window.
    QProcess first;
    start(first, temp.path(), {});
    const QString caption = QStringLiteral("^ Zelvo\\.FLV - 1\\.6\\.1$");
    QTRY_COMPARE_WITH_TIMEOUT(testsupport::windowsNamed(caption).size(), 1, 20000);
    const QString window = testsupport::windowsNamed(caption).at(0);
    // A later start, in the media folder, hands its file over and ends; the one window of the
    // first start, which lives on, shows it.
    const auto handOver = [&](const char* name) {
        QProcess later;
        start(later, media.path(), {QString::fromUtf8(name)});
        return later.waitForFinished(15000) && later.exitCode() == 0 &&
               testsupport::waitUntil([&] { return windowsOf(name) == QStringList{window}; },
                                      10000) &&
               testsupport::windowsNamed(QStringLiteral("Zelvo\\.FLV")) == QStringList{window} &&
               first.state() == QProcess::Running;
    };
    QVERIFY(handOver("clip.flv"));  // named relative to the later start's folder

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

    // Space pauses; the paused picture is the frame the status settles on.
    typeKey(window, QStringLiteral("space"));
    const auto lastStatus = [&] {
        const QList<QStringList> lines = testsupport::logLines(log, QStringLiteral("status"));
        return lines.isEmpty() ? QStringList() : lines.constLast();
    };
    const auto frame = [&] { return lastStatus().value(3).toInt(); };
    int pausedAt = -1;
    QVERIFY(testsupport::waitUntil(
        [&] {
            pausedAt = frame();
            return lastStatus().value(1).startsWith(QStringLiteral("暫停播放，進度 ")) &&
                   !testsupport::waitUntil([&] { return frame() != pausedAt; }, 300);
        },
        5000));
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
    QTRY_COMPARE_WITH_TIMEOUT(frame(), pausedAt + 125, 5000);
    QVERIFY(lastStatus().value(1).startsWith(QStringLiteral("暫停播放")));

    // An MP4 handed over replaces the playback; a missing file cannot be played, and its
    // box (the FLV one, whose OK opens the codec help, not installed here) is answered.
    QVERIFY(handOver("second clip.mp4"));
    QVERIFY(handOver("missing.flv"));
    QTRY_COMPARE_WITH_TIMEOUT(lastStatus().value(1), QStringLiteral("無法播放"), 10000);
    QList<QStringList> boxes = testsupport::logLines(log, QStringLiteral("message"));
    QVERIFY(boxes.size() >= 2);
    boxes = boxes.mid(boxes.size() - 2);
    QCOMPARE(boxes.at(0).mid(1, 2),
             QStringList({QStringLiteral("錯誤訊息"), QStringLiteral("OkCancel")}));
    QVERIFY(boxes.at(0).value(3).startsWith(QStringLiteral("出現錯誤，無法播放指定的檔案：\\n") +
                                            media.filePath(QStringLiteral("missing.flv"))));
    QCOMPARE(boxes.at(1).value(3), QStringLiteral("找不到說明檔 Voduv.ADI.chm！"));

    testsupport::stopProcess(first);
}

QTEST_MAIN(tst_PlayerE2E)
#include "tst_player_e2e.moc"
