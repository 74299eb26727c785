#include "FlvReader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace exttool {

namespace {

// A forward step of one stream longer than this is a jump in the timestamps.
constexpr std::int64_t jumpLimit = 5000;

// A frame of one stream at most this far before the frame before it (so many of the stream's
// usual steps, and at least a quarter second) is out of order, not the start of a new clock.
std::int64_t settleLimit(std::int64_t step) {
    return std::max<std::int64_t>(4 * step, 250);
}

// A file with no tag in this many first bytes is no FLV.
constexpr std::uint64_t notFlvAfter = std::uint64_t{4} << 20;

// Bytes read at a time while looking for the next tag past damage.
constexpr std::uint64_t resyncBlock = std::uint64_t{1} << 20;

// A scan tells its progress each time it has passed this many bytes more.
constexpr std::uint64_t reportEvery = std::uint64_t{8} << 20;

std::uint32_t be24(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | be24(p + 1);
}

// Whether the first body bytes fit the tag type.
bool plausibleBody(std::uint8_t type, const std::uint8_t* b, std::uint32_t size) {
    if (type == flvScript) {
        return b[0] == 0x02;  // the AMF0 string naming the call
    }
    if (type == flvAudio) {
        const int format = b[0] >> 4;
        if (format == 9 || format == 12 || format == 13) {
            return false;
        }
        return format != 10 || (size >= 2 && b[1] <= 1);
    }
    const int frame = b[0] >> 4;
    const int codec = b[0] & 0x0f;
    if (frame < 1 || frame > 5 || codec < 1 || codec > 7) {
        return false;
    }
    return codec != 7 || (size >= 5 && b[1] <= 2);
}

// The tag at pos when it is plausible and the size written after it matches
// (or the file ends right after it).
bool tagAt(FlvSource& src, std::uint64_t pos, std::uint8_t& type, std::uint32_t& size,
           std::uint32_t& stamp) {
    const std::uint64_t fileSize = src.size();
    if (pos + 12 > fileSize) {
        return false;
    }
    const std::uint8_t* h = src.view(pos, 11);
    if (h == nullptr) {
        return false;
    }
    type = h[0];
    if (type != flvAudio && type != flvVideo && type != flvScript) {
        return false;
    }
    size = be24(h + 1);
    stamp = be24(h + 4) | (std::uint32_t{h[7]} << 24);
    if (size == 0 || h[8] != 0 || h[9] != 0 || h[10] != 0 || pos + 11 + size > fileSize) {
        return false;
    }
    const std::uint8_t* b = src.view(pos + 11, std::min<std::uint32_t>(size, 5));
    if (b == nullptr || !plausibleBody(type, b, std::min<std::uint32_t>(size, 5))) {
        return false;
    }
    const std::uint64_t end = pos + 11 + size;
    if (end + 4 > fileSize) {
        return true;  // whole, but the file ends before or inside its size field
    }
    const std::uint8_t* p = src.view(end, 4);
    return p != nullptr && be32(p) == 11 + size;
}

// The usual step between neighbouring tags of one stream: the most common one.
std::int64_t usualStep(const std::vector<FlvTag>& tags, std::uint8_t type) {
    std::vector<std::int64_t> steps;
    std::int64_t last = -1;
    for (const FlvTag& t : tags) {
        if (t.type != type || t.config) {
            continue;
        }
        if (last >= 0 && t.time > last) {
            steps.push_back(t.time - last);
            if (steps.size() >= 2000) {
                break;
            }
        }
        last = t.time;
    }
    if (steps.empty()) {
        return 0;
    }
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2),
                     steps.end());
    return steps[steps.size() / 2];
}

bool readHeaderSize(FlvSource& src, std::uint64_t& first) {
    const std::uint8_t* h = src.view(0, 9);
    if (h == nullptr || std::memcmp(h, "FLV", 3) != 0 || h[3] != 1) {
        return false;
    }
    const std::uint32_t offset = be32(h + 5);
    if (offset < 9 || offset + std::uint64_t{4} > src.size()) {
        return false;
    }
    first = offset + 4;
    return true;
}

class BitReader {
public:
    BitReader(const std::vector<std::uint8_t>& data) : m_data(data) {}
    bool ok() const { return m_ok; }
    std::uint32_t bits(int n) {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            if (m_pos >= m_data.size() * 8) {
                m_ok = false;
                return 0;
            }
            const std::uint32_t byte = m_data[m_pos / 8];
            v = (v << 1) | ((byte >> (7 - m_pos % 8)) & 1u);
            ++m_pos;
        }
        return v;
    }
    std::uint32_t ue() {
        int zeros = 0;
        while (m_ok && bits(1) == 0) {
            if (++zeros > 31) {
                m_ok = false;
                return 0;
            }
        }
        return m_ok ? (std::uint32_t{1} << zeros) - 1 + bits(zeros) : 0;
    }
    std::int32_t se() {
        const std::uint32_t v = ue();
        return (v & 1) != 0 ? static_cast<std::int32_t>((v + 1) / 2)
                            : -static_cast<std::int32_t>(v / 2);
    }

private:
    const std::vector<std::uint8_t>& m_data;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

bool spsSize(const std::uint8_t* nal, std::size_t size, int& width, int& height) {
    std::vector<std::uint8_t> rbsp;
    for (std::size_t i = 1; i < size; ++i) {
        if (i >= 3 && nal[i] == 3 && nal[i - 1] == 0 && nal[i - 2] == 0) {
            continue;
        }
        rbsp.push_back(nal[i]);
    }
    BitReader r(rbsp);
    const std::uint32_t profile = r.bits(8);
    r.bits(16);
    r.ue();
    std::uint32_t chroma = 1;
    const std::uint32_t high[] = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135};
    if (std::find(std::begin(high), std::end(high), profile) != std::end(high)) {
        chroma = r.ue();
        if (chroma == 3) {
            r.bits(1);
        }
        r.ue();
        r.ue();
        r.bits(1);
        if (r.bits(1) != 0) {
            for (int i = 0; i < (chroma == 3 ? 12 : 8) && r.ok(); ++i) {
                if (r.bits(1) == 0) {
                    continue;
                }
                int last = 8;
                int next = 8;
                for (int j = 0; j < (i < 6 ? 16 : 64) && r.ok(); ++j) {
                    if (next != 0) {
                        next = (last + r.se() + 256) % 256;
                    }
                    last = next == 0 ? last : next;
                }
            }
        }
    }
    r.ue();
    const std::uint32_t pocType = r.ue();
    if (pocType == 0) {
        r.ue();
    } else if (pocType == 1) {
        r.bits(1);
        r.se();
        r.se();
        const std::uint32_t n = r.ue();
        for (std::uint32_t i = 0; i < n && r.ok(); ++i) {
            r.se();
        }
    }
    r.ue();
    r.bits(1);
    const std::uint32_t mbWidth = r.ue() + 1;
    const std::uint32_t mapHeight = r.ue() + 1;
    const std::uint32_t frameOnly = r.bits(1);
    if (frameOnly == 0) {
        r.bits(1);
    }
    r.bits(1);
    std::uint32_t crop[4] = {0, 0, 0, 0};
    if (r.bits(1) != 0) {
        for (std::uint32_t& c : crop) {
            c = r.ue();
        }
    }
    if (!r.ok() || mbWidth > 1024 || mapHeight > 1024) {
        return false;
    }
    const std::uint32_t unitX = chroma == 1 || chroma == 2 ? 2 : 1;
    const std::uint32_t unitY = (chroma == 1 ? 2 : 1) * (2 - frameOnly);
    const long w = static_cast<long>(mbWidth * 16) - static_cast<long>((crop[0] + crop[1]) * unitX);
    const long h = static_cast<long>((2 - frameOnly) * mapHeight * 16) -
                   static_cast<long>((crop[2] + crop[3]) * unitY);
    if (w <= 0 || h <= 0) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

// AMF0 values, read within the body.
class AmfReader {
public:
    AmfReader(const std::uint8_t* p, std::size_t n) : m_p(p), m_n(n) {}
    bool ok() const { return m_ok; }
    bool need(std::size_t n) {
        if (!m_ok || m_n - m_at < n) {
            m_ok = false;
        }
        return m_ok;
    }
    std::uint8_t byte() { return need(1) ? m_p[m_at++] : 0; }
    std::string text(std::size_t n) {
        if (!need(n)) {
            return std::string();
        }
        std::string s(reinterpret_cast<const char*>(m_p + m_at), n);
        m_at += n;
        return s;
    }
    std::string shortText() {
        if (!need(2)) {
            return std::string();
        }
        const std::size_t n = (std::size_t{m_p[m_at]} << 8) | m_p[m_at + 1];
        m_at += 2;
        return text(n);
    }
    double number() {
        if (!need(8)) {
            return 0;
        }
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) {
            bits = (bits << 8) | m_p[m_at++];
        }
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    std::uint32_t u32() {
        if (!need(4)) {
            return 0;
        }
        const std::uint32_t v = be32(m_p + m_at);
        m_at += 4;
        return v;
    }
    // Reads one value; numbers and arrays of numbers land in out when named.
    void value(int depth, const std::string& name, FlvMetadata& out) {
        if (depth > 8) {
            m_ok = false;
            return;
        }
        const std::uint8_t marker = byte();
        switch (marker) {
            case 0: {
                const double d = number();
                if (depth == 1 && name == "duration") {
                    out.duration = d;
                } else if (depth == 1 && name == "filesize") {
                    out.filesize = d;
                }
                break;
            }
            case 1:
                byte();
                break;
            case 2:
                shortText();
                break;
            case 5:
            case 6:
                break;
            case 3:
            case 8:
                if (marker == 8) {
                    u32();
                }
                if (depth == 1 && name == "keyframes") {
                    out.keyframesFound = true;
                }
                properties(depth + 1, name, out);
                break;
            case 10: {
                const std::uint32_t n = u32();
                if (!need(n)) {
                    break;
                }
                std::vector<double>* list = nullptr;
                if (depth == 2 && name == "times") {
                    list = &out.times;
                } else if (depth == 2 && name == "filepositions") {
                    list = &out.filepositions;
                }
                for (std::uint32_t i = 0; i < n && m_ok; ++i) {
                    if (list != nullptr && m_at < m_n && m_p[m_at] == 0) {
                        byte();
                        list->push_back(number());
                    } else {
                        value(depth + 1, std::string(), out);
                    }
                }
                break;
            }
            case 11:
                number();
                text(2);
                break;
            case 12:
                text(u32());
                break;
            default:
                m_ok = false;
        }
    }
    // Name/value pairs up to the object end (an empty name and marker 9).
    void properties(int depth, const std::string& parent, FlvMetadata& out) {
        while (m_ok) {
            const std::string key = shortText();
            if (key.empty() && m_at < m_n && m_p[m_at] == 9) {
                ++m_at;
                return;
            }
            // Only the keyframes object's arrays are wanted at depth 2.
            value(depth, depth == 2 && parent != "keyframes" ? std::string() : key, out);
        }
    }

private:
    const std::uint8_t* m_p;
    std::size_t m_n;
    std::size_t m_at = 0;
    bool m_ok = true;
};

// Past damage, the next place where a tag can begin: a byte naming a tag type whose
// header has a zero stream id and a size that fits in the file (tagAt has the last word).
// The source is read in large blocks, and each of the three type bytes is looked for with
// memchr and remembered until passed, so every byte is looked at a bounded number of times
// whatever the damage holds; a run of zeros, holding no type byte, goes at memory speed, and
// a hole of a sparse file is not read at all. Each block tells the progress.
class TagFinder {
public:
    TagFinder(FlvSource& src, const FlvScanProgress& progress)
        : m_src(src),
          m_size(src.size()),
          m_end(m_size >= 10 ? m_size - 10 : 0),
          m_progress(progress) {}

    // The first such place at or after from, where a tag header still fits before the
    // end of the source; from itself or later when there is none, which ends the scan.
    std::uint64_t next(std::uint64_t from) {
        static const std::uint8_t types[3] = {flvAudio, flvVideo, flvScript};
        while (from < m_end) {
            if (from < m_lo || from >= m_hi) {
                if (m_hi != 0 && m_progress && !m_progress(from, m_size)) {
                    m_stopped = true;
                    return m_end;
                }
                // A hole holds only zeros: no tag begins there.
                from = m_src.dataFrom(from);
                if (from >= m_end) {
                    break;
                }
                m_lo = from;
                m_hi = std::min<std::uint64_t>(from + resyncBlock, m_end);
                m_known[0] = m_known[1] = m_known[2] = false;
            }
            // The block and the 10 bytes after it, so every header begun in it is whole.
            const std::uint8_t* p = m_src.bulk(m_lo, static_cast<std::size_t>(m_hi - m_lo + 10));
            if (p == nullptr) {
                return m_end;
            }
            std::uint64_t best = m_hi;
            for (int i = 0; i < 3; ++i) {
                if (!m_known[i] || m_next[i] < from) {
                    const void* q = std::memchr(p + (from - m_lo), types[i],
                                                static_cast<std::size_t>(m_hi - from));
                    m_next[i] = q == nullptr ? m_hi
                                             : m_lo + static_cast<std::uint64_t>(
                                                          static_cast<const std::uint8_t*>(q) - p);
                    m_known[i] = true;
                }
                best = std::min(best, m_next[i]);
            }
            if (best == m_hi) {
                from = m_hi;
                continue;
            }
            const std::uint8_t* h = p + (best - m_lo);
            const std::uint32_t size = be24(h + 1);
            if (h[8] != 0 || h[9] != 0 || h[10] != 0 || size == 0 || best + 11 + size > m_size) {
                from = best + 1;
                continue;
            }
            return best;
        }
        return std::max(from, m_end);
    }
    bool stopped() const { return m_stopped; }

private:
    FlvSource& m_src;
    std::uint64_t m_size;
    std::uint64_t m_end;  // places from here on cannot hold a tag header
    const FlvScanProgress& m_progress;
    std::uint64_t m_lo = 0;  // the block read last
    std::uint64_t m_hi = 0;
    std::uint64_t m_next[3] = {0, 0, 0};  // each type byte's next place in it (m_hi: none)
    bool m_known[3] = {false, false, false};
    bool m_stopped = false;
};

}  // namespace

const std::uint8_t* MemorySource::view(std::uint64_t offset, std::size_t n) {
    if (offset > m_size || n > m_size - offset) {
        return nullptr;
    }
    return m_data + offset;
}

FileSource::FileSource(int fd, std::uint64_t size, std::size_t window)
    : m_fd(fd), m_size(size), m_window(window) {}

const std::uint8_t* FileSource::read(Window& w, std::uint64_t offset, std::size_t n,
                                     std::size_t least) {
    if (offset > m_size || n > m_size - offset) {
        return nullptr;
    }
    if (offset >= w.start && offset + n <= w.start + w.length) {
        return w.buffer.data() + (offset - w.start);
    }
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(std::max(n, least), m_size - offset));
    if (w.buffer.size() < want) {
        w.buffer.resize(want);
    }
    std::size_t got = 0;
    while (got < want) {
        const ssize_t r =
            pread(m_fd, w.buffer.data() + got, want - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r <= 0) {
            w.length = 0;
            return nullptr;
        }
        got += static_cast<std::size_t>(r);
    }
    w.start = offset;
    w.length = want;
    return w.buffer.data();
}

const std::uint8_t* FileSource::view(std::uint64_t offset, std::size_t n) {
    return read(m_view, offset, n, m_window);
}

const std::uint8_t* FileSource::bulk(std::uint64_t offset, std::size_t n) {
    return read(m_bulk, offset, n, n);
}

std::uint64_t FileSource::dataFrom(std::uint64_t offset) {
    if (offset >= m_size) {
        return offset;
    }
    const off_t data = lseek(m_fd, static_cast<off_t>(offset), SEEK_DATA);
    if (data < 0) {
        return errno == ENXIO ? m_size : offset;  // ENXIO: no data after offset
    }
    return std::max(offset, static_cast<std::uint64_t>(data));
}

bool FlvScan::hasVideo() const {
    return videoStep > 0 || std::any_of(tags.begin(), tags.end(),
                                        [](const FlvTag& t) { return t.type == flvVideo; });
}

bool FlvScan::hasAudio() const {
    return audioStep > 0 || std::any_of(tags.begin(), tags.end(),
                                        [](const FlvTag& t) { return t.type == flvAudio; });
}

void scanFlv(FlvSource& src, FlvScan& scan, const FlvScanProgress& progress) {
    scan = FlvScan();
    const std::uint64_t fileSize = src.size();
    TagFinder finder(src, progress);
    std::uint64_t nextReport = reportEvery;
    std::uint64_t pos = 0;
    if (!readHeaderSize(src, pos)) {
        scan.headerRebuilt = true;
        pos = 0;
    }
    bool resyncing = scan.headerRebuilt;
    std::uint64_t skipStart = pos;
    std::int64_t offset = 0;
    std::int64_t last[2] = {-1, -1};
    std::int64_t latest = -1;  // of either stream
    std::int64_t step[2] = {23, 40};
    bool afterDamage = false;
    std::uint64_t damagedBytes = 0;  // of the damage just passed
    while (pos + 11 <= fileSize) {
        if (pos >= nextReport && progress) {
            nextReport = pos + reportEvery;
            if (!progress(pos, fileSize)) {
                scan.stopped = true;
                return;
            }
        }
        std::uint8_t type = 0;
        std::uint32_t size = 0;
        std::uint32_t stamp = 0;
        if (!tagAt(src, pos, type, size, stamp)) {
            if (scan.tags.empty() && !scan.metadataFound && pos > notFlvAfter) {
                break;  // not FLV at all: no need to read the whole file
            }
            if (!resyncing) {
                resyncing = true;
                skipStart = pos;
            }
            // The places in between cannot hold a tag; the test above is met at the first
            // of them past its limit.
            const std::uint64_t next = finder.next(pos + 1);
            if (finder.stopped()) {
                scan.stopped = true;
                return;
            }
            if (scan.tags.empty() && !scan.metadataFound && next > notFlvAfter + 1) {
                pos = notFlvAfter + 1;
                break;
            }
            pos = next;
            continue;
        }
        if (resyncing) {
            resyncing = false;
            if (pos > skipStart && !(scan.headerRebuilt && scan.tags.empty() &&
                                     !scan.metadataFound && skipStart == 0)) {
                scan.damage.push_back({scan.tags.size(), pos - skipStart});
                afterDamage = true;
                damagedBytes = pos - skipStart;
            }
        }
        const std::uint64_t here = pos;
        pos += 11 + std::uint64_t{size} + 4;
        if (type == flvScript) {
            if (!scan.metadataFound && scan.tags.empty()) {
                const std::uint8_t* b = src.view(here + 11, std::min<std::uint32_t>(size, 13));
                if (b != nullptr && size >= 13 && std::memcmp(b + 3, "onMetaData", 10) == 0) {
                    scan.metadataFound = true;
                    scan.metadataOffset = here;
                    scan.metadataSize = size;
                }
            }
            continue;
        }
        FlvTag t;
        t.offset = here;
        t.size = size;
        t.type = type;
        const std::uint8_t* b = src.view(here + 11, std::min<std::uint32_t>(size, 5));
        if (b == nullptr) {
            break;
        }
        t.flags = b[0];
        if (type == flvVideo) {
            const bool avc = (b[0] & 0x0f) == 7;
            t.config = avc && b[1] == 0;
            t.keyframe = (b[0] >> 4) == 1 && !t.config;
            if (avc && size >= 5) {
                std::uint32_t c = be24(b + 2);
                if ((c & 0x800000) != 0) {
                    c |= 0xff000000u;
                }
                t.cts = static_cast<std::int32_t>(c);
            }
        } else {
            t.config = (b[0] >> 4) == 10 && b[1] == 0;
        }
        std::int64_t time = std::int64_t{stamp} + offset;
        const int s = type == flvVideo ? 1 : 0;
        // Damaged bytes may have held the frames of a longer gap, but not of more than a
        // millisecond a byte (8 kbit/s, less than any real stream).
        const std::int64_t limit =
            afterDamage ? jumpLimit + static_cast<std::int64_t>(damagedBytes) : jumpLimit;
        if (!t.config && last[s] >= 0) {
            const std::int64_t d = time - last[s];
            if (d <= 0 && -d <= settleLimit(step[s])) {
                // A repeated time, or one a little back (a recorder's clock jitter, frames
                // stamped in showing order): the frame goes a millisecond after the one
                // before, and the rest of the stream keeps its times, so the stream's times
                // rise strictly and picture and sound stay in step.
                time = last[s] + 1;
                ++scan.timestampRepeats;
            } else if (d < 0 || d > limit) {
                offset += last[s] + step[s] - time;
                time = last[s] + step[s];
                ++scan.timestampJumps;
            } else if (d > 0 && d <= jumpLimit) {
                step[s] = d;
            }
        }
        // The streams keep to one clock: a tag far from the latest of either is a jump too.
        if (!t.config && latest >= 0 && (time - latest > limit || latest - time > jumpLimit)) {
            offset += latest - time;
            time = latest;
            ++scan.timestampJumps;
        }
        if (!t.config) {
            last[s] = time;
            latest = std::max(latest, time);
            afterDamage = false;
        }
        t.time = time;
        scan.tags.push_back(t);
        if (scan.width == 0 && type == flvVideo && (t.config || (b[0] & 0x0f) == 2)) {
            const std::uint8_t* body = src.view(here + 11, std::min<std::uint32_t>(size, 4096));
            if (body != nullptr) {
                pictureSize(body, std::min<std::uint32_t>(size, 4096), scan.width, scan.height);
            }
        }
    }
    if (resyncing && pos > skipStart && !scan.tags.empty()) {
        scan.truncated = fileSize - skipStart;
    } else if (!resyncing && pos > fileSize) {
        // The last tag ended without its size field.
    } else if (!resyncing && pos < fileSize && !scan.tags.empty()) {
        scan.truncated = fileSize - pos;
    }
    // A config before any frame takes the time of the first frame.
    scan.videoStep = usualStep(scan.tags, flvVideo);
    scan.audioStep = usualStep(scan.tags, flvAudio);
}

bool readMetadata(const std::uint8_t* body, std::size_t size, FlvMetadata& meta) {
    AmfReader r(body, size);
    if (r.byte() != 2 || r.shortText() != "onMetaData") {
        return false;
    }
    const std::uint8_t marker = r.byte();
    if (marker == 8) {
        r.u32();
    } else if (marker != 3) {
        return false;
    }
    r.properties(1, std::string(), meta);
    return r.ok();
}

bool pictureSize(const std::uint8_t* b, std::size_t size, int& width, int& height) {
    if (size < 2) {
        return false;
    }
    const int codec = b[0] & 0x0f;
    if (codec == 7) {
        // AVCDecoderConfigurationRecord after the 4 bytes of packet type and time.
        if (size < 5 + 8 || b[1] != 0 || (b[10] & 0x1f) == 0) {
            return false;
        }
        const std::size_t len = (std::size_t{b[11]} << 8) | b[12];
        return len > 0 && 13 + len <= size && spsSize(b + 13, len, width, height);
    }
    if (codec != 2 || size < 10) {
        return false;
    }
    std::vector<std::uint8_t> data(b + 1, b + std::min<std::size_t>(size, 16));
    BitReader r(data);
    if (r.bits(17) != 1) {
        return false;
    }
    r.bits(5);
    r.bits(8);
    const std::uint32_t format = r.bits(3);
    static const int fixed[][2] = {{352, 288}, {176, 144}, {128, 96}, {320, 240}, {160, 120}};
    int w = 0;
    int h = 0;
    if (format == 0 || format == 1) {
        w = static_cast<int>(r.bits(format == 0 ? 8 : 16));
        h = static_cast<int>(r.bits(format == 0 ? 8 : 16));
    } else if (format <= 6) {
        w = fixed[format - 2][0];
        h = fixed[format - 2][1];
    }
    if (!r.ok() || w <= 0 || h <= 0) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

}  // namespace exttool
