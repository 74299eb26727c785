#include "tools/mdlGetCmdOutput.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <utility>

namespace {

bool breakRequested = false;
int lastExitCode = 0;
bool running = false;
QEventLoop* waitLoop = nullptr;  // the loop the running command waits in
CmdProgressHandler progressHandler;

// A terminated tool removes its temporaries and ends within moments; one that
// does not is killed after this long.
constexpr int terminateGraceMs = 2000;

// Follows the tool's "key=value" progress lines: the output's length
// ("duration_us="), how much of it is written ("out_time_us="), and the end of
// the run ("progress=end").
class ProgressReader {
public:
    // Reads one line; true when the percentage changed.
    bool read(const QByteArray& rawLine) {
        const QByteArray line = rawLine.trimmed();
        const int before = m_percent;
        if (line.startsWith("duration_us=")) {
            m_totalUs = numberAfter(line, "duration_us=");
        } else if (line.startsWith("out_time_us=") && m_totalUs > 0) {
            const qint64 done = numberAfter(line, "out_time_us=");
            if (done >= 0) {
                m_percent =
                    static_cast<int>(qBound(qint64(0), done * 100 / m_totalUs, qint64(100)));
            }
        } else if (line == "progress=end") {
            m_percent = 100;
        }
        return m_percent != before;
    }

    int percent() const { return m_percent; }

private:
    // The number after the key; -1 for "N/A" and anything else unreadable.
    static qint64 numberAfter(const QByteArray& line, const char* key) {
        bool ok = false;
        const qint64 n = line.mid(qsizetype(qstrlen(key))).toLongLong(&ok);
        return ok ? n : -1;
    }

    qint64 m_totalUs = -1;
    int m_percent = -1;
};

void reportProgress(int percent) {
    if (progressHandler) {
        progressHandler(percent);
    }
}

// Waits, with the event loop running, until the process ends or timeoutMs
// passes.
void waitForEnd(QProcess& process, int timeoutMs) {
    if (process.state() == QProcess::NotRunning) {
        return;
    }
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
}

// Break: asked first, so the tool can remove what it has half written.
void stopProcess(QProcess& process) {
    process.terminate();
    waitForEnd(process, terminateGraceMs);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        waitForEnd(process, terminateGraceMs);
    }
}

// Every run ends here: the Break request only ever stops the run it met.
void endRun(int exitCode) {
    lastExitCode = exitCode;
    breakRequested = false;
}

}  // namespace

QString GetCmdOutput(const ToolCommand& command) {
    if (running) {
        return QString();
    }
    if (breakRequested) {
        endRun(breakExitCode);
        return QString();
    }
    if (command.program().isEmpty()) {
        endRun(-1);
        return QString();
    }
    running = true;
    reportProgress(-1);

    QProcess process;
    process.setProgram(command.program());
    process.setArguments(command.arguments());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());

    QByteArray output;
    ProgressReader progress;
    const auto take = [&](const QByteArray& line) {
        output += line;
        if (progress.read(line)) {
            reportProgress(progress.percent());
        }
    };
    const auto drain = [&] {
        while (process.canReadLine()) {
            take(process.readLine());
        }
    };

    QEventLoop loop;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, drain);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop,
                     [&loop](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             loop.quit();
                         }
                     });
    process.start();
    waitLoop = &loop;
    // A quit that comes before exec() would be lost, so a start that has
    // already failed is not waited for.
    if (process.state() != QProcess::NotRunning && !breakRequested) {
        loop.exec();
    }
    waitLoop = nullptr;

    const bool stopped = breakRequested;
    if (stopped) {
        stopProcess(process);
    }
    drain();
    const QByteArray rest = process.readAll();
    if (!rest.isEmpty()) {
        take(rest);
    }

    int exitCode = -1;
    if (stopped) {
        exitCode = breakExitCode;
    } else if (process.error() != QProcess::FailedToStart &&
               process.exitStatus() == QProcess::NormalExit) {
        exitCode = process.exitCode();
    }
    endRun(exitCode);
    running = false;
    return QString::fromLocal8Bit(output);
}

void RunCmd(const ToolCommand& command) {
    GetCmdOutput(command);
}

bool breakRun() {
    return breakRequested;
}

void setBreakRun(bool on) {
    breakRequested = on;
    if (on && waitLoop != nullptr) {
        waitLoop->quit();
    }
}

int lastCmdExitCode() {
    return lastExitCode;
}

CmdProgressHandler setCmdProgressHandler(CmdProgressHandler handler) {
    return std::exchange(progressHandler, std::move(handler));
}
