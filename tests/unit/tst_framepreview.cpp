// The seek bar's preview pictures, decoded on their own file handle: on FLV (with and without
// its keyframe list), MP4, MPEG and AVI the exact picture at a time is the frame ffmpeg
// decodes at that time and no neighbour of it, the quick picture is the keyframe at or before
// it; a file without an index is read a little per picture, not whole; a sound-only file, a
// stream, a missing, an empty or a cut-off file give no picture and no crash; a thousand
// requests in a row are answered with few pictures, the last request's among them; closing
// or destroying during a long decode stops it.
#include "TestSupport.h"
#include "core/media/FrameDecoder.h"
#include "core/media/FramePreview.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr int fps = 25;
constexpr int gop = 50;  // a keyframe every 2 s
constexpr int clipSeconds = 20;
const QSize pictureSize(160, 120);

// 20 s of test picture whose colours turn a little with every frame, so that no two
// neighbouring frames look alike, and a tone.
bool makeMedia(const QString& path, const QString& videoOptions, const QString& format) {
    QStringList args =
        u8("-nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=%1:duration=%2,"
           "hue=H=2*PI*t -f lavfi -i sine=frequency=440:sample_rate=44100:duration=%2")
            .arg(fps)
            .arg(clipSeconds)
            .split(u' ');
    args << videoOptions.split(u' ', Qt::SkipEmptyParts)
         << u8("-pix_fmt yuv420p -sc_threshold 0 -g %1 -keyint_min %1").arg(gop).split(u' ')
         << u8("-c:a libmp3lame -b:a 64k -f").split(u' ') << format << path;
    return testsupport::run(u8("ffmpeg"), args).exitCode == 0;
}

const QString x264 = u8("-c:v libx264 -preset veryfast -crf 18");

struct Container {
    QString file;
    bool byBytes = false;  // no index: seeks by byte position
};

// The times of the pictures ffprobe decodes, from the first, in the order shown; and those of
// the keyframes.
struct Times {
    QList<double> pictures;
    QList<double> keyframes;
};

Times pictureTimes(const QString& file) {
    const testsupport::RunResult r = testsupport::run(
        u8("ffprobe"),
        {u8("-v"), u8("error"), u8("-select_streams"), u8("v:0"), u8("-show_entries"),
         u8("frame=best_effort_timestamp_time,key_frame"), u8("-of"), u8("csv=p=0"), file});
    Times times;
    for (const QString& line : QString::fromUtf8(r.output).split(u'\n', Qt::SkipEmptyParts)) {
        // "key_frame,time", as ffprobe orders them.
        const QStringList fields = line.split(u',');
        times.pictures << fields.value(1).toDouble();
        if (fields.value(0) == u8("1")) {
            times.keyframes << fields.value(1).toDouble();
        }
    }
    std::sort(times.pictures.begin(), times.pictures.end());
    const double first = times.pictures.value(0);
    for (QList<double>* list : {&times.pictures, &times.keyframes}) {
        for (double& at : *list) {
            at -= first;
        }
    }
    return times;
}

// The index of the last time not after at.
qsizetype lastAtOrBefore(const QList<double>& times, double at) {
    return std::upper_bound(times.cbegin(), times.cend(), at + 1e-3) - times.cbegin() - 1;
}

// How far a picture is from the frame ffmpeg decodes as the index-th of the file.
double distance(const QImage& picture, const QString& file, qsizetype index, const QString& png) {
    return testsupport::meanDifference(
        picture.convertToFormat(QImage::Format_RGB32),
        testsupport::decodedFrame(file, static_cast<int>(index), png, pictureSize));
}

}  // namespace

Q_DECLARE_METATYPE(Container)
Q_DECLARE_METATYPE(FrameDecoder::Opened)

class TestFramePreview : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString media(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase();
    void exactFrame_data();
    void exactFrame();
    void keyframeAtOrBefore_data() { exactFrame_data(); }
    void keyframeAtOrBefore();
    void noIndexReadsLittle_data();
    void noIndexReadsLittle();
    void noPicture_data();
    void noPicture();
    void manyRequestsFewAnswers();
    void closeDuringDecode();
};

void TestFramePreview::initTestCase() {
    QVERIFY(m_dir.isValid());
    // A name with blanks, Chinese and a leading "-", as users name their files.
    QVERIFY(makeMedia(media(u8("-有 索引.flv")), x264 + u8(" -flvflags add_keyframe_index"),
                      u8("flv")));
    QVERIFY(makeMedia(media(u8("noindex.flv")), x264, u8("flv")));
    QVERIFY(makeMedia(media(u8("clip.mp4")), x264, u8("mp4")));
    QVERIFY(makeMedia(media(u8("clip.mpg")), u8("-c:v mpeg2video -q:v 2 -bf 2"), u8("mpeg")));
    QVERIFY(makeMedia(media(u8("clip.avi")), u8("-c:v mpeg4 -q:v 2 -bf 0"), u8("avi")));
}

void TestFramePreview::exactFrame_data() {
    QTest::addColumn<Container>("container");
    QTest::newRow("flv with keyframe list") << Container{u8("-有 索引.flv"), false};
    QTest::newRow("flv without keyframe list") << Container{u8("noindex.flv"), true};
    QTest::newRow("mp4") << Container{u8("clip.mp4"), false};
    QTest::newRow("mpeg") << Container{u8("clip.mpg"), false};
    QTest::newRow("avi") << Container{u8("clip.avi"), false};
}

// The picture at a time is that frame: closer to it than to the frames before and after.
void TestFramePreview::exactFrame() {
    QFETCH(Container, container);
    const QString file = media(container.file);
    FrameDecoder decoder;
    QCOMPARE(decoder.open(file), FrameDecoder::Opened::Ok);
    QCOMPARE(decoder.seeksByBytes(), container.byBytes);
    const Times times = pictureTimes(file);
    QCOMPARE(times.pictures.size(), clipSeconds * fps);
    // Inside a group of pictures, on a keyframe, the first and the last frame.
    for (const int frame : {0, 87, 150, 333, clipSeconds * fps - 1}) {
        const double at = times.pictures.at(frame);
        const FrameDecoder::Picture picture = decoder.frameAt(at);
        QVERIFY2(!picture.image.isNull(), qPrintable(u8("frame %1").arg(frame)));
        QCOMPARE(picture.image.size(), pictureSize);
        QVERIFY2(std::abs(picture.seconds - at) < 0.002,
                 qPrintable(u8("frame %1 shows %2 s").arg(frame).arg(picture.seconds)));
        const QString png = media(u8("frame.png"));
        const double same = distance(picture.image, file, frame, png);
        QVERIFY2(same < 6.0, qPrintable(u8("frame %1 differs by %2").arg(frame).arg(same)));
        for (const int other : {frame - 1, frame + 1}) {
            if (other < 0 || other >= clipSeconds * fps) {
                continue;
            }
            const double apart = distance(picture.image, file, other, png);
            QVERIFY2(apart > same + 2.0,
                     qPrintable(u8("frame %1 looks like frame %2 (%3 against %4)")
                                    .arg(frame)
                                    .arg(other)
                                    .arg(apart)
                                    .arg(same)));
        }
    }
}

// The quick picture is the keyframe at or before the time, whatever came before it.
void TestFramePreview::keyframeAtOrBefore() {
    QFETCH(Container, container);
    const QString file = media(container.file);
    FrameDecoder decoder;
    QCOMPARE(decoder.open(file), FrameDecoder::Opened::Ok);
    const Times times = pictureTimes(file);
    QCOMPARE(times.pictures.size(), clipSeconds * fps);
    QVERIFY(times.keyframes.size() >= 8);
    for (const double at : {13.7, 2.0, 19.9, 0.5, 7.96, 12.1}) {
        const FrameDecoder::Picture picture = decoder.keyframeAt(at);
        QVERIFY2(!picture.image.isNull(), qPrintable(u8("at %1 s").arg(at)));
        const double keyframe = times.keyframes.at(lastAtOrBefore(times.keyframes, at));
        QVERIFY2(std::abs(picture.seconds - keyframe) < 0.002,
                 qPrintable(u8("at %1 s the keyframe of %2 s, not %3 s")
                                .arg(at)
                                .arg(picture.seconds)
                                .arg(keyframe)));
        const double same = distance(picture.image, file, lastAtOrBefore(times.pictures, keyframe),
                                     media(u8("key.png")));
        QVERIFY2(same < 6.0, qPrintable(u8("at %1 s differs by %2").arg(at).arg(same)));
    }
}

// Without a keyframe list a picture near the end reads a small part of the file, not all
// that comes before it, and a budget too small for it gives no picture instead of reading on.
void TestFramePreview::noIndexReadsLittle_data() {
    QTest::addColumn<QString>("source");  // ffmpeg's lavfi source
    QTest::addColumn<int>("gop");         // seconds between keyframes
    QTest::addColumn<QList<double>>("places");
    QTest::newRow("two minutes, 25 pictures a second")
        << u8("testsrc=size=320x240:rate=25:duration=120") << 2
        << QList<double>{110.5, 61.1, 117.3, 3.3};
    // Ten hours in small pictures, one a second: a picture near the end costs what one
    // near the start does.
    QTest::newRow("ten hours") << u8("testsrc=size=64x48:rate=1:duration=36000") << 600
                               << QList<double>{35999.0, 18000.4, 35400.0, 3.3};
}

void TestFramePreview::noIndexReadsLittle() {
    QFETCH(QString, source);
    QFETCH(int, gop);
    QFETCH(QList<double>, places);
    const double fps = source.contains(u8("rate=25")) ? 25.0 : 1.0;
    const QString file = media(u8("no index.flv"));
    QVERIFY(testsupport::run(u8("ffmpeg"), u8("-nostdin -v error -y -f lavfi -i %1 -c:v libx264 "
                                              "-preset ultrafast -g %2 -f flv")
                                                   .arg(source)
                                                   .arg(gop * fps)
                                                   .split(u' ')
                                               << file)
                .exitCode == 0);
    const qint64 size = QFileInfo(file).size();
    FrameDecoder decoder;
    QCOMPARE(decoder.open(file), FrameDecoder::Opened::Ok);
    QVERIFY(decoder.seeksByBytes());
    for (const double at : std::as_const(places)) {
        const FrameDecoder::Picture picture = decoder.keyframeAt(at);
        QCOMPARE(picture.seconds, gop * std::floor(at / gop));
        QVERIFY2(decoder.lastBytesRead() < size / 4,
                 qPrintable(u8("%1 of %2 bytes read").arg(decoder.lastBytesRead()).arg(size)));
        QVERIFY2(!decoder.frameAt(at).image.isNull(),
                 qPrintable(u8("no picture at %1 s: %2 packets, %3 bytes")
                                .arg(at)
                                .arg(decoder.lastPacketsDecoded())
                                .arg(decoder.lastBytesRead())));
        QVERIFY2(decoder.lastBytesRead() < size / 4,
                 qPrintable(u8("%1 of %2 bytes read").arg(decoder.lastBytesRead()).arg(size)));
    }
    if (gop != 2) {
        return;
    }
    FrameDecoder::Limits tight;
    tight.maxPackets = 5;
    FrameDecoder small(tight);
    QCOMPARE(small.open(file), FrameDecoder::Opened::Ok);
    QVERIFY(small.frameAt(17.9).image.isNull());
    QVERIFY(small.lastPacketsDecoded() <= tight.maxPackets + 1);
    // It still answers what fits: the first keyframe.
    QVERIFY(!small.keyframeAt(0.0).image.isNull());
}

void TestFramePreview::noPicture_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<FrameDecoder::Opened>("opened");
    QTest::newRow("sound only") << testsupport::media(u8("clip.mp3"))
                                << FrameDecoder::Opened::NoVideo;
    QTest::newRow("stream") << u8("http://127.0.0.1:9/live.flv") << FrameDecoder::Opened::NoVideo;
    QTest::newRow("missing") << media(u8("missing.flv")) << FrameDecoder::Opened::Failed;
    QTest::newRow("empty") << testsupport::media(u8("bad/empty.flv"))
                           << FrameDecoder::Opened::Failed;
    QTest::newRow("text") << testsupport::media(u8("bad/text/clip.flv"))
                          << FrameDecoder::Opened::Failed;
    QTest::newRow("folder") << m_dir.path() << FrameDecoder::Opened::Failed;
}

void TestFramePreview::noPicture() {
    QFETCH(QString, file);
    QFETCH(FrameDecoder::Opened, opened);
    FrameDecoder decoder;
    QCOMPARE(decoder.open(file), opened);
    QVERIFY(decoder.keyframeAt(5.0).image.isNull());
    QVERIFY(decoder.frameAt(5.0).image.isNull());
}

// The pointer racing over the bar: a thousand requests, few pictures, the last one answered
// with its own picture; the file cut off in the middle still answers its first half.
void TestFramePreview::manyRequestsFewAnswers() {
    FramePreview preview;
    QList<FramePreview::Result> results;
    connect(&preview, &FramePreview::pictureReady, this,
            [&results](const FramePreview::Result& result) { results << result; });
    preview.open(media(u8("clip.mp4")));
    QTRY_COMPARE_WITH_TIMEOUT(preview.state(), FramePreview::State::Ready, 10000);
    quint64 last = 0;
    for (int i = 0; i < 1000; ++i) {
        last = preview.request(i * 0.0199, FramePreview::Precision::Keyframe);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!results.isEmpty() && results.constLast().id == last, 10000);
    QVERIFY2(results.size() <= 10, qPrintable(u8("%1 pictures").arg(results.size())));
    QCOMPARE(results.constLast().shown, 18.0);
    QCOMPARE(results.constLast().picture.size(), pictureSize);

    // A cut-off FLV: a picture from what is there, none past its end, no crash.
    preview.open(testsupport::media(u8("bad/truncated.flv")));
    QTRY_COMPARE_WITH_TIMEOUT(preview.state(), FramePreview::State::Ready, 10000);
    results.clear();
    const quint64 early = preview.request(4.0, FramePreview::Precision::Exact);
    QTRY_VERIFY_WITH_TIMEOUT(!results.isEmpty(), 10000);
    QCOMPARE(results.constLast().id, early);
    QVERIFY(!results.constLast().picture.isNull());
    const quint64 late = preview.request(29.0, FramePreview::Precision::Exact);
    QTRY_VERIFY_WITH_TIMEOUT(results.constLast().id == late, 10000);
}

// A long exact decode given up: closing the file stops it and nothing of it arrives; the
// next file answers; destroying the object in the middle of a decode returns.
void TestFramePreview::closeDuringDecode() {
    const QString longClip = media(u8("long.flv"));
    // One keyframe in 60 s: an exact picture near the end decodes 1,500 frames.
    QVERIFY(testsupport::run(u8("ffmpeg"), u8("-nostdin -v error -y -f lavfi -i "
                                              "testsrc=size=640x480:rate=25:duration=60 -c:v "
                                              "libx264 -preset ultrafast -g 1500 -f flv")
                                                   .split(u' ')
                                               << longClip)
                .exitCode == 0);
    FrameDecoder::Limits roomy;
    roomy.maxPackets = 4000;
    auto preview = std::make_unique<FramePreview>(roomy);
    QList<FramePreview::Result> results;
    connect(preview.get(), &FramePreview::pictureReady, this,
            [&results](const FramePreview::Result& result) { results << result; });
    preview->open(longClip);
    QTRY_COMPARE_WITH_TIMEOUT(preview->state(), FramePreview::State::Ready, 10000);
    preview->request(59.0, FramePreview::Precision::Exact);
    preview->close();
    QCOMPARE(preview->state(), FramePreview::State::Closed);
    preview->open(media(u8("clip.mp4")));
    const quint64 next = preview->request(3.0, FramePreview::Precision::Keyframe);
    QTRY_VERIFY_WITH_TIMEOUT(!results.isEmpty(), 10000);
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.constFirst().id, next);
    QCOMPARE(results.constFirst().shown, 2.0);

    preview->open(longClip);
    QTRY_COMPARE_WITH_TIMEOUT(preview->state(), FramePreview::State::Ready, 10000);
    preview->request(59.5, FramePreview::Precision::Exact);
    preview.reset();
}

QTEST_GUILESS_MAIN(TestFramePreview)
#include "tst_framepreview.moc"
