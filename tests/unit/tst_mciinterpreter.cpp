// The MCI command interpreter on real media: replies, modes, exact positions, ranges,
// bad input and streams, with libmpv decoding into nothing (vo=null, ao=null); and the MCI
// session class against a recording interpreter: the exact command strings it sends and how
// it reads the replies.
#include "FlvWriter.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "core/media/MCI.h"
#include "core/media/MciErrors.h"
#include "core/media/MciInterpreter.h"
#include "core/settings/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <utility>

namespace {

int send(QAnyStringView command, QString* reply = nullptr) {
    return mciSendString(command.toString(), reply);
}

// The reply of a command that must succeed ("<error N>" when it fails).
QString ask(QAnyStringView command) {
    return testsupport::mci(command.toString());
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
        for (const QString& entry : part.toString().split(u8("; "))) {
            const qsizetype at = entry.lastIndexOf(u8(" ="));
            const QString got = ask(entry.left(at));
            if (got != entry.mid(at + 2).trimmed()) {
                return entry + u8("   <- got \"") + got + u8("\"");
            }
        }
    }
    return QString();
}

QString openCommand(const QString& path, const char* alias = "v") {
    return u8("open \"%1\" type mpegvideo alias %2 parent 0 style child").arg(path, u8(alias));
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

// Records every command and answers from a script of "command = result reply"
// entries, "; " between them (result 0 and no reply for any other command).
struct Recorder {
    QStringList sent;
    QHash<QString, std::pair<int, QString>> answers;

    void answer(const QString& script) {
        for (const QString& entry : script.split(u8("; "), Qt::SkipEmptyParts)) {
            const QString value = entry.section(u8(" = "), 1);
            answers.insert(entry.section(u8(" = "), 0, 0),
                           {value.section(u' ', 0, 0).toInt(), value.section(u' ', 1)});
        }
    }
    MciSender sender() {
        return [this](const QString& command, QString* reply) {
            sent.append(command);
            if (reply != nullptr) {
                *reply = answers.value(command).second;
            }
            return answers.value(command).first;
        };
    }
    // The commands sent since the last call, "; " between them.
    QString take() { return std::exchange(sent, {}).join(u8("; ")); }
};

// What the session shows after the calls.
QString state(const MCI& mci) {
    return u8("range %1-%2%3%4, %5%6")
        .arg(mci.rngStart())
        .arg(mci.rngEnd())
        .arg(u8(mci.rngRepeat() ? " repeat" : ""), u8(mci.isRngPlaying() ? " playing" : ""),
             u8(mci.isSuccess() ? "ok" : "failed"), u8(mci.isAudioOnly() ? ", sound only" : ""));
}

const QString kOpen = u8("type mpegvideo alias Zelvo.FLV parent 1234 style child");

// One call on the session: a member's name and its arguments (numbers, 1 and
// 0 for true and false, "-" for an empty alias); also "answer" + a Recorder
// entry, and "state". Gives what a reading call read, and a blank.
QString call(MCI& mci, Recorder& recorder, const QString& text) {
    const QStringList w = text.split(u' ');
    const auto n = [&w](int i) { return w.value(i).toInt(); };
    const QString alias = w.value(1) == u8("-") ? QString() : w.value(1);
    const std::map<QString, std::function<void()>> actions = {
        {u8("answer"), [&] { recorder.answer(text.mid(7)); }},
        {u8("setRngStart"), [&] { mci.setRngStart(n(1)); }},
        {u8("setRngEnd"), [&] { mci.setRngEnd(n(1)); }},
        {u8("setRngRepeat"), [&] { mci.setRngRepeat(n(1) != 0); }},
        {u8("rngCancel"), [&] { mci.rngCancel(); }},
        {u8("playMCI"), [&] { mci.playMCI(n(1), n(2), n(3) != 0, n(4) != 0, n(5) != 0); }},
        {u8("stopMCI"), [&] { mci.stopMCI(alias, n(2)); }},
        {u8("setCurFrame"), [&] { mci.setCurFrame(n(1), n(2) != 0); }},
        {u8("setIsAudioOnly"), [&] { mci.setIsAudioOnly(n(1) != 0); }},
        {u8("putMCI"), [&] { mci.putMCI(n(1), n(2), n(3) != 0, n(4), n(5), n(6)); }},
        {u8("pauseMCI"), [&] { mci.pauseMCI(); }},
        {u8("resumeMCI"), [&] { mci.resumeMCI(); }},
        {u8("stepMCI"), [&] { mci.stepMCI(n(1)); }},
        {u8("setVolume"), [&] { mci.setVolume(n(1)); }},
        {u8("setAudioShow"), [&] { mci.setAudioShow(n(1) != 0); }},
        {u8("setSpeed"), [&] { mci.setSpeed(n(1)); }},
        {u8("closeMCI"), [&] { mci.closeMCI(alias); }},
        {u8("closeAllMCI"), [&] { mci.closeAllMCI(); }}};
    const auto size = [&mci](void (MCI::*read)(qint32&, qint32&)) {
        qint32 width = -1, height = -1;
        (mci.*read)(width, height);
        return u8("%1x%2").arg(width).arg(height);
    };
    const auto real = [](float value) { return QString::number(static_cast<double>(value)); };
    const std::map<QString, std::function<QString()>> reads = {
        {u8("state"), [&] { return state(mci); }},
        {u8("isVideoOnly"), [&] { return QString::number(mci.isVideoOnly() ? 1 : 0); }},
        {u8("getStatus"), [&] { return mci.getStatus(); }},
        {u8("getAudioOnOff"), [&] { return mci.getAudioOnOff(); }},
        {u8("getTotalFrames"), [&] { return QString::number(mci.getTotalFrames()); }},
        {u8("getTotalSeconds"), [&] { return real(mci.getTotalSeconds()); }},
        {u8("getFramesPerSecond"), [&] { return real(mci.getFramesPerSecond()); }},
        {u8("getFramesRateMPG"), [&] { return real(mci.getFramesRateMPG()); }},
        {u8("getCurFrame"), [&] { return QString::number(mci.getCurFrame()); }},
        {u8("getSpeed"), [&] { return QString::number(mci.getSpeed()); }},
        {u8("lastError"), [&] { return QString::number(mci.lastError()); }},
        {u8("getDefaultSize"), [&] { return size(&MCI::getDefaultSize); }},
        {u8("getCurSize"), [&] { return size(&MCI::getCurSize); }}};
    if (actions.count(w.value(0)) != 0) {
        actions.at(w.value(0))();
        return QString();
    }
    return reads.count(w.value(0)) != 0 ? reads.at(w.value(0))() + u8(" ") : u8("<unknown> ");
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
                 qPrintable(u8("%1 ms, not %2").arg(ms).arg(duration * 1000.0)));
        QCOMPARE(send("set v time format frames"), 0);
        const qint64 length = askNumber("status v length");
        QVERIFY2(std::abs(static_cast<double>(length) - duration * rate) <= 1.0,
                 qPrintable(u8("%1 frames, not %2").arg(length).arg(duration * rate)));
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
            seeks << u8("seek v to %1 =; status v position = %2; status v mode = stopped")
                         .arg(target)
                         .arg(video ? *at : target);
        }
        REPLIES(seeks.join(u8("; ")));

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
        REPLIES(u8("play v from %1 to %2 =").arg(from).arg(to), "status v mode = playing");
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
        QVERIFY2(lowest >= stoppedAt - 1, qPrintable(u8("%1 after %2").arg(lowest).arg(stoppedAt)));
        const qint64 later = askNumber("status v position");
        QVERIFY2(later > stoppedAt + twoFrames && later < stoppedAt + 10 * twoFrames,
                 qPrintable(u8("%1 after %2").arg(later).arg(stoppedAt)));

        // Near the end the device runs out, stops and holds the position at the
        // end. (Sound is handed to the output ahead of time: leave a second.)
        REPLIES(u8("play v from %1 =").arg(length - (video ? 10 : 1000)),
                "status v mode = playing");
        QTRY_COMPARE_WITH_TIMEOUT(ask("status v mode"), u8("stopped"), 5000);
        QVERIFY(holds("status v position", length, 100));
    }

    // A cut the tools wrote themselves (keyframe index in front, timestamps from 0) seeks
    // as its source does: each position lands on the first frame the file has at or
    // after it, near keyframes, far in and back.
    void seekInToolsCut() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u8("cut.flv"));
        std::vector<std::unique_ptr<exttool::FlvInput>> inputs;
        inputs.push_back(std::make_unique<exttool::FlvInput>());
        std::string error;
        QVERIFY(inputs[0]->open(QFile::encodeName(testsupport::media(u8("h264.flv"))).toStdString(),
                                error));
        exttool::FlvWritten written;
        QVERIFY(exttool::writeFlv(inputs, exttool::planCut(*inputs[0], 7, 12),
                                  QFile::encodeName(path).toStdString(), {}, written,
                                  error) == exttool::FlvWriteResult::Written);
        const QList<qint64> frames = frameNumbers(path, 25.0);
        QVERIFY(frames.size() > 290);
        QCOMPARE(send(openCommand(path)), 0);
        QStringList seeks{u8("set v time format frames =")};
        for (const qint64 target : {1, 24, 49, 50, 77, 151, 201, 260, 288, 5}) {
            const auto at = std::lower_bound(frames.begin(), frames.end(), target);
            QVERIFY(at != frames.end());
            seeks << u8("seek v to %1 =; status v position = %2; status v mode = stopped")
                         .arg(target)
                         .arg(*at);
        }
        REPLIES(seeks.join(u8("; ")));
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
        REPLIES(u8("set v speed %1 =; status v speed = %1").arg(speed),
                "status normal speed = 1000", "set v time format ms =", "play v from 1000 =",
                "set normal time format ms =", "play normal from 1000 =");
        QVERIFY(passes("status normal position", 1800));
        const auto changed = static_cast<double>(askNumber("status v position") - 1000);
        const auto normal = static_cast<double>(askNumber("status normal position") - 1000);
        const double ratio = changed / normal;
        QVERIFY2(ratio > speed / 1000.0 * 0.7 && ratio < speed / 1000.0 * 1.3,
                 qPrintable(u8("%1 ms against %2 ms").arg(changed).arg(normal)));
    }

    void awkwardFileNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("relative");
        QTest::newRow("blanks") << u8("my clip  2.flv") << false;
        QTest::newRow("double quotes") << u8("say \"hi\" \".flv") << false;
        QTest::newRow("chinese") << u8("測試 影片.flv") << false;
        QTest::newRow("leading dash") << u8("-clip.flv") << true;
        QTest::newRow("looks like a url") << u8("http:clip.flv") << true;
        // A Latin-1 name from a list, kept as its bytes ("caf\xe9.flv").
        QTest::newRow("latin-1 name") << u8("caf") + QChar(char16_t(0xDCE9)) + u8(".flv") << false;
    }
    void awkwardFileNames() {
        QFETCH(QString, name);
        QFETCH(bool, relative);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile clip(testsupport::media(u8("h263.flv")));
        QVERIFY(clip.open(QIODevice::ReadOnly));
        // Written through the system: Qt's file classes cannot name a file of such bytes.
        std::FILE* copy = std::fopen(encodeText(dir.filePath(name)).constData(), "wb");
        QVERIFY(copy != nullptr);
        const QByteArray bytes = clip.readAll();
        QCOMPARE(std::fwrite(bytes.constData(), 1, size_t(bytes.size()), copy),
                 size_t(bytes.size()));
        QCOMPARE(std::fclose(copy), 0);
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
        row("empty flv", open("bad/empty.flv"), mcierr::kInvalidFile);
        row("flv of its head only", open("bad/head.flv"), mcierr::kInvalidFile);
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
    void cutOffFlvPlaysWhatItHolds_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("H.263, cut inside a tag") << u8("bad/truncated.flv");
        QTest::newRow("H.264, keyframe index past the end") << u8("bad/indexed-half.flv");
    }
    // The first half of a 30 s FLV, its onMetaData still announcing 30 s: it opens, its
    // length is the half it holds, and it plays to the end of that, where it stops.
    void cutOffFlvPlaysWhatItHolds() {
        QFETCH(QString, file);
        QCOMPARE(send(openCommand(testsupport::media(file))), 0);
        REPLIES("set v time format ms =", "status v mode = stopped");
        const qint64 length = askNumber("status v length");
        QVERIFY2(length > 13000 && length < 16000, qPrintable(QString::number(length)));
        REPLIES(u8("play v from %1 =").arg(length - 1500));
        QVERIFY(passes("status v position", length - 1000));
        QVERIFY(testsupport::waitUntil([] { return ask("status v mode") == u8("stopped"); }, 8000));
        QCOMPARE(askNumber("status v position"), length);
        // Past what it holds there is nothing to go to.
        QCOMPARE(send(u8("seek v to %1").arg(length + 1000)), mcierr::kOutOfRange);
        REPLIES("set v time format frames =", "seek v to 250 =", "status v position = 250");
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
            REPLIES(u8("play v from %1 =").arg(start), "status v mode = playing");
            const qint64 at = askNumber("status v position");
            QVERIFY2(at >= start && at <= start + 3,
                     qPrintable(u8("%1 after %2").arg(at).arg(start)));
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
        QVERIFY(testsupport::serveHttp(server, media.readAll(), withLength));
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, &ticker, [&ticks] { ++ticks; });
        ticker.start(10);
        const QString url = u8("http://127.0.0.1:%1/clip.flv").arg(server.serverPort());
        QCOMPARE(send(u8("open \"%1\" type mpegvideo alias s").arg(url)), 0);
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

    void openFile_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("blanks") << u8("/my videos/a b.flv");
        QTest::newRow("quote") << u8("/v/say \"hi\".flv");
        QTest::newRow("chinese") << u8("/影片/測試 片段.flv");
        QTest::newRow("leading dash") << u8("-clip.flv");
        QTest::newRow("url") << u8("http://example.com/live?id=3&x=\"y\"");
        QTest::newRow("one-digit track: a file") << u8("/media/cdrom/track1.cda");
    }
    void openFile() {
        QFETCH(QString, path);
        Recorder recorder;
        MCI mci(recorder.sender());
        mci.putMCI(320, 240, true, 1, 640, 480);  // never opened: nothing to place
        mci.openMCI(path, 1234, u8("Zelvo.FLV"));
        const QString open = u8("open \"%1\" ").arg(path) + kOpen;
        QCOMPARE(recorder.take(), u8("stop Zelvo.FLV; close Zelvo.FLV; ") + open +
                                      u8("; set Zelvo.FLV time format frames"));
        QVERIFY(mci.isSuccess());
        QVERIFY(!mci.isCDa());
        // A failed open is a failure even though the time format that follows
        // succeeds; 0 keeps the window given before.
        recorder.answer(open + u8(" = 296"));
        mci.openMCI(path, 0, u8("Zelvo.FLV"));
        QVERIFY(!mci.isSuccess());
        QCOMPARE(mci.lastError(), 296);
        QVERIFY(recorder.take().contains(open));
    }

    void openWithoutWindowOrAlias() {
        ScriptedDialogs dialogs;
        dialogs.answerMessage(MsgResult::Ok);
        dialogs.answerMessage(MsgResult::Ok);
        Recorder recorder;
        MCI mci(recorder.sender());
        mci.openMCI(u8("/v/a.flv"), 0, QString());
        QCOMPARE(dialogs.messageTexts(),
                 QStringList({u8("務必指定 hWnd 參數"), u8("務必指定 aliasName 參數")}));
        QCOMPARE(dialogs.unexpected(), 0);
        QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::Ok);
        // It goes on with what it has: the default alias and no window.
        QCOMPARE(recorder.sent.value(2),
                 u8("open \"/v/a.flv\" type mpegvideo alias MyPlayer parent 0 style child"));
    }

    // Positions out and in are relative to the track's start; the next track
    // shares the open disc.
    void cdTrack() {
        Recorder recorder;
        MCI mci(recorder.sender());
        recorder.answer(
            u8("status Zelvo.FLV position track 3 = 0 180000; "
               "status Zelvo.FLV length track 3 = 0 240000; "
               "status Zelvo.FLV position = 0 185000"));
        mci.openMCI(u8("/media/cdrom/Track03.cda"), 99, u8("Zelvo.FLV"));
        const QString open =
            u8("open / type cdaudio alias Zelvo.FLV wait shareable; "
               "set Zelvo.FLV time format ms; set Zelvo.FLV time format ms; "
               "status Zelvo.FLV position track ");
        QCOMPARE(recorder.take(), u8("stop Zelvo.FLV; close Zelvo.FLV; ") + open + u8("3"));
        QVERIFY(mci.isCDa() && mci.isAudioOnly() && mci.isSuccess());
        QCOMPARE(mci.getCurFrame(), 5000);
        QCOMPARE(mci.getTotalFrames(), 240000);
        QCOMPARE(mci.getFramesPerSecond(), 1000.0f);
        recorder.take();
        mci.playMCI(1000, 2000, false, false, false);
        QCOMPARE(mci.rngStart(), 1000);
        mci.playMCI(0, 0, false, false, false);  // no end: the end of the track
        mci.stopMCI(QString(), 500);
        mci.stopMCI(QString(), 0);
        mci.putMCI(320, 240, true, 1, 640, 480);  // no picture: nothing sent
        QVERIFY(!mci.isSuccess());
        QCOMPARE(recorder.take(),
                 u8("play Zelvo.FLV from 181000 to 182000; play Zelvo.FLV from 180000 to 420000; "
                    "seek Zelvo.FLV to 180500; pause Zelvo.FLV"));

        recorder.answer(
            u8("status Zelvo.FLV position track 4 = 0 420000; "
               "status Zelvo.FLV position = 0 421000"));
        mci.openMCI(u8("/media/cdrom/Track04.cda"), 0, u8("Zelvo.FLV"));
        QCOMPARE(recorder.take(), open + u8("4"));
        QCOMPARE(mci.getCurFrame(), 1000);
        mci.closeAllMCI();
        QCOMPARE(recorder.take(), u8("set Zelvo.FLV time format ms; status Zelvo.FLV position; "
                                     "stop Zelvo.FLV; Close All"));
    }

    void session_data() {
        QTest::addColumn<QString>("answers");  // see Recorder
        QTest::addColumn<QString>("calls");    // see call()
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("result");  // what the calls read, then state()
        const auto row = [](const char* tag, const char* answers, const char* calls,
                            const QString& sent, const char* result) {
            QTest::newRow(tag) << u8(answers) << u8(calls) << sent << u8(result);
        };
        // A range left from before is replaced; the length is read once, on
        // the first play.
        const auto twice = [](const char* command) {
            return u8("set Z time format frames; status Z length; %1; %1").arg(u8(command));
        };
        const char* again = "setRngStart 3; setRngEnd 4; playMCI %1; playMCI %1";
        const auto play = [&](const char* tag, const char* args, const char* command,
                              const char* result) {
            row(tag, "", qPrintable(u8(again).arg(u8(args))), twice(command), result);
        };
        play("play, no range", "0 0 0 0 0", "play Z", "range 0-0, ok");
        play("play, open end", "100 0 0 0 0", "play Z from 100 to 750",
             "range 100-750 playing, ok");
        play("play, repeated range", "10 50 1 0 0", "play Z from 10 to 50",
             "range 10-50 repeat playing, ok");
        play("play, clamped", "-5 900 0 0 0", "play Z from 0 to 750", "range 0-750 playing, ok");
        play("play, not a range", "10 50 0 1 0", "play Z from 10 to 50", "range 0-0, ok");
        play("play, loop", "0 0 0 0 1", "play Z repeat", "range 0-0, ok");
        play("play, loop range", "20 30 0 0 1", "play Z from 20 to 30 repeat",
             "range 20-30 playing, ok");

        // A stop plays a repeated range again; otherwise it goes back to the
        // start of the range, or to the position given.
        const QString first =
            u8("set Z time format frames; status Z length; play Z from 10 to 50; ");
        row("stop, repeated range", "", "playMCI 10 50 1 0 0; stopMCI - 0",
            first + u8("play Z from 10 to 50"), "range 10-50 repeat playing, ok");
        row("stop, range", "", "playMCI 10 50 1 0 0; setRngRepeat 0; stopMCI - 0; stopMCI Other 25",
            first + u8("seek Z to 10; seek Other to 25"), "range 10-50 playing, ok");
        row("stop, range cancelled", "", "playMCI 10 50 1 0 0; rngCancel; stopMCI - 0",
            first + u8("seek Z to 0"), "range 0-0, ok");

        // The pauses around a paused move do not decide the result; the play does.
        const QString length = u8("set Z time format frames; status Z length; ");
        const QString paused = length + u8("pause Z; play Z from 120 to 750; pause Z");
        row("move, paused", "pause Z = 276", "getTotalFrames; setCurFrame 120 0", paused,
            "750 range 0-0, ok");
        row("move past the end", "", "getTotalFrames; setCurFrame 9999 1",
            length + u8("play Z from 750 to 750"), "750 range 0-0, ok");
        row("move before the start", "", "getTotalFrames; setCurFrame -3 1",
            length + u8("play Z from 0 to 750"), "750 range 0-0, ok");
        row("move, play fails", "pause Z = 276; play Z from 120 to 750 = 282",
            "getTotalFrames; setCurFrame 120 0", paused, "750 range 0-0, failed");

        // A picture placed is centred in its area (and not sound only); one that
        // cannot be placed leaves the sound, or nothing.
        row("put, fit to height", "", "setIsAudioOnly 1; putMCI 667 500 1 1 1000 500",
            u8("put Z window at 168 1 667 500"), "range 0-0, ok");
        row("put, fit to width", "", "setIsAudioOnly 1; putMCI 1000 750 1 1 1000 900",
            u8("put Z window at 1 76 1000 750"), "range 0-0, ok");
        row("put, wider than the area", "", "setIsAudioOnly 1; putMCI 800 600 1 1 640 480",
            u8("put Z window at -159 -119 800 600"), "range 0-0, ok");
        row("put, not centred", "", "setIsAudioOnly 1; putMCI 640 480 0 1 1000 900",
            u8("put Z window at 1 1 640 480"), "range 0-0, ok");
        const QString sound = u8("put Z window at 161 121 320 240; set Z audio all on");
        row("put fails: sound only", "put Z window at 161 121 320 240 = 346",
            "putMCI 320 240 1 1 640 480", sound, "range 0-0, failed, sound only");
        row("put fails: neither picture nor sound",
            "put Z window at 161 121 320 240 = 346; set Z audio all on = 274",
            "putMCI 320 240 1 1 640 480; state; isVideoOnly", sound + u8("; set Z audio all on"),
            "range 0-0, failed 1 range 0-0, failed");

        // Replies: the leading word of a mode, "error" for a failure.
        const auto word = [&](const char* tag, const char* answer, const char* result) {
            row(tag, qPrintable(u8("status Z mode = %1; status Z audio = %1").arg(u8(answer))),
                "getStatus; getAudioOnOff", u8("status Z mode; status Z audio"), result);
        };
        word("word, not ready", "0 not ready", "not not range 0-0, ok");
        word("word, upper case", "0 Paused", "paused paused range 0-0, ok");
        word("word, trailing text", "0 stopped\r\n", "stopped stopped range 0-0, ok");
        word("word, digits", "0 mode2-x", "mode2 mode2 range 0-0, ok");
        word("word, empty", "0", "  range 0-0, ok");
        word("word, failure", "263 playing", "error error range 0-0, ok");

        // Replies: a picture's size, none for a failure.
        const auto size = [&](const char* tag, const char* answer, const char* result) {
            row(tag,
                qPrintable(u8("where Z source = %1; where Z destination max = %1").arg(u8(answer))),
                "getDefaultSize; getCurSize", u8("where Z source; where Z destination max"),
                result);
        };
        size("size, offset", "0 12 34 1920 1080", "1920x1080 1920x1080 range 0-0, ok");
        size("size, no height", "0 0 0 640", "640x0 640x0 range 0-0, ok");
        size("size, empty", "0", "0x0 0x0 range 0-0, ok");
        size("size, failure", "346 0 0 640 480", "0x0 0x0 range 0-0, failed");

        // Replies: numbers. The seconds are read in milliseconds, then the
        // frames come back as the format; both are kept, and give the rate.
        row("numbers",
            "status Z length = 0 752; status Z frame rate = 0 29970; status Z speed = 0 2000; "
            "status Z position = 0 41.6 frames",
            "getTotalFrames; answer status Z length = 0 30080; getTotalSeconds; "
            "getFramesPerSecond; getFramesRateMPG; getCurFrame; getSpeed",
            u8("set Z time format frames; status Z length; set Z time format ms; "
               "status Z length; set Z time format frames; status Z frame rate; "
               "set Z time format frames; status Z position; status Z speed"),
            "752 30.08 25 29.97 42 2000 range 0-0, ok");
        // A failed read fills no cache: the rate per second reads both again.
        row("numbers, failures",
            "status Z length = 277 1; status Z position = 277 1; status Z frame rate = 277 1; "
            "status Z speed = 277 1; status Z mode = 277 1",
            "getTotalFrames; getTotalSeconds; getCurFrame; getFramesRateMPG; getSpeed; "
            "getStatus; getFramesPerSecond; lastError",
            u8("set Z time format frames; status Z length; set Z time format ms; "
               "status Z length; set Z time format frames; set Z time format frames; "
               "status Z position; status Z frame rate; status Z speed; status Z mode; "
               "set Z time format frames; status Z length; set Z time format ms; "
               "status Z length; set Z time format frames"),
            "0 0 0 -1 -1 error -1 277 range 0-0, ok");

        row("simple commands", "",
            "pauseMCI; resumeMCI; setVolume 500; setAudioShow 0; setSpeed 1500; closeMCI -; "
            "closeMCI Zelvo.FLV_forCapture; closeAllMCI",
            u8("pause Z; resume Z; setaudio Z volume to 500; set Z audio all off; "
               "set Z speed 1500; stop Z; close Z; stop Zelvo.FLV_forCapture; "
               "close Zelvo.FLV_forCapture; Close All"),
            "range 0-0, ok");
        row("a step counts as done whatever the device says", "step Z by -3 = 274", "stepMCI -3",
            u8("step Z by -3"), "range 0-0, ok");
        row("close fails", "close Z = 263", "closeMCI -", u8("stop Z; close Z"),
            "range 0-0, failed");
    }
    void session() {
        QFETCH(QString, answers);
        QFETCH(QString, calls);
        QFETCH(QString, sent);
        QFETCH(QString, result);
        Recorder recorder;
        MCI mci(recorder.sender());
        recorder.answer(u8("status Z length = 0 750"));
        mci.openMCI(u8("/v/clip.flv"), 1234, u8("Z"));
        recorder.take();
        recorder.answer(answers);
        QString read;
        for (const QString& c : calls.split(u8("; "), Qt::SkipEmptyParts)) {
            read += call(mci, recorder, c);
        }
        const QString got = recorder.take();  // long: shown whole when it differs
        QVERIFY2(got == sent, qPrintable(u8("sent: ") + got));
        QCOMPARE(read + state(mci), result);
    }
};

QTEST_GUILESS_MAIN(TestMciInterpreter)
#include "tst_mciinterpreter.moc"
