#include "core/media/DevicePlayback.h"

#include "core/media/MciInterpreter.h"
#include "core/media/MpvSession.h"

#include <cmath>

void DevicePlayback::attach(const QString& alias, const QString& path) {
    detach();
    MpvSession* session = MciInterpreter::instance().device(alias);
    if (session == nullptr || session->usable() != 0) {
        return;
    }
    m_device = session;
    m_path = path;
    connect(session, &MpvSession::closed, this, &DevicePlayback::detach);
    Q_EMIT loaded(m_path);
}

void DevicePlayback::detach() {
    if (m_device) {
        disconnect(m_device, nullptr, this, nullptr);
    }
    const bool wasOpen = !m_path.isEmpty();
    m_device = nullptr;
    m_path.clear();
    if (wasOpen) {
        Q_EMIT closed();
    }
}

MpvSession* DevicePlayback::device() const {
    MpvSession* session = m_device.data();
    return session != nullptr && session->usable() == 0 ? session : nullptr;
}

bool DevicePlayback::isOpen() const {
    return device() != nullptr;
}

QString DevicePlayback::fileName() const {
    return device() != nullptr ? m_path : QString();
}

bool DevicePlayback::hasVideo() const {
    MpvSession* session = device();
    return session != nullptr && session->hasVideo();
}

bool DevicePlayback::isStream() const {
    MpvSession* session = device();
    return session != nullptr && session->isUrl();
}

std::optional<double> DevicePlayback::position() const {
    MpvSession* session = device();
    return session != nullptr ? session->positionSeconds() : std::nullopt;
}

std::optional<double> DevicePlayback::duration() const {
    MpvSession* session = device();
    return session != nullptr ? session->lengthSeconds() : std::nullopt;
}

double DevicePlayback::frameRate() const {
    MpvSession* session = device();
    return session != nullptr ? session->videoFrameRate() : 0.0;
}

qint64 DevicePlayback::frameCount() const {
    const auto seconds = duration();
    return seconds ? std::llround(*seconds * frameRate()) : 0;
}

qint64 DevicePlayback::droppedFrames() const {
    MpvSession* session = device();
    return session != nullptr ? session->droppedFrames() : 0;
}
