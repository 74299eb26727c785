#include "FfmpegCommon.h"
#include "KeyframeProbe.h"
#include "LegacyFfmpegJob.h"
#include "MencoderJob.h"
#include "ToolPaths.h"

#include <QTest>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

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

// How the tool program reads the old MEncoder and FFmpeg options and what it
// hands to today's ffmpeg.
class TestToolDialects : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
            return QString::number(p.found) + QStringLiteral(" %1 %2 %3")
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

QTEST_GUILESS_MAIN(TestToolDialects)
#include "tst_tooldialects.moc"
