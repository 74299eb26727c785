// The MCI session class against a recording interpreter: the exact command strings it
// sends and how it reads the replies.
#include "ScriptedDialogs.h"
#include "playback/MCI.h"

#include <QHash>
#include <QTest>

#include <functional>
#include <map>
#include <utility>

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
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
    return QStringLiteral("range %1-%2%3%4, %5%6")
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
        return QStringLiteral("%1x%2").arg(width).arg(height);
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

class TestMciStrings : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        const QString open = QStringLiteral("open \"%1\" ").arg(path) + kOpen;
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

QTEST_GUILESS_MAIN(TestMciStrings)
#include "tst_mcistrings.moc"
