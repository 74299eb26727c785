#pragma once

#include "core/media/MpvHandle.h"
#include "core/media/VideoSurface.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class VideoSurfaceProvider;

// One MCI device: one libmpv instance playing one file, stream or audio CD. It keeps
// MCI's model on top of the player: a mode (stopped, playing, paused), positions in the
// device's time format (video frames, or milliseconds), and commands that return once
// the device has done what they ask (a seek has landed, a file has opened), while the
// program's event loop keeps running.
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
    int length(QString* reply);
    int position(QString* reply);
    int frameRate(QString* reply);
    int speed(QString* reply) const;
    int volume(QString* reply) const;
    int audio(QString* reply) const;
    int timeFormat(QString* reply) const;
    int ready(QString* reply) const;
    int numberOfTracks(QString* reply);
    int trackPosition(qint64 track, QString* reply);
    int trackLength(qint64 track, QString* reply);

    // "where" items: "left top width height".
    int whereSource(QString* reply);
    int whereDestination(bool maximum, QString* reply);

Q_SIGNALS:
    // Events from the player were handled; waiting commands look again.
    void changed();

private:
    enum class State { NotReady, Stopped, Playing, Paused };

    struct ObservedProperty;
    static const ObservedProperty kObserved[];

    static void wakeup(void* self);
    void drain();
    void handleEvent(const mpv_event& event);
    void onDuration(const mpv_event_property& property);
    void surfaceReady(bool ready) override;

    int createPlayer(const QByteArray& networkTimeout);
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    bool seekExact(qint64 units);
    void readMediaInfo();

    // Player access; every call checks that the player still exists.
    bool command(std::initializer_list<const char*> args);
    bool setPlayerProperty(const char* name, const QString& value);
    bool setFlag(const char* name, bool value);
    std::optional<double> doubleProperty(const char* name) const;
    std::optional<bool> flagProperty(const char* name) const;

    double unitsPerSecond() const;
    qint64 toUnits(double seconds) const;
    double seekTarget(qint64 units) const;
    double boundTarget(qint64 units) const;
    std::optional<qint64> lengthUnits() const;
    std::optional<qint64> currentUnits();
    void noticeEnd();
    bool atEndOfMedia() const;
    bool landedOn(double target) const;
    void holdPosition(double target);
    int checkUsable() const;
    int checkRange(qint64 units) const;
    void clearLoopAndBound();

    QString m_alias;
    Config m_config;
    MpvHandle m_mpv;
    std::unique_ptr<VideoSurface> m_surface;

    State m_state = State::NotReady;
    TimeFormat m_timeFormat = TimeFormat::Milliseconds;
    bool m_ready = false;
    bool m_closed = false;
    bool m_isUrl = false;
    bool m_live = false;  // a stream of unknown length
    bool m_cdAudio = false;

    // What the player has told us so far.
    qint64 m_entry = -1;  // the player's playlist entry of our file
    bool m_started = false;
    bool m_loaded = false;
    bool m_fileEnded = false;
    int m_endError = 0;
    quint64 m_restarts = 0;
    bool m_seekPending = false;  // a seek has begun and not yet ended
    quint64 m_seeksDone = 0;
    bool m_atEnd = false;  // the media ran out while playing
    int m_busy = 0;        // commands of ours waiting for the player
    double m_duration = 0.0;

    // The media.
    bool m_hasVideo = false;
    bool m_hasAudio = false;
    double m_fps = 0.0;
    double m_origin = 0.0;  // time of the first picture: frame 0
    int m_width = 0;
    int m_height = 0;

    // Device settings.
    qint64 m_speed = 1000;
    qint64 m_volume = 1000;
    bool m_audioOn = true;
    QRect m_destination;
    std::optional<double> m_bound;  // where the range being played ends (media seconds)
    double m_demuxerOffset = 0.0;   // how far before a seek target the reading starts
    qint64 m_lastUnits = 0;
    std::optional<double> m_held;        // where a seek left the device standing (media seconds)
    std::optional<double> m_playedFrom;  // where playing went on from, until it is passed
    std::optional<qint64> m_playStart;   // where the last play started, if it was placed
    QElapsedTimer m_playClock;
};
