#pragma once

#include <string>

// An FLV that ffmpeg wrote as a stream copy of FLV input comes back byte for
// byte when ffmpeg copies it into FLV once more: the tags, their timestamps
// and the metadata are what its FLV muxer writes in the first place. The save
// copies every cut part that way straight after cutting it, so the tools
// leave a mark on each such file they write (an extended attribute holding
// the file's identity, size and modification time). A remux of a marked file
// that has not changed since is then a plain copy of its bytes.
//
// Where the file system keeps no extended attributes, no mark is left and
// the remux runs ffmpeg as before.
namespace exttool {

// Marks the file, just written by ffmpeg as such a copy. False when the file
// system does not take the mark.
bool markFlvCopy(const std::string& path);

enum class CopyResult { Copied, NotCopied, Stopped };

// When the input carries a mark that still matches it, copies its bytes to
// output (a new file, which is given the mark too) and returns Copied.
// NotCopied when the input has no valid mark or the copy failed, and Stopped
// when a stop signal came during the copy; in both cases no output is left.
CopyResult copyMarkedFlv(const std::string& input, const std::string& output);

}  // namespace exttool
