#pragma once

#include <QString>

// Where "Zelvo.FLV.ini" and "List.ini" live: beside the program when its folder is
// writable (the portable layout), otherwise in the user's configuration folder
// ($XDG_CONFIG_HOME/Zelvo.FLV/). Reading and writing use the same rule.
QString settingsFolder(const QString& programFolder);
QString settingsFilePath(const QString& programFolder, const QString& fileName);
