#include "FlvCut.h"

#include "ChildProcess.h"
#include "FfmpegCommon.h"
#include "FlvCopyMark.h"
#include "FlvWriter.h"
#include "OutputTarget.h"

#include <sys/stat.h>

#include <chrono>
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
    if (s.timestampRepeats > 0) {
        notes.push_back("已修正 " + std::to_string(s.timestampRepeats) + " 處重複或倒退的時間戳記");
    }
    if (s.truncated > 0) {
        notes.push_back("檔案結尾不完整，已捨去最後 " + std::to_string(s.truncated) + " 位元組");
    }
    return notes;
}

// The run's progress for the program: "progress_percent=" lines, never going back, at
// most five a second. Reading the inputs and writing the output share the run by their
// bytes. While the inputs are read the output is taken to be as large as they are (a
// remux's is), so reading fills the first half; once the plan tells the output's size,
// writing fills the rest. Reading long damage is what takes time there: its bytes are
// all looked at, where a tag's are skipped.
class RunProgress {
public:
    explicit RunProgress(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            struct stat st {};
            m_inputBytes +=
                stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
        }
    }
    // Bytes of the inputs read so far (those of the inputs before the one being read,
    // then done of it); false when a stop was asked for.
    bool reading(std::uint64_t before, std::uint64_t done) {
        if (m_inputBytes > 0) {
            show(0.5 * static_cast<double>(before + done) / static_cast<double>(m_inputBytes));
        }
        return ChildProcess::stopRequested() == 0;
    }
    void writing(std::uint64_t done, std::uint64_t total) {
        show(static_cast<double>(m_inputBytes + done) / static_cast<double>(m_inputBytes + total));
    }

private:
    using Clock = std::chrono::steady_clock;
    void show(double share) {
        const int percent = std::min(99, static_cast<int>(share * 100));
        const Clock::time_point now = Clock::now();
        if (percent > m_shown && now >= m_next) {
            m_shown = percent;
            m_next = now + std::chrono::milliseconds(200);
            std::printf("progress_percent=%d\n", percent);
            std::fflush(stdout);
        }
    }
    std::uint64_t m_inputBytes = 0;
    int m_shown = 0;
    Clock::time_point m_next;
};

// Opens and scans the inputs, telling progress; false when one cannot be read or a stop
// broke off the reading (stopped is then set).
bool openInputs(const std::vector<std::string>& paths,
                std::vector<std::unique_ptr<FlvInput>>& inputs, RunProgress& progress,
                bool& stopped, std::string& error) {
    std::uint64_t before = 0;
    for (const std::string& path : paths) {
        inputs.push_back(std::make_unique<FlvInput>());
        const bool opened = inputs.back()->open(
            path, error,
            [&](std::uint64_t done, std::uint64_t) { return progress.reading(before, done); });
        if (inputs.back()->scan().stopped || ChildProcess::stopRequested() != 0) {
            stopped = true;
            return false;
        }
        if (!opened) {
            return false;
        }
        before += inputs.back()->size();
        progress.reading(before, 0);
    }
    return true;
}

int stoppedRun(const char* tool, OutputTarget& target) {
    target.discard();
    report(tool, "stopped");
    return 128 + ChildProcess::stopRequested();
}

// Writes the plan into target, marks and commits it; the exit code.
int writePlan(const char* tool, std::vector<std::unique_ptr<FlvInput>>& inputs, const FlvPlan& plan,
              double announced, RunProgress& progress, OutputTarget& target) {
    const std::string line = durationLine(announced >= 0 ? announced : planDuration(inputs, plan));
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
    FlvWritten written;
    std::string error;
    const auto writing = [&progress](std::uint64_t done, std::uint64_t total) {
        progress.writing(done, total);
    };
    switch (writeFlv(inputs, plan, target.temporary(), writing, written, error)) {
        case FlvWriteResult::Stopped:
            return stoppedRun(tool, target);
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
    if (written.keyframesListed < written.keyframes) {
        say("note=關鍵影格索引過大，已精簡為 " + std::to_string(written.keyframesListed) + " 筆");
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
    RunProgress progress(paths);
    bool stopped = false;
    std::string error;
    if (!openInputs(paths, inputs, progress, stopped, error)) {
        return stopped ? stoppedRun(tool, target) : -1;
    }
    for (const auto& in : inputs) {
        if (!in->scan().usable()) {
            return -1;
        }
    }
    FlvPlan plan;
    if (inputs.size() > 1) {
        if (!planJoin(inputs, plan, error)) {
            return -1;
        }
    } else if (start > 0 || length >= 0) {
        plan = planCut(*inputs.front(), start, length);
    } else {
        plan = planWhole(*inputs.front());
    }
    return writePlan(tool, inputs, plan, length, progress, target);
}

int remuxFlvNatively(const char* tool, const std::string& path, OutputTarget& target) {
    std::vector<std::unique_ptr<FlvInput>> inputs;
    RunProgress progress({path});
    bool stopped = false;
    std::string error;
    if (!openInputs({path}, inputs, progress, stopped, error)) {
        if (stopped) {
            return stoppedRun(tool, target);
        }
        report(tool, error);
        return 1;
    }
    const FlvScan& scan = inputs.front()->scan();
    if (!scan.usable()) {
        report(tool, "\"" + path + "\" holds no FLV audio or video that can be read");
        return 1;
    }
    FlvPlan plan = planWhole(*inputs.front());
    // Pictures that cannot be decoded are no repair: the output is written only with a
    // sequence header its AVC video can start from.
    const AvcRepair config = repairAvcConfig(*inputs.front(), plan);
    if (config == AvcRepair::Hopeless) {
        say("note=影像的解碼設定損壞或缺少，影像資料中也沒有可重建它的參數，影像無法修復");
        report(tool, "\"" + path +
                         "\": the video cannot be repaired: its AVC sequence header is damaged "
                         "or missing and the stream holds no SPS and PPS to rebuild it from");
        return 1;
    }
    const int code = writePlan(tool, inputs, plan, -1, progress, target);
    if (code == 0) {
        if (config == AvcRepair::Rebuilt) {
            say("note=已從影像資料重建損壞或缺少的解碼設定");
        }
        for (const std::string& note : repairNotes(scan, plan.parts.front().shift)) {
            say("note=" + note);
        }
    }
    return code;
}

bool flvHasRightIndex(const std::string& path) {
    FlvInput input;
    std::string error;
    const auto goOn = [](std::uint64_t, std::uint64_t) {
        return ChildProcess::stopRequested() == 0;
    };
    return input.open(path, error, goOn) && !input.scan().stopped && hasRightIndex(input);
}

}  // namespace exttool
