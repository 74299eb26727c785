#include "core/media/MpvSession.h"

#include "core/media/MciErrors.h"
#include "core/media/PlaybackLog.h"
#include "core/media/VideoSurfaceProvider.h"
#include "core/settings/TextFiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

// Every property the session watches, with what it does on a change. The index in this
// table is the reply id the player sends back.
struct MpvSession::ObservedProperty {
    const char* name;
    mpv_format format;
    void (MpvSession::*handler)(const mpv_event_property&);
};

const MpvSession::ObservedProperty MpvSession::kObserved[] = {
    {"duration", MPV_FORMAT_DOUBLE, &MpvSession::onDuration},
};

namespace {

// Counts a command of ours as running for as long as it lives.
class BusyScope {
public:
    explicit BusyScope(int& counter) : m_counter(counter) { ++m_counter; }
    ~BusyScope() { --m_counter; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int& m_counter;
};

QByteArray number(double value) {
    return QByteArray::number(value, 'f', 6);
}

QString whole(qint64 value) {
    return QString::number(value);
}

// What the track list tells about the media.
struct TrackInfo {
    bool video = false;
    bool audio = false;
    double fps = 0.0;
    int width = 0;
    int height = 0;
};

const mpv_node* mapValue(const mpv_node& map, const char* key) {
    if (map.format != MPV_FORMAT_NODE_MAP || map.u.list == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < map.u.list->num; ++i) {
        if (qstrcmp(map.u.list->keys[i], key) == 0) {
            return &map.u.list->values[i];
        }
    }
    return nullptr;
}

QByteArray nodeString(const mpv_node* node) {
    return node != nullptr && node->format == MPV_FORMAT_STRING ? QByteArray(node->u.string)
                                                                : QByteArray();
}

bool nodeFlag(const mpv_node* node) {
    return node != nullptr && node->format == MPV_FORMAT_FLAG && node->u.flag != 0;
}

double nodeDouble(const mpv_node* node) {
    if (node == nullptr) {
        return 0.0;
    }
    if (node->format == MPV_FORMAT_DOUBLE) {
        return node->u.double_;
    }
    return node->format == MPV_FORMAT_INT64 ? static_cast<double>(node->u.int64) : 0.0;
}

int nodeInt(const mpv_node* node) {
    return static_cast<int>(std::lround(nodeDouble(node)));
}

// Reads the track list: whether there is a picture and a sound, and the picture's
// rate and size as the container gives them.
TrackInfo readTracks(mpv_handle* mpv) {
    TrackInfo info;
    mpv_node list;
    if (mpv_get_property(mpv, "track-list", MPV_FORMAT_NODE, &list) < 0) {
        return info;
    }
    if (list.format == MPV_FORMAT_NODE_ARRAY && list.u.list != nullptr) {
        for (int i = 0; i < list.u.list->num; ++i) {
            const mpv_node& track = list.u.list->values[i];
            const QByteArray type = nodeString(mapValue(track, "type"));
            if (type == "audio") {
                info.audio = true;
            } else if (type == "video" && !nodeFlag(mapValue(track, "albumart")) && !info.video) {
                info.video = true;
                info.fps = nodeDouble(mapValue(track, "demux-fps"));
                info.width = nodeInt(mapValue(track, "demux-w"));
                info.height = nodeInt(mapValue(track, "demux-h"));
            }
        }
    }
    mpv_free_node_contents(&list);
    return info;
}

}  // namespace

MpvSession::MpvSession(const QString& alias, const Config& config, MpvHandle spare)
    : m_alias(alias), m_config(config), m_mpv(std::move(spare)) {}

MpvSession::~MpvSession() {
    // Tear-down order: no more wakeups, then the render context (inside the surface),
    // then the player itself.
    if (m_mpv) {
        mpv_set_wakeup_callback(m_mpv.get(), nullptr, nullptr);
    }
    m_surface.reset();
    m_mpv.reset();
}

int MpvSession::open(const QString& element, bool isUrl, bool cdAudio, quintptr parentWindow) {
    m_isUrl = isUrl;
    m_cdAudio = cdAudio;
    const int timeoutMs = isUrl ? m_config.streamOpenTimeoutMs : m_config.openTimeoutMs;
    const QByteArray networkTimeout = QByteArray::number(std::max(1, timeoutMs / 1000));
    if (m_mpv) {
        // A player left by a closed device: back to how a new one starts.
        const std::pair<const char*, const char*> settings[] = {
            {"vo", "null"},
            {"pause", "yes"},
            {"speed", "1"},
            {"volume", "100"},
            {"mute", "no"},
            {"end", "none"},
            {"loop-file", "no"},
            {"ab-loop-a", "no"},
            {"ab-loop-b", "no"},
            {"hr-seek-demuxer-offset", "0"},
            {"network-timeout", networkTimeout.constData()},
        };
        for (const auto& [name, value] : settings) {
            mpv_set_property_string(m_mpv.get(), name, value);
        }
    } else {
        const int error = createPlayer(networkTimeout);
        if (error != mcierr::kNone) {
            return error;
        }
    }
    mpv_handle* handle = m_mpv.get();
    mpv_set_wakeup_callback(handle, &MpvSession::wakeup, this);

    if (parentWindow != 0 && m_config.surfaces != nullptr) {
        m_surface = m_config.surfaces->createSurface(parentWindow, handle, this);
    }

    const QByteArray target =
        cdAudio ? QByteArray("cdda://") : (isUrl ? element.toUtf8() : encodeText(element));
    // Events of the file the player had before are told apart by the playlist entry.
    const char* load[] = {"loadfile", target.constData(), nullptr};
    mpv_node result;
    if (mpv_command_ret(handle, load, &result) < 0) {
        return mcierr::kInvalidFile;
    }
    m_entry = static_cast<qint64>(nodeDouble(mapValue(result, "playlist_entry_id")));
    mpv_free_node_contents(&result);
    const bool opened = waitUntil(
        [this] { return m_closed || m_fileEnded || (m_loaded && m_restarts > 0); }, timeoutMs);
    if (m_closed) {
        return mcierr::kDeviceNotReady;
    }
    if (!opened) {
        command({"stop"});
        return mcierr::kDeviceNotReady;
    }
    if (m_fileEnded || !m_loaded) {
        return isUrl || cdAudio ? mcierr::kFileNotFound : mcierr::kInvalidFile;
    }
    readMediaInfo();
    if (m_surface && !m_hasVideo) {
        m_surface->setVisible(false);
    }
    if (!m_hasVideo && !m_hasAudio) {
        command({"stop"});
        return mcierr::kInvalidFile;
    }
    // A stream that does not say how long it is goes on for ever; the player's guess
    // from what has arrived so far is no length.
    m_live = isUrl && !doubleProperty("file-size").has_value();
    m_state = State::Stopped;
    m_ready = true;
    return mcierr::kNone;
}

int MpvSession::createPlayer(const QByteArray& networkTimeout) {
    mpv_handle* handle = mpv_create();
    if (handle == nullptr) {
        return mcierr::kCannotLoadDriver;
    }
    m_mpv = MpvHandle(handle);
    const QByteArray audioOutput = m_config.audioOutput.toUtf8();
    // The device opens stopped at its first frame, keeps its last frame at the end,
    // and seeks exactly; nothing of the player's own user interface or configuration.
    const std::pair<const char*, const char*> options[] = {
        {"vo", "null"},
        {"ao", audioOutput.constData()},
        {"pause", "yes"},
        {"idle", "yes"},
        {"keep-open", "yes"},
        {"keep-open-pause", "yes"},
        {"hr-seek", "yes"},
        {"terminal", "no"},
        {"config", "no"},
        {"load-scripts", "no"},
        {"osc", "no"},
        {"ytdl", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"audio-display", "no"},
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"resume-playback", "no"},
        {"osd-level", "0"},
        {"hwdec", "no"},
        {"gpu-hwdec-interop", "no"},
        {"network-timeout", networkTimeout.constData()},
    };
    for (const auto& [name, value] : options) {
        mpv_set_option_string(handle, name, value);
    }
    if (mpv_initialize(handle) < 0) {
        m_mpv.reset();
        return mcierr::kCannotLoadDriver;
    }
    for (size_t i = 0; i < std::size(kObserved); ++i) {
        mpv_observe_property(handle, i, kObserved[i].name, kObserved[i].format);
    }
    return mcierr::kNone;
}

MpvHandle MpvSession::releasePlayer() {
    if (!m_mpv || m_surface) {
        return MpvHandle();
    }
    // The player lets go of this file by itself, without anyone waiting for it: the
    // device that gets it next tells this file's late events apart by the playlist entry.
    mpv_set_wakeup_callback(m_mpv.get(), nullptr, nullptr);
    command({"stop"});
    return std::move(m_mpv);
}

void MpvSession::readMediaInfo() {
    const TrackInfo tracks = readTracks(m_mpv.get());
    m_hasVideo = tracks.video;
    m_hasAudio = tracks.audio || m_cdAudio;
    m_duration = doubleProperty("duration").value_or(0.0);
    if (m_hasVideo) {
        m_fps = doubleProperty("container-fps").value_or(0.0);
        if (!(m_fps > 0.0)) {
            m_fps = tracks.fps > 0.0 ? tracks.fps : 25.0;
        }
        m_width = static_cast<int>(std::lround(doubleProperty("dwidth").value_or(0.0)));
        m_height = static_cast<int>(std::lround(doubleProperty("dheight").value_or(0.0)));
        if (m_width <= 0 || m_height <= 0) {
            m_width = tracks.width;
            m_height = tracks.height;
        }
    }
    // Frame 0 is the first picture, which need not be at time 0.
    m_origin = std::max(0.0, doubleProperty("time-pos").value_or(0.0));
}

void MpvSession::close() {
    if (m_closed) {
        return;
    }
    m_closed = true;
    m_ready = false;
    if (m_mpv) {
        command({"stop"});
    }
    m_surface.reset();
    Q_EMIT changed();
}

// ---- events -------------------------------------------------------------------------

void MpvSession::wakeup(void* self) {
    // Called on a player thread: only queue a drain on ours.
    QMetaObject::invokeMethod(static_cast<MpvSession*>(self), &MpvSession::drain,
                              Qt::QueuedConnection);
}

void MpvSession::drain() {
    if (!m_mpv) {
        return;
    }
    bool any = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_mpv.get(), 0);
        if (event == nullptr || event->event_id == MPV_EVENT_NONE) {
            break;
        }
        handleEvent(*event);
        any = true;
    }
    if (any) {
        Q_EMIT changed();
    }
}

void MpvSession::handleEvent(const mpv_event& event) {
    qCDebug(lcPlayback) << m_alias << "event" << mpv_event_name(event.event_id);
    switch (event.event_id) {
        case MPV_EVENT_START_FILE: {
            const auto* start = static_cast<const mpv_event_start_file*>(event.data);
            m_started = m_started || (start != nullptr && start->playlist_entry_id == m_entry);
            break;
        }
        case MPV_EVENT_FILE_LOADED:
            m_loaded = m_started;
            break;
        case MPV_EVENT_SEEK:
            m_seekPending = m_started;
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            if (!m_started) {
                break;
            }
            ++m_restarts;
            // Only a restart that follows a seek ends one; starting to play after a pause
            // also restarts playback.
            if (m_seekPending) {
                m_seekPending = false;
                ++m_seeksDone;
            }
            break;
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event.data);
            if (end != nullptr && end->playlist_entry_id == m_entry &&
                end->reason != MPV_END_FILE_REASON_REDIRECT) {
                m_fileEnded = true;
                if (end->reason == MPV_END_FILE_REASON_ERROR) {
                    m_endError = end->error;
                }
            }
            break;
        }
        case MPV_EVENT_SHUTDOWN:
            m_fileEnded = true;
            break;
        case MPV_EVENT_PROPERTY_CHANGE: {
            const auto* property = static_cast<const mpv_event_property*>(event.data);
            const quint64 index = event.reply_userdata;
            if (property != nullptr && index < std::size(kObserved) &&
                property->format == kObserved[index].format) {
                (this->*kObserved[index].handler)(*property);
            }
            break;
        }
        default:
            break;
    }
}

void MpvSession::onDuration(const mpv_event_property& property) {
    if (m_isUrl && m_started) {
        m_duration = *static_cast<const double*>(property.data);
    }
}

void MpvSession::surfaceReady(bool ready) {
    // The picture goes to the surface only while it can draw; otherwise the player keeps
    // decoding into nothing, so positions and frames stay the same either way.
    if (m_mpv) {
        setPlayerProperty("vo", ready ? QStringLiteral("libmpv") : QStringLiteral("null"));
    }
}

bool MpvSession::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    drain();
    if (done()) {
        return true;
    }
    if (QCoreApplication::instance() == nullptr) {
        // No event loop to keep alive: wait on the player directly.
        const QDeadlineTimer deadline(timeoutMs);
        while (!done() && !deadline.hasExpired() && m_mpv) {
            const double left = static_cast<double>(deadline.remainingTime()) / 1000.0;
            const mpv_event* event = mpv_wait_event(m_mpv.get(), std::max(0.0, left));
            if (event != nullptr && event->event_id != MPV_EVENT_NONE) {
                handleEvent(*event);
            }
        }
        return done();
    }
    // The program's window keeps painting and its timers keep running while the
    // device works; only the user's input waits until the command has returned.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(this, &MpvSession::changed, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    deadline.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return done();
}

// ---- player access ------------------------------------------------------------------

bool MpvSession::command(std::initializer_list<const char*> args) {
    if (!m_mpv) {
        return false;
    }
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    return mpv_command(m_mpv.get(), argv.data()) >= 0;
}

bool MpvSession::setPlayerProperty(const char* name, const QString& value) {
    return m_mpv && mpv_set_property_string(m_mpv.get(), name, value.toUtf8().constData()) >= 0;
}

bool MpvSession::setFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    return m_mpv && mpv_set_property(m_mpv.get(), name, MPV_FORMAT_FLAG, &flag) >= 0;
}

std::optional<double> MpvSession::doubleProperty(const char* name) const {
    double value = 0.0;
    if (!m_mpv || mpv_get_property(m_mpv.get(), name, MPV_FORMAT_DOUBLE, &value) < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> MpvSession::flagProperty(const char* name) const {
    int value = 0;
    if (!m_mpv || mpv_get_property(m_mpv.get(), name, MPV_FORMAT_FLAG, &value) < 0) {
        return std::nullopt;
    }
    return value != 0;
}

// ---- positions ----------------------------------------------------------------------

double MpvSession::unitsPerSecond() const {
    // Media without a picture count milliseconds as their frames.
    return m_timeFormat == TimeFormat::Frames && m_hasVideo ? m_fps : 1000.0;
}

qint64 MpvSession::toUnits(double seconds) const {
    return std::max<qint64>(0, std::llround((seconds - m_origin) * unitsPerSecond()));
}

double MpvSession::seekTarget(qint64 units) const {
    // A quarter frame before the frame itself, so the player's exact seek stops on it
    // even when time stamps are rounded.
    const double frames = m_timeFormat == TimeFormat::Frames && m_hasVideo
                              ? static_cast<double>(units) - 0.25
                              : static_cast<double>(units);
    return std::max(0.0, m_origin + frames / unitsPerSecond());
}

double MpvSession::boundTarget(qint64 units) const {
    // A quarter frame after the last frame to show, so that frame is still shown.
    const double frames = m_timeFormat == TimeFormat::Frames && m_hasVideo
                              ? static_cast<double>(units) + 0.25
                              : static_cast<double>(units);
    return m_origin + frames / unitsPerSecond();
}

std::optional<qint64> MpvSession::lengthUnits() const {
    // A file keeps the length it had when it was opened (the player may correct it once
    // it reaches the end); a stream's length may become known later.
    const double duration =
        m_isUrl ? (m_live ? 0.0 : doubleProperty("duration").value_or(0.0)) : m_duration;
    if (!(duration > 0.0)) {
        return std::nullopt;  // a live stream
    }
    return std::llround(duration * unitsPerSecond());
}

void MpvSession::noticeEnd() {
    // While a command of ours waits (a timer may ask for the mode meanwhile), the
    // player is paused on purpose.
    if (m_state != State::Playing) {
        return;
    }
    // At the end the player pauses by itself (it keeps the file open), once the sound
    // it has handed out has been heard. Its end-of-file flag comes earlier than that,
    // and some containers make it seek back to their last frame.
    if (m_fileEnded || flagProperty("pause").value_or(false)) {
        setFlag("pause", true);
        m_atEnd = true;
        m_state = State::Stopped;
    }
}

bool MpvSession::atEndOfMedia() const {
    return m_atEnd && !m_bound;
}

std::optional<qint64> MpvSession::currentUnits() {
    noticeEnd();
    if (atEndOfMedia()) {
        // MCI holds the position at the length once the media has run out.
        if (const auto length = lengthUnits()) {
            return length;
        }
    }
    if (m_state != State::Playing && m_held) {
        return toUnits(*m_held);
    }
    const auto seconds = doubleProperty("time-pos");
    if (!seconds) {
        if (m_fileEnded) {
            return m_lastUnits;
        }
        return std::nullopt;
    }
    if (m_playedFrom && m_state == State::Playing && *seconds < *m_playedFrom) {
        // Just after a start the sound output still plays what it held before, and the
        // player counts back by that much: the device has not gone back in time.
        return toUnits(*m_playedFrom);
    }
    m_playedFrom.reset();
    m_lastUnits = toUnits(*seconds);
    return m_lastUnits;
}

int MpvSession::checkUsable() const {
    if (m_closed) {
        return mcierr::kInvalidDeviceName;
    }
    return m_ready ? mcierr::kNone : mcierr::kDeviceNotReady;
}

int MpvSession::checkRange(qint64 units) const {
    if (units < 0) {
        return mcierr::kOutOfRange;
    }
    const auto length = lengthUnits();
    return length && units > *length ? mcierr::kOutOfRange : mcierr::kNone;
}

void MpvSession::clearLoopAndBound() {
    setPlayerProperty("end", QStringLiteral("none"));
    setPlayerProperty("loop-file", QStringLiteral("no"));
    setPlayerProperty("ab-loop-a", QStringLiteral("no"));
    setPlayerProperty("ab-loop-b", QStringLiteral("no"));
    m_bound.reset();
}

bool MpvSession::landedOn(double target) const {
    const auto at = doubleProperty("time-pos");
    if (!at) {
        return false;
    }
    qCDebug(lcPlayback) << m_alias << "seek target" << target << "landed" << *at;
    if (!m_hasVideo) {
        return std::abs(*at - target) < 0.01;  // sound seeks to the sample
    }
    // A picture shown is one of the video's frames; a position between frames means the
    // picture ran out before the target and the sound's position is shown instead.
    const double frames = (*at - m_origin) * m_fps;
    const bool onFrame = std::abs(frames - std::round(frames)) < 0.1;
    return onFrame && *at > target - 0.001 && *at < target + 1.0 / m_fps - 0.001;
}

bool MpvSession::seekExact(qint64 units) {
    const BusyScope busy(m_busy);
    m_atEnd = false;
    const double target = seekTarget(units);
    const QByteArray targetText = number(target);
    // Close to the end the frame asked for may not exist; the player then shows its
    // last one, which is right.
    const double lastStretch = m_hasVideo ? 2.0 / m_fps : 0.1;
    const bool check = m_hasVideo && !(m_duration > 0.0 && target >= m_duration - lastStretch);
    const double keptOffset = m_demuxerOffset;
    // The whole seek, retries included, has a bound: the user's input waits meanwhile.
    const QDeadlineTimer deadline(m_config.seekTimeoutMs);
    for (int attempt = 0;; ++attempt) {
        drain();
        const quint64 before = m_seeksDone;
        if (!command({"seek", targetText.constData(), "absolute+exact"})) {
            return false;
        }
        const bool restarted =
            waitUntil([this, before] { return m_closed || m_fileEnded || m_seeksDone > before; },
                      static_cast<int>(deadline.remainingTime()));
        if (m_closed) {
            return false;
        }
        if (!restarted) {
            // The seek goes on by itself; the frame it lands on is shown when it comes.
            m_held = target;
            break;
        }
        if (!check) {
            // The end of the file can come before the player has moved its picture,
            // leaving the old position for a moment: wait until it is near the end,
            // else keep the target, which the last frame stands for.
            const double nearEnd = target - lastStretch - 0.1;
            waitUntil(
                [this, nearEnd] {
                    const auto at = doubleProperty("time-pos");
                    return m_closed || (at && *at >= nearEnd);
                },
                static_cast<int>(std::min<qint64>(1000, deadline.remainingTime())));
            const auto at = doubleProperty("time-pos");
            if (at && *at >= nearEnd) {
                holdPosition(target);
            } else {
                m_held = target;
            }
            return true;
        }
        if (landedOn(target)) {
            holdPosition(target);
            return true;
        }
        if (attempt == 7 || deadline.hasExpired()) {
            holdPosition(target);
            break;
        }
        // Some containers (MPEG program streams, FLVs with reordered frames) start
        // reading after the key frame the target needs. Start further back, and keep
        // what worked for the rest of this file.
        m_demuxerOffset = m_demuxerOffset > 0.0 ? std::min(m_demuxerOffset * 2.0, 32.0) : 0.25;
        setPlayerProperty("hr-seek-demuxer-offset", QString::fromLatin1(number(m_demuxerOffset)));
    }
    // No start helped in time: the file has no picture at that time (a gap in its
    // frames), or the player is too slow for it; the nearest frame it has is shown.
    m_demuxerOffset = keptOffset;
    setPlayerProperty("hr-seek-demuxer-offset", QString::fromLatin1(number(m_demuxerOffset)));
    return true;
}

void MpvSession::holdPosition(double target) {
    // The player's own position is not always up to date right after a seek while it
    // stands still (with sound only it may show the old one): keep what the seek did.
    // A picture's time is the frame shown; sound lands on the target itself.
    m_held = target;
    if (m_hasVideo) {
        if (const auto at = doubleProperty("time-pos")) {
            m_held = *at;
        }
    }
}

// ---- commands -----------------------------------------------------------------------

int MpvSession::play(std::optional<qint64> from, std::optional<qint64> to, bool repeat) {
    if (const int error = checkUsable()) {
        return error;
    }
    if (from) {
        if (const int error = checkRange(*from)) {
            return error;
        }
    }
    if (to) {
        if (const int error = checkRange(*to)) {
            return error;
        }
    }
    if (from && to && *to < *from) {
        return mcierr::kOutOfRange;
    }
    noticeEnd();
    std::optional<qint64> start = from;
    if (!start && m_atEnd) {
        if (m_bound) {
            // Stopped at the end of a range: go on from there. The player itself
            // still stands at its end and needs to be placed again.
            start = currentUnits();
        } else if (repeat) {
            start = 0;
        } else {
            return mcierr::kNone;  // nothing left to play: the device stays stopped
        }
    }
    clearLoopAndBound();
    if (start) {
        setFlag("pause", true);
        if (!seekExact(*start)) {
            return m_closed ? mcierr::kDeviceNotReady : mcierr::kHardware;
        }
    }
    if (repeat) {
        if (from || to) {
            setPlayerProperty("ab-loop-a",
                              QString::fromLatin1(number(seekTarget(from.value_or(0)))));
            setPlayerProperty("ab-loop-b", to ? QString::fromLatin1(number(boundTarget(*to)))
                                              : QStringLiteral("no"));
        } else {
            setPlayerProperty("loop-file", QStringLiteral("inf"));
        }
    } else if (to) {
        m_bound = boundTarget(*to);
        setPlayerProperty("end", QString::fromLatin1(number(*m_bound)));
    }
    m_playedFrom = std::exchange(m_held, std::nullopt);
    m_atEnd = false;
    setFlag("pause", false);
    m_state = State::Playing;
    m_playStart = start;
    m_playClock.start();
    return mcierr::kNone;
}

int MpvSession::pause() {
    if (const int error = checkUsable()) {
        return error;
    }
    const double frameMs = m_hasVideo ? 1000.0 / m_fps : 40.0;
    const bool justStarted = m_state == State::Playing && m_playStart &&
                             static_cast<double>(m_playClock.elapsed()) < frameMs;
    setFlag("pause", true);
    // A pause right after "play from N" stops on N, as no frame could have been shown
    // since; the player may already have moved on to the next one.
    if (justStarted) {
        if (m_hasVideo && currentUnits() != m_playStart) {
            seekExact(*m_playStart);
        } else {
            m_held = seekTarget(*m_playStart);
        }
    } else if (m_state == State::Playing) {
        // Sound already handed out may still move the player's clock a little after
        // the pause: the position is where the pause came. It is not before where playing
        // went on from: the player may not have shown that place yet.
        if (const auto at = doubleProperty("time-pos")) {
            m_held = m_playedFrom ? std::max(*at, *m_playedFrom) : *at;
        }
    }
    m_playedFrom.reset();
    m_state = State::Paused;
    return mcierr::kNone;
}

int MpvSession::resume() {
    if (const int error = checkUsable()) {
        return error;
    }
    if (m_state == State::Paused) {
        m_playedFrom = std::exchange(m_held, std::nullopt);
        m_atEnd = false;
        setFlag("pause", false);
        m_state = State::Playing;
        return mcierr::kNone;
    }
    return m_state == State::Playing ? mcierr::kNone : play(std::nullopt, std::nullopt, false);
}

int MpvSession::stop() {
    if (const int error = checkUsable()) {
        return error;
    }
    setFlag("pause", true);
    // A stop ends a repeat, but the position (and so the end of a played range) stays.
    setPlayerProperty("loop-file", QStringLiteral("no"));
    setPlayerProperty("ab-loop-a", QStringLiteral("no"));
    setPlayerProperty("ab-loop-b", QStringLiteral("no"));
    m_state = State::Stopped;
    return mcierr::kNone;
}

int MpvSession::seek(qint64 position) {
    if (const int error = checkUsable()) {
        return error;
    }
    if (const int error = checkRange(position)) {
        return error;
    }
    setFlag("pause", true);
    clearLoopAndBound();
    m_state = State::Stopped;
    if (!seekExact(position)) {
        return m_closed ? mcierr::kDeviceNotReady : mcierr::kHardware;
    }
    return mcierr::kNone;
}

int MpvSession::seekToEnd() {
    if (const int error = checkUsable()) {
        return error;
    }
    const auto length = lengthUnits();
    if (!length) {
        return mcierr::kUnsupportedFunction;
    }
    return seek(*length);
}

int MpvSession::step(qint64 frames) {
    if (const int error = checkUsable()) {
        return error;
    }
    qint64 target = currentUnits().value_or(0) + frames;
    target = std::max<qint64>(0, target);
    if (const auto length = lengthUnits()) {
        target = std::min(target, *length);
    }
    setFlag("pause", true);
    clearLoopAndBound();
    m_state = State::Paused;
    if (!seekExact(target)) {
        return m_closed ? mcierr::kDeviceNotReady : mcierr::kHardware;
    }
    return mcierr::kNone;
}

int MpvSession::setTimeFormat(TimeFormat format) {
    if (const int error = checkUsable()) {
        return error;
    }
    m_timeFormat = format;
    return mcierr::kNone;
}

int MpvSession::setSpeed(qint64 speed) {
    if (const int error = checkUsable()) {
        return error;
    }
    if (speed < 10 || speed > 100000) {
        return mcierr::kOutOfRange;
    }
    if (!setPlayerProperty("speed",
                           QString::fromLatin1(number(static_cast<double>(speed) / 1000.0)))) {
        return mcierr::kHardware;
    }
    m_speed = speed;
    return mcierr::kNone;
}

int MpvSession::setVolume(qint64 volume) {
    if (const int error = checkUsable()) {
        return error;
    }
    if (volume < 0 || volume > 1000) {
        return mcierr::kOutOfRange;
    }
    if (!m_hasAudio) {
        return mcierr::kUnsupportedFunction;
    }
    setPlayerProperty("volume", QString::fromLatin1(number(static_cast<double>(volume) / 10.0)));
    m_volume = volume;
    return mcierr::kNone;
}

int MpvSession::setAudio(bool on) {
    if (const int error = checkUsable()) {
        return error;
    }
    if (!m_hasAudio) {
        return mcierr::kUnsupportedFunction;
    }
    setFlag("mute", !on);
    m_audioOn = on;
    return mcierr::kNone;
}

int MpvSession::put(const QRect& rect) {
    if (const int error = checkUsable()) {
        return error;
    }
    if (!m_hasVideo) {
        return mcierr::kNoWindow;
    }
    m_destination = rect;
    if (m_surface) {
        m_surface->setGeometry(rect.x(), rect.y(), rect.width(), rect.height());
        m_surface->setVisible(true);
    }
    return mcierr::kNone;
}

// ---- status -------------------------------------------------------------------------

int MpvSession::mode(QString* reply) {
    if (m_closed) {
        return mcierr::kInvalidDeviceName;
    }
    if (!m_ready) {
        *reply = QStringLiteral("not ready");
        return mcierr::kNone;
    }
    noticeEnd();
    switch (m_state) {
        case State::Playing:
            *reply = QStringLiteral("playing");
            break;
        case State::Paused:
            *reply = QStringLiteral("paused");
            break;
        default:
            *reply = QStringLiteral("stopped");
            break;
    }
    return mcierr::kNone;
}

int MpvSession::length(QString* reply) {
    if (const int error = checkUsable()) {
        return error;
    }
    *reply = whole(lengthUnits().value_or(0));
    return mcierr::kNone;
}

int MpvSession::position(QString* reply) {
    if (const int error = checkUsable()) {
        return error;
    }
    const auto units = currentUnits();
    if (!units) {
        return mcierr::kDeviceNotReady;
    }
    *reply = whole(*units);
    return mcierr::kNone;
}

int MpvSession::frameRate(QString* reply) {
    if (const int error = checkUsable()) {
        return error;
    }
    *reply = whole(m_hasVideo ? std::llround(m_fps * 1000.0) : 1000000);
    return mcierr::kNone;
}

int MpvSession::speed(QString* reply) const {
    if (const int error = checkUsable()) {
        return error;
    }
    *reply = whole(m_speed);
    return mcierr::kNone;
}

int MpvSession::volume(QString* reply) const {
    if (const int error = checkUsable()) {
        return error;
    }
    *reply = whole(m_volume);
    return mcierr::kNone;
}

int MpvSession::audio(QString* reply) const {
    if (const int error = checkUsable()) {
        return error;
    }
    *reply = m_hasAudio && m_audioOn ? QStringLiteral("on") : QStringLiteral("off");
    return mcierr::kNone;
}

int MpvSession::timeFormat(QString* reply) const {
    if (const int error = checkUsable()) {
        return error;
    }
    *reply = m_timeFormat == TimeFormat::Frames ? QStringLiteral("frames")
                                                : QStringLiteral("milliseconds");
    return mcierr::kNone;
}

int MpvSession::ready(QString* reply) const {
    if (m_closed) {
        return mcierr::kInvalidDeviceName;
    }
    *reply = m_ready ? QStringLiteral("true") : QStringLiteral("false");
    return mcierr::kNone;
}

int MpvSession::numberOfTracks(QString* reply) {
    if (const int error = checkUsable()) {
        return error;
    }
    qint64 count = 1;
    if (m_cdAudio) {
        count = std::llround(doubleProperty("chapters").value_or(1.0));
    }
    *reply = whole(count);
    return mcierr::kNone;
}

int MpvSession::trackPosition(qint64 track, QString* reply) {
    if (const int error = checkUsable()) {
        return error;
    }
    if (!m_cdAudio) {
        return mcierr::kUnsupportedFunction;
    }
    // The tracks of a disc are the chapters of the one disc stream.
    const QByteArray name = "chapter-list/" + QByteArray::number(track - 1) + "/time";
    const auto start = doubleProperty(name.constData());
    if (!start) {
        return mcierr::kOutOfRange;
    }
    *reply = whole(std::llround(*start * 1000.0));
    return mcierr::kNone;
}

int MpvSession::trackLength(qint64 track, QString* reply) {
    if (const int error = checkUsable()) {
        return error;
    }
    if (!m_cdAudio) {
        return mcierr::kUnsupportedFunction;
    }
    const QByteArray startName = "chapter-list/" + QByteArray::number(track - 1) + "/time";
    const QByteArray endName = "chapter-list/" + QByteArray::number(track) + "/time";
    const auto start = doubleProperty(startName.constData());
    if (!start) {
        return mcierr::kOutOfRange;
    }
    const double end =
        doubleProperty(endName.constData()).value_or(doubleProperty("duration").value_or(*start));
    *reply = whole(std::llround((end - *start) * 1000.0));
    return mcierr::kNone;
}

int MpvSession::whereSource(QString* reply) {
    if (const int error = checkUsable()) {
        return error;
    }
    if (!m_hasVideo) {
        return mcierr::kNoWindow;
    }
    *reply = QStringLiteral("0 0 %1 %2").arg(m_width).arg(m_height);
    return mcierr::kNone;
}

int MpvSession::whereDestination(bool maximum, QString* reply) {
    if (const int error = checkUsable()) {
        return error;
    }
    if (!m_hasVideo) {
        return mcierr::kNoWindow;
    }
    QRect rect(0, 0, m_width, m_height);
    if (maximum) {
        if (m_surface && !m_surface->parentSize().isEmpty()) {
            rect.setSize(m_surface->parentSize());
        }
    } else if (!m_destination.isNull()) {
        rect = m_destination;
    }
    *reply = QStringLiteral("%1 %2 %3 %4")
                 .arg(rect.x())
                 .arg(rect.y())
                 .arg(rect.width())
                 .arg(rect.height());
    return mcierr::kNone;
}
