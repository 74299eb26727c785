#include "core/jobs/mdlGetCmdOutput.h"

#include <QEventLoop>
#include <QPointer>

namespace {

bool breakRequested = false;
int lastExitCode = 0;
QPointer<ToolProcess> waiting;  // the run waiting in GetCmdOutput

void endRun(int exitCode) {
    lastExitCode = exitCode;
    breakRequested = false;
}

}  // namespace

QString GetCmdOutput(const ToolCommand& command, const QString& folder,
                     const QProcessEnvironment& environment) {
    if (waiting) {
        return QString();
    }
    if (breakRequested) {
        endRun(breakExitCode);
        return QString();
    }
    ToolProcess process;
    QEventLoop loop;
    QObject::connect(&process, &ToolProcess::finished, &loop, &QEventLoop::quit);
    waiting = &process;
    process.start(command, folder, environment);
    loop.exec();
    waiting = nullptr;
    endRun(process.exitCode());
    return QString::fromLocal8Bit(process.output());
}

void RunCmd(const ToolCommand& command, const QString& folder) {
    GetCmdOutput(command, folder);
}

int lastCmdExitCode() {
    return lastExitCode;
}

bool breakRun() {
    return breakRequested;
}

void setBreakRun(bool on) {
    breakRequested = on;
    if (on && waiting) {
        waiting->stop();
    }
}
