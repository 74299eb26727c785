// The MCI session class on the real playback engine: what the player window relies on.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "playback/MCI.h"
#include "playback/MciInterpreter.h"

#include <QElapsedTimer>
#include <QTest>

#include <clocale>
#include <cmath>

namespace {

const QString kAlias = QStringLiteral("Zelvo.FLV");
constexpr quintptr kWindow = 1;  // no picture host in these tests: any window id will do

bool waitForStatus(MCI& mci, const QString& status, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (mci.getStatus() == status) {
            return true;
        }
        QTest::qWait(20);
    }
    return false;
}

}  // namespace

class TestMciMedia : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void openReadsTheMedia_data();
    void openReadsTheMedia();
    void playPauseAndMove_data();
    void playPauseAndMove();
    void rangeStopsAndRepeats();
    void badFileLeavesNoDevice();
};

void TestMciMedia::initTestCase() {
    std::setlocale(LC_NUMERIC, "C");
    MciInterpreter::instance().setAudioOutput(QStringLiteral("null"));
}

void TestMciMedia::cleanup() {
    MCI().closeAllMCI();
}

void TestMciMedia::openReadsTheMedia_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("frames");
    QTest::addColumn<float>("seconds");
    QTest::addColumn<bool>("video");
    QTest::newRow("h264.flv") << QStringLiteral("h264.flv") << 752 << 30.08f << true;
    QTest::newRow("clip.wmv") << QStringLiteral("clip.wmv") << 752 << 30.092f << true;
    QTest::newRow("clip.mp3") << QStringLiteral("clip.mp3") << 30041 << 30.041f << false;
}

void TestMciMedia::openReadsTheMedia() {
    QFETCH(QString, file);
    QFETCH(int, frames);
    QFETCH(float, seconds);
    QFETCH(bool, video);
    MCI mci;
    mci.openMCI(testsupport::media(file), kWindow, kAlias);
    QVERIFY(mci.isSuccess());
    QCOMPARE(mci.getStatus(), QStringLiteral("stopped"));
    QCOMPARE(mci.getTotalFrames(), frames);
    QVERIFY(std::abs(mci.getTotalSeconds() - seconds) < 0.002f);
    QVERIFY(std::abs(mci.getFramesPerSecond() - (video ? 25.0f : 1000.0f)) < 0.1f);
    QCOMPARE(mci.getFramesRateMPG(), video ? 25.0f : 1000.0f);
    qint32 width = -1;
    qint32 height = -1;
    mci.getDefaultSize(width, height);
    QCOMPARE(mci.isSuccess(), video);
    QCOMPARE(width, video ? 640 : 0);
    QCOMPARE(height, video ? 480 : 0);

    // Placing the picture tells a video from a sound file.
    mci.putMCI(640, 480, true, 1, 800, 600);
    QCOMPARE(mci.isSuccess(), video);
    QCOMPARE(mci.isAudioOnly(), !video);
    QVERIFY(!mci.isVideoOnly());
    QCOMPARE(mci.getAudioOnOff(), QStringLiteral("on"));
    mci.setVolume(500);
    QVERIFY(mci.isSuccess());

    mci.closeMCI(QString());
    QVERIFY(mci.isSuccess());
    QCOMPARE(mci.getStatus(), QStringLiteral("error"));
}

void TestMciMedia::playPauseAndMove_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("h264.flv") << QStringLiteral("h264.flv");
    QTest::newRow("clip.mpg") << QStringLiteral("clip.mpg");
    QTest::newRow("clip.mp3") << QStringLiteral("clip.mp3");
}

void TestMciMedia::playPauseAndMove() {
    QFETCH(QString, file);
    MCI mci;
    mci.openMCI(testsupport::media(file), kWindow, kAlias);
    QVERIFY(mci.isSuccess());
    mci.playMCI(0, 0, false, false, false);
    QVERIFY(mci.isSuccess());
    QVERIFY(!mci.isRngPlaying());
    QCOMPARE(mci.getStatus(), QStringLiteral("playing"));
    mci.pauseMCI();
    QCOMPARE(mci.getStatus(), QStringLiteral("paused"));

    // Paused, the picture moves and stays paused; playing, it plays on from there.
    mci.setCurFrame(300, false);
    QVERIFY(mci.isSuccess());
    QCOMPARE(mci.getCurFrame(), 300);
    QCOMPARE(mci.getStatus(), QStringLiteral("paused"));
    QTest::qWait(100);
    QCOMPARE(mci.getCurFrame(), 300);
    mci.setCurFrame(400, true);
    QCOMPARE(mci.getStatus(), QStringLiteral("playing"));
    QTest::qWait(200);
    QVERIFY(mci.getCurFrame() > 400);
    mci.pauseMCI();
    mci.resumeMCI();
    QCOMPARE(mci.getStatus(), QStringLiteral("playing"));

    mci.setSpeed(1500);
    QCOMPARE(mci.getSpeed(), 1500);
    mci.stopMCI(QString(), 0);
    QCOMPARE(mci.getStatus(), QStringLiteral("stopped"));
    QCOMPARE(mci.getCurFrame(), 0);
}

void TestMciMedia::rangeStopsAndRepeats() {
    MCI mci;
    mci.openMCI(testsupport::media(QStringLiteral("h263.flv")), kWindow, kAlias);
    QVERIFY(mci.isSuccess());
    mci.playMCI(100, 110, false, false, false);
    QVERIFY(mci.isRngPlaying());
    QVERIFY(waitForStatus(mci, QStringLiteral("stopped"), 5000));
    QVERIFY(std::abs(mci.getCurFrame() - 110) <= 2);
    // A stop goes back to the start of the range.
    mci.stopMCI(QString(), 0);
    QCOMPARE(mci.getCurFrame(), 100);

    // A repeated range: when it has run out, a stop plays it again.
    mci.playMCI(200, 205, true, false, false);
    QVERIFY(waitForStatus(mci, QStringLiteral("stopped"), 5000));
    mci.stopMCI(QString(), 0);
    QCOMPARE(mci.getStatus(), QStringLiteral("playing"));
    const qint32 at = mci.getCurFrame();
    QVERIFY2(at >= 200 && at <= 206, qPrintable(QString::number(at)));
}

void TestMciMedia::badFileLeavesNoDevice() {
    MCI mci;
    mci.openMCI(testsupport::media(QStringLiteral("bad/truncated.flv")), kWindow, kAlias);
    QVERIFY(!mci.isSuccess());
    QCOMPARE(mci.getStatus(), QStringLiteral("error"));
    QCOMPARE(mci.getTotalFrames(), 0);
    QCOMPARE(mci.getTotalSeconds(), 0.0f);
    QVERIFY(MciInterpreter::instance().aliases().isEmpty());
    // The same object opens a good file next.
    mci.openMCI(testsupport::media(QStringLiteral("h263.flv")), kWindow, kAlias);
    QVERIFY(mci.isSuccess());
    QCOMPARE(mci.getTotalFrames(), 751);
}

QTEST_GUILESS_MAIN(TestMciMedia)
#include "tst_mcimedia.moc"
