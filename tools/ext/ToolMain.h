#pragma once

#include <string>
#include <vector>

namespace exttool {

// The names the tool program answers to; the resource program installs it
// under each of them.
inline const char* const mencoderToolName = "~tmpExtMcd";
inline const char* const ffmpegToolName = "~tmpExtFmg";
inline const char* const flvMetaToolName = "~tmpExtFmd";

// Exit codes: 0 the output was written; 1 the work failed (see standard error);
// 2 the command line was not understood; 127 ffmpeg or flvmeta was not found;
// 128 + N stopped by signal N.
int runMencoderTool(const std::vector<std::string>& args);
int runFfmpegTool(const std::vector<std::string>& args);
int runFlvMetaTool(const std::vector<std::string>& args);

// Entry point: picks the tool by the name it was started as. Started under its
// own name, the first argument names the tool instead.
int toolMain(int argc, char** argv);

}  // namespace exttool
