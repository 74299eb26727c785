#pragma once

#include "tools/ToolCommand.h"

#include <QString>

#include <functional>

// The runner every editing tool goes through: it starts one outside program
// from its argument list (never through a shell), in the process's current
// folder, and waits for it with the event loop running, so the busy dialog
// stays alive and its Break button works.

// Exit code recorded for a run that Break stopped.
inline constexpr int breakExitCode = 3838;

// Runs the command and returns everything it wrote on standard output and
// standard error, merged, in the order written. A program that cannot be
// started gives "" at once. While a run is in progress a second call returns
// "" without starting anything: the tools run strictly one at a time.
QString GetCmdOutput(const ToolCommand& command);

// GetCmdOutput without the text; all the tools use this one.
void RunCmd(const ToolCommand& command);

// The Break request. setBreakRun(true) during a run ends it: the tool is asked
// to stop (it removes its temporaries), and killed when it has not ended within
// two seconds. Set between runs, it stops the next run before it starts. The
// runner clears it after every run.
bool breakRun();
void setBreakRun(bool on);

// Exit code of the last run: the program's own, breakExitCode when Break
// stopped it, -1 when it could not be started or crashed.
int lastCmdExitCode();

// How far the running tool has got, in percent of its output's length (0 to
// 100), or -1 while that is not known. The tools report their progress every
// half second; the handler is called when the figure changes, and with -1 as
// each run begins. Returns the handler installed before.
using CmdProgressHandler = std::function<void(int percent)>;
CmdProgressHandler setCmdProgressHandler(CmdProgressHandler handler);
