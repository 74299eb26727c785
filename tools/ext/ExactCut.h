#pragma once

#include <string>

// The frame-exact cut: the pictures from the range's first picture up to the next IDR
// keyframe (and, where the end cannot be copied, from the last keyframe to the range's
// end) are decoded and encoded again; every picture between is copied as it is. The
// encoded pictures carry parameter sets of their own (their own ids, in the same decoder
// configuration as the source's), so one stream holds both. The sound is copied, cut at
// the sound frame nearest each end.
namespace exttool {

struct ExactCutResult {
    enum class Kind {
        Written,   // the output is there and passed its check
        Fallback,  // this source or range cannot be cut exactly: reason says why
        Stopped,   // a stop was asked for; nothing is left
    };
    Kind kind = Kind::Fallback;
    std::string reason;        // Fallback: why, in the user's words (Traditional Chinese)
    long pictures = 0;         // pictures written
    long encoded = 0;          // of those, encoded again
    double encodeSeconds = 0;  // time spent decoding and encoding the encoded pieces
};

// Cuts the pictures of input shown from `from` up to (not including) `to`, seconds from
// its first picture as the player counts them (a time belongs to the picture nearest to
// it, so frame numbers times the frame length land on their pictures), into
// output, a new file whose extension names the container. The output is decoded again
// before this returns: the first and last pictures must be the range's and their number
// exactly the range's, or the result is a Fallback and nothing is left.
ExactCutResult cutExactly(const std::string& input, double from, double to,
                          const std::string& output);

// True when output's extension names a container the exact cut writes.
bool exactCutContainer(const std::string& ext);

}  // namespace exttool
