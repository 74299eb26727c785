#pragma once

#include <string>

// Path helpers of the tool program. Paths are byte strings as the system gives
// them (UTF-8 on our systems); nothing here touches the disk except
// absolutePath's look at the current folder.
namespace exttool {

// The path made absolute against the current folder, without resolving links.
std::string absolutePath(const std::string& path);

// A path as ffmpeg must get it: absolute and behind "file:", so that a name
// starting with "-" is not an option and one holding ":" is not a protocol.
std::string ffmpegUrl(const std::string& path);

// Folder part of a path ("" for a bare name), without the trailing "/".
std::string folderOf(const std::string& path);

// Last component of a path.
std::string fileNameOf(const std::string& path);

// Lower-case extension of the last component, without the dot ("" if none).
std::string extensionOf(const std::string& path);

// True when the name holds a numbering field such as "%03d" or "%d".
bool isNumberPattern(const std::string& name);

// The numbering field of a pattern replaced by n ("~tmpSP%03d.jpg", 1 ->
// "~tmpSP001.jpg"); "%%" stands for "%".
std::string expandNumberPattern(const std::string& pattern, int n);

// "%" doubled, so a folder name can sit in front of a numbering pattern.
std::string escapePercent(const std::string& text);

// True when the text is a plain decimal number ("64", "7.5").
bool isPlainNumber(const std::string& text);

}  // namespace exttool
