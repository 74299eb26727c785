#pragma once

#include <QtGlobal>

// The master output's volume and mute switch, as the sound system offers them. MainVol
// keeps its rules on top of this; the sound system's calls stay behind it.
class MixerControl {
public:
    virtual ~MixerControl() = default;

    // Opens the mixer of the default sound card; false when there is none.
    virtual bool open() = 0;
    // Each call below answers false when the control is missing or the call fails.
    virtual bool volumeRange(qint32* minimum, qint32* maximum) = 0;
    virtual bool volume(qint32* value) = 0;
    virtual bool setVolume(qint32 value) = 0;
    // The mute control's value: 1 muted, 0 not muted.
    virtual bool mute(qint32* value) = 0;
    virtual bool setMute(qint32 value) = 0;
};
