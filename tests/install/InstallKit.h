#pragma once

#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

// What the tests of the installed program share: the build they install from, the tools they
// run, and the files a user gets.
namespace installkit {

inline QString buildDir() {
    return qEnvironmentVariable("ZELVO_BUILD_DIR");
}

inline QString sourceDir() {
    return qEnvironmentVariable("ZELVO_SOURCE_DIR");
}

inline const QString appId = QStringLiteral("io.github.zelvo.ZelvoFLV");

// The files of a folder and below, relative to it, sorted.
inline QStringList filesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << QDir(folder).relativeFilePath(it.next());
    }
    files.sort();
    return files;
}

inline QList<int> iconSizes() {
    return {16, 22, 24, 32, 48, 64, 128, 256};
}

// Every file an install puts under its prefix, relative to it: the programs, the help as
// help/ holds it, the desktop entry, the metadata and the icons.
inline QStringList installedFiles() {
    QStringList files{
        QStringLiteral("bin/Zelvo.FLV"),
        QStringLiteral("lib/zelvo-flv/ZelvoResFLV"),
        QStringLiteral("lib/zelvo-flv/ZelvoToolFLV"),
        QStringLiteral("share/applications/") + appId + QStringLiteral(".desktop"),
        QStringLiteral("share/metainfo/") + appId + QStringLiteral(".metainfo.xml"),
        QStringLiteral("share/icons/hicolor/scalable/apps/") + appId + QStringLiteral(".svg"),
    };
    for (int size : iconSizes()) {
        files << QStringLiteral("share/icons/hicolor/%1x%1/apps/").arg(size) + appId +
                     QStringLiteral(".png");
    }
    for (const QString& page : filesBelow(sourceDir() + QStringLiteral("/help"))) {
        files << QStringLiteral("share/zelvo-flv/help/") + page;
    }
    files.sort();
    return files;
}

// A program the tests need from the system; "" (and a warning naming its package) when it
// is missing.
inline QString tool(const QString& name, const char* package) {
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty()) {
        qWarning("%s is missing: install the Debian package %s (make test does)", qPrintable(name),
                 package);
    }
    return path;
}

}  // namespace installkit
