#include "TestSupport.h"
#include "tools/ToolCommands.h"
#include "tools/mdlGetCmdOutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

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

}  // namespace

// The runner on real tool runs: the tools are installed by the real resource program and
// run in a working folder of their own, as the program's jobs run them.
class TestRunner : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;  // the program's temporary folder, where the tools go
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_mcd;
    QString m_fmg;
    QList<int> m_progress;

    QStringList workFiles() const {
        return QDir(m_work->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // Runs c in the working folder to its end; true when it ended within the time.
    bool runToEnd(ToolProcess& process, const ToolCommand& c) {
        QSignalSpy ended(&process, &ToolProcess::finished);
        process.start(c, m_work->path());
        return ended.wait(60000);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        QVERIFY(testsupport::installTools(m_tmp.path()));
        m_mcd = m_tmp.filePath(u8("~tmpExtMcd"));
        m_fmg = m_tmp.filePath(u8("~tmpExtFmg"));
        QVERIFY(QFileInfo(m_mcd).isExecutable());
    }
    void init() {
        m_work = std::make_unique<QTemporaryDir>();
        QVERIFY(m_work->isValid());
        m_progress.clear();
    }
    void cleanup() {
        QVERIFY(!::breakRun());
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
        QVERIFY(kind != 3 || QFile::copy(src, m_work->filePath(out)));
        const ToolCommand commands[] = {
            cutCommand(m_mcd, u8("13"), u8("6"), out, src), fixOtherCommand(m_mcd, src, out),
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
        QVERIFY(QFileInfo(m_work->filePath(out)).size() > 0);
        QVERIFY(m_progress.size() >= 2 && m_progress.first() == -1 && m_progress.last() == 100);
        QVERIFY2(std::adjacent_find(m_progress.begin() + 1, m_progress.end(),
                                    std::greater_equal<int>()) == m_progress.end(),
                 qPrintable(QString::number(m_progress.size())));
    }

    // Break ends the run whatever the program does: asked to stop, a program that ignores it
    // is killed. The event loop is served all the while. (A tool that stops and tidies up:
    // tst_toolruns::stopEndsFfmpeg; a job's Break: tst_tooljob::secondJobTouchesNothing.)
    void breakRun() {
        ToolProcess process;
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] {
            ++ticks;
            if (QFileInfo::exists(m_work->filePath(u8("ready")))) {
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
        const QString out = m_work->filePath(u8("copy.avi"));
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

    // Not a test: bench/runner_cpu.sh runs it to measure how much processor
    // time the program itself uses while it waits for a tool.
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
    QCoreApplication app(argc, argv);
    TestRunner test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_runner.moc"
