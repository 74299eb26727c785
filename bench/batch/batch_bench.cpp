// A batch repair of 20 recordings by the job queue, against the same 20 repairs run one after
// another through the tool commands (the resource program, the remux tool, the metadata tool,
// the rename and the tools removed again, each file on its own), in one run a side per round
// (alternating order; medians); and the CPU the program itself uses while the batch runs
// (its own user and system time, the tools' not counted), as a share of one core.
// Usage: batch_bench BINDIR RECORDING WORKDIR [RUNS]. Prints a Markdown table.
#include "core/common/AppPaths.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/jobs/FixJob.h"
#include "core/jobs/JobQueue.h"
#include "core/jobs/ResourceTools.h"
#include "core/jobs/ToolCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int files = 20;

void print(const QString& line) {
    std::puts(line.toUtf8().constData());
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "batch_bench: %s\n", why.toUtf8().constData());
    std::exit(1);
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 == 1 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

QString folder(const QString& path) {
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return QDir(path).absolutePath() + QLatin1Char('/');
}

quint32 be(const QByteArray& b, qsizetype at, int n) {
    quint32 v = 0;
    for (int i = 0; i < n; ++i) {
        v = (v << 8) | static_cast<quint8>(b[at + i]);
    }
    return v;
}

// A live recording's times: now and then a frame at the time of the one before, or a little
// before it.
QByteArray disordered(QByteArray b) {
    qint64 last[2] = {-1, -1};
    int seen[2] = {0, 0};
    for (qsizetype at = 13; at + 11 <= b.size(); at += 11 + be(b, at + 1, 3) + 4) {
        const int type = static_cast<quint8>(b[at]);
        if (type != 8 && type != 9) {
            continue;
        }
        const int s = type == 9 ? 1 : 0;
        const qint64 time =
            qint64{be(b, at + 4, 3)} | (qint64{static_cast<quint8>(b[at + 7])} << 24);
        ++seen[s];
        if (last[s] > 0 && seen[s] % 10 == 0) {
            const qint64 to = seen[s] % 20 == 0 ? last[s] : std::max<qint64>(0, last[s] - 30);
            for (int i = 0; i < 3; ++i) {
                b[at + 4 + i] = static_cast<char>((to >> (8 * (2 - i))) & 0xff);
            }
            b[at + 7] = static_cast<char>((to >> 24) & 0xff);
        }
        last[s] = time;
    }
    return b;
}

void runTool(const ToolCommand& command, const QString& in,
             const QProcessEnvironment& environment = QProcessEnvironment()) {
    QProcess p;
    p.setWorkingDirectory(in);
    if (!environment.isEmpty()) {
        p.setProcessEnvironment(environment);
    }
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(command.program(), command.arguments());
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        fail(QStringLiteral("failed: ") + command.text());
    }
}

// Each repair on its own, as the tool commands run it.
double singles(const QStringList& sources, const QString& out) {
    QElapsedTimer timer;
    timer.start();
    for (const QString& src : sources) {
        runTool(resourceTools::installCommand(QStringLiteral("Fix1")), out,
                resourceTools::installEnvironment());
        runTool(fixFlvCommand(AppPaths::running().ffmpeg(), src, QStringLiteral("flv")), out);
        runTool(metaCommand(AppPaths::running().flvMeta(),
                            FixJob::intermediateName(QStringLiteral("flv"))),
                out);
        const QString dest = out + QFileInfo(src).completeBaseName() + QStringLiteral("_fix.flv");
        QFile::remove(dest);
        if (!QFile::rename(out + FixJob::intermediateName(QStringLiteral("flv")), dest)) {
            fail(QStringLiteral("cannot rename to ") + dest);
        }
        resourceTools::remove(QStringLiteral("notCapMCI"));
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The batch by the job queue; its wall time, and the program's own CPU time during it.
double batch(const QStringList& sources, const QString& out, double* cpu) {
    JobQueue queue(ToolOperation::Repair);
    for (const QString& src : sources) {
        queue.add(src);
    }
    queue.setBuilder([&](const QString& src, const batchPlan::MediaFacts&, QString*) {
        return std::make_unique<FixJob>(
            src, out + QFileInfo(src).completeBaseName() + QStringLiteral("_fix.flv"));
    });
    QEventLoop loop;
    QObject::connect(&queue, &JobQueue::finished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    const double before = cpuSeconds();
    timer.start();
    queue.start();
    loop.exec();
    const double wall = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    *cpu = cpuSeconds() - before;
    if (queue.doneCount() != files) {
        fail(queue.reportLines().join(QLatin1Char('\n')));
    }
    return wall;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: batch_bench BINDIR RECORDING WORKDIR [RUNS]\n", stderr);
        return 2;
    }
    const QString recording = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const QString work = folder(QString::fromLocal8Bit(argv[3]));
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    // The jobs find the helper program beside the running program: the build's, linked
    // there. The tools are installed in the temporary folder the program's paths name.
    const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/ZelvoResFLV");
    QFile::remove(helper);
    if (!QFile::link(addSeparator(QString::fromLocal8Bit(argv[1])) + QStringLiteral("ZelvoResFLV"),
                     helper)) {
        fail(QStringLiteral("cannot link the helper program beside ") + helper);
    }
    qputenv("TMPDIR", QFile::encodeName(folder(work + QStringLiteral("tmp"))));

    QFile file(recording);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read ") + recording);
    }
    const QByteArray whole = file.readAll();
    const QString src = folder(work + QStringLiteral("src"));
    QStringList sources;
    for (int i = 1; i <= files; ++i) {
        const QString path = src + QStringLiteral("rec_%1.flv").arg(i, 2, 10, QLatin1Char('0'));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(i % 2 == 0 ? disordered(whole) : whole) != whole.size()) {
            fail(QStringLiteral("cannot write ") + path);
        }
        sources << path;
    }
    print(QStringLiteral("%1 recordings of %2 MB each; %3 runs a side")
              .arg(files)
              .arg(whole.size() / 1048576)
              .arg(runs));
    print(QString());

    QList<double> single;
    QList<double> batched;
    QList<double> shares;
    const auto runBatch = [&] {
        double cpu = 0;
        const double wall = batch(sources, folder(work + QStringLiteral("batch")), &cpu);
        batched << wall;
        shares << cpu / wall * 100.0;
    };
    // One untimed round of each warms the page cache.
    singles(sources, folder(work + QStringLiteral("single")));
    double unused = 0;
    batch(sources, folder(work + QStringLiteral("batch")), &unused);
    for (int i = 0; i < runs; ++i) {
        if (i % 2 == 0) {
            runBatch();
            single << singles(sources, folder(work + QStringLiteral("single")));
        } else {
            single << singles(sources, folder(work + QStringLiteral("single")));
            runBatch();
        }
    }
    const double s = median(single);
    const double b = median(batched);
    print(QStringLiteral("| Side | s (median) | runs, s | / single |"));
    print(QStringLiteral("|---|---|---|---|"));
    QStringList each;
    for (const double v : single) {
        each << QString::number(v, 'f', 2);
    }
    print(QStringLiteral("| 20 single repairs, tool commands | %1 | %2 | 1.00 |")
              .arg(QString::number(s, 'f', 2), each.join(QStringLiteral(", "))));
    each.clear();
    for (const double v : batched) {
        each << QString::number(v, 'f', 2);
    }
    print(QStringLiteral("| batch repair (JobQueue) | %1 | %2 | %3 |")
              .arg(QString::number(b, 'f', 2), each.join(QStringLiteral(", ")),
                   QString::number(b / s, 'f', 3)));
    print(QString());
    print(QStringLiteral("Program's own CPU during the batch: %1 % of one core (median; runs %2)")
              .arg(QString::number(median(shares), 'f', 2))
              .arg([&] {
                  QStringList p;
                  for (const double v : shares) {
                      p << QString::number(v, 'f', 2);
                  }
                  return p.join(QStringLiteral(", "));
              }()));
    return 0;
}
