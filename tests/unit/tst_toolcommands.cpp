#include "tools/ToolCommands.h"

#include <QTest>

Q_DECLARE_METATYPE(ToolCommand)

// The command texts must read exactly as the tools have always been given
// them; the argument lists are what really runs.
class TestToolCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandText_data();
    void commandText();
    void containerFamily_data();
    void containerFamily();
    void rvalueChaining();
};

namespace {

const QString mcd = QStringLiteral("/tmp/~tmpExtMcd");
const QString fmg = QStringLiteral("/tmp/~tmpExtFmg");
const QString fmd = QStringLiteral("/tmp/~tmpExtFmd");

// Expected arguments, written with "|" between them.
QStringList args(const char* joined) {
    return QString::fromUtf8(joined).split(QLatin1Char('|'));
}

EncodeSettings panel(int p) {
    EncodeSettings s;
    s.panel = p;
    return s;
}

}  // namespace

void TestToolCommands::commandText_data() {
    QTest::addColumn<ToolCommand>("command");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("arguments");

    const QString src = QStringLiteral("/home/u/影片 測試.flv");

    QTest::newRow("cut one segment")
        << cutCommand(mcd, QStringLiteral("12"), QStringLiteral("9"),
                      QStringLiteral("~tmpSP001.flv"), src)
        << mcd
        << QStringLiteral(
               "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -ss 12 -endpos 9 -o "
               "~tmpSP001.flv \"/home/u/影片 測試.flv\"")
        << args(
               "-mc|1|-ovc|copy|-oac|copy|-ss|12|-endpos|9|-o|~tmpSP001.flv|/home/u/影片 測試.flv");
    QTest::newRow("cut with mp3 audio")
        << cutCommand(mcd, QStringLiteral("90"), QStringLiteral("5"),
                      QStringLiteral("~tmpSP004.avi"), QStringLiteral("/v/a \"b\".avi"), true)
        << mcd
        << QStringLiteral(
               "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac mp3lame -lameopts br=64 -ss 90 "
               "-endpos 5 -o ~tmpSP004.avi \"/v/a \"b\".avi\"")
        << args(
               "-mc|1|-ovc|copy|-oac|mp3lame|-lameopts|br=64|-ss|90|-endpos|5|-o|~tmpSP004.avi|"
               "/v/a \"b\".avi");
    QTest::newRow("remux of a part")
        << remuxCommand(fmg, QStringLiteral("~tmpSP002.flv")) << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i ~tmpSP002.flv "
               "~fix~tmpSP002.flv")
        << args("-y|-vcodec|copy|-acodec|copy|-i|~tmpSP002.flv|~fix~tmpSP002.flv");
    QTest::newRow("metadata of a part")
        << metaCommand(fmd, QStringLiteral("~tmpSP002.flv")) << fmd
        << QStringLiteral("/tmp/~tmpExtFmd ~tmpSP002.flv") << args("~tmpSP002.flv");
    QTest::newRow("join of cut parts")
        << joinPartsCommand(mcd, QStringLiteral("flv"),
                            {QStringLiteral("~tmpSP001.flv"), QStringLiteral("~tmpSP002.flv")})
        << mcd
        << QStringLiteral(
               "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o ~tmpSJoin.flv "
               "~tmpSP001.flv ~tmpSP002.flv")
        << args("-mc|1|-ovc|copy|-oac|copy|-o|~tmpSJoin.flv|~tmpSP001.flv|~tmpSP002.flv");
    QTest::newRow("remux of the joined file")
        << remuxCommand(fmg, QStringLiteral("~tmpSJoin.flv")) << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i ~tmpSJoin.flv "
               "~fix~tmpSJoin.flv")
        << args("-y|-vcodec|copy|-acodec|copy|-i|~tmpSJoin.flv|~fix~tmpSJoin.flv");
    QTest::newRow("metadata of the joined file")
        << metaCommand(fmd, QStringLiteral("~fix~tmpSJoin.flv")) << fmd
        << QStringLiteral("/tmp/~tmpExtFmd ~fix~tmpSJoin.flv") << args("~fix~tmpSJoin.flv");
    QTest::newRow("mpeg join remuxed into the chosen file")
        << remuxToCommand(fmg, QStringLiteral("~tmpSJoin.mpg"),
                          QStringLiteral("/out/clip_part.mpg"))
        << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i ~tmpSJoin.mpg "
               "\"/out/clip_part.mpg\"")
        << args("-y|-vcodec|copy|-acodec|copy|-i|~tmpSJoin.mpg|/out/clip_part.mpg");
    QTest::newRow("join of cut parts into the chosen file")
        << joinPartsToCommand(mcd, QStringLiteral("/out/my clip_part.avi"),
                              {QStringLiteral("~tmpSP001.avi"), QStringLiteral("~tmpSP002.avi"),
                               QStringLiteral("~tmpSP003.avi")})
        << mcd
        << QStringLiteral(
               "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o \"/out/my clip_part.avi\" "
               "~tmpSP001.avi ~tmpSP002.avi ~tmpSP003.avi")
        << args(
               "-mc|1|-ovc|copy|-oac|copy|-o|/out/my clip_part.avi|~tmpSP001.avi|~tmpSP002.avi|"
               "~tmpSP003.avi");
    QTest::newRow("join list, flv")
        << joinFilesCommand(mcd, QStringLiteral("flv"),
                            {QStringLiteral("/v/a b.flv"), QStringLiteral("/v/-c.flv")})
        << mcd
        << QStringLiteral(
               "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o ~tmpSJoin.flv \"/v/a b.flv\" "
               "\"/v/-c.flv\"")
        << args("-mc|1|-ovc|copy|-oac|copy|-o|~tmpSJoin.flv|/v/a b.flv|/v/-c.flv");
    QTest::newRow("join list, other types")
        << joinFilesToCommand(mcd, QStringLiteral("/out/a_merge.avi"),
                              {QStringLiteral("/v/a.avi"), QStringLiteral("/v/b.avi")})
        << mcd
        << QStringLiteral(
               "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o \"/out/a_merge.avi\" "
               "\"/v/a.avi\" \"/v/b.avi\"")
        << args("-mc|1|-ovc|copy|-oac|copy|-o|/out/a_merge.avi|/v/a.avi|/v/b.avi");
    QTest::newRow("join list, other types, mp3 audio")
        << joinFilesToCommand(mcd, QStringLiteral("/out/a_merge.avi"),
                              {QStringLiteral("/v/a.avi"), QStringLiteral("/v/b.avi")}, true)
        << mcd
        << QStringLiteral(
               "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac mp3lame -lameopts br=64 -o "
               "\"/out/a_merge.avi\" \"/v/a.avi\" \"/v/b.avi\"")
        << args(
               "-mc|1|-ovc|copy|-oac|mp3lame|-lameopts|br=64|-o|/out/a_merge.avi|/v/a.avi|"
               "/v/b.avi");
    QTest::newRow("snapshot, single jpg")
        << snapshotCommand(fmg, src, QStringLiteral("12.340"), QStringLiteral("jpg")) << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -i \"/home/u/影片 測試.flv\" -y -ss 12.340 -t 0.001 "
               "~tmpSP%03d.jpg")
        << args("-i|/home/u/影片 測試.flv|-y|-ss|12.340|-t|0.001|~tmpSP%03d.jpg");
    QTest::newRow("snapshot, series png")
        << snapshotCommand(fmg, QStringLiteral("/v/clip.flv"), QStringLiteral("0.000"),
                           QStringLiteral("png"))
        << fmg
        << QStringLiteral("/tmp/~tmpExtFmg -i \"/v/clip.flv\" -y -ss 0.000 -t 0.001 ~tmpSP%03d.png")
        << args("-i|/v/clip.flv|-y|-ss|0.000|-t|0.001|~tmpSP%03d.png");
    QTest::newRow("fix, flv")
        << fixFlvCommand(fmg, QStringLiteral("/v/clip.flv"), QStringLiteral("flv")) << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i \"/v/clip.flv\" "
               "~fix~tmpSP.flv")
        << args("-y|-vcodec|copy|-acodec|copy|-i|/v/clip.flv|~fix~tmpSP.flv");
    QTest::newRow("fix, flv metadata")
        << metaCommand(fmd, QStringLiteral("~fix~tmpSP.flv")) << fmd
        << QStringLiteral("/tmp/~tmpExtFmd ~fix~tmpSP.flv") << args("~fix~tmpSP.flv");
    QTest::newRow("fix, mpeg")
        << fixMpegCommand(fmg, QStringLiteral("/v/clip.vob"), QStringLiteral("/out/clip_fix.vob"))
        << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i \"/v/clip.vob\" "
               "\"/out/clip_fix.vob\"")
        << args("-y|-vcodec|copy|-acodec|copy|-i|/v/clip.vob|/out/clip_fix.vob");
    QTest::newRow("fix, other types")
        << fixOtherCommand(mcd, QStringLiteral("/v/clip.avi"), QStringLiteral("/out/clip_fix.avi"))
        << mcd
        << QStringLiteral(
               "/tmp/~tmpExtMcd -ovc copy -oac copy -o \"/out/clip_fix.avi\" "
               "\"/v/clip.avi\"")
        << args("-ovc|copy|-oac|copy|-o|/out/clip_fix.avi|/v/clip.avi");
    QTest::newRow("fix, other types, mp3 audio")
        << fixOtherCommand(mcd, QStringLiteral("/v/clip.avi"), QStringLiteral("/out/clip_fix.avi"),
                           true)
        << mcd
        << QStringLiteral(
               "/tmp/~tmpExtMcd -ovc copy -oac mp3lame -lameopts br=64 -o "
               "\"/out/clip_fix.avi\" \"/v/clip.avi\"")
        << args("-ovc|copy|-oac|mp3lame|-lameopts|br=64|-o|/out/clip_fix.avi|/v/clip.avi");
    QTest::newRow("encode, flv to mpg, defaults")
        << encodeCommand(fmg, QStringLiteral("/v/clip.flv"), QStringLiteral("/out/clip.mpg"),
                         panel(0))
        << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -r 25 -b 200 -ar 22050 -ab 64 "
               "-ac 2 \"/out/clip.mpg\"")
        << args("-y|-i|/v/clip.flv|-r|25|-b|200|-ar|22050|-ab|64|-ac|2|/out/clip.mpg");
    EncodeSettings wmv = panel(0);
    wmv.videoSize = QStringLiteral("320x240");
    QTest::newRow("encode, flv to wmv, 320x240")
        << encodeCommand(fmg, QStringLiteral("/v/clip.flv"), QStringLiteral("/out/CLIP.WMV"), wmv)
        << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -vcodec wmv2  -s 320x240 -r 25 "
               "-b 200 -ar 22050 -ab 64 -ac 2 \"/out/CLIP.WMV\"")
        << args(
               "-y|-i|/v/clip.flv|-vcodec|wmv2|-s|320x240|-r|25|-b|200|-ar|22050|-ab|64|-ac|2|"
               "/out/CLIP.WMV");
    QTest::newRow("encode, video to flv, defaults")
        << encodeCommand(fmg, QStringLiteral("/v/clip.mpg"), QStringLiteral("/out/clip.flv"),
                         panel(1))
        << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -i \"/v/clip.mpg\" -r 25 -b 200 -ar 22050 -ab 64 "
               "-ac 2 \"/out/clip.flv\"")
        << args("-y|-i|/v/clip.mpg|-r|25|-b|200|-ar|22050|-ab|64|-ac|2|/out/clip.flv");
    QTest::newRow("encode, flv metadata")
        << metaQuotedCommand(fmd, QStringLiteral("/out/my clip.flv")) << fmd
        << QStringLiteral("/tmp/~tmpExtFmd \"/out/my clip.flv\"") << args("/out/my clip.flv");
    QTest::newRow("encode, flv to mp3, defaults")
        << encodeCommand(fmg, QStringLiteral("/v/clip.flv"), QStringLiteral("/out/clip.mp3"),
                         panel(2))
        << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -vn  -ar 22050 -ab 64 -ac 2 "
               "\"/out/clip.mp3\"")
        << args("-y|-i|/v/clip.flv|-vn|-ar|22050|-ab|64|-ac|2|/out/clip.mp3");
    EncodeSettings audio = panel(3);
    audio.videoSize = QStringLiteral("320x240");  // video lists take no part on audio panels
    audio.channels = QStringLiteral("單聲道");
    audio.samplingRate = QStringLiteral("44100");
    audio.audioBitrate = QStringLiteral("128");
    QTest::newRow("encode, audio to flv, mono")
        << encodeCommand(fmg, QStringLiteral("/v/clip.wav"), QStringLiteral("/out/clip.flv"), audio)
        << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -i \"/v/clip.wav\" -vn  -ar 44100 -ab 128 -ac 1 "
               "\"/out/clip.flv\"")
        << args("-y|-i|/v/clip.wav|-vn|-ar|44100|-ab|128|-ac|1|/out/clip.flv");
    EncodeSettings custom = panel(0);
    custom.videoSize = QStringLiteral("160x120");
    custom.frameRate = QStringLiteral("29.97");
    custom.videoBitrate = QStringLiteral("1600");
    QTest::newRow("encode, flv to avi, own settings")
        << encodeCommand(fmg, QStringLiteral("/v/clip.flv"), QStringLiteral("/out/clip.avi"),
                         custom)
        << fmg
        << QStringLiteral(
               "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -s 160x120 -r 29.97 -b 1600 "
               "-ar 22050 -ab 64 -ac 2 \"/out/clip.avi\"")
        << args(
               "-y|-i|/v/clip.flv|-s|160x120|-r|29.97|-b|1600|-ar|22050|-ab|64|-ac|2|"
               "/out/clip.avi");
    QTest::newRow("resource program")
        << resourceCommand(QStringLiteral("/opt/zelvo/ZelvoResFLV"), QStringLiteral("Edit1"))
        << QStringLiteral("/opt/zelvo/ZelvoResFLV")
        << QStringLiteral("/opt/zelvo/ZelvoResFLV Edit1") << args("Edit1");
}

void TestToolCommands::commandText() {
    QFETCH(ToolCommand, command);
    QFETCH(QString, program);
    QFETCH(QString, text);
    QFETCH(QStringList, arguments);
    QCOMPARE(command.text(), text);
    QCOMPARE(command.program(), program);
    QCOMPARE(command.arguments(), arguments);
}

void TestToolCommands::containerFamily_data() {
    QTest::addColumn<QString>("ext");
    QTest::addColumn<int>("family");
    QTest::newRow("flv") << QStringLiteral("flv") << 1;
    QTest::newRow("FLV") << QStringLiteral("FLV") << 1;
    QTest::newRow("mpeg") << QStringLiteral("mpeg") << 2;
    QTest::newRow("mpg") << QStringLiteral("mpg") << 2;
    QTest::newRow("Vob") << QStringLiteral("Vob") << 2;
    QTest::newRow("avi") << QStringLiteral("avi") << 3;
    QTest::newRow("dat") << QStringLiteral("dat") << 3;
    QTest::newRow("f4v") << QStringLiteral("f4v") << 3;
    QTest::newRow("empty") << QString() << 3;
}

void TestToolCommands::containerFamily() {
    QFETCH(QString, ext);
    QFETCH(int, family);
    QCOMPARE(::containerFamily(ext), family);
}

void TestToolCommands::rvalueChaining() {
    // A command built on a named object and one built on a temporary agree.
    ToolCommand named(mcd);
    named.raw(QStringLiteral(" -o ")).quoted(QStringLiteral("a b")).arg(QString());
    const ToolCommand temporary =
        ToolCommand(mcd).raw(QStringLiteral(" -o ")).quoted(QStringLiteral("a b")).arg(QString());
    QCOMPARE(named, temporary);
    // An empty value stays one (empty) argument and adds nothing to the text.
    QCOMPARE(temporary.arguments(),
             QStringList({QStringLiteral("-o"), QStringLiteral("a b"), QString()}));
    QCOMPARE(temporary.text(), QStringLiteral("/tmp/~tmpExtMcd -o \"a b\""));
}

QTEST_GUILESS_MAIN(TestToolCommands)
#include "tst_toolcommands.moc"
