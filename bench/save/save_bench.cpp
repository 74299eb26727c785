// Times saving marked ranges through a loaded player window against ffmpeg doing the same
// stream copies, all in one process and one run:
//   cut    one range (the middle half) through saveRanges(0), against one ffmpeg copy,
//          and the same tool command lines run by hand, each pass timed on its own;
//   split  ten equal ranges through saveRanges(1), against ten ffmpeg copies;
//   cpu    this process's own processor time (getrusage, not the tools') during each save.
//
//   save_bench SOURCE WORKDIR [RUNS]
//
// The player window is the program's own, on the offscreen platform with a master volume
// that needs no sound card; its dialogs are answered by a script (confirmation Ok, the
// destination, completion report Cancel). Outputs go to WORKDIR, which the caller removes.
// Prints the medians as Markdown tables. This executable must sit beside a link to
// ZelvoResFLV: the window installs its tools from its own folder.
#include "AppHarness.h"
#include "ScriptedDialogs.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/jobs/SaveRangesJob.h"
#include "core/jobs/ToolCommands.h"
#include "core/media/MciInterpreter.h"
#include "core/media/MixerControl.h"
#include "core/player/MarksModel.h"
#include "gui/busy/BusySession.h"
#include "gui/player/PlayerPanel.h"
#include "gui/player/SaveRanges.h"
#include "gui/player/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

namespace {

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "save_bench: %s\n", qPrintable(what));
    std::exit(1);
}

void check(bool ok, const QString& what) {
    if (!ok) {
        fail(what);
    }
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 == 1 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

double seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// This process's processor time (all its threads, none of its children), in seconds.
double ownCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto sec = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return sec(usage.ru_utime) + sec(usage.ru_stime);
}

// Runs a program to its end in folder and returns its wall time in seconds. Any failure
// ends the benchmark: a figure of a run that did not do its job means nothing.
double timedRun(const QString& program, const QStringList& args, const QString& folder,
                const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start();
    const bool finished = process.waitForFinished(600000);
    const double wall = seconds(timer);
    check(finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
          program + QLatin1Char(' ') + args.join(QLatin1Char(' ')) + QStringLiteral(" failed"));
    return wall;
}

double timedRun(const ToolCommand& command, const QString& folder) {
    return timedRun(command.program(), command.arguments(), folder);
}

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Own CPU seconds of sec seconds of the event loop with nothing asked of the window.
double idleCpu(double sec) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(sec * 1000), &loop, &QEventLoop::quit);
    const double before = ownCpu();
    loop.exec();
    return ownCpu() - before;
}

QString folder(const QString& path) {
    QDir().mkpath(path);
    return QDir(path).absolutePath() + QLatin1Char('/');
}

qint64 fileSize(const QString& path) {
    return QFileInfo(path).size();
}

QString megabytes(qint64 bytes) {
    return QString::number(static_cast<double>(bytes) / 1048576, 'f', 1);
}

qint64 folderSize(const QString& path) {
    qint64 sum = 0;
    for (const QFileInfo& file : QDir(path).entryInfoList(QDir::Files)) {
        sum += file.size();
    }
    return sum;
}

QString ms(double sec) {
    return QString::number(sec * 1000, 'f', 0);
}

// The fastest and slowest run, for how far the machine moved the figures.
QString spread(QList<double> values) {
    std::sort(values.begin(), values.end());
    return ms(values.constFirst()) + QStringLiteral("–") + ms(values.constLast());
}

QString ratio(double a, double b) {
    return QString::number(a / b, 'f', 2);
}

void print(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class Bench {
public:
    Bench(QString source, const QString& work, int runs)
        : m_source(std::move(source)), m_work(folder(work)), m_runs(runs) {
        m_w = std::make_unique<frmMain>();
        m_w->useMixer(std::make_unique<SilentMixer>());
        BusySession::shared().setWindows(m_w.get(), nullptr);
        m_w->formLoad(QString());
        m_w->show();
        open(QString());
    }
    ~Bench() {
        BusySession::shared().setWindows(nullptr, nullptr);
        m_w.reset();
        MciInterpreter::instance().closeAll();
    }

    void cut();
    void split();

private:
    // Opens the source with marks (frames; none: "") and pauses it; the ranges the tools
    // will get.
    QList<SaveRangesJob::WholeSeconds> open(const QString& marks);
    // One saveRanges call with the dialogs answered; wall and own CPU seconds.
    void save(int mode, const QString& answer, double* wall, double* cpu);
    double directCopies(const QList<SaveRangesJob::WholeSeconds>& ranges, const QString& out);
    void cleanFolder(const QString& path);
    // The program's own CPU during the saves, beside the same window idle as long.
    void printCpu(const QString& what, const QList<double>& cpu, const QList<double>& wall);

    QString m_source;
    QString m_work;
    int m_runs;
    std::unique_ptr<frmMain> m_w;
    ScriptedDialogs m_dialogs;
};

QList<SaveRangesJob::WholeSeconds> Bench::open(const QString& marks) {
    m_w->playSingle(marks.isEmpty() ? m_source : m_source + QStringLiteral("∥") + marks, false);
    check(waitFor(
              [this] {
                  return m_w->panel().lblFnName->text().startsWith(QStringLiteral("正在播放"));
              },
              20000),
          QStringLiteral("the player did not play ") + m_source);
    m_w->pausePrFn();
    if (marks.isEmpty()) {
        return {};
    }
    const MarksModel& model = m_w->marksModel();
    check(model.marksText() == marks, QStringLiteral("marks not taken: ") + marks);
    // The same whole seconds the save hands to the tools.
    QList<SaveRangesJob::WholeSeconds> ranges;
    for (int i = 0; i <= model.lastSegmentIndex(); ++i) {
        float from = 0;
        float to = 0;
        model.segmentSeconds(i, from, to);
        ranges << SaveRangesJob::wholeSeconds({from, to});
    }
    return ranges;
}

void Bench::save(int mode, const QString& answer, double* wall, double* cpu) {
    m_dialogs.clear();
    m_dialogs.answerMessage(MsgResult::Ok);
    m_dialogs.answerFile({answer});
    m_dialogs.answerMessage(MsgResult::Cancel);  // the completion report
    const double cpuBefore = ownCpu();
    QElapsedTimer timer;
    timer.start();
    m_w->saving().saveRanges(mode);
    *wall = seconds(timer);
    *cpu = ownCpu() - cpuBefore;
    check(m_dialogs.unexpected() == 0 && m_dialogs.messages().size() == 2 &&
              m_dialogs.lastMessage().text.startsWith(
                  QStringLiteral("全部的檔案處理程序已經成功結束")),
          QStringLiteral("the save did not succeed: ") + m_dialogs.lastMessage().text);
}

double Bench::directCopies(const QList<SaveRangesJob::WholeSeconds>& ranges, const QString& out) {
    double wall = 0;
    for (int i = 0; i < ranges.size(); ++i) {
        const QString name = ranges.size() == 1
                                 ? QStringLiteral("direct.flv")
                                 : SaveRangesJob::splitName(i, QStringLiteral("flv"));
        wall += timedRun(
            QStringLiteral("ffmpeg"),
            {QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"),
             QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-ss"),
             QString::number(ranges.at(i).ss), QStringLiteral("-i"), m_source, QStringLiteral("-t"),
             QString::number(ranges.at(i).length), QStringLiteral("-c"), QStringLiteral("copy"),
             QStringLiteral("-y"), out + name},
            out);
        check(fileSize(out + name) > 0, QStringLiteral("ffmpeg wrote nothing"));
    }
    return wall;
}

void Bench::cleanFolder(const QString& path) {
    QDir(path).removeRecursively();
    QDir().mkpath(path);
}

void Bench::printCpu(const QString& what, const QList<double>& cpu, const QList<double>& wall) {
    QStringList each;
    for (int i = 0; i < cpu.size(); ++i) {
        each << QString::number(100 * cpu.at(i) / wall.at(i), 'f', 2) + QStringLiteral(" %");
    }
    const double w = median(wall);
    const double c = median(cpu);
    const double idle = idleCpu(w);
    print(QStringLiteral("Own CPU of the program process during the %1 (getrusage RUSAGE_SELF): "
                         "median %2 ms of %3 ms wall = %4 % (runs: %5); the same window idle "
                         "as long: %6 ms = %7 %")
              .arg(what, ms(c), ms(w), QString::number(100 * c / w, 'f', 2),
                   each.join(QStringLiteral(", ")), ms(idle),
                   QString::number(100 * idle / w, 'f', 2)));
}

void Bench::cut() {
    const qint32 frames = m_w->session().getTotalFrames();
    const QString marks =
        QStringLiteral("%1-%2").arg(frames / 4).arg(frames - frames / 4);  // the middle half
    const QList<SaveRangesJob::WholeSeconds> ranges = open(marks);
    const SaveRangesJob::WholeSeconds range = ranges.constFirst();
    const QString ext = QStringLiteral("flv");
    const QString programOut = folder(m_work + QStringLiteral("cut-program"));
    const QString directOut = folder(m_work + QStringLiteral("cut-ffmpeg"));
    const QString handOut = folder(m_work + QStringLiteral("cut-hand"));
    const QString handTools = folder(m_work + QStringLiteral("tools-hand"));
    const QString cutPath = programOut + QStringLiteral("middle.flv");
    QProcessEnvironment handEnv = QProcessEnvironment::systemEnvironment();
    handEnv.insert(QStringLiteral("TMPDIR"), QDir(handTools).absolutePath());
    const QString part = SaveRangesJob::partName(0, ext);
    const ToolCommand cutLine = cutCommand(handTools + QStringLiteral("~tmpExtMcd"), range.ss,
                                           range.length, part, m_source);
    const ToolCommand remuxLine = remuxCommand(handTools + QStringLiteral("~tmpExtFmg"), part);
    const ToolCommand metaLine = metaCommand(handTools + QStringLiteral("~tmpExtFmd"), part);

    QList<double> program, cpu, direct, unpack, pass1, pass2, pass3, hand, drop, dropCpu;
    qint64 programSize = 0;
    qint64 directSize = 0;
    const auto runProgram = [&](bool keep) {
        double wall = 0;
        double used = 0;
        save(0, cutPath, &wall, &used);
        programSize = fileSize(cutPath);
        check(programSize > 0, QStringLiteral("the cut wrote nothing"));
        cleanFolder(programOut);
        if (keep) {
            program << wall;
            cpu << used;
        }
    };
    const auto runDirect = [&](bool keep) {
        const double wall = directCopies(ranges, directOut);
        directSize = fileSize(directOut + QStringLiteral("direct.flv"));
        cleanFolder(directOut);
        if (keep) {
            direct << wall;
        }
    };
    // The job's three passes of one segment, as it runs them, with the tools installed
    // the way the window installs them.
    const auto runHand = [&](bool keep) {
        const double u =
            timedRun(QCoreApplication::applicationDirPath() + QStringLiteral("/ZelvoResFLV"),
                     {QStringLiteral("Edit1")}, handOut, handEnv);
        const double a = timedRun(cutLine, handOut);
        const double b = timedRun(remuxLine, handOut);
        // The job deletes the cut part itself once it is remuxed; freeing a file's pages
        // is billed to the process that deletes it.
        const double cpuBefore = ownCpu();
        QElapsedTimer removing;
        removing.start();
        QFile::remove(handOut + part);
        const double r = seconds(removing);
        const double rCpu = ownCpu() - cpuBefore;
        check(QFile::rename(handOut + QStringLiteral("~fix") + part, handOut + part),
              QStringLiteral("the remux wrote nothing"));
        const double c = timedRun(metaLine, handOut);
        check(fileSize(handOut + part) > 0, QStringLiteral("the passes wrote nothing"));
        cleanFolder(handOut);
        cleanFolder(handTools);
        if (keep) {
            unpack << u;
            pass1 << a;
            pass2 << b;
            pass3 << c;
            drop << r;
            dropCpu << rCpu;
            hand << u + a + b + c;
        }
    };

    // One untimed round warms the page cache and the window's first busy dialog.
    runProgram(false);
    runDirect(false);
    runHand(false);
    for (int i = 0; i < m_runs; ++i) {
        if (i % 2 == 0) {
            runProgram(true);
            runDirect(true);
            runHand(true);
        } else {
            runHand(true);
            runDirect(true);
            runProgram(true);
        }
    }

    const double p = median(program);
    const double d = median(direct);
    const double u = median(unpack);
    const double a = median(pass1);
    const double b = median(pass2);
    const double c = median(pass3);
    const double passes = a + b + c;
    print(QStringLiteral("### Cut: frames %1 of %2 (-ss %3, %4 s), median of %5")
              .arg(marks)
              .arg(frames)
              .arg(range.ss)
              .arg(range.length)
              .arg(m_runs));
    print(QString());
    print(QStringLiteral("| Side | ms | runs, ms | Output MB | / ffmpeg |"));
    print(QStringLiteral("|---|---|---|---|---|"));
    print(QStringLiteral("| ffmpeg -ss %1 -i SRC -t %2 -c copy | %3 | %4 | %5 | 1.00 |")
              .arg(range.ss)
              .arg(range.length)
              .arg(ms(d), spread(direct), megabytes(directSize)));
    print(QStringLiteral("| saveRanges(0) | %1 | %2 | %3 | %4 |")
              .arg(ms(p), spread(program), megabytes(programSize), ratio(p, d)));
    print(QString());
    print(QStringLiteral("| Where the program's time goes (medians) | ms | runs, ms | share |"));
    print(QStringLiteral("|---|---|---|---|"));
    const auto row = [p](const QString& what, double sec, const QString& runs = QString()) {
        print(QStringLiteral("| %1 | %2 | %3 | %4 % |")
                  .arg(what, ms(sec), runs, QString::number(100 * sec / p, 'f', 0)));
    };
    // The lines as run, with the tools' folder and the source left out.
    const auto shown = [&](const ToolCommand& line) {
        return QStringLiteral("`") +
               line.text().remove(handTools).replace(m_source, QStringLiteral("SRC")) +
               QStringLiteral("`");
    };
    row(shown(cutLine), a, spread(pass1));
    row(shown(remuxLine), b, spread(pass2));
    row(shown(metaLine), c, spread(pass3));
    // Each round's own difference too: how far the noise reaches.
    QList<double> own;
    for (int i = 0; i < program.size(); ++i) {
        own << program.at(i) - pass1.at(i) - pass2.at(i) - pass3.at(i);
    }
    row(QStringLiteral("the program's own part (saveRanges minus the three passes)"), p - passes,
        spread(own));
    row(QStringLiteral("… of which installing the tools (`ZelvoResFLV Edit1`)"), u, spread(unpack));
    const double r = median(drop);
    row(QStringLiteral("… of which deleting the cut part once remuxed"), r, spread(drop));
    row(QStringLiteral("… the rest: renames, busy window, dialogs, waiting on each tool"),
        p - passes - u - r);
    row(QStringLiteral("by hand: installing + three passes, in one go"), median(hand),
        spread(hand));
    print(QString());
    printCpu(QStringLiteral("cut"), cpu, program);
    print(QStringLiteral("Deleting the %1 MB cut part by hand took %2 ms of this process's CPU.")
              .arg(static_cast<double>(programSize) / 1048576, 0, 'f', 0)
              .arg(ms(median(dropCpu))));
    print(QString());
}

void Bench::split() {
    const qint32 frames = m_w->session().getTotalFrames();
    QStringList pieces;
    for (int i = 0; i < 10; ++i) {
        pieces << QStringLiteral("%1-%2").arg(frames * i / 10).arg(frames * (i + 1) / 10);
    }
    const QList<SaveRangesJob::WholeSeconds> ranges = open(pieces.join(QLatin1Char(' ')));
    const QString programOut = folder(m_work + QStringLiteral("split-program"));
    const QString directOut = folder(m_work + QStringLiteral("split-ffmpeg"));
    QList<double> program, cpu, direct;
    qint64 programSize = 0;
    qint64 directSize = 0;
    const auto runProgram = [&] {
        double wall = 0;
        double used = 0;
        save(1, programOut, &wall, &used);
        cpu << used;
        for (int i = 0; i < ranges.size(); ++i) {
            check(fileSize(programOut + SaveRangesJob::splitName(i, QStringLiteral("flv"))) > 0,
                  QStringLiteral("the split wrote nothing for segment %1").arg(i + 1));
        }
        programSize = folderSize(programOut);
        cleanFolder(programOut);
        program << wall;
    };
    const auto runDirect = [&] {
        direct << directCopies(ranges, directOut);
        directSize = folderSize(directOut);
        cleanFolder(directOut);
    };
    for (int i = 0; i < m_runs; ++i) {
        if (i % 2 == 0) {
            runProgram();
            runDirect();
        } else {
            runDirect();
            runProgram();
        }
    }
    const double p = median(program);
    const double d = median(direct);
    QStringList seconds;
    for (const SaveRangesJob::WholeSeconds& r : ranges) {
        seconds << QString::number(r.ss) + QLatin1Char('+') + QString::number(r.length);
    }
    print(QStringLiteral("### Split into 10 (seconds %1), median of %2")
              .arg(seconds.join(QLatin1Char(' ')))
              .arg(m_runs));
    print(QString());
    print(QStringLiteral("| Side | ms | runs, ms | Output MB | / ffmpeg |"));
    print(QStringLiteral("|---|---|---|---|---|"));
    print(QStringLiteral("| 10 × ffmpeg -ss S -i SRC -t L -c copy | %1 | %2 | %3 | 1.00 |")
              .arg(ms(d), spread(direct), megabytes(directSize)));
    print(QStringLiteral("| saveRanges(1) | %1 | %2 | %3 | %4 |")
              .arg(ms(p), spread(program), megabytes(programSize), ratio(p, d)));
    print(QString());
    printCpu(QStringLiteral("split"), cpu, program);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: save_bench SOURCE WORKDIR [RUNS]\n", stderr);
        return 2;
    }
    const QString work = folder(QString::fromLocal8Bit(argv[2]));
    // The window's tools, settings and temporary files stay in the work folder.
    qputenv("TMPDIR", folder(work + QStringLiteral("tmp")).chopped(1).toUtf8());
    qputenv("XDG_CONFIG_HOME", folder(work + QStringLiteral("config")).toUtf8());
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    MciInterpreter::instance().setAudioOutput(QStringLiteral("null"));
    appClosing = false;
    listPlayState = 0;
    const QString source = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    check(QFileInfo(source).size() > 0, QStringLiteral("no source ") + source);
    check(
        QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/ZelvoResFLV")),
        QStringLiteral("ZelvoResFLV is not beside save_bench"));
    {
        Bench bench(source, work + QStringLiteral("out"), runs);
        bench.cut();
        bench.split();
    }
    return 0;
}
