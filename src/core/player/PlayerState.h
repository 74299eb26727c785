#pragma once

#include <QString>
#include <QtGlobal>

// What the player knows of itself and of the open media, as numbers: the player's mode,
// the media's length in frames and seconds, the seek bar's scale, the speed, the step
// mode, the picture area. The player's concerns and its models read these; no widget is
// ever read back for them.
struct PlayerState {
    // 1 playing, 4 paused, 5 stopped.
    int playerState = 5;
    // Length of the open media in frames, seek-bar pixels and seconds per frame.
    qint32 totalFrames = 1;
    float twipsPerFrame = 1.0f;
    float secPerFrame = 1.0f;
    // Length of the open media in seconds (0 while unknown, as for a live stream).
    double totalSeconds = 0.0;
    // formatTime's mode for the current time: as many fields as the length has.
    int curTimeMode = 2;
    // The speed in the session's units (1000 = normal).
    qint32 speed = 1000;
    // The picture area in pixels.
    qint32 availWidth = 0;
    qint32 availHeight = 0;
    // Step mode (0 frames, 1 seconds, 2 percent) and the amount of each mode.
    int stepMode = 1;
    int stepValue[3] = {5, 5, 5};
    // The name of the open file ("" none), and the file open before it.
    QString fileTag;
    QString lastPlayed;
    // Settings are being applied; the window is being laid out.
    bool settingsLoading = false;
    bool resizing = false;
    // A note the status line carries after its playing text until then (ms since the
    // epoch): an entry the list passed over.
    QString statusNote;
    qint64 statusNoteUntil = 0;
};
