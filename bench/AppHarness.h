#pragma once
// What the benchmark harnesses on the program's windows share.
#include "core/media/MixerControl.h"

// A master volume that is always there and never sounds: the window then shows no
// "No mixer found!" box on a machine without a sound card.
class SilentMixer : public MixerControl {
public:
    bool open() override { return true; }
    bool volumeRange(qint32* minimum, qint32* maximum) override {
        *minimum = 0;
        *maximum = 100;
        return true;
    }
    bool volume(qint32* value) override {
        *value = m_volume;
        return true;
    }
    bool setVolume(qint32 value) override {
        m_volume = value;
        return true;
    }
    bool mute(qint32* value) override {
        *value = m_mute;
        return true;
    }
    bool setMute(qint32 value) override {
        m_mute = value;
        return true;
    }

private:
    qint32 m_volume = 50;
    qint32 m_mute = 0;
};
