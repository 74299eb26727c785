// Feeds arbitrary bytes to the H.264 decoder-configuration readers of the frame-exact cut:
// the first byte picks how the rest is read (a record, an encoder's start-code headers, a
// picture in length fields or in start codes). What is read and written again reads back
// the same, a merge never reuses an id, and nothing reads past its input.
#include "AvcConfig.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void trapUnless(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void checkRecord(const std::uint8_t* data, std::size_t size) {
    exttool::AvcConfig config;
    if (!exttool::readAvcConfig(data, size, config)) {
        return;
    }
    const std::vector<std::uint8_t> written = exttool::writeAvcConfig(config);
    exttool::AvcConfig again;
    trapUnless(exttool::readAvcConfig(written.data(), written.size(), again));
    trapUnless(again.sps == config.sps && again.pps == config.pps &&
               again.profile == config.profile && again.level == config.level &&
               again.lengthSize == config.lengthSize);
    for (const auto& nal : config.sps) {
        (void)exttool::parameterSetId(nal);
    }
    const int unused = exttool::unusedParameterSetId(config);
    trapUnless(unused == -1 || (unused >= 1 && unused <= 31));
    exttool::AvcConfig merged;
    if (exttool::mergeAvcConfig(config, config, merged)) {
        // Its own sets again: every id is taken already, so a merge that succeeds adds none.
        trapUnless(config.sps.empty() && config.pps.empty());
    }
}

void checkAnnexB(const std::uint8_t* data, std::size_t size) {
    exttool::AvcConfig sets;
    if (exttool::readAnnexBParameterSets(data, size, sets)) {
        for (const auto& nal : sets.pps) {
            (void)exttool::parameterSetId(nal);
        }
    }
    for (int lengthSize : {1, 2, 4}) {
        std::vector<std::uint8_t> out;
        bool idr = false;
        if (exttool::annexBToLengthPrefixed(data, size, lengthSize, out, idr)) {
            trapUnless(exttool::packetHasIdr(out.data(), out.size(), lengthSize) == idr);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::uint8_t* rest = data + 1;
    const std::size_t left = size - 1;
    switch (data[0] % 3) {
        case 0:
            checkRecord(rest, left);
            break;
        case 1:
            checkAnnexB(rest, left);
            break;
        default:
            for (int lengthSize : {1, 2, 3, 4}) {
                (void)exttool::packetHasIdr(rest, left, lengthSize);
            }
            break;
    }
    return 0;
}
