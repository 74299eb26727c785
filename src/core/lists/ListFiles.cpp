#include "core/lists/ListFiles.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/lists/mdlLineFormat.h"
#include "core/settings/TextFiles.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace {

const QString lineEnd = QStringLiteral("\r\n");

// A list holding a NUL in this much of its start is taken for a binary file.
constexpr qsizetype binaryCheckSize = 64 * 1024;

// The lines of a text, trimmed, empty ones left out. Only spaces and tabs are trimmed:
// other white space may belong to a file name.
std::vector<QStringView> textLines(QStringView text) {
    std::vector<QStringView> lines;
    for (const QStringView line : splitLines(text)) {
        const QStringView trimmed = trimBlanks(line);
        if (!trimmed.isEmpty()) {
            lines.push_back(trimmed);
        }
    }
    return lines;
}

// Whether an entry fits one line of a list: no line break, and no NUL, which no path holds
// and which would make the list written next read as a binary file.
bool isOneLine(const QString& text) {
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) &&
           !text.contains(QChar(0));
}

// The path of an m3u, pls or asx entry: a relative path taken from the list's folder and
// cleaned (no ".." above the root), a "file://" URL as its local path; other URLs, absolute
// paths and Windows paths (which cannot be resolved here) unchanged. The item text of a path
// holding "∥" ends in "∥", so that no part of the path is taken for marks. "" for a path that is
// not one line (an asx "&#10;", a URL's "%0A" or "%00"): the playlists keep one entry a line.
QString entryItem(const QString& entry, const QDir& folder) {
    static const QRegularExpression url(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    static const QRegularExpression windowsPath(QStringLiteral(R"(^(?:[A-Za-z]:[\\/]|\\\\))"));
    QString path = entry;
    if (url.match(entry).hasMatch()) {
        if (entry.startsWith(QLatin1String("file://"), Qt::CaseInsensitive)) {
            const QString local = QUrl(entry).toLocalFile();
            if (!local.isEmpty()) {
                path = local;
            }
        }
    } else if (!windowsPath.match(entry).hasMatch() && !QDir::isAbsolutePath(entry)) {
        path = cleanedPath(folder.absoluteFilePath(entry));
    }
    if (!isOneLine(path)) {
        return QString();
    }
    if (path.contains(itemMarksSeparator)) {
        path += itemMarksSeparator;
    }
    return path;
}

void addEntry(QStringList& items, const QString& entry, const QDir& folder) {
    const QString item = entryItem(entry, folder);
    if (!item.isEmpty()) {
        items << item;
    }
}

QStringList readM3u(QStringView text, const QDir& folder) {
    QStringList items;
    for (const QStringView line : textLines(text)) {
        if (!line.startsWith(QLatin1Char('#'))) {
            addEntry(items, line.toString(), folder);
        }
    }
    return items;
}

// "FileN=" entries in the order of N; entries of the same number keep their file order.
QStringList readPls(QStringView text, const QDir& folder) {
    std::vector<std::pair<qint64, QString>> entries;
    for (const QStringView line : textLines(text)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            continue;
        }
        const QStringView key = trimBlanks(line.first(equals));
        const QStringView value = trimBlanks(line.sliced(equals + 1));
        if (key.size() <= 4 || !key.startsWith(QLatin1String("file"), Qt::CaseInsensitive) ||
            value.isEmpty()) {
            continue;
        }
        const QStringView digits = key.sliced(4);
        const bool allDigits = std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
        bool ok = false;
        const qint64 number = digits.toLongLong(&ok);
        if (allDigits && ok) {
            entries.emplace_back(number, value.toString());
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList items;
    for (const auto& entry : entries) {
        addEntry(items, entry.second, folder);
    }
    return items;
}

// The longest entity taken, "&#x10FFFF;" and "&#1114111;" with room to spare.
constexpr qsizetype maxEntityLength = 11;

// An XML entity at text[at] ("&..."), decoded; *length receives how many characters it
// takes, 0 when it is not an entity (the "&" then stands for itself). Only the next few
// characters are looked at, so that a text of many "&" is read in one pass.
QString decodeEntity(QStringView text, qsizetype at, qsizetype* length) {
    *length = 0;
    const qsizetype semicolon =
        text.first(std::min(text.size(), at + maxEntityLength)).indexOf(QLatin1Char(';'), at);
    if (semicolon < 0) {
        return QString();
    }
    const QStringView name = text.sliced(at + 1, semicolon - at - 1);
    static const std::pair<QLatin1String, QChar> named[] = {
        {QLatin1String("amp"), QLatin1Char('&')},   {QLatin1String("lt"), QLatin1Char('<')},
        {QLatin1String("gt"), QLatin1Char('>')},    {QLatin1String("quot"), QLatin1Char('"')},
        {QLatin1String("apos"), QLatin1Char('\'')},
    };
    for (const auto& [entity, character] : named) {
        if (name == entity) {
            *length = semicolon - at + 1;
            return QString(character);
        }
    }
    if (!name.startsWith(QLatin1Char('#'))) {
        return QString();
    }
    const bool hex = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive);
    bool ok = false;
    const uint code = name.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
    const char32_t character = code;
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return QString();
    }
    *length = semicolon - at + 1;
    return QString::fromUcs4(&character, 1);
}

QString decodeEntities(QStringView text) {
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = 0;
        if (text.at(i) == QLatin1Char('&')) {
            const QString character = decodeEntity(text, i, &length);
            if (length > 0) {
                decoded += character;
                i += length - 1;
                continue;
            }
        }
        decoded += text.at(i);
    }
    return decoded;
}

bool isTagBreak(QChar c) {
    return c.isSpace() || c == QLatin1Char('=') || c == QLatin1Char('>') || c == QLatin1Char('<') ||
           c == QLatin1Char('/');
}

// The href of every <ref> tag, in document order. ASX files met in use are seldom well
// formed (bare "&", unquoted values, missing end tags), so the tags are scanned rather than
// parsed; every step moves forward, whatever the text.
QStringList readAsx(QStringView text, const QDir& folder) {
    QStringList items;
    const qsizetype size = text.size();
    qsizetype i = 0;
    auto skipSpace = [&] {
        while (i < size && text.at(i).isSpace()) {
            ++i;
        }
    };
    while ((i = text.indexOf(QLatin1Char('<'), i)) >= 0) {
        if (text.sliced(i).startsWith(QLatin1String("<!--"))) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), i + 4);
            if (end < 0) {
                break;
            }
            i = end + 3;
            continue;
        }
        const qsizetype nameStart = ++i;
        while (i < size && !isTagBreak(text.at(i))) {
            ++i;
        }
        if (text.sliced(nameStart, i - nameStart)
                .compare(QLatin1String("ref"), Qt::CaseInsensitive) != 0) {
            continue;
        }
        bool found = false;
        while (i < size && text.at(i) != QLatin1Char('>') && text.at(i) != QLatin1Char('<')) {
            const qsizetype attributeStart = i;
            while (i < size && !isTagBreak(text.at(i))) {
                ++i;
            }
            const QStringView attribute = text.sliced(attributeStart, i - attributeStart);
            if (attribute.isEmpty()) {
                ++i;  // a blank, "/" or a stray "="
                continue;
            }
            skipSpace();
            if (i >= size || text.at(i) != QLatin1Char('=')) {
                continue;
            }
            ++i;
            skipSpace();
            qsizetype valueStart = i;
            qsizetype valueEnd = i;
            if (i < size && (text.at(i) == QLatin1Char('"') || text.at(i) == QLatin1Char('\''))) {
                const qsizetype close = text.indexOf(text.at(i), i + 1);
                if (close < 0) {
                    i = size;
                    break;
                }
                valueStart = i + 1;
                valueEnd = close;
                i = close + 1;
            } else {
                while (i < size && !text.at(i).isSpace() && text.at(i) != QLatin1Char('>')) {
                    ++i;
                }
                valueEnd = i;
            }
            if (!found && attribute.compare(QLatin1String("href"), Qt::CaseInsensitive) == 0) {
                found = true;
                const QString href =
                    trimBlanks(decodeEntities(text.sliced(valueStart, valueEnd - valueStart)))
                        .toString();
                if (!href.isEmpty()) {
                    addEntry(items, href, folder);
                }
            }
        }
    }
    return items;
}

QString xmlEscaped(const QString& text) {
    QString escaped = text.toHtmlEscaped();
    return escaped.replace(QLatin1Char('\''), QLatin1String("&apos;"));
}

// The file name of a path or URL, for a pls title.
QString fileName(const QString& path) {
    const qsizetype slash =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

}  // namespace

QString listFileText(const QStringList& items, ListFileFormat format) {
    QString text;
    QString marks;
    if (format == ListFileFormat::Plt) {
        for (const QString& item : items) {
            text += item + lineEnd;
        }
        return text;
    }
    if (format == ListFileFormat::M3u) {
        text = QStringLiteral("#EXTM3U") + lineEnd;
        for (const QString& item : items) {
            text += splitItemMarks(item, &marks) + lineEnd;
        }
    } else if (format == ListFileFormat::Pls) {
        text = QStringLiteral("[playlist]") + lineEnd;
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QString path = splitItemMarks(items.at(i), &marks);
            const QString number = QString::number(i + 1);
            text += QStringLiteral("File") + number + QLatin1Char('=') + path + lineEnd;
            text += QStringLiteral("Title") + number + QLatin1Char('=') + fileName(path) + lineEnd;
        }
        text += QStringLiteral("NumberOfEntries=") + QString::number(items.size()) + lineEnd;
        text += QStringLiteral("Version=2") + lineEnd;
    } else {
        text = QStringLiteral("<asx version=\"3.0\">") + lineEnd;
        for (const QString& item : items) {
            text += QStringLiteral("<entry><ref href=\"") +
                    xmlEscaped(splitItemMarks(item, &marks)) + QStringLiteral("\"/></entry>") +
                    lineEnd;
        }
        text += QStringLiteral("</asx>") + lineEnd;
    }
    return text;
}

ListFileFormat listFileFormat(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("m3u") || suffix == QLatin1String("m3u8")) {
        return ListFileFormat::M3u;
    }
    if (suffix == QLatin1String("pls")) {
        return ListFileFormat::Pls;
    }
    if (suffix == QLatin1String("asx")) {
        return ListFileFormat::Asx;
    }
    return ListFileFormat::Plt;
}

ListFileContents readListFile(const QString& path) {
    ListFileContents contents;
    const QFileInfo info(path);
    QFile file(path);
    // Only a regular file: opening a pipe would wait for a writer, a device may never end.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        contents.error = listFileTexts::cannotRead(path);
        return contents;
    }
    if (file.size() > maxListFileSize) {
        contents.error = listFileTexts::tooLarge(path);
        return contents;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        contents.error = listFileTexts::cannotRead(path);
        return contents;
    }
    const std::optional<QStringList> items =
        listFileItems(bytes, listFileFormat(path), info.absolutePath());
    if (!items) {
        contents.error = listFileTexts::notAListFile(path);
        return contents;
    }
    contents.items.reserve(items->size());
    for (const QString& item : *items) {
        if (isOverlongItem(item)) {
            ++contents.refused;
        } else {
            contents.items << item;
        }
    }
    return contents;
}

std::optional<QStringList> listFileItems(QByteArrayView bytes, ListFileFormat format,
                                         const QString& folder) {
    if (bytes.first(std::min(bytes.size(), binaryCheckSize)).contains('\0')) {
        return std::nullopt;
    }
    const QString text = decodeText(bytes);
    const QDir dir(folder);
    switch (format) {
        case ListFileFormat::Plt: {
            QStringList items;
            for (const QStringView line : textLines(text)) {
                if (isOneLine(line.toString())) {
                    items << line.toString();
                }
            }
            return items;
        }
        case ListFileFormat::M3u:
            return readM3u(text, dir);
        case ListFileFormat::Pls:
            return readPls(text, dir);
        case ListFileFormat::Asx:
            return readAsx(text, dir);
    }
    return QStringList();
}

bool writeListFile(const QString& path, const QStringList& items, ListFileFormat format,
                   QString* error) {
    if (!writeWholeFile(path, encodeText(listFileText(items, format)))) {
        if (error) {
            *error = listFileTexts::cannotWrite(path);
        }
        return false;
    }
    return true;
}
