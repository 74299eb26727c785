// The MCI command interpreter on real media: replies, modes, exact positions, ranges,
// bad input and streams, with libmpv decoding into nothing (vo=null, ao=null).
#include "TestSupport.h"
#include "playback/MciErrors.h"
#include "playback/MciInterpreter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

int send(QAnyStringView command, QString* reply = nullptr) {
    return mciSendString(command.toString(), reply);
}

// The reply of a command that must succeed ("<error N>" when it fails).
QString ask(QAnyStringView command) {
    QString reply;
    const int error = send(command, &reply);
    return error == 0 ? reply : QStringLiteral("<error %1>").arg(error);
}

qint64 askNumber(QAnyStringView command) {
    bool ok = false;
    const qint64 value = ask(command).toLongLong(&ok);
    return ok ? value : -999999;
}

// Whether a number reply goes past a value within timeoutMs.
bool passes(QAnyStringView command, qint64 value, int timeoutMs = 5000) {
    return testsupport::waitUntil([&] { return askNumber(command) > value; }, timeoutMs);
}

// Whether a reply keeps its value for ms (asked all the while).
bool holds(QAnyStringView command, qint64 value, int ms) {
    return askNumber(command) == value &&
           !testsupport::waitUntil([&] { return askNumber(command) != value; }, ms);
}

// Runs an MCI transcript: "command = reply" entries ("; " may also separate them),
// "<error N>" where the command fails with MCI error number N. Gives "" when every
// reply is as written, else the first entry that is not, with what came.
QString transcript(std::initializer_list<QAnyStringView> entries) {
    for (const QAnyStringView& part : entries) {
        for (const QString& entry : part.toString().split(QLatin1String("; "))) {
            const qsizetype at = entry.lastIndexOf(QLatin1String(" ="));
            const QString got = ask(entry.left(at));
            if (got != entry.mid(at + 2).trimmed()) {
                return entry + u8("   <- got \"") + got + u8("\"");
            }
        }
    }
    return QString();
}

QString openCommand(const QString& path, const char* alias = "v") {
    return QStringLiteral("open \"%1\" type mpegvideo alias %2 parent 0 style child")
        .arg(path, u8(alias));
}

// Opens a file of the test media as a device.
int openMedia(const char* file, const char* alias = "v") {
    return send(openCommand(testsupport::media(u8(file)), alias));
}

// The frame numbers the video of a file really has: its pictures' times in frames
// from the first one (a file may skip a number now and then).
QList<qint64> frameNumbers(const QString& path, double rate) {
    QStringList args = u8("-v error -select_streams v:0 -show_entries "
                          "frame=best_effort_timestamp_time -of csv=p=0")
                           .split(u' ');
    const testsupport::RunResult result = testsupport::run(u8("ffprobe"), args << path);
    QList<double> times;
    for (const QByteArray& line : result.output.split('\n')) {
        bool ok = false;
        const double time = line.trimmed().replace(",", "").toDouble(&ok);
        if (ok) {
            times.append(time);
        }
    }
    std::sort(times.begin(), times.end());
    QList<qint64> numbers;
    for (const double time : times) {
        numbers.append(std::llround((time - times.first()) * rate));
    }
    return numbers;
}

// Serves one file over HTTP from this thread, with or without a
// Content-Length. The head goes out as a client connects, the body 150 ms
// later, as from a server far away; a live stream keeps trickling, never ends.
void serve(QTcpServer& server, const QByteArray& body, bool withLength) {
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, body, withLength] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            const QByteArray length = "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: video/x-flv\r\n" +
                          (withLength ? length : QByteArray()) + "Connection: close\r\n\r\n");
            auto* timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [=, sent = qsizetype(0)]() mutable {
                const qsizetype chunk = withLength ? body.size() : (sent == 0 ? 8 : 1) * 32 * 1024;
                socket->write(body.mid(std::exchange(sent, sent + chunk), chunk));
                timer->setInterval(100);
                if (withLength) {
                    timer->stop();
                    socket->disconnectFromHost();
                }
            });
            timer->start(150);
        }
    });
    server.listen(QHostAddress::LocalHost, 0);
}

}  // namespace

// Fails the test at the first reply of a transcript that is not as written.
#define REPLIES(...) QCOMPARE(transcript({__VA_ARGS__}), QString())

class TestMciInterpreter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        std::setlocale(LC_NUMERIC, "C");
        MciInterpreter::instance().setAudioOutput(u8("null"));
    }
    void cleanup() { send("close all"); }

    void device_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("video");
        for (const char* name :
             {"h263.flv", "h264.flv", "clip.mpg", "clip.vob", "clip.avi", "clip.mp4", "clip.wmv"}) {
            QTest::newRow(name) << u8(name) << true;
        }
        QTest::newRow("clip.mp3") << u8("clip.mp3") << false;
        QTest::newRow("clip.wav") << u8("clip.wav") << false;
    }
    // One device on each kind of media, through what the player asks of it.
    void device() {
        QFETCH(QString, file);
        QFETCH(bool, video);
        const QString path = testsupport::media(file);
        const double duration = testsupport::probeDuration(path);
        QVERIFY(duration > 29.0);
        const double rate = video ? 25.0 : 1000.0;  // media without video: 1000 frames a second
        const QList<qint64> frames = video ? frameNumbers(path, rate) : QList<qint64>();
        QVERIFY(!video || frames.size() > 700);
        QCOMPARE(send(openCommand(path)), 0);

        // The length, in milliseconds and in frames; the frame rate in frames per 1000 s.
        REPLIES("status v mode = stopped",
                "set v time format ms =", "status v time format = milliseconds");
        const qint64 ms = askNumber("status v length");
        QVERIFY2(std::abs(static_cast<double>(ms) - duration * 1000.0) <= 1000.0 / rate + 1.0,
                 qPrintable(QStringLiteral("%1 ms, not %2").arg(ms).arg(duration * 1000.0)));
        QCOMPARE(send("set v time format frames"), 0);
        const qint64 length = askNumber("status v length");
        QVERIFY2(std::abs(static_cast<double>(length) - duration * rate) <= 1.0,
                 qPrintable(QStringLiteral("%1 frames, not %2").arg(length).arg(duration * rate)));
        QCOMPARE(askNumber("status v frame rate"), std::llround(rate * 1000.0));

        // The sound's volume (0 to 1000) and switch; the picture's size and place,
        // where there is a picture.
        REPLIES("status v volume = 1000", "setaudio v volume to 500 =", "status v volume = 500",
                "setaudio v volume to 1001 = <error 282>", "status v audio = on",
                "set v audio all off =", "status v audio = off",
                "set v audio all on =", "status v audio = on");
        QCOMPARE(
            video ? transcript({"where v source = 0 0 640 480", "put v window at 10 20 320 240 =",
                                "where v destination = 10 20 320 240"})
                  : transcript({"where v source = <error 346>",
                                "put v window at 10 20 320 240 = <error 346>"}),
            QString());

        // A seek, around key frames (every 50th), far in, near the end and back,
        // shows the first frame the file has at or after the target, stopped.
        QStringList seeks;
        for (const qint64 target : {1, 37, 49, 50, 51, 99, 123, 480, 700, 737, 745, 10, 0}) {
            const auto at = std::lower_bound(frames.begin(), frames.end(), target);
            QVERIFY(!video || at != frames.end());
            seeks << QStringLiteral(
                         "seek v to %1 =; status v position = %2; status v mode = stopped")
                         .arg(target)
                         .arg(video ? *at : target);
        }
        REPLIES(seeks.join(QLatin1String("; ")));

        // Paused, the position holds.
        REPLIES("play v =", "status v mode = playing", "pause v =", "status v mode = paused");
        QVERIFY(holds("status v position", askNumber("status v position"), 120));
        REPLIES("resume v =", "status v mode = playing",
                "seek v to 20 =", "status v mode = stopped");

        // A range (ten frames, or 400 ms of sound) stops at its end and stays
        // there; a play without a clause goes on from there.
        const qint64 from = video ? 100 : 4000;
        const qint64 to = video ? 110 : 4400;
        const qint64 twoFrames = video ? 2 : 80;
        REPLIES(QStringLiteral("play v from %1 to %2 =").arg(from).arg(to),
                "status v mode = playing");
        QTRY_COMPARE_WITH_TIMEOUT(ask("status v mode"), u8("stopped"), 5000);
        const qint64 stoppedAt = askNumber("status v position");
        QVERIFY2(std::abs(stoppedAt - to) <= twoFrames, qPrintable(QString::number(stoppedAt)));
        QVERIFY(holds("status v position", stoppedAt, 100));
        // On the way the position never shows a time before the one it went on from
        // (the sound output still holds earlier sound for a moment).
        REPLIES("play v =", "status v mode = playing");
        qint64 lowest = stoppedAt;
        QVERIFY(testsupport::waitUntil([&] {
            const qint64 at = askNumber("status v position");
            lowest = std::min(lowest, at);
            return at > stoppedAt + twoFrames;
        }));
        QVERIFY2(lowest >= stoppedAt - 1,
                 qPrintable(QStringLiteral("%1 after %2").arg(lowest).arg(stoppedAt)));
        const qint64 later = askNumber("status v position");
        QVERIFY2(later > stoppedAt + twoFrames && later < stoppedAt + 10 * twoFrames,
                 qPrintable(QStringLiteral("%1 after %2").arg(later).arg(stoppedAt)));

        // Near the end the device runs out, stops and holds the position at the
        // end. (Sound is handed to the output ahead of time: leave a second.)
        REPLIES(QStringLiteral("play v from %1 =").arg(length - (video ? 10 : 1000)),
                "status v mode = playing");
        QTRY_COMPARE_WITH_TIMEOUT(ask("status v mode"), u8("stopped"), 5000);
        QVERIFY(holds("status v position", length, 100));
    }

    void repeatAndStep() {
        QCOMPARE(openMedia("h264.flv"), 0);
        REPLIES("set v time format frames =", "play v from 200 to 208 repeat =");
        // Eight frames take 320 ms: the position wraps back, twice, playing all the while
        // and never leaving the range.
        qint64 previous = -1;
        int wraps = 0;
        QStringList strays;
        QVERIFY(testsupport::waitUntil(
            [&] {
                const qint64 at = askNumber("status v position");
                if (at < 200 || at > 210 || ask("status v mode") != u8("playing")) {
                    strays << QString::number(at);
                }
                wraps += at < std::exchange(previous, at) ? 1 : 0;
                return wraps >= 2;
            },
            3000));
        QCOMPARE(strays, QStringList());
        // The whole file repeated: the end of the media is not a stop.
        REPLIES("seek v to 745 =", "play v repeat =");
        QVERIFY(testsupport::waitUntil([] { return askNumber("status v position") < 100; }, 3000));
        QCOMPARE(ask("status v mode"), u8("playing"));

        // Steps move by frames, either way, and leave the device paused.
        QCOMPARE(send("close v"), 0);
        QCOMPARE(openMedia("clip.mpg"), 0);
        REPLIES("set v time format frames =", "seek v to 100 =", "step v by 5 =",
                "status v position = 105", "step v by -7 =", "status v position = 98",
                "step v =", "status v position = 99", "status v mode = paused");
    }

    void speedChangesTheRate_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("speed");
        QTest::newRow("h264.flv half") << u8("h264.flv") << 500;
        QTest::newRow("h264.flv double") << u8("h264.flv") << 2000;
        QTest::newRow("clip.mp3 tenth") << u8("clip.mp3") << 100;
        QTest::newRow("clip.mp3 double") << u8("clip.mp3") << 2000;
    }
    // Two devices play the file side by side, one at its normal speed: the
    // other gets speed / 1000 times as far.
    void speedChangesTheRate() {
        QFETCH(QString, file);
        QFETCH(int, speed);
        QCOMPARE(send(openCommand(testsupport::media(file))), 0);
        QCOMPARE(send(openCommand(testsupport::media(file), "normal")), 0);
        REPLIES(QStringLiteral("set v speed %1 =; status v speed = %1").arg(speed),
                "status normal speed = 1000", "set v time format ms =", "play v from 1000 =",
                "set normal time format ms =", "play normal from 1000 =");
        QVERIFY(passes("status normal position", 1800));
        const auto changed = static_cast<double>(askNumber("status v position") - 1000);
        const auto normal = static_cast<double>(askNumber("status normal position") - 1000);
        const double ratio = changed / normal;
        QVERIFY2(ratio > speed / 1000.0 * 0.7 && ratio < speed / 1000.0 * 1.3,
                 qPrintable(QStringLiteral("%1 ms against %2 ms").arg(changed).arg(normal)));
    }

    void awkwardFileNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("relative");
        QTest::newRow("blanks") << u8("my clip  2.flv") << false;
        QTest::newRow("double quotes") << u8("say \"hi\" \".flv") << false;
        QTest::newRow("chinese") << u8("測試 影片.flv") << false;
        QTest::newRow("leading dash") << u8("-clip.flv") << true;
        QTest::newRow("looks like a url") << u8("http:clip.flv") << true;
    }
    void awkwardFileNames() {
        QFETCH(QString, name);
        QFETCH(bool, relative);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(testsupport::media(u8("h263.flv")), dir.filePath(name)));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const int error = send(openCommand(relative ? name : dir.filePath(name)));
        QDir::setCurrent(previous);
        QCOMPARE(error, 0);
        REPLIES("set v time format frames =", "status v length = 751");
    }

    void badInputFails_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("error");
        const auto open = [](const char* name) {
            return openCommand(qEnvironmentVariable("ZELVO_TEST_MEDIA") + u8("/") + u8(name));
        };
        const auto row = [](const char* tag, const QString& command, int error) {
            QTest::newRow(tag) << command << error;
        };
        row("missing file", open("no such file.flv"), mcierr::kFileNotFound);
        row("folder", open("bad"), mcierr::kFileNotFound);
        row("text named .flv", open("bad/text/clip.flv"), mcierr::kInvalidFile);
        row("truncated flv", open("bad/truncated.flv"), mcierr::kInvalidFile);
        row("empty flv", open("bad/empty.flv"), mcierr::kInvalidFile);
        row("unknown alias", u8("status NoSuchDevice mode"), mcierr::kInvalidDeviceName);
        row("close unknown", u8("close NoSuchDevice"), mcierr::kInvalidDeviceName);
        row("garbage", u8("xyzzy plugh 42"), mcierr::kUnrecognizedCommand);
        row("empty", QString(), mcierr::kMissingCommandString);
        row("verb only", u8("play"), mcierr::kMissingDeviceName);
        row("open quote", u8("open \"/tmp/x.flv type mpegvideo"), mcierr::kNoClosingQuote);
        if (!QFileInfo::exists(u8("/dev/cdrom")) && !QFileInfo::exists(u8("/dev/sr0"))) {
            row("no CD drive", u8("open / type cdaudio alias cd wait shareable"),
                mcierr::kInvalidDeviceName);
        }
        row("refused stream", u8("open \"http://127.0.0.1:9/a.flv\" type mpegvideo alias s"),
            mcierr::kFileNotFound);
        row("unknown type", open("h264.flv").replace(u8("mpegvideo"), u8("sequencer")),
            mcierr::kCannotLoadDriver);
    }
    // A bad command fails with its error number, no reply and no device; a
    // device that is open refuses commands it does not know, and keeps working.
    void badInputFails() {
        QFETCH(QString, command);
        QFETCH(int, error);
        QString reply = u8("untouched");
        QCOMPARE(send(command, &reply), error);
        QCOMPARE(reply, QString());
        QVERIFY(MciInterpreter::instance().aliases().isEmpty());

        QCOMPARE(openMedia("h264.flv"), 0);
        QCOMPARE(openMedia("clip.mp3"), mcierr::kDuplicateAlias);
        REPLIES("status v colour = <error 259>", "seek v to lots = <error 270>",
                "seek v to 99999999 = <error 282>", "set v time format furlongs = <error 293>",
                "status v mode = stopped");
    }

    // The player window's status timer keeps asking while a command waits for the
    // player; its questions must not change what the command does.
    void timerAsksWhileCommandsWait() {
        QCOMPARE(openMedia("clip.mpg"), 0);
        QCOMPARE(send("set v time format frames"), 0);
        QStringList modesSeen;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
            QString mode;
            send("status v mode", &mode);
            send("status v position");
            modesSeen.append(mode);
        });
        timer.start(0);
        // Each play starts while the one before still plays.
        for (const qint64 start : {601, 123, 345, 77, 499}) {
            REPLIES(QStringLiteral("play v from %1 =").arg(start), "status v mode = playing");
            const qint64 at = askNumber("status v position");
            QVERIFY2(at >= start && at <= start + 3,
                     qPrintable(QStringLiteral("%1 after %2").arg(at).arg(start)));
        }
        REPLIES("seek v to 222 =", "status v position = 222");
        timer.stop();
        QVERIFY(!modesSeen.isEmpty());
        QVERIFY(!modesSeen.contains(QString()));
    }

    // Devices under different aliases are independent; aliases ignore case;
    // "Close All" closes every device and frees its alias.
    void aliases() {
        QCOMPARE(openMedia("h264.flv", "Zelvo.FLV"), 0);
        QCOMPARE(openMedia("clip.wmv", "Zelvo.FLV_forCapture"), 0);
        QCOMPARE(openMedia("clip.wav", "b"), 0);
        REPLIES(
            "set Zelvo.FLV time format frames =", "set Zelvo.FLV_forCapture time format frames =",
            "seek Zelvo.FLV_forCapture to 300 =", "play Zelvo.FLV from 50 =",
            "status Zelvo.FLV mode = playing", "status Zelvo.FLV_forCapture mode = stopped");
        QVERIFY(passes("status Zelvo.FLV position", 50));
        REPLIES("status Zelvo.FLV_forCapture position = 300",
                "close Zelvo.FLV =", "status Zelvo.FLV mode = <error 263>",
                "status Zelvo.FLV_forCapture position = 300",
                "status zelvo.flv_FORCAPTURE mode = stopped", "play b =");
        QCOMPARE(MciInterpreter::instance().aliases().size(), 2);
        REPLIES("Close All =", "status b mode = <error 263>",
                "status Zelvo.FLV_forCapture mode = <error 263>");
        QVERIFY(MciInterpreter::instance().aliases().isEmpty());
        QCOMPARE(openMedia("clip.wav", "b"), 0);
    }

    void streamOpensWithoutFreezing_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("withLength");
        QTest::newRow("file with length") << u8("h264.flv") << true;
        QTest::newRow("live, no length") << u8("bad/nometa.flv") << false;
    }
    // The server answers from this thread: the open can only succeed if the
    // event loop runs while it waits, and the program's timers keep ticking.
    void streamOpensWithoutFreezing() {
        QFETCH(QString, file);
        QFETCH(bool, withLength);
        QFile media(testsupport::media(file));
        QVERIFY(media.open(QIODevice::ReadOnly));
        QTcpServer server;
        serve(server, media.readAll(), withLength);
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, &ticker, [&ticks] { ++ticks; });
        ticker.start(10);
        const QString url = QStringLiteral("http://127.0.0.1:%1/clip.flv").arg(server.serverPort());
        QCOMPARE(send(QStringLiteral("open \"%1\" type mpegvideo alias s").arg(url)), 0);
        ticker.stop();
        QVERIFY(ticks > 0);

        REPLIES("set s time format ms =");
        const qint64 length = askNumber("status s length");
        QVERIFY2(withLength ? std::abs(length - 30080) <= 40 : length == 0,
                 qPrintable(QString::number(length)));
        REPLIES("play s =");
        QVERIFY(passes("status s position", 100));
        QCOMPARE(ask("status s mode"), u8("playing"));
    }
};

QTEST_GUILESS_MAIN(TestMciInterpreter)
#include "tst_mciinterpreter.moc"
