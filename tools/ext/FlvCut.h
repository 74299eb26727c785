#pragma once

#include <string>
#include <vector>

// The tools' FLV-to-FLV stream copies done natively: cut, join and remux
// (which is also the repair of a damaged file), and the index check of the
// metadata tool.
namespace exttool {

class OutputTarget;

// Cuts (start/length in seconds, length negative: to the end) or joins the
// inputs into target, announcing the length and the progress on standard
// output. Returns the exit code, or -1 when the inputs are not for this
// (an input without readable FLV tags, inputs whose streams differ, a join
// with a range): ffmpeg is then the tool, and nothing was written.
int copyFlvNatively(const char* tool, const std::vector<std::string>& inputs, double start,
                    double length, OutputTarget& target);

// Rewrites the input into target with a new index, mending what is damaged
// and telling each repair as a "note=" line on standard output. A file
// without a readable tag fails with a message on standard error.
int remuxFlvNatively(const char* tool, const std::string& input, OutputTarget& target);

// True when the file already carries a right index, so it needs no rewrite.
bool flvHasRightIndex(const std::string& path);

}  // namespace exttool
