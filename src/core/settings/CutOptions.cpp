#include "core/settings/CutOptions.h"

#include "core/settings/SettingsLocation.h"
#include "core/settings/TextFiles.h"

#include <QDir>
#include <QFile>

namespace cutOptions {

namespace {

const QString fileName = QStringLiteral("Options.ini");
const QString exactKey = QStringLiteral("exactcut=");
// The most of the file that is read: it holds a few short lines.
constexpr qint64 longestFile = 64 * 1024;

bool isExactLine(QStringView line) {
    const QStringView trimmed = trimBlanks(line);
    return trimmed.startsWith(exactKey, Qt::CaseInsensitive);
}

}  // namespace

bool exactCutOf(const QString& text) {
    bool on = false;
    for (const QStringView line : splitLines(text)) {
        if (!isExactLine(line)) {
            continue;
        }
        const QString value = trimBlanks(trimBlanks(line).mid(exactKey.size())).toString();
        bool number = false;
        const double n = value.toDouble(&number);
        on = number ? n != 0.0 : value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    }
    return on;
}

QString optionsText(const QString& text, bool exactCut) {
    QString out;
    for (const QStringView line : splitLines(text)) {
        if (!isExactLine(line) && !trimBlanks(line).isEmpty()) {
            out += line.toString() + QStringLiteral("\r\n");
        }
    }
    out += QStringLiteral("ExactCut=") +
           (exactCut ? QStringLiteral("True") : QStringLiteral("False")) + QStringLiteral("\r\n");
    return out;
}

bool readExactCut(const QString& programFolder) {
    QFile file(settingsFilePath(programFolder, fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return exactCutOf(decodeText(file.read(longestFile)));
}

bool writeExactCut(const QString& programFolder, bool on) {
    const QString path = settingsFilePath(programFolder, fileName);
    QString old;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        old = decodeText(file.read(longestFile));
        file.close();
    }
    QDir().mkpath(settingsFolder(programFolder));
    return writeWholeFile(path, encodeText(optionsText(old, on)));
}

}  // namespace cutOptions
