#include "core/settings/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString settingsFolder(const QString& programFolder) {
    // A folder named in the environment wins: several copies of the program (and the
    // tests) can then run from one program folder without sharing their settings.
    const QString chosen = qEnvironmentVariable("ZELVO_SETTINGS_DIR");
    if (!chosen.isEmpty()) {
        return QDir(chosen).absolutePath() + QLatin1Char('/');
    }
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
