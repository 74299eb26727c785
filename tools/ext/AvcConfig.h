#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The H.264 decoder configuration (AVCDecoderConfigurationRecord) and the NAL units
// around it, as far as the frame-exact cut needs them: which parameter-set ids a stream
// uses, one record holding two streams' parameter sets, and pictures moved from start
// codes to length fields. Every reader here is bounded by its input.
namespace exttool {

struct AvcConfig {
    std::uint8_t profile = 0;
    std::uint8_t compatibility = 0;
    std::uint8_t level = 0;
    int lengthSize = 4;  // bytes of each NAL unit's length field
    std::vector<std::vector<std::uint8_t>> sps;
    std::vector<std::vector<std::uint8_t>> pps;
    std::vector<std::uint8_t> rest;  // what follows the PPS (the High profiles' fields)
};

// A record read; false when it is not one or is cut short.
bool readAvcConfig(const std::uint8_t* data, std::size_t size, AvcConfig& config);
std::vector<std::uint8_t> writeAvcConfig(const AvcConfig& config);

// The SPS and PPS of start-code separated NAL units (an encoder's headers).
bool readAnnexBParameterSets(const std::uint8_t* data, std::size_t size, AvcConfig& sets);

// The id of an SPS or PPS NAL unit (with its header byte); -1 when unreadable.
int parameterSetId(const std::vector<std::uint8_t>& nal);

// The smallest id from 1 that no SPS and no PPS of config uses (an encoder gives its SPS
// and PPS the same id); -1 when all 31 are taken.
int unusedParameterSetId(const AvcConfig& config);

// source's record with the other stream's parameter sets added; false when an id of
// theirs is already used or the record would overflow.
bool mergeAvcConfig(const AvcConfig& source, const AvcConfig& own, AvcConfig& merged);

// Whether a picture in length-prefixed NAL units holds an IDR slice.
bool packetHasIdr(const std::uint8_t* data, std::size_t size, int lengthSize);

// A picture in start-code form rewritten with length fields of lengthSize bytes, without
// parameter sets and access unit delimiters; idr tells whether it holds an IDR slice.
// False when a unit is too long for the field.
bool annexBToLengthPrefixed(const std::uint8_t* data, std::size_t size, int lengthSize,
                            std::vector<std::uint8_t>& out, bool& idr);

}  // namespace exttool
