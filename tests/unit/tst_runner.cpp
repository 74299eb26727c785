#include "TestSupport.h"
#include "tools/ToolCommands.h"
#include "tools/mdlGetCmdOutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <csignal>
#include <memory>

// The runner on real tool runs: the tools are installed by the real resource
// program and run in the current folder, as the program runs them.
class TestRunner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void runs_data();
    void runs();
    void cannotStart_data();
    void cannotStart();
    void breakRun_data();
    void breakRun();
    void ownCpuWhileToolRuns();

private:
    QStringList workFiles() const;

    QTemporaryDir m_tmp;  // the program's temporary folder, where the tools go
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_startDir;
    QString m_mcd;
    QString m_fmg;
    QList<int> m_progress;
};

namespace {

// Started as "tst_runner --stubborn", this program ignores the polite stop
// and writes "ready" in its current folder once it does.
const char* const stubbornArg = "--stubborn";

int stubbornMain() {
    std::signal(SIGTERM, SIG_IGN);
    QFile ready(QStringLiteral("ready"));
    if (!ready.open(QIODevice::WriteOnly)) {
        return 1;
    }
    ready.close();
    QThread::sleep(30);
    return 0;
}

QStringList sortedCodecs(const QString& path) {
    QStringList c = testsupport::probeCodecs(path);
    c.sort();
    return c;
}

// A conversion that takes some seconds: the 30 s clip made bigger.
ToolCommand slowEncode(const QString& fmg, const QString& size, const QString& out) {
    EncodeSettings slow;
    slow.videoSize = size;
    slow.frameRate = QStringLiteral("30");
    slow.videoBitrate = QStringLiteral("1600");
    return encodeCommand(fmg, testsupport::media(QStringLiteral("clip.mov")), out, slow);
}

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

void TestRunner::initTestCase() {
    QVERIFY(m_tmp.isValid());
    // The tools find their temporary folder the way the program does.
    qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
    const testsupport::RunResult r = testsupport::run(
        testsupport::binDir() + QStringLiteral("/ZelvoResFLV"), {QStringLiteral("Edit1")});
    QCOMPARE(r.exitCode, 0);
    m_mcd = m_tmp.filePath(QStringLiteral("~tmpExtMcd"));
    m_fmg = m_tmp.filePath(QStringLiteral("~tmpExtFmg"));
    QVERIFY(QFileInfo(m_mcd).isExecutable());
    m_startDir = QDir::currentPath();
    setCmdProgressHandler([this](int percent) { m_progress << percent; });
}

void TestRunner::init() {
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_work->isValid());
    QVERIFY(QDir::setCurrent(m_work->path()));
    m_progress.clear();
}

void TestRunner::cleanup() {
    QVERIFY(!::breakRun());
    QDir::setCurrent(m_startDir);
    m_work.reset();
}

QStringList TestRunner::workFiles() const {
    QStringList names = QDir(m_work->path()).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

void TestRunner::runs_data() {
    QTest::addColumn<QString>("media");
    QTest::addColumn<int>("kind");  // 0 cut 13 s + 6 s, 1 copy, 2 conversion, 3 join
    QTest::addColumn<QString>("out");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");

    QTest::newRow("flv cut, part in the working folder")
        << QStringLiteral("h264.flv") << 0 << QStringLiteral("~tmpSP001.flv") << 6.0 << 0
        << QStringLiteral("duration_us=6000000");
    QTest::newRow("copy to blanks, quotes and Chinese")
        << QStringLiteral("clip.avi") << 1 << QStringLiteral("影片 \"一\" 測試.avi") << 30.0 << 0
        << QStringLiteral("progress=end");
    QTest::newRow("conversion tells its length")
        << QStringLiteral("clip.mp4") << 2 << QStringLiteral("enc.flv") << 30.0 << 0
        << QStringLiteral("duration_us=30");
    // The tool's complaint arrives on standard error, merged into the text.
    QTest::newRow("leading dash refused by the tool")
        << QStringLiteral("clip.mpg") << 3 << QStringLiteral("-a.mpg") << 0.0 << 2
        << QStringLiteral("e.g. ./-a.mpg");
}

void TestRunner::runs() {
    QFETCH(QString, media);
    QFETCH(int, kind);
    QFETCH(QString, out);
    QFETCH(double, seconds);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    const QString src = testsupport::media(media);
    ToolCommand c;
    switch (kind) {
        case 0:
            c = cutCommand(m_mcd, QStringLiteral("13"), QStringLiteral("6"), out, src);
            break;
        case 1:
            c = fixOtherCommand(m_mcd, src, out);
            break;
        case 2:
            c = encodeCommand(m_fmg, src, out, EncodeSettings());
            break;
        default:
            QVERIFY(QFile::copy(src, out));
            c = joinPartsCommand(m_mcd, QStringLiteral("mpg"), {out});
            break;
    }
    const QString text = GetCmdOutput(c);
    QCOMPARE(lastCmdExitCode(), exitCode);
    QVERIFY2(text.contains(says), qPrintable(text));
    if (exitCode != 0) {
        QCOMPARE(workFiles(), QStringList(out));
        return;
    }
    // A relative name lands in the current folder, and nothing else does.
    QCOMPARE(workFiles(), QStringList(out));
    const double length = testsupport::probeDuration(out);
    QVERIFY2(length > seconds - 0.2 && length < seconds + 2, qPrintable(QString::number(length)));
    if (kind != 2) {
        QCOMPARE(sortedCodecs(out), sortedCodecs(src));
    }
    // Each run begins unknown and ends complete, never going back.
    QVERIFY(m_progress.size() >= 2);
    QCOMPARE(m_progress.first(), -1);
    QCOMPARE(m_progress.last(), 100);
    for (qsizetype i = 2; i < m_progress.size(); ++i) {
        QVERIFY(m_progress[i] > m_progress[i - 1]);
    }
}

void TestRunner::cannotStart_data() {
    QTest::addColumn<QString>("program");
    QTest::newRow("no such program") << QStringLiteral("/nonexistent/~tmpExtMcd");
    QTest::newRow("not a program") << QStringLiteral("h264.flv");
    QTest::newRow("no program at all") << QString();
}

void TestRunner::cannotStart() {
    QFETCH(QString, program);
    if (program.endsWith(QLatin1String(".flv"))) {
        program = testsupport::media(program);
    }
    QElapsedTimer clock;
    clock.start();
    const QString text = GetCmdOutput(ToolCommand(program).raw(QStringLiteral(" -o a.flv")));
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(text, QString());
    QCOMPARE(lastCmdExitCode(), -1);
    QVERIFY(!m_progress.contains(100));
}

void TestRunner::breakRun_data() {
    QTest::addColumn<int>("when");  // 0 first progress, 1 the program is ready, 2 before the run
    QTest::addColumn<int>("minStopMs");
    QTest::addColumn<int>("maxStopMs");
    QTest::newRow("tool stops and tidies up") << 0 << 0 << 1900;
    QTest::newRow("program ignoring the stop is killed") << 1 << 1800 << 8000;
    QTest::newRow("pressed before the run") << 2 << 0 << 100;
}

// Break ends the run, whatever the program does; the runner keeps serving the
// event loop all the while and refuses a second run inside the first.
void TestRunner::breakRun() {
    QFETCH(int, when);
    QFETCH(int, minStopMs);
    QFETCH(int, maxStopMs);
    const QString out = QStringLiteral("stopped.avi");
    const ToolCommand c = when == 1 ? ToolCommand(QCoreApplication::applicationFilePath())
                                          .raw(QStringLiteral(" ") + QLatin1String(stubbornArg))
                                    : slowEncode(m_fmg, QStringLiteral("1280x960"), out);

    QElapsedTimer clock;
    clock.start();
    qint64 breakAt = -1;
    const auto pressBreak = [&] {
        if (breakAt < 0) {
            breakAt = clock.elapsed();
            setBreakRun(true);
        }
    };
    const CmdProgressHandler recorder = setCmdProgressHandler([&](int percent) {
        m_progress << percent;
        if (when == 0 && percent >= 0 && percent < 100) {
            pressBreak();
        }
    });
    int ticks = 0;
    QString nested = QStringLiteral("not tried");
    QTimer tick;
    tick.setInterval(20);
    connect(&tick, &QTimer::timeout, [&] {
        if (++ticks == 1) {
            nested = GetCmdOutput(fixOtherCommand(m_mcd, QStringLiteral("x.avi"), out));
        }
        if (when == 1 && QFileInfo::exists(QStringLiteral("ready"))) {
            pressBreak();
        }
    });
    tick.start();
    if (when == 2) {
        pressBreak();
    }
    const QString text = GetCmdOutput(c);
    const qint64 stopMs = clock.elapsed() - breakAt;
    tick.stop();
    setCmdProgressHandler(recorder);

    QCOMPARE(lastCmdExitCode(), breakExitCode);
    QVERIFY(!::breakRun());
    QVERIFY2(breakAt >= 0, "Break was never pressed");
    QVERIFY2(stopMs >= minStopMs && stopMs <= maxStopMs, qPrintable(QString::number(stopMs)));
    QVERIFY(!QFileInfo::exists(out));
    if (when == 2) {
        QCOMPARE(text, QString());
        QCOMPARE(workFiles(), QStringList());
        return;
    }
    QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
    QCOMPARE(nested, QString());
    if (when == 0) {
        // Stopped, the tool removed what it had half written.
        QCOMPARE(workFiles(), QStringList());
        QVERIFY2(text.contains(QLatin1String("out_time_us=")), qPrintable(text));
    }
}

// Not a test: bench/runner_cpu.sh runs it to measure how much processor time
// the program itself uses while it waits for a tool.
void TestRunner::ownCpuWhileToolRuns() {
    const QString size = qEnvironmentVariable("ZELVO_BENCH_CPU");
    if (size.isEmpty()) {
        QSKIP("run by bench/runner_cpu.sh");
    }
    const double selfBefore = cpuSeconds(RUSAGE_SELF);
    const double toolBefore = cpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    RunCmd(slowEncode(m_fmg, size, QStringLiteral("bench.avi")));
    const double wall = static_cast<double>(clock.elapsed()) / 1000;
    const double self = cpuSeconds(RUSAGE_SELF) - selfBefore;
    const double tool = cpuSeconds(RUSAGE_CHILDREN) - toolBefore;
    QCOMPARE(lastCmdExitCode(), 0);
    qInfo("runner-cpu wall=%.2f s self=%.3f s (%.2f %%) tool=%.2f s progress-reports=%lld", wall,
          self, 100 * self / wall, tool, static_cast<long long>(m_progress.size()));
}

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
