#include "KeyframeProbe.h"

#include "FfmpegCommon.h"
#include "ToolPaths.h"

#include <algorithm>
#include <cstdlib>

namespace exttool {

namespace {

// Keyframes are compared a hair late, so one exactly at the start counts.
constexpr double epsilon = 0.0005;

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',') {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return fields;
}

bool readNumber(const std::string& text, double& value) {
    if (text.empty() || text == "N/A") {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0';
}

}  // namespace

std::vector<std::string> keyframeProbeArgs(const MencoderJob& job, const std::string& source,
                                           bool listed, double lookBack, double span) {
    // "+A%+B" reads from A seconds after the media's own start, for B seconds
    // counted from where the seek lands.
    // Only timestamps and flags are wanted: no need to analyse the streams.
    std::vector<std::string> a = {"ffprobe",          "-v",    "error", "-probesize", "1000000",
                                  "-analyzeduration", "100000"};
    if (listed) {
        a.insert(a.end(), {"-f", "concat", "-safe", "0"});
    }
    a.insert(a.end(),
             {"-select_streams", "v:0", "-show_entries",
              "format=start_time:packet=pts_time,dts_time,flags", "-of", "csv", "-read_intervals",
              "+" + secondsText(std::max(0.0, job.start - lookBack)) + "%+" + secondsText(span),
              ffmpegUrl(source)});
    return a;
}

KeyframeProbe readKeyframeProbe(const std::string& probeOutput, double start) {
    double origin = 0;
    struct Packet {
        double shown;
        double decoded;
        bool key;
    };
    std::vector<Packet> packets;
    std::string::size_type at = 0;
    while (at < probeOutput.size()) {
        std::string::size_type end = probeOutput.find('\n', at);
        if (end == std::string::npos) {
            end = probeOutput.size();
        }
        const std::vector<std::string> f = splitFields(probeOutput.substr(at, end - at));
        at = end + 1;
        double shown = 0;
        double decoded = 0;
        if (f.size() == 2 && f[0] == "format") {
            readNumber(f[1], origin);
        } else if (f.size() >= 4 && f[0] == "packet") {
            const bool hasShown = readNumber(f[1], shown);
            const bool hasDecoded = readNumber(f[2], decoded);
            if (hasShown || hasDecoded) {
                packets.push_back({hasShown ? shown : decoded, hasDecoded ? decoded : shown,
                                   f[3].find('K') != std::string::npos});
            }
        }
    }
    KeyframeProbe p;
    double best = 0;
    for (const Packet& k : packets) {
        const double shown = k.shown - origin;
        p.first = p.first < 0 ? shown : std::min(p.first, shown);
        p.last = std::max(p.last, shown);
        if (k.key && shown <= start + epsilon && (!p.found || shown > best)) {
            best = shown;
            p.keyframe = std::max(0.0, k.decoded - origin);
            p.found = true;
        }
    }
    return p;
}

}  // namespace exttool
