#include "core/media/MediaCheck.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace mediacheck {

namespace {

constexpr qint64 kTagHeaderSize = 11;
// The most of an onMetaData tag looked at: a keyframe index of a ten-hour recording
// with a keyframe a second takes about 650 kB.
constexpr qint64 kMetadataLimit = 4 * 1024 * 1024;
// What a file may hold less than it announces before it counts as cut short: the
// last tag's own length and rounding in what recorders write.
constexpr double kAnnouncedSlack = 1.0;

quint32 bigEndian(const QByteArray& bytes, int offset, int count) {
    quint32 value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | static_cast<quint8>(bytes.at(offset + i));
    }
    return value;
}

bool isTagType(quint8 type) {
    const quint8 kind = type & 0x1f;
    return kind == 8 || kind == 9 || kind == 18;  // audio, video, script data
}

// A tag of a picture or a sound: not script data, nor the codec's set-up (an AVC or
// HEVC sequence header, an AAC audio specific config), which holds nothing to play.
// head holds the tag header and, when the body has them, its first two bytes.
bool isMediaTag(const QByteArray& head) {
    const quint8 kind = quint8(head.at(0)) & 0x1f;
    if ((kind != 8 && kind != 9) || bigEndian(head, 1, 3) == 0) {
        return false;
    }
    if (head.size() < kTagHeaderSize + 2) {
        return true;
    }
    const quint8 flags = quint8(head.at(kTagHeaderSize));
    const bool setUp = quint8(head.at(kTagHeaderSize + 1)) == 0;
    const bool avc = kind == 9 && ((flags & 0x0f) == 7 || (flags & 0x0f) == 12);
    const bool aac = kind == 8 && (flags >> 4) == 10;
    return !((avc || aac) && setUp);
}

// A tag's time: 24 bits and 8 more above them.
qint64 tagTime(const QByteArray& header) {
    return qint64(bigEndian(header, 4, 3) | (quint32(quint8(header.at(7))) << 24));
}

// Reads an AMF0 value and what the check needs from it: the top level's "duration" and
// the largest of "keyframes"' "filepositions". Nesting deeper than a few levels is
// refused, so a hostile body cannot exhaust the stack.
class AmfReader {
public:
    AmfReader(const QByteArray& body, int at) : m_data(body), m_at(at) {}

    double duration = 0.0;
    double lastPosition = -1.0;

    bool value(int depth, const QByteArray& key, const QByteArray& parent) {
        if (depth > 8 || m_at >= m_data.size()) {
            return false;
        }
        const quint8 type = quint8(m_data.at(m_at++));
        switch (type) {
            case 0: {  // number
                double number = 0.0;
                if (!number64(&number)) {
                    return false;
                }
                if (depth == 1 && key == "duration") {
                    duration = number;
                } else if (parent == "filepositions") {
                    lastPosition = std::max(lastPosition, number);
                }
                return true;
            }
            case 1:  // boolean
                return skip(1);
            case 2:  // string
                return skip(length(2));
            case 12:  // long string
                return skip(length(4));
            case 5:  // null
            case 6:  // undefined
                return true;
            case 11:  // date
                return skip(10);
            case 8:  // ECMA array: a count, then pairs as an object's
                if (!skip(4)) {
                    return false;
                }
                return pairs(depth, key);
            case 3:  // object
                return pairs(depth, key);
            case 10: {  // strict array
                const qint64 count = length(4);
                for (qint64 i = 0; i < count; ++i) {
                    if (!value(depth + 1, QByteArray(), key)) {
                        return false;
                    }
                }
                return count >= 0;
            }
            default:
                return false;
        }
    }

private:
    // Pairs of a key and a value, up to the end marker (an empty key and type 9).
    bool pairs(int depth, const QByteArray& self) {
        for (;;) {
            const qint64 size = length(2);
            if (size < 0 || m_at + size > m_data.size()) {
                return false;
            }
            const QByteArray name = m_data.mid(m_at, int(size));
            m_at += int(size);
            if (size == 0 && m_at < m_data.size() && quint8(m_data.at(m_at)) == 9) {
                ++m_at;
                return true;
            }
            if (!value(depth + 1, name, self)) {
                return false;
            }
        }
    }

    qint64 length(int bytes) {
        if (m_at + bytes > m_data.size()) {
            return -1;
        }
        const qint64 value = bigEndian(m_data, m_at, bytes);
        m_at += bytes;
        return value;
    }

    bool skip(qint64 bytes) {
        if (bytes < 0 || m_at + bytes > m_data.size()) {
            return false;
        }
        m_at += int(bytes);
        return true;
    }

    bool number64(double* number) {
        if (m_at + 8 > m_data.size()) {
            return false;
        }
        quint64 bits = 0;
        for (int i = 0; i < 8; ++i) {
            bits = (bits << 8) | quint8(m_data.at(m_at + i));
        }
        std::memcpy(number, &bits, sizeof *number);
        m_at += 8;
        return true;
    }

    const QByteArray& m_data;
    int m_at;
};

// Walks the tag chain from the first tag; the last whole media tag's time goes to
// condition. A file that ends inside a tag is cut off; bytes after the last whole tag
// that do not start a tag are padding and harmless.
void walkTags(QFile& file, qint64 firstTag, FlvCondition* condition) {
    const qint64 size = file.size();
    qint64 pos = firstTag;
    while (pos + 4 < size) {
        if (!file.seek(pos + 4)) {
            return;
        }
        const QByteArray header = file.read(kTagHeaderSize + 2);
        if (header.size() < kTagHeaderSize) {
            condition->cutOff = !header.isEmpty() && isTagType(quint8(header.at(0)));
            return;
        }
        if (!isTagType(quint8(header.at(0)))) {
            return;
        }
        const qint64 next = pos + 4 + kTagHeaderSize + bigEndian(header, 1, 3);
        if (next > size) {
            condition->cutOff = true;
            return;
        }
        if (isMediaTag(header)) {
            condition->lastTagMs = tagTime(header);
        }
        pos = next;
    }
}

// The last tag when the last PreviousTagSize points back at a whole media tag: its
// header (and first body bytes); empty otherwise.
QByteArray lastWholeTag(QFile& file, qint64 firstTag) {
    const qint64 size = file.size();
    const QByteArray tail = file.seek(size - 4) ? file.read(4) : QByteArray();
    if (tail.size() != 4) {
        return QByteArray();
    }
    const qint64 lastSize = bigEndian(tail, 0, 4);
    const qint64 lastTag = size - 4 - lastSize;
    if (lastSize <= kTagHeaderSize || lastTag < firstTag + 4 || !file.seek(lastTag)) {
        return QByteArray();
    }
    const QByteArray header = file.read(kTagHeaderSize + 2);
    if (header.size() < kTagHeaderSize || !isMediaTag(header) ||
        bigEndian(header, 1, 3) + kTagHeaderSize != lastSize) {
        return QByteArray();
    }
    return header;
}

}  // namespace

bool FlvCondition::announcesMore() const {
    return announced > 0.0 && lastTagMs >= 0 && announced > heldSeconds() + kAnnouncedSlack;
}

bool readFlvMetadata(const QByteArray& body, qint64 fileSize, FlvCondition* condition) {
    static const QByteArray name = QByteArrayLiteral("\x02\x00\x0aonMetaData");
    if (!body.startsWith(name)) {
        return false;
    }
    AmfReader reader(body, int(name.size()));
    reader.value(0, QByteArray(), QByteArray());
    // What was read before a damaged part still counts.
    condition->announced = reader.duration > 0.0 ? reader.duration : 0.0;
    condition->indexPastEnd = reader.lastPosition >= double(fileSize);
    return true;
}

FlvCondition examineFlv(const QString& path) {
    FlvCondition condition;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return condition;  // not ours to judge: the player reports what it cannot read
    }
    const QByteArray head = file.read(9);
    if (head.size() < 9 || !head.startsWith("FLV")) {
        return condition;
    }
    condition.isFlv = true;
    const qint64 size = file.size();
    const qint64 firstTag = bigEndian(head, 5, 4);
    if (firstTag < 9 || size <= firstTag + 4 + kTagHeaderSize) {
        return condition;  // a header without tags: the player refuses it by itself
    }
    if (file.seek(firstTag + 4)) {
        const QByteArray header = file.read(kTagHeaderSize);
        if (header.size() == kTagHeaderSize && (quint8(header.at(0)) & 0x1f) == 18) {
            const qint64 bodySize = std::min<qint64>(bigEndian(header, 1, 3), kMetadataLimit);
            readFlvMetadata(file.read(bodySize), size, &condition);
        }
    }
    const QByteArray last = lastWholeTag(file, firstTag);
    if (!last.isEmpty()) {
        condition.lastTagMs = tagTime(last);
    } else {
        walkTags(file, firstTag, &condition);
    }
    return condition;
}

}  // namespace mediacheck
