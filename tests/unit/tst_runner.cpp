#include "TestSupport.h"
#include "core/jobs/ToolCommands.h"
#include "core/jobs/mdlGetCmdOutput.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <functional>
#include <memory>
#include <tuple>

namespace {

// Creates an empty file in the working folder (safe in a signal handler).
void touch(const char* name) {
    ::close(::open(name, O_CREAT | O_WRONLY, 0644));
}

// Started as "tst_runner --stubborn", this program writes "ready", then "asked"
// when told to stop, which it ignores; only if never killed does it write "done".
const char* const stubbornArg = "--stubborn";

int stubbornMain() {
    std::signal(SIGTERM, [](int) { touch("asked"); });
    touch("ready");
    QThread::sleep(30);  // goes on sleeping after the signal
    touch("done");
    return 0;
}

// Started as "tst_runner --parent-of PROGRAM ARGS...", this process stands for the program: it
// starts PROGRAM as its child, writes the child's id into "child.pid" and waits to be killed.
const char* const parentOfArg = "--parent-of";

int parentOfMain(char** argv) {
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    const QByteArray id = QByteArray::number(qint64(child));
    const int fd = ::open("child.pid.new", O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, id.constData(), size_t(id.size())) != id.size() || ::close(fd) != 0 ||
        ::rename("child.pid.new", "child.pid") != 0) {
        return 1;
    }
    for (;;) {
        pause();
    }
}

// Whether the process runs (a zombie no longer does).
bool alive(qint64 pid) {
    QFile stat(u8("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray s = stat.readAll();
    const qsizetype close = s.lastIndexOf(')');
    return close > 0 && s.size() > close + 2 && s[close + 2] != 'Z';
}

// A conversion that takes some seconds: the 30 s clip made bigger.
ToolCommand slowEncode(const QString& fmg, const QString& size, const QString& out) {
    EncodeSettings slow;
    slow.videoSize = size;
    slow.frameRate = u8("30");
    slow.videoBitrate = u8("1600");
    return encodeCommand(fmg, testsupport::media(u8("clip.mov")), out, slow);
}

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Arguments written with "|" between them.
QStringList split(const char* joined) {
    return u8(joined).split(u'|');
}

QString probe(const QString& path, const char* stream, const char* entry) {
    return testsupport::probeEntry(path, QLatin1String(stream), QLatin1String(entry));
}

// ffprobe's lines for the given options, one stream or packet a line.
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

// The sound as "codec rate channels", then the picture as "codec width height rate".
QString describeStreams(const QString& path) {
    return (ffprobeLines("-select_streams|a:0|-show_entries|stream=codec_name,sample_rate,channels",
                         path) +
            ffprobeLines(
                "-select_streams|v:0|-show_entries|stream=codec_name,width,height,r_frame_rate",
                path))
        .join(u' ')
        .replace(u',', u' ');
}

// Whether an ffmpeg whose command line names the folder runs (one outliving its tool would).
bool ffmpegRuns(const QString& folder) {
    return testsupport::run(u8("pgrep"), {u8("-f"), u8("^ffmpeg .*") + folder}).exitCode == 0;
}

}  // namespace

// The runner and the real command lines on real tool runs and generated media: the tools are
// installed by the real resource program and run in a working folder of their own, as the
// program's jobs start them.
class TestRunner : public QObject, testsupport::ToolFolders {
    Q_OBJECT

    QList<int> m_progress;

    // The exit code; -1 for a crash or a run past its deadline.
    int exec(const ToolCommand& c) {
        return testsupport::run(c.program(), c.arguments(), m_work->path()).exitCode;
    }

    // The steps the program takes for one range of 6 s: the cut, then for FLV and MPEG
    // sources the remux into "~fix" + part and back, then for FLV the metadata.
    bool runParts(int family, int ss, const QString& part, const QString& src, bool mp3) {
        const QString fix = work(u8("~fix") + part);
        if (exec(cutCommand(m_mcd, ss, 6, part, src, mp3)) != 0) {
            return false;
        }
        if (family == 3) {
            return QFileInfo(work(part)).size() > 0;
        }
        return exec(remuxCommand(m_fmg, part)) == 0 && QFile::remove(work(part)) &&
               QFile::rename(fix, work(part)) &&
               (family == 2 || exec(metaCommand(m_fmd, part)) == 0);
    }

    // A stream copy's video packets are a run of the source's, byte for byte (in an MPEG
    // program stream but the first, which repeats the sequence header).
    static void verifyVideoCopied(const QString& out, const QString& src, bool firstMayDiffer) {
        const QStringList got = videoHashes(out);
        QVERIFY(got.size() > 10);
        QVERIFY2(videoHashes(src).join(u' ').contains(got.mid(firstMayDiffer ? 1 : 0).join(u' ')),
                 "the copied video packets are not a run of the source's");
    }

    // What the metadata tool leaves: a file flvmeta finds sound, whose onMetaData tells the
    // duration, the picture size and a keyframe index.
    static void verifyFlv(const QString& path, bool picture = true) {
        const testsupport::RunResult check = testsupport::run(u8("flvmeta"), {u8("--check"), path});
        QVERIFY2(check.exitCode == 0 && check.output.contains("0 error(s)"), check.output.data());
        const QByteArray json =
            testsupport::run(u8("flvmeta"), {u8("-D"), u8("--json"), path}).output;
        const QVariantMap meta = QJsonDocument::fromJson(json).toVariant().toMap();
        const QVariantMap keys = meta.value(u8("keyframes")).toMap();
        const qsizetype times = keys.value(u8("times")).toList().size();
        QVERIFY(meta.value(u8("duration")).toDouble() > 0);
        QVERIFY(!picture ||
                (times >= 2 && keys.value(u8("filepositions")).toList().size() == times));
        QCOMPARE(
            u8("%1x%2").arg(meta.value(u8("width")).toInt()).arg(meta.value(u8("height")).toInt()),
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

    static struct stat statOf(const QString& path) {
        struct stat st {};
        stat(QFile::encodeName(path).constData(), &st);
        return st;
    }

    // A new folder on another file system than folder's; null when there is none.
    static std::unique_ptr<QTemporaryDir> otherFileSystem(const QString& folder) {
        for (const char* base : {"/dev/shm", "/var/tmp", "/run/user"}) {
            auto dir = std::make_unique<QTemporaryDir>(u8(base) + u8("/zelvo-XXXXXX"));
            if (dir->isValid() && statOf(dir->path()).st_dev != statOf(folder).st_dev) {
                return dir;
            }
        }
        return nullptr;
    }

    // Every entry of the output folder: a file with its digest, a folder with its entries.
    QStringList workState() const {
        QStringList state;
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        for (const QFileInfo& f : QDir(m_work->path()).entryInfoList(all, QDir::Name)) {
            state << f.fileName() + u8(" ") +
                         (f.isDir() ? QDir(f.filePath()).entryList(all).join(u' ') + u8("/")
                                    : testsupport::digest(f.filePath()));
        }
        return state;
    }

    // Runs c in the working folder to its end; true when it ended within the time.
    bool runToEnd(ToolProcess& process, const ToolCommand& c) {
        QSignalSpy ended(&process, &ToolProcess::finished);
        process.start(c, m_work->path());
        return ended.wait(60000);
    }

private Q_SLOTS:
    void initTestCase() {
        for (const char* program : {"ffmpeg", "ffprobe", "flvmeta", "pgrep"}) {
            QVERIFY2(!QStandardPaths::findExecutable(u8(program)).isEmpty(), program);
        }
        QVERIFY(install());
    }
    void init() {
        QVERIFY(newWorkFolder());
        m_progress.clear();
    }
    // No run leaves its temporaries behind, in the output folder or in the temporary folder.
    void cleanup() {
        QVERIFY(!::breakRun());
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        for (const QString& name : workFiles()) {
            QVERIFY2(!name.startsWith(u8("~tmpSZ")), qPrintable(name));
        }
        QCOMPARE(testsupport::filesIn(m_tmp.path()).join(u' '),
                 u8("~tmpExtFmd ~tmpExtFmg ~tmpExtMcd"));
        m_work.reset();
    }

    void runs_data() {
        QTest::addColumn<int>("kind");       // 0 cut 13 s + 6 s, 1 copy, 2 conversion, 3 join,
        QTest::addColumn<QString>("media");  // 4 the program "media" names (none: "")
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        const auto row = [](const char* tag, int kind, const char* media, const char* out,
                            int exitCode, const char* says) {
            QTest::newRow(tag) << kind << u8(media) << u8(out) << exitCode << u8(says);
        };
        row("flv cut, part in the working folder", 0, "h264.flv", "~tmpSP001.flv", 0,
            "duration_us=6000000");
        row("copy to blanks, quotes and Chinese", 1, "clip.avi", "影片 \"一\" 測試.avi", 0,
            "progress=end");
        row("conversion tells its length", 2, "clip.mp4", "enc.flv", 0, "duration_us=30");
        // The tool's complaint arrives on standard error, merged into the text.
        row("leading dash refused by the tool", 3, "clip.mpg", "-a.mpg", 2, "e.g. ./-a.mpg");
        // A program that cannot start ends at once.
        row("no such program", 4, "/nonexistent/~tmpExtMcd", "a.flv", -1, "");
        row("not a program", 4, "h264.flv", "a.flv", -1, "");
        row("no program at all", 4, "", "a.flv", -1, "");
    }
    void runs() {
        QFETCH(int, kind);
        QFETCH(QString, media);
        QFETCH(QString, out);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        const QString src =
            media.startsWith(u'/') || media.isEmpty() ? media : testsupport::media(media);
        QVERIFY(kind != 3 || QFile::copy(src, work(out)));
        const ToolCommand commands[] = {
            cutCommand(m_mcd, 13, 6, out, src), fixOtherCommand(m_mcd, src, out),
            encodeCommand(m_fmg, src, out, EncodeSettings()),
            joinPartsCommand(m_mcd, u8("mpg"), {out}), ToolCommand(src).raw(u8(" -o ")).arg(out)};
        ToolProcess process;
        connect(&process, &ToolProcess::progress, this, [this](int p) { m_progress << p; });
        QVERIFY(runToEnd(process, commands[kind]));
        const QString text = QString::fromUtf8(process.output());
        QCOMPARE(process.exitCode(), exitCode);
        QCOMPARE(process.failedToStart(), exitCode < 0);
        QVERIFY2(exitCode < 0 ? text.isEmpty() : text.contains(says), qPrintable(text));
        // A relative name lands in the working folder, and nothing else does.
        QCOMPARE(workFiles(), exitCode < 0 ? QStringList() : QStringList(out));
        if (exitCode != 0) {
            QVERIFY(!m_progress.contains(100));
            return;
        }
        // The output is made (what it holds, the tool tests check). Each run begins
        // unknown and ends complete, never going back.
        QVERIFY(QFileInfo(work(out)).size() > 0);
        QVERIFY(m_progress.size() >= 2 && m_progress.first() == -1 && m_progress.last() == 100);
        QVERIFY2(std::adjacent_find(m_progress.begin() + 1, m_progress.end(),
                                    std::greater_equal<int>()) == m_progress.end(),
                 qPrintable(QString::number(m_progress.size())));
    }

    // Break ends the run whatever the program does: asked to stop, a program that ignores it
    // is killed. The event loop is served all the while. (A tool that stops and tidies up:
    // stopEndsFfmpeg; a job's Break: tst_tooljob::secondJobTouchesNothing.)
    void breakRun() {
        ToolProcess process;
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] {
            ++ticks;
            if (QFileInfo::exists(work(u8("ready")))) {
                process.stop();
            }
        });
        tick.start(20);
        QVERIFY(runToEnd(process, ToolCommand(QCoreApplication::applicationFilePath())
                                      .raw(u8(" ") + QLatin1String(stubbornArg))));
        tick.stop();
        QCOMPARE(process.exitCode(), breakExitCode);
        QCOMPARE(workFiles(), QStringList({u8("asked"), u8("ready")}));
        QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
    }

    // The waiting form: the text of a run, Break before the run stops it before it
    // starts, and a second run inside the first is refused.
    void waitingRun() {
        const QString out = work(u8("copy.avi"));
        QString nested = u8("not tried");
        QTimer::singleShot(0, this, [&] {
            nested = GetCmdOutput(fixOtherCommand(m_mcd, u8("x.avi"), out), m_work->path());
        });
        const QString text = GetCmdOutput(
            fixOtherCommand(m_mcd, testsupport::media(u8("clip.avi")), out), m_work->path());
        QCOMPARE(lastCmdExitCode(), 0);
        QVERIFY2(text.contains(u8("progress=end")), qPrintable(text));
        QCOMPARE(nested, QString());
        QVERIFY(QFileInfo(out).size() > 0);

        setBreakRun(true);
        QCOMPARE(GetCmdOutput(fixOtherCommand(m_mcd, u8("x.avi"), out), m_work->path()), QString());
        QCOMPARE(lastCmdExitCode(), breakExitCode);
        QVERIFY(!::breakRun());
    }

    void copy_data() {
        QTest::addColumn<QString>("media");
        QTest::addColumn<int>("job");   // 0 cut 6 s from 13 s, 1 from 12 s, 3 the join list,
        QTest::addColumn<bool>("mp3");  // 4 repair; sound re-encoded to MP3
        const auto rows = [](const char* what, int job, bool mp3, const char* media) {
            for (const QString& m : u8(media).split(u' ')) {
                QTest::newRow(qPrintable(u8(what) + m)) << m << job << mp3;
            }
        };
        // Keyframes come every 2 s, a little after each even second: a cut from 13 s starts on
        // the one near 12 s. From 12 s, in a video with reordered frames, the keyframe sits
        // exactly on the start: the cut must begin on it, not on the one 2 s earlier.
        rows("cut ", 0, false,
             "h263.flv h264.flv clip.mpg clip.vob clip.avi clip.mp4 clip.wmv clip.3gp clip.mov");
        rows("cut from a keyframe ", 1, false, "clip.mp4");
        rows("join list ", 3, false, "h263.flv clip.vob clip.3gp");
        rows("repair ", 4, false, "h263.flv bad/nometa.flv bad/truncated.flv clip.vob clip.mov");
        rows("MP3 sound, cut ", 0, true, "clip.avi clip.mp4");
        rows("MP3 sound, join list ", 3, true, "clip.avi clip.mp4");
        rows("MP3 sound, repair ", 4, true, "clip.avi clip.mp4");
    }
    // Stream copies the way the program makes them: video copied, sound copied or made
    // MP3 at 64 kbit/s, FLV metadata rewritten; the join list's awkward names in list order.
    // (Cut parts joined: tst_saveranges, which saves every container family that way.)
    void copy() {
        QFETCH(QString, media);
        QFETCH(int, job);
        QFETCH(bool, mp3);
        const QString src = testsupport::media(media), ext = QFileInfo(media).suffix();
        const int family = containerFamily(ext);
        const bool whole = !media.startsWith(u8("bad/"));
        QString out = work((job < 2 ? u8("~tmpSP001.") : u8("clip_fix.")) + ext);
        // The length in seconds, and how much it may fall short of that or exceed it.
        double expected = 30, below = 0.3, above = 0.3;
        QStringList inputs;
        if (job < 2) {
            QVERIFY(runParts(family, 13 - job, QFileInfo(out).fileName(), src, mp3));
            std::tie(expected, below, above) = std::make_tuple(6.0, 0.15, job == 0 ? 2 : 0.5);
        } else if (job == 3) {
            inputs = QStringList{work(u8("影片 測試.") + ext), work(u8("it's \"2\".") + ext)};
            QVERIFY(QFile::copy(src, inputs[0]) && QFile::copy(src, inputs[1]));
            expected = 60;
        } else if (family == 1) {
            QCOMPARE(exec(fixFlvCommand(m_fmg, src, ext)), 0);
            QCOMPARE(exec(metaCommand(m_fmd, u8("~fix~tmpSP.") + ext)), 0);
            QVERIFY(QFile::rename(work(u8("~fix~tmpSP.") + ext), out));
        } else {
            QCOMPARE(exec(family == 2 ? fixMpegCommand(m_fmg, src, out)
                                      : fixOtherCommand(m_mcd, src, out, mp3)),
                     0);
        }
        if (!inputs.isEmpty()) {
            below = above = 0.5;
            out = work(u8("影片 測試_part.") + ext);
            const QString join = u8("~tmpSJoin.") + ext;
            if (family == 3) {
                QCOMPARE(exec(joinFilesToCommand(m_mcd, out, inputs, mp3)), 0);
            } else {
                QCOMPARE(exec(joinFilesCommand(m_mcd, ext, inputs)), 0);
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
                 qPrintable(u8("%1 s, not %2 s").arg(length).arg(expected)));
        if (mp3) {
            QCOMPARE(probe(out, "a:0", "codec_name"), u8("mp3"));
            QVERIFY(qAbs(probe(out, "a:0", "bit_rate").toDouble() - 64000) < 640);
        } else {
            QCOMPARE(testsupport::probeCodecs(out), testsupport::probeCodecs(src));
        }
        if (inputs.isEmpty()) {
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
        QTest::addColumn<QString>("after");  // what befalls the file before its remux;
                                             // "elsewhere": the remux goes to another file system;
                                             // "itself": it is written over the part
        const auto row = [](const char* media, bool join, const char* after) {
            QTest::newRow(
                qPrintable(u8("%1%2, %3").arg(u8(join ? "join of " : ""), u8(media), u8(after))))
                << u8(media) << join << u8(after);
        };
        for (const char* after : {"nothing", "touched", "copied", "grown", "elsewhere", "itself"}) {
            row("h264.flv", false, after);  // reordered frames
        }
        row("h263.flv", false, "nothing");
        row("bad/nometa.flv", false, "nothing");
        row("h264.flv", true, "nothing");
        row("h264.flv", true, "grown");
    }
    // The save remuxes every FLV part straight after its cut. The tools write FLV from FLV
    // themselves, with ffmpeg out of their reach here: the remux of a part as cut gives the
    // same bytes, as a second name of them (or a copy on another file system); a part
    // changed since, or even grown by a stray byte, is rewritten to the same bytes.
    void remuxOfOwnCopy() {
        QFETCH(QString, media);
        QFETCH(bool, join);
        QFETCH(QString, after);
        const QString src = testsupport::media(media);
        QString part = u8("~tmpSP001.flv");
        QCOMPARE(exec(cutCommand(m_mcd, 13, 6, part, src)), 0);
        if (join) {
            const QStringList parts{part, u8("~tmpSP002.flv")};
            QCOMPARE(exec(cutCommand(m_mcd, 3, 5, parts[1], src)), 0);
            QCOMPARE(exec(joinPartsCommand(m_mcd, u8("flv"), parts)), 0);
            part = u8("~tmpSJoin.flv");
        }
        const QString path = work(part);
        if (setxattr(QFile::encodeName(path).constData(), "user.test", "1", 1, 0) != 0) {
            QSKIP("this file system keeps no extended attributes");
        }
        const QString reference = testsupport::digest(path);
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

        const bool elsewhere = after == u8("elsewhere");
        const auto other = elsewhere ? otherFileSystem(m_work->path()) : nullptr;
        if (elsewhere && !other) {
            QSKIP("no writable folder on another file system");
        }
        const QString fixed = elsewhere               ? other->filePath(u8("fixed.flv"))
                              : after == u8("itself") ? path
                                                      : work(u8("~fix") + part);
        QCOMPARE(remuxWithoutFfmpeg(elsewhere || after == u8("itself")
                                        ? remuxToCommand(m_fmg, part, fixed)
                                        : remuxCommand(m_fmg, part)),
                 0);
        QCOMPARE(testsupport::digest(fixed), reference);
        // Beside the unchanged part the result shares its data.
        QCOMPARE(statOf(path).st_nlink, nlink_t(after == u8("nothing") ? 2 : 1));
        // The result is as good as the remux for the next remux too.
        const QString again = work(u8("again.flv"));
        QCOMPARE(remuxWithoutFfmpeg(remuxToCommand(m_fmg, fixed, again)), 0);
        QCOMPARE(testsupport::digest(again), reference);
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
        QCOMPARE(exec(cutCommand(m_mcd, 4, 8, src, testsupport::media(source))), 0);
        const QString dst = work(target);
        QCOMPARE(exec(encodeCommand(m_fmg, src, dst, settings)), 0);
        if (target.endsWith(u8(".flv"))) {
            QCOMPARE(exec(metaQuotedCommand(m_fmd, dst)), 0);
            verifyFlv(dst, settings.panel != 3);
        }
        QCOMPARE(describeStreams(dst), streams);
        if (!streams.startsWith(u8("pcm"))) {
            // Constant-rate audio encoders hit the asked rate.
            const double asked = settings.audioBitrate.toDouble() * 1000;
            const double got = probe(dst, "a:0", "bit_rate").toDouble();
            QVERIFY2(qAbs(got - asked) < asked * 0.01, qPrintable(QString::number(got)));
        }
    }

    void awkwardNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("time");  // of the snapshot
        QTest::addColumn<QString>("img");   // its type
        QTest::addColumn<QString>("codec");
        QTest::newRow("blanks and Chinese")
            << u8("影片 測試") << u8("12.340") << u8("jpg") << u8("mjpeg");
        QTest::newRow("double quotes") << u8("say \"hi\"") << u8("0.000") << u8("png") << u8("png");
        QTest::newRow("leading dash, near the end")
            << u8("-clip") << u8("29.900") << u8("gif") << u8("gif");
        QTest::newRow("colon and percent")
            << u8("file:100%d") << u8("1.000") << u8("png") << u8("png");
    }
    // Names pass every tool intact, as source and destination. A snapshot is one
    // full-size picture of the asked type.
    void awkwardNames() {
        QFETCH(QString, name);
        QFETCH(QString, time);
        QFETCH(QString, img);
        QFETCH(QString, codec);
        const QString src = work(name + u8(".flv"));
        QVERIFY(QFile::copy(testsupport::media(u8("h263.flv")), src));
        const QString copy = work(name + u8("_part.avi"));
        QCOMPARE(exec(fixOtherCommand(m_mcd, src, copy)), 0);
        QCOMPARE(testsupport::probeCodecs(copy), testsupport::probeCodecs(src));
        const QString fixed = work(name + u8("_fix.flv"));
        QCOMPARE(exec(fixMpegCommand(m_fmg, src, fixed)), 0);
        QCOMPARE(exec(metaQuotedCommand(m_fmd, fixed)), 0);
        verifyFlv(fixed);
        QCOMPARE(exec(snapshotCommand(m_fmg, src, time.toDouble(), img)), 0);
        QCOMPARE(ffprobeLines("-count_frames|-show_entries|stream=codec_name,width,nb_read_frames",
                              work(u8("~tmpSP001.") + img)),
                 QStringList(codec + u8(",640,1")));
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
        // WMV pictures cannot go into FLV by copy: the tool fails and leaves the output
        // empty, which makes the program offer re-encoding.
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
    // A tool that cannot read its input or write its output fails, leaving the
    // output folder, its source included, as it was.
    void failures() {
        QFETCH(int, tool);
        QFETCH(QString, source);
        QFETCH(QString, output);
        QFETCH(bool, emptied);
        const QString src =
            work(u8("src.") + (source.isEmpty() ? u8("flv") : QFileInfo(source).suffix()));
        QVERIFY(source.isEmpty() || QFile::copy(testsupport::media(source), src));
        for (const char* name : {"plain.txt", "old.flv"}) {
            QVERIFY(testsupport::writeFile(work(u8(name)),
                                           QByteArray(name).startsWith("old") ? "old" : ""));
        }
        QVERIFY(QDir(m_work->path()).mkdir(u8("locked")));
        QVERIFY(QFile::setPermissions(work(u8("locked")), QFile::ReadOwner | QFile::ExeOwner));
        QStringList expected = workState();
        if (emptied) {
            // Left empty, like plain.txt.
            expected.replaceInStrings(testsupport::digest(work(u8("old.flv"))),
                                      testsupport::digest(work(u8("plain.txt"))));
        }
        const QString out = work(output);
        const ToolCommand noY = ToolCommand(m_fmg).raw(u8(" -i ")).quoted(src);
        const ToolCommand commands[] = {
            cutCommand(m_mcd, 3, 4, output, src),
            fixMpegCommand(m_fmg, src, out),
            metaCommand(m_fmd, src),
            joinFilesToCommand(m_mcd, out, {testsupport::media(u8("h263.flv")), src}),
            encodeCommand(m_fmg, src, out, EncodeSettings()),
            ToolCommand(noY).raw(u8(" -acodec copy -vcodec copy ")).quoted(out),
            fixOtherCommand(m_mcd, src, out)};
        QVERIFY(exec(commands[tool]) > 0);
        QCOMPARE(workState(), expected);
    }

    void stopEndsFfmpeg_data() {
        QTest::addColumn<int>("sig");
        QTest::newRow("terminate") << int(SIGTERM);
        QTest::newRow("interrupt") << int(SIGINT);
        QTest::newRow("hang up") << int(SIGHUP);
        QTest::newRow("kill") << int(SIGKILL);
    }
    // Break stops the tool and its ffmpeg; a tool told to stop (SIGTERM, SIGINT, SIGHUP)
    // cleans up and leaves no output.
    void stopEndsFfmpeg() {
        QFETCH(int, sig);
        const bool kill = sig == SIGKILL;
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
        QTRY_VERIFY_WITH_TIMEOUT(ffmpegRuns(m_work->path()), 10000);
        ::kill(pid_t(p.processId()), sig);
        QVERIFY(p.waitForFinished(10000));
        if (!kill) {
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 128 + sig);
            QCOMPARE(workFiles(), QStringList());
        }
        QTRY_VERIFY_WITH_TIMEOUT(!ffmpegRuns(m_work->path()), 10000);
        QVERIFY(!QFileInfo::exists(out));
        // Killed, it cannot tidy up: what it leaves has the "~tmpS" the program's clean-up removes.
        for (const QString& name : workFiles()) {
            QVERIFY2(name.startsWith(u8("~tmpS")), qPrintable(name));
            QVERIFY(QFile::remove(work(name)));
        }
    }

    // A tool ends with the program that started it, killed outright too: its ffmpeg ends
    // with it and the part it was writing is removed, within moments. (What a tool killed
    // on its own leaves, the program's next start removes.)
    void toolEndsWithItsProgram() {
        const QString clip = work(u8("long.flv"));
        QVERIFY(testsupport::makeLongClip(clip));
        // A cut of nearly the whole ten minutes with the sound re-encoded: ffmpeg writes the
        // part for some seconds.
        const ToolCommand c = cutCommand(m_mcd, 5, 590, u8("~tmpSP001.flv"), clip, true);
        QProcess program;
        program.setWorkingDirectory(m_work->path());
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QCoreApplication::applicationFilePath(),
                      QStringList{QLatin1String(parentOfArg), c.program()} + c.arguments());
        QVERIFY(program.waitForStarted(10000));
        const auto partial = [this] {
            return workFiles().filter(QRegularExpression(u8("^~tmpSZ")));
        };
        QVERIFY(testsupport::waitUntil(
            [&] {
                return ffmpegRuns(m_work->path()) && !partial().isEmpty() &&
                       QFileInfo(work(partial().front())).size() > 0;
            },
            30000));
        QFile pidFile(work(u8("child.pid")));
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        const qint64 tool = pidFile.readAll().toLongLong();
        QVERIFY(tool > 0 && alive(tool));
        ::kill(pid_t(program.processId()), SIGKILL);
        QVERIFY(program.waitForFinished(5000));
        QVERIFY2(
            testsupport::waitUntil(
                [&] { return !alive(tool) && !ffmpegRuns(m_work->path()) && partial().isEmpty(); },
                2000),
            qPrintable(workFiles().join(u' ')));
        QCOMPARE(workFiles(), QStringList({u8("child.pid"), u8("long.flv")}));
    }

    void toolOfAGoneProgram_data() {
        QTest::addColumn<bool>("gone");
        QTest::newRow("its program is gone") << true;
        QTest::newRow("its program runs") << false;
    }
    // The program names itself to its tools. A tool whose parent is not the program named
    // (the program ended before the tool could watch it, and the tool was taken over by
    // another process) ends at once, writing nothing.
    void toolOfAGoneProgram() {
        QFETCH(bool, gone);
        const qint64 named = gone ? qint64(getppid()) : QCoreApplication::applicationPid();
        qputenv("ZELVO_TOOL_PARENT", QByteArray::number(named));
        const int code =
            exec(cutCommand(m_mcd, 3, 5, u8("~tmpSP001.flv"), testsupport::media(u8("h264.flv"))));
        qunsetenv("ZELVO_TOOL_PARENT");
        QCOMPARE(code, gone ? 128 + SIGTERM : 0);
        QCOMPARE(workFiles(), gone ? QStringList() : QStringList(u8("~tmpSP001.flv")));
    }

    void resourceProgram_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("files");  // what it installs; "" = refused with exit code 2
        for (const char* row :
             {"Edit1=~tmpExtFmd ~tmpExtFmg ~tmpExtMcd", "Edit2=~tmpExtFmg ~tmpExtMcd",
              "Edit3=~tmpExtMcd", "Fix1=~tmpExtFmd ~tmpExtFmg", "Fix2=~tmpExtFmg",
              "Fix3=~tmpExtMcd", "Snap=~tmpExtFmg", "Encode=~tmpExtFmd ~tmpExtFmg",
              "CapMCI=~tmpExtFlv.wmv", "Edit4=", "edit1=", "=", "Edit1 Snap="}) {
            QTest::newRow(row) << u8(row).section(u'=', 0, 0) << u8(row).section(u'=', 1);
        }
    }
    // Each mode word installs into the temporary folder (again, in place, when run twice)
    // copies of the tool program or the sample clip.
    void resourceProgram() {
        QFETCH(QString, args);
        QFETCH(QString, files);
        QTemporaryDir dir;
        qputenv("TMPDIR", QFile::encodeName(dir.path()));
        testsupport::RunResult r;
        for (int round = files.isEmpty() ? 1 : 0; round < 2; ++round) {
            r = testsupport::run(testsupport::binDir() + u8("/ZelvoResFLV"),
                                 args.split(u' ', Qt::SkipEmptyParts));
            QCOMPARE(r.exitCode, files.isEmpty() ? 2 : 0);
            QCOMPARE(testsupport::filesIn(dir.path()).join(u' '), files);
        }
        QVERIFY(!files.isEmpty() || r.output.contains("unknown mode word"));
        for (const QString& name : files.split(u' ', Qt::SkipEmptyParts)) {
            const QString path = dir.filePath(name);
            if (name.endsWith(u8(".wmv"))) {
                QCOMPARE(testsupport::probeCodecs(path), split("wmv2"));
                QVERIFY(testsupport::probeDuration(path) > 1);
            } else {
                QVERIFY(QFileInfo(path).isExecutable());
                QCOMPARE(testsupport::digest(path),
                         testsupport::digest(testsupport::binDir() + u8("/ZelvoToolFLV")));
            }
        }
    }
    // Not a test: bench/runner_cpu.sh runs it to measure how much processor
    // time the program itself uses while it waits for a tool.
    void mpegPieceBounds_data() {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<int>("start");
        QTest::newRow("mpg from 5 s") << u8("mpg") << 5;
        QTest::newRow("mpg from 12 s") << u8("mpg") << 12;
        QTest::newRow("mpg from 20 s") << u8("mpg") << 20;
        QTest::newRow("vob from 9 s") << u8("vob") << 9;
    }
    // In an MPEG stream with a keyframe every 0.48 s and reordered frames, a piece of 6 s
    // begins on the last keyframe at or before its start, never earlier, and ends on the
    // picture at its end.
    void mpegPieceBounds() {
        QFETCH(QString, ext);
        QFETCH(int, start);
        static QTemporaryDir media;
        const QString src = media.filePath(u8("gop.") + ext);
        static QHash<QString, QStringList> sourceFrames;
        if (!sourceFrames.contains(ext)) {
            QCOMPARE(
                testsupport::run(u8("ffmpeg"),
                                 split("-nostdin|-v|error|-y|-f|lavfi|-i|testsrc=size=320x240:"
                                       "rate=25:duration=30|-f|lavfi|-i|sine=sample_rate="
                                       "48000:duration=30|-c:v|mpeg2video|-q:v|4|-g|12|-bf|2|"
                                       "-c:a|mp2|-f") +
                                     QStringList{ext == u8("vob") ? u8("vob") : u8("mpeg"), src})
                    .exitCode,
                0);
            sourceFrames[ext] = testsupport::frameDigests(src);
        }
        const QStringList all = sourceFrames.value(ext);
        QCOMPARE(all.size(), 750);
        const QString part = u8("~tmpSP001.") + ext;
        QCOMPARE(exec(cutCommand(m_mcd, start, 6, part, src)), 0);
        const QStringList piece = testsupport::frameDigests(work(part));
        QVERIFY(!piece.isEmpty());
        // Source frame n is shown from n / 25 s after the picture's start, which the sound
        // precedes a little; the keyframes lie 12 frames apart.
        const auto startOf = [&src](const char* what) {
            return ffprobeLines(what, src).value(0).section(u',', 0, 0).toDouble();
        };
        const double lead = startOf("-select_streams|v:0|-show_entries|stream=start_time") -
                            startOf("-show_entries|format=start_time");
        const auto frameAt = [lead](double seconds) {
            return static_cast<qsizetype>(std::floor((seconds - lead) * 25 + 1e-3));
        };
        const qsizetype first = all.indexOf(piece.first()), last = all.lastIndexOf(piece.last());
        QVERIFY2(first == frameAt(start) / 12 * 12,
                 qPrintable(u8("begins on frame %1").arg(first)));
        // It ends on the picture shown at its end, or on the few after it that picture needs.
        const qsizetype end = frameAt(start + 6) - 1;
        QVERIFY2(last >= end && last <= end + 3, qPrintable(u8("ends on frame %1").arg(last)));
        QCOMPARE(piece.size(), last - first + 1);
    }

    void ownCpuWhileToolRuns() {
        const QString size = qEnvironmentVariable("ZELVO_BENCH_CPU");
        if (size.isEmpty()) {
            QSKIP("run by bench/runner_cpu.sh");
        }
        const double selfBefore = cpuSeconds(RUSAGE_SELF), toolBefore = cpuSeconds(RUSAGE_CHILDREN);
        QElapsedTimer clock;
        clock.start();
        RunCmd(slowEncode(m_fmg, size, u8("bench.avi")), m_work->path());
        const double wall = static_cast<double>(clock.elapsed()) / 1000;
        const double self = cpuSeconds(RUSAGE_SELF) - selfBefore,
                     tool = cpuSeconds(RUSAGE_CHILDREN) - toolBefore;
        QCOMPARE(lastCmdExitCode(), 0);
        qInfo("runner-cpu wall=%.2f s self=%.3f s (%.2f %%) tool=%.2f s", wall, self,
              100 * self / wall, tool);
    }
};

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], stubbornArg) == 0) {
        return stubbornMain();
    }
    if (argc > 2 && qstrcmp(argv[1], parentOfArg) == 0) {
        return parentOfMain(argv);
    }
    QCoreApplication app(argc, argv);
    TestRunner test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_runner.moc"
