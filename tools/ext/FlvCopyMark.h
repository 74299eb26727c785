#pragma once

#include <string>

// An FLV that the tools wrote as a stream copy of FLV input comes back byte
// for byte when copied into FLV once more: the tags, their timestamps and the
// metadata are what the writer puts there in the first place. The save
// copies every cut part that way straight after cutting it, so the tools
// leave a mark on each such file they write (an extended attribute holding
// the file's identity, size and modification time). A remux of a marked file
// that has not changed since then needs no writing: the bytes are there.
//
// Where the file system keeps no extended attributes, no mark is left and
// the remux runs ffmpeg as before.
namespace exttool {

// Marks the file, just written by ffmpeg as such a copy. False when the file
// system does not take the mark.
bool markFlvCopy(const std::string& path);

enum class CopyResult { Copied, NotCopied, Stopped };

// When the input carries a mark that still matches it, gives output the same
// bytes and returns Copied: output becomes a second name of the input's data
// (a hard link) where the file system allows, a marked copy otherwise.
// NotCopied when the input has no valid mark or the copy failed, and Stopped
// when a stop signal came during the copy; in both cases no output is left.
CopyResult copyMarkedFlv(const std::string& input, const std::string& output);

}  // namespace exttool
