// List files as any bytes: the first byte picks the format (plt, m3u, pls, asx), the rest
// is the file. Every entry read is an absolute path, a Windows path or a URL (plt: any
// line), and writing the entries in the same format and reading them again gives them back.
#include "FuzzCheck.h"
#include "core/lists/ListFiles.h"
#include "core/lists/mdlLineFormat.h"
#include "core/settings/TextFiles.h"

#include <algorithm>

#include <cstddef>
#include <cstdint>

namespace {

const QString folder = QStringLiteral("/fuzz/lists");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const auto format = static_cast<ListFileFormat>(data[0] % 4);
    const QByteArrayView bytes(data + 1, static_cast<qsizetype>(size - 1));
    const std::optional<QStringList> items = listFileItems(bytes, format, folder);
    if (!items) {
        fuzzCheck(bytes.first(std::min<qsizetype>(bytes.size(), 64 * 1024)).contains('\0'),
                  "only bytes holding a NUL are refused");
        return 0;
    }
    for (const QString& item : *items) {
        fuzzCheck(!item.isEmpty(), "no empty entry");
        fuzzCheck(!item.contains(u'\r') && !item.contains(u'\n') && !item.contains(QChar(0)),
                  "an entry is one line of a list", item);
    }
    // Blanks around a path are taken for the blanks around a line (a folder "a\t/" read
    // as "a\t"), and a plt list's first entry beginning with U+FEFF for the byte-order mark:
    // such entries cannot be written.
    const bool writable = std::none_of(items->begin(), items->end(), [](const QString& item) {
        const QString path = splitItemMarks(item);
        return trimBlanks(path) != path;
    });
    if (!writable || (format == ListFileFormat::Plt && !items->isEmpty() &&
                      items->first().startsWith(u'\uFEFF'))) {
        return 0;
    }
    const QString text = listFileText(*items, format);
    const std::optional<QStringList> again = listFileItems(encodeText(text), format, folder);
    fuzzCheck(again.has_value(), "a written list is text", text);
    // An entry read from a line of kept bytes is written byte for byte, but on a line of its
    // own it reads as such a line does: a part of a line can be Big5 where the whole is not.
    const auto readsBack = [](const QString& item, const QString& read) {
        return read == item || (holdsRawBytes(item) && read == decodeText(encodeText(item)));
    };
    fuzzCheck(again->size() == items->size() &&
                  std::equal(items->begin(), items->end(), again->begin(), readsBack),
              "the entries written read back the same",
              items->join(u'|') + QStringLiteral("\n---\n") + again->join(u'|'));
    return 0;
}
