#pragma once

#include <QLoggingCategory>

// Traces the MCI commands and the player's events; off unless QT_LOGGING_RULES turns on
// "zelvo.playback.debug". Users are never shown any of it.
Q_DECLARE_LOGGING_CATEGORY(lcPlayback)
