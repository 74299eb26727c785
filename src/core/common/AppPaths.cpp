#include "core/common/AppPaths.h"

#include "core/settings/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

QString folderText(const QString& path) {
    if (path.isEmpty()) {
        return QString();
    }
    QString folder = QDir::cleanPath(QDir(path).absolutePath());
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

// The prefix's folder for a path below it: bin/../lib/zelvo-flv/ and the like.
QString besideBin(const QString& programFolder, const QString& below) {
    return folderText(programFolder + QStringLiteral("../") + below);
}

}  // namespace

AppPaths::AppPaths(const QString& programFolder, const QString& tempFolder,
                   const QString& packageDatabase)
    : m_programFolder(folderText(programFolder)),
      m_tempFolder(QFileInfo(tempFolder).isDir() ? folderText(tempFolder)
                                                 : folderText(programFolder)),
      m_packageDatabase(folderText(packageDatabase)) {}

AppPaths AppPaths::running() {
    return AppPaths(QCoreApplication::applicationDirPath(), QDir::tempPath());
}

QString AppPaths::resourceProgram() const {
    const QString name = QStringLiteral("ZelvoResFLV");
    const QString beside = m_programFolder + name;
    if (QFileInfo(beside).isFile()) {
        return beside;
    }
    const QString installed = besideBin(m_programFolder, QStringLiteral("lib/zelvo-flv")) + name;
    return QFileInfo(installed).isFile() ? installed : beside;
}

QString AppPaths::helpFolder() const {
    return besideBin(m_programFolder, QStringLiteral("share/zelvo-flv/help"));
}

QString AppPaths::homePage() const {
    return QUrl::fromLocalFile(helpFolder()).toString(QUrl::FullyEncoded);
}

QString AppPaths::settingsFolder() const {
    return ::settingsFolder(m_programFolder);
}

AppPaths::Install AppPaths::install() const {
    QFile list(m_packageDatabase + packageName() + QStringLiteral(".list"));
    if (!list.open(QIODevice::ReadOnly)) {
        return Install::FolderCopy;
    }
    // The database names the files as the package put them; the program may run through a
    // link to them (/bin is /usr/bin on merged systems).
    const QString mine = QFileInfo(program()).canonicalFilePath();
    // A list of a few hundred lines; read to its end, line by line.
    while (!list.atEnd()) {
        const QString line = QString::fromUtf8(list.readLine(4096)).trimmed();
        if (line.endsWith(QLatin1Char('/') + programName()) &&
            (line == program() ||
             (!mine.isEmpty() && QFileInfo(line).canonicalFilePath() == mine))) {
            return Install::Package;
        }
    }
    return Install::FolderCopy;
}
