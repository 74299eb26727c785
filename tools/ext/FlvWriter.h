#pragma once

#include "FlvReader.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Writing FLV from FLV in one pass. A plan first picks the tags to keep and
// their new times from the tag headers alone; every output position follows
// from that, so the onMetaData with its keyframe index goes in front and the
// bodies are then copied once, in large blocks.
namespace exttool {

// One FLV input, open and scanned.
class FlvInput {
public:
    FlvInput() = default;
    ~FlvInput();
    FlvInput(const FlvInput&) = delete;
    FlvInput& operator=(const FlvInput&) = delete;

    // Opens and scans the file, telling progress its way through it; false with a
    // reason when it cannot be read (a scan that progress stopped is no failure: see
    // FlvScan::stopped).
    bool open(const std::string& path, std::string& error, const FlvScanProgress& progress = {});
    // Scans bytes in memory (the caller keeps them alive).
    void openMemory(const std::uint8_t* data, std::size_t size);

    const FlvScan& scan() const { return m_scan; }
    FlvSource& source() { return *m_source; }
    int fd() const { return m_fd; }
    std::uint64_t size() const { return m_source ? m_source->size() : 0; }
    // The body of tag i (only for small tags: sequence headers, metadata).
    std::vector<std::uint8_t> body(std::uint64_t offset, std::uint32_t size);

private:
    int m_fd = -1;
    std::unique_ptr<FlvSource> m_source;
    FlvScan m_scan;
};

// Which tags go out, in order, and at what time.
struct FlvPlan {
    struct Part {
        std::size_t input = 0;
        std::vector<std::uint32_t> tags;  // indices into that input's scan
        std::int64_t shift = 0;           // added to each tag's time
    };
    std::vector<Part> parts;
    std::vector<std::pair<std::size_t, std::uint32_t>> front;  // sequence headers written first
    // A video sequence header made by the repair (a whole tag body), written first of all;
    // empty when the input's own serve.
    std::vector<std::uint8_t> videoConfig;
};

// The largest tag body FLV can tell: its size field has 24 bits.
inline constexpr std::uint32_t flvMaxTagBody = 0xffffff;

// Every tag of the input, from time 0.
FlvPlan planWhole(FlvInput& input, std::size_t index = 0);

// The range of length seconds (negative: to the end) from start seconds:
// from the last video keyframe shown at or before the start to the shortest
// run of frames, in decoding order, that shows every picture before the end
// and nothing out of order; the sound over the same time.
FlvPlan planCut(FlvInput& input, double start, double length);

// The inputs one after another, each running on where the one before ends.
// False with a reason when their streams differ (codecs, sequence headers).
bool planJoin(std::vector<std::unique_ptr<FlvInput>>& inputs, FlvPlan& plan, std::string& error);

enum class FlvWriteResult { Written, Failed, Stopped };

// How the written file came out.
struct FlvWritten {
    std::uint64_t size = 0;
    double duration = 0;  // seconds
    // Entries of the keyframe index: those written, and those a whole index would
    // hold. Fewer are written when the whole index would not fit in the onMetaData
    // tag; they are then spread evenly over the file, the first always among them.
    std::size_t keyframesListed = 0;
    std::size_t keyframes = 0;
};

// Told now and then how many bytes of the output are written, of its total.
using FlvWriteProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Writes the plan into the new file at path (which must not exist), telling progress
// now and then. No tag body is larger than tagLimit (flvMaxTagBody; smaller only for
// the fuzz target, to reach the thinned index with small inputs).
// On failure or stop the file may be left half written: the caller removes it.
FlvWriteResult writeFlv(std::vector<std::unique_ptr<FlvInput>>& inputs, const FlvPlan& plan,
                        const std::string& path, const FlvWriteProgress& progress,
                        FlvWritten& written, std::string& error,
                        std::uint32_t tagLimit = flvMaxTagBody);

// The same into memory (no progress, no stop).
std::vector<std::uint8_t> writeFlvToMemory(std::vector<std::unique_ptr<FlvInput>>& inputs,
                                           const FlvPlan& plan,
                                           std::uint32_t tagLimit = flvMaxTagBody,
                                           FlvWritten* written = nullptr);

// The length in seconds the plan's output plays.
double planDuration(std::vector<std::unique_ptr<FlvInput>>& inputs, const FlvPlan& plan);

// True when the file's onMetaData holds a right index: every keyframe listed
// with its time and position (or, when a whole index would make the tag larger
// than tagLimit, the entries the writer keeps), the duration and the file size
// right, and the file itself whole.
bool hasRightIndex(FlvInput& input, std::uint32_t tagLimit = flvMaxTagBody);

// An AVC sequence header (whole tag body) a decoder can start from: an
// AVCDecoderConfigurationRecord with a readable SPS and a PPS.
bool validAvcConfig(const std::uint8_t* body, std::size_t size);

// What the repair does about the AVC video's sequence header.
enum class AvcRepair {
    Kept,     // no AVC video, or its sequence header is whole: the plan is unchanged
    Rebuilt,  // it was damaged or missing and the plan now carries one rebuilt from
              // the SPS and PPS that the stream repeats in its frames
    Hopeless  // it was damaged or missing and the stream holds no SPS and PPS
};

// Checks the sequence headers of the plan of a whole input (planWhole) and mends the
// plan: damaged ones are left out, and one is rebuilt where none is left before the
// first frame. Reads each video frame's NAL unit headers at most once.
AvcRepair repairAvcConfig(FlvInput& input, FlvPlan& plan);

}  // namespace exttool
