#include "core/files/FileObject.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

enum Selector { BaseName = 0, ExtensionName = 1, FileName = 2, ParentFolder = 3, DriveName = 4 };

const QChar separator = QLatin1Char('/');

// Only spaces count as blanks: tabs and other characters are part of a name.
QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' ')) {
        ++first;
    }
    while (last > first && text.at(last - 1) == QLatin1Char(' ')) {
        --last;
    }
    return text.mid(first, last - first);
}

// Positions below are 1-based with 0 meaning "none": "nothing found" and "found
// at the start" must stay apart, and the start is where the rules bite.
QString splitPath(const QString& trimmed, int selector) {
    const qsizetype length = trimmed.size();
    if (length == 0) {
        return QString();
    }
    qsizetype firstDot = trimmed.indexOf(QLatin1Char('.')) + 1;

    // The last dot counts only when no separator follows it.
    qsizetype dot = length + 1;
    for (qsizetype i = length; i >= 1; --i) {
        const QChar c = trimmed.at(i - 1);
        if (c == separator) {
            firstDot = 0;
            break;
        }
        if (c == QLatin1Char('.')) {
            dot = i;
            break;
        }
    }
    const qsizetype sep = trimmed.lastIndexOf(separator) + 1;

    // A leading dot or separator, or a dot inside a folder part, leaves nothing to
    // split sensibly.
    if (dot == 1 || sep == 1 || dot < sep) {
        return QString();
    }
    switch (selector) {
        case BaseName:
            return trimmed.mid(sep, dot - sep - 1);
        case ExtensionName:
            if (firstDot == 0 || firstDot == length) {
                return QString();
            }
            return trimmed.mid(dot);
        case FileName:
            return trimmed.mid(sep);
        case ParentFolder:
            return trimmed.left(sep);
        case DriveName:
            return trimmed.left(1);
        default:
            return QString();
    }
}

QString trimBack(QString& path) {
    path = trimBlanks(path);
    return path;
}

bool hasWildcard(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// "*" matches any run of characters (also none), "?" exactly one; everything else
// matches itself, case-sensitively as the file system does. Dot files are not
// special: "*" matches them too, as hidden files always were.
bool wildcardMatch(QStringView pattern, QStringView name) {
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern.at(p) == QLatin1Char('?') || pattern.at(p) == name.at(n))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace

FileObject& FileObject::shared() {
    static FileObject instance;
    return instance;
}

bool FileObject::FileExists(QString& path) const {
    return FileExists(trimBack(path));
}

bool FileObject::FileExists(const QString& path) const {
    const QString trimmed = trimBlanks(path);
    if (trimmed.isEmpty()) {
        return false;
    }
    const QFileInfo info(trimmed);
    return info.exists() && !info.isDir();
}

bool FileObject::FolderExists(QString& path) const {
    return FolderExists(trimBack(path));
}

bool FileObject::FolderExists(const QString& path) const {
    const QString trimmed = trimBlanks(path);
    return !trimmed.isEmpty() && QFileInfo(trimmed).isDir();
}

QString FileObject::GetBaseName(QString& path) const {
    return splitPath(trimBack(path), BaseName);
}

QString FileObject::GetBaseName(const QString& path) const {
    return splitPath(trimBlanks(path), BaseName);
}

QString FileObject::GetExtensionName(QString& path) const {
    return splitPath(trimBack(path), ExtensionName);
}

QString FileObject::GetExtensionName(const QString& path) const {
    return splitPath(trimBlanks(path), ExtensionName);
}

QString FileObject::GetFileName(QString& path) const {
    return splitPath(trimBack(path), FileName);
}

QString FileObject::GetFileName(const QString& path) const {
    return splitPath(trimBlanks(path), FileName);
}

QString FileObject::GetParentFolderName(QString& path) const {
    return splitPath(trimBack(path), ParentFolder);
}

QString FileObject::GetParentFolderName(const QString& path) const {
    return splitPath(trimBlanks(path), ParentFolder);
}

QString FileObject::GetDriveName(QString& path) const {
    return splitPath(trimBack(path), DriveName);
}

QString FileObject::GetDriveName(const QString& path) const {
    return splitPath(trimBlanks(path), DriveName);
}

QString FileObject::GetSpecialFolder(int kind) const {
    switch (kind) {
        case 0:
            return QStringLiteral("/usr");
        case 1:
            return QStringLiteral("/usr/bin");
        case 2: {
            QString temp = QDir::tempPath();
            if (!temp.endsWith(separator)) {
                temp += separator;
            }
            return temp;
        }
        default:
            return QString();
    }
}

QString FileObject::ShortPath(QString& path) const {
    return trimBack(path);
}

QString FileObject::ShortPath(const QString& path) const {
    return trimBlanks(path);
}

QStringList FileObject::matchFiles(const QString& untrimmed) const {
    QStringList found;
    const QString path = trimBlanks(untrimmed);
    if (path.isEmpty()) {
        return found;
    }
    const qsizetype sep = path.lastIndexOf(separator);
    const QString name = path.mid(sep + 1);
    if (name.isEmpty()) {
        return found;
    }
    if (!hasWildcard(name)) {
        const QFileInfo info(path);
        // A dangling link is still a name that can be deleted.
        if ((info.exists() || info.isSymLink()) && !info.isDir()) {
            found.append(path);
        }
        return found;
    }
    const QString folder = sep < 0 ? QString() : path.left(sep + 1);
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (wildcardMatch(name, entry) && !QFileInfo(dir.filePath(entry)).isDir()) {
            found.append(folder + entry);
        }
    }
    return found;
}

void FileObject::DeleteFile(QString& path) const {
    DeleteFile(trimBack(path));
}

void FileObject::DeleteFile(const QString& path) const {
    const QStringList files = matchFiles(path);
    for (const QString& file : files) {
        QFile::remove(file);
    }
}

void FileObject::CreateTextFile(QString& path, const QString& text) const {
    CreateTextFile(trimBack(path), text);
}

void FileObject::CreateTextFile(const QString& path, const QString& text) const {
    const QString trimmed = trimBlanks(path);
    if (trimmed.isEmpty()) {
        return;
    }
    QSaveFile file(trimmed);
    if (!file.open(QIODevice::WriteOnly)) {
        return;
    }
    file.write((text + QStringLiteral("\r\n")).toUtf8());
    file.commit();
}
