#include "core/media/MediaCheck.h"

#include <QFile>

namespace mediacheck {

namespace {

constexpr qint64 kTagHeaderSize = 11;

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

// Walks the tag chain from the first tag. A file that ends inside a tag is cut off;
// bytes after the last whole tag that do not start a tag are padding and harmless.
bool walkTags(QFile& file, qint64 firstTag) {
    const qint64 size = file.size();
    qint64 pos = firstTag;
    while (pos + 4 < size) {
        if (!file.seek(pos + 4)) {
            return false;
        }
        const QByteArray header = file.read(kTagHeaderSize);
        if (header.size() < kTagHeaderSize) {
            return header.isEmpty() || !isTagType(static_cast<quint8>(header.at(0)));
        }
        if (!isTagType(static_cast<quint8>(header.at(0)))) {
            return true;
        }
        const qint64 dataSize = bigEndian(header, 1, 3);
        const qint64 next = pos + 4 + kTagHeaderSize + dataSize;
        if (next > size) {
            return false;
        }
        pos = next;
    }
    return true;
}

}  // namespace

bool flvTagsComplete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return true;  // not ours to judge: the player reports what it cannot read
    }
    const QByteArray head = file.read(9);
    if (head.size() < 9 || !head.startsWith("FLV")) {
        return true;
    }
    const qint64 size = file.size();
    const qint64 firstTag = bigEndian(head, 5, 4);
    if (firstTag < 9 || size <= firstTag + 4) {
        return true;  // a header without tags: the player refuses it by itself
    }

    // Fast path: the last PreviousTagSize points back at a whole tag.
    const QByteArray tail = file.seek(size - 4) ? file.read(4) : QByteArray();
    if (tail.size() == 4) {
        const qint64 lastSize = bigEndian(tail, 0, 4);
        const qint64 lastTag = size - 4 - lastSize;
        if (lastSize > kTagHeaderSize && lastTag >= firstTag + 4 && file.seek(lastTag)) {
            const QByteArray header = file.read(kTagHeaderSize);
            if (header.size() == kTagHeaderSize && isTagType(static_cast<quint8>(header.at(0)))) {
                const qint64 dataSize = bigEndian(header, 1, 3);
                if (dataSize + kTagHeaderSize == lastSize) {
                    return true;
                }
            }
        }
    }
    return walkTags(file, firstTag);
}

}  // namespace mediacheck
