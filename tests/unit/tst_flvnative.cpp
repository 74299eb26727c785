#include "FlvReader.h"
#include "FlvWriter.h"
#include "TestSupport.h"
#include "core/jobs/ToolCommands.h"
#include "core/jobs/ToolProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

QStringList lines(const QByteArray& text) {
    return QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
}

QStringList ffprobe(const QString& path, const QString& options) {
    const testsupport::RunResult r = testsupport::run(
        u8("ffprobe"),
        QStringList{u8("-v"), u8("error"), u8("-of"), u8("csv=p=0")} + options.split(u'|') << path);
    return r.exitCode == 0 ? lines(r.output) : QStringList();
}

// One packet of a stream: its tag's place in the file, times in ms and digest.
struct Packet {
    qint64 pos = 0;
    qint64 size = 0;
    qint64 pts = 0;
    QString hash;
};

QList<Packet> packets(const QString& path, const char* stream) {
    QList<Packet> list;
    for (const QString& line :
         ffprobe(path, u8("-select_streams|%1|-show_entries|packet=pts,pos,size,data_hash|"
                          "-show_data_hash|CRC32")
                           .arg(QLatin1String(stream)))) {
        const QStringList f = line.split(u',');
        if (f.size() >= 4) {
            list.append({f[2].toLongLong(), f[1].toLongLong(), f[0].toLongLong(), f[3]});
        }
    }
    return list;
}

QStringList hashes(const QList<Packet>& list) {
    QStringList out;
    for (const Packet& p : list) {
        out << p.hash;
    }
    return out;
}

// The decoded pictures, in the order shown: "pts md5" from the frame digests.
QStringList pictures(const QString& path) {
    const testsupport::RunResult r =
        testsupport::run(u8("ffmpeg"), {u8("-v"), u8("error"), u8("-i"), path, u8("-map"),
                                        u8("0:v:0"), u8("-f"), u8("framemd5"), u8("-")});
    QStringList out;
    for (const QString& line : lines(r.output)) {
        if (!line.startsWith(u'#')) {
            out << line.section(u',', 5).trimmed();
        }
    }
    return out;
}

// Where each tag of a whole FLV starts.
QList<qsizetype> tagPlaces(const QByteArray& b) {
    QList<qsizetype> places;
    for (qsizetype at = 13; at + 11 <= b.size();
         at += 11 + testsupport::bigEndian(b, at + 1, 3) + 4) {
        places << at;
    }
    return places;
}

// A tag's time, and the same written back.
qint64 tagTime(const QByteArray& b, qsizetype at) {
    return qint64(testsupport::bigEndian(b, at + 4, 3)) | (qint64(quint8(b[at + 7])) << 24);
}
void setTagTime(QByteArray& b, qsizetype at, qint64 ms) {
    for (int i = 0; i < 3; ++i) {
        b[at + 4 + i] = char((ms >> (8 * (2 - i))) & 0xff);
    }
    b[at + 7] = char((ms >> 24) & 0xff);
}

// Times as live recorders write them: now and then a frame of either stream at the time of
// the frame before it (repeat), or a little before it (back).
void disorderTimes(QByteArray& b, bool back) {
    qint64 last[2] = {-1, -1};
    int seen[2] = {0, 0};
    for (const qsizetype at : tagPlaces(b)) {
        const int type = quint8(b[at]);
        if (type != 8 && type != 9) {
            continue;
        }
        const int s = type == 9 ? 1 : 0;
        const qint64 time = tagTime(b, at);
        ++seen[s];
        if (last[s] > 0 && seen[s] % (s == 1 ? 10 : 15) == 0) {
            setTagTime(b, at, back ? std::max<qint64>(0, last[s] - 30) : last[s]);
        }
        last[s] = time;
    }
}

// What ffmpeg says of a file's times when it copies its packets: the complaints of packets
// whose decoding time does not rise.
QStringList dtsComplaints(const QString& path) {
    const testsupport::RunResult r =
        testsupport::run(u8("ffmpeg"), {u8("-nostdin"), u8("-v"), u8("error"), u8("-i"), path,
                                        u8("-c"), u8("copy"), u8("-f"), u8("null"), u8("-")});
    return lines(r.output).filter(u8("non monotonically increasing dts"));
}

// Whether the first sequence is a run of the second's entries in order.
bool isRunOf(const QStringList& part, const QStringList& whole) {
    return !part.isEmpty() && whole.join(u' ').contains(part.join(u' '));
}

// The "note=" lines of a tool's output.
QStringList notesOf(const QByteArray& said) {
    QStringList notes;
    for (const QString& line : lines(said)) {
        if (line.startsWith(u8("note="))) {
            notes << line.mid(5);
        }
    }
    return notes;
}

void putBe(QByteArray& b, quint32 v, int n) {
    for (int i = n - 1; i >= 0; --i) {
        b.append(char((v >> (8 * i)) & 0xff));
    }
}

// An FLV of count video keyframes 40 ms apart, each a tag of one byte (a Sorenson H.263
// keyframe's codec byte): 16 bytes a frame, the smallest a keyframe can be.
QByteArray keyframesOnly(int count) {
    QByteArray b("FLV\x01\x01\x00\x00\x00\x09\x00\x00\x00\x00", 13);
    b.reserve(13 + qsizetype(count) * 16);
    for (int i = 0; i < count; ++i) {
        const quint32 ms = quint32(i) * 40;
        b.append(char(9));
        putBe(b, 1, 3);
        putBe(b, ms & 0xffffff, 3);
        b.append(char(ms >> 24));
        putBe(b, 0, 3);
        b.append(char(0x12));
        putBe(b, 12, 4);
    }
    return b;
}

// The tool library's own reading of a file.
std::unique_ptr<exttool::FlvInput> readBack(const QString& path) {
    auto in = std::make_unique<exttool::FlvInput>();
    std::string error;
    return in->open(QFile::encodeName(path).toStdString(), error) ? std::move(in) : nullptr;
}

bool isSubsequence(const QStringList& part, const QStringList& whole) {
    qsizetype at = 0;
    for (const QString& s : part) {
        at = whole.indexOf(s, at);
        if (at < 0) {
            return false;
        }
        ++at;
    }
    return true;
}

}  // namespace

// FLV cut, joined and repaired by the tools without ffmpeg, on real media: what the
// save and the fix tool get.
class TestFlvNative : public QObject, testsupport::ToolFolders {
    Q_OBJECT

    int exec(const ToolCommand& c, QByteArray* output = nullptr) {
        const testsupport::RunResult r =
            testsupport::run(c.program(), c.arguments(), m_work->path());
        if (output != nullptr) {
            *output = r.output;
        }
        return r.exitCode;
    }

    // The index of a written file: flvmeta finds nothing to object to; every listed position holds
    // a video keyframe tag of the listed time, and every keyframe time is listed.
    static void verifyIndex(const QString& path) {
        const testsupport::RunResult check = testsupport::run(u8("flvmeta"), {u8("--check"), path});
        QVERIFY2(check.exitCode == 0 && check.output.contains("0 error(s), 0 warning(s)"),
                 check.output.data());
        const QVariantMap meta =
            QJsonDocument::fromJson(
                testsupport::run(u8("flvmeta"), {u8("-D"), u8("--json"), path}).output)
                .toVariant()
                .toMap();
        const QByteArray b = testsupport::readFile(path);
        QCOMPARE(meta.value(u8("filesize")).toLongLong(), b.size());
        const QVariantList times = meta.value(u8("keyframes")).toMap().value(u8("times")).toList();
        const QVariantList places =
            meta.value(u8("keyframes")).toMap().value(u8("filepositions")).toList();
        QCOMPARE(places.size(), times.size());
        QSet<qint64> listed;
        for (qsizetype i = 0; i < places.size(); ++i) {
            const qsizetype at = places[i].toLongLong();
            QVERIFY(at + 12 < b.size());
            QCOMPARE(int(b[at]), 9);
            QCOMPARE(static_cast<quint8>(b[at + 11]) >> 4, 1);
            const qint64 ms =
                testsupport::bigEndian(b, at + 4, 3) | (qint64(quint8(b[at + 7])) << 24);
            QCOMPARE(ms, qRound64(times[i].toDouble() * 1000));
            listed << ms;
        }
        for (const qsizetype at : tagPlaces(b)) {
            if (b[at] == 9 && (static_cast<quint8>(b[at + 11]) >> 4) == 1) {
                QVERIFY(listed.contains(testsupport::bigEndian(b, at + 4, 3)));
            }
        }
        QVERIFY(!times.isEmpty());
        const double duration = meta.value(u8("duration")).toDouble();
        QVERIFY(qAbs(duration - testsupport::probeDuration(path)) < 0.001);
    }

private Q_SLOTS:
    void initTestCase() {
        for (const char* program : {"ffmpeg", "ffprobe", "flvmeta"}) {
            QVERIFY2(!QStandardPaths::findExecutable(u8(program)).isEmpty(), program);
        }
        QVERIFY(install());
    }
    void init() { QVERIFY(newWorkFolder()); }

    void cut_data() {
        QTest::addColumn<QString>("media");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::newRow("H.264 with reordered frames") << u8("h264.flv") << 13 << 6;
        QTest::newRow("H.264, keyframe on the start") << u8("h264.flv") << 12 << 5;
        QTest::newRow("H.264 from the beginning") << u8("h264.flv") << 0 << 7;
        QTest::newRow("H.264 to the end") << u8("h264.flv") << 25 << 20;
        QTest::newRow("H.263") << u8("h263.flv") << 13 << 6;
    }
    // A cut part as the save makes it (cut, remux, metadata): the source's packets byte for
    // byte, from the last keyframe at or before the start to the last picture shown before
    // the end, every picture decoding as in the source and the sound over the same time.
    // The remux and the metadata need neither ffmpeg nor flvmeta and change nothing.
    void cut() {
        QFETCH(QString, media);
        QFETCH(int, start);
        QFETCH(int, length);
        const QString src = testsupport::media(media);
        const QString part = u8("~tmpSP001.flv");
        QCOMPARE(exec(cutCommand(m_mcd, start, length, part, src)), 0);
        const QString cut = work(part);
        const QString written = testsupport::digest(cut);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        const int remux = exec(remuxCommand(m_fmg, part));
        const int meta = exec(metaCommand(m_fmd, u8("~fix") + part));
        qputenv("PATH", path);
        QCOMPARE(remux, 0);
        QCOMPARE(meta, 0);
        QCOMPARE(testsupport::digest(work(u8("~fix") + part)), written);
        verifyIndex(cut);

        const QList<Packet> video = packets(cut, "v:0");
        const QList<Packet> source = packets(src, "v:0");
        QVERIFY(isRunOf(hashes(video), hashes(source)));
        QVERIFY(isRunOf(hashes(packets(cut, "a:0")), hashes(packets(src, "a:0"))));
        // The pictures: from the keyframe to the last one shown before the end.
        const QStringList keys = ffprobe(src, u8("-select_streams|v:0|-skip_frame|nokey|"
                                                 "-show_entries|frame=pts_time"));
        double keyframe = 0;
        for (const QString& k : keys) {
            if (k.toDouble() <= start + 0.0005) {
                keyframe = k.toDouble();
            }
        }
        const QStringList shown = ffprobe(src, u8("-select_streams|v:0|-show_entries|"
                                                  "frame=pts_time"));
        QStringList sourcePictures = pictures(src);
        QCOMPARE(sourcePictures.size(), shown.size());
        qsizetype first = -1, last = -1;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const double t = shown[i].toDouble();
            first = first < 0 && t >= keyframe - 0.0005 ? i : first;
            last = t < start + length - 0.0005 ? i : last;
        }
        // Reordered frames may hold a few pictures past the end (decoded before it).
        const QStringList got = pictures(cut);
        QVERIFY2(got.size() >= last - first + 1 && got.size() <= last - first + 4,
                 qPrintable(QString::number(got.size())));
        QCOMPARE(got, sourcePictures.mid(first, got.size()));
        // The sound spans the pictures, within one sound frame at each end.
        const QList<Packet> sound = packets(cut, "a:0");
        QVERIFY(!sound.isEmpty());
        qint64 lastShown = 0, firstShown = video.front().pts;
        for (const Packet& p : video) {
            lastShown = std::max(lastShown, p.pts);
            firstShown = std::min(firstShown, p.pts);
        }
        QVERIFY2(qAbs(sound.front().pts - firstShown) <= 24,
                 qPrintable(QString::number(sound.front().pts)));
        QVERIFY2(qAbs(sound.back().pts + 23 - (lastShown + 40)) <= 24,
                 qPrintable(QString::number(sound.back().pts)));
    }

    // Two cut parts joined run on at the seam: every picture one frame after the last, and
    // the packets those of the parts.
    void join() {
        const QString src = testsupport::media(u8("h264.flv"));
        const QStringList parts{u8("~tmpSP001.flv"), u8("~tmpSP002.flv")};
        QCOMPARE(exec(cutCommand(m_mcd, 3, 5, parts[0], src)), 0);
        QCOMPARE(exec(cutCommand(m_mcd, 15, 4, parts[1], src)), 0);
        QCOMPARE(exec(joinPartsCommand(m_mcd, u8("flv"), parts)), 0);
        const QString joined = work(u8("~tmpSJoin.flv"));
        verifyIndex(joined);
        QCOMPARE(hashes(packets(joined, "v:0")),
                 hashes(packets(work(parts[0]), "v:0")) + hashes(packets(work(parts[1]), "v:0")));
        QCOMPARE(pictures(joined), pictures(work(parts[0])) + pictures(work(parts[1])));
        QList<qint64> shown;
        for (const Packet& p : packets(joined, "v:0")) {
            shown << p.pts;
        }
        std::sort(shown.begin(), shown.end());
        for (qsizetype i = 1; i < shown.size(); ++i) {
            QVERIFY2(shown[i] - shown[i - 1] == 40, qPrintable(QString::number(shown[i])));
        }
    }

    void repair_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("note");  // a regular expression for the notes
        QTest::newRow("cut in the middle of a tag")
            << u8("truncate") << u8("^檔案結尾不完整，已捨去最後 \\d+ 位元組$");
        QTest::newRow("garbage in the middle")
            << u8("garbage")
            << u8("^略過 \\d+ 個損壞的影格，位置 00:00:1\\d\\.\\d\\d–00:00:1\\d\\.\\d\\d$");
        QTest::newRow("header zeroed") << u8("header") << u8("^已重建損壞或缺少的 FLV 檔頭$");
        QTest::newRow("metadata missing")
            << u8("metadata") << u8("^已重建損壞或缺少的中繼資料（onMetaData）$");
        QTest::newRow("timestamps jump") << u8("jump") << u8("^已修正 1 處跳動的時間戳記$");
        QTest::newRow("timestamps repeat")
            << u8("repeat") << u8("^已修正 \\d+ 處重複或倒退的時間戳記$");
        QTest::newRow("timestamps go back")
            << u8("back") << u8("^已修正 \\d+ 處重複或倒退的時間戳記$");
    }
    // The fix tool on a damaged FLV keeps every intact tag, with a right index and
    // length, and tells what it mended.
    void repair() {
        QFETCH(QString, damage);
        QFETCH(QString, note);
        const QString original = testsupport::media(u8("h264.flv"));
        QByteArray b = testsupport::readFile(original);
        const QList<qsizetype> places = tagPlaces(b);
        qsizetype lost = b.size();  // bytes from here on are damaged
        qsizetype lostEnd = b.size();
        double expected = testsupport::probeDuration(original);
        if (damage == u8("truncate")) {
            lost = places[places.size() * 3 / 5] + 20;
            b.truncate(lost);
            expected = -1;
        } else if (damage == u8("garbage")) {
            lost = b.size() / 2;
            lostEnd = lost + 3000;
            for (qsizetype i = lost; i < lostEnd; ++i) {
                b[i] = char(0x5a ^ (i * 7));
            }
        } else if (damage == u8("header")) {
            b.replace(0, 9, QByteArray(9, '\0'));
        } else if (damage == u8("metadata")) {
            b.remove(13, places[1] - 13);
        } else if (damage == u8("repeat") || damage == u8("back")) {
            disorderTimes(b, damage == u8("back"));
        } else {
            for (qsizetype i = places.size() / 2; i < places.size(); ++i) {
                const qsizetype at = places[i] + 7;  // the extended time byte
                b[at] = char(quint8(b[at]) + 1);
            }
        }
        const QString src = work(u8("壞 的.flv"));
        QVERIFY(testsupport::writeFile(src, b));
        const bool disordered = damage == u8("repeat") || damage == u8("back");
        // The damage is what ffmpeg objects to; the repair leaves it nothing to object to.
        QCOMPARE(dtsComplaints(src).isEmpty(), !disordered);
        QByteArray said;
        QCOMPARE(exec(fixFlvCommand(m_fmg, src, u8("flv")), &said), 0);
        const QString fixed = work(u8("~fix~tmpSP.flv"));
        QCOMPARE(exec(metaCommand(m_fmd, u8("~fix~tmpSP.flv"))), 0);
        verifyIndex(fixed);
        QCOMPARE(dtsComplaints(fixed), QStringList());
        QStringList notes;
        for (const QString& line : lines(said)) {
            if (line.startsWith(u8("note="))) {
                notes << line.mid(5);
            }
        }
        // ffmpeg writes the sample's last picture at the time of the one before: a repair
        // that keeps it mends that one time too.
        if (!disordered) {
            const QRegularExpression lastPicture(u8("^已修正 1 處重複或倒退的時間戳記$"));
            notes.removeIf([&](const QString& n) { return lastPicture.match(n).hasMatch(); });
        }
        QCOMPARE(notes.size(), 1);
        QVERIFY2(QRegularExpression(note).match(notes.front()).hasMatch(),
                 qPrintable(notes.front()));
        // Every tag the damage spared is there, in order.
        for (const char* stream : {"v:0", "a:0"}) {
            QStringList intact;
            qint64 lastTime = 0;
            for (const Packet& p : packets(original, stream)) {
                if (p.pos + p.size + 24 < lost || p.pos >= lostEnd) {
                    intact << p.hash;
                    lastTime = std::max(lastTime, p.pts);
                }
            }
            const QStringList got = hashes(packets(fixed, stream));
            QVERIFY2(isSubsequence(intact, got), stream);
            QVERIFY(got.size() <= intact.size() + 1);
            if (expected < 0) {
                expected = static_cast<double>(lastTime) / 1000.0;
            }
        }
        const double length = testsupport::probeDuration(fixed);
        QVERIFY2(qAbs(length - expected) < 0.15,
                 qPrintable(u8("%1 s, not %2 s").arg(length).arg(expected)));
    }

    // An index of more keyframes than an onMetaData tag can hold (its size field has 24 bits:
    // about 932,000 entries) is thinned to what fits, the first keyframe and the rest spread
    // evenly, and the tool says so; the file reads back whole, and the metadata tool finds
    // its index right and leaves it alone.
    void hugeIndex() {
        constexpr int count = 940000;
        const QString src = work(u8("keys.flv"));
        QVERIFY(testsupport::writeFile(src, keyframesOnly(count)));
        QByteArray said;
        QCOMPARE(exec(fixFlvCommand(m_fmg, src, u8("flv")), &said), 0);
        const QString fixed = work(u8("~fix~tmpSP.flv"));
        // Told beside the metadata this file never had.
        const QRegularExpression thinned(u8("^關鍵影格索引過大，已精簡為 (\\d+) 筆$"));
        const QStringList notes = notesOf(said).filter(thinned);
        QCOMPARE(notes.size(), 1);
        const qsizetype listed = thinned.match(notes.front()).captured(1).toLongLong();
        QVERIFY2(listed > 900000 && listed < count, qPrintable(notes.front()));

        const auto in = readBack(fixed);
        QVERIFY(in);
        const exttool::FlvScan& scan = in->scan();
        QVERIFY(scan.metadataFound);
        QVERIFY(scan.damage.empty() && scan.truncated == 0 && !scan.headerRebuilt);
        QCOMPARE(scan.tags.size(), std::size_t(count));
        QVERIFY(scan.metadataSize <= exttool::flvMaxTagBody);
        const std::vector<std::uint8_t> body = in->body(scan.metadataOffset, scan.metadataSize);
        exttool::FlvMetadata meta;
        QVERIFY(exttool::readMetadata(body.data(), body.size(), meta));
        QCOMPARE(qsizetype(meta.times.size()), listed);
        QCOMPARE(meta.filepositions.size(), meta.times.size());
        QCOMPARE(meta.filepositions.front(), double(scan.tags.front().offset));
        QCOMPARE(meta.filesize, double(QFileInfo(fixed).size()));
        QVERIFY(qAbs(meta.duration - count * 0.040) < 0.001);
        QVERIFY(exttool::hasRightIndex(*in));
        const QString written = testsupport::digest(fixed);
        QCOMPARE(exec(metaCommand(m_fmd, u8("~fix~tmpSP.flv"))), 0);
        QCOMPARE(testsupport::digest(fixed), written);
    }

    // The same rule on a small scale: with room for fewer entries than keyframes the index
    // keeps the first and spreads the rest evenly; the check knows that index for right,
    // and would not where the whole index fits.
    void thinnedIndex() {
        const QByteArray src = keyframesOnly(300);
        std::vector<std::unique_ptr<exttool::FlvInput>> inputs;
        inputs.push_back(std::make_unique<exttool::FlvInput>());
        inputs[0]->openMemory(reinterpret_cast<const std::uint8_t*>(src.constData()),
                              std::size_t(src.size()));
        exttool::FlvWritten written;
        const std::vector<std::uint8_t> out =
            exttool::writeFlvToMemory(inputs, exttool::planWhole(*inputs[0]), 2048, &written);
        QCOMPARE(written.keyframes, std::size_t(300));
        QVERIFY(written.keyframesListed > 50 && written.keyframesListed < 100);
        exttool::FlvInput again;
        again.openMemory(out.data(), out.size());
        QVERIFY(again.scan().metadataSize <= 2048);
        QVERIFY(exttool::hasRightIndex(again, 2048));
        QVERIFY(!exttool::hasRightIndex(again));
        const std::vector<std::uint8_t> body =
            again.body(again.scan().metadataOffset, again.scan().metadataSize);
        exttool::FlvMetadata meta;
        QVERIFY(exttool::readMetadata(body.data(), body.size(), meta));
        QCOMPARE(meta.times.front(), 0.0);
        for (std::size_t k = 1; k < meta.times.size(); ++k) {
            const double gap = meta.times[k] - meta.times[k - 1];
            QVERIFY2(gap > 0.119 && gap < 0.201, qPrintable(QString::number(gap)));
        }
    }

    void damagedAvcConfig_data() {
        QTest::addColumn<bool>("repeated");  // the encoder repeats SPS and PPS in keyframes
        QTest::addColumn<bool>("wholeTag");  // the tag is lost, not only its record
        QTest::newRow("record damaged, SPS/PPS repeated") << true << false;
        QTest::newRow("tag lost, SPS/PPS repeated") << true << true;
        QTest::newRow("record damaged, no SPS/PPS in frames") << false << false;
        QTest::newRow("tag lost, no SPS/PPS in frames") << false << true;
    }
    // The repair of an H.264 FLV whose sequence header (AVCDecoderConfigurationRecord) is
    // damaged or lost: rebuilt from the SPS and PPS the frames repeat, every picture decodes
    // as in the source; without them the repair fails with its reason and writes nothing.
    void damagedAvcConfig() {
        QFETCH(bool, repeated);
        QFETCH(bool, wholeTag);
        const QString made = work(u8("made.flv"));
        QStringList args = u8("-nostdin|-v|error|-y|-f|lavfi|-i|testsrc=size=320x240:rate=25:"
                              "duration=8|-f|lavfi|-i|sine=sample_rate=44100:duration=8|-c:v|"
                              "libx264|-preset|veryfast|-g|25|-pix_fmt|yuv420p|-c:a|aac")
                               .split(u'|');
        if (repeated) {
            args << u8("-x264-params") << u8("repeat-headers=1");
        }
        QCOMPARE(testsupport::run(u8("ffmpeg"), args << u8("-f") << u8("flv") << made).exitCode, 0);
        const QStringList source = testsupport::frameDigests(made);
        QCOMPARE(source.size(), 200);
        QByteArray b = testsupport::readFile(made);
        qsizetype config = -1;
        for (const qsizetype at : tagPlaces(b)) {
            if (b[at] == 9 && b[at + 12] == 0) {
                config = at;
                break;
            }
        }
        QVERIFY(config > 0);
        const qsizetype size = testsupport::bigEndian(b, config + 1, 3);
        for (qsizetype i = wholeTag ? config : config + 11 + 5; i < config + 11 + size; ++i) {
            b[i] = char(0xa5 ^ (i * 13));
        }
        QVERIFY(QFile::remove(made));
        const QString src = work(u8("壞.flv"));
        QVERIFY(testsupport::writeFile(src, b));
        QByteArray said;
        const int code = exec(fixFlvCommand(m_fmg, src, u8("flv")), &said);
        const QStringList notes = notesOf(said);
        if (!repeated) {
            QCOMPARE(code, 1);
            QVERIFY2(said.contains("the video cannot be repaired"), said.data());
            QCOMPARE(notes,
                     QStringList(u8("影像的解碼設定損壞或缺少，影像資料中也沒有可重建它的參數，"
                                    "影像無法修復")));
            QCOMPARE(workFiles(), QStringList(u8("壞.flv")));
            return;
        }
        QCOMPARE(code, 0);
        const QString fixed = work(u8("~fix~tmpSP.flv"));
        const testsupport::RunResult decoded =
            testsupport::run(u8("ffmpeg"), {u8("-nostdin"), u8("-v"), u8("error"), u8("-i"), fixed,
                                            u8("-f"), u8("null"), u8("-")});
        QCOMPARE(decoded.exitCode, 0);
        QVERIFY2(decoded.output.isEmpty(), decoded.output.left(2000).data());
        QCOMPARE(testsupport::frameDigests(fixed), source);
        QVERIFY2(notes.contains(u8("已從影像資料重建損壞或缺少的解碼設定")), said.data());
        QCOMPARE(exec(metaCommand(m_fmd, u8("~fix~tmpSP.flv"))), 0);
        verifyIndex(fixed);
    }

    // A 4 GB file of a few tags and then zeros is judged in moments: the tags are kept and the
    // zeros told as the file's broken end. The zeros are a hole of a sparse file, so nothing
    // is written here; the reader passes a hole without reading it, and reads stored zeros in
    // large blocks, passing them at memory speed (bench/README.md has the figures). The bound
    // of 10 s leaves room for a busy machine; what it catches is a search that tries each of
    // the 4 billion places on its own, which took 40 s here.
    void longZeros() {
        const QByteArray h264 = testsupport::readFile(testsupport::media(u8("h264.flv")));
        const QList<qsizetype> places = tagPlaces(h264);
        const qsizetype kept = places[40];
        const QString src = work(u8("zeros.flv"));
        QVERIFY(testsupport::writeFile(src, h264.left(kept)));
        constexpr qint64 size = qint64(4) << 30;
        {
            QFile f(src);
            QVERIFY(f.resize(size));  // ftruncate: a hole
        }
        QList<int> progress;
        ToolProcess process;
        connect(&process, &ToolProcess::progress, this, [&](int p) { progress << p; });
        QSignalSpy ended(&process, &ToolProcess::finished);
        QElapsedTimer clock;
        clock.start();
        process.start(fixFlvCommand(m_fmg, src, u8("flv")), m_work->path());
        QVERIFY(ended.wait(60000));
        const qint64 ms = clock.elapsed();
        QCOMPARE(process.exitCode(), 0);
        QVERIFY2(ms < 10000, qPrintable(u8("%1 ms").arg(ms)));
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        QCOMPARE(progress.last(), 100);
        QCOMPARE(process.notes(),
                 QStringList(u8("檔案結尾不完整，已捨去最後 %1 位元組").arg(size - kept)));
        const auto in = readBack(work(u8("~fix~tmpSP.flv")));
        QVERIFY(in);
        QVERIFY(in->scan().damage.empty() && in->scan().truncated == 0);
        QVERIFY(in->scan().tags.size() >= 38);
        QVERIFY(QFile::remove(src));
    }

    // Reading damage tells its progress block by block, and stops when told to: 64 MB of
    // stored zeros after a few tags (in memory), then the same with a stop asked for at 16 MB.
    void scanProgress() {
        const QByteArray h264 = testsupport::readFile(testsupport::media(u8("h264.flv")));
        const qsizetype kept = tagPlaces(h264)[40];
        QByteArray b = h264.left(kept);
        b.append(QByteArray(qsizetype(64) << 20, '\0'));
        exttool::MemorySource source(reinterpret_cast<const std::uint8_t*>(b.constData()),
                                     std::size_t(b.size()));
        for (const bool stop : {false, true}) {
            QList<std::uint64_t> told;
            exttool::FlvScan scan;
            exttool::scanFlv(source, scan, [&](std::uint64_t done, std::uint64_t total) {
                told << done;
                return !(stop && done >= (std::uint64_t{16} << 20)) &&
                       total == std::uint64_t(b.size());
            });
            QVERIFY(std::is_sorted(told.begin(), told.end()));
            QVERIFY(!told.isEmpty() && told.last() <= std::uint64_t(b.size()));
            QCOMPARE(scan.stopped, stop);
            if (stop) {
                QVERIFY(told.last() < (std::uint64_t{18} << 20));
            } else {
                QVERIFY2(told.size() >= 60, qPrintable(QString::number(told.size())));
                QCOMPARE(scan.truncated, std::uint64_t(b.size() - kept));
                QCOMPARE(scan.tags.size(), std::size_t(39));
            }
        }
    }

    void badInput_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray garbage(200000, '\0');
        for (qsizetype i = 0; i < garbage.size(); ++i) {
            garbage[i] = char((i * 2654435761u) >> 13);
        }
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("header only")
            << testsupport::readFile(testsupport::media(u8("h264.flv"))).left(13);
        QTest::newRow("garbage") << garbage;
        QTest::newRow("MP4 named .flv")
            << testsupport::readFile(testsupport::media(u8("clip.mp4")));
    }
    // A file with nothing of FLV in it: the fix fails with a message, writes nothing and
    // leaves the source alone. The cut ends too (ffmpeg may still read an MP4).
    void badInput() {
        QFETCH(QByteArray, bytes);
        const QString src = work(u8("src.flv"));
        QVERIFY(testsupport::writeFile(src, bytes));
        QByteArray said;
        QVERIFY(exec(fixFlvCommand(m_fmg, src, u8("flv")), &said) != 0);
        QVERIFY2(said.contains("holds no FLV audio or video"), said.data());
        QCOMPARE(testsupport::filesIn(m_work->path()), QStringList(u8("src.flv")));
        QVERIFY(exec(cutCommand(m_mcd, 3, 4, u8("~tmpSP001.flv"), src)) >= 0);
        QFile::remove(work(u8("~tmpSP001.flv")));
        QCOMPARE(testsupport::filesIn(m_work->path()), QStringList(u8("src.flv")));
        QCOMPARE(testsupport::readFile(src), bytes);
    }
};

QTEST_GUILESS_MAIN(TestFlvNative)
#include "tst_flvnative.moc"
