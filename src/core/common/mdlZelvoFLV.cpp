#include "core/common/mdlZelvoFLV.h"

#include "core/files/FileObject.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <cmath>
#include <limits>
#include <utility>

QString openFilter;
QString editableFilter;
QString editablePatterns;
QString mediaPatterns;
QString imagePatterns;
QString listPatterns;

int twipsPerPixelX = 15;
int twipsPerPixelY = 15;
int capLeft = 0;
int capTop = 0;
int listPlayState = 0;
bool appClosing = false;

namespace {

const QChar separator = QLatin1Char('/');

// An entry holding ";" could span two list entries, and an empty one would hit
// the ";;" inside the editable list, so neither is ever a member.
bool inList(QLatin1String list, const QString& entry) {
    if (entry.isEmpty() || entry.contains(QLatin1Char(';'))) {
        return false;
    }
    return QString(list).contains(QLatin1Char(';') + entry + QLatin1Char(';'));
}

bool extensionIn(QLatin1String list, const QString& path, bool acceptBareExtension) {
    if (path.isEmpty()) {
        return false;
    }
    QString named = path;
    if (acceptBareExtension && !named.contains(QLatin1Char('.'))) {
        named = QStringLiteral("x.") + named;
    }
    return inList(list, FileObject::shared().GetExtensionName(std::as_const(named)).toLower());
}

QString twoDigits(qint64 value) {
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

// Hundredths of a second as the seconds field: at least minDigits whole digits,
// then the decimals, cut (not rounded) so 59.7 s never shows as 60.
QString secondsField(qint64 hundredths, int minDigits, int decimals) {
    QString text = QString::number(hundredths / 100).rightJustified(minDigits, QLatin1Char('0'));
    const qint64 fraction = hundredths % 100;
    if (decimals == 1) {
        text += QLatin1Char('.') + QString::number(fraction / 10);
    } else if (decimals >= 2) {
        text += QLatin1Char('.') + twoDigits(fraction) + QString(decimals - 2, QLatin1Char('0'));
    }
    return text;
}

}  // namespace

bool isMediaFile(const QString& path) {
    return extensionIn(mediaExtensions, path, true);
}

bool isAudioFile(const QString& path) {
    return extensionIn(audioExtensions, path, true);
}

bool isEditableFile(const QString& path) {
    return extensionIn(editableExtensions, path, true);
}

bool isListFile(const QString& path) {
    return extensionIn(listExtensions, path, false);
}

bool isUrl(const QString& text) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 1) {
        return false;
    }
    return inList(urlSchemes, text.left(colon).toLower());
}

QString absoluteTarget(const QString& text, const QString& folder) {
    // A file manager may hand over a file's address instead of its path.
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(text);
        if (url.isValid() && url.isLocalFile() &&
            (url.host().isEmpty() || url.host() == QLatin1String("localhost"))) {
            // The path itself: toLocalFile() names a file on "localhost" as a network path.
            return url.path(QUrl::FullyDecoded);
        }
    }
    QString target = text;
    target.remove(QLatin1Char('"'));
    const qsizetype bar = target.lastIndexOf(QChar(0x2225));
    const QString path = bar < 0 ? target : target.left(bar);
    const QString marks = bar < 0 ? QString() : target.mid(bar);
    // A file manager hands a file over as a file: URL (the desktop entry takes one URL); the
    // program plays the file it names, not a stream of that name.
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(path);
        const QString host = url.host();
        if (url.isLocalFile() && (host.isEmpty() || host == QLatin1String("localhost"))) {
            return cleanedPath(QDir(folder).absoluteFilePath(url.path(QUrl::FullyDecoded))) + marks;
        }
    }
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (path.trimmed().isEmpty() || isUrl(path) || scheme.match(path).hasMatch() ||
        QDir::isAbsolutePath(path)) {
        return text;
    }
    return cleanedPath(QDir(folder).absoluteFilePath(path)) + marks;
}

QString cleanedPath(const QString& path) {
    const QString cleaned = QDir::cleanPath(path);
    // Qt keeps the ".." of "/../x"; the system reads it as "/x", and so does the program.
    const QLatin1String up("/..");
    qsizetype start = 0;
    while (QStringView(cleaned).sliced(start).startsWith(up) &&
           (cleaned.size() == start + up.size() || cleaned.at(start + up.size()) == separator)) {
        start += up.size();
    }
    if (start == 0) {
        return cleaned;
    }
    return start == cleaned.size() ? QString(separator) : cleaned.mid(start);
}

QString addSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(separator)) {
        return path;
    }
    return path + separator;
}

QString upperDriveLetter(const QString& path) {
    if (path.indexOf(QLatin1Char(':')) != 1) {
        return path;
    }
    QString result = path;
    result[0] = result.at(0).toUpper();
    return result;
}

QString getWorkDir(const QString& path, const QString& saveDir) {
    const FileObject& fso = FileObject::shared();
    if (!saveDir.isEmpty() && fso.FolderExists(saveDir)) {
        return addSeparator(saveDir);
    }
    // A stream has no folder of its own.
    if (path.isEmpty() || isUrl(path)) {
        return QString();
    }
    return addSeparator(fso.GetParentFolderName(path));
}

void killFile(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    const FileObject& files = FileObject::shared();
    if (files.matchFiles(path).isEmpty()) {
        return;
    }
    files.DeleteFile(path);
}

void killExactFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.isDir() || (!info.exists() && !info.isSymLink())) {
        return;
    }
    QFile::remove(path);
}

double typedNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t'))) {
        ++i;
    }
    QString number;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        number += text.at(i++);
    }
    bool digits = false;
    bool dot = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits = true;
        } else if (c == QLatin1Char('.') && !dot) {
            dot = true;
        } else {
            break;
        }
        number += c;
    }
    return digits ? number.toDouble() : 0.0;
}

int ceilSingle(float x) {
    if (std::isnan(x)) {
        return 0;
    }
    const double up = std::ceil(static_cast<double>(x));
    if (up >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (up <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(up);
}

float cutToHundredths(float seconds) {
    // The 0.004 lets 59.997 show as 1:00.00 instead of 59.99.
    return static_cast<float>(std::trunc((static_cast<double>(seconds) + 0.004) * 100.0) / 100.0);
}

QString formatTime(float& seconds, int mode, int decimals, int* fields) {
    seconds = cutToHundredths(seconds);

    // Work in whole hundredths so float noise never turns 5.57 into 5.56.
    constexpr double limit = 1e15;
    double scaled = static_cast<double>(seconds) * 100.0;
    if (!std::isfinite(scaled)) {
        scaled = std::isnan(scaled) ? 0.0 : std::copysign(limit, scaled);
    }
    qint64 total = std::llround(qBound(-limit, scaled, limit));
    const bool negative = total < 0;
    if (negative) {
        total = -total;
    }

    qint64 hours = total / 360000;
    qint64 minutes = (total - hours * 360000) / 6000;
    if (mode == 4) {
        hours = 0;
        minutes = total / 6000;
    }
    const qint64 rest = total - hours * 360000 - minutes * 6000;
    const int minDigits = mode >= 2 ? 2 : 1;
    const int shownDecimals = decimals < 0 ? 0 : decimals;

    QString text = secondsField(rest, minDigits, shownDecimals);
    int count = 1;
    if (mode >= 2 || minutes >= 1) {
        text = twoDigits(minutes) + QLatin1Char(':') + text;
        count = 2;
    }
    if (mode == 3 || hours >= 1) {
        text = twoDigits(hours) + QLatin1Char(':') + text;
        count = 3;
    }
    if (mode == 0) {
        text = secondsField(total, minDigits, shownDecimals);
        count = 1;
    }
    if (fields != nullptr) {
        *fields = count;
    }
    return negative ? QLatin1Char('-') + text : text;
}

QString formatTime(double seconds, int mode, int decimals) {
    float value = static_cast<float>(seconds);
    return formatTime(value, mode, decimals, nullptr);
}

float parseTime(const QString& text) {
    if (!text.contains(QLatin1Char(':'))) {
        return 0.0f;
    }
    double result = 0.0;
    const QStringList parts = text.split(QLatin1Char(':'));
    for (const QString& part : parts) {
        result = result * 60.0 + typedNumber(part);
    }
    return static_cast<float>(result);
}

QString buildPatterns(const QString& extensionList) {
    QString patterns;
    const QStringList entries = extensionList.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& entry : entries) {
        patterns += QStringLiteral("*.") + entry + QLatin1Char(';');
    }
    return patterns;
}

void buildDialogPatterns() {
    editablePatterns = buildPatterns(editableExtensions);
    mediaPatterns = buildPatterns(openMediaExtensions);
    imagePatterns = buildPatterns(imageExtensions);
    listPatterns = buildPatterns(listExtensions);
}

void buildDialogFilters() {
    editableFilter = QStringLiteral("支援處理的檔案 (flv ; mpg ; dat ; vob)|") + editablePatterns;
    openFilter = editableFilter + QStringLiteral("|支援播放的多媒體檔案|") + mediaPatterns +
                 QStringLiteral("|支援瀏覽的影像圖檔案|") + imagePatterns +
                 QStringLiteral("|所有檔案|*.*");
}
