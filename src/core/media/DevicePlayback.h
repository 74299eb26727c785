#pragma once

#include "core/media/PlaybackSession.h"

#include <QPointer>

class MpvSession;

// The typed face of one MCI device, followed by its alias: the MCI object that opens it
// tells it when a file has been opened (attach) and when it was closed (detach); a device
// closed by anyone else ("close all") is noticed too.
class DevicePlayback final : public PlaybackSession {
    Q_OBJECT

public:
    using PlaybackSession::PlaybackSession;

    // The device alias has opened path: follow it and tell loaded(), when the
    // program's interpreter has such a device.
    void attach(const QString& alias, const QString& path);
    // The device is no longer ours: tell closed() when a file was loaded.
    void detach();

    bool isOpen() const override;
    QString fileName() const override;
    bool hasVideo() const override;
    bool isStream() const override;
    std::optional<double> position() const override;
    std::optional<double> duration() const override;
    double frameRate() const override;
    qint64 frameCount() const override;
    qint64 droppedFrames() const override;

private:
    MpvSession* device() const;

    QPointer<MpvSession> m_device;
    QString m_path;
};
