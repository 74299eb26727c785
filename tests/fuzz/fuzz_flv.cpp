// Feeds arbitrary bytes to the FLV reader: the scan with its resynchronising
// repair, the metadata reader, the index check, the sequence header repair, and
// a whole rewrite and a cut and a join planned and written from what the scan
// found.
#include "FlvReader.h"
#include "FlvWriter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// What was written is read again. From an input read without damage it carries its
// index right (past damage the rewrite may still hold tags a second read doubts, and
// the metadata tool then leaves the index to flvmeta), and no tag larger than limit.
void checkRewrite(const exttool::FlvInput& in, const std::vector<std::uint8_t>& whole,
                  std::uint32_t limit) {
    if (whole.empty()) {
        return;
    }
    exttool::FlvInput again;
    again.openMemory(whole.data(), whole.size());
    if (again.scan().metadataSize > limit) {
        __builtin_trap();
    }
    if (in.scan().damage.empty() && !exttool::hasRightIndex(again, limit)) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::unique_ptr<exttool::FlvInput>> inputs;
    inputs.push_back(std::make_unique<exttool::FlvInput>());
    exttool::FlvInput& in = *inputs.front();
    in.openMemory(data, size);
    exttool::hasRightIndex(in);
    exttool::FlvMetadata meta;
    exttool::readMetadata(data, size, meta);
    int width = 0;
    int height = 0;
    exttool::pictureSize(data, size, width, height);
    exttool::validAvcConfig(data, size);
    if (!in.scan().usable()) {
        return 0;
    }
    checkRewrite(in, exttool::writeFlvToMemory(inputs, exttool::planWhole(in)),
                 exttool::flvMaxTagBody);
    // With room for a small onMetaData only, so a small input reaches the thinned index
    // that a file of about a million keyframes gets.
    const std::uint32_t smallLimit = 1024 + 64u * (data[size - 1] & 15u);
    checkRewrite(in, exttool::writeFlvToMemory(inputs, exttool::planWhole(in), smallLimit),
                 smallLimit);
    // The repair's plan: a sequence header it rebuilds is one a decoder can start from.
    exttool::FlvPlan repaired = exttool::planWhole(in);
    if (exttool::repairAvcConfig(in, repaired) == exttool::AvcRepair::Rebuilt) {
        if (!repaired.videoConfig.empty() &&
            !exttool::validAvcConfig(repaired.videoConfig.data(), repaired.videoConfig.size())) {
            __builtin_trap();
        }
        exttool::writeFlvToMemory(inputs, repaired);
    }
    const double start = data[0] / 16.0;
    exttool::writeFlvToMemory(inputs, exttool::planCut(in, start, 2.5));
    // Joined with itself.
    inputs.push_back(std::make_unique<exttool::FlvInput>());
    inputs.back()->openMemory(data, size);
    exttool::FlvPlan joined;
    std::string error;
    if (exttool::planJoin(inputs, joined, error)) {
        exttool::writeFlvToMemory(inputs, joined);
    }
    return 0;
}
