#pragma once

#include "core/media/MixerControl.h"

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

// The ALSA simple mixer of the default card: the element "Master", else "PCM". Its
// playback switch is the mute control, on = not muted.
class AlsaMixer : public MixerControl {
public:
    AlsaMixer() = default;
    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    bool open() override;
    bool volumeRange(qint32* minimum, qint32* maximum) override;
    bool volume(qint32* value) override;
    bool setVolume(qint32 value) override;
    bool mute(qint32* value) override;
    bool setMute(qint32 value) override;

private:
    snd_mixer_elem_t* element();

    snd_mixer_t* m_mixer = nullptr;
    snd_mixer_elem_t* m_element = nullptr;
};
