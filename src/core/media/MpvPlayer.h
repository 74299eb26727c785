#pragma once

#include "core/media/MpvHandle.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

// What the player's track list and properties tell about the media it has opened.
struct MpvMediaInfo {
    bool video = false;
    bool audio = false;
    double fps = 0.0;       // the picture's rate, 25 when nothing tells it
    double duration = 0.0;  // seconds, 0 when not known
    double origin = 0.0;    // time of the first picture
    int width = 0;
    int height = 0;
};

// The access to one libmpv player: made with the program's options (or a player left by
// a closed device, brought back to how a new one starts), its events drained on the
// program's thread into what it has told so far, its properties read and set, and
// waiting for it with the program's event loop running. It knows nothing of MCI.
class MpvPlayer : public QObject {
    Q_OBJECT

public:
    // What the player has told about the file of ours it plays.
    struct Events {
        qint64 entry = -1;  // the player's playlist entry of our file
        bool started = false;
        bool loaded = false;
        bool fileEnded = false;
        int endError = 0;
        quint64 restarts = 0;
        bool seekPending = false;  // a seek has begun and not yet ended
        quint64 seeksDone = 0;
    };

    // spare: a player left by a closed device, used instead of starting a new one.
    explicit MpvPlayer(MpvHandle spare = MpvHandle());
    ~MpvPlayer() override;
    MpvPlayer(const MpvPlayer&) = delete;
    MpvPlayer& operator=(const MpvPlayer&) = delete;

    // Makes the player (or resets the spare one); false when libmpv cannot start.
    bool start(const QString& audioOutput, const QByteArray& networkTimeout);
    // Loads target as the player's only file and starts listening to its events.
    bool load(const QByteArray& target);
    // Stops listening: no event reaches this object any more.
    void stopListening();
    // The player, stopped and idle, for another device (emptied here).
    MpvHandle release();

    mpv_handle* handle() const { return m_mpv.get(); }
    explicit operator bool() const { return static_cast<bool>(m_mpv); }
    const Events& events() const { return m_events; }
    MpvMediaInfo mediaInfo(bool cdAudio) const;

    // Handles every event waiting; emits changed() when there was one.
    void drain();
    // Waits until done() holds or timeoutMs have passed, handling the player's events
    // meanwhile; the window keeps painting, only the user's input waits. done() is asked
    // again whenever changed() is emitted.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    // Wakes whoever waits, to look again.
    void notify() { Q_EMIT changed(); }

    // Every call checks that the player still exists.
    bool command(std::initializer_list<const char*> args);
    bool setPlayerProperty(const char* name, const QString& value);
    bool setFlag(const char* name, bool value);
    std::optional<double> doubleProperty(const char* name) const;
    std::optional<bool> flagProperty(const char* name) const;
    // Where chapter index (from 0) starts and ends, in seconds; nullopt when there is none.
    std::optional<std::pair<double, double>> chapterSpan(qint64 index) const;
    qint64 chapterCount() const;
    // No repeat of the file or of a stretch of it.
    void endLoops();

Q_SIGNALS:
    // Events from the player were handled; waiting commands look again.
    void changed();
    // The file's length as the player now sees it (a stream's may grow).
    void durationChanged(double seconds);

private:
    struct ObservedProperty;
    static const ObservedProperty kObserved[];

    static void wakeup(void* self);
    bool create(const QString& audioOutput, const QByteArray& networkTimeout);
    void handleEvent(const mpv_event& event);
    void onDuration(const mpv_event_property& property);

    MpvHandle m_mpv;
    Events m_events;
};
