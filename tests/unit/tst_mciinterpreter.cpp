// The MCI command interpreter on real media: replies, modes, exact positions, ranges,
// bad input and streams, with libmpv decoding into nothing (vo=null, ao=null).
#include "TestSupport.h"
#include "playback/MciErrors.h"
#include "playback/MciInterpreter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cmath>

namespace {

const QString kAlias = QStringLiteral("Zelvo.FLV");

int send(const QString& command, QString* reply = nullptr) {
    return mciSendString(command, reply);
}

// The reply of a command that must succeed ("" after a failed QVERIFY).
QString ask(const QString& command) {
    QString reply;
    const int error = send(command, &reply);
    if (error != 0) {
        qWarning("\"%s\" failed with %d", qPrintable(command), error);
        return QStringLiteral("<error %1>").arg(error);
    }
    return reply;
}

qint64 askNumber(const QString& command) {
    bool ok = false;
    const qint64 value = ask(command).toLongLong(&ok);
    return ok ? value : -999999;
}

QString openCommand(const QString& path, const QString& alias = kAlias) {
    return QStringLiteral("open \"") + path + QStringLiteral("\" type mpegvideo alias ") + alias +
           QStringLiteral(" parent 0 style child");
}

// Polls the device's mode until it is `mode`, at most timeoutMs.
bool waitForMode(const QString& alias, const QString& mode, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (ask(QStringLiteral("status ") + alias + QStringLiteral(" mode")) == mode) {
            return true;
        }
        QTest::qWait(20);
    }
    return false;
}

// The frame numbers the video of a file really has: its pictures' times in frames
// from the first one (a file may skip a number now and then).
QList<qint64> frameNumbers(const QString& path, double rate) {
    const testsupport::RunResult result = testsupport::run(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
         QStringLiteral("v:0"), QStringLiteral("-show_entries"),
         QStringLiteral("frame=best_effort_timestamp_time"), QStringLiteral("-of"),
         QStringLiteral("csv=p=0"), path});
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

double frameRateOf(const QString& path) {
    const QString rate =
        testsupport::probeEntry(path, QStringLiteral("v:0"), QStringLiteral("r_frame_rate"));
    const QStringList parts =
        rate.section(QLatin1Char('\n'), 0, 0).remove(QLatin1Char(',')).split(QLatin1Char('/'));
    if (parts.size() != 2 || parts.at(1).toDouble() == 0.0) {
        return 0.0;
    }
    return parts.at(0).toDouble() / parts.at(1).toDouble();
}

// Serves one file over HTTP on 127.0.0.1, with or without a Content-Length, slowly
// enough that the first bytes take a moment to arrive.
class TinyHttpServer : public QObject {
public:
    TinyHttpServer(const QString& path, bool withLength) : m_withLength(withLength) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            m_body = file.readAll();
        }
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] { accept(); });
        m_server.listen(QHostAddress::LocalHost, 0);
    }
    QString url(const QString& name) const {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_server.serverPort()).arg(name);
    }
    int requests() const { return m_requests; }

private:
    void accept() {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                m_pending[socket] += socket->readAll();
                if (!m_pending[socket].contains("\r\n\r\n")) {
                    return;
                }
                ++m_requests;
                respond(socket);
            });
        }
    }
    void respond(QTcpSocket* socket) {
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: video/x-flv\r\n";
        if (m_withLength) {
            head += "Content-Length: " + QByteArray::number(m_body.size()) + "\r\n";
        }
        head += "Connection: close\r\n\r\n";
        socket->write(head);
        // The body follows a little later, as from a server far away. A live stream
        // keeps trickling and never ends.
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(150, this, [this, guard] {
            if (!guard) {
                return;
            }
            if (m_withLength) {
                guard->write(m_body);
                guard->disconnectFromHost();
                return;
            }
            guard->write(m_body.left(256 * 1024));
            auto* trickle = new QTimer(guard);
            qsizetype sent = 256 * 1024;
            QObject::connect(trickle, &QTimer::timeout, guard, [this, guard, sent]() mutable {
                guard->write(m_body.mid(sent, 32 * 1024));
                sent += 32 * 1024;
            });
            trickle->start(100);
        });
    }

    QTcpServer m_server;
    QByteArray m_body;
    bool m_withLength = true;
    int m_requests = 0;
    QHash<QTcpSocket*, QByteArray> m_pending;
};

}  // namespace

class TestMciInterpreter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void lengthAndRate_data();
    void lengthAndRate();
    void modesFollowTheDevice_data();
    void modesFollowTheDevice();
    void seekLandsOnTheFrame_data();
    void seekLandsOnTheFrame();
    void rangeStopsAtItsEnd_data();
    void rangeStopsAtItsEnd();
    void repeatLoops();
    void stepMovesFrames();
    void speedChangesTheRate_data();
    void speedChangesTheRate();
    void volumeAndAudioSwitch_data();
    void volumeAndAudioSwitch();
    void pictureSizeAndWindow_data();
    void pictureSizeAndWindow();
    void awkwardFileNames_data();
    void awkwardFileNames();
    void badInputFails_data();
    void badInputFails();
    void timerAsksWhileCommandsWait();
    void twoAliasesAreIndependent();
    void closeAllClosesEveryDevice();
    void streamOpensWithoutFreezing_data();
    void streamOpensWithoutFreezing();
};

void TestMciInterpreter::initTestCase() {
    std::setlocale(LC_NUMERIC, "C");
    MciInterpreter::instance().setAudioOutput(QStringLiteral("null"));
}

void TestMciInterpreter::cleanup() {
    send(QStringLiteral("close all"));
}

static void mediaColumns() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("video");
    const char* videos[] = {"h263.flv", "h264.flv", "clip.mpg", "clip.vob",
                            "clip.avi", "clip.mp4", "clip.wmv"};
    for (const char* name : videos) {
        QTest::newRow(name) << QString::fromLatin1(name) << true;
    }
    QTest::newRow("clip.mp3") << QStringLiteral("clip.mp3") << false;
    QTest::newRow("clip.wav") << QStringLiteral("clip.wav") << false;
}

void TestMciInterpreter::lengthAndRate_data() {
    mediaColumns();
}

void TestMciInterpreter::lengthAndRate() {
    QFETCH(QString, file);
    QFETCH(bool, video);
    const QString path = testsupport::media(file);
    const double duration = testsupport::probeDuration(path);
    QVERIFY(duration > 29.0);
    const double rate = video ? frameRateOf(path) : 1000.0;
    QVERIFY(rate > 0.0);

    QCOMPARE(send(openCommand(path)), 0);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV mode")), QStringLiteral("stopped"));
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format frames")), 0);
    const qint64 frames = askNumber(QStringLiteral("status Zelvo.FLV length"));
    QVERIFY2(std::abs(static_cast<double>(frames) - duration * rate) <= 1.0,
             qPrintable(QStringLiteral("%1 frames, expected %2").arg(frames).arg(duration * rate)));
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV frame rate")), std::llround(rate * 1000.0));

    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format ms")), 0);
    const qint64 ms = askNumber(QStringLiteral("status Zelvo.FLV length"));
    QVERIFY2(std::abs(static_cast<double>(ms) - duration * 1000.0) <= 1000.0 / rate + 1.0,
             qPrintable(QStringLiteral("%1 ms, expected %2").arg(ms).arg(duration * 1000.0)));
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV time format")), QStringLiteral("milliseconds"));
}

void TestMciInterpreter::modesFollowTheDevice_data() {
    mediaColumns();
}

void TestMciInterpreter::modesFollowTheDevice() {
    QFETCH(QString, file);
    QCOMPARE(send(openCommand(testsupport::media(file))), 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format frames")), 0);
    const QString mode = QStringLiteral("status Zelvo.FLV mode");
    QCOMPARE(ask(mode), QStringLiteral("stopped"));
    QCOMPARE(send(QStringLiteral("play Zelvo.FLV")), 0);
    QCOMPARE(ask(mode), QStringLiteral("playing"));
    QCOMPARE(send(QStringLiteral("pause Zelvo.FLV")), 0);
    QCOMPARE(ask(mode), QStringLiteral("paused"));
    const qint64 paused = askNumber(QStringLiteral("status Zelvo.FLV position"));
    QTest::qWait(120);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV position")), paused);
    QCOMPARE(send(QStringLiteral("resume Zelvo.FLV")), 0);
    QCOMPARE(ask(mode), QStringLiteral("playing"));
    QCOMPARE(send(QStringLiteral("seek Zelvo.FLV to 20")), 0);
    QCOMPARE(ask(mode), QStringLiteral("stopped"));

    // Near the end: the device runs out, stops and holds the position at the end.
    // (Sound is handed to the output ahead of time, so leave a second of it.)
    QFETCH(bool, video);
    const qint64 length = askNumber(QStringLiteral("status Zelvo.FLV length"));
    const qint64 nearEnd = length - (video ? 10 : 1000);
    QCOMPARE(send(QStringLiteral("play Zelvo.FLV from %1").arg(nearEnd)), 0);
    QCOMPARE(ask(mode), QStringLiteral("playing"));
    QVERIFY(waitForMode(kAlias, QStringLiteral("stopped"), 5000));
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV position")), length);
    QTest::qWait(100);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV position")), length);
}

void TestMciInterpreter::seekLandsOnTheFrame_data() {
    mediaColumns();
}

void TestMciInterpreter::seekLandsOnTheFrame() {
    QFETCH(QString, file);
    QFETCH(bool, video);
    const QString path = testsupport::media(file);
    const QList<qint64> frames = video ? frameNumbers(path, frameRateOf(path)) : QList<qint64>();
    QVERIFY(!video || frames.size() > 700);
    QCOMPARE(send(openCommand(path)), 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format frames")), 0);
    // Around key frames (every 50th), far into the file, near its end and back again.
    const qint64 targets[] = {1, 37, 49, 50, 51, 99, 123, 480, 700, 737, 745, 10, 0};
    for (const qint64 target : targets) {
        // The frame shown is the first the file has at or after the target.
        qint64 expected = target;
        if (video) {
            const auto at = std::lower_bound(frames.begin(), frames.end(), target);
            QVERIFY(at != frames.end());
            expected = *at;
        }
        QCOMPARE(send(QStringLiteral("seek Zelvo.FLV to %1").arg(target)), 0);
        QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV position")), expected);
        QCOMPARE(ask(QStringLiteral("status Zelvo.FLV mode")), QStringLiteral("stopped"));
    }
}

void TestMciInterpreter::rangeStopsAtItsEnd_data() {
    mediaColumns();
}

void TestMciInterpreter::rangeStopsAtItsEnd() {
    QFETCH(QString, file);
    QFETCH(bool, video);
    QCOMPARE(send(openCommand(testsupport::media(file))), 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format frames")), 0);
    // Ten frames, or 400 ms of sound.
    const qint64 from = video ? 100 : 4000;
    const qint64 to = video ? 110 : 4400;
    const qint64 twoFrames = video ? 2 : 80;
    QCOMPARE(send(QStringLiteral("play Zelvo.FLV from %1 to %2").arg(from).arg(to)), 0);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV mode")), QStringLiteral("playing"));
    QVERIFY(waitForMode(kAlias, QStringLiteral("stopped"), 5000));
    const qint64 stoppedAt = askNumber(QStringLiteral("status Zelvo.FLV position"));
    QVERIFY2(std::abs(stoppedAt - to) <= twoFrames, qPrintable(QString::number(stoppedAt)));
    QTest::qWait(100);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV position")), stoppedAt);

    // A play without a clause goes on from there.
    QCOMPARE(send(QStringLiteral("play Zelvo.FLV")), 0);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV mode")), QStringLiteral("playing"));
    QTest::qWait(300);
    const qint64 later = askNumber(QStringLiteral("status Zelvo.FLV position"));
    QVERIFY2(later > stoppedAt + twoFrames && later < stoppedAt + 10 * twoFrames,
             qPrintable(QStringLiteral("%1 after %2").arg(later).arg(stoppedAt)));
}

void TestMciInterpreter::repeatLoops() {
    QCOMPARE(send(openCommand(testsupport::media(QStringLiteral("h264.flv")))), 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format frames")), 0);
    QCOMPARE(send(QStringLiteral("play Zelvo.FLV from 200 to 208 repeat")), 0);
    // Eight frames take 320 ms; over a second the position must wrap back at least once
    // and never leave the range.
    QElapsedTimer clock;
    clock.start();
    qint64 previous = -1;
    int wraps = 0;
    while (clock.elapsed() < 1200) {
        const qint64 at = askNumber(QStringLiteral("status Zelvo.FLV position"));
        QVERIFY2(at >= 200 && at <= 210, qPrintable(QString::number(at)));
        if (at < previous) {
            ++wraps;
        }
        previous = at;
        QCOMPARE(ask(QStringLiteral("status Zelvo.FLV mode")), QStringLiteral("playing"));
        QTest::qWait(15);
    }
    QVERIFY(wraps >= 1);

    // The whole file repeated: the end of the media is not a stop.
    QCOMPARE(send(QStringLiteral("seek Zelvo.FLV to 745")), 0);
    QCOMPARE(send(QStringLiteral("play Zelvo.FLV repeat")), 0);
    QTest::qWait(600);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV mode")), QStringLiteral("playing"));
    QVERIFY(askNumber(QStringLiteral("status Zelvo.FLV position")) < 100);
}

void TestMciInterpreter::stepMovesFrames() {
    QCOMPARE(send(openCommand(testsupport::media(QStringLiteral("clip.mpg")))), 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format frames")), 0);
    QCOMPARE(send(QStringLiteral("seek Zelvo.FLV to 100")), 0);
    QCOMPARE(send(QStringLiteral("step Zelvo.FLV by 5")), 0);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV position")), 105);
    QCOMPARE(send(QStringLiteral("step Zelvo.FLV by -7")), 0);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV position")), 98);
    QCOMPARE(send(QStringLiteral("step Zelvo.FLV")), 0);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV position")), 99);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV mode")), QStringLiteral("paused"));
}

void TestMciInterpreter::speedChangesTheRate_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("speed");
    QTest::newRow("h264.flv half") << QStringLiteral("h264.flv") << 500;
    QTest::newRow("h264.flv double") << QStringLiteral("h264.flv") << 2000;
    QTest::newRow("clip.mp3 tenth") << QStringLiteral("clip.mp3") << 100;
    QTest::newRow("clip.mp3 double") << QStringLiteral("clip.mp3") << 2000;
}

void TestMciInterpreter::speedChangesTheRate() {
    QFETCH(QString, file);
    QFETCH(int, speed);
    QCOMPARE(send(openCommand(testsupport::media(file))), 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format ms")), 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV speed %1").arg(speed)), 0);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV speed")), speed);
    QCOMPARE(send(QStringLiteral("play Zelvo.FLV from 1000")), 0);
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(800);
    const double played =
        static_cast<double>(askNumber(QStringLiteral("status Zelvo.FLV position")) - 1000);
    const double rate = played / static_cast<double>(clock.elapsed());
    const double expected = speed / 1000.0;
    QVERIFY2(rate > expected * 0.7 && rate < expected * 1.3,
             qPrintable(QStringLiteral("rate %1, expected %2").arg(rate).arg(expected)));
}

void TestMciInterpreter::volumeAndAudioSwitch_data() {
    mediaColumns();
}

void TestMciInterpreter::volumeAndAudioSwitch() {
    QFETCH(QString, file);
    QCOMPARE(send(openCommand(testsupport::media(file))), 0);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV volume")), QStringLiteral("1000"));
    QCOMPARE(send(QStringLiteral("setaudio Zelvo.FLV volume to 500")), 0);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV volume")), QStringLiteral("500"));
    QCOMPARE(send(QStringLiteral("setaudio Zelvo.FLV volume to 1001")), mcierr::kOutOfRange);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV audio")), QStringLiteral("on"));
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV audio all off")), 0);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV audio")), QStringLiteral("off"));
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV audio all on")), 0);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV audio")), QStringLiteral("on"));
}

void TestMciInterpreter::pictureSizeAndWindow_data() {
    mediaColumns();
}

void TestMciInterpreter::pictureSizeAndWindow() {
    QFETCH(QString, file);
    QFETCH(bool, video);
    QCOMPARE(send(openCommand(testsupport::media(file))), 0);
    QString reply;
    if (video) {
        QCOMPARE(ask(QStringLiteral("where Zelvo.FLV source")), QStringLiteral("0 0 640 480"));
        QCOMPARE(send(QStringLiteral("put Zelvo.FLV window at 10 20 320 240")), 0);
        QCOMPARE(ask(QStringLiteral("where Zelvo.FLV destination")),
                 QStringLiteral("10 20 320 240"));
    } else {
        QCOMPARE(send(QStringLiteral("where Zelvo.FLV source"), &reply), mcierr::kNoWindow);
        QCOMPARE(send(QStringLiteral("put Zelvo.FLV window at 10 20 320 240")), mcierr::kNoWindow);
    }
}

void TestMciInterpreter::awkwardFileNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("relative");
    QTest::newRow("blanks") << QStringLiteral("my clip  2.flv") << false;
    QTest::newRow("double quotes") << QStringLiteral("say \"hi\" \".flv") << false;
    QTest::newRow("chinese") << QStringLiteral("測試 影片.flv") << false;
    QTest::newRow("leading dash") << QStringLiteral("-clip.flv") << true;
    QTest::newRow("looks like a url") << QStringLiteral("http:clip.flv") << true;
}

void TestMciInterpreter::awkwardFileNames() {
    QFETCH(QString, name);
    QFETCH(bool, relative);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    QVERIFY(QFile::copy(testsupport::media(QStringLiteral("h263.flv")), path));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const int error = send(openCommand(relative ? name : path));
    QDir::setCurrent(previous);
    QCOMPARE(error, 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format frames")), 0);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV length")), 751);
}

void TestMciInterpreter::badInputFails_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("error");
    const auto open = [](const QString& name) {
        return openCommand(qEnvironmentVariable("ZELVO_TEST_MEDIA") + QLatin1Char('/') + name);
    };
    QTest::newRow("missing file") << open(QStringLiteral("no such file.flv"))
                                  << mcierr::kFileNotFound;
    QTest::newRow("folder") << open(QStringLiteral("bad")) << mcierr::kFileNotFound;
    QTest::newRow("text named .flv")
        << open(QStringLiteral("bad/text/clip.flv")) << mcierr::kInvalidFile;
    QTest::newRow("truncated flv")
        << open(QStringLiteral("bad/truncated.flv")) << mcierr::kInvalidFile;
    QTest::newRow("empty flv") << open(QStringLiteral("bad/empty.flv")) << mcierr::kInvalidFile;
    QTest::newRow("unknown alias")
        << QStringLiteral("status NoSuchDevice mode") << mcierr::kInvalidDeviceName;
    QTest::newRow("close unknown")
        << QStringLiteral("close NoSuchDevice") << mcierr::kInvalidDeviceName;
    QTest::newRow("garbage") << QStringLiteral("xyzzy plugh 42") << mcierr::kUnrecognizedCommand;
    QTest::newRow("empty") << QString() << mcierr::kMissingCommandString;
    QTest::newRow("verb only") << QStringLiteral("play") << mcierr::kMissingDeviceName;
    QTest::newRow("open quote") << QStringLiteral("open \"/tmp/x.flv type mpegvideo")
                                << mcierr::kNoClosingQuote;
    if (!QFileInfo::exists(QStringLiteral("/dev/cdrom")) &&
        !QFileInfo::exists(QStringLiteral("/dev/sr0"))) {
        QTest::newRow("no CD drive")
            << QStringLiteral("open / type cdaudio alias cd wait shareable")
            << mcierr::kInvalidDeviceName;
    }
    QTest::newRow("refused stream")
        << QStringLiteral("open \"http://127.0.0.1:9/a.flv\" type mpegvideo alias s")
        << mcierr::kFileNotFound;
    QTest::newRow("unknown type") << open(QStringLiteral("h264.flv"))
                                         .replace(QStringLiteral("mpegvideo"),
                                                  QStringLiteral("sequencer"))
                                  << mcierr::kCannotLoadDriver;
}

void TestMciInterpreter::badInputFails() {
    QFETCH(QString, command);
    QFETCH(int, error);
    QElapsedTimer clock;
    clock.start();
    QString reply = QStringLiteral("untouched");
    QCOMPARE(send(command, &reply), error);
    QCOMPARE(reply, QString());
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(MciInterpreter::instance().aliases().isEmpty());

    // A device that is open refuses commands it does not know, and keeps working.
    QCOMPARE(send(openCommand(testsupport::media(QStringLiteral("h264.flv")))), 0);
    QCOMPARE(send(QStringLiteral("status Zelvo.FLV colour")), mcierr::kUnrecognizedKeyword);
    QCOMPARE(send(QStringLiteral("seek Zelvo.FLV to lots")), mcierr::kBadInteger);
    QCOMPARE(send(QStringLiteral("seek Zelvo.FLV to 99999999")), mcierr::kOutOfRange);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format furlongs")), mcierr::kBadTimeFormat);
    QCOMPARE(send(openCommand(testsupport::media(QStringLiteral("clip.mp3")))),
             mcierr::kDuplicateAlias);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV mode")), QStringLiteral("stopped"));
}

void TestMciInterpreter::timerAsksWhileCommandsWait() {
    // The player window's status timer keeps asking while a command waits for the
    // player; its questions must not change what the command does.
    QCOMPARE(send(openCommand(testsupport::media(QStringLiteral("clip.mpg")))), 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format frames")), 0);
    QStringList modesSeen;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
        QString mode;
        send(QStringLiteral("status Zelvo.FLV mode"), &mode);
        send(QStringLiteral("status Zelvo.FLV position"));
        modesSeen.append(mode);
    });
    timer.start(0);
    // Each play starts while the one before still plays.
    const qint64 starts[] = {601, 123, 345, 77, 499};
    for (const qint64 start : starts) {
        QCOMPARE(send(QStringLiteral("play Zelvo.FLV from %1").arg(start)), 0);
        QCOMPARE(ask(QStringLiteral("status Zelvo.FLV mode")), QStringLiteral("playing"));
        const qint64 at = askNumber(QStringLiteral("status Zelvo.FLV position"));
        QVERIFY2(at >= start && at <= start + 3,
                 qPrintable(QStringLiteral("%1 after %2").arg(at).arg(start)));
    }
    QCOMPARE(send(QStringLiteral("seek Zelvo.FLV to 222")), 0);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV position")), 222);
    timer.stop();
    QVERIFY(!modesSeen.isEmpty());
    QVERIFY(!modesSeen.contains(QString()));
}

void TestMciInterpreter::twoAliasesAreIndependent() {
    const QString capture = QStringLiteral("Zelvo.FLV_forCapture");
    QCOMPARE(send(openCommand(testsupport::media(QStringLiteral("h264.flv")))), 0);
    QCOMPARE(send(openCommand(testsupport::media(QStringLiteral("clip.wmv")), capture)), 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV time format frames")), 0);
    QCOMPARE(send(QStringLiteral("set Zelvo.FLV_forCapture time format frames")), 0);
    QCOMPARE(send(QStringLiteral("seek Zelvo.FLV_forCapture to 300")), 0);
    QCOMPARE(send(QStringLiteral("play Zelvo.FLV from 50")), 0);
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV mode")), QStringLiteral("playing"));
    QCOMPARE(ask(QStringLiteral("status Zelvo.FLV_forCapture mode")), QStringLiteral("stopped"));
    QTest::qWait(200);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV_forCapture position")), 300);
    QVERIFY(askNumber(QStringLiteral("status Zelvo.FLV position")) > 50);

    QCOMPARE(send(QStringLiteral("close Zelvo.FLV")), 0);
    QCOMPARE(send(QStringLiteral("status Zelvo.FLV mode")), mcierr::kInvalidDeviceName);
    QCOMPARE(askNumber(QStringLiteral("status Zelvo.FLV_forCapture position")), 300);
    // Aliases are names, not case.
    QCOMPARE(ask(QStringLiteral("status zelvo.flv_FORCAPTURE mode")), QStringLiteral("stopped"));
}

void TestMciInterpreter::closeAllClosesEveryDevice() {
    QCOMPARE(send(openCommand(testsupport::media(QStringLiteral("h263.flv")), QStringLiteral("a"))),
             0);
    QCOMPARE(send(openCommand(testsupport::media(QStringLiteral("clip.wav")), QStringLiteral("b"))),
             0);
    QCOMPARE(send(QStringLiteral("play a")), 0);
    QCOMPARE(MciInterpreter::instance().aliases().size(), 2);
    QCOMPARE(send(QStringLiteral("Close All")), 0);
    QVERIFY(MciInterpreter::instance().aliases().isEmpty());
    QCOMPARE(send(QStringLiteral("status a mode")), mcierr::kInvalidDeviceName);
    QCOMPARE(send(QStringLiteral("status b mode")), mcierr::kInvalidDeviceName);
    // The aliases are free again.
    QCOMPARE(send(openCommand(testsupport::media(QStringLiteral("clip.wav")), QStringLiteral("b"))),
             0);
}

void TestMciInterpreter::streamOpensWithoutFreezing_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("withLength");
    QTest::addColumn<bool>("knownLength");
    QTest::newRow("file with length") << QStringLiteral("h264.flv") << true << true;
    QTest::newRow("live, no length") << QStringLiteral("bad/nometa.flv") << false << false;
}

void TestMciInterpreter::streamOpensWithoutFreezing() {
    QFETCH(QString, file);
    QFETCH(bool, withLength);
    QFETCH(bool, knownLength);
    TinyHttpServer server(testsupport::media(file), withLength);

    // A timer of the program keeps ticking while the device opens.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - last);
        last = clock.elapsed();
    });
    ticker.start(10);
    const QString url = server.url(QStringLiteral("clip.flv"));
    QCOMPARE(send(QStringLiteral("open \"") + url + QStringLiteral("\" type mpegvideo alias s")),
             0);
    const qint64 openTime = clock.elapsed();
    ticker.stop();
    QVERIFY(server.requests() >= 1);
    QVERIFY2(openTime >= 150, "the server held the body back; the open waited for it");
    QVERIFY2(longestGap < 200,
             qPrintable(QStringLiteral("event loop stood still %1 ms").arg(longestGap)));

    QCOMPARE(send(QStringLiteral("set s time format ms")), 0);
    const qint64 length = askNumber(QStringLiteral("status s length"));
    if (knownLength) {
        QVERIFY2(std::abs(length - 30080) <= 40, qPrintable(QString::number(length)));
    } else {
        QCOMPARE(length, 0);
    }
    QCOMPARE(send(QStringLiteral("play s")), 0);
    QTest::qWait(300);
    QCOMPARE(ask(QStringLiteral("status s mode")), QStringLiteral("playing"));
    QVERIFY(askNumber(QStringLiteral("status s position")) > 100);
}

QTEST_GUILESS_MAIN(TestMciInterpreter)
#include "tst_mciinterpreter.moc"
