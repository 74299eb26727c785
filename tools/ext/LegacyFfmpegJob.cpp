#include "LegacyFfmpegJob.h"

#include "FfmpegCommon.h"
#include "ToolPaths.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace exttool {

namespace {

// Options taking a value, with their spelling today. "-ss" and "-t" keep
// theirs and, written before "-i", stay with that input.
const std::vector<std::pair<std::string, std::string>> valueOptions = {
    {"-vcodec", "-c:v"}, {"-acodec", "-c:a"}, {"-b", "-b:v"}, {"-ab", "-b:a"},
    {"-ar", "-ar"},      {"-ac", "-ac"},      {"-r", "-r"},   {"-s", "-s"},
    {"-ss", "-ss"},      {"-t", "-t"},        {"-f", "-f"},
};

bool isKbitOption(const std::string& legacy) {
    return legacy == "-b" || legacy == "-ab";
}

// A time option's value in seconds ("12.340", "01:02:03.5"); 0 when it cannot be read.
double secondsOf(const std::string& value) {
    double seconds = 0;
    std::size_t from = 0;
    while (from <= value.size()) {
        const std::size_t colon = value.find(':', from);
        const std::string part =
            value.substr(from, colon == std::string::npos ? std::string::npos : colon - from);
        char* end = nullptr;
        const double n = std::strtod(part.c_str(), &end);
        if (part.empty() || end == part.c_str()) {
            return 0;
        }
        seconds = seconds * 60 + n;
        if (colon == std::string::npos) {
            break;
        }
        from = colon + 1;
    }
    return seconds;
}

// "1.5,3,4.5": the moments of a series, each in seconds, ascending.
bool readMoments(const std::string& value, std::vector<double>& moments) {
    std::size_t from = 0;
    while (from <= value.size()) {
        const std::size_t comma = value.find(',', from);
        const std::string part =
            value.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        char* end = nullptr;
        const double t = std::strtod(part.c_str(), &end);
        if (part.empty() || end != part.c_str() + part.size() || !(t >= 0) ||
            (!moments.empty() && t < moments.back())) {
            return false;
        }
        moments.push_back(t);
        if (comma == std::string::npos) {
            break;
        }
        from = comma + 1;
    }
    return moments.size() >= 2;
}

// The select expression that keeps, for each moment, the first frame shown at or after it:
// a frame is kept when some moment lies after the frame before it and not after it. The
// terms are nested as a balanced tree, which ffmpeg's expression reader takes in any number.
std::string seriesSelect(const std::vector<double>& moments, double offset, std::size_t from,
                         std::size_t to) {
    if (to - from == 1) {
        const std::string t = secondsText(moments[from] - offset);
        return "gte(t," + t + ")*(isnan(prev_t)+lt(prev_t," + t + "))";
    }
    const std::size_t middle = from + (to - from) / 2;
    return "(" + seriesSelect(moments, offset, from, middle) + "+" +
           seriesSelect(moments, offset, middle, to) + ")";
}

// Where a series' decoding starts: at its first moment, unless that lies within the first
// second (see legacyFfmpegArgs).
double seriesStart(const LegacyFfmpegJob& job) {
    return job.moments.front() >= 1.0 ? job.moments.front() : 0.0;
}

// The picture options of an output: the muxer, the encoder and its quality.
void addPictureOptions(std::vector<std::string>& a, const std::string& output) {
    const std::string picture = pictureEncoder(extensionOf(output));
    a.insert(a.end(), {"-f", "image2", "-c:v", picture});
    if (picture == "mjpeg") {
        a.insert(a.end(), {"-q:v", "2"});
    }
}

bool hasOption(const std::vector<std::string>& options, const std::string& name) {
    for (std::size_t i = 0; i < options.size(); i += 2) {
        if (options[i] == name) {
            return true;
        }
    }
    return false;
}

std::string optionValue(const std::vector<std::string>& options, const std::string& name) {
    for (std::size_t i = 0; i + 1 < options.size(); i += 2) {
        if (options[i] == name) {
            return options[i + 1];
        }
    }
    return std::string();
}

}  // namespace

bool parseLegacyFfmpegArgs(const std::vector<std::string>& args, LegacyFfmpegJob& job,
                           std::string& error) {
    std::vector<std::string> pending;  // seek options written before the next "-i"
    bool outputSeen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-y") {
            job.overwrite = true;
            continue;
        }
        if (a == "-vn" || a == "-an") {
            // Flags; pairs of (name, "") keep the option lists two by two.
            job.outputOptions.insert(job.outputOptions.end(), {a, std::string()});
            continue;
        }
        if (a == "-i") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "option -i needs a file";
                return false;
            }
            job.inputs.push_back({args[++i], pending});
            pending.clear();
            continue;
        }
        const auto known = std::find_if(valueOptions.begin(), valueOptions.end(),
                                        [&a](const auto& o) { return o.first == a; });
        if (known != valueOptions.end()) {
            if (i + 1 >= args.size()) {
                error = "option " + a + " needs a value";
                return false;
            }
            std::string value = args[++i];
            if (isKbitOption(a) && isPlainNumber(value)) {
                value += "k";
            }
            if (a == "-ss" && value.find(',') != std::string::npos) {
                if (!readMoments(value, job.moments)) {
                    error = "option -ss needs moments in seconds, ascending, separated by \",\"";
                    return false;
                }
                continue;
            }
            const bool seek = a == "-ss" || a == "-t";
            if (seek && !outputSeen && job.inputs.empty()) {
                pending.insert(pending.end(), {known->second, value});
            } else {
                job.outputOptions.insert(job.outputOptions.end(), {known->second, value});
            }
            continue;
        }
        if (!a.empty() && a[0] == '-') {
            error = "unknown option \"" + a +
                    "\" (a file whose name begins with \"-\" must be given with its folder, "
                    "e.g. ./" +
                    a + ")";
            return false;
        }
        if (a.empty()) {
            error = "empty output name";
            return false;
        }
        if (outputSeen) {
            error = "more than one output: \"" + job.output + "\" and \"" + a + "\"";
            return false;
        }
        job.output = a;
        outputSeen = true;
    }
    if (!pending.empty()) {
        job.outputOptions.insert(job.outputOptions.begin(), pending.begin(), pending.end());
    }
    if (job.inputs.empty()) {
        error = "no input (-i) given";
        return false;
    }
    if (job.output.empty()) {
        error = "no output given";
        return false;
    }
    return true;
}

std::vector<std::string> seriesPictureArgs(const LegacyFfmpegJob& job, std::size_t index,
                                           const std::string& file) {
    // The series' progress is the pictures made, which the tool tells itself.
    std::vector<std::string> a = ffmpegPrefix();
    const auto progress = std::find(a.begin(), a.end(), "-progress");
    if (progress != a.end() && progress + 1 != a.end()) {
        a.erase(progress, progress + 2);
    }
    const double t = job.moments.at(index);
    if (t >= 1.0) {
        a.insert(a.end(), {"-ss", secondsText(t)});
    }
    a.insert(a.end(), {"-i", ffmpegUrl(job.inputs.front().path), "-map", "0:v:0"});
    if (t < 1.0) {
        a.insert(a.end(), {"-ss", secondsText(t)});
    }
    a.insert(a.end(), {"-frames:v", "1", "-update", "1"});
    addPictureOptions(a, job.output);
    a.insert(a.end(), {"-y", ffmpegUrl(file)});
    return a;
}

std::vector<std::string> legacyFfmpegArgs(const LegacyFfmpegJob& job, const std::string& target) {
    if (!job.moments.empty() && job.inputs.size() == 1) {
        const double start = seriesStart(job);
        std::vector<std::string> a = ffmpegPrefix();
        if (start > 0) {
            a.insert(a.end(), {"-ss", secondsText(start)});
        }
        a.insert(a.end(),
                 {"-i", ffmpegUrl(job.inputs.front().path), "-map", "0:v:0", "-vf",
                  "select='" + seriesSelect(job.moments, start, 0, job.moments.size()) + "'",
                  "-fps_mode", "passthrough", "-frames:v", std::to_string(job.moments.size())});
        addPictureOptions(a, job.output);
        a.insert(a.end(), {"-y", ffmpegUrl(target)});
        return a;
    }
    std::vector<std::string> out = job.outputOptions;
    std::vector<LegacyFfmpegJob::Input> inputs = job.inputs;

    // A picture taken at a moment decodes the same frame whether ffmpeg seeks
    // the input or discards frames up to the moment; seeking is much faster. But
    // a seek to a moment before the first keyframe (which may lie a little after
    // the file's start) lands on the next keyframe, seconds late: within the
    // first second the frames are decoded from the start instead.
    const bool copying = optionValue(out, "-c:v") == "copy";
    if (!copying && inputs.size() == 1 && !hasOption(inputs[0].options, "-ss")) {
        for (std::size_t i = 0; i < out.size(); i += 2) {
            if (out[i] == "-ss" && secondsOf(out[i + 1]) >= 1.0) {
                inputs[0].options.insert(inputs[0].options.end(), {out[i], out[i + 1]});
                out.erase(out.begin() + static_cast<std::ptrdiff_t>(i),
                          out.begin() + static_cast<std::ptrdiff_t>(i + 2));
                break;
            }
        }
    }

    std::vector<std::string> a = ffmpegPrefix();
    for (const auto& in : inputs) {
        a.insert(a.end(), in.options.begin(), in.options.end());
        a.insert(a.end(), {"-i", ffmpegUrl(in.path)});
    }
    for (std::size_t i = 0; i < out.size(); i += 2) {
        a.push_back(out[i]);
        if (!out[i + 1].empty()) {
            a.push_back(out[i + 1]);
        }
    }

    const std::string ext = extensionOf(job.output);
    const std::string picture = pictureEncoder(ext);
    if (!hasOption(out, "-f")) {
        if (!picture.empty() && isNumberPattern(fileNameOf(job.output))) {
            // ffmpeg would take "%03d.gif" for an animated GIF.
            a.insert(a.end(), {"-f", "image2"});
        } else if (!muxerForExtension(ext).empty()) {
            a.insert(a.end(), {"-f", muxerForExtension(ext)});
        }
    }
    if (!picture.empty() && !hasOption(out, "-c:v")) {
        // The picture muxer does not pick the encoder from every extension.
        a.insert(a.end(), {"-c:v", picture});
        if (picture == "mjpeg" && !hasOption(out, "-b:v")) {
            a.insert(a.end(), {"-q:v", "2"});
        }
    }
    if (!picture.empty() && !isNumberPattern(fileNameOf(job.output))) {
        a.insert(a.end(), {"-frames:v", "1", "-update", "1"});
    }
    a.insert(a.end(), {"-y", ffmpegUrl(target)});
    return a;
}

}  // namespace exttool
