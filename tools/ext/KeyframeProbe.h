#pragma once

#include "MencoderJob.h"

#include <string>
#include <vector>

namespace exttool {

// The ffprobe command line that lists the video keyframes from about
// lookBack seconds before the job's start (ffprobe begins on the keyframe
// there) for span seconds. source is the input, or the concat list when
// listed is set.
std::vector<std::string> keyframeProbeArgs(const MencoderJob& job, const std::string& source,
                                           bool listed, double lookBack, double span);

// What a keyframe probe saw, in seconds from the beginning of the media.
struct KeyframeProbe {
    bool found = false;   // a keyframe shown at or before the start
    double keyframe = 0;  // its decoding time (ffmpeg drops copied packets by that)
    double first = -1;    // first and last packet read; -1 when none
    double last = -1;
};

// Reads the probe's output for the job's start.
KeyframeProbe readKeyframeProbe(const std::string& probeOutput, double start);

// The same probe's command line reading from `from` seconds for span seconds, to find
// where a copy ends.
std::vector<std::string> packetProbeArgs(const std::string& source, bool listed, double from,
                                         double span);

// Where a copy that ends at `end` must stop, from a probe of the video packets around it:
// the decoding time of the first packet left out. Every picture shown before the end is
// kept, and so is every picture those need; but a copy never stops where a kept picture
// would be shown after one that is left out (a reordered picture cut away between two
// kept ones), so it may run a few pictures past the end. Negative when the probe does not
// show such a place (the media ends first, or the probe read too little).
double readCopyEnd(const std::string& probeOutput, double end);

}  // namespace exttool
