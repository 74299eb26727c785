#pragma once

#include <string>
#include <vector>

namespace exttool {

// A cut or join in the MEncoder options the program writes:
//   -mc N  -ovc copy  -oac copy | -oac mp3lame -lameopts br=N
//   -ss S  -endpos L  -o OUT  IN...
//   -exact FROM,TO   (a cut: the pictures shown from FROM up to TO seconds, cut at exactly
//                     those pictures; -ss and -endpos are the keyframe cut it falls back to)
// done by ffmpeg with stream copy into the container OUT's extension names.
struct MencoderJob {
    std::vector<std::string> inputs;
    std::string output;
    double start = 0;                // seconds; 0 = from the beginning
    double length = -1;              // seconds; negative = to the end
    bool mp3Audio = false;           // "-oac mp3lame": audio re-encoded, video still copied
    std::string mp3Bitrate = "128";  // kbit/s, from "-lameopts br=N"
    double exactFrom = -1;           // "-exact": the range of a frame-exact cut, seconds;
    double exactTo = -1;             // negative when none was asked for
};

// Reads the options; on a mistake returns false with a one-line reason.
bool parseMencoderArgs(const std::vector<std::string>& args, MencoderJob& job, std::string& error);

// The ffmpeg command line for the job, writing to target (a path in the
// output's folder). inputs are the job's inputs made absolute; listFile is the
// concat list holding them when there are several ("" for one input).
// keyframe is where the copy begins (readKeyframeProbe's answer), and copyEnd the
// decoding time of the first packet it leaves out (readCopyEnd's answer); each
// negative when it is not known.
std::vector<std::string> mencoderFfmpegArgs(const MencoderJob& job,
                                            const std::vector<std::string>& inputs,
                                            const std::string& listFile, const std::string& target,
                                            double keyframe = -1, double copyEnd = -1);

// The concat list text naming the files in order.
std::string concatListText(const std::vector<std::string>& inputs);

}  // namespace exttool
