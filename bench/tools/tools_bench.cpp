// The split, join and snapshot tabs' jobs on a realistic FLV, each against the plain ffmpeg
// doing the same work, in one run (medians, alternating order):
//   split     ten equal parts (SaveRangesJob) against ten "ffmpeg -ss -i -t -c copy";
//   join      those ten parts (JoinJob, its look at every file included) against one
//             "ffmpeg -f concat -c copy";
//   snapshot  100 PNG pictures over the whole file (SnapshotJob) against one ffmpeg run that
//             writes the same 100 pictures (the same frames, chosen by a select filter),
//             and against one run of ffmpeg's fps filter.
// Usage: tools_bench BINDIR SOURCE WORKDIR [RUNS]. Prints Markdown tables.
#include "core/common/mdlZelvoFLV.h"
#include "core/jobs/JoinJob.h"
#include "core/jobs/ResourceTools.h"
#include "core/jobs/SaveRangesJob.h"
#include "core/jobs/SnapshotJob.h"
#include "core/jobs/SplitPlan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

void print(const QString& line) {
    std::puts(line.toUtf8().constData());
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "tools_bench: %s\n", why.toUtf8().constData());
    std::exit(1);
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 == 1 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

QString ms(double seconds) {
    return QString::number(seconds * 1000.0, 'f', 0);
}

QString spread(const QList<double>& values) {
    QStringList each;
    for (const double v : values) {
        each << ms(v);
    }
    return each.join(QStringLiteral(", "));
}

// A fresh, empty folder.
QString folder(const QString& path) {
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return QDir(path).absolutePath() + QLatin1Char('/');
}

double run(const QStringList& args, const QString& in) {
    QProcess p;
    p.setWorkingDirectory(in);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-nostdin"), QStringLiteral("-v"),
                                                  QStringLiteral("error"), QStringLiteral("-y")} +
                                          args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        fail(QStringLiteral("ffmpeg failed: ") + args.join(QLatin1Char(' ')));
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// Runs a job to its end with the program's engine; its wall time.
// The helper program of the build being measured.
QString helperProgram;

double runJob(ToolJob& job) {
    job.setHelperProgram(helperProgram);
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QObject::connect(&job, &ToolJob::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.result() != ToolJob::Result::Succeeded) {
        fail(QStringLiteral("a job failed: ") + job.output());
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// Both sides RUNS times, alternating which goes first; their medians.
void compare(int runs, const std::function<double()>& program, const std::function<double()>& plain,
             QList<double>& programTimes, QList<double>& plainTimes) {
    program();  // warms the page cache and the tools
    plain();
    for (int i = 0; i < runs; ++i) {
        if (i % 2 == 0) {
            programTimes << program();
            plainTimes << plain();
        } else {
            plainTimes << plain();
            programTimes << program();
        }
    }
}

void table(const QString& title, const QString& plainName, const QList<double>& plainTimes,
           const QString& programName, const QList<double>& programTimes) {
    const double p = median(programTimes);
    const double d = median(plainTimes);
    print(QStringLiteral("### ") + title);
    print(QString());
    print(QStringLiteral("| Side | ms | runs, ms | / plain |"));
    print(QStringLiteral("|---|---|---|---|"));
    print(QStringLiteral("| %1 | %2 | %3 | 1.00 |").arg(plainName, ms(d), spread(plainTimes)));
    print(QStringLiteral("| %1 | %2 | %3 | %4 |")
              .arg(programName, ms(p), spread(programTimes), QString::number(p / d, 'f', 2)));
    print(QString());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: tools_bench BINDIR SOURCE WORKDIR [RUNS]\n", stderr);
        return 2;
    }
    const QString source = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const QString work = folder(QString::fromLocal8Bit(argv[3]));
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    helperProgram = addSeparator(QString::fromLocal8Bit(argv[1])) + QStringLiteral("ZelvoResFLV");
    // The tools are installed where the program's paths say.
    qputenv("TMPDIR", QFile::encodeName(folder(work + QStringLiteral("tmp"))));

    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("format=duration"), QStringLiteral("-of"),
                 QStringLiteral("csv=p=0"), source});
    probe.waitForFinished();
    const splitPlan::Media media{probe.readAllStandardOutput().trimmed().toDouble(),
                                 QFileInfo(source).size()};
    if (media.seconds <= 0) {
        fail(QStringLiteral("cannot read ") + source);
    }
    print(QStringLiteral("Source %1: %2 s, %3 MB; %4 runs a side")
              .arg(QFileInfo(source).fileName(), QString::number(media.seconds, 'f', 2),
                   QString::number(media.bytes / 1048576), QString::number(runs)));
    print(QString());

    // ---- split ----
    const splitPlan::Split split = splitPlan::split({splitPlan::SplitMode::Parts, 10}, media);
    const QString pieces = work + QStringLiteral("pieces/");
    QList<double> program;
    QList<double> plain;
    compare(
        runs,
        [&] {
            folder(pieces);
            SaveRangesJob job(
                SaveRangesJob::Split, source,
                SaveRangesJob::outputsFor(SaveRangesJob::Split, pieces, QStringLiteral("flv"), 10),
                split.pieces);
            return runJob(job);
        },
        [&] {
            const QString out = folder(work + QStringLiteral("plain/"));
            double seconds = 0;
            for (int i = 0; i < split.pieces.size(); ++i) {
                const SaveRangesJob::WholeSeconds cut =
                    SaveRangesJob::wholeSeconds(split.pieces.at(i));
                seconds +=
                    run({QStringLiteral("-ss"), QString::number(cut.ss), QStringLiteral("-i"),
                         source, QStringLiteral("-t"), QString::number(cut.length),
                         QStringLiteral("-map"), QStringLiteral("0:v:0"), QStringLiteral("-map"),
                         QStringLiteral("0:a:0"), QStringLiteral("-c"), QStringLiteral("copy"),
                         out + SaveRangesJob::splitName(i, QStringLiteral("flv"))},
                        out);
            }
            return seconds;
        },
        program, plain);
    table(QStringLiteral("Split into 10 equal parts"),
          QStringLiteral("10 × ffmpeg -ss S -i SRC -t L -c copy"), plain,
          QStringLiteral("SaveRangesJob (split tab)"), program);

    // ---- join ----
    QStringList parts;
    for (int i = 0; i < 10; ++i) {
        parts << pieces + SaveRangesJob::splitName(i, QStringLiteral("flv"));
    }
    QFile list(work + QStringLiteral("parts.txt"));
    if (!list.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("cannot write the concat list"));
    }
    for (const QString& part : parts) {
        list.write("file '" + part.toUtf8() + "'\n");
    }
    list.close();
    program.clear();
    plain.clear();
    compare(
        runs,
        [&] {
            JoinJob job(parts,
                        folder(work + QStringLiteral("joined/")) + QStringLiteral("joined.flv"));
            return runJob(job);
        },
        [&] {
            const QString out = folder(work + QStringLiteral("concat/"));
            return run(
                {QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"),
                 QStringLiteral("0"), QStringLiteral("-i"), list.fileName(), QStringLiteral("-c"),
                 QStringLiteral("copy"), out + QStringLiteral("joined.flv")},
                out);
        },
        program, plain);
    table(QStringLiteral("Join the 10 parts"), QStringLiteral("ffmpeg -f concat -i LIST -c copy"),
          plain, QStringLiteral("JoinJob (join tab)"), program);

    // ---- snapshot ----
    splitPlan::SnapInput series;
    series.choice = splitPlan::SnapChoice::Whole;
    series.spacing = splitPlan::SnapSpacing::Count;
    series.count = 100;
    const splitPlan::Snapshot shots = splitPlan::snapshot(series, media);
    // The same frames: for each moment the first frame shown at or after it.
    QStringList terms;
    for (const double t : shots.times) {
        const QString at = QString::number(t, 'f', 3);
        terms << QStringLiteral("gte(t,%1)*(isnan(prev_t)+lt(prev_t,%1))").arg(at);
    }
    while (terms.size() > 1) {
        QStringList pairs;
        for (int i = 0; i + 1 < terms.size(); i += 2) {
            pairs << QLatin1Char('(') + terms.at(i) + QLatin1Char('+') + terms.at(i + 1) +
                         QLatin1Char(')');
        }
        if (terms.size() % 2 == 1) {
            pairs << terms.constLast();
        }
        terms = pairs;
    }
    QList<double> select;
    QList<double> fps;
    program.clear();
    const auto pictures = [&] {
        const QString out = folder(work + QStringLiteral("pictures/"));
        SnapshotJob job(source, SnapshotJob::seriesOutputs(out, QStringLiteral("png"), 100),
                        shots.times, QStringLiteral("png"));
        return runJob(job);
    };
    const auto selected = [&] {
        const QString out = folder(work + QStringLiteral("select/"));
        return run(
            {QStringLiteral("-i"), source, QStringLiteral("-vf"),
             QStringLiteral("select='") + terms.constFirst() + QLatin1Char('\''),
             QStringLiteral("-fps_mode"), QStringLiteral("passthrough"),
             QStringLiteral("-frames:v"), QStringLiteral("100"), out + QStringLiteral("%03d.png")},
            out);
    };
    compare(runs, pictures, selected, program, select);
    table(QStringLiteral("100 PNG pictures over the whole file"),
          QStringLiteral("ffmpeg -i SRC -vf select=… (the same frames)"), select,
          QStringLiteral("SnapshotJob (snapshot tab)"), program);
    const QString step = QString::number(media.seconds / 100.0, 'f', 4);
    for (int i = 0; i < runs; ++i) {
        const QString out = folder(work + QStringLiteral("fps/"));
        fps << run(
            {QStringLiteral("-i"), source, QStringLiteral("-vf"), QStringLiteral("fps=1/") + step,
             QStringLiteral("-frames:v"), QStringLiteral("100"), out + QStringLiteral("%03d.png")},
            out);
    }
    print(QStringLiteral("ffmpeg's fps filter writing 100 pictures: median %1 ms (%2)")
              .arg(ms(median(fps)), spread(fps)));
    QDir(work).removeRecursively();
    return 0;
}
