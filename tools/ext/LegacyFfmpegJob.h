#pragma once

#include <string>
#include <utility>
#include <vector>

namespace exttool {

// A run in the old FFmpeg dialect the program writes, e.g.
//   -y -vcodec copy -acodec copy -i IN OUT
//   -i IN -y -ss T -t 0.001 ~tmpSP%03d.jpg
//   -y -i IN -vcodec wmv2 -s 320x240 -r 25 -b 200 -ar 22050 -ab 64 -ac 2 OUT
// Codec options before "-i" belong to the output, and "-b"/"-ab" without a
// unit are kbit/s.
struct LegacyFfmpegJob {
    struct Input {
        std::string path;
        std::vector<std::string> options;  // today's spelling, e.g. {"-ss", "5"}
    };
    std::vector<Input> inputs;
    std::vector<std::string> outputOptions;  // today's spelling
    std::string output;
    bool overwrite = false;  // "-y"
    // A series of pictures: "-ss" given as moments separated by "," (seconds,
    // ascending), one picture each into the output's numbering pattern.
    std::vector<double> moments;
};

// Reads the options; on a mistake returns false with a one-line reason.
bool parseLegacyFfmpegArgs(const std::vector<std::string>& args, LegacyFfmpegJob& job,
                           std::string& error);

// The ffmpeg command line for the job, writing to target (a path, or a
// numbering pattern, in the output's folder). A series is taken in one pass
// that decodes forward once and keeps, for each moment, the first frame shown
// at or after it, as a seek to that moment would.
std::vector<std::string> legacyFfmpegArgs(const LegacyFfmpegJob& job, const std::string& target);

// The command line for picture index (from 0) of a series alone, into file.
std::vector<std::string> seriesPictureArgs(const LegacyFfmpegJob& job, std::size_t index,
                                           const std::string& file);

}  // namespace exttool
