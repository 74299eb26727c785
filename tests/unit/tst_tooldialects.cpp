#include "FfmpegCommon.h"
#include "KeyframeProbe.h"
#include "LegacyFfmpegJob.h"
#include "MencoderJob.h"
#include "ToolPaths.h"

#include <QDir>
#include <QTest>

#include <string>
#include <vector>

// How the tool program reads the old MEncoder and FFmpeg options and what it
// hands to today's ffmpeg.
class TestToolDialects : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void mencoderRejects_data();
    void mencoderRejects();
    void mencoderCut();
    void mencoderJoin();
    void keyframeProbe();
    void cutFromKnownKeyframe();
    void legacyFfmpeg_data();
    void legacyFfmpeg();
    void legacyRejects_data();
    void legacyRejects();
    void numberPattern_data();
    void numberPattern();

private:
    std::string m_cwd;
};

namespace {

using Args = std::vector<std::string>;

Args split(const char* joined) {
    Args out;
    std::string cur;
    for (const char* p = joined; *p != '\0'; ++p) {
        if (*p == '|') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    out.push_back(cur);
    return out;
}

QStringList toQt(const Args& a) {
    QStringList out;
    for (const std::string& s : a) {
        out << QString::fromStdString(s);
    }
    return out;
}

// The part of an ffmpeg command line after the common quiet/progress options.
QStringList afterPrefix(const Args& a) {
    const Args prefix = exttool::ffmpegPrefix();
    return toQt(Args(a.begin() + static_cast<std::ptrdiff_t>(prefix.size()), a.end()));
}

}  // namespace

void TestToolDialects::initTestCase() {
    // Relative names are made absolute against the current folder.
    m_cwd = QDir::currentPath().toStdString();
    QCOMPARE(exttool::ffmpegPrefix().front(), std::string("ffmpeg"));
}

void TestToolDialects::mencoderRejects_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("reason");
    QTest::newRow("video codec") << QStringLiteral("-ovc|lavc|-o|a.avi|b.avi")
                                 << QStringLiteral("only \"-ovc copy\" is supported, not \"lavc\"");
    QTest::newRow("audio codec") << QStringLiteral("-oac|faac|-o|a.avi|b.avi")
                                 << QStringLiteral(
                                        "only \"-oac copy\" and \"-oac mp3lame\" are "
                                        "supported, not \"faac\"");
    QTest::newRow("dash name") << QStringLiteral("-o|a.flv|-clip.flv")
                               << QStringLiteral(
                                      "unknown option \"-clip.flv\" (a file whose name "
                                      "begins with \"-\" must be given with its "
                                      "folder, e.g. ./-clip.flv)");
    QTest::newRow("no output") << QStringLiteral("-ovc|copy|b.avi")
                               << QStringLiteral("no output (-o) given");
    QTest::newRow("no input") << QStringLiteral("-o|a.avi") << QStringLiteral("no input given");
    QTest::newRow("bad time") << QStringLiteral("-ss|1.5:20|-o|a.avi|b.avi")
                              << QStringLiteral("bad time for -ss: \"1.5:20\"");
    QTest::newRow("missing value") << QStringLiteral("-o|a.avi|b.avi|-endpos")
                                   << QStringLiteral("option -endpos needs a value");
    QTest::newRow("bad bitrate") << QStringLiteral("-oac|mp3lame|-lameopts|br=fast|-o|a.avi|b.avi")
                                 << QStringLiteral("bad -lameopts \"br=fast\"");
}

void TestToolDialects::mencoderRejects() {
    QFETCH(QString, args);
    QFETCH(QString, reason);
    exttool::MencoderJob job;
    std::string error;
    QVERIFY(!exttool::parseMencoderArgs(split(args.toUtf8().constData()), job, error));
    QCOMPARE(QString::fromStdString(error), reason);
}

void TestToolDialects::mencoderCut() {
    exttool::MencoderJob job;
    std::string error;
    QVERIFY(exttool::parseMencoderArgs(
        split("-mc|1|-ovc|copy|-oac|mp3lame|-lameopts|cbr:br=96|-ss|12|-endpos|0:09|-o|"
              "~tmpSP001.mpg|/v/a b.mpg"),
        job, error));
    QCOMPARE(job.start, 12.0);
    QCOMPARE(job.length, 9.0);
    QVERIFY(job.mp3Audio);
    QCOMPARE(job.mp3Bitrate, std::string("96"));

    // Seeking a little past the start and shortening the length by as much
    // makes the cut begin on the keyframe at or before 12 s and end at 21 s.
    const Args a = exttool::mencoderFfmpegArgs(job, {"/v/a b.mpg"}, "", "/out/~tmpSZ1-1.mpg");
    QCOMPARE(afterPrefix(a),
             toQt(split("-ss|12.130435|-i|file:/v/a b.mpg|-t|8.869565|-map|0:v:0?|-map|0:a:0?|"
                        "-c:v|copy|-c:a|libmp3lame|-b:a|96k|-f|mpeg|-y|file:/out/~tmpSZ1-1.mpg")));

    // A plain copy from the start, into a container ffmpeg names itself.
    exttool::MencoderJob whole;
    QVERIFY(
        exttool::parseMencoderArgs(split("-ovc|copy|-oac|copy|-o|out.mp4|in:1.mp4"), whole, error));
    const Args b = exttool::mencoderFfmpegArgs(whole, {"/v/in:1.mp4"}, "", "/out/t.mp4");
    QCOMPARE(afterPrefix(b), toQt(split("-i|file:/v/in:1.mp4|-map|0:v:0?|-map|0:a:0?|-c:v|copy|"
                                        "-c:a|copy|-y|file:/out/t.mp4")));
}

void TestToolDialects::mencoderJoin() {
    exttool::MencoderJob job;
    std::string error;
    QVERIFY(exttool::parseMencoderArgs(
        split("-mc|1|-ovc|copy|-oac|copy|-o|~tmpSJoin.vob|~tmpSP001.vob|/v/it's.vob"), job, error));
    QCOMPARE(job.inputs.size(), std::size_t(2));
    QCOMPARE(job.start, 0.0);
    QVERIFY(job.length < 0);

    const std::string first = m_cwd + "/~tmpSP001.vob";
    QCOMPARE(QString::fromStdString(exttool::concatListText({first, "/v/it's.vob"})),
             QString::fromStdString("ffconcat version 1.0\nfile 'file:" + first +
                                    "'\nfile 'file:/v/it'\\''s.vob'\n"));

    // Each input is opened on its own before the concatenation, which is the
    // third input and the only one read.
    const Args a =
        exttool::mencoderFfmpegArgs(job, {first, "/v/it's.vob"}, "/tmp/list", "/out/t.vob");
    QCOMPARE(afterPrefix(a),
             toQt(split(("-i|file:" + first +
                         "|-i|file:/v/it's.vob|-f|concat|-safe|0|-i|file:/tmp/list|-map|2:v:0?|"
                         "-map|2:a:0?|-c:v|copy|-c:a|copy|-f|vob|-y|file:/out/t.vob")
                            .c_str())));
}

void TestToolDialects::keyframeProbe() {
    // Times count from the media's start (0.057 s here); the keyframe shown
    // last at or before the start is chosen, by its decoding time.
    const std::string text =
        "packet,10.080000,10.000000,K_\n"
        "packet,10.240000,10.040000,__\n"
        "packet,N/A,12.000000,K_\n"
        "packet,13.080000,13.000000,__\n"
        "packet,14.080000,14.000000,K_\n"
        "format,0.057000\n";
    exttool::KeyframeProbe p = exttool::readKeyframeProbe(text, 13);
    QVERIFY(p.found);
    QCOMPARE(QString::number(p.keyframe, 'f', 3), QStringLiteral("11.943"));
    QCOMPARE(QString::number(p.first, 'f', 3), QStringLiteral("10.023"));
    QCOMPARE(QString::number(p.last, 'f', 3), QStringLiteral("14.023"));

    p = exttool::readKeyframeProbe(text, 9);
    QVERIFY(!p.found);
    p = exttool::readKeyframeProbe(std::string(), 9);
    QVERIFY(!p.found);
    QCOMPARE(p.first, -1.0);
}

void TestToolDialects::cutFromKnownKeyframe() {
    exttool::MencoderJob job;
    std::string error;
    QVERIFY(exttool::parseMencoderArgs(split("-ss|13|-endpos|6|-o|a.mpg|/v/b.mpg"), job, error));
    // Sought half a second early, then everything before the keyframe is
    // dropped, and the copy ends at 19 s.
    QCOMPARE(afterPrefix(exttool::mencoderFfmpegArgs(job, {"/v/b.mpg"}, "", "/o/t.mpg", 11.943)),
             toQt(split("-ss|11.443000|-i|file:/v/b.mpg|-ss|0.499500|-t|7.057500|-map|0:v:0?|"
                        "-map|0:a:0?|-c:v|copy|-c:a|copy|-f|mpeg|-y|file:/o/t.mpg")));

    // A QuickTime output hides what lies before the start itself.
    exttool::MencoderJob mp4;
    QVERIFY(exttool::parseMencoderArgs(split("-ss|12|-endpos|6|-o|a.mp4|/v/b.mp4"), mp4, error));
    QCOMPARE(afterPrefix(exttool::mencoderFfmpegArgs(mp4, {"/v/b.mp4"}, "", "/o/t.mp4")),
             toQt(split("-ss|12.000000|-i|file:/v/b.mp4|-t|6.000000|-map|0:v:0?|-map|0:a:0?|"
                        "-c:v|copy|-c:a|copy|-y|file:/o/t.mp4")));
}

void TestToolDialects::legacyFfmpeg_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("overwrite");

    QTest::newRow("remux, codecs before -i")
        << QStringLiteral("-y|-vcodec|copy|-acodec|copy|-i|/v/~tmpSP001.flv|~fix~tmpSP001.flv")
        << QStringLiteral("/w/~tmpSZ1-1.flv")
        << QStringLiteral("-i|file:/v/~tmpSP001.flv|-c:v|copy|-c:a|copy|-y|file:/w/~tmpSZ1-1.flv")
        << true;
    QTest::newRow("encode, bit rates in kbit/s")
        << QStringLiteral(
               "-y|-i|/v/a.flv|-vcodec|wmv2|-s|320x240|-r|25|-b|200|-ar|22050|-ab|64|"
               "-ac|2|/o/a.wmv")
        << QStringLiteral("/o/t.wmv")
        << QStringLiteral(
               "-i|file:/v/a.flv|-c:v|wmv2|-s|320x240|-r|25|-b:v|200k|-ar|22050|-b:a|"
               "64k|-ac|2|-y|file:/o/t.wmv")
        << true;
    QTest::newRow("bit rate with a unit kept")
        << QStringLiteral("-i|/v/a.flv|-b|1.5M|-ab|96k|/o/a.avi") << QStringLiteral("/o/t.avi")
        << QStringLiteral("-i|file:/v/a.flv|-b:v|1.5M|-b:a|96k|-y|file:/o/t.avi") << false;
    QTest::newRow("audio only, into an mpeg file")
        << QStringLiteral("-y|-i|/v/a.flv|-vn|-ar|22050|-ab|64|-ac|1|/o/a.mpg")
        << QStringLiteral("/o/t.mpg")
        << QStringLiteral("-i|file:/v/a.flv|-vn|-ar|22050|-b:a|64k|-ac|1|-f|mpeg|-y|file:/o/t.mpg")
        << true;
    QTest::newRow("snapshot seeks the input")
        << QStringLiteral("-i|/v/a.flv|-y|-ss|12.340|-t|0.001|~tmpSP%03d.jpg")
        << QStringLiteral("/w/~tmpSZ1-1-%03d.jpg")
        << QStringLiteral(
               "-ss|12.340|-i|file:/v/a.flv|-t|0.001|-f|image2|-c:v|mjpeg|-q:v|2|-y|"
               "file:/w/~tmpSZ1-1-%03d.jpg")
        << true;
    QTest::newRow("snapshot as gif pictures")
        << QStringLiteral("-i|/v/a.flv|-y|-ss|1|-t|0.001|~tmpSP%03d.gif")
        << QStringLiteral("/w/t-%03d.gif")
        << QStringLiteral(
               "-ss|1|-i|file:/v/a.flv|-t|0.001|-f|image2|-c:v|gif|-y|file:/w/t-%03d.gif")
        << true;
    QTest::newRow("copy keeps its seek on the output")
        << QStringLiteral("-i|/v/a.flv|-vcodec|copy|-ss|5|/o/b.flv") << QStringLiteral("/o/t.flv")
        << QStringLiteral("-i|file:/v/a.flv|-c:v|copy|-ss|5|-y|file:/o/t.flv") << false;
    QTest::newRow("seek before -i stays with the input")
        << QStringLiteral("-ss|5|-t|2|-i|/v/a.flv|-r|10|/o/b.avi") << QStringLiteral("/o/t.avi")
        << QStringLiteral("-ss|5|-t|2|-i|file:/v/a.flv|-r|10|-y|file:/o/t.avi") << false;
    QTest::newRow("one picture without a pattern")
        << QStringLiteral("-y|-i|/v/a.flv|-ss|3|/o/a.png") << QStringLiteral("/o/t.png")
        << QStringLiteral("-ss|3|-i|file:/v/a.flv|-c:v|png|-frames:v|1|-update|1|-y|file:/o/t.png")
        << true;
}

void TestToolDialects::legacyFfmpeg() {
    QFETCH(QString, args);
    QFETCH(QString, target);
    QFETCH(QString, expected);
    QFETCH(bool, overwrite);
    exttool::LegacyFfmpegJob job;
    std::string error;
    QVERIFY2(exttool::parseLegacyFfmpegArgs(split(args.toUtf8().constData()), job, error),
             error.c_str());
    QCOMPARE(job.overwrite, overwrite);
    QCOMPARE(afterPrefix(exttool::legacyFfmpegArgs(job, target.toStdString())),
             expected.split(QLatin1Char('|')));
}

void TestToolDialects::legacyRejects_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unknown option") << QStringLiteral("-i|a.flv|-vf|scale=2|b.flv")
                                    << QStringLiteral(
                                           "unknown option \"-vf\" (a file whose name "
                                           "begins with \"-\" must be given with its "
                                           "folder, e.g. ./-vf)");
    QTest::newRow("two outputs") << QStringLiteral("-i|a.flv|b.flv|c.flv")
                                 << QStringLiteral("more than one output: \"b.flv\" and \"c.flv\"");
    QTest::newRow("no input") << QStringLiteral("-y|b.flv")
                              << QStringLiteral("no input (-i) given");
    QTest::newRow("no output") << QStringLiteral("-y|-i|a.flv")
                               << QStringLiteral("no output given");
    QTest::newRow("input missing")
        << QStringLiteral("-y|-i") << QStringLiteral("option -i needs a file");
}

void TestToolDialects::legacyRejects() {
    QFETCH(QString, args);
    QFETCH(QString, reason);
    exttool::LegacyFfmpegJob job;
    std::string error;
    QVERIFY(!exttool::parseLegacyFfmpegArgs(split(args.toUtf8().constData()), job, error));
    QCOMPARE(QString::fromStdString(error), reason);
}

void TestToolDialects::numberPattern_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("isPattern");
    QTest::addColumn<QString>("expanded");
    QTest::newRow("three digits") << QStringLiteral("~tmpSP%03d.jpg") << 1 << true
                                  << QStringLiteral("~tmpSP001.jpg");
    QTest::newRow("wider number") << QStringLiteral("~tmpSP%03d.jpg") << 1234 << true
                                  << QStringLiteral("~tmpSP1234.jpg");
    QTest::newRow("plain field") << QStringLiteral("a%%b%d.png") << 12 << true
                                 << QStringLiteral("a%b12.png");
    QTest::newRow("percent sign only")
        << QStringLiteral("100%.flv") << 1 << false << QStringLiteral("100%.flv");
    QTest::newRow("escaped percent")
        << QStringLiteral("50%%d.png") << 1 << false << QStringLiteral("50%d.png");
}

void TestToolDialects::numberPattern() {
    QFETCH(QString, pattern);
    QFETCH(int, n);
    QFETCH(bool, isPattern);
    QFETCH(QString, expanded);
    QCOMPARE(exttool::isNumberPattern(pattern.toStdString()), isPattern);
    QCOMPARE(QString::fromStdString(exttool::expandNumberPattern(pattern.toStdString(), n)),
             expanded);
}

QTEST_GUILESS_MAIN(TestToolDialects)
#include "tst_tooldialects.moc"
