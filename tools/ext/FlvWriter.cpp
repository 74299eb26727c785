#include "FlvWriter.h"

#include "ChildProcess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace exttool {

namespace {

// Window for reading tag headers, and for copying bodies.
constexpr std::size_t scanWindow = std::size_t{2} << 10;
constexpr std::size_t copyWindow = std::size_t{4} << 20;
// Bodies this large go from file to file through the kernel.
constexpr std::uint32_t kernelCopyFrom = std::uint32_t{1} << 20;
// Sequence headers and metadata are read whole only up to this size.
constexpr std::uint32_t smallBody = std::uint32_t{16} << 20;

void putBe(std::vector<std::uint8_t>& out, std::uint64_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void putName(std::vector<std::uint8_t>& out, const char* name) {
    const std::size_t n = std::strlen(name);
    putBe(out, n, 2);
    out.insert(out.end(), name, name + n);
}

void putNumber(std::vector<std::uint8_t>& out, const char* name, double v) {
    if (name != nullptr) {
        putName(out, name);
    }
    out.push_back(0);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    putBe(out, bits, 8);
}

void putBool(std::vector<std::uint8_t>& out, const char* name, bool v) {
    putName(out, name);
    out.push_back(1);
    out.push_back(v ? 1 : 0);
}

void putTagHeader(std::vector<std::uint8_t>& out, std::uint8_t type, std::uint32_t size,
                  std::int64_t time) {
    const std::uint32_t t = static_cast<std::uint32_t>(std::max<std::int64_t>(time, 0));
    out.push_back(type);
    putBe(out, size, 3);
    putBe(out, t & 0xffffff, 3);
    out.push_back(static_cast<std::uint8_t>(t >> 24));
    putBe(out, 0, 3);
}

const FlvTag& tagOf(std::vector<std::unique_ptr<FlvInput>>& inputs, std::size_t input,
                    std::uint32_t i) {
    return inputs[input]->scan().tags[i];
}

// What the metadata says, gathered from the plan.
struct Facts {
    bool video = false;
    bool audio = false;
    std::uint8_t videoFlags = 0;
    std::uint8_t audioFlags = 0;
    std::uint64_t videoBytes = 0;  // of the media data, without each tag's codec byte
    std::uint64_t audioBytes = 0;
    std::int64_t lastVideo = -1;
    std::int64_t lastAudio = -1;
    std::int64_t lastTime = 0;
    std::int64_t videoStep = 0;
    std::int64_t audioStep = 0;
    int width = 0;
    int height = 0;
    // The keyframe index as written (thinned when whole it would not fit), and of the
    // whole index its length and last time.
    std::vector<std::int64_t> keyTimes;
    std::vector<std::uint64_t> keyPositions;
    std::size_t keyframes = 0;
    std::int64_t lastKeyTime = -1;

    double duration() const {
        const std::int64_t v = lastVideo >= 0 ? lastVideo + videoStep : 0;
        const std::int64_t a = lastAudio >= 0 ? lastAudio + audioStep : 0;
        return static_cast<double>(std::max(v, a)) / 1000.0;
    }
};

// A tag's time in the output. Parts begin at 0 with their first media tag; a sequence
// header stored before it (or a damaged time the scan let pass) is not sent back before 0.
std::int64_t outputTime(const FlvTag& t, std::int64_t shift) {
    return std::max<std::int64_t>(0, t.time + shift);
}

Facts gather(std::vector<std::unique_ptr<FlvInput>>& inputs, const FlvPlan& plan) {
    Facts f;
    for (const FlvPlan::Part& part : plan.parts) {
        const FlvScan& s = inputs[part.input]->scan();
        f.videoStep = std::max(f.videoStep, s.videoStep);
        f.audioStep = std::max(f.audioStep, s.audioStep);
        if (f.width == 0) {
            f.width = s.width;
            f.height = s.height;
        }
        for (std::uint32_t i : part.tags) {
            const FlvTag& t = s.tags[i];
            const std::int64_t time = outputTime(t, part.shift);
            if (t.type == flvVideo) {
                f.video = true;
                f.videoFlags = f.videoBytes == 0 ? t.flags : f.videoFlags;
                f.videoBytes += t.size - 1;
                if (!t.config) {
                    f.lastVideo = std::max(f.lastVideo, time);
                }
            } else {
                f.audio = true;
                f.audioFlags = f.audioBytes == 0 ? t.flags : f.audioFlags;
                f.audioBytes += t.size - 1;
                if (!t.config) {
                    f.lastAudio = std::max(f.lastAudio, time);
                }
            }
            f.lastTime = std::max(f.lastTime, time);
        }
    }
    for (const auto& fr : plan.front) {
        const FlvTag& t = tagOf(inputs, fr.first, fr.second);
        (t.type == flvVideo ? f.videoBytes : f.audioBytes) += t.size - 1;
        (t.type == flvVideo ? f.video : f.audio) = true;
    }
    if (!plan.videoConfig.empty()) {
        f.video = true;
        f.videoBytes += plan.videoConfig.size() - 1;
        if (f.width == 0) {
            pictureSize(plan.videoConfig.data(), plan.videoConfig.size(), f.width, f.height);
        }
    }
    return f;
}

std::vector<std::uint8_t> metadataBody(const Facts& f, double filesize) {
    std::vector<std::uint8_t> m;
    m.push_back(2);
    putName(m, "onMetaData");
    m.push_back(8);
    putBe(m, 0, 4);
    const double duration = f.duration();
    const double seconds = duration > 0 ? duration : 1;
    putNumber(m, "duration", duration);
    std::uint32_t count = 1;
    if (f.video) {
        putNumber(m, "width", f.width);
        putNumber(m, "height", f.height);
        putNumber(m, "videodatarate", static_cast<double>(f.videoBytes) * 8 / 1024 / seconds);
        putNumber(m, "framerate", f.videoStep > 0 ? 1000.0 / static_cast<double>(f.videoStep) : 0);
        putNumber(m, "videocodecid", f.videoFlags & 0x0f);
        count += 5;
    }
    if (f.audio) {
        static const double rates[] = {5512.5, 11025, 22050, 44100};
        putNumber(m, "audiodatarate", static_cast<double>(f.audioBytes) * 8 / 1024 / seconds);
        putNumber(m, "audiosamplerate", rates[(f.audioFlags >> 2) & 3]);
        putNumber(m, "audiosamplesize", (f.audioFlags & 2) != 0 ? 16 : 8);
        putBool(m, "stereo", (f.audioFlags & 1) != 0);
        putNumber(m, "audiocodecid", f.audioFlags >> 4);
        count += 5;
    }
    putNumber(m, "filesize", filesize);
    putNumber(m, "lasttimestamp", static_cast<double>(f.lastTime) / 1000);
    putNumber(m, "lastkeyframetimestamp",
              f.lastKeyTime < 0 ? 0 : static_cast<double>(f.lastKeyTime) / 1000);
    putBool(m, "hasKeyframes", f.keyframes > 0);
    putBool(m, "hasVideo", f.video);
    putBool(m, "hasAudio", f.audio);
    putBool(m, "hasMetadata", true);
    count += 7;
    putName(m, "keyframes");
    m.push_back(3);
    putName(m, "times");
    m.push_back(10);
    putBe(m, f.keyTimes.size(), 4);
    for (std::int64_t t : f.keyTimes) {
        putNumber(m, nullptr, static_cast<double>(t) / 1000);
    }
    putName(m, "filepositions");
    m.push_back(10);
    putBe(m, f.keyPositions.size(), 4);
    for (std::uint64_t p : f.keyPositions) {
        putNumber(m, nullptr, static_cast<double>(p));
    }
    putBe(m, 0, 2);
    m.push_back(9);
    ++count;
    putBe(m, 0, 2);
    m.push_back(9);
    // The ECMA array's count, now known.
    for (int i = 0; i < 4; ++i) {
        m[14 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(count >> (8 * (3 - i)));
    }
    return m;
}

// The index lists the first video tag marked as a keyframe at each time, the
// sequence header included, where a player starts decoding.
class KeyframeRule {
public:
    // Whether the next tag in file order is listed.
    bool listed(std::uint8_t type, std::uint8_t flags, std::int64_t time) {
        if (type != flvVideo || (flags >> 4) != 1 || (m_any && time == m_last)) {
            return false;
        }
        m_any = true;
        m_last = time;
        return true;
    }

private:
    bool m_any = false;
    std::int64_t m_last = 0;
};

// Bytes of the onMetaData body for each entry of the keyframe index: a number in
// each of its two lists.
constexpr std::uint64_t bytesPerKeyframe = 2 * 9;

// Which of n keyframes the index keeps when it has room for only m of them: the k-th
// entry lists keyframe k * n / m, so the first is always listed and the rest are spread
// evenly.
std::size_t keptKeyframe(std::size_t k, std::size_t n, std::size_t m) {
    return static_cast<std::size_t>(static_cast<std::uint64_t>(k) * n / m);
}

// Thins the index of f to as many entries as fit in an onMetaData body of at most
// limit bytes (none when not even the rest fits).
void fitIndex(Facts& f, std::uint32_t limit) {
    const std::uint64_t whole = metadataBody(f, 0).size();
    if (whole <= limit) {
        return;
    }
    const std::size_t n = f.keyTimes.size();
    const std::uint64_t rest = whole - bytesPerKeyframe * n;
    const std::size_t m =
        rest > limit ? 0 : static_cast<std::size_t>((limit - rest) / bytesPerKeyframe);
    std::vector<std::int64_t> times;
    std::vector<std::uint64_t> positions;
    times.reserve(m);
    positions.reserve(m);
    for (std::size_t k = 0; k < m; ++k) {
        times.push_back(f.keyTimes[keptKeyframe(k, n, m)]);
        positions.push_back(f.keyPositions[keptKeyframe(k, n, m)]);
    }
    f.keyTimes = std::move(times);
    f.keyPositions = std::move(positions);
}

// A tag the head carries before the copied ones: a sequence header.
struct HeadTag {
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
    std::vector<std::uint8_t> body;
};

// The output's first bytes (header, metadata, sequence headers) and the
// facts, positions of the keyframes included. False when a tag would not fit
// in tagLimit bytes: no FLV can tell its size then.
bool buildHead(std::vector<std::unique_ptr<FlvInput>>& inputs, const FlvPlan& plan, Facts& f,
               std::uint64_t& total, std::uint32_t tagLimit, std::vector<std::uint8_t>& head) {
    f = gather(inputs, plan);
    std::vector<HeadTag> front;
    if (!plan.videoConfig.empty()) {
        front.push_back({flvVideo, plan.videoConfig.front(), plan.videoConfig});
    }
    for (const auto& fr : plan.front) {
        const FlvTag& t = tagOf(inputs, fr.first, fr.second);
        std::vector<std::uint8_t> bytes = inputs[fr.first]->body(t.offset, t.size);
        bytes.resize(t.size);  // read before, when planned: never short here
        front.push_back({t.type, t.flags, std::move(bytes)});
    }
    std::uint64_t pos = 0;
    KeyframeRule rule;
    const auto step = [&](std::uint8_t type, std::uint8_t flags, std::uint64_t size,
                          std::int64_t time) {
        if (rule.listed(type, flags, time)) {
            f.keyTimes.push_back(time);
            f.keyPositions.push_back(pos);
        }
        pos += 11 + size + 4;
    };
    for (const HeadTag& t : front) {
        step(t.type, t.flags, t.body.size(), 0);
    }
    for (const FlvPlan::Part& part : plan.parts) {
        for (std::uint32_t i : part.tags) {
            const FlvTag& t = tagOf(inputs, part.input, i);
            step(t.type, t.flags, t.size, outputTime(t, part.shift));
        }
    }
    f.keyframes = f.keyTimes.size();
    f.lastKeyTime = f.keyTimes.empty() ? -1 : f.keyTimes.back();
    fitIndex(f, tagLimit);
    const std::uint64_t body = pos;
    const std::size_t metaSize = metadataBody(f, 0).size();
    const std::uint64_t headSize = 9 + 4 + 11 + metaSize + 4;
    for (std::uint64_t& p : f.keyPositions) {
        p += headSize;
    }
    pos = headSize + body;
    total = pos;
    head = {'F', 'L', 'V', 1, 0, 0, 0, 0, 9, 0, 0, 0, 0};
    head[4] = static_cast<std::uint8_t>((f.audio ? 4 : 0) | (f.video ? 1 : 0));
    const std::vector<std::uint8_t> meta = metadataBody(f, static_cast<double>(total));
    if (meta.size() > tagLimit) {
        return false;
    }
    putTagHeader(head, flvScript, static_cast<std::uint32_t>(meta.size()), 0);
    head.insert(head.end(), meta.begin(), meta.end());
    putBe(head, 11 + meta.size(), 4);
    for (const HeadTag& t : front) {
        if (t.body.size() > flvMaxTagBody) {
            return false;
        }
        putTagHeader(head, t.type, static_cast<std::uint32_t>(t.body.size()), 0);
        head.insert(head.end(), t.body.begin(), t.body.end());
        putBe(head, 11 + std::uint64_t{t.body.size()}, 4);
    }
    return true;
}

// Keeps sequence headers only where they change what a decoder was told.
class ConfigFilter {
public:
    explicit ConfigFilter(std::vector<FlvInput*> inputs) : m_inputs(std::move(inputs)) {}
    void set(std::size_t input, std::uint32_t i) {
        const FlvTag& t = m_inputs[input]->scan().tags[i];
        current(t) = m_inputs[input]->body(t.offset, t.size);
    }
    // True when tag i is a sequence header that is new, which it then becomes.
    bool changes(std::size_t input, std::uint32_t i) {
        const FlvTag& t = m_inputs[input]->scan().tags[i];
        std::vector<std::uint8_t> body = m_inputs[input]->body(t.offset, t.size);
        if (body == current(t)) {
            return false;
        }
        current(t) = std::move(body);
        return true;
    }

private:
    std::vector<std::uint8_t>& current(const FlvTag& t) {
        return t.type == flvVideo ? m_video : m_audio;
    }
    std::vector<FlvInput*> m_inputs;
    std::vector<std::uint8_t> m_video;
    std::vector<std::uint8_t> m_audio;
};

// The sequence headers in force at tag index first: the last ones before it,
// else the first ones after it.
void frontConfigs(const FlvScan& scan, std::size_t input, std::size_t first, FlvPlan& plan,
                  ConfigFilter& filter) {
    const std::vector<FlvTag>& tags = scan.tags;
    for (std::uint8_t type : {flvVideo, flvAudio}) {
        std::ptrdiff_t found = -1;
        for (std::size_t i = 0; i < tags.size(); ++i) {
            if (tags[i].type == type && tags[i].config && tags[i].size <= smallBody) {
                if (i < first || found < 0) {
                    found = static_cast<std::ptrdiff_t>(i);
                }
                if (i >= first) {
                    break;
                }
            }
        }
        if (found >= 0) {
            plan.front.emplace_back(input, static_cast<std::uint32_t>(found));
            filter.set(input, static_cast<std::uint32_t>(found));
        }
    }
}

// Minimum time of the listed tags (0 when none).
std::int64_t firstTime(const std::vector<FlvTag>& tags, const std::vector<std::uint32_t>& list) {
    std::int64_t first = std::numeric_limits<std::int64_t>::max();
    for (std::uint32_t i : list) {
        if (!tags[i].config) {
            first = std::min(first, tags[i].time);
        }
    }
    return first == std::numeric_limits<std::int64_t>::max() ? 0 : first;
}

// Output through a large buffer; big bodies go through the kernel.
class Sink {
public:
    Sink(int fd, std::vector<std::uint8_t>* memory) : m_fd(fd), m_memory(memory) {
        if (m_memory == nullptr) {
            m_buffer.reserve(copyWindow);
        }
    }
    bool put(const std::uint8_t* p, std::size_t n) {
        if (m_memory != nullptr) {
            m_memory->insert(m_memory->end(), p, p + n);
            return true;
        }
        if (m_buffer.size() + n > copyWindow && !flush()) {
            return false;
        }
        if (n >= copyWindow) {
            return writeAll(p, n);
        }
        m_buffer.insert(m_buffer.end(), p, p + n);
        return true;
    }
    bool put(const std::vector<std::uint8_t>& v) { return put(v.data(), v.size()); }
    // Copies n bytes of the file at offset; false on a read or write error.
    bool copy(FlvInput& in, FileSource* big, std::uint64_t offset, std::uint64_t n) {
        if (m_memory == nullptr && n >= kernelCopyFrom && in.fd() >= 0 && m_kernelCopy) {
            if (!flush()) {
                return false;
            }
            loff_t from = static_cast<loff_t>(offset);
            std::uint64_t left = n;
            while (left > 0) {
                const ssize_t done = copy_file_range(in.fd(), &from, m_fd, nullptr, left, 0);
                if (done < 0 && errno == EINTR) {
                    continue;
                }
                if (done <= 0) {
                    if (left == n && done < 0 &&
                        (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP ||
                         errno == EINVAL || errno == EBADF)) {
                        m_kernelCopy = false;
                        break;
                    }
                    return false;
                }
                left -= static_cast<std::uint64_t>(done);
            }
            if (left == 0) {
                return true;
            }
        }
        FlvSource& src = big != nullptr ? static_cast<FlvSource&>(*big) : in.source();
        while (n > 0) {
            const std::size_t step =
                static_cast<std::size_t>(std::min<std::uint64_t>(n, copyWindow));
            const std::uint8_t* p = src.view(offset, step);
            if (p == nullptr || !put(p, step)) {
                return false;
            }
            offset += step;
            n -= step;
        }
        return true;
    }
    bool flush() {
        const bool ok = writeAll(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return ok;
    }

private:
    bool writeAll(const std::uint8_t* p, std::size_t n) {
        while (n > 0) {
            const ssize_t w = ::write(m_fd, p, n);
            if (w < 0 && errno == EINTR && ChildProcess::stopRequested() == 0) {
                continue;
            }
            if (w <= 0) {
                return false;
            }
            p += w;
            n -= static_cast<std::size_t>(w);
        }
        return true;
    }
    int m_fd;
    std::vector<std::uint8_t>* m_memory;
    std::vector<std::uint8_t> m_buffer;
    bool m_kernelCopy = true;
};

FlvWriteResult writeInto(std::vector<std::unique_ptr<FlvInput>>& inputs, const FlvPlan& plan,
                         Sink& sink, const FlvWriteProgress& progress, bool stoppable,
                         FlvWritten& written, std::uint32_t tagLimit, std::string& error) {
    Facts f;
    std::uint64_t total = 0;
    std::vector<std::uint8_t> head;
    if (!buildHead(inputs, plan, f, total, tagLimit, head)) {
        error = "a tag of the output would be larger than FLV allows";
        return FlvWriteResult::Failed;
    }
    written.size = total;
    written.duration = f.duration();
    written.keyframes = f.keyframes;
    written.keyframesListed = f.keyTimes.size();
    if (!sink.put(head)) {
        return FlvWriteResult::Failed;
    }
    std::uint64_t done = head.size();
    std::vector<std::uint8_t> bytes;
    for (const FlvPlan::Part& part : plan.parts) {
        FlvInput& in = *inputs[part.input];
        std::unique_ptr<FileSource> big;
        if (in.fd() >= 0) {
            big = std::make_unique<FileSource>(in.fd(), in.size(), copyWindow);
        }
        std::size_t count = 0;
        for (std::uint32_t i : part.tags) {
            const FlvTag& t = in.scan().tags[i];
            if (stoppable && ChildProcess::stopRequested() != 0) {
                return FlvWriteResult::Stopped;
            }
            const std::int64_t time = outputTime(t, part.shift);
            bytes.clear();
            putTagHeader(bytes, t.type, t.size, time);
            if (!sink.put(bytes) || !sink.copy(in, big.get(), t.offset + 11, t.size)) {
                return FlvWriteResult::Failed;
            }
            bytes.clear();
            putBe(bytes, 11 + std::uint64_t{t.size}, 4);
            if (!sink.put(bytes)) {
                return FlvWriteResult::Failed;
            }
            done += 11 + std::uint64_t{t.size} + 4;
            if (progress && (++count & 63) == 0) {
                progress(done, total);
            }
        }
    }
    return sink.flush() ? FlvWriteResult::Written : FlvWriteResult::Failed;
}

// The parameter sets of one AVC frame (a tag body of length-prefixed NAL units, each
// length lengthSize bytes). False when the lengths do not lead exactly to the body's end:
// the units are not of that length size (or the frame is damaged).
bool frameParameterSets(FlvSource& src, const FlvTag& t, int lengthSize,
                        std::vector<std::uint8_t>& sps, std::vector<std::uint8_t>& pps) {
    // A parameter set longer than this is no parameter set.
    constexpr std::uint32_t longestSet = 1024;
    const std::uint64_t end = t.offset + 11 + t.size;
    std::uint64_t q = t.offset + 11 + 5;
    std::vector<std::uint8_t> foundSps;
    std::vector<std::uint8_t> foundPps;
    while (q < end) {
        const auto l = static_cast<std::size_t>(lengthSize);
        if (end - q < l + 1) {
            return false;
        }
        const std::uint8_t* h = src.view(q, l + 1);
        if (h == nullptr) {
            return false;
        }
        std::uint32_t n = 0;
        for (std::size_t i = 0; i < l; ++i) {
            n = (n << 8) | h[i];
        }
        if (n == 0 || (h[l] & 0x80) != 0 || end - q - l < n) {
            return false;
        }
        const int kind = h[l] & 0x1f;
        if ((kind == 7 && foundSps.empty()) || (kind == 8 && foundPps.empty())) {
            if (n <= longestSet) {
                const std::uint8_t* b = src.view(q + l, n);
                if (b == nullptr) {
                    return false;
                }
                (kind == 7 ? foundSps : foundPps).assign(b, b + n);
            }
        }
        q += l + n;
    }
    if (sps.empty()) {
        sps = std::move(foundSps);
    }
    if (pps.empty()) {
        pps = std::move(foundPps);
    }
    return true;
}

// An AVC sequence header (whole tag body) holding one SPS and one PPS.
std::vector<std::uint8_t> avcConfig(const std::vector<std::uint8_t>& sps,
                                    const std::vector<std::uint8_t>& pps, int lengthSize) {
    std::vector<std::uint8_t> b = {0x17, 0, 0, 0, 0, 1, sps[1], sps[2], sps[3]};
    b.push_back(static_cast<std::uint8_t>(0xfc | (lengthSize - 1)));
    b.push_back(0xe1);
    putBe(b, sps.size(), 2);
    b.insert(b.end(), sps.begin(), sps.end());
    b.push_back(1);
    putBe(b, pps.size(), 2);
    b.insert(b.end(), pps.begin(), pps.end());
    return b;
}

}  // namespace

FlvInput::~FlvInput() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

bool FlvInput::open(const std::string& path, std::string& error, const FlvScanProgress& progress) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (m_fd < 0 || fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "cannot read \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    m_source =
        std::make_unique<FileSource>(m_fd, static_cast<std::uint64_t>(st.st_size), scanWindow);
    scanFlv(*m_source, m_scan, progress);
    return true;
}

void FlvInput::openMemory(const std::uint8_t* data, std::size_t size) {
    m_source = std::make_unique<MemorySource>(data, size);
    scanFlv(*m_source, m_scan);
}

std::vector<std::uint8_t> FlvInput::body(std::uint64_t offset, std::uint32_t size) {
    const std::uint8_t* p = size <= smallBody ? m_source->view(offset + 11, size) : nullptr;
    return p == nullptr ? std::vector<std::uint8_t>() : std::vector<std::uint8_t>(p, p + size);
}

FlvPlan planWhole(FlvInput& input, std::size_t index) {
    FlvPlan plan;
    const std::vector<FlvTag>& tags = input.scan().tags;
    ConfigFilter filter({&input});
    frontConfigs(input.scan(), 0, 0, plan, filter);
    FlvPlan::Part part;
    part.input = index;
    for (std::uint32_t i = 0; i < tags.size(); ++i) {
        if (!tags[i].config || filter.changes(0, i)) {
            part.tags.push_back(i);
        }
    }
    part.shift = -firstTime(tags, part.tags);
    plan.parts.push_back(std::move(part));
    for (auto& fr : plan.front) {
        fr.first = index;
    }
    return plan;
}

FlvPlan planCut(FlvInput& input, double start, double length) {
    const std::vector<FlvTag>& tags = input.scan().tags;
    const FlvScan& scan = input.scan();
    std::vector<std::uint32_t> video;  // frames in decoding order
    std::int64_t origin = std::numeric_limits<std::int64_t>::max();
    for (std::uint32_t i = 0; i < tags.size(); ++i) {
        if (tags[i].config) {
            continue;
        }
        if (tags[i].type == flvVideo) {
            video.push_back(i);
        }
        if (i < 64) {
            origin = std::min(origin, tags[i].type == flvVideo ? tags[i].shown() : tags[i].time);
        }
    }
    if (origin == std::numeric_limits<std::int64_t>::max()) {
        origin = 0;
    }
    const std::int64_t from = origin + std::llround(start * 1000);
    const std::int64_t to = length < 0 ? std::numeric_limits<std::int64_t>::max() / 4
                                       : from + std::llround(length * 1000);
    std::int64_t shownFrom = from;
    std::int64_t shownTo = to;
    std::size_t firstTag = 0;
    std::size_t lastTag = tags.empty() ? 0 : tags.size() - 1;
    std::size_t k = 0;
    std::size_t j = 0;
    if (!video.empty()) {
        // The keyframe the range starts on.
        bool found = false;
        for (std::size_t v = 0; v < video.size(); ++v) {
            const FlvTag& t = tags[video[v]];
            if (t.keyframe && (t.shown() <= from || !found)) {
                if (found && t.shown() > from) {
                    break;
                }
                k = v;
                found = true;
            }
        }
        // The last frame shown before the end, then as far as needed for the
        // pictures to stay in order.
        std::size_t last = k;
        std::int64_t maxShown = tags[video[k]].shown();
        for (std::size_t v = k; v < video.size(); ++v) {
            if (tags[video[v]].shown() < to) {
                last = v;
            }
            if (tags[video[v]].time >= to + 2000) {
                break;
            }
        }
        std::vector<std::int64_t> suffixMin(video.size() + 1,
                                            std::numeric_limits<std::int64_t>::max());
        const std::size_t horizon = std::min(video.size(), last + 64);
        for (std::size_t v = horizon; v-- > last;) {
            suffixMin[v] = std::min(suffixMin[v + 1], tags[video[v]].shown());
        }
        for (std::size_t v = k; v <= last; ++v) {
            maxShown = std::max(maxShown, tags[video[v]].shown());
        }
        j = last;
        while (j + 1 < horizon && suffixMin[j + 1] < maxShown) {
            ++j;
            maxShown = std::max(maxShown, tags[video[j]].shown());
        }
        shownFrom = tags[video[k]].shown();
        for (std::size_t v = k; v <= j; ++v) {
            shownFrom = std::min(shownFrom, tags[video[v]].shown());
        }
        shownTo = maxShown + std::max<std::int64_t>(scan.videoStep, 1);
        firstTag = video[k];
        lastTag = video[j];
    }
    const std::int64_t half = scan.audioStep / 2;
    std::vector<std::uint32_t> audio;
    for (std::uint32_t i = 0; i < tags.size(); ++i) {
        const FlvTag& t = tags[i];
        if (t.type == flvAudio && !t.config && t.time + half >= shownFrom &&
            t.time + half < shownTo) {
            audio.push_back(i);
        } else if (t.type == flvAudio && t.time > shownTo + 2000) {
            break;
        }
    }
    if (video.empty()) {
        firstTag = audio.empty() ? 0 : audio.front();
        lastTag = audio.empty() ? 0 : audio.back();
    } else if (!audio.empty()) {
        firstTag = std::min<std::size_t>(firstTag, audio.front());
        lastTag = std::max<std::size_t>(lastTag, audio.back());
    }
    FlvPlan plan;
    ConfigFilter filter({&input});
    frontConfigs(scan, 0, firstTag, plan, filter);
    FlvPlan::Part part;
    std::size_t a = 0;
    std::size_t v = k;
    for (std::size_t i = firstTag; i <= lastTag && i < tags.size(); ++i) {
        const auto index = static_cast<std::uint32_t>(i);
        const FlvTag& t = tags[i];
        bool keep = false;
        if (t.config) {
            keep = filter.changes(0, index);
        } else if (t.type == flvVideo) {
            keep = v <= j && !video.empty() && video[v] == index;
            v += keep ? 1 : 0;
        } else {
            keep = a < audio.size() && audio[a] == index;
            a += keep ? 1 : 0;
        }
        if (keep) {
            part.tags.push_back(index);
        }
    }
    part.shift = -firstTime(tags, part.tags);
    plan.parts.push_back(std::move(part));
    return plan;
}

bool planJoin(std::vector<std::unique_ptr<FlvInput>>& inputs, FlvPlan& plan, std::string& error) {
    plan = FlvPlan();
    if (inputs.empty()) {
        error = "nothing to join";
        return false;
    }
    // Every input must match the first: the same streams, codecs and
    // sequence headers, so one decoder set-up serves the whole output.
    std::vector<std::uint8_t> configs[2];
    int flags[2] = {-1, -1};
    bool has[2] = {false, false};
    for (std::size_t n = 0; n < inputs.size(); ++n) {
        FlvInput& in = *inputs[n];
        bool seen[2] = {false, false};
        for (const FlvTag& t : in.scan().tags) {
            const int s = t.type == flvVideo ? 1 : 0;
            seen[s] = true;
            const int f = s == 1 ? (t.flags & 0x0f) : t.flags;
            if (flags[s] < 0) {
                flags[s] = f;
            } else if (flags[s] != f) {
                error = "the inputs' codecs differ";
                return false;
            }
            if (t.config) {
                std::vector<std::uint8_t> body = in.body(t.offset, t.size);
                if (configs[s].empty()) {
                    configs[s] = std::move(body);
                } else if (configs[s] != body) {
                    error = "the inputs' streams are set up differently";
                    return false;
                }
            }
        }
        if (n > 0 && (seen[0] != has[0] || seen[1] != has[1])) {
            error = "the inputs hold different streams";
            return false;
        }
        has[0] = seen[0];
        has[1] = seen[1];
    }
    std::vector<FlvInput*> list;
    for (auto& in : inputs) {
        list.push_back(in.get());
    }
    ConfigFilter filter(list);
    frontConfigs(inputs[0]->scan(), 0, 0, plan, filter);
    std::int64_t at = 0;
    for (std::size_t n = 0; n < inputs.size(); ++n) {
        const FlvScan& s = inputs[n]->scan();
        FlvPlan::Part part;
        part.input = n;
        std::int64_t lastVideo = -1;
        std::int64_t lastAudio = -1;
        for (std::uint32_t i = 0; i < s.tags.size(); ++i) {
            const FlvTag& t = s.tags[i];
            if (!t.config) {
                part.tags.push_back(i);
                (t.type == flvVideo ? lastVideo : lastAudio) = t.time;
            }
        }
        const std::int64_t base = firstTime(s.tags, part.tags);
        part.shift = at - base;
        const std::int64_t end = lastVideo >= 0 ? lastVideo + s.videoStep : lastAudio + s.audioStep;
        at += std::max<std::int64_t>(end - base, 0);
        plan.parts.push_back(std::move(part));
    }
    return true;
}

FlvWriteResult writeFlv(std::vector<std::unique_ptr<FlvInput>>& inputs, const FlvPlan& plan,
                        const std::string& path, const FlvWriteProgress& progress,
                        FlvWritten& written, std::string& error, std::uint32_t tagLimit) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot write \"" + path + "\": " + std::strerror(errno);
        return FlvWriteResult::Failed;
    }
    Sink sink(fd, nullptr);
    std::string why;
    FlvWriteResult r = writeInto(inputs, plan, sink, progress, true, written, tagLimit, why);
    const int err = errno;
    if (close(fd) != 0 && r == FlvWriteResult::Written) {
        r = FlvWriteResult::Failed;
    }
    if (r == FlvWriteResult::Failed && ChildProcess::stopRequested() != 0) {
        r = FlvWriteResult::Stopped;  // the stop broke off a write
    } else if (r == FlvWriteResult::Failed) {
        error = "cannot write \"" + path + "\": " + (why.empty() ? std::strerror(err) : why);
    }
    return r;
}

std::vector<std::uint8_t> writeFlvToMemory(std::vector<std::unique_ptr<FlvInput>>& inputs,
                                           const FlvPlan& plan, std::uint32_t tagLimit,
                                           FlvWritten* written) {
    std::vector<std::uint8_t> out;
    Sink sink(-1, &out);
    FlvWritten facts;
    std::string error;
    if (writeInto(inputs, plan, sink, {}, false, facts, tagLimit, error) !=
        FlvWriteResult::Written) {
        out.clear();
    }
    if (written != nullptr) {
        *written = facts;
    }
    return out;
}

double planDuration(std::vector<std::unique_ptr<FlvInput>>& inputs, const FlvPlan& plan) {
    return gather(inputs, plan).duration();
}

bool validAvcConfig(const std::uint8_t* b, std::size_t size) {
    if (size < 5 + 7 || (b[0] & 0x0f) != 7 || b[1] != 0 || b[5] != 1) {
        return false;
    }
    // The record's parameter sets, each with a 2-byte length: the SPS, then the PPS.
    std::size_t at = 5 + 5;
    for (int kind : {7, 8}) {
        if (at >= size) {
            return false;
        }
        const int count = kind == 7 ? (b[at] & 0x1f) : b[at];
        ++at;
        if (count == 0) {
            return false;
        }
        for (int i = 0; i < count; ++i) {
            if (size - at < 2) {
                return false;
            }
            const std::size_t n = (std::size_t{b[at]} << 8) | b[at + 1];
            at += 2;
            if (n == 0 || size - at < n || (b[at] & 0x1f) != kind || (b[at] & 0x80) != 0) {
                return false;
            }
            at += n;
        }
    }
    int width = 0;
    int height = 0;
    return pictureSize(b, size, width, height);
}

AvcRepair repairAvcConfig(FlvInput& input, FlvPlan& plan) {
    const std::vector<FlvTag>& tags = input.scan().tags;
    const auto avcFrame = [](const FlvTag& t) {
        return t.type == flvVideo && !t.config && (t.flags & 0x0f) == 7;
    };
    if (std::none_of(tags.begin(), tags.end(), avcFrame)) {
        return AvcRepair::Kept;
    }
    const auto usable = [&input, &tags](std::uint32_t i) {
        const FlvTag& t = tags[i];
        const std::vector<std::uint8_t> body = input.body(t.offset, t.size);
        return validAvcConfig(body.data(), body.size());
    };
    const auto damagedConfig = [&](std::uint32_t i) {
        return tags[i].type == flvVideo && tags[i].config && !usable(i);
    };
    // Damaged sequence headers go.
    bool dropped = false;
    const auto before = plan.front.size();
    plan.front.erase(std::remove_if(plan.front.begin(), plan.front.end(),
                                    [&](const auto& fr) { return damagedConfig(fr.second); }),
                     plan.front.end());
    dropped = plan.front.size() != before;
    for (FlvPlan::Part& part : plan.parts) {
        const auto count = part.tags.size();
        part.tags.erase(std::remove_if(part.tags.begin(), part.tags.end(), damagedConfig),
                        part.tags.end());
        dropped = dropped || part.tags.size() != count;
    }
    // One must be in force before the first frame.
    bool inForce = std::any_of(plan.front.begin(), plan.front.end(), [&tags](const auto& fr) {
        return tags[fr.second].type == flvVideo;
    });
    for (std::size_t p = 0; !inForce && p < plan.parts.size(); ++p) {
        for (std::uint32_t i : plan.parts[p].tags) {
            if (tags[i].type == flvVideo) {
                inForce = tags[i].config;
                break;
            }
        }
        if (!plan.parts[p].tags.empty()) {
            break;
        }
    }
    if (inForce) {
        return dropped ? AvcRepair::Rebuilt : AvcRepair::Kept;
    }
    // Rebuilt from the first SPS and PPS the frames carry, in the length size their
    // units are written in.
    std::vector<std::uint8_t> sps;
    std::vector<std::uint8_t> pps;
    int lengthSize = 4;
    for (const FlvTag& t : tags) {
        if (!avcFrame(t) || t.size <= 5) {
            continue;
        }
        for (int l : {4, 2, 1}) {
            const bool hadSps = !sps.empty();
            if (frameParameterSets(input.source(), t, l, sps, pps)) {
                if (!hadSps && !sps.empty()) {
                    lengthSize = l;  // that of the frame the SPS came from
                }
                break;
            }
        }
        if (!sps.empty() && !pps.empty()) {
            if (sps.size() >= 4) {
                std::vector<std::uint8_t> config = avcConfig(sps, pps, lengthSize);
                if (validAvcConfig(config.data(), config.size())) {
                    plan.videoConfig = std::move(config);
                    return AvcRepair::Rebuilt;
                }
            }
            sps.clear();  // not readable: look on
            pps.clear();
        }
    }
    return AvcRepair::Hopeless;
}

bool hasRightIndex(FlvInput& input, std::uint32_t tagLimit) {
    const FlvScan& s = input.scan();
    if (!s.usable() || !s.metadataFound || s.headerRebuilt || !s.damage.empty() ||
        s.truncated != 0 || s.timestampJumps != 0 || s.timestampRepeats != 0 ||
        s.metadataSize > smallBody) {
        return false;
    }
    const std::vector<std::uint8_t> body = input.body(s.metadataOffset, s.metadataSize);
    FlvMetadata meta;
    if (!readMetadata(body.data(), body.size(), meta) || !meta.keyframesFound ||
        meta.times.size() != meta.filepositions.size() ||
        meta.filesize != static_cast<double>(input.size())) {
        return false;
    }
    std::size_t n = 0;  // entries of the whole index
    KeyframeRule counted;
    for (const FlvTag& t : s.tags) {
        n += counted.listed(t.type, t.flags, t.time) ? 1u : 0u;
    }
    // Fewer entries only where the whole index would not have fitted.
    const std::size_t m = meta.times.size();
    if (m > n ||
        (m < n && std::uint64_t{s.metadataSize} + bytesPerKeyframe * (n - m) <= tagLimit)) {
        return false;
    }
    std::size_t k = 0;  // entries checked
    std::size_t j = 0;  // keyframes passed
    std::int64_t lastVideo = -1;
    std::int64_t lastAudio = -1;
    KeyframeRule rule;
    for (const FlvTag& t : s.tags) {
        if (!t.config) {
            (t.type == flvVideo ? lastVideo : lastAudio) = t.time;
        }
        if (!rule.listed(t.type, t.flags, t.time)) {
            continue;
        }
        if (k < m && keptKeyframe(k, n, m) == j) {
            if (meta.filepositions[k] != static_cast<double>(t.offset) ||
                std::fabs(meta.times[k] * 1000 - static_cast<double>(t.time)) > 1.5) {
                return false;
            }
            ++k;
        }
        ++j;
    }
    const double v = lastVideo >= 0 ? static_cast<double>(lastVideo + s.videoStep) : 0;
    const double a = lastAudio >= 0 ? static_cast<double>(lastAudio + s.audioStep) : 0;
    const double step = static_cast<double>(std::max(s.videoStep, s.audioStep));
    return k == m && std::fabs(meta.duration * 1000 - std::max(v, a)) <= step + 1;
}

}  // namespace exttool
