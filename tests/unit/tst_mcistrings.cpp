// The MCI session class against a recording interpreter: the exact command strings it
// sends and how it reads the replies.
#include "ScriptedDialogs.h"
#include "playback/MCI.h"

#include <QHash>
#include <QTest>

namespace {

// Records every command and answers from a table (result 0 and no reply otherwise).
class Recorder {
public:
    struct Answer {
        int result = 0;
        QString reply;
    };

    void answer(const QString& command, int result, const QString& reply = QString()) {
        m_answers.insert(command, Answer{result, reply});
    }
    void answer(const QString& command, const QString& reply) { answer(command, 0, reply); }

    MciSender sender() {
        return [this](const QString& command, QString* reply) {
            m_sent.append(command);
            const Answer answer = m_answers.value(command);
            if (reply != nullptr) {
                *reply = answer.reply;
            }
            return answer.result;
        };
    }

    // The commands sent since the last call.
    QStringList take() {
        const QStringList sent = m_sent;
        m_sent.clear();
        return sent;
    }

private:
    QStringList m_sent;
    QHash<QString, Answer> m_answers;
};

const QString kAlias = QStringLiteral("Zelvo.FLV");

// A file session of 750 frames opened with the window 1234.
void openClip(MCI& mci, Recorder& recorder) {
    recorder.answer(QStringLiteral("status Zelvo.FLV length"), QStringLiteral("750"));
    mci.openMCI(QStringLiteral("/v/clip.flv"), 1234, kAlias);
    recorder.take();
}

}  // namespace

class TestMciStrings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openFile_data();
    void openFile();
    void openWithoutWindowOrAlias();
    void cdTrackIsRelativeToItsStart();
    void oneDigitTrackIsAFile();
    void playRange_data();
    void playRange();
    void stopReplaysARepeatedRange();
    void setCurFrame_data();
    void setCurFrame();
    void putCentres_data();
    void putCentres();
    void putWithoutPictureFallsBackToSound();
    void leadingWord_data();
    void leadingWord();
    void sizeReply_data();
    void sizeReply();
    void failureResults();
    void numbersFromReplies();
    void simpleCommands();
};

void TestMciStrings::openFile_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << QStringLiteral("/v/clip.flv");
    QTest::newRow("blanks") << QStringLiteral("/my videos/a b.flv");
    QTest::newRow("quote") << QStringLiteral("/v/say \"hi\".flv");
    QTest::newRow("chinese") << QStringLiteral("/影片/測試 片段.flv");
    QTest::newRow("leading dash") << QStringLiteral("-clip.flv");
    QTest::newRow("url") << QStringLiteral("http://example.com/live?id=3&x=\"y\"");
}

void TestMciStrings::openFile() {
    QFETCH(QString, path);
    Recorder recorder;
    MCI mci(recorder.sender());
    mci.openMCI(path, 1234, kAlias);
    QCOMPARE(recorder.take(),
             QStringList(
                 {QStringLiteral("stop Zelvo.FLV"), QStringLiteral("close Zelvo.FLV"),
                  QStringLiteral("open \"") + path +
                      QStringLiteral("\" type mpegvideo alias Zelvo.FLV parent 1234 style child"),
                  QStringLiteral("set Zelvo.FLV time format frames")}));
    QVERIFY(mci.isSuccess());
    QVERIFY(!mci.isCDa());
    QCOMPARE(mci.FileName(), path);
    QCOMPARE(mci.alias(), kAlias);

    // A failed open is a failure even though the time format that follows succeeds.
    recorder.answer(QStringLiteral("open \"") + path +
                        QStringLiteral("\" type mpegvideo alias Zelvo.FLV parent 1234 style child"),
                    296);
    mci.openMCI(path, 0, kAlias);  // 0: keep the window given before
    QVERIFY(!mci.isSuccess());
    QCOMPARE(mci.lastError(), 296);
    QVERIFY(recorder.take().contains(
        QStringLiteral("open \"") + path +
        QStringLiteral("\" type mpegvideo alias Zelvo.FLV parent 1234 style child")));
}

void TestMciStrings::openWithoutWindowOrAlias() {
    ScriptedDialogs dialogs;
    dialogs.answerMessage(MsgResult::Ok);
    dialogs.answerMessage(MsgResult::Ok);
    Recorder recorder;
    MCI mci(recorder.sender());
    mci.openMCI(QStringLiteral("/v/a.flv"), 0, QString());
    QCOMPARE(dialogs.messageTexts(), QStringList({QStringLiteral("務必指定 hWnd 參數"),
                                                  QStringLiteral("務必指定 aliasName 參數")}));
    // It goes on with what it has: the default alias and no window.
    QCOMPARE(
        recorder.take().at(2),
        QStringLiteral("open \"/v/a.flv\" type mpegvideo alias MyPlayer parent 0 style child"));
    QCOMPARE(dialogs.unexpected(), 0);
    QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::Ok);
}

void TestMciStrings::cdTrackIsRelativeToItsStart() {
    Recorder recorder;
    MCI mci(recorder.sender());
    recorder.answer(QStringLiteral("status Zelvo.FLV position track 3"), QStringLiteral("180000"));
    recorder.answer(QStringLiteral("status Zelvo.FLV length track 3"), QStringLiteral("240000"));
    mci.openMCI(QStringLiteral("/media/cdrom/Track03.cda"), 99, kAlias);
    QCOMPARE(recorder.take(),
             QStringList({QStringLiteral("stop Zelvo.FLV"), QStringLiteral("close Zelvo.FLV"),
                          QStringLiteral("open / type cdaudio alias Zelvo.FLV wait shareable"),
                          QStringLiteral("set Zelvo.FLV time format ms"),
                          QStringLiteral("set Zelvo.FLV time format ms"),
                          QStringLiteral("status Zelvo.FLV position track 3")}));
    QVERIFY(mci.isCDa());
    QVERIFY(mci.isAudioOnly());
    QVERIFY(mci.isSuccess());

    // Positions out and in are relative to the track's start.
    recorder.answer(QStringLiteral("status Zelvo.FLV position"), QStringLiteral("185000"));
    QCOMPARE(mci.getCurFrame(), 5000);
    QCOMPARE(mci.getTotalFrames(), 240000);
    QCOMPARE(mci.getFramesPerSecond(), 1000.0f);
    recorder.take();
    mci.playMCI(1000, 2000, false, false, false);
    QCOMPARE(recorder.take(), QStringList(QStringLiteral("play Zelvo.FLV from 181000 to 182000")));
    QCOMPARE(mci.rngStart(), 1000);
    // No end given: the end of the track.
    mci.playMCI(0, 0, false, false, false);
    QCOMPARE(recorder.take(), QStringList(QStringLiteral("play Zelvo.FLV from 180000 to 420000")));
    mci.stopMCI(QString(), 500);
    QCOMPARE(recorder.take(), QStringList(QStringLiteral("seek Zelvo.FLV to 180500")));
    mci.stopMCI(QString(), 0);
    QCOMPARE(recorder.take(), QStringList(QStringLiteral("pause Zelvo.FLV")));
    mci.putMCI(320, 240, true, 1, 640, 480);
    QVERIFY(recorder.take().isEmpty());
    QVERIFY(!mci.isSuccess());

    // The next track shares the open disc: no stop and close in between.
    recorder.answer(QStringLiteral("status Zelvo.FLV position track 4"), QStringLiteral("420000"));
    mci.openMCI(QStringLiteral("/media/cdrom/Track04.cda"), 0, kAlias);
    QCOMPARE(recorder.take(),
             QStringList({QStringLiteral("open / type cdaudio alias Zelvo.FLV wait shareable"),
                          QStringLiteral("set Zelvo.FLV time format ms"),
                          QStringLiteral("set Zelvo.FLV time format ms"),
                          QStringLiteral("status Zelvo.FLV position track 4")}));
    recorder.answer(QStringLiteral("status Zelvo.FLV position"), QStringLiteral("421000"));
    QCOMPARE(mci.getCurFrame(), 1000);
    mci.closeAllMCI();
    QCOMPARE(recorder.take(),
             QStringList({QStringLiteral("set Zelvo.FLV time format ms"),
                          QStringLiteral("status Zelvo.FLV position"),
                          QStringLiteral("stop Zelvo.FLV"), QStringLiteral("Close All")}));
}

void TestMciStrings::oneDigitTrackIsAFile() {
    Recorder recorder;
    MCI mci(recorder.sender());
    mci.openMCI(QStringLiteral("/media/cdrom/track1.cda"), 7, kAlias);
    QCOMPARE(
        recorder.take().at(2),
        QStringLiteral("open \"/media/cdrom/track1.cda\" type mpegvideo alias Zelvo.FLV parent 7 "
                       "style child"));
    QVERIFY(!mci.isCDa());
}

void TestMciStrings::playRange_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("repeatRange");
    QTest::addColumn<bool>("noRange");
    QTest::addColumn<bool>("loop");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("rngStart");
    QTest::addColumn<int>("rngEnd");
    QTest::newRow("no range") << 0 << 0 << false << false << false
                              << QStringLiteral("play Zelvo.FLV") << 0 << 0;
    QTest::newRow("open end") << 100 << 0 << false << false << false
                              << QStringLiteral("play Zelvo.FLV from 100 to 750") << 100 << 750;
    QTest::newRow("repeated range") << 10 << 50 << true << false << false
                                    << QStringLiteral("play Zelvo.FLV from 10 to 50") << 10 << 50;
    QTest::newRow("clamped") << -5 << 900 << false << false << false
                             << QStringLiteral("play Zelvo.FLV from 0 to 750") << 0 << 750;
    QTest::newRow("not a range") << 10 << 50 << false << true << false
                                 << QStringLiteral("play Zelvo.FLV from 10 to 50") << 0 << 0;
    QTest::newRow("loop") << 0 << 0 << false << false << true
                          << QStringLiteral("play Zelvo.FLV repeat") << 0 << 0;
    QTest::newRow("loop range") << 20 << 30 << false << false << true
                                << QStringLiteral("play Zelvo.FLV from 20 to 30 repeat") << 20
                                << 30;
}

void TestMciStrings::playRange() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, repeatRange);
    QFETCH(bool, noRange);
    QFETCH(bool, loop);
    QFETCH(QString, command);
    QFETCH(int, rngStart);
    QFETCH(int, rngEnd);
    Recorder recorder;
    MCI mci(recorder.sender());
    recorder.answer(QStringLiteral("status Zelvo.FLV length"), QStringLiteral("750"));
    mci.openMCI(QStringLiteral("/v/clip.flv"), 1234, kAlias);
    recorder.take();
    mci.setRngStart(3);  // a range left from before is replaced
    mci.setRngEnd(4);
    mci.playMCI(from, to, repeatRange, noRange, loop);
    // The length is read once, on the first play.
    QCOMPARE(recorder.take(), QStringList({QStringLiteral("set Zelvo.FLV time format frames"),
                                           QStringLiteral("status Zelvo.FLV length"), command}));
    QCOMPARE(mci.rngStart(), rngStart);
    QCOMPARE(mci.rngEnd(), rngEnd);
    QCOMPARE(mci.rngRepeat(), repeatRange);
    QCOMPARE(mci.isRngPlaying(), rngStart > 0 || rngEnd > 0);
    QVERIFY(mci.isSuccess());
    mci.playMCI(from, to, repeatRange, noRange, loop);
    QCOMPARE(recorder.take(), QStringList(command));
}

void TestMciStrings::stopReplaysARepeatedRange() {
    Recorder recorder;
    MCI mci(recorder.sender());
    openClip(mci, recorder);
    mci.playMCI(10, 50, true, false, false);
    recorder.take();
    mci.stopMCI(QString(), 0);
    QCOMPARE(recorder.take(), QStringList(QStringLiteral("play Zelvo.FLV from 10 to 50")));
    QVERIFY(mci.rngRepeat());

    // Not repeated: back to the start of the range, or to the position given.
    mci.setRngRepeat(false);
    mci.stopMCI(QString(), 0);
    QCOMPARE(recorder.take(), QStringList(QStringLiteral("seek Zelvo.FLV to 10")));
    mci.stopMCI(QStringLiteral("Other"), 25);
    QCOMPARE(recorder.take(), QStringList(QStringLiteral("seek Other to 25")));
    mci.rngCancel();
    QVERIFY(!mci.isRngPlaying());
    mci.stopMCI(QString(), 0);
    QCOMPARE(recorder.take(), QStringList(QStringLiteral("seek Zelvo.FLV to 0")));
}

void TestMciStrings::setCurFrame_data() {
    QTest::addColumn<int>("frame");
    QTest::addColumn<bool>("play");
    QTest::addColumn<QStringList>("commands");
    QTest::newRow("paused") << 120 << false
                            << QStringList({QStringLiteral("pause Zelvo.FLV"),
                                            QStringLiteral("play Zelvo.FLV from 120 to 750"),
                                            QStringLiteral("pause Zelvo.FLV")});
    QTest::newRow("playing") << 120 << true
                             << QStringList(QStringLiteral("play Zelvo.FLV from 120 to 750"));
    QTest::newRow("past the end") << 9999 << true
                                  << QStringList(QStringLiteral("play Zelvo.FLV from 750 to 750"));
    QTest::newRow("before the start")
        << -3 << true << QStringList(QStringLiteral("play Zelvo.FLV from 0 to 750"));
}

void TestMciStrings::setCurFrame() {
    QFETCH(int, frame);
    QFETCH(bool, play);
    QFETCH(QStringList, commands);
    Recorder recorder;
    MCI mci(recorder.sender());
    openClip(mci, recorder);
    mci.getTotalFrames();
    recorder.take();
    // The pauses around a paused move do not decide the result; the play does.
    recorder.answer(QStringLiteral("pause Zelvo.FLV"), 276);
    mci.setCurFrame(frame, play);
    QCOMPARE(recorder.take(), commands);
    QVERIFY(mci.isSuccess());
    recorder.answer(commands.value(play ? 0 : 1), 282);
    mci.setCurFrame(frame, play);
    QVERIFY(!mci.isSuccess());
}

void TestMciStrings::putCentres_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("center");
    QTest::addColumn<int>("areaWidth");
    QTest::addColumn<int>("areaHeight");
    QTest::addColumn<QString>("command");
    QTest::newRow("fit to height") << 667 << 500 << true << 1000 << 500
                                   << QStringLiteral("put Zelvo.FLV window at 168 1 667 500");
    QTest::newRow("fit to width") << 1000 << 750 << true << 1000 << 900
                                  << QStringLiteral("put Zelvo.FLV window at 1 76 1000 750");
    QTest::newRow("wider than the area")
        << 800 << 600 << true << 640 << 480
        << QStringLiteral("put Zelvo.FLV window at -159 -119 800 600");
    QTest::newRow("not centred") << 640 << 480 << false << 1000 << 900
                                 << QStringLiteral("put Zelvo.FLV window at 1 1 640 480");
}

void TestMciStrings::putCentres() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, center);
    QFETCH(int, areaWidth);
    QFETCH(int, areaHeight);
    QFETCH(QString, command);
    Recorder recorder;
    MCI mci(recorder.sender());
    openClip(mci, recorder);
    mci.setIsAudioOnly(true);
    mci.putMCI(width, height, center, 1, areaWidth, areaHeight);
    QCOMPARE(recorder.take(), QStringList(command));
    QVERIFY(mci.isSuccess());
    QVERIFY(!mci.isAudioOnly());
}

void TestMciStrings::putWithoutPictureFallsBackToSound() {
    Recorder recorder;
    MCI mci(recorder.sender());
    // Never opened: no window, nothing to place.
    mci.putMCI(320, 240, true, 1, 640, 480);
    QVERIFY(recorder.take().isEmpty());

    openClip(mci, recorder);
    recorder.answer(QStringLiteral("put Zelvo.FLV window at 161 121 320 240"), 346);
    mci.putMCI(320, 240, true, 1, 640, 480);
    QCOMPARE(recorder.take(),
             QStringList({QStringLiteral("put Zelvo.FLV window at 161 121 320 240"),
                          QStringLiteral("set Zelvo.FLV audio all on")}));
    QVERIFY(mci.isAudioOnly());
    QVERIFY(!mci.isSuccess());

    // Neither picture nor sound.
    recorder.answer(QStringLiteral("set Zelvo.FLV audio all on"), 274);
    mci.putMCI(320, 240, true, 1, 640, 480);
    QVERIFY(!mci.isAudioOnly());
    QVERIFY(!mci.isSuccess());
    QVERIFY(mci.isVideoOnly());
}

void TestMciStrings::leadingWord_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("word");
    QTest::newRow("playing") << 0 << QStringLiteral("playing") << QStringLiteral("playing");
    QTest::newRow("not ready") << 0 << QStringLiteral("not ready") << QStringLiteral("not");
    QTest::newRow("upper case") << 0 << QStringLiteral("Paused") << QStringLiteral("paused");
    QTest::newRow("trailing text")
        << 0 << QStringLiteral("stopped\r\n") << QStringLiteral("stopped");
    QTest::newRow("digits") << 0 << QStringLiteral("mode2-x") << QStringLiteral("mode2");
    QTest::newRow("empty") << 0 << QString() << QString();
    QTest::newRow("failure") << 263 << QStringLiteral("playing") << QStringLiteral("error");
}

void TestMciStrings::leadingWord() {
    QFETCH(int, result);
    QFETCH(QString, reply);
    QFETCH(QString, word);
    Recorder recorder;
    MCI mci(recorder.sender());
    openClip(mci, recorder);
    recorder.answer(QStringLiteral("status Zelvo.FLV mode"), result, reply);
    recorder.answer(QStringLiteral("status Zelvo.FLV audio"), result, reply);
    QCOMPARE(mci.getStatus(), word);
    QCOMPARE(mci.getAudioOnOff(), word);
    QCOMPARE(recorder.take(), QStringList({QStringLiteral("status Zelvo.FLV mode"),
                                           QStringLiteral("status Zelvo.FLV audio")}));
}

void TestMciStrings::sizeReply_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("native") << 0 << QStringLiteral("0 0 640 480") << 640 << 480;
    QTest::newRow("offset") << 0 << QStringLiteral("12 34 1920 1080") << 1920 << 1080;
    QTest::newRow("no height") << 0 << QStringLiteral("0 0 640") << 640 << 0;
    QTest::newRow("empty") << 0 << QString() << 0 << 0;
    QTest::newRow("failure") << 346 << QStringLiteral("0 0 640 480") << 0 << 0;
}

void TestMciStrings::sizeReply() {
    QFETCH(int, result);
    QFETCH(QString, reply);
    QFETCH(int, width);
    QFETCH(int, height);
    Recorder recorder;
    MCI mci(recorder.sender());
    openClip(mci, recorder);
    recorder.answer(QStringLiteral("where Zelvo.FLV source"), result, reply);
    recorder.answer(QStringLiteral("where Zelvo.FLV destination max"), result, reply);
    qint32 w = -1;
    qint32 h = -1;
    mci.getDefaultSize(w, h);
    QCOMPARE(w, width);
    QCOMPARE(h, height);
    QCOMPARE(mci.isSuccess(), result == 0);
    w = h = -1;
    mci.getCurSize(w, h);
    QCOMPARE(w, width);
    QCOMPARE(h, height);
    QCOMPARE(recorder.take(), QStringList({QStringLiteral("where Zelvo.FLV source"),
                                           QStringLiteral("where Zelvo.FLV destination max")}));
}

void TestMciStrings::failureResults() {
    Recorder recorder;
    MCI mci(recorder.sender());
    mci.openMCI(QStringLiteral("/v/clip.flv"), 1234, kAlias);
    const char* failing[] = {"status Zelvo.FLV length", "status Zelvo.FLV position",
                             "status Zelvo.FLV frame rate", "status Zelvo.FLV speed",
                             "status Zelvo.FLV mode"};
    for (const char* command : failing) {
        recorder.answer(QString::fromLatin1(command), 277, QStringLiteral("123"));
    }
    QCOMPARE(mci.getTotalFrames(), 0);
    QCOMPARE(mci.getTotalSeconds(), 0.0f);
    QCOMPARE(mci.getCurFrame(), 0);
    QCOMPARE(mci.getFramesRateMPG(), -1.0f);
    QCOMPARE(mci.getSpeed(), -1);
    QCOMPARE(mci.getStatus(), QStringLiteral("error"));
    QCOMPARE(mci.getFramesPerSecond(), -1.0f);
    QCOMPARE(mci.lastError(), 277);
}

void TestMciStrings::numbersFromReplies() {
    Recorder recorder;
    MCI mci(recorder.sender());
    mci.openMCI(QStringLiteral("/v/clip.flv"), 1234, kAlias);
    recorder.answer(QStringLiteral("status Zelvo.FLV length"), QStringLiteral("752"));
    recorder.answer(QStringLiteral("status Zelvo.FLV frame rate"), QStringLiteral("29970"));
    recorder.answer(QStringLiteral("status Zelvo.FLV position"), QStringLiteral("41.6 frames"));
    recorder.answer(QStringLiteral("status Zelvo.FLV speed"), QStringLiteral("2000"));
    recorder.take();
    // The seconds are read in milliseconds, then the frames come back as the format.
    recorder.answer(QStringLiteral("status Zelvo.FLV length"), QStringLiteral("752"));
    QCOMPARE(mci.getTotalFrames(), 752);
    recorder.answer(QStringLiteral("status Zelvo.FLV length"), QStringLiteral("30080"));
    QCOMPARE(mci.getTotalSeconds(), 30.08f);
    QCOMPARE(recorder.take(), QStringList({QStringLiteral("set Zelvo.FLV time format frames"),
                                           QStringLiteral("status Zelvo.FLV length"),
                                           QStringLiteral("set Zelvo.FLV time format ms"),
                                           QStringLiteral("status Zelvo.FLV length"),
                                           QStringLiteral("set Zelvo.FLV time format frames")}));
    // Both caches are filled now: no more commands.
    QCOMPARE(mci.getFramesPerSecond(), 752.0f / 30.08f);
    QVERIFY(recorder.take().isEmpty());
    QCOMPARE(mci.getFramesRateMPG(), 29.97f);
    QCOMPARE(mci.getCurFrame(), 42);
    QCOMPARE(mci.getSpeed(), 2000);
}

void TestMciStrings::simpleCommands() {
    Recorder recorder;
    MCI mci(recorder.sender());
    openClip(mci, recorder);
    mci.pauseMCI();
    mci.resumeMCI();
    mci.setVolume(500);
    mci.setAudioShow(false);
    mci.setSpeed(1500);
    mci.closeMCI(QString());
    mci.closeMCI(QStringLiteral("Zelvo.FLV_forCapture"));
    mci.closeAllMCI();
    QCOMPARE(
        recorder.take(),
        QStringList({QStringLiteral("pause Zelvo.FLV"), QStringLiteral("resume Zelvo.FLV"),
                     QStringLiteral("setaudio Zelvo.FLV volume to 500"),
                     QStringLiteral("set Zelvo.FLV audio all off"),
                     QStringLiteral("set Zelvo.FLV speed 1500"), QStringLiteral("stop Zelvo.FLV"),
                     QStringLiteral("close Zelvo.FLV"), QStringLiteral("stop Zelvo.FLV_forCapture"),
                     QStringLiteral("close Zelvo.FLV_forCapture"), QStringLiteral("Close All")}));

    // A step counts as done whatever the device says.
    recorder.answer(QStringLiteral("step Zelvo.FLV by -3"), 274);
    mci.stepMCI(-3);
    QCOMPARE(recorder.take(), QStringList(QStringLiteral("step Zelvo.FLV by -3")));
    QVERIFY(mci.isSuccess());
    recorder.answer(QStringLiteral("close Zelvo.FLV"), 263);
    mci.closeMCI(QString());
    QVERIFY(!mci.isSuccess());
}

QTEST_GUILESS_MAIN(TestMciStrings)
#include "tst_mcistrings.moc"
