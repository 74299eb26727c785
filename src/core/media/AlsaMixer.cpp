#include "core/media/AlsaMixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdint>

namespace {

// ALSA writes its complaints to standard error; a machine without a sound card is not
// an error here.
void quiet(const char*, int, const char*, int, const char*, ...) {}

qint32 toInt32(long value) {
    return static_cast<qint32>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

AlsaMixer::~AlsaMixer() {
    if (m_mixer != nullptr) {
        snd_mixer_close(m_mixer);
    }
}

bool AlsaMixer::open() {
    snd_lib_error_set_handler(&quiet);
    bool ok = snd_mixer_open(&m_mixer, 0) >= 0;
    ok = ok && snd_mixer_attach(m_mixer, "default") >= 0;
    ok = ok && snd_mixer_selem_register(m_mixer, nullptr, nullptr) >= 0;
    ok = ok && snd_mixer_load(m_mixer) >= 0;
    snd_lib_error_set_handler(nullptr);
    if (!ok && m_mixer != nullptr) {
        snd_mixer_close(m_mixer);
        m_mixer = nullptr;
    }
    return ok;
}

snd_mixer_elem_t* AlsaMixer::element() {
    if (m_element != nullptr || m_mixer == nullptr) {
        return m_element;
    }
    snd_mixer_selem_id_t* id = nullptr;
    if (snd_mixer_selem_id_malloc(&id) < 0) {
        return nullptr;
    }
    for (const char* name : {"Master", "PCM"}) {
        snd_mixer_selem_id_set_index(id, 0);
        snd_mixer_selem_id_set_name(id, name);
        snd_mixer_elem_t* found = snd_mixer_find_selem(m_mixer, id);
        if (found != nullptr && snd_mixer_selem_has_playback_volume(found) != 0) {
            m_element = found;
            break;
        }
    }
    snd_mixer_selem_id_free(id);
    return m_element;
}

bool AlsaMixer::volumeRange(qint32* minimum, qint32* maximum) {
    long low = 0;
    long high = 0;
    snd_mixer_elem_t* elem = element();
    if (elem == nullptr || snd_mixer_selem_get_playback_volume_range(elem, &low, &high) < 0) {
        return false;
    }
    *minimum = toInt32(low);
    *maximum = toInt32(high);
    return true;
}

bool AlsaMixer::volume(qint32* value) {
    snd_mixer_elem_t* elem = element();
    if (elem == nullptr) {
        return false;
    }
    // Another program may have moved it since.
    snd_mixer_handle_events(m_mixer);
    long level = 0;
    if (snd_mixer_selem_get_playback_volume(elem, SND_MIXER_SCHN_FRONT_LEFT, &level) < 0) {
        return false;
    }
    *value = toInt32(level);
    return true;
}

bool AlsaMixer::setVolume(qint32 value) {
    snd_mixer_elem_t* elem = element();
    return elem != nullptr && snd_mixer_selem_set_playback_volume_all(elem, value) >= 0;
}

bool AlsaMixer::mute(qint32* value) {
    snd_mixer_elem_t* elem = element();
    if (elem == nullptr || snd_mixer_selem_has_playback_switch(elem) == 0) {
        return false;
    }
    snd_mixer_handle_events(m_mixer);
    int on = 1;
    if (snd_mixer_selem_get_playback_switch(elem, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0) {
        return false;
    }
    *value = on != 0 ? 0 : 1;
    return true;
}

bool AlsaMixer::setMute(qint32 value) {
    snd_mixer_elem_t* elem = element();
    if (elem == nullptr || snd_mixer_selem_has_playback_switch(elem) == 0) {
        return false;
    }
    return snd_mixer_selem_set_playback_switch_all(elem, value == 1 ? 0 : 1) >= 0;
}
