#include "app/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString settingsFolder(const QString& programFolder) {
    const QFileInfo folder(programFolder);
    if (!programFolder.isEmpty() && folder.isDir() && folder.isWritable()) {
        return QDir(programFolder).absolutePath() + QLatin1Char('/');
    }
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    return config + QStringLiteral("/Zelvo.FLV/");
}

QString settingsFilePath(const QString& programFolder, const QString& fileName) {
    return settingsFolder(programFolder) + fileName;
}
