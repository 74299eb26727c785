// Feeds arbitrary bytes to the FLV reader: the scan with its resynchronising
// repair, the metadata reader, the index check, and a whole rewrite and a
// cut and a join planned and written from what the scan found.
#include "FlvReader.h"
#include "FlvWriter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
    if (!in.scan().usable()) {
        return 0;
    }
    const std::vector<std::uint8_t> whole =
        exttool::writeFlvToMemory(inputs, exttool::planWhole(in));
    // What was written is read again. From an input read without damage it carries its
    // index right (past damage the rewrite may still hold tags a second read doubts, and
    // the metadata tool then leaves the index to flvmeta).
    exttool::FlvInput again;
    again.openMemory(whole.data(), whole.size());
    if (!whole.empty() && in.scan().damage.empty() && !exttool::hasRightIndex(again)) {
        __builtin_trap();
    }
    const double start = size > 0 ? data[0] / 16.0 : 0;
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
