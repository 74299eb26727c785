#pragma once

#include "core/jobs/ToolCommand.h"
#include "core/jobs/ToolProcess.h"

#include <QProcessEnvironment>
#include <QString>

// A single outside program run to its end where a caller needs its result before it can
// go on (the capture session's sample clip, the tests): the event loop keeps running
// meanwhile, so windows still paint. Editing operations do not come here: they are jobs
// of steps run by ToolJob, which never waits.

// Runs the command in folder (absolute; "" the program's own) and returns everything it
// wrote on standard output and standard error, merged, in the order written. A program
// that cannot be started gives "" at once. While one run is waiting here a second call
// returns "" without starting anything.
QString GetCmdOutput(const ToolCommand& command, const QString& folder = QString(),
                     const QProcessEnvironment& environment = QProcessEnvironment());

// GetCmdOutput without the text.
void RunCmd(const ToolCommand& command, const QString& folder = QString());

// Exit code of the last run: the program's own, breakExitCode when Break stopped it, -1
// when it could not be started or crashed.
int lastCmdExitCode();

// The Break request for a run waiting here: it ends the run as Break does (the tool is
// asked to stop and killed when it does not). Set between runs, it stops the next run
// before it starts. Cleared after every run.
bool breakRun();
void setBreakRun(bool on);
