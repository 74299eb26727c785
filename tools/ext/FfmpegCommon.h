#pragma once

#include <string>
#include <vector>

// What every ffmpeg run of the tools shares.
namespace exttool {

// The program run for the media work; found on PATH.
inline const char* const ffmpegProgram = "ffmpeg";

// Quiet ffmpeg whose progress the caller can still follow. ffmpeg writes on
// standard output, every half second and once at the end, a block of
// "key=value" lines ("frame=", "fps=", "bitrate=", "total_size=",
// "out_time_us=" (microseconds written so far), "out_time=", "speed=") that
// ends with "progress=continue", or "progress=end" for the last one. Errors go
// to standard error, each on its own line, ffmpeg's own and ours (ours begin
// with the tool's name and ": ").
std::vector<std::string> ffmpegPrefix();

// The line a tool writes on standard output before its ffmpeg starts, when it
// knows how long the output will play: "duration_us=" and the microseconds.
// With it, the program turns "out_time_us=" into a share of the run. Stream
// copies without a length give none: finding the length would cost a probe
// of the input, longer than the copy itself on small files.
std::string durationLine(double seconds);

// Muxer to name with "-f" for an output extension ffmpeg would not guess, or
// would guess differently from what the program means; "" when ffmpeg's own
// guess is right.
std::string muxerForExtension(const std::string& ext);

// True for MPEG program and transport streams: ffmpeg seeks them by
// timestamp, landing anywhere, and a stream copy then begins at the next
// keyframe, after the asked start.
bool seeksByTimestamp(const std::string& ext);

// True for the QuickTime family (mp4, mov, 3gp...): their muxer hides the
// packets before the asked start behind an edit list, so a copy shows exactly
// from the start.
bool hidesLeadIn(const std::string& ext);

// Encoder for a still-picture extension ("jpg" -> "mjpeg"); "" when the
// extension is not a picture.
std::string pictureEncoder(const std::string& ext);

// Seconds from "S", "S.f", "M:S" or "H:M:S(.f)"; false for anything else.
bool parseSeconds(const std::string& text, double& seconds);

// Seconds written for ffmpeg ("12.130435").
std::string secondsText(double seconds);

}  // namespace exttool
