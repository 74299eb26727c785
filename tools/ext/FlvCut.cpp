#include "FlvCut.h"

#include "ChildProcess.h"
#include "FfmpegCommon.h"
#include "FlvCopyMark.h"
#include "FlvWriter.h"
#include "OutputTarget.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace exttool {

namespace {

void report(const char* tool, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
    std::fflush(stderr);
}

void say(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// "00:00:20.10"
std::string clock(std::int64_t ms) {
    ms = std::max<std::int64_t>(ms, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%05.2f", static_cast<long long>(ms / 3600000),
                  static_cast<long long>(ms / 60000 % 60),
                  static_cast<double>(ms % 60000) / 1000.0);
    return text;
}

// Frames of one stream missing between the tags around index at.
long missingFrames(const FlvScan& s, std::size_t at, std::uint8_t type, std::int64_t step) {
    std::int64_t before = -1;
    std::int64_t after = -1;
    for (std::size_t i = at; i-- > 0;) {
        if (s.tags[i].type == type && !s.tags[i].config) {
            before = s.tags[i].time;
            break;
        }
    }
    for (std::size_t i = at; i < s.tags.size(); ++i) {
        if (s.tags[i].type == type && !s.tags[i].config) {
            after = s.tags[i].time;
            break;
        }
    }
    if (before < 0 || after < 0 || step <= 0) {
        return 0;
    }
    return std::lround(static_cast<double>(after - before) / static_cast<double>(step)) - 1;
}

// What the rewrite mended, in the user's words.
std::vector<std::string> repairNotes(const FlvScan& s, std::int64_t shift) {
    std::vector<std::string> notes;
    if (s.headerRebuilt) {
        notes.push_back("已重建損壞或缺少的 FLV 檔頭");
    }
    if (!s.metadataFound) {
        notes.push_back("已重建損壞或缺少的中繼資料（onMetaData）");
    }
    for (const FlvDamage& d : s.damage) {
        long frames = missingFrames(s, d.before, flvVideo, s.videoStep);
        if (frames <= 0) {
            frames = missingFrames(s, d.before, flvAudio, s.audioStep);
        }
        std::int64_t from = 0;
        for (std::size_t i = d.before; i-- > 0;) {
            if (!s.tags[i].config) {
                from = s.tags[i].time + shift;
                break;
            }
        }
        const std::int64_t to = d.before < s.tags.size() ? s.tags[d.before].time + shift : from;
        notes.push_back("略過 " + std::to_string(std::max(frames, 1L)) + " 個損壞的影格，位置 " +
                        clock(from) + "–" + clock(to));
    }
    if (s.timestampJumps > 0) {
        notes.push_back("已修正 " + std::to_string(s.timestampJumps) + " 處跳動的時間戳記");
    }
    if (s.truncated > 0) {
        notes.push_back("檔案結尾不完整，已捨去最後 " + std::to_string(s.truncated) + " 位元組");
    }
    return notes;
}

// Writes the plan into target, marks and commits it; the exit code.
int writePlan(const char* tool, std::vector<std::unique_ptr<FlvInput>>& inputs, const FlvPlan& plan,
              double announced, OutputTarget& target) {
    const std::string line = durationLine(announced >= 0 ? announced : planDuration(inputs, plan));
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
    FlvWritten written;
    std::string error;
    switch (writeFlv(inputs, plan, target.temporary(), true, written, error)) {
        case FlvWriteResult::Stopped:
            target.discard();
            report(tool, "stopped");
            return 128 + ChildProcess::stopRequested();
        case FlvWriteResult::Failed:
            target.discard();
            report(tool, error);
            return 1;
        case FlvWriteResult::Written:
            break;
    }
    // A remux of this file finds the same bytes and only links them.
    markFlvCopy(target.temporary());
    say("out_time_us=" + std::to_string(static_cast<long long>(written.duration * 1e6)));
    say("progress=end");
    if (!target.commit(error)) {
        report(tool, error);
        return 1;
    }
    return 0;
}

}  // namespace

int copyFlvNatively(const char* tool, const std::vector<std::string>& paths, double start,
                    double length, OutputTarget& target) {
    if (paths.size() > 1 && (start > 0 || length >= 0)) {
        return -1;
    }
    std::vector<std::unique_ptr<FlvInput>> inputs;
    for (const std::string& path : paths) {
        inputs.push_back(std::make_unique<FlvInput>());
        std::string error;
        if (!inputs.back()->open(path, error) || !inputs.back()->scan().usable()) {
            return -1;
        }
    }
    FlvPlan plan;
    if (inputs.size() > 1) {
        std::string error;
        if (!planJoin(inputs, plan, error)) {
            return -1;
        }
    } else if (start > 0 || length >= 0) {
        plan = planCut(*inputs.front(), start, length);
    } else {
        plan = planWhole(*inputs.front());
    }
    return writePlan(tool, inputs, plan, length, target);
}

int remuxFlvNatively(const char* tool, const std::string& path, OutputTarget& target) {
    std::vector<std::unique_ptr<FlvInput>> inputs;
    inputs.push_back(std::make_unique<FlvInput>());
    std::string error;
    if (!inputs.front()->open(path, error)) {
        report(tool, error);
        return 1;
    }
    const FlvScan& scan = inputs.front()->scan();
    if (!scan.usable()) {
        report(tool, "\"" + path + "\" holds no FLV audio or video that can be read");
        return 1;
    }
    const FlvPlan plan = planWhole(*inputs.front());
    const int code = writePlan(tool, inputs, plan, -1, target);
    if (code == 0) {
        for (const std::string& note : repairNotes(scan, plan.parts.front().shift)) {
            say("note=" + note);
        }
    }
    return code;
}

bool flvHasRightIndex(const std::string& path) {
    FlvInput input;
    std::string error;
    return input.open(path, error) && hasRightIndex(input);
}

}  // namespace exttool
