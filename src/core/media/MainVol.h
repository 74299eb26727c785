#pragma once

#include "core/media/MixerControl.h"

#include <QtGlobal>

#include <memory>

// The system's master output volume and mute, for the main window's volume slider and
// mute button. (A media session's own volume is set through MCI instead.) The bounds
// are read once, when the object is made; without a sound card "No mixer found!" is
// shown once and every read gives 0.
class MainVol {
public:
    // mixer: the sound system's master control; nullptr means the ALSA mixer.
    explicit MainVol(std::unique_ptr<MixerControl> mixer = nullptr);
    ~MainVol();
    MainVol(const MainVol&) = delete;
    MainVol& operator=(const MainVol&) = delete;

    qint32 MinMainVolume() const { return m_minimum; }
    // Clamped to the bounds.
    void setMainVolume(qint32 volume);
    qint32 MaxMainVolume() const { return m_maximum; }
    qint32 MainVolume() const;
    bool MainMute() const;
    void setMainMute(bool muted);

    // 0 when the last write succeeded.
    int lastError() const { return m_lastError; }

private:
    std::unique_ptr<MixerControl> m_mixer;  // null when there is no mixer
    qint32 m_minimum = 0;
    qint32 m_maximum = 0;
    bool m_found = false;
    int m_lastError = 0;
};
