#include "core/media/MainVol.h"

#include "core/files/DialogService.h"
#include "core/media/AlsaMixer.h"

#include <algorithm>
#include <utility>

MainVol::MainVol(std::unique_ptr<MixerControl> mixer) : m_mixer(std::move(mixer)) {
    if (!m_mixer) {
        m_mixer = std::make_unique<AlsaMixer>();
    }
    if (!m_mixer->open()) {
        m_mixer.reset();
        msgBox(QStringLiteral("No mixer found!"));
        return;
    }
    m_found = m_mixer->volumeRange(&m_minimum, &m_maximum);
    if (!m_found) {
        m_minimum = 0;
        m_maximum = 0;
    }
}

MainVol::~MainVol() = default;

void MainVol::setMainVolume(qint32 volume) {
    if (!m_mixer) {
        return;
    }
    const qint32 clamped = std::clamp(volume, m_minimum, std::max(m_minimum, m_maximum));
    m_lastError = m_mixer->setVolume(clamped) ? 0 : 1;
}

qint32 MainVol::MainVolume() const {
    qint32 value = 0;
    if (!m_mixer || !m_mixer->volume(&value)) {
        return 0;
    }
    return value;
}

bool MainVol::MainMute() const {
    qint32 value = 0;
    if (!m_mixer || !m_found || !m_mixer->mute(&value)) {
        return false;
    }
    return value == 1;
}

void MainVol::setMainMute(bool muted) {
    // The mute switch is looked for on the line of the volume control only.
    if (!m_mixer || !m_found) {
        return;
    }
    m_lastError = m_mixer->setMute(muted ? 1 : 0) ? 0 : 1;
}
