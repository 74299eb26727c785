#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Reading FLV without ffmpeg: the file header, the tag headers and the few
// body bytes that tell a tag's codec and kind. Bodies are never loaded, so a
// scan of a large file costs little more than its tag count.
namespace exttool {

// Bytes read from a file or from memory.
class FlvSource {
public:
    virtual ~FlvSource() = default;
    virtual std::uint64_t size() const = 0;
    // n bytes at offset, valid until the next call; nullptr past the end or
    // when the file cannot be read.
    virtual const std::uint8_t* view(std::uint64_t offset, std::size_t n) = 0;
    // The same for reading through a long stretch in large blocks: valid until the
    // next call of bulk (calls of view in between leave it alone).
    virtual const std::uint8_t* bulk(std::uint64_t offset, std::size_t n) {
        return view(offset, n);
    }
    // The first place at or after offset that may hold anything but zeros: the end of
    // a hole of a sparse file, which reads as zeros without being stored; offset itself
    // where there is no such hole, size() when the rest is one.
    virtual std::uint64_t dataFrom(std::uint64_t offset) { return offset; }
};

class MemorySource : public FlvSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint64_t size() const override { return m_size; }
    const std::uint8_t* view(std::uint64_t offset, std::size_t n) override;

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

// An open file read through a window of the given size: small for scanning
// tag headers, large for copying bodies.
class FileSource : public FlvSource {
public:
    FileSource(int fd, std::uint64_t size, std::size_t window);
    std::uint64_t size() const override { return m_size; }
    const std::uint8_t* view(std::uint64_t offset, std::size_t n) override;
    const std::uint8_t* bulk(std::uint64_t offset, std::size_t n) override;
    std::uint64_t dataFrom(std::uint64_t offset) override;
    int fd() const { return m_fd; }

private:
    struct Window {
        std::vector<std::uint8_t> buffer;
        std::uint64_t start = 0;
        std::size_t length = 0;
    };
    const std::uint8_t* read(Window& w, std::uint64_t offset, std::size_t n, std::size_t least);

    int m_fd;
    std::uint64_t m_size;
    std::size_t m_window;
    Window m_view;
    Window m_bulk;
};

enum : std::uint8_t { flvAudio = 8, flvVideo = 9, flvScript = 18 };

struct FlvTag {
    std::uint64_t offset = 0;  // of its 11-byte header in the file
    std::uint32_t size = 0;    // of its body
    std::int64_t time = 0;     // decoding time in ms, made continuous
    std::int32_t cts = 0;      // video: composition time offset in ms
    std::uint8_t type = 0;     // flvAudio or flvVideo
    std::uint8_t flags = 0;    // first body byte: codec and frame type / sound format
    bool keyframe = false;     // a video keyframe (not a sequence header)
    bool config = false;       // an AVC or AAC sequence header

    std::int64_t shown() const { return time + cts; }
};

// Bytes skipped between two readable tags.
struct FlvDamage {
    std::size_t before = 0;  // index in FlvScan::tags of the first tag after the damage
    std::uint64_t bytes = 0;
};

struct FlvScan {
    std::vector<FlvTag> tags;  // audio and video tags in file order
    std::vector<FlvDamage> damage;
    bool headerRebuilt = false;        // the FLV header was broken or missing
    bool metadataFound = false;        // an onMetaData tag came before the first audio or video tag
    std::uint64_t metadataOffset = 0;  // its tag header
    std::uint32_t metadataSize = 0;
    std::uint64_t truncated = 0;  // bytes of a half tag dropped at the end
    int timestampJumps = 0;       // jumps made continuous
    int timestampRepeats = 0;     // frames at or a little before the time of the one before
    int width = 0;                // picture size from the first sequence header or picture
    int height = 0;
    std::int64_t videoStep = 0;  // usual distance between video frames, ms (0: no video)
    std::int64_t audioStep = 0;  // same for the sound
    bool stopped = false;        // the progress callback stopped the scan: it is incomplete

    bool usable() const { return !tags.empty(); }
    bool hasVideo() const;
    bool hasAudio() const;
};

// Told now and then how far a scan has got (bytes of the source passed, of total);
// returns false to stop the scan there.
using FlvScanProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Reads every tag header of the source. A tag counts only when its header
// is plausible and the size written after it matches; past anything else the
// scan looks for the next such tag, trying every place that can hold one: its
// first byte a tag type, its stream id zero, its size within the file. That
// search reads the damaged bytes in large blocks, skips a run without a tag
// type byte (zeros, say) at memory speed, and the holes of a sparse file
// without reading them. Never reads past the end; time and memory grow at most
// linearly with the source.
void scanFlv(FlvSource& source, FlvScan& scan, const FlvScanProgress& progress = {});

// The values of an AMF0 onMetaData body that the index check needs.
struct FlvMetadata {
    double duration = -1;
    double filesize = -1;
    std::vector<double> times;
    std::vector<double> filepositions;
    bool keyframesFound = false;
};

// Reads an onMetaData tag body; false when it is not one or is damaged.
bool readMetadata(const std::uint8_t* body, std::size_t size, FlvMetadata& meta);

// Width and height from an AVC sequence header or a Sorenson H.263 picture
// (the whole tag body); false when neither can be read.
bool pictureSize(const std::uint8_t* body, std::size_t size, int& width, int& height);

}  // namespace exttool
