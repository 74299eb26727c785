#pragma once

#include "core/jobs/ToolCommand.h"

#include <QProcessEnvironment>
#include <QString>

// The outside tools as the program keeps them: the resource program installs, for a mode
// word, the tools that mode needs into the temporary folder (tempDir), where the
// paths mencoderPath, ffmpegPath, flvMetaPath and sampleWmvPath point; they are deleted
// again when the work is done.
namespace resourceTools {

// Points mencoderPath, ffmpegPath, flvMetaPath and sampleWmvPath into tempDir.
void setPaths();

// The resource program (beside this program) run for a mode word, and the environment
// that makes it install into tempDir.
ToolCommand installCommand(const QString& modeWord);
QProcessEnvironment installEnvironment();

// Deletes the three tools ("notCapMCI"), the capture session's sample clip ("CapMCI"), or
// both ("All").
void remove(const QString& mode);

}  // namespace resourceTools
