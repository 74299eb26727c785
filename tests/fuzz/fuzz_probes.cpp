// What the tools say of a file, and a file's first bytes, as any bytes: the FLV set-up the
// join compares (an FLV's header and first tags), a probe's stream lines, and the packet
// lines of a keyframe scan fed in two pieces split where the first byte says. Each is read
// in one pass; the set-up never comes from a file that does not begin like an FLV, and the
// scan finds no more keyframes than it was given lines, the same whatever the split. An
// onMetaData body read for the damage check gives a length of 0 or more.
#include "FuzzCheck.h"
#include "core/jobs/JoinCheck.h"
#include "core/media/KeyframeScan.h"
#include "core/media/MediaCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));
    const QByteArray setUp = joinCheck::flvSetUpOf(bytes);
    fuzzCheck(setUp.isEmpty() || bytes.startsWith("FLV"), "a set-up only of an FLV");
    const joinCheck::Streams streams = joinCheck::readProbe(bytes);
    fuzzCheck(streams.read || (streams.videoCodec.isEmpty() && streams.audioCodec.isEmpty()),
              "codecs only of a file that was read");
    joinCheck::differences({streams, streams, joinCheck::Streams()});
    mediacheck::FlvCondition flv;
    mediacheck::readFlvMetadata(bytes, bytes.size(), &flv);
    fuzzCheck(flv.announced >= 0.0 && !flv.cutOff, "a length of 0 or more, from the body alone");

    const qsizetype split = bytes.isEmpty() ? 0 : qsizetype(data[0]) % (bytes.size() + 1);
    QByteArray partial;
    QList<double> pieces;
    double start = 0;
    KeyframeScan::readPackets(partial, bytes.left(split), pieces, start);
    KeyframeScan::readPackets(partial, bytes.mid(split), pieces, start);
    KeyframeScan::readPackets(partial, "\n", pieces, start);
    QByteArray wholePartial;
    QList<double> whole;
    double wholeStart = 0;
    KeyframeScan::readPackets(wholePartial, bytes + '\n', whole, wholeStart);
    fuzzCheck(pieces.size() <= bytes.count('\n') + 1, "no more keyframes than lines");
    fuzzCheck(pieces.size() == whole.size() || bytes.size() > 256,
              "the split does not change what a short text gives");
    return 0;
}
