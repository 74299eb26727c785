#include "FfmpegCommon.h"
#include "KeyframeProbe.h"
#include "LegacyFfmpegJob.h"
#include "MencoderJob.h"
#include "TestSupport.h"
#include "ToolPaths.h"
#include "core/jobs/ToolCommands.h"

#include <QRegularExpression>
#include <QTest>

#include <string>
#include <vector>

Q_DECLARE_METATYPE(ToolCommand)

namespace {

const QString mcd = u8("/tmp/~tmpExtMcd");
const QString fmg = u8("/tmp/~tmpExtFmg");
const QString fmd = u8("/tmp/~tmpExtFmd");

// Names written with "|" between them.
QStringList list(const char* joined) {
    return u8(joined).split(u'|');
}

// The words of a command text, the way the tools have always read it: split at
// blanks, a word in double quotes running to the quote before a blank or the end.
QStringList words(const QString& text) {
    static const QRegularExpression word(u8("\"(.*?)\"(?= |$)|(\\S+)"));
    QStringList out;
    for (const QRegularExpressionMatch& m : word.globalMatch(text)) {
        out << m.captured(1) + m.captured(2);
    }
    return out;
}

EncodeSettings panel(int p) {
    EncodeSettings s;
    s.panel = p;
    return s;
}

// A panel's lists as picked: size, frame rate, bit rates, channels, "|" between them.
EncodeSettings panel(int p, const char* picked) {
    const QStringList v = list(picked);
    return {p, v[0], v[1], v[2], v[3], v[4], v[5]};
}

using Args = std::vector<std::string>;

// Arguments written with "|" between them.
Args split(const QString& joined) {
    Args out;
    for (const QString& a : joined.split(u'|')) {
        out.push_back(a.toStdString());
    }
    return out;
}

// The ffmpeg arguments after the common quiet/progress options, "|"-joined.
QString afterPrefix(const Args& a) {
    QStringList out;
    for (std::size_t i = exttool::ffmpegPrefix().size(); i < a.size(); ++i) {
        out << QString::fromStdString(a[i]);
    }
    return out.join(u'|');
}

}  // namespace

// The command texts must read exactly as the tools have always been given them, and the
// program and arguments that really run are the words of the text; the tool program reads
// the old MEncoder and FFmpeg options and hands them to today's ffmpeg.
class TestToolCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandText_data() {
        QTest::addColumn<ToolCommand>("command");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* tag, const ToolCommand& c, const char* text) {
            QTest::newRow(tag) << c << u8(text);
        };
        const QString src = u8("/home/u/影片 測試.flv");
        row("cut one segment", cutCommand(mcd, 12, 9, u8("~tmpSP001.flv"), src),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -ss 12 -endpos 9 -o ~tmpSP001.flv "
            "\"/home/u/影片 測試.flv\"");
        row("cut with mp3 audio",
            cutCommand(mcd, 90, 5, u8("~tmpSP004.avi"), u8("/v/a \"b\".avi"), true),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac mp3lame -lameopts br=64 -ss 90 -endpos 5 -o "
            "~tmpSP004.avi \"/v/a \"b\".avi\"");
        row("remux of a part", remuxCommand(fmg, u8("~tmpSP002.flv")),
            "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i ~tmpSP002.flv ~fix~tmpSP002.flv");
        row("metadata of a part", metaCommand(fmd, u8("~tmpSP002.flv")),
            "/tmp/~tmpExtFmd ~tmpSP002.flv");
        row("join of cut parts",
            joinPartsCommand(mcd, u8("flv"), list("~tmpSP001.flv|~tmpSP002.flv")),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o ~tmpSJoin.flv ~tmpSP001.flv "
            "~tmpSP002.flv");
        row("mpeg join remuxed into the chosen file",
            remuxToCommand(fmg, u8("~tmpSJoin.mpg"), u8("/out/clip_part.mpg")),
            "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i ~tmpSJoin.mpg \"/out/clip_part.mpg\"");
        row("join of cut parts into the chosen file",
            joinPartsToCommand(mcd, u8("/out/my clip_part.avi"),
                               list("~tmpSP001.avi|~tmpSP002.avi|~tmpSP003.avi")),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o \"/out/my clip_part.avi\" ~tmpSP001.avi "
            "~tmpSP002.avi ~tmpSP003.avi");
        row("join list, flv", joinFilesCommand(mcd, u8("flv"), list("/v/a b.flv|/v/-c.flv")),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o ~tmpSJoin.flv \"/v/a b.flv\" "
            "\"/v/-c.flv\"");
        row("join list, other types",
            joinFilesToCommand(mcd, u8("/out/a_merge.avi"), list("/v/a.avi|/v/b.avi")),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o \"/out/a_merge.avi\" \"/v/a.avi\" "
            "\"/v/b.avi\"");
        row("join list, other types, mp3 audio",
            joinFilesToCommand(mcd, u8("/out/a_merge.avi"), list("/v/a.avi|/v/b.avi"), true),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac mp3lame -lameopts br=64 -o \"/out/a_merge.avi\" "
            "\"/v/a.avi\" \"/v/b.avi\"");
        row("snapshot, single jpg, cut to hundredths", snapshotCommand(fmg, src, 12.345, u8("jpg")),
            "/tmp/~tmpExtFmg -i \"/home/u/影片 測試.flv\" -y -ss 12.340 -t 0.001 ~tmpSP%03d.jpg");
        row("snapshot, series png", snapshotCommand(fmg, u8("/v/clip.flv"), 0.000, u8("png")),
            "/tmp/~tmpExtFmg -i \"/v/clip.flv\" -y -ss 0.000 -t 0.001 ~tmpSP%03d.png");
        row("fix, flv", fixFlvCommand(fmg, u8("/v/clip.flv"), u8("flv")),
            "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i \"/v/clip.flv\" ~fix~tmpSP.flv");
        row("fix, mpeg", fixMpegCommand(fmg, u8("/v/clip.vob"), u8("/out/clip_fix.vob")),
            "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i \"/v/clip.vob\" "
            "\"/out/clip_fix.vob\"");
        row("fix, other types", fixOtherCommand(mcd, u8("/v/clip.avi"), u8("/out/clip_fix.avi")),
            "/tmp/~tmpExtMcd -ovc copy -oac copy -o \"/out/clip_fix.avi\" \"/v/clip.avi\"");
        row("fix, other types, mp3 audio",
            fixOtherCommand(mcd, u8("/v/clip.avi"), u8("/out/clip_fix.avi"), true),
            "/tmp/~tmpExtMcd -ovc copy -oac mp3lame -lameopts br=64 -o \"/out/clip_fix.avi\" "
            "\"/v/clip.avi\"");
        row("encode, flv to mpg, defaults",
            encodeCommand(fmg, u8("/v/clip.flv"), u8("/out/clip.mpg"), panel(0)),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -r 25 -b 200 -ar 22050 -ab 64 -ac 2 "
            "\"/out/clip.mpg\"");
        row("encode, flv to wmv, 320x240",
            encodeCommand(fmg, u8("/v/clip.flv"), u8("/out/CLIP.WMV"),
                          panel(0, "320x240|25|200|22050|64|立體聲")),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -vcodec wmv2  -s 320x240 -r 25 -b 200 -ar 22050 "
            "-ab 64 -ac 2 \"/out/CLIP.WMV\"");
        row("encode, video to flv, defaults",
            encodeCommand(fmg, u8("/v/clip.mpg"), u8("/out/clip.flv"), panel(1)),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.mpg\" -r 25 -b 200 -ar 22050 -ab 64 -ac 2 "
            "\"/out/clip.flv\"");
        row("encode, flv metadata", metaQuotedCommand(fmd, u8("/out/my clip.flv")),
            "/tmp/~tmpExtFmd \"/out/my clip.flv\"");
        row("encode, flv to mp3, defaults",
            encodeCommand(fmg, u8("/v/clip.flv"), u8("/out/clip.mp3"), panel(2)),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -vn  -ar 22050 -ab 64 -ac 2 \"/out/clip.mp3\"");
        // The video lists take no part on the audio panels.
        row("encode, audio to flv, mono",
            encodeCommand(fmg, u8("/v/clip.wav"), u8("/out/clip.flv"),
                          panel(3, "320x240|30|1600|44100|128|單聲道")),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.wav\" -vn  -ar 44100 -ab 128 -ac 1 \"/out/clip.flv\"");
        row("encode, flv to avi, own settings",
            encodeCommand(fmg, u8("/v/clip.flv"), u8("/out/clip.avi"),
                          panel(0, "160x120|29.97|1600|22050|64|立體聲")),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -s 160x120 -r 29.97 -b 1600 -ar 22050 -ab 64 "
            "-ac 2 \"/out/clip.avi\"");
        row("resource program", resourceCommand(u8("/opt/zelvo/ZelvoResFLV"), u8("Edit1")),
            "/opt/zelvo/ZelvoResFLV Edit1");
    }
    void commandText() {
        QFETCH(ToolCommand, command);
        QFETCH(QString, text);
        QCOMPARE(command.text(), text);
        QCOMPARE(QStringList(command.program()) + command.arguments(), words(text));
    }

    void containerFamily_data() {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<int>("family");
        for (const QString& row : list("flv 1|FLV 1|mpeg 2|mpg 2|Vob 2|avi 3|dat 3|f4v 3| 3")) {
            QTest::newRow(qPrintable(row)) << row.section(u' ', 0, 0) << row.right(1).toInt();
        }
    }
    void containerFamily() {
        QFETCH(QString, ext);
        QFETCH(int, family);
        QCOMPARE(::containerFamily(ext), family);
    }

    // An empty value stays one (empty) argument and adds nothing to the text.
    void emptyArgument() {
        const ToolCommand c = ToolCommand(mcd).raw(u8(" -o ")).quoted(u8("a b")).arg(QString());
        QCOMPARE(c.arguments(), QStringList({u8("-o"), u8("a b"), QString()}));
        QCOMPARE(c.text(), u8("/tmp/~tmpExtMcd -o \"a b\""));
    }

    void translate_data() {
        QTest::addColumn<QString>("args");  // MEncoder's, or the old FFmpeg's for "ffmpeg, " rows
        QTest::addColumn<QString>("expected");  // ffmpeg arguments; "error: " + why refused
        QTest::addColumn<QString>("inputs");    // MEncoder: the job's inputs made absolute
        QTest::addColumn<double>("keyframe");   // MEncoder: where the copy begins, or -1
        const auto row = [](const char* tag, const char* args, const char* expected,
                            const char* inputs = "", double keyframe = -1) {
            QTest::newRow(tag) << u8(args) << u8(expected) << u8(inputs) << keyframe;
        };
        // Sought a little late, shortened as much: from the keyframe at or before 12 s to 21 s.
        row("cut, MP3 sound",
            "-mc|1|-ovc|copy|-oac|mp3lame|-lameopts|cbr:br=96|-ss|12|-endpos|0:09|-o|~tmpSP001.mpg|"
            "/v/a b.mpg",
            "-ss|12.130435|-i|file:/v/a b.mpg|-t|8.869565|-map|0:v:0?|-map|0:a:0?|-c:v|copy|-c:a|"
            "libmp3lame|-b:a|96k|-f|mpeg|-y|file:/out/~tmpSZ1-1.mpg",
            "/v/a b.mpg");
        // Sought half a second early, what lies before the keyframe dropped; ends at 19 s.
        row("cut from a known keyframe", "-ss|13|-endpos|6|-o|a.mpg|/v/b.mpg",
            "-ss|11.443000|-i|file:/v/b.mpg|-ss|0.499500|-t|7.057500|-map|0:v:0?|-map|0:a:0?|"
            "-c:v|copy|-c:a|copy|-f|mpeg|-y|file:/o/t.mpg",
            "/v/b.mpg", 11.943);
        // A QuickTime output hides what lies before the start itself.
        row("cut into mp4", "-ss|12|-endpos|6|-o|a.mp4|/v/b.mp4",
            "-ss|12.000000|-i|file:/v/b.mp4|-t|6.000000|-map|0:v:0?|-map|0:a:0?|-c:v|copy|-c:a|"
            "copy|-y|file:/o/t.mp4",
            "/v/b.mp4");
        // A plain copy from the start, into a container ffmpeg names itself.
        row("whole copy", "-ovc|copy|-oac|copy|-o|out.mp4|in:1.mp4",
            "-i|file:/v/in:1.mp4|-map|0:v:0?|-map|0:a:0?|-c:v|copy|-c:a|copy|-y|file:/out/t.mp4",
            "/v/in:1.mp4");
        // Each input opened on its own first; only the concatenation (input 2) is read.
        row("join", "-mc|1|-ovc|copy|-oac|copy|-o|~tmpSJoin.vob|~tmpSP001.vob|/v/it's.vob",
            "-i|file:/w/~tmpSP001.vob|-i|file:/v/it's.vob|-f|concat|-safe|0|-i|file:/tmp/list|"
            "-map|2:v:0?|-map|2:a:0?|-c:v|copy|-c:a|copy|-f|vob|-y|file:/out/t.vob",
            "/w/~tmpSP001.vob|/v/it's.vob");
        row("video codec", "-ovc|lavc|-o|a.avi|b.avi",
            "error: only \"-ovc copy\" is supported, not \"lavc\"");
        row("audio codec", "-oac|faac|-o|a.avi|b.avi",
            "error: only \"-oac copy\" and \"-oac mp3lame\" are supported, not \"faac\"");
        row("dash name", "-o|a.flv|-clip.flv",
            "error: unknown option \"-clip.flv\" (a file whose name begins with \"-\" must be "
            "given with its folder, e.g. ./-clip.flv)");
        row("no output", "-ovc|copy|b.avi", "error: no output (-o) given");
        row("no input", "-o|a.avi", "error: no input given");
        row("bad time", "-ss|1.5:20|-o|a.avi|b.avi", "error: bad time for -ss: \"1.5:20\"");
        row("missing value", "-o|a.avi|b.avi|-endpos", "error: option -endpos needs a value");
        row("bad bitrate", "-oac|mp3lame|-lameopts|br=fast|-o|a.avi|b.avi",
            "error: bad -lameopts \"br=fast\"");

        row("ffmpeg, remux, codecs before -i",
            "-y|-vcodec|copy|-acodec|copy|-i|/v/~tmpSP001.flv|~fix~tmpSP001.flv",
            "-i|file:/v/~tmpSP001.flv|-c:v|copy|-c:a|copy|-y|file:/w/~tmpSZ1-1.flv");
        row("ffmpeg, encode, bit rates in kbit/s",
            "-y|-i|/v/a.flv|-vcodec|wmv2|-s|320x240|-r|25|-b|200|-ar|22050|-ab|64|-ac|2|/o/a.wmv",
            "-i|file:/v/a.flv|-c:v|wmv2|-s|320x240|-r|25|-b:v|200k|-ar|22050|-b:a|64k|-ac|2|-y|"
            "file:/o/t.wmv");
        row("ffmpeg, bit rate with a unit kept", "-i|/v/a.flv|-b|1.5M|-ab|96k|/o/a.avi",
            "(no -y) -i|file:/v/a.flv|-b:v|1.5M|-b:a|96k|-y|file:/o/t.avi");
        row("ffmpeg, audio only, into an mpeg file",
            "-y|-i|/v/a.flv|-vn|-ar|22050|-ab|64|-ac|1|/o/a.mpg",
            "-i|file:/v/a.flv|-vn|-ar|22050|-b:a|64k|-ac|1|-f|mpeg|-y|file:/o/t.mpg");
        row("ffmpeg, snapshot seeks the input", "-i|/v/a.flv|-y|-ss|12.340|-t|0.001|~tmpSP%03d.jpg",
            "-ss|12.340|-i|file:/v/a.flv|-t|0.001|-f|image2|-c:v|mjpeg|-q:v|2|-y|"
            "file:/w/~tmpSZ1-1-%03d.jpg");
        // Before the first keyframe a seek would land on the next one, seconds late.
        row("ffmpeg, snapshot in the first second decodes from the start",
            "-i|/v/a.flv|-y|-ss|0.500|-t|0.001|~tmpSP%03d.png",
            "-i|file:/v/a.flv|-ss|0.500|-t|0.001|-f|image2|-c:v|png|-y|file:/w/t-%03d.png");
        // A series: decoded once from its first moment, each picture the first frame at or
        // after its moment.
        row("ffmpeg, a series in one pass",
            "-i|/v/a.flv|-y|-ss|2.000,3.500|-t|0.001|~tmpSP%03d.png",
            "-ss|2.000000|-i|file:/v/a.flv|-map|0:v:0|-vf|select='(gte(t,0.000000)*(isnan(prev_t)+"
            "lt(prev_t,0.000000))+gte(t,1.500000)*(isnan(prev_t)+lt(prev_t,1.500000)))'|"
            "-fps_mode|passthrough|-frames:v|2|-f|image2|-c:v|png|-y|file:/w/t-%03d.png");
        row("ffmpeg, a series out of order", "-i|/v/a.flv|-y|-ss|3,2|~tmpSP%03d.png",
            "error: option -ss needs moments in seconds, ascending, separated by \",\"");
        row("ffmpeg, a series with a word in it", "-i|/v/a.flv|-y|-ss|1,x|~tmpSP%03d.png",
            "error: option -ss needs moments in seconds, ascending, separated by \",\"");
        row("ffmpeg, snapshot as gif pictures", "-i|/v/a.flv|-y|-ss|1|-t|0.001|~tmpSP%03d.gif",
            "-ss|1|-i|file:/v/a.flv|-t|0.001|-f|image2|-c:v|gif|-y|file:/w/t-%03d.gif");
        row("ffmpeg, copy keeps its seek on the output", "-i|/v/a.flv|-vcodec|copy|-ss|5|/o/b.flv",
            "(no -y) -i|file:/v/a.flv|-c:v|copy|-ss|5|-y|file:/o/t.flv");
        row("ffmpeg, seek before -i stays with the input", "-ss|5|-t|2|-i|/v/a.flv|-r|10|/o/b.avi",
            "(no -y) -ss|5|-t|2|-i|file:/v/a.flv|-r|10|-y|file:/o/t.avi");
        row("ffmpeg, one picture without a pattern", "-y|-i|/v/a.flv|-ss|3|/o/a.png",
            "-ss|3|-i|file:/v/a.flv|-c:v|png|-frames:v|1|-update|1|-y|file:/o/t.png");
        row("ffmpeg, unknown option", "-i|a.flv|-vf|scale=2|b.flv",
            "error: unknown option \"-vf\" (a file whose name begins with \"-\" must be given "
            "with its folder, e.g. ./-vf)");
        row("ffmpeg, two outputs", "-i|a.flv|b.flv|c.flv",
            "error: more than one output: \"b.flv\" and \"c.flv\"");
        row("ffmpeg, no input", "-y|b.flv", "error: no input (-i) given");
        row("ffmpeg, no output", "-y|-i|a.flv", "error: no output given");
        row("ffmpeg, input missing", "-y|-i", "error: option -i needs a file");
    }
    // The ffmpeg command line writing to the target its last argument names, or why refused.
    void translate() {
        const bool mencoder =
            !QString::fromLatin1(QTest::currentDataTag()).startsWith(u8("ffmpeg"));
        QFETCH(QString, args);
        QFETCH(QString, expected);
        QFETCH(QString, inputs);
        QFETCH(double, keyframe);
        const std::string target = expected.section(u'|', -1).mid(5).toStdString();
        exttool::MencoderJob mencoderJob;
        exttool::LegacyFfmpegJob ffmpegJob;
        std::string error;
        Args got;
        if (mencoder && exttool::parseMencoderArgs(split(args), mencoderJob, error)) {
            const Args in = split(inputs);
            QCOMPARE(mencoderJob.inputs.size(), in.size());
            got = exttool::mencoderFfmpegArgs(mencoderJob, in, in.size() > 1 ? "/tmp/list" : "",
                                              target, keyframe);
        } else if (!mencoder && exttool::parseLegacyFfmpegArgs(split(args), ffmpegJob, error)) {
            got = exttool::legacyFfmpegArgs(ffmpegJob, target);
        }
        // "(no -y)": the tool keeps an existing output rather than run ffmpeg.
        const QString keep = mencoder || ffmpegJob.overwrite ? QString() : u8("(no -y) ");
        QCOMPARE(
            error.empty() ? keep + afterPrefix(got) : u8("error: ") + QString::fromStdString(error),
            expected);
    }

    // The join's list, the keyframe probe and the picture number patterns.
    void helpers() {
        // The list names the files in order, in quotes that survive any name.
        QCOMPARE(
            QString::fromStdString(exttool::concatListText({"/w/~tmpSP001.vob", "/v/it's.vob"})),
            u8("ffconcat version 1.0\nfile 'file:/w/~tmpSP001.vob'\nfile "
               "'file:/v/it'\\''s.vob'\n"));

        // Times count from the media's start (0.057 s); the keyframe shown last
        // at or before the start is chosen, by its decoding time.
        const std::string text =
            "packet,10.080000,10.000000,K_\npacket,10.240000,10.040000,__\n"
            "packet,N/A,12.000000,K_\npacket,13.080000,13.000000,__\n"
            "packet,14.080000,14.000000,K_\nformat,0.057000\n";
        const auto seen = [](const exttool::KeyframeProbe& p) {
            return QString::number(p.found) + u8(" %1 %2 %3")
                                                  .arg(p.keyframe, 0, 'f', 3)
                                                  .arg(p.first, 0, 'f', 3)
                                                  .arg(p.last, 0, 'f', 3);
        };
        QCOMPARE(seen(exttool::readKeyframeProbe(text, 13)), u8("1 11.943 10.023 14.023"));
        QVERIFY(!exttool::readKeyframeProbe(text, 9).found);
        QCOMPARE(seen(exttool::readKeyframeProbe(std::string(), 9)), u8("0 0.000 -1.000 -1.000"));

        const auto expand = [](const char* pattern, int n) {
            return QString::fromStdString((exttool::isNumberPattern(pattern) ? "pattern " : "") +
                                          exttool::expandNumberPattern(pattern, n));
        };
        QCOMPARE(expand("~tmpSP%03d.jpg", 1), u8("pattern ~tmpSP001.jpg"));
        QCOMPARE(expand("~tmpSP%03d.jpg", 1234), u8("pattern ~tmpSP1234.jpg"));
        QCOMPARE(expand("a%%b%d.png", 12), u8("pattern a%b12.png"));
        QCOMPARE(expand("100%.flv", 1), u8("100%.flv"));
        QCOMPARE(expand("50%%d.png", 1), u8("50%d.png"));
    }
};

QTEST_GUILESS_MAIN(TestToolCommands)
#include "tst_toolcommands.moc"
