#include "TestSupport.h"
#include "tools/ToolCommands.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// Arguments written with "|" between them.
QStringList split(const char* joined) {
    return u8(joined).split(u'|');
}

QString probe(const QString& path, const char* stream, const char* entry) {
    return testsupport::probeEntry(path, QLatin1String(stream), QLatin1String(entry));
}

// ffprobe's lines for the given options, one value a line.
QStringList ffprobeLines(const char* options, const QString& path) {
    const testsupport::RunResult r = testsupport::run(
        u8("ffprobe"), split("-v|error|-of|csv=p=0") + split(options) << path, QString(), 60000);
    return r.exitCode == 0 ? QString::fromUtf8(r.output).split(u'\n', Qt::SkipEmptyParts)
                           : QStringList();
}

// Digests of the video packets, "CRC32:" and 8 hex digits each.
QStringList videoHashes(const QString& path) {
    return ffprobeLines("-select_streams|v:0|-show_entries|packet=data_hash|-show_data_hash|CRC32",
                        path);
}

QStringList sortedCodecs(const QString& path) {
    QStringList c = testsupport::probeCodecs(path);
    c.sort();
    return c;
}

// The sound as "codec rate channels", then the picture as "codec width height rate".
QString describeStreams(const QString& path) {
    QStringList text;
    for (const char* e : {"a:0|codec_name", "a:0|sample_rate", "a:0|channels", "v:0|codec_name",
                          "v:0|width", "v:0|height", "v:0|r_frame_rate"}) {
        text << testsupport::probeEntry(path, split(e)[0], split(e)[1]);
    }
    return text.join(u' ').trimmed();
}

// A digest of a file's bytes ("" for a folder or a missing file).
QString digestOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QString::fromLatin1(
                     QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex())
               : QString();
}

QString toolsIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name).join(u' ');
}

// Whether an ffmpeg whose command line names the folder runs (one outliving
// its tool would), once it is as wanted or 10 s have passed.
bool ffmpegRuns(const QString& folder, bool wanted) {
    QElapsedTimer t;
    t.start();
    bool runs = !wanted;
    while (runs != wanted && t.elapsed() < 10000) {
        runs = testsupport::run(u8("pgrep"), {u8("-f"), u8("^ffmpeg .*") + folder}).exitCode == 0;
        QThread::msleep(runs == wanted ? 0 : 20);
    }
    return runs;
}

}  // namespace

// The real command lines run against generated media: the tools are
// installed by the real resource program and started the way the program
// starts them, in the output folder.
class TestToolRuns : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;  // the program's temporary folder, where the tools go
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_mcd;
    QString m_fmg;
    QString m_fmd;
    QHash<QString, QString> m_hashes;  // the sources' video packets

    QString work(const QString& name) const { return m_work->filePath(name); }
    QStringList workFiles() const {
        return QDir(m_work->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // The exit code; -1 for a crash or a run past its deadline.
    int exec(const ToolCommand& c) {
        const testsupport::RunResult r =
            testsupport::run(c.program(), c.arguments(), m_work->path());
        if (!r.finished) {
            qWarning("did not finish: %s", qPrintable(c.text()));
        }
        return r.finished ? r.exitCode : -1;
    }

    // The steps the program takes for one range: the cut, then for FLV and
    // MPEG sources the remux into "~fix" + part and back, then for FLV the
    // metadata.
    bool runParts(int family, int ss, const QString& part, const QString& src, int length = 4,
                  bool mp3 = false) {
        const QString from = QString::number(ss);
        if (exec(cutCommand(m_mcd, from, QString::number(length), part, src, mp3)) != 0) {
            return false;
        }
        if (family == 3) {
            return QFileInfo(work(part)).size() > 0;
        }
        if (exec(remuxCommand(m_fmg, part)) != 0 || !QFile::remove(work(part)) ||
            !QFile::rename(work(u8("~fix") + part), work(part))) {
            return false;
        }
        return family == 2 || exec(metaCommand(m_fmd, part)) == 0;
    }

    // A stream copy's video packets are a run of the source's packets, byte
    // for byte. An MPEG program stream repeats its sequence header inside the
    // first picture, so there the first packet may differ.
    void verifyVideoCopied(const QString& out, const QString& src, bool firstMayDiffer) {
        QStringList got = videoHashes(out);
        QVERIFY(got.size() > 10);
        if (firstMayDiffer) {
            got.removeFirst();
        }
        if (!m_hashes.contains(src)) {
            m_hashes.insert(src, videoHashes(src).join(u' '));
        }
        QVERIFY2(m_hashes.value(src).contains(got.join(u' ')),
                 "the copied video packets are not a run of the source's");
    }

    // What the metadata tool must leave: a file flvmeta finds sound, whose
    // onMetaData tells the duration, the picture size and a keyframe index.
    void verifyFlv(const QString& path, bool picture = true) {
        const testsupport::RunResult check = testsupport::run(u8("flvmeta"), {u8("--check"), path});
        QVERIFY2(check.exitCode == 0 && check.output.contains("0 error(s)"), check.output.data());
        const QJsonObject meta =
            QJsonDocument::fromJson(
                testsupport::run(u8("flvmeta"), {u8("-D"), u8("--json"), path}).output)
                .object();
        QVERIFY(meta.value(u8("duration")).toDouble() > 0);
        const QJsonObject keys = meta.value(u8("keyframes")).toObject();
        const qsizetype times = keys.value(u8("times")).toArray().size();
        QVERIFY(!picture ||
                (times >= 2 && keys.value(u8("filepositions")).toArray().size() == times));
        QCOMPARE(QStringLiteral("%1x%2")
                     .arg(meta.value(u8("width")).toInt())
                     .arg(meta.value(u8("height")).toInt()),
                 u8(picture ? "640x480" : "0x0"));
    }

    // The remux tool's exit code with ffmpeg out of its reach.
    int remuxWithoutFfmpeg(const ToolCommand& c) {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        const int code = exec(c);
        qputenv("PATH", path);
        return code;
    }

    static nlink_t linkCount(const QString& path) {
        struct stat st {};
        return stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_nlink : 0;
    }

    // A new folder on another file system than folder's; null when there is none.
    static std::unique_ptr<QTemporaryDir> otherFileSystem(const QString& folder) {
        struct stat here {};
        stat(QFile::encodeName(folder).constData(), &here);
        for (const char* base : {"/dev/shm", "/var/tmp", "/run/user"}) {
            struct stat there {};
            if (stat(base, &there) == 0 && there.st_dev != here.st_dev) {
                auto dir = std::make_unique<QTemporaryDir>(u8(base) + u8("/zelvo-XXXXXX"));
                if (dir->isValid()) {
                    return dir;
                }
            }
        }
        return nullptr;
    }

    // Every entry of the output folder: a file with a digest of its bytes, a
    // folder with its entries.
    QStringList workState() const {
        QStringList state;
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        for (const QFileInfo& f : QDir(m_work->path()).entryInfoList(all, QDir::Name)) {
            state << f.fileName() + u8(" ") +
                         (f.isDir() ? QDir(f.filePath()).entryList(all).join(u' ') + u8("/")
                                    : digestOf(f.filePath()));
        }
        return state;
    }

private Q_SLOTS:
    void initTestCase() {
        for (const char* program : {"ffmpeg", "ffprobe", "flvmeta"}) {
            QVERIFY2(!QStandardPaths::findExecutable(u8(program)).isEmpty(), program);
        }
        QVERIFY(m_tmp.isValid());
        // The tools look for their temporary folder the way the program does.
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        const QString resources = testsupport::binDir() + u8("/ZelvoResFLV");
        QCOMPARE(testsupport::run(resources, {u8("Edit1")}).exitCode, 0);
        m_mcd = m_tmp.filePath(u8("~tmpExtMcd"));
        m_fmg = m_tmp.filePath(u8("~tmpExtFmg"));
        m_fmd = m_tmp.filePath(u8("~tmpExtFmd"));
        QVERIFY(QFileInfo(m_mcd).isExecutable());
    }

    void init() {
        m_work = std::make_unique<QTemporaryDir>();
        QVERIFY(m_work->isValid());
    }

    void cleanup() {
        // No run leaves its temporaries behind, in the output folder or in the
        // temporary folder.
        for (const QString& name : workFiles()) {
            QVERIFY2(!name.startsWith(QLatin1String("~tmpSZ")), qPrintable(name));
        }
        QCOMPARE(toolsIn(m_tmp.path()), u8("~tmpExtFmd ~tmpExtFmg ~tmpExtMcd"));
        m_work.reset();
    }

    void copy_data() {
        QTest::addColumn<QString>("media");
        QTest::addColumn<int>("job");   // 0 cut 6 s from 13 s, 1 from 12 s, 2 cuts joined,
        QTest::addColumn<bool>("mp3");  // 3 the join list, 4 repair; sound re-encoded to MP3
        const auto rows = [](const char* what, int job, bool mp3, QList<const char*> media) {
            for (const char* m : media) {
                QTest::newRow(qPrintable(u8(what) + u8(m))) << u8(m) << job << mp3;
            }
        };
        // Keyframes come every 2 s, a little after each even second: a cut
        // from 13 s starts on the one near 12 s.
        rows("cut ", 0, false,
             {"h263.flv", "h264.flv", "clip.mpg", "clip.vob", "clip.avi", "clip.mp4", "clip.wmv",
              "clip.3gp", "clip.mov"});
        // Here the keyframe sits exactly on the start and the video has
        // reordered frames: the cut must begin on it, not on the one 2 s earlier.
        rows("cut from a keyframe ", 1, false, {"clip.mp4"});
        rows("join cuts ", 2, false, {"h264.flv", "clip.mpg", "clip.avi", "clip.wmv"});
        rows("join list ", 3, false, {"h263.flv", "clip.vob", "clip.3gp"});
        rows("repair ", 4, false,
             {"h263.flv", "bad/nometa.flv", "bad/truncated.flv", "clip.vob", "clip.mov"});
        rows("MP3 sound, cut ", 0, true, {"clip.avi", "clip.mp4"});
        rows("MP3 sound, join list ", 3, true, {"clip.avi", "clip.mp4"});
        rows("MP3 sound, repair ", 4, true, {"clip.avi", "clip.mp4"});
    }
    // Stream copies the way the program makes them: the video packets copied,
    // the sound copied or made MP3 at 64 kbit/s, FLV metadata rewritten. The
    // join list's files have awkward names and are joined in list order.
    void copy() {
        QFETCH(QString, media);
        QFETCH(int, job);
        QFETCH(bool, mp3);
        const QString src = testsupport::media(media);
        const QString ext = QFileInfo(media).suffix();
        const int family = containerFamily(ext);
        const bool whole = !media.startsWith(QLatin1String("bad/"));
        QString out = work(u8("~tmpSP001.") + ext);
        double expected = 30;
        double below = 0.3;  // seconds the length may fall short of expected, or exceed it
        double above = 0.3;
        QStringList inputs;
        if (job < 2) {
            QVERIFY(runParts(family, 13 - job, u8("~tmpSP001.") + ext, src, 6, mp3));
            expected = 6;
            below = 0.15;
            above = job == 0 ? 2 : 0.5;
        } else if (job == 2) {
            inputs = QStringList{u8("~tmpSP001.") + ext, u8("~tmpSP002.") + ext};
            QVERIFY(runParts(family, 5, inputs[0], src));
            QVERIFY(runParts(family, 21, inputs[1], src));
            expected = testsupport::probeDuration(work(inputs[0])) +
                       testsupport::probeDuration(work(inputs[1]));
        } else if (job == 3) {
            inputs = QStringList{work(u8("影片 測試.") + ext), work(u8("it's \"2\".") + ext)};
            for (const QString& f : inputs) {
                QVERIFY(QFile::copy(src, f));
            }
            expected = 60;
        } else if (family == 1) {
            out = work(u8("clip_fix.") + ext);
            QCOMPARE(exec(fixFlvCommand(m_fmg, src, ext)), 0);
            QCOMPARE(exec(metaCommand(m_fmd, u8("~fix~tmpSP.") + ext)), 0);
            QVERIFY(QFile::rename(work(u8("~fix~tmpSP.") + ext), out));
        } else {
            out = work(u8("clip_fix.") + ext);
            QCOMPARE(exec(family == 2 ? fixMpegCommand(m_fmg, src, out)
                                      : fixOtherCommand(m_mcd, src, out, mp3)),
                     0);
        }
        if (job == 2 || job == 3) {
            below = above = 0.5;
            out = work(u8("影片 測試_part.") + ext);
            const QString join = u8("~tmpSJoin.") + ext;
            if (family == 3) {
                QCOMPARE(exec(job == 2 ? joinPartsToCommand(m_mcd, out, inputs)
                                       : joinFilesToCommand(m_mcd, out, inputs, mp3)),
                         0);
            } else {
                QCOMPARE(exec(job == 2 ? joinPartsCommand(m_mcd, ext, inputs)
                                       : joinFilesCommand(m_mcd, ext, inputs)),
                         0);
                QCOMPARE(exec(family == 2 ? remuxToCommand(m_fmg, join, out)
                                          : remuxCommand(m_fmg, join)),
                         0);
                if (family == 1) {
                    QCOMPARE(exec(metaCommand(m_fmd, u8("~fix") + join)), 0);
                    QVERIFY(QFile::rename(work(u8("~fix") + join), out));
                }
                QVERIFY(QFile::remove(work(join)));
            }
        }

        const double length = testsupport::probeDuration(out);
        QVERIFY2(!whole || (length >= expected - below && length <= expected + above),
                 qPrintable(QStringLiteral("%1 s, not %2 s").arg(length).arg(expected)));
        if (mp3) {
            QCOMPARE(probe(out, "a:0", "codec_name"), u8("mp3"));
            QVERIFY(qAbs(probe(out, "a:0", "bit_rate").toDouble() - 64000) < 640);
        } else {
            QCOMPARE(sortedCodecs(out), sortedCodecs(src));
        }
        if (job < 2 || job == 4) {
            QCOMPARE(workFiles(), QStringList(QFileInfo(out).fileName()));
            if (whole) {
                verifyVideoCopied(out, src, family == 2);
            }
        }
        if (family == 1) {
            verifyFlv(out);
        }
    }

    void remuxOfOwnCopy_data() {
        QTest::addColumn<QString>("media");
        QTest::addColumn<bool>("join");      // the remux of two cuts joined, not of one cut
        QTest::addColumn<QString>("after");  // what happens to the file before its remux, or
                                             // "elsewhere": the remux is written on another
                                             // file system
        const auto row = [](const char* media, bool join, const char* after) {
            QTest::newRow(
                qPrintable(u8("%1%2, %3").arg(u8(join ? "join of " : ""), u8(media), u8(after))))
                << u8(media) << join << u8(after);
        };
        for (const char* after : {"nothing", "touched", "copied", "grown", "elsewhere"}) {
            row("h264.flv", false, after);  // reordered frames
        }
        row("h263.flv", false, "nothing");
        row("bad/nometa.flv", false, "nothing");
        row("h264.flv", true, "nothing");
        row("h264.flv", true, "grown");
    }
    // The save remuxes every FLV part straight after cutting it. ffmpeg would
    // write the part's bytes again, so the remux tool links or copies them
    // instead, which it does without ffmpeg: here ffmpeg is out of its reach.
    // A part changed or replaced since the cut gets a real remux, which fails
    // here.
    void remuxOfOwnCopy() {
        QFETCH(QString, media);
        QFETCH(bool, join);
        QFETCH(QString, after);
        const QString src = testsupport::media(media);
        QString part = u8("~tmpSP001.flv");
        QCOMPARE(exec(cutCommand(m_mcd, u8("13"), u8("6"), part, src)), 0);
        if (join) {
            const QStringList parts{part, u8("~tmpSP002.flv")};
            QCOMPARE(exec(cutCommand(m_mcd, u8("3"), u8("5"), parts[1], src)), 0);
            QCOMPARE(exec(joinPartsCommand(m_mcd, u8("flv"), parts)), 0);
            part = u8("~tmpSJoin.flv");
        }
        const QString path = work(part);
        if (setxattr(QFile::encodeName(path).constData(), "user.test", "1", 1, 0) != 0) {
            QSKIP("this file system keeps no extended attributes");
        }
        QFile file(path);
        if (after == u8("touched")) {
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                     QFileDevice::FileModificationTime));
        } else if (after == u8("copied")) {
            QVERIFY(file.rename(work(u8("moved.flv"))) && QFile::copy(work(u8("moved.flv")), path));
        } else if (after == u8("grown")) {
            QVERIFY(file.open(QIODevice::Append) && file.write("x", 1) == 1);
        }
        file.close();
        const QString reference = work(u8("reference.flv"));
        QCOMPARE(testsupport::run(u8("ffmpeg"), split("-nostdin|-v|error|-i")
                                                    << path << split("-c|copy|-f|flv") << reference)
                     .exitCode,
                 0);

        QString fixed = work(u8("~fix") + part);
        const bool elsewhere = after == u8("elsewhere");
        std::unique_ptr<QTemporaryDir> other;
        if (elsewhere) {
            other = otherFileSystem(m_work->path());
            if (!other) {
                QSKIP("no writable folder on another file system");
            }
            fixed = other->filePath(u8("fixed.flv"));
        }
        const int code = remuxWithoutFfmpeg(elsewhere ? remuxToCommand(m_fmg, part, fixed)
                                                      : remuxCommand(m_fmg, part));
        if (after != u8("nothing") && !elsewhere) {
            QCOMPARE(code, 127);
            QVERIFY(!QFileInfo::exists(fixed));
            return;
        }
        QCOMPARE(code, 0);
        QVERIFY(QFileInfo(reference).size() > 10000);
        QCOMPARE(digestOf(fixed), digestOf(reference));
        // Beside the part the result shares its data; elsewhere it is a copy.
        QCOMPARE(linkCount(path), elsewhere ? 1 : 2);
        // The result is as good as the remux for the next remux too.
        const QString again = work(u8("again.flv"));
        QCOMPARE(remuxWithoutFfmpeg(remuxToCommand(m_fmg, fixed, again)), 0);
        QCOMPARE(digestOf(again), digestOf(reference));
    }

    void encode_data() {
        QTest::addColumn<QString>("source");  // cut from this medium first
        QTest::addColumn<QString>("target");
        QTest::addColumn<EncodeSettings>("settings");
        QTest::addColumn<QString>("streams");
        EncodeSettings p[4];
        for (int i = 0; i < 4; ++i) {
            p[i].panel = i;
        }
        EncodeSettings wmv = p[0], avi = p[0], rate = p[1];
        rate.videoBitrate = u8("768");
        wmv.videoSize = u8("320x240");
        avi.frameRate = u8("30");
        avi.samplingRate = u8("44100");
        avi.audioBitrate = u8("128");
        avi.channels = u8("單聲道");
        const auto row = [](const char* tag, const char* source, const char* target,
                            const EncodeSettings& s, const char* streams) {
            QTest::newRow(tag) << u8(source) << u8(target) << s << u8(streams);
        };
        row("0, mpg", "h264.flv", "a.mpg", p[0], "mp2 22050 2 mpeg1video 640 480 25/1");
        row("0, wmv, 320x240", "h264.flv", "a.wmv", wmv, "wmav2 22050 2 wmv2 320 240 25/1");
        row("0, avi, own settings", "h263.flv", "a.avi", avi, "mp3 44100 1 mpeg4 640 480 30/1");
        row("1, flv", "clip.avi", "a.flv", p[1], "mp3 22050 2 flv1 640 480 25/1");
        row("1, flv from mpg, 768 kbit/s", "clip.mpg", "a.flv", rate,
            "mp3 22050 2 flv1 640 480 25/1");
        row("2, mp3", "h264.flv", "a.mp3", p[2], "mp3 22050 2");
        row("2, wav", "h264.flv", "a.wav", p[2], "pcm_s16le 22050 2");
        row("3, flv", "clip.mp3", "a.flv", p[3], "mp3 22050 2");
    }
    void encode() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(EncodeSettings, settings);
        QFETCH(QString, streams);
        // A short source keeps the run quick; the copy cut makes it.
        const QString src = work(u8("源 ") + source);
        QCOMPARE(exec(cutCommand(m_mcd, u8("4"), u8("8"), src, testsupport::media(source))), 0);
        const QString dst = work(target);
        QCOMPARE(exec(encodeCommand(m_fmg, src, dst, settings)), 0);
        if (target.endsWith(QLatin1String(".flv"))) {
            QCOMPARE(exec(metaQuotedCommand(m_fmd, dst)), 0);
            verifyFlv(dst, settings.panel != 3);
        }
        QCOMPARE(describeStreams(dst), streams);
        if (!streams.startsWith(QLatin1String("pcm"))) {
            // Constant-rate audio encoders hit the asked rate.
            const double asked = settings.audioBitrate.toDouble() * 1000;
            const double got = probe(dst, "a:0", "bit_rate").toDouble();
            QVERIFY2(qAbs(got - asked) < asked * 0.01, qPrintable(QString::number(got)));
        }
    }

    void awkwardNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("time");   // of the snapshot
        QTest::addColumn<QString>("img");    // its type
        QTest::addColumn<QString>("codec");  // and codec
        QTest::newRow("blanks and Chinese")
            << u8("影片 測試") << u8("12.340") << u8("jpg") << u8("mjpeg");
        QTest::newRow("double quotes") << u8("say \"hi\"") << u8("0.000") << u8("png") << u8("png");
        QTest::newRow("leading dash, near the end")
            << u8("-clip") << u8("29.900") << u8("gif") << u8("gif");
        QTest::newRow("colon and percent")
            << u8("file:100%d") << u8("1.000") << u8("png") << u8("png");
    }
    // Names pass through every tool intact, as source and as destination. A
    // snapshot is one full-size picture of the asked type.
    void awkwardNames() {
        QFETCH(QString, name);
        QFETCH(QString, time);
        QFETCH(QString, img);
        QFETCH(QString, codec);
        const QString src = work(name + u8(".flv"));
        QVERIFY(QFile::copy(testsupport::media(u8("h263.flv")), src));
        const QString copy = work(name + u8("_part.avi"));
        QCOMPARE(exec(fixOtherCommand(m_mcd, src, copy)), 0);
        QCOMPARE(sortedCodecs(copy), sortedCodecs(src));
        const QString fixed = work(name + u8("_fix.flv"));
        QCOMPARE(exec(fixMpegCommand(m_fmg, src, fixed)), 0);
        QCOMPARE(exec(metaQuotedCommand(m_fmd, fixed)), 0);
        verifyFlv(fixed);
        QCOMPARE(exec(snapshotCommand(m_fmg, src, time, img)), 0);
        const QString picture = work(u8("~tmpSP001.") + img);
        QCOMPARE(probe(picture, "v:0", "codec_name") + u8(" ") + probe(picture, "v:0", "width"),
                 codec + u8(" 640"));
        QCOMPARE(ffprobeLines("-count_frames|-show_entries|stream=nb_read_frames", picture),
                 QStringList(u8("1")));
        QCOMPARE(workFiles().size(), 4);
    }

    void failures_data() {
        QTest::addColumn<int>("tool");        // index into the commands of failures()
        QTest::addColumn<QString>("source");  // copied in as "src" + its extension; "" = missing
        QTest::addColumn<QString>("output");  // in the output folder
        QTest::addColumn<bool>("emptied");    // the existing output "old.flv" is left empty
        const auto row = [](const char* tag, int tool, const char* source, const char* output,
                            bool emptied = false) {
            QTest::newRow(tag) << tool << u8(source) << u8(output) << emptied;
        };
        row("cut, missing", 0, "", "~tmpSP002.flv");
        row("cut, not media", 0, "bad/text/clip.flv", "~tmpSP002.flv");
        row("cut, empty file", 0, "bad/empty.flv", "~tmpSP002.flv");
        row("fix, missing", 1, "", "out.flv");
        row("fix, not media", 1, "bad/text/clip.flv", "out.flv");
        row("metadata, missing", 2, "", "");
        row("metadata, not media", 2, "bad/text/clip.flv", "");
        row("join, second missing", 3, "", "out.flv");
        row("join, second not media", 3, "bad/text/clip.flv", "out.flv");
        row("encode, not media", 4, "bad/text/clip.flv", "out.flv");
        // WMV pictures cannot go into an FLV by copy: the output is left empty
        // and the tool fails, which is what makes the program offer re-encoding.
        row("wmv into flv, MEncoder tool", 0, "clip.wmv", "old.flv", true);
        row("wmv into flv, FFmpeg tool", 1, "clip.wmv", "old.flv", true);
        // The FFmpeg tool replaces an existing output only when told "-y".
        row("existing output without -y", 5, "h263.flv", "old.flv");
        // root writes anywhere, so a read-only folder only tells for others.
        for (const QString& folder : split(geteuid() != 0 ? "no such folder|plain.txt|locked"
                                                          : "no such folder|plain.txt")) {
            for (const int tool : {1, 4, 6}) {
                const QString out = folder + u8("/out.avi");
                QTest::newRow(qPrintable(out + u8(", tool ") + QString::number(tool)))
                    << tool << u8("clip.avi") << out << false;
            }
        }
    }
    // A tool that cannot read its input or write its output fails, and leaves
    // the output folder, its source included, as it was.
    void failures() {
        QFETCH(int, tool);
        QFETCH(QString, source);
        QFETCH(QString, output);
        QFETCH(bool, emptied);
        const QString src =
            work(u8("src.") + (source.isEmpty() ? u8("flv") : QFileInfo(source).suffix()));
        QVERIFY(source.isEmpty() || QFile::copy(testsupport::media(source), src));
        for (const char* name : {"plain.txt", "old.flv"}) {
            QFile f(work(u8(name)));
            QVERIFY(f.open(QIODevice::WriteOnly) &&
                    f.write(QByteArray(name).startsWith("old") ? "old" : "") >= 0);
        }
        QVERIFY(QDir(m_work->path()).mkdir(u8("locked")));
        QVERIFY(QFile::setPermissions(work(u8("locked")), QFile::ReadOwner | QFile::ExeOwner));
        QStringList expected = workState();
        if (emptied) {
            // Left empty, like plain.txt.
            expected.replaceInStrings(digestOf(work(u8("old.flv"))),
                                      digestOf(work(u8("plain.txt"))));
        }
        const QString out = work(output);
        const QString flv = testsupport::media(u8("h263.flv"));
        const ToolCommand noY = ToolCommand(m_fmg).raw(u8(" -i ")).quoted(src);
        const ToolCommand commands[] = {
            cutCommand(m_mcd, u8("3"), u8("4"), output, src),
            fixMpegCommand(m_fmg, src, out),
            metaCommand(m_fmd, src),
            joinFilesToCommand(m_mcd, out, {flv, src}),
            encodeCommand(m_fmg, src, out, EncodeSettings()),
            ToolCommand(noY).raw(u8(" -acodec copy -vcodec copy ")).quoted(out),
            fixOtherCommand(m_mcd, src, out)};
        QVERIFY(exec(commands[tool]) > 0);
        QCOMPARE(workState(), expected);
    }

    void stopEndsFfmpeg_data() {
        QTest::addColumn<bool>("kill");
        QTest::newRow("terminate") << false;
        QTest::newRow("kill") << true;
    }
    // Break in the busy dialog stops the tool; its ffmpeg must stop with it,
    // and a terminated tool cleans up and leaves no output.
    void stopEndsFfmpeg() {
        QFETCH(bool, kill);
        // A long conversion: the whole 30 s clip at a high frame rate.
        EncodeSettings slow;
        slow.videoBitrate = u8("1600");
        slow.frameRate = u8("30");
        const QString out = work(u8("stopped.avi"));
        const ToolCommand c = encodeCommand(m_fmg, testsupport::media(u8("clip.mov")), out, slow);
        QProcess p;
        p.setWorkingDirectory(m_work->path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(c.program(), c.arguments());
        QVERIFY(p.waitForStarted(10000));
        QVERIFY(ffmpegRuns(m_work->path(), true));  // its command line names the folder
        if (kill) {
            p.kill();
        } else {
            p.terminate();
        }
        QVERIFY(p.waitForFinished(10000));
        if (!kill) {
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 128 + 15);
            QCOMPARE(workFiles(), QStringList());
        }
        QVERIFY(!ffmpegRuns(m_work->path(), false));
        QVERIFY(!QFileInfo::exists(out));
        // Killed outright, the tool cannot tidy up: what it leaves carries the
        // "~tmpS" prefix the program's clean-up removes after every job.
        for (const QString& name : workFiles()) {
            QVERIFY2(name.startsWith(QLatin1String("~tmpS")), qPrintable(name));
            QVERIFY(QFile::remove(work(name)));
        }
    }

    void resourceProgram_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("files");  // what it installs; "" = refused with exit code 2
        const auto row = [](const char* args, const char* files) {
            QTest::newRow(qPrintable(u8("\"%1\"").arg(u8(args))))
                << u8(args).split(u' ', Qt::SkipEmptyParts) << u8(files);
        };
        row("Edit1", "~tmpExtFmd ~tmpExtFmg ~tmpExtMcd");
        row("Edit2", "~tmpExtFmg ~tmpExtMcd");
        row("Edit3", "~tmpExtMcd");
        row("Fix1", "~tmpExtFmd ~tmpExtFmg");
        row("Fix2", "~tmpExtFmg");
        row("Fix3", "~tmpExtMcd");
        row("Snap", "~tmpExtFmg");
        row("Encode", "~tmpExtFmd ~tmpExtFmg");
        row("CapMCI", "~tmpExtFlv.wmv");
        row("Edit4", "");
        row("edit1", "");
        row("", "");
        row("Edit1 Snap", "");
    }
    // Each mode word installs what it needs into the temporary folder (again,
    // in place, when run twice): copies of the tool program, or the sample clip.
    void resourceProgram() {
        QFETCH(QStringList, args);
        QFETCH(QString, files);
        QTemporaryDir dir;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u8("TMPDIR"), dir.path());
        p.setProcessEnvironment(env);
        for (int round = files.isEmpty() ? 1 : 0; round < 2; ++round) {
            p.start(testsupport::binDir() + u8("/ZelvoResFLV"), args);
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitCode(), files.isEmpty() ? 2 : 0);
            QCOMPARE(toolsIn(dir.path()), files);
        }
        if (files.isEmpty()) {
            QVERIFY(p.readAllStandardError().contains("unknown mode word"));
            return;
        }
        const QString tool = testsupport::binDir() + u8("/ZelvoToolFLV");
        for (const QString& name : files.split(u' ')) {
            const QString path = dir.filePath(name);
            if (name.endsWith(QLatin1String(".wmv"))) {
                QCOMPARE(sortedCodecs(path), split("wmav2|wmv2"));
                QVERIFY(testsupport::probeDuration(path) > 1);
            } else {
                QVERIFY(QFileInfo(path).isExecutable());
                QCOMPARE(digestOf(path), digestOf(tool));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestToolRuns)
#include "tst_toolruns.moc"
