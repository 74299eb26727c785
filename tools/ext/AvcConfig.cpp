#include "AvcConfig.h"

#include <algorithm>
#include <cstdint>

namespace exttool {

namespace {

constexpr int nalIdr = 5;
constexpr int nalSps = 7;
constexpr int nalPps = 8;
constexpr int nalDelimiter = 9;

// Exp-Golomb numbers from the first bytes of a NAL unit's payload, emulation prevention
// bytes taken out.
class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) {
        int zeros = 0;
        for (std::size_t i = 0; i < size && m_bytes.size() < 64; ++i) {
            if (zeros >= 2 && data[i] == 3) {
                zeros = 0;
                continue;
            }
            zeros = data[i] == 0 ? zeros + 1 : 0;
            m_bytes.push_back(data[i]);
        }
    }
    bool bit(int& value) {
        if (m_at >= m_bytes.size() * 8) {
            return false;
        }
        value = (m_bytes[m_at / 8] >> (7 - m_at % 8)) & 1;
        ++m_at;
        return true;
    }
    bool skip(std::size_t bits) {
        m_at += bits;
        return m_at <= m_bytes.size() * 8;
    }
    bool ue(int& value) {
        int zeros = 0;
        int b = 0;
        while (bit(b) && b == 0) {
            if (++zeros > 31) {
                return false;
            }
        }
        if (b != 1) {
            return false;
        }
        long long v = 0;
        for (int i = 0; i < zeros; ++i) {
            if (!bit(b)) {
                return false;
            }
            v = (v << 1) | b;
        }
        value = static_cast<int>((1LL << zeros) - 1 + v);
        return true;
    }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

constexpr std::size_t noUnit = SIZE_MAX;

// Calls each(start, length) for every start-code separated unit.
template <typename Each>
void eachAnnexBUnit(const std::uint8_t* d, std::size_t n, Each each) {
    std::size_t i = 0;
    std::size_t begin = noUnit;
    while (i + 2 < n) {
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) {
            if (begin != noUnit) {
                std::size_t end = i;
                while (end > begin && d[end - 1] == 0) {
                    --end;
                }
                each(begin, end - begin);
            }
            i += 3;
            begin = i;
            continue;
        }
        ++i;
    }
    if (begin != noUnit && begin < n) {
        each(begin, n - begin);
    }
}

bool readSets(const std::uint8_t* d, std::size_t n, std::size_t& at, std::size_t count,
              std::vector<std::vector<std::uint8_t>>& sets) {
    for (std::size_t i = 0; i < count; ++i) {
        if (n - at < 2) {
            return false;
        }
        const std::size_t length = (std::size_t{d[at]} << 8) | d[at + 1];
        at += 2;
        if (length == 0 || n - at < length) {
            return false;
        }
        sets.emplace_back(d + at, d + at + length);
        at += length;
    }
    return true;
}

}  // namespace

bool readAvcConfig(const std::uint8_t* d, std::size_t n, AvcConfig& c) {
    c = AvcConfig();
    if (d == nullptr || n < 7 || d[0] != 1) {
        return false;
    }
    c.profile = d[1];
    c.compatibility = d[2];
    c.level = d[3];
    c.lengthSize = (d[4] & 3) + 1;
    if (c.lengthSize == 3) {
        return false;
    }
    std::size_t at = 6;
    if (!readSets(d, n, at, d[5] & 0x1f, c.sps) || at >= n) {
        return false;
    }
    const std::size_t ppsCount = d[at];
    ++at;
    if (!readSets(d, n, at, ppsCount, c.pps)) {
        return false;
    }
    c.rest.assign(d + at, d + n);
    return !c.sps.empty() && !c.pps.empty();
}

std::vector<std::uint8_t> writeAvcConfig(const AvcConfig& c) {
    std::vector<std::uint8_t> out{1,
                                  c.profile,
                                  c.compatibility,
                                  c.level,
                                  static_cast<std::uint8_t>(0xfc | (c.lengthSize - 1)),
                                  static_cast<std::uint8_t>(0xe0 | c.sps.size())};
    const auto put = [&out](const std::vector<std::uint8_t>& set) {
        out.push_back(static_cast<std::uint8_t>(set.size() >> 8));
        out.push_back(static_cast<std::uint8_t>(set.size() & 0xff));
        out.insert(out.end(), set.begin(), set.end());
    };
    for (const auto& s : c.sps) {
        put(s);
    }
    out.push_back(static_cast<std::uint8_t>(c.pps.size()));
    for (const auto& p : c.pps) {
        put(p);
    }
    out.insert(out.end(), c.rest.begin(), c.rest.end());
    return out;
}

bool readAnnexBParameterSets(const std::uint8_t* d, std::size_t n, AvcConfig& sets) {
    sets = AvcConfig();
    if (d == nullptr) {
        return false;
    }
    eachAnnexBUnit(d, n, [&](std::size_t at, std::size_t length) {
        if (length == 0 || length > 0xffff) {
            return;
        }
        const int type = d[at] & 0x1f;
        if (type == nalSps) {
            sets.sps.emplace_back(d + at, d + at + length);
        } else if (type == nalPps) {
            sets.pps.emplace_back(d + at, d + at + length);
        }
    });
    return !sets.sps.empty() && !sets.pps.empty();
}

int parameterSetId(const std::vector<std::uint8_t>& nal) {
    if (nal.size() < 2) {
        return -1;
    }
    const int type = nal[0] & 0x1f;
    BitReader bits(nal.data() + 1, nal.size() - 1);
    // An SPS begins with its profile, constraint flags and level, a byte each.
    if (type == nalSps && !bits.skip(24)) {
        return -1;
    }
    int id = -1;
    return (type == nalSps || type == nalPps) && bits.ue(id) ? id : -1;
}

int unusedParameterSetId(const AvcConfig& c) {
    for (int id = 1; id < 32; ++id) {
        const auto uses = [id](const std::vector<std::uint8_t>& set) {
            return parameterSetId(set) == id;
        };
        if (std::none_of(c.sps.begin(), c.sps.end(), uses) &&
            std::none_of(c.pps.begin(), c.pps.end(), uses)) {
            return id;
        }
    }
    return -1;
}

bool mergeAvcConfig(const AvcConfig& source, const AvcConfig& own, AvcConfig& merged) {
    merged = source;
    const auto ids = [](const std::vector<std::vector<std::uint8_t>>& sets) {
        std::vector<int> found;
        for (const auto& s : sets) {
            found.push_back(parameterSetId(s));
        }
        return found;
    };
    const std::vector<int> sourceSps = ids(source.sps);
    const std::vector<int> sourcePps = ids(source.pps);
    for (const auto& s : own.sps) {
        const int id = parameterSetId(s);
        if (id < 0 || std::count(sourceSps.begin(), sourceSps.end(), id) > 0) {
            return false;
        }
        merged.sps.push_back(s);
    }
    for (const auto& p : own.pps) {
        const int id = parameterSetId(p);
        if (id < 0 || std::count(sourcePps.begin(), sourcePps.end(), id) > 0) {
            return false;
        }
        merged.pps.push_back(p);
    }
    return merged.sps.size() <= 31 && merged.pps.size() <= 255;
}

bool packetHasIdr(const std::uint8_t* d, std::size_t n, int lengthSize) {
    const auto size = static_cast<std::size_t>(lengthSize);
    std::size_t at = 0;
    while (d != nullptr && n - at > size) {
        std::size_t length = 0;
        for (std::size_t i = 0; i < size; ++i) {
            length = (length << 8) | d[at + i];
        }
        at += size;
        if (length == 0 || length > n - at) {
            return false;
        }
        if ((d[at] & 0x1f) == nalIdr) {
            return true;
        }
        at += length;
    }
    return false;
}

bool annexBToLengthPrefixed(const std::uint8_t* d, std::size_t n, int lengthSize,
                            std::vector<std::uint8_t>& out, bool& idr) {
    out.clear();
    idr = false;
    bool fits = true;
    const auto size = static_cast<std::size_t>(lengthSize);
    const std::size_t largest = size >= 4 ? 0xffffffffu : (std::size_t{1} << (8 * size)) - 1;
    eachAnnexBUnit(d, n, [&](std::size_t at, std::size_t length) {
        if (length == 0) {
            return;
        }
        const int type = d[at] & 0x1f;
        if (type == nalSps || type == nalPps || type == nalDelimiter) {
            return;
        }
        if (length > largest) {
            fits = false;
            return;
        }
        idr = idr || type == nalIdr;
        for (std::size_t i = size; i-- > 0;) {
            out.push_back(static_cast<std::uint8_t>((length >> (8 * i)) & 0xff));
        }
        out.insert(out.end(), d + at, d + at + length);
    });
    return fits && !out.empty();
}

}  // namespace exttool
