#include "FfmpegCommon.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace exttool {

std::vector<std::string> ffmpegPrefix() {
    return {ffmpegProgram, "-nostdin", "-hide_banner", "-loglevel",
            "error",       "-nostats", "-progress",    "pipe:1"};
}

std::string durationLine(double seconds) {
    if (!(seconds > 0)) {
        return std::string();
    }
    return "duration_us=" + std::to_string(std::llround(seconds * 1e6)) + "\n";
}

std::string muxerForExtension(const std::string& ext) {
    // "dat" is the Video CD's MPEG program stream; ffmpeg has no guess for it.
    if (ext == "dat" || ext == "mpg" || ext == "mpeg") {
        return "mpeg";
    }
    // ffmpeg's own guess for ".vob" is the Super Video CD muxer.
    if (ext == "vob") {
        return "vob";
    }
    return std::string();
}

bool seeksByTimestamp(const std::string& ext) {
    for (const char* e : {"mpg", "mpeg", "vob", "dat", "ts", "m2ts", "mts", "m2t", "m2v"}) {
        if (ext == e) {
            return true;
        }
    }
    return false;
}

bool hidesLeadIn(const std::string& ext) {
    for (const char* e : {"mp4", "mov", "3gp", "3g2", "m4v", "f4v", "qt"}) {
        if (ext == e) {
            return true;
        }
    }
    return false;
}

std::string pictureEncoder(const std::string& ext) {
    if (ext == "jpg" || ext == "jpeg") {
        return "mjpeg";
    }
    if (ext == "png") {
        return "png";
    }
    if (ext == "gif") {
        return "gif";
    }
    if (ext == "bmp") {
        return "bmp";
    }
    return std::string();
}

namespace {

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    bool dot = false;
    for (char c : text) {
        if (c == '.' && !dot) {
            dot = true;
        } else if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    if (text == ".") {
        return false;
    }
    value = std::strtod(text.c_str(), nullptr);
    return true;
}

}  // namespace

bool parseSeconds(const std::string& text, double& seconds) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ':') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (fields.size() > 3) {
        return false;
    }
    double total = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        double v = 0;
        if (!parseNumber(fields[i], v)) {
            return false;
        }
        // Only the last field may carry a fraction.
        if (i + 1 < fields.size() && fields[i].find('.') != std::string::npos) {
            return false;
        }
        total = total * 60 + v;
    }
    seconds = total;
    return true;
}

std::string secondsText(double seconds) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", seconds);
    return buf;
}

}  // namespace exttool
