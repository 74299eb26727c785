// The typed face of a media device (MCI::playback()) on real media: the values a feature
// reads (position and length in seconds, pictures, stream or file) and the signals when a
// file is loaded and closed, whoever closes it.
#include "TestSupport.h"
#include "core/media/MCI.h"
#include "core/media/MciInterpreter.h"
#include "core/media/PlaybackSession.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <clocale>
#include <cmath>

namespace {

const QString kAlias = u8("Typed");

struct Media {
    const char* file;
    bool video;
    double fps;
    double seconds;  // the length ffmpeg gives the file
};

}  // namespace

Q_DECLARE_METATYPE(Media)

class TestPlaybackSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        std::setlocale(LC_NUMERIC, "C");
        MciInterpreter::instance().setAudioOutput(u8("null"));
    }
    void cleanup() { MciInterpreter::instance().closeAll(); }

    void valuesOfTheOpenFile_data() {
        testsupport::addRows<Media>({
            {"h264.flv", {"h264.flv", true, 25.0, 30.08}},
            {"h263.flv", {"h263.flv", true, 25.0, 30.03}},
            {"clip.mp4", {"clip.mp4", true, 25.0, 30.0}},
            {"clip.mpg", {"clip.mpg", true, 25.0, 30.0}},
            {"clip.mp3", {"clip.mp3", false, 0.0, 30.0}},
        });
    }
    // What a feature reads while the file plays, in seconds whatever the device's time
    // format, and the same numbers the command strings give in frames.
    void valuesOfTheOpenFile() {
        QFETCH(Media, row);
        const QString path = testsupport::media(u8(row.file));
        MCI mci;
        PlaybackSession& session = mci.playback();
        QSignalSpy loaded(&session, &PlaybackSession::loaded);
        QVERIFY(!session.isOpen());
        QCOMPARE(session.position(), std::nullopt);

        mci.openMCI(path, 1, kAlias);
        QVERIFY(mci.isSuccess());
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(loaded.at(0).at(0).toString(), path);
        QVERIFY(session.isOpen());
        QCOMPARE(session.fileName(), path);
        QCOMPARE(session.hasVideo(), row.video);
        QVERIFY(!session.isStream());
        QCOMPARE(session.frameRate(), row.fps);
        const auto duration = session.duration();
        QVERIFY(duration.has_value());
        QVERIFY2(std::abs(*duration - row.seconds) < 0.1, qPrintable(QString::number(*duration)));
        // The pictures are MCI's frames; sound alone has none.
        QCOMPARE(session.frameCount(), row.video ? qint64(mci.getTotalFrames()) : 0);

        // Ten seconds in, by the device's own units (frames, or milliseconds for sound).
        const qint32 tenSeconds = row.video ? 250 : 10000;
        mci.setCurFrame(tenSeconds, false);
        QCOMPARE(mci.getCurFrame(), tenSeconds);
        QVERIFY2(std::abs(*session.position() - 10.0) < 0.002,
                 qPrintable(QString::number(*session.position())));
        QCOMPARE(testsupport::mci(u8("set Typed time format ms")), QString());
        QVERIFY(std::abs(*session.position() - 10.0) < 0.002);

        mci.playMCI(0, 0, false, false, false);
        QVERIFY(testsupport::waitUntil([&] { return session.position().value_or(0) > 10.3; }));
        QCOMPARE(mci.getStatus(), u8("playing"));
    }

    void closedByWhoever_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("closeMCI") << u8("closeMCI");
        QTest::newRow("another file opened") << u8("open");
        QTest::newRow("close all") << u8("close all");
    }
    // The feature hears of every close, and reads nothing from a closed device.
    void closedByWhoever() {
        QFETCH(QString, how);
        MCI mci;
        PlaybackSession& session = mci.playback();
        QSignalSpy loaded(&session, &PlaybackSession::loaded);
        QSignalSpy closed(&session, &PlaybackSession::closed);
        mci.openMCI(testsupport::media(u8("h264.flv")), 1, kAlias);
        QVERIFY(session.isOpen());
        if (how == u8("closeMCI")) {
            mci.closeMCI(QString());
        } else if (how == u8("open")) {
            mci.openMCI(testsupport::media(u8("clip.mp3")), 1, kAlias);
        } else {
            QCOMPARE(testsupport::mci(how), QString());
        }
        QCOMPARE(closed.count(), 1);
        if (how == u8("open")) {
            QCOMPARE(loaded.count(), 2);
            QCOMPARE(session.fileName(), testsupport::media(u8("clip.mp3")));
            QVERIFY(!session.hasVideo());
            return;
        }
        QVERIFY(!session.isOpen());
        QCOMPARE(session.fileName(), QString());
        QCOMPARE(session.position(), std::nullopt);
        QCOMPARE(session.duration(), std::nullopt);
        QCOMPARE(session.frameCount(), 0);
        QCOMPARE(session.droppedFrames(), 0);
        QVERIFY(!session.hasVideo());
    }

    // A file that cannot be played is never loaded, and nothing was open to close.
    void failedOpenLoadsNothing() {
        MCI mci;
        PlaybackSession& session = mci.playback();
        QSignalSpy loaded(&session, &PlaybackSession::loaded);
        QSignalSpy closed(&session, &PlaybackSession::closed);
        mci.openMCI(testsupport::media(u8("bad/empty.flv")), 1, kAlias);
        QVERIFY(!mci.isSuccess());
        QCOMPARE(loaded.count(), 0);
        QCOMPARE(closed.count(), 0);
        QVERIFY(!session.isOpen());
    }

    // A URL is a stream: its length is what the server tells.
    void streamIsAStream() {
        QFile media(testsupport::media(u8("h264.flv")));
        QVERIFY(media.open(QIODevice::ReadOnly));
        QTcpServer server;
        QVERIFY(testsupport::serveHttp(server, media.readAll()));
        const QString url = u8("http://127.0.0.1:%1/clip.flv").arg(server.serverPort());
        MCI mci;
        PlaybackSession& session = mci.playback();
        QSignalSpy loaded(&session, &PlaybackSession::loaded);
        mci.openMCI(url, 1, kAlias);
        QVERIFY(mci.isSuccess());
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(loaded.at(0).at(0).toString(), url);
        QVERIFY(session.isStream());
        QVERIFY(session.hasVideo());
        QVERIFY(std::abs(session.duration().value_or(0) - 30.08) < 0.1);
    }
};

QTEST_GUILESS_MAIN(TestPlaybackSession)
#include "tst_playbacksession.moc"
