#include "MencoderJob.h"

#include "FfmpegCommon.h"
#include "ToolPaths.h"

#include <algorithm>

namespace exttool {

namespace {

// ffmpeg seeks 3/23 s before the asked start when the video has reordered
// frames, which would begin a cut one keyframe too early whenever a keyframe
// lies just before the start. Without a known keyframe, asking that much later
// lands on the last keyframe at or before the start in most containers. (Not
// for QuickTime outputs: there the lead-in is hidden, and the lead would hide
// the first 3/23 s of the range.)
constexpr double seekLead = 3.0 / 23.0;

// With a known keyframe, the input is sought this much earlier (ffmpeg itself
// seeks 3/23 s early, and MPEG program streams land by timestamp, not on a
// keyframe), and the packets before the keyframe are dropped on the way out,
// which is exact in every container.
constexpr double seekMargin = 0.5;

// Timestamps are compared a hair early so the keyframe itself is kept.
constexpr double epsilon = 0.0005;

bool takeValue(const std::vector<std::string>& args, std::size_t& i, std::string& value,
               std::string& error) {
    if (i + 1 >= args.size()) {
        error = "option " + args[i] + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

bool readLameBitrate(const std::string& opts, std::string& bitrate) {
    std::string::size_type at = 0;
    while (at <= opts.size()) {
        std::string::size_type end = opts.find(':', at);
        if (end == std::string::npos) {
            end = opts.size();
        }
        const std::string item = opts.substr(at, end - at);
        if (item.rfind("br=", 0) == 0) {
            bitrate = item.substr(3);
            return isPlainNumber(bitrate);
        }
        at = end + 1;
    }
    return true;
}

}  // namespace

bool parseMencoderArgs(const std::vector<std::string>& args, MencoderJob& job, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        if (a == "-mc") {
            // A/V sync correction: stream copy keeps the timestamps anyway.
            if (!takeValue(args, i, v, error)) {
                return false;
            }
        } else if (a == "-ovc") {
            if (!takeValue(args, i, v, error)) {
                return false;
            }
            if (v != "copy") {
                error = "only \"-ovc copy\" is supported, not \"" + v + "\"";
                return false;
            }
        } else if (a == "-oac") {
            if (!takeValue(args, i, v, error)) {
                return false;
            }
            if (v == "mp3lame") {
                job.mp3Audio = true;
            } else if (v != "copy") {
                error = "only \"-oac copy\" and \"-oac mp3lame\" are supported, not \"" + v + "\"";
                return false;
            }
        } else if (a == "-lameopts") {
            if (!takeValue(args, i, v, error)) {
                return false;
            }
            if (!readLameBitrate(v, job.mp3Bitrate)) {
                error = "bad -lameopts \"" + v + "\"";
                return false;
            }
        } else if (a == "-ss" || a == "-endpos") {
            if (!takeValue(args, i, v, error)) {
                return false;
            }
            double seconds = 0;
            if (!parseSeconds(v, seconds)) {
                error = "bad time for " + a + ": \"" + v + "\"";
                return false;
            }
            (a == "-ss" ? job.start : job.length) = seconds;
        } else if (a == "-exact") {
            if (!takeValue(args, i, v, error)) {
                return false;
            }
            const std::string::size_type comma = v.find(',');
            if (comma == std::string::npos || !parseSeconds(v.substr(0, comma), job.exactFrom) ||
                !parseSeconds(v.substr(comma + 1), job.exactTo) || job.exactTo <= job.exactFrom) {
                error = "bad range for -exact: \"" + v + "\" (FROM,TO in seconds, TO after FROM)";
                return false;
            }
        } else if (a == "-o") {
            if (!takeValue(args, i, v, error)) {
                return false;
            }
            if (v.empty()) {
                error = "empty output name";
                return false;
            }
            job.output = v;
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option \"" + a +
                    "\" (a file whose name begins with \"-\" must be given with its folder, "
                    "e.g. ./" +
                    a + ")";
            return false;
        } else if (a.empty()) {
            error = "empty input name";
            return false;
        } else {
            job.inputs.push_back(a);
        }
    }
    if (job.output.empty()) {
        error = "no output (-o) given";
        return false;
    }
    if (job.inputs.empty()) {
        error = "no input given";
        return false;
    }
    if (job.exactFrom >= 0 && job.inputs.size() > 1) {
        error = "-exact cuts one input";
        return false;
    }
    return true;
}

std::string concatListText(const std::vector<std::string>& inputs) {
    std::string text = "ffconcat version 1.0\n";
    for (const std::string& in : inputs) {
        // Single quotes hold everything literally; a quote itself is closed,
        // escaped and reopened.
        std::string quoted = "'";
        for (char c : ffmpegUrl(in)) {
            if (c == '\'') {
                quoted += "'\\''";
            } else {
                quoted += c;
            }
        }
        quoted += "'";
        text += "file " + quoted + "\n";
    }
    return text;
}

std::vector<std::string> mencoderFfmpegArgs(const MencoderJob& job,
                                            const std::vector<std::string>& inputs,
                                            const std::string& listFile, const std::string& target,
                                            double keyframe, double copyEnd) {
    std::vector<std::string> a = ffmpegPrefix();
    std::string source = "0";
    if (!listFile.empty()) {
        // Every input is opened on its own first: one that is missing or not
        // media then stops ffmpeg before it creates the output, as a single
        // bad input does. These inputs are never read further.
        for (const std::string& in : inputs) {
            a.insert(a.end(), {"-i", ffmpegUrl(in)});
        }
        source = std::to_string(inputs.size());
        a.insert(a.end(), {"-f", "concat", "-safe", "0"});
    }
    double length = job.length;
    double seek = 0;  // input seek
    double skip = 0;  // dropped on the way out, after the input seek
    if (job.start > 0 && keyframe >= 0) {
        seek = std::max(0.0, keyframe - seekMargin);
        skip = std::max(0.0, keyframe - seek - epsilon);
        if (length >= 0) {
            // Packets go out while their decoding time is below keyframe - epsilon + length.
            length = copyEnd >= 0 ? copyEnd - keyframe : job.start + length - keyframe + epsilon;
        }
    } else if (job.start <= 0 && length >= 0 && copyEnd >= 0) {
        length = copyEnd - epsilon;
    } else if (job.start > 0) {
        double lead = 0;
        if (!hidesLeadIn(extensionOf(job.output)) && (length < 0 || length > 2 * seekLead)) {
            lead = seekLead;
            if (length >= 0) {
                length -= lead;
            }
        }
        seek = job.start + lead;
    }
    if (seek > 0) {
        a.insert(a.end(), {"-ss", secondsText(seek)});
    }
    a.insert(a.end(), {"-i", listFile.empty() ? ffmpegUrl(inputs.front()) : ffmpegUrl(listFile)});
    if (skip > 0) {
        a.insert(a.end(), {"-ss", secondsText(skip)});
    }
    if (length >= 0) {
        a.insert(a.end(), {"-t", secondsText(length)});
    }
    a.insert(a.end(), {"-map", source + ":v:0?", "-map", source + ":a:0?", "-c:v", "copy"});
    if (job.mp3Audio) {
        a.insert(a.end(), {"-c:a", "libmp3lame", "-b:a", job.mp3Bitrate + "k"});
    } else {
        a.insert(a.end(), {"-c:a", "copy"});
    }
    const std::string muxer = muxerForExtension(extensionOf(job.output));
    if (!muxer.empty()) {
        a.insert(a.end(), {"-f", muxer});
    }
    a.insert(a.end(), {"-y", ffmpegUrl(target)});
    return a;
}

}  // namespace exttool
