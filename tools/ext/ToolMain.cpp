#include "ToolMain.h"

#include "ChildProcess.h"
#include "ExactCut.h"
#include "FfmpegCommon.h"
#include "FlvCopyMark.h"
#include "FlvCut.h"
#include "KeyframeProbe.h"
#include "LegacyFfmpegJob.h"
#include "MencoderJob.h"
#include "OutputTarget.h"
#include "ToolPaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace exttool {

namespace {

const char* const flvMetaProgram = "flvmeta";

void report(const char* tool, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
    std::fflush(stderr);
}

int stoppedExit(int sig) {
    return 128 + sig;
}

// A readable regular file; otherwise false with the reason.
bool readableFile(const std::string& path, std::string& error) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        error = "cannot open \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "\"" + path + "\" is not a file";
        return false;
    }
    if (access(path.c_str(), R_OK) != 0) {
        error = "cannot read \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool hasLineBreak(const std::string& s) {
    return s.find('\n') != std::string::npos || s.find('\r') != std::string::npos;
}

// A child that was stopped or never started leaves nothing; returns the exit code
// for that case, or -1 when the child ran to its end.
// Less room than this left in a folder after a failed write: the disk ran full.
bool folderFull(const std::string& folder) {
    struct statvfs fs {};
    constexpr unsigned long long nearlyFull = 1ULL << 20;
    return ::statvfs(folder.c_str(), &fs) == 0 && fs.f_blocks > 0 &&
           static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize < nearlyFull;
}

int abandoned(const char* tool, const ChildProcess::Result& r, OutputTarget& target) {
    if (r.stopSignal != 0) {
        target.discard();
        report(tool, "stopped");
        return stoppedExit(r.stopSignal);
    }
    if (!r.started) {
        target.discard();
        report(tool, r.error);
        return 127;
    }
    return -1;
}

// Runs ffmpeg into target and settles the output by what it left:
//   success with data          -> the output is replaced;
//   failure after creating it  -> the inputs were read but the output cannot
//                                 hold them: an empty output is left, which
//                                 is what the program's re-encoding question
//                                 looks for;
//   failure before creating it -> the inputs could not be opened: nothing.
int runInto(const char* tool, const std::vector<std::string>& argv, OutputTarget& target) {
    const ChildProcess::Result r = ChildProcess::run(argv);
    if (const int code = abandoned(tool, r, target); code >= 0) {
        return code;
    }
    std::string error;
    if (r.exitCode == 0 && target.hasData()) {
        if (!target.commit(error)) {
            report(tool, error);
            return 1;
        }
        return 0;
    }
    // A full disk is no refusal of the streams: nothing is left under the output's name,
    // so the program does not ask about re-encoding what could not be written anyway.
    if (target.created() && r.exitCode != 0 &&
        folderFull(folderOf(absolutePath(target.temporary())))) {
        target.discard();
        report(tool, "No space left on device");
        return 1;
    }
    if (target.created()) {
        if (!target.commitEmpty(error) && !error.empty()) {
            report(tool, error);
        }
        report(tool, "the output cannot hold the streams as they are");
        return 1;
    }
    target.discard();
    report(tool, r.exitCode == 0 ? "nothing was written" : "the input could not be read");
    return 1;
}

// Seconds the container of path says it plays; negative when ffprobe cannot
// tell.
double mediaSeconds(const std::string& path) {
    std::string text;
    const ChildProcess::Result r =
        ChildProcess::run({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of",
                           "default=noprint_wrappers=1:nokey=1", ffmpegUrl(path)},
                          &text);
    if (!r.started || r.exitCode != 0) {
        return -1;
    }
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    return end == text.c_str() ? -1 : seconds;
}

// Tells the program how long the output will play, so it can show how far
// the run has got.
void announceDuration(double seconds) {
    const std::string line = durationLine(seconds);
    if (!line.empty()) {
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
    }
}

// Value of a (name, value) option list entry; "" when absent.
std::string optionOf(const std::vector<std::string>& options, const std::string& name) {
    for (std::size_t i = 0; i + 1 < options.size(); i += 2) {
        if (options[i] == name) {
            return options[i + 1];
        }
    }
    return std::string();
}

// How long an old-dialect run's output plays: its "-t", or for an encode the
// input's length after its start. Copies and pictures are quick, so they are
// not worth the probe.
double legacyOutputSeconds(const LegacyFfmpegJob& job) {
    const std::vector<std::string>& in = job.inputs.front().options;
    std::string length = optionOf(in, "-t");
    if (length.empty()) {
        length = optionOf(job.outputOptions, "-t");
    }
    double seconds = -1;
    if (!length.empty()) {
        return parseSeconds(length, seconds) ? seconds : -1;
    }
    if (optionOf(job.outputOptions, "-c:v") == "copy" ||
        !pictureEncoder(extensionOf(job.output)).empty()) {
        return -1;
    }
    seconds = mediaSeconds(job.inputs.front().path);
    std::string start = optionOf(in, "-ss");
    if (start.empty()) {
        start = optionOf(job.outputOptions, "-ss");
    }
    double skipped = 0;
    if (seconds > 0 && !start.empty() && parseSeconds(start, skipped)) {
        seconds -= skipped;
    }
    return seconds;
}

// True when both names lead to one file (a second name of it included).
bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool isFlv(const std::string& path) {
    return extensionOf(path) == "flv";
}

// Every stream copied, from FLV into FLV.
bool isFlvCopy(const MencoderJob& job) {
    return !job.mp3Audio && isFlv(job.output) &&
           std::all_of(job.inputs.begin(), job.inputs.end(), isFlv);
}

// The save's remux of a part: one FLV input read whole, both streams copied
// into FLV.
bool isFlvRemux(const LegacyFfmpegJob& job) {
    if (job.inputs.size() != 1 || !job.inputs[0].options.empty() || !isFlv(job.inputs[0].path) ||
        !isFlv(job.output) || job.outputOptions.size() != 4) {
        return false;
    }
    return optionOf(job.outputOptions, "-c:v") == "copy" &&
           optionOf(job.outputOptions, "-c:a") == "copy";
}

// A concat list in the temporary folder, removed when it goes out of scope.
class ListFile {
public:
    ~ListFile() {
        if (!m_path.empty()) {
            unlink(m_path.c_str());
        }
    }
    bool write(const std::string& text, std::string& error) {
        const char* dir = std::getenv("TMPDIR");
        std::string pattern = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
        pattern += "/~tmpSZjoin-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = mkstemp(name.data());
        if (fd < 0) {
            error = "cannot write a list file in \"" + pattern + "\": " + std::strerror(errno);
            return false;
        }
        m_path = name.data();
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                error = "cannot write the list file: " + std::string(std::strerror(errno));
                close(fd);
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        close(fd);
        return true;
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

void say(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The frame-exact cut of "-exact": its exit code, or -1 when it falls back to the keyframe
// cut (a "note=" line has then told why). An FLV is written by the tools' own writer from
// what the exact cut wrote, so it gets the keyframe index every FLV of theirs has.
int runExactCut(const char* tool, const MencoderJob& job, const std::string& input) {
    const std::string ext = extensionOf(job.output);
    std::string reason;
    if (job.mp3Audio) {
        reason = "聲音必須重新編碼";
    } else if (!exactCutContainer(ext)) {
        reason = "輸出的檔案格式（" + ext + "）無法精確裁剪";
    }
    std::string error;
    OutputTarget written(job.output);
    if (reason.empty() && !written.prepare(error)) {
        report(tool, error);
        return 1;
    }
    const ExactCutResult r =
        reason.empty() ? cutExactly(input, job.exactFrom, job.exactTo, written.temporary())
                       : ExactCutResult{};
    if (r.kind == ExactCutResult::Kind::Stopped || ChildProcess::stopRequested() != 0) {
        written.discard();
        report(tool, "stopped");
        return stoppedExit(ChildProcess::stopRequested());
    }
    if (r.kind == ExactCutResult::Kind::Written) {
        say("exact_pictures=" + std::to_string(r.pictures));
        say("exact_encoded=" + std::to_string(r.encoded));
        say("exact_encode_seconds=" + std::to_string(r.encodeSeconds));
        if (ext != "flv") {
            if (!written.commit(error)) {
                report(tool, error);
                return 1;
            }
            return 0;
        }
        OutputTarget target(job.output);
        if (!target.prepare(error)) {
            written.discard();
            report(tool, error);
            return 1;
        }
        const int code = copyFlvNatively(tool, {written.temporary()}, 0, -1, target);
        written.discard();
        if (code >= 0) {
            return code;
        }
        reason = "無法寫成 FLV";
    }
    if (reason.empty()) {
        reason = r.reason;
    }
    written.discard();
    say("note=精確裁剪改用關鍵影格裁剪：" + reason);
    return -1;
}

}  // namespace

int runMencoderTool(const std::vector<std::string>& args) {
    const char* tool = mencoderToolName;
    MencoderJob job;
    std::string error;
    if (!parseMencoderArgs(args, job, error)) {
        report(tool, error);
        return 2;
    }
    std::vector<std::string> inputs;
    for (const std::string& in : job.inputs) {
        if (!readableFile(in, error)) {
            report(tool, error);
            return 1;
        }
        if (job.inputs.size() > 1 && hasLineBreak(in)) {
            report(tool, "cannot join \"" + in + "\": its name holds a line break");
            return 1;
        }
        inputs.push_back(absolutePath(in));
    }
    if (job.exactFrom >= 0) {
        if (const int code = runExactCut(tool, job, inputs.front()); code >= 0) {
            return code;
        }
    }
    if (isFlvCopy(job)) {
        // FLV from FLV needs no ffmpeg: tags are copied as they are.
        OutputTarget target(job.output);
        if (!target.prepare(error)) {
            report(tool, error);
            return 1;
        }
        const int code = copyFlvNatively(tool, inputs, job.start, job.length, target);
        if (code >= 0) {
            return code;
        }
    }
    ListFile list;
    if (inputs.size() > 1 && !list.write(concatListText(inputs), error)) {
        report(tool, error);
        return 1;
    }
    OutputTarget target(job.output);
    if (!target.prepare(error)) {
        report(tool, error);
        return 1;
    }
    // A copy starts on a keyframe; the last one at or before the start keeps
    // the whole range. ffmpeg's own seek finds it, except in MPEG streams,
    // where ffprobe looks for it first.
    double keyframe = -1;
    if (job.start > 0 && seeksByTimestamp(extensionOf(inputs.front()))) {
        const bool listed = inputs.size() > 1;
        const std::string& source = listed ? list.path() : inputs.front();
        // A short look back usually holds the keyframe; a wider one covers
        // long keyframe intervals. A read that stopped short of the start is
        // read again to just past it.
        for (double lookBack : {1.0, 20.0}) {
            // Enough to pass the start from a landing up to 2.5 s before the
            // look-back point, so one read usually does.
            const double span = std::min(lookBack, job.start) + 3.0;
            KeyframeProbe seen;
            for (int attempt = 0; attempt < 2; ++attempt) {
                std::string text;
                const double length =
                    attempt == 0 || seen.first < 0 ? span : job.start + 0.5 - seen.first;
                const ChildProcess::Result r = ChildProcess::run(
                    keyframeProbeArgs(job, source, listed, lookBack, length), &text);
                if (r.stopSignal != 0) {
                    return stoppedExit(r.stopSignal);
                }
                if (!r.started || r.exitCode != 0) {
                    break;
                }
                seen = readKeyframeProbe(text, job.start);
                if (seen.last >= job.start || seen.first < 0) {
                    break;
                }
            }
            if (seen.found) {
                keyframe = seen.keyframe;
                break;
            }
        }
    }
    // Where the copy stops: the time decides by decoding order, which would keep a
    // reordered picture's reference but not the picture itself.
    double copyEnd = -1;
    if (job.length > 0 && seeksByTimestamp(extensionOf(inputs.front()))) {
        const bool listed = inputs.size() > 1;
        std::string text;
        const double end = job.start + job.length;
        const ChildProcess::Result r = ChildProcess::run(
            packetProbeArgs(listed ? list.path() : inputs.front(), listed, end - 1.0, 3.0), &text);
        if (r.stopSignal != 0) {
            return stoppedExit(r.stopSignal);
        }
        if (r.started && r.exitCode == 0) {
            copyEnd = readCopyEnd(text, end);
        }
    }
    double expected = job.length;
    if (expected < 0 && job.mp3Audio) {
        // Re-encoding takes long enough for the probe to pay.
        expected = 0;
        for (const std::string& in : inputs) {
            const double seconds = mediaSeconds(in);
            if (seconds < 0) {
                expected = -1;
                break;
            }
            expected += seconds;
        }
        expected = expected < 0 ? -1 : expected - job.start;
    }
    announceDuration(expected);
    return runInto(
        tool, mencoderFfmpegArgs(job, inputs, list.path(), target.temporary(), keyframe, copyEnd),
        target);
}

// A series of pictures in one pass. Moments closer together than a frame share it and the
// pass keeps it once: the pictures are then taken one by one instead; so are GIF pictures,
// whose encoder writes the file's header only in front of the first. The pictures made
// before a failure stay, so that the program keeps them.
int runSeries(const char* tool, const LegacyFfmpegJob& job, OutputTarget& target) {
    ChildProcess::Result r;
    const bool onePass = extensionOf(job.output) != "gif";
    if (onePass) {
        r = ChildProcess::run(legacyFfmpegArgs(job, target.temporary()));
        if (const int code = abandoned(tool, r, target); code >= 0) {
            return code;
        }
    }
    if (!onePass || (r.exitCode == 0 && target.writtenCount() < job.moments.size())) {
        target.discard();
        for (std::size_t i = 0; i < job.moments.size(); ++i) {
            const std::string file = target.temporaryFile(static_cast<int>(i) + 1);
            r = ChildProcess::run(seriesPictureArgs(job, i, file));
            if (const int code = abandoned(tool, r, target); code >= 0) {
                return code;
            }
            if (r.exitCode != 0 || target.writtenCount() <= i) {
                break;
            }
            std::printf("frame=%zu\nprogress=continue\n", i + 1);
            std::fflush(stdout);
        }
    }
    const std::size_t made = target.writtenCount();
    std::string error;
    if (made == 0 || !target.commit(error)) {
        target.discard();
        report(tool, error.empty() ? "the input could not be read" : error);
        return 1;
    }
    if (made < job.moments.size()) {
        report(tool, "only " + std::to_string(made) + " of " + std::to_string(job.moments.size()) +
                         " pictures could be made");
        return 1;
    }
    return 0;
}

int runFfmpegTool(const std::vector<std::string>& args) {
    const char* tool = ffmpegToolName;
    LegacyFfmpegJob job;
    std::string error;
    if (!parseLegacyFfmpegArgs(args, job, error)) {
        report(tool, error);
        return 2;
    }
    for (const auto& in : job.inputs) {
        if (!readableFile(in.path, error)) {
            report(tool, error);
            return 1;
        }
    }
    if (!job.overwrite && outputExists(job.output)) {
        report(tool, "\"" + job.output + "\" exists; not replaced without -y");
        return 1;
    }
    OutputTarget target(job.output);
    if (!target.prepare(error)) {
        report(tool, error);
        return 1;
    }
    const bool flvRemux = isFlvRemux(job);
    if (flvRemux && !sameFile(job.inputs[0].path, job.output)) {
        // The remux would write the marked file's bytes again.
        switch (copyMarkedFlv(job.inputs[0].path, target.temporary())) {
            case CopyResult::Copied:
                if (!target.commit(error)) {
                    report(tool, error);
                    return 1;
                }
                return 0;
            case CopyResult::Stopped:
                target.discard();
                report(tool, "stopped");
                return stoppedExit(ChildProcess::stopRequested());
            case CopyResult::NotCopied:
                break;
        }
    }
    if (flvRemux) {
        return remuxFlvNatively(tool, absolutePath(job.inputs[0].path), target);
    }
    if (!job.moments.empty()) {
        return runSeries(tool, job, target);
    }
    announceDuration(legacyOutputSeconds(job));
    return runInto(tool, legacyFfmpegArgs(job, target.temporary()), target);
}

int runFlvMetaTool(const std::vector<std::string>& args) {
    const char* tool = flvMetaToolName;
    if (args.size() != 1 || args[0].empty()) {
        report(tool, "usage: ~tmpExtFmd FILE.flv");
        return 2;
    }
    const std::string file = absolutePath(args[0]);
    std::string error;
    if (!readableFile(file, error)) {
        report(tool, error);
        return 1;
    }
    if (flvHasRightIndex(file)) {
        return 0;  // written with its index already; nothing to update
    }
    OutputTarget target(file);
    if (!target.prepare(error)) {
        report(tool, error);
        return 1;
    }
    // Absolute paths never look like options to flvmeta.
    const ChildProcess::Result r =
        ChildProcess::run({flvMetaProgram, "-U", file, target.temporary()});
    if (const int code = abandoned(tool, r, target); code >= 0) {
        return code;
    }
    if (r.exitCode != 0 || !target.hasData()) {
        target.discard();
        report(tool, "cannot update the metadata of \"" + file + "\"; the file is unchanged");
        return 1;
    }
    // The rewritten file keeps the old one's permissions.
    struct stat st {};
    if (stat(file.c_str(), &st) == 0) {
        chmod(target.temporary().c_str(), st.st_mode & 07777);
    }
    if (!target.commit(error)) {
        report(tool, error);
        return 1;
    }
    const ChildProcess::Result check = ChildProcess::run({flvMetaProgram, "--check", file});
    if (check.stopSignal != 0) {
        return stoppedExit(check.stopSignal);
    }
    if (!check.started || check.exitCode != 0) {
        report(tool, "\"" + file + "\" was updated but does not pass the check");
        return 1;
    }
    return 0;
}

int toolMain(int argc, char** argv) {
    // From the first moment, a stop request ends the tool tidily; so does the end of the
    // program that started it.
    ChildProcess::endWithParent();
    if (ChildProcess::stopRequested() != 0) {
        return stoppedExit(ChildProcess::stopRequested());
    }
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    std::string name = argc > 0 ? fileNameOf(argv[0]) : std::string();
    if (name != mencoderToolName && name != ffmpegToolName && name != flvMetaToolName &&
        !args.empty()) {
        name = args.front();
        args.erase(args.begin());
    }
    if (name == mencoderToolName) {
        return runMencoderTool(args);
    }
    if (name == ffmpegToolName) {
        return runFfmpegTool(args);
    }
    if (name == flvMetaToolName) {
        return runFlvMetaTool(args);
    }
    std::fprintf(stderr,
                 "usage: ZelvoToolFLV {%s|%s|%s} ARGS...\n"
                 "  (or start it under one of those names)\n",
                 mencoderToolName, ffmpegToolName, flvMetaToolName);
    return 2;
}

}  // namespace exttool
