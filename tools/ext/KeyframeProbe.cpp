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

std::vector<std::string> packetProbeArgs(const std::string& source, bool listed, double from,
                                         double span) {
    // "+A%+B" reads from A seconds after the media's own start, for B seconds
    // counted from where the seek lands.
    // Only timestamps and flags are wanted: no need to analyse the streams.
    std::vector<std::string> a = {"ffprobe",          "-v",    "error", "-probesize", "1000000",
                                  "-analyzeduration", "100000"};
    if (listed) {
        a.insert(a.end(), {"-f", "concat", "-safe", "0"});
    }
    a.insert(
        a.end(),
        {"-select_streams", "v:0", "-show_entries",
         "format=start_time:packet=pts_time,dts_time,flags", "-of", "csv", "-read_intervals",
         "+" + secondsText(std::max(0.0, from)) + "%+" + secondsText(span), ffmpegUrl(source)});
    return a;
}

std::vector<std::string> keyframeProbeArgs(const MencoderJob& job, const std::string& source,
                                           bool listed, double lookBack, double span) {
    return packetProbeArgs(source, listed, job.start - lookBack, span);
}

namespace {

struct Packet {
    double shown;    // from the beginning of the media
    double decoded;  // likewise
    bool key;
    bool hasShown;
};

// A picture others are predicted from comes before them in decoding order and is shown
// after them. MPEG streams often give no showing time for such a picture: it is shown
// when the next one of its kind is decoded. One shown at its decoding time is not one.
bool isAnchor(const Packet& p) {
    return !p.hasShown || p.shown > p.decoded + epsilon;
}

// The video packets of a probe, in the order read (the decoding order).
std::vector<Packet> readPackets(const std::string& probeOutput) {
    double origin = 0;
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
                                   f[3].find('K') != std::string::npos, hasShown});
            }
        }
    }
    // Unknown showing times: the decoding time of the next anchor, or never when the probe
    // ends first.
    double nextAnchor = 1e300;
    for (std::size_t i = packets.size(); i-- > 0;) {
        Packet& p = packets[i];
        if (!p.hasShown) {
            p.shown = nextAnchor;
        }
        if (isAnchor(p)) {
            nextAnchor = p.decoded;
        }
    }
    for (Packet& p : packets) {
        p.shown -= origin;
        p.decoded -= origin;
    }
    return packets;
}

}  // namespace

KeyframeProbe readKeyframeProbe(const std::string& probeOutput, double start) {
    KeyframeProbe p;
    double best = 0;
    for (const Packet& k : readPackets(probeOutput)) {
        // How far the read got: a time the probe gave.
        const double read = k.hasShown ? k.shown : k.decoded;
        p.first = p.first < 0 ? read : std::min(p.first, read);
        p.last = std::max(p.last, read);
        if (k.key && k.shown <= start + epsilon && (!p.found || k.shown > best)) {
            best = k.shown;
            p.keyframe = std::max(0.0, k.decoded);
            p.found = true;
        }
    }
    return p;
}

double readCopyEnd(const std::string& probeOutput, double end) {
    const std::vector<Packet> packets = readPackets(probeOutput);
    const std::size_t n = packets.size();
    // laterMin[i]: the earliest showing time of packets i and after.
    std::vector<double> laterMin(n + 1, 1e300);
    for (std::size_t i = n; i-- > 0;) {
        laterMin[i] = std::min(laterMin[i + 1], packets[i].shown);
    }
    // Stopping before packet i keeps packets 0..i-1 of the probe (and all before it). The
    // first packet must be one the probe read before the end, or the earlier ones are not
    // known.
    if (n == 0 || packets.front().shown >= end - epsilon) {
        return -1;
    }
    double keptMax = -1e300;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && laterMin[i] >= end - epsilon && laterMin[i] > keptMax) {
            return packets[i].decoded;
        }
        keptMax = std::max(keptMax, packets[i].shown);
    }
    return -1;
}

}  // namespace exttool
