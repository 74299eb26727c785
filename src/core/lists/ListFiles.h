#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// List files: the playlist window adds the entries of one and saves a list as one.
// An entry is an item text (see mdlLineFormat.h): a full path or a stream URL, optionally
// followed by "∥" and its marks. Only the program's own .plt format keeps marks; the other
// formats hold paths only.
//
//   plt  one item text per line
//   m3u  "#EXTM3U", then one path per line ("#" lines are comments)
//   pls  "[playlist]", then "FileN=path" (taken in the order of N), "TitleN=", ...
//   asx  "<asx>" with one "<entry><ref href="path"/></entry>" per entry
//
// Lists are read line by line as UTF-8, Big5 or kept bytes (see decodeText), and written as
// UTF-8 with CR LF line ends, kept bytes as they were. Relative paths in m3u, pls and asx
// lists are taken from the list's folder, cleaned of "." and "..".

enum class ListFileFormat { Plt, M3u, Pls, Asx };

// Lists larger than this are refused: a list of a hundred thousand entries is a few
// megabytes, so this bound only keeps a wrong file from filling the memory.
inline constexpr qint64 maxListFileSize = 64 * 1024 * 1024;

// By extension, case-insensitive: plt, m3u and m3u8, pls, asx; any other is plt.
ListFileFormat listFileFormat(const QString& path);

struct ListFileContents {
    QStringList items;  // item texts in file order
    QString error;      // "" when the file was read (even with no items); else the message
    int refused = 0;    // entries passed over as too long to be a path (isOverlongItem)
};

// The entries of the list file at path, in its format. A path of m3u, pls or asx that holds
// "∥" is given a trailing "∥", so that the item text's path is the whole path.
ListFileContents readListFile(const QString& path);

// The entries of a list file's bytes in format, relative paths taken from folder (an
// absolute path); nothing when the bytes are no text (a NUL in their first 64 KB).
std::optional<QStringList> listFileItems(QByteArrayView bytes, ListFileFormat format,
                                         const QString& folder);

// The text of a list file of format holding the item texts.
QString listFileText(const QStringList& items, ListFileFormat format);

// Writes the item texts as a list file of format. The old file stays whole until the new
// one is complete; false, with the message in error, when the list cannot be written.
bool writeListFile(const QString& path, const QStringList& items, ListFileFormat format,
                   QString* error = nullptr);

// The messages of list files.
namespace listFileTexts {

inline QString cannotRead(const QString& path) {
    return QStringLiteral("無法讀取清單檔案：") + path;
}
inline QString notAListFile(const QString& path) {
    return QStringLiteral("這不是文字格式的清單檔案：") + path;
}
inline QString tooLarge(const QString& path) {
    return QStringLiteral("清單檔案超過 64 MB，無法讀取：") + path;
}
inline QString overlongEntries(int count) {
    return QStringLiteral("有 %1 個項目的路徑超過系統允許的長度，已略過。").arg(count);
}
inline QString cannotWrite(const QString& path) {
    return QStringLiteral("無法寫入清單檔案：") + path;
}

}  // namespace listFileTexts
