// The cutting tool's frame-exact cut ("-exact FROM,TO") on generated H.264 with long
// groups of pictures, with and without reordered pictures (B-frames), in FLV, MP4 and MKV:
// every output holds exactly the marked pictures, the copied ones bit for bit and the
// encoded ones close to the source, with no picture missing or repeated at a seam, the
// sound in step at both ends, a clean decode, and FLV metadata that passes its check.
// Sources the cut cannot match fall back to the keyframe cut and say why.
#include "AvcConfig.h"
#include "ExactCheck.h"
#include "TestSupport.h"
#include "core/media/MciInterpreter.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cmath>

namespace {

constexpr int fps = 25;
constexpr int gop = 75;  // 3 s: a long group of pictures, so the seams fall inside them
const double frameLength = 1.0 / fps;

// 8 s of moving picture (every picture differs) and a tone.
bool makeSource(const QString& path, const QStringList& videoOptions) {
    QStringList args =
        u8("-nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=8 "
           "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=8")
            .split(u' ');
    args << videoOptions << u8("-c:a") << u8("aac") << u8("-b:a") << u8("96k") << path;
    return testsupport::run(u8("ffmpeg"), args).exitCode == 0;
}

QStringList h264(int bframes) {
    return u8("-c:v libx264 -preset veryfast -pix_fmt yuv420p -sc_threshold 0 -g %1 "
              "-keyint_min %1 -bf %2")
        .arg(gop)
        .arg(bframes)
        .split(u' ');
}

}  // namespace

class TestExactCut : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString media(const QString& name) const { return m_dir.filePath(name); }

    // The tool's cut of frames [first, end) of source into out; its output.
    testsupport::RunResult cut(const QString& source, int first, int end, const QString& out) {
        const double from = first * frameLength;
        const double to = end * frameLength;
        const int ss = static_cast<int>(from);
        const int length = static_cast<int>(std::ceil(to)) - ss;
        return testsupport::run(
            testsupport::binDir() + u8("/ZelvoToolFLV"),
            {u8("~tmpExtMcd"), u8("-mc"), u8("1"), u8("-ovc"), u8("copy"), u8("-oac"), u8("copy"),
             u8("-exact"), QString::number(from, 'f', 3) + u8(",") + QString::number(to, 'f', 3),
             u8("-ss"), QString::number(ss), u8("-endpos"), QString::number(length), u8("-o"), out,
             source});
    }

private Q_SLOTS:
    void initTestCase() {
        std::setlocale(LC_NUMERIC, "C");
        MciInterpreter::instance().setAudioOutput(u8("null"));
        QVERIFY(m_dir.isValid());
        QVERIFY(makeSource(media(u8("plain.flv")), h264(0)));
        QVERIFY(makeSource(media(u8("reordered.flv")), h264(3)));
        QVERIFY(makeSource(media(u8("reordered.mp4")), h264(3)));
        QVERIFY(makeSource(media(u8("plain.mkv")), h264(0)));
        QVERIFY(makeSource(media(u8("sorenson.flv")), u8("-c:v flv1 -q:v 5").split(u' ')));
        QVERIFY(makeSource(media(u8("tenbit.flv")),
                           u8("-c:v libx264 -preset ultrafast -pix_fmt yuv420p10le").split(u' ')));
    }

    void exactRanges_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("end");     // the first picture left out
        QTest::addColumn<int>("copied");  // pictures that must be copied as they are
        // Keyframes every 75 pictures (0, 75, 150). Without reordering the end is copied
        // up to the mark; with it, from the last keyframe on it is encoded again.
        QTest::newRow("flv across a keyframe") << u8("plain.flv") << 30 << 112 << 37;
        QTest::newRow("flv over a whole group") << u8("plain.flv") << 10 << 190 << 115;
        QTest::newRow("flv inside one group") << u8("plain.flv") << 80 << 120 << 0;
        QTest::newRow("flv one picture") << u8("plain.flv") << 101 << 102 << 0;
        QTest::newRow("flv from the first picture") << u8("plain.flv") << 0 << 40 << 40;
        QTest::newRow("flv to the last picture") << u8("plain.flv") << 170 << 200 << 0;
        QTest::newRow("b-frames flv") << u8("reordered.flv") << 30 << 170 << 75;
        QTest::newRow("b-frames flv on keyframes") << u8("reordered.flv") << 75 << 150 << 75;
        QTest::newRow("b-frames flv inside one group") << u8("reordered.flv") << 155 << 160 << 0;
        QTest::newRow("b-frames mp4") << u8("reordered.mp4") << 40 << 160 << 75;
        QTest::newRow("mkv") << u8("plain.mkv") << 20 << 100 << 25;
    }
    void exactRanges() {
        QFETCH(QString, source);
        QFETCH(int, first);
        QFETCH(int, end);
        QFETCH(int, copied);
        const QString src = media(source);
        const QString out = media(u8("cut %1-%2 ").arg(first).arg(end) + source);
        const testsupport::RunResult r = cut(src, first, end, out);
        QVERIFY2(r.exitCode == 0, r.output.constData());
        QVERIFY2(!r.output.contains("note="), r.output.constData());

        const testsupport::Exactness e = testsupport::exactness(src, out, first);
        QVERIFY2(e.error.isEmpty(), qPrintable(e.error));
        QCOMPARE(e.pictures, end - first);
        // Copied pictures are the source's bytes; the others are close to them, and a
        // picture missing or repeated at a seam would put the wrong one beside its place.
        QVERIFY2(e.identical >= copied, qPrintable(QString::number(e.identical)));
        QVERIFY2(e.lowestPsnr >= 40.0, qPrintable(QString::number(e.lowestPsnr)));
        QCOMPARE(testsupport::decodeErrors(out), QString());
        if (source.endsWith(u8(".flv"))) {
            const testsupport::RunResult check =
                testsupport::run(u8("flvmeta"), {u8("--check"), out});
            QVERIFY2(check.exitCode == 0, check.output.constData());
        }
        // The sound covers the pictures' time to within one sound frame at either end.
        const testsupport::StreamSpan s = testsupport::streamSpan(out, frameLength);
        QVERIFY(s.soundFrame > 0);
        QVERIFY2(std::abs(s.soundStart - s.videoStart) <= s.soundFrame &&
                     std::abs(s.soundEnd - s.videoEnd) <= s.soundFrame,
                 qPrintable(u8("video %1-%2, sound %3-%4")
                                .arg(s.videoStart)
                                .arg(s.videoEnd)
                                .arg(s.soundStart)
                                .arg(s.soundEnd)));
    }

    // The player's own engine seeks in a frame-exact cut to the picture asked for: ten
    // places, on and around its seams (encoded pictures up to 74, copied from 75 on in the
    // source, 45 and on in the cut), at the start and one before the end (a seek to any
    // file's very last picture lands a frame past it).
    void playerSeeks() {
        const QString out = media(u8("seeks.flv"));
        QCOMPARE(cut(media(u8("reordered.flv")), 30, 170, out).exitCode, 0);
        const auto mci = [](const QString& command) { return testsupport::mci(command); };
        QCOMPARE(mci(u8("open \"%1\" type mpegvideo alias x parent 0 style child").arg(out)),
                 QString());
        QCOMPARE(mci(u8("set x time format frames")), QString());
        // 140 pictures, the first shown after the reordering delay (2 pictures).
        const int length = mci(u8("status x length")).toInt();
        QVERIFY2(length >= 140 && length <= 142, qPrintable(QString::number(length)));
        for (const int frame : {0, 1, 44, 45, 46, 80, 119, 120, 121, 138}) {
            QCOMPARE(mci(u8("seek x to %1").arg(frame)), QString());
            QCOMPARE(mci(u8("status x position")), QString::number(frame));
        }
        mci(u8("close x"));
    }

    // Two pieces of one source carry the same decoder configuration, so they join by
    // copy; the join plays without a broken picture.
    void piecesJoin() {
        const QString src = media(u8("reordered.flv"));
        const QString a = media(u8("a.flv"));
        const QString b = media(u8("b.flv"));
        QCOMPARE(cut(src, 20, 60, a).exitCode, 0);
        QCOMPARE(cut(src, 100, 130, b).exitCode, 0);
        const QString joined = media(u8("joined.flv"));
        const testsupport::RunResult r =
            testsupport::run(testsupport::binDir() + u8("/ZelvoToolFLV"),
                             {u8("~tmpExtMcd"), u8("-mc"), u8("1"), u8("-ovc"), u8("copy"),
                              u8("-oac"), u8("copy"), u8("-o"), joined, a, b});
        QVERIFY2(r.exitCode == 0, r.output.constData());
        QCOMPARE(testsupport::frameDigests(joined).size(), 70);
        QCOMPARE(testsupport::decodeErrors(joined), QString());
    }

    // What cannot be cut exactly is cut from the keyframe, and the tool says why.
    void fallsBack_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("reason");
        QTest::newRow("sorenson")
            << u8("sorenson.flv")
            << u8("note=精確裁剪改用關鍵影格裁剪：影像編碼是 H.263（Sorenson），"
                  "只有 H.264 能精確裁剪");
        QTest::newRow("10-bit")
            << u8("tenbit.flv")
            << u8("note=精確裁剪改用關鍵影格裁剪：影像是 yuv420p10le 格式（10 位元或 "
                  "4:2:2 等），無法以相同格式重新編碼");
    }
    void fallsBack() {
        QFETCH(QString, source);
        QFETCH(QString, reason);
        const QString out = media(u8("fallback ") + source);
        const testsupport::RunResult r = cut(media(source), 30, 112, out);
        QVERIFY2(r.exitCode == 0, r.output.constData());
        QVERIFY2(QString::fromUtf8(r.output).contains(reason), r.output.constData());
        // The keyframe cut: whole seconds from 1 to 5, from the keyframe at or before 1 s.
        const double d = testsupport::probeDuration(out);
        QVERIFY2(d >= 4.0 && d < 6.5, qPrintable(QString::number(d)));
    }

    // The encoder's parameter sets get an id the source does not use, and one record
    // holds both streams' sets.
    void parameterSetIds() {
        using namespace exttool;
        // SPS of id 0 (profile 100, level 30, then ue(0) = "1") and PPS of id 0.
        const std::vector<std::uint8_t> sps{0x67, 0x64, 0x00, 0x1e, 0xac};
        const std::vector<std::uint8_t> pps{0x68, 0xee, 0x3c, 0xb0};
        AvcConfig source;
        source.profile = 100;
        source.level = 30;
        source.sps = {sps};
        source.pps = {pps};
        QCOMPARE(parameterSetId(sps), 0);
        QCOMPARE(unusedParameterSetId(source), 1);
        // Ids 1 and 2 (ue "010", "011") taken by a second SPS and PPS: 3 is next.
        source.sps.push_back({0x67, 0x64, 0x00, 0x1e, 0x40});
        source.pps.push_back({0x68, 0x60});
        QCOMPARE(parameterSetId(source.sps.back()), 1);
        QCOMPARE(parameterSetId(source.pps.back()), 2);
        QCOMPARE(unusedParameterSetId(source), 3);
        AvcConfig own;
        own.sps = {{0x67, 0x64, 0x00, 0x1e, 0x20}};  // id 3
        own.pps = {{0x68, 0x20}};                    // id 3
        AvcConfig merged;
        QVERIFY(mergeAvcConfig(source, own, merged));
        AvcConfig read;
        const std::vector<std::uint8_t> bytes = writeAvcConfig(merged);
        QVERIFY(readAvcConfig(bytes.data(), bytes.size(), read));
        QCOMPARE(read.sps.size(), std::size_t{3});
        QCOMPARE(read.pps.size(), std::size_t{3});
        // An id the source already uses is refused.
        own.pps = {{0x68, 0xc0}};  // id 0
        QVERIFY(!mergeAvcConfig(source, own, merged));
    }
};

QTEST_GUILESS_MAIN(TestExactCut)
#include "tst_exactcut.moc"
