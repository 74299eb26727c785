// The MCI session class on the real playback engine: what the player window relies on.
#include "TestSupport.h"
#include "playback/MCI.h"
#include "playback/MciInterpreter.h"

#include <QSize>
#include <QTest>

#include <clocale>
#include <cmath>

namespace {

const QString kAlias = QStringLiteral("Zelvo.FLV");
constexpr quintptr kWindow = 1;  // no picture host in these tests: any window id will do

}  // namespace

class TestMciMedia : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        std::setlocale(LC_NUMERIC, "C");
        MciInterpreter::instance().setAudioOutput(QStringLiteral("null"));
    }
    void cleanup() { MCI().closeAllMCI(); }

    void openReadsTheMedia_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("frames");
        QTest::addColumn<float>("seconds");
        QTest::addColumn<bool>("video");
        QTest::newRow("h264.flv") << QStringLiteral("h264.flv") << 752 << 30.08f << true;
        QTest::newRow("clip.wmv") << QStringLiteral("clip.wmv") << 752 << 30.092f << true;
        QTest::newRow("clip.mp3") << QStringLiteral("clip.mp3") << 30041 << 30.041f << false;
    }
    // What the player reads of the media through the session.
    void openReadsTheMedia() {
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
        const float rate = video ? 25.0f : 1000.0f;
        QVERIFY(std::abs(mci.getFramesPerSecond() - rate) < 0.1f);
        QCOMPARE(mci.getFramesRateMPG(), rate);
        qint32 width = -1, height = -1;
        mci.getDefaultSize(width, height);
        QCOMPARE(mci.isSuccess(), video);
        QCOMPARE(QSize(width, height), video ? QSize(640, 480) : QSize(0, 0));
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

    // A session that failed to open leaves no device and opens a good file next. A
    // range stops at its end, and a stop goes back to its start; a repeated range that
    // has run out plays again at a stop.
    void rangeStopsAndRepeats() {
        MCI mci;
        mci.openMCI(testsupport::media(QStringLiteral("bad/truncated.flv")), kWindow, kAlias);
        QVERIFY(!mci.isSuccess());
        QCOMPARE(mci.getStatus(), QStringLiteral("error"));
        QCOMPARE(mci.getTotalFrames(), 0);
        QCOMPARE(mci.getTotalSeconds(), 0.0f);
        QVERIFY(MciInterpreter::instance().aliases().isEmpty());
        mci.openMCI(testsupport::media(QStringLiteral("h263.flv")), kWindow, kAlias);
        QVERIFY(mci.isSuccess());
        QCOMPARE(mci.getTotalFrames(), 751);
        mci.playMCI(100, 110, false, false, false);
        QVERIFY(mci.isRngPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(mci.getStatus(), QStringLiteral("stopped"), 5000);
        QVERIFY(std::abs(mci.getCurFrame() - 110) <= 2);
        mci.stopMCI(QString(), 0);
        QCOMPARE(mci.getCurFrame(), 100);
        mci.playMCI(200, 205, true, false, false);
        QTRY_COMPARE_WITH_TIMEOUT(mci.getStatus(), QStringLiteral("stopped"), 5000);
        mci.stopMCI(QString(), 0);
        QCOMPARE(mci.getStatus(), QStringLiteral("playing"));
        const qint32 at = mci.getCurFrame();
        QVERIFY2(at >= 200 && at <= 206, qPrintable(QString::number(at)));
    }
};

QTEST_GUILESS_MAIN(TestMciMedia)
#include "tst_mcimedia.moc"
