#pragma once

#include "core/media/ExactSeek.h"
#include "core/media/MpvHandle.h"
#include "core/media/MpvPlayer.h"
#include "core/media/VideoSurface.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QString>

#include <cmath>
#include <memory>
#include <optional>

class VideoSurfaceProvider;

// One MCI device: one libmpv instance playing one file, stream or audio CD. It keeps
// MCI's model on top of the player: a mode (stopped, playing, paused), positions in the
// device's time format (video frames, or milliseconds), and commands that return once
// the device has done what they ask (a seek has landed, a file has opened), while the
// program's event loop keeps running. The player itself is reached through MpvPlayer,
// and seeks land on their frame by the rules of ExactSeek.
class MpvSession : public QObject, private VideoSurface::Listener {
    Q_OBJECT

public:
    enum class TimeFormat { Frames, Milliseconds };

    struct Config {
        QString audioOutput;  // mpv's "ao" list
        int openTimeoutMs = 20000;
        int streamOpenTimeoutMs = 30000;
        int seekTimeoutMs = 2000;  // a whole exact seek, retries included
        VideoSurfaceProvider* surfaces = nullptr;
    };

    // spare: a player left by a closed device, used instead of starting a new one.
    MpvSession(const QString& alias, const Config& config, MpvHandle spare = MpvHandle());
    ~MpvSession() override;
    MpvSession(const MpvSession&) = delete;
    MpvSession& operator=(const MpvSession&) = delete;

    QString alias() const { return m_alias; }

    // Opens a local file, a URL or (cdAudio) the audio CD and waits until the first
    // picture or sound is ready; 0 or an MCI error. parentWindow 0: no picture area.
    int open(const QString& element, bool isUrl, bool cdAudio, quintptr parentWindow);
    // Ends playback at once; the session answers nothing afterwards. Waiting commands
    // return with an error.
    void close();
    // After close: the player, stopped and idle, for another device; an empty handle
    // when it could not be brought to rest.
    MpvHandle releasePlayer();
    bool isClosed() const { return m_closed; }
    bool isReady() const { return m_ready; }
    bool isCdAudio() const { return m_cdAudio; }
    // 0 when the device takes commands; its MCI error otherwise (closed, or not open yet).
    // The commands and status items below expect a device that takes them, except mode
    // and ready, which answer in every state.
    int usable() const;
    // The file's last picture or sound is at lastTime (media seconds), before the end
    // it announces (an FLV cut off half-way): its length is what it holds.
    void endsAt(double lastTime) {
        const double held = lastTime - m_media.origin + (m_media.video ? 1.0 / m_media.fps : 0.0);
        if (held > 0.0 && (!(m_media.duration > 0.0) || held < m_media.duration)) {
            m_media.duration = held;
        }
    }

Q_SIGNALS:
    // The device was closed; it answers nothing from now on.
    void closed();

public:
    int play(std::optional<qint64> from, std::optional<qint64> to, bool repeat);
    int pause();
    int resume();
    int stop();
    int seek(qint64 position);
    int seekToStart() { return seek(0); }
    int seekToEnd();
    int step(qint64 frames);

    int setTimeFormat(TimeFormat format);
    int setSpeed(qint64 speed);
    int setVolume(qint64 volume);
    int setAudio(bool on);
    int put(const QRect& rect);

    // "status" items; each writes its reply text.
    int mode(QString* reply);
    int length(QString* reply) { return answer(reply, whole(lengthUnits().value_or(0))); }
    int position(QString* reply);
    int frameRate(QString* reply) {
        return answer(reply, whole(m_media.video ? std::llround(m_media.fps * 1000.0) : 1000000));
    }
    int speed(QString* reply) const { return answer(reply, whole(m_speed)); }
    int volume(QString* reply) const { return answer(reply, whole(m_volume)); }
    int audio(QString* reply) const {
        return answer(reply, QLatin1String(m_media.audio && m_audioOn ? "on" : "off"));
    }
    int timeFormat(QString* reply) const {
        return answer(
            reply, QLatin1String(m_timeFormat == TimeFormat::Frames ? "frames" : "milliseconds"));
    }
    int ready(QString* reply) const;
    int numberOfTracks(QString* reply);
    int trackPosition(qint64 track, QString* reply);
    int trackLength(qint64 track, QString* reply);

    // Values for the program's own features, whatever the time format: the file or URL
    // opened, and seconds from the first picture.
    QString element() const { return m_element; }
    bool isUrl() const { return m_isUrl; }
    bool hasVideo() const { return m_media.video; }
    double videoFrameRate() const { return m_media.video ? m_media.fps : 0.0; }
    std::optional<double> lengthSeconds() const;
    std::optional<double> positionSeconds();
    // Pictures the player dropped since the file opened: the decoder's and the output's.
    qint64 droppedFrames() const;

    // "where" items: "left top width height".
    int whereSource(QString* reply);
    int whereDestination(bool maximum, QString* reply);

private:
    enum class State { NotReady, Stopped, Playing, Paused };

    void surfaceReady(bool ready) override;
    static QString whole(qint64 value) { return QString::number(value); }
    static int answer(QString* reply, const QString& text) {
        *reply = text;
        return 0;
    }

    MediaTiming timing() const {
        return {m_timeFormat == TimeFormat::Frames, m_media.video, m_media.fps, m_media.origin,
                m_media.duration};
    }
    bool seekExact(qint64 units);
    std::optional<qint64> lengthUnits() const;
    std::optional<qint64> currentUnits();
    // Where the device stands, in media seconds.
    std::optional<double> currentTime();
    void noticeEnd();
    bool atEndOfMedia() const;
    int checkRange(qint64 units) const;
    void clearLoopAndBound();

    QString m_alias;
    Config m_config;
    QString m_element;
    MpvPlayer m_player;
    ExactSeek m_seek;
    std::unique_ptr<VideoSurface> m_surface;

    State m_state = State::NotReady;
    TimeFormat m_timeFormat = TimeFormat::Milliseconds;
    bool m_ready = false;
    bool m_closed = false;
    bool m_isUrl = false;
    bool m_live = false;  // a stream of unknown length
    bool m_cdAudio = false;
    bool m_atEnd = false;  // the media ran out while playing

    MpvMediaInfo m_media;  // its duration stays what it was at the open, except a stream's

    // Device settings.
    qint64 m_speed = 1000;
    qint64 m_volume = 1000;
    bool m_audioOn = true;
    QRect m_destination;
    std::optional<double> m_bound;      // where the range being played ends (media seconds)
    double m_lastTime = 0.0;            // the player's last known position
    std::optional<qint64> m_playStart;  // where the last play started, if it was placed
    QElapsedTimer m_playClock;
};
