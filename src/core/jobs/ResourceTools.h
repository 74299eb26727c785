#pragma once

#include "core/jobs/ToolCommand.h"

#include <QProcessEnvironment>
#include <QString>

// The outside tools as the program keeps them: the helper program installs, for a mode
// word, the tools that mode needs into the temporary folder, where AppPaths names them;
// they are deleted again when the work is done.
namespace resourceTools {

// The helper program (the running program's own unless named) run for a mode word, and
// the environment that makes it install into the temporary folder.
ToolCommand installCommand(const QString& modeWord, const QString& helperProgram = QString());
QProcessEnvironment installEnvironment();

// Deletes the three tools ("notCapMCI"), the capture session's sample clip ("CapMCI"), or
// both ("All").
void remove(const QString& mode);

}  // namespace resourceTools
