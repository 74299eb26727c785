#include "core/media/MpvPlayer.h"

#include "core/media/PlaybackLog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

// Every property the player watches, with what it does on a change. The index in this
// table is the reply id the player sends back.
struct MpvPlayer::ObservedProperty {
    const char* name;
    mpv_format format;
    void (MpvPlayer::*handler)(const mpv_event_property&);
};

const MpvPlayer::ObservedProperty MpvPlayer::kObserved[] = {
    {"duration", MPV_FORMAT_DOUBLE, &MpvPlayer::onDuration},
};

namespace {

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
MpvMediaInfo readTracks(mpv_handle* mpv) {
    MpvMediaInfo info;
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

MpvPlayer::MpvPlayer(MpvHandle spare) : m_mpv(std::move(spare)) {}

MpvPlayer::~MpvPlayer() {
    stopListening();
}

bool MpvPlayer::start(const QString& audioOutput, const QByteArray& networkTimeout) {
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
    } else if (!create(audioOutput, networkTimeout)) {
        return false;
    }
    mpv_set_wakeup_callback(m_mpv.get(), &MpvPlayer::wakeup, this);
    return true;
}

bool MpvPlayer::create(const QString& audioOutput, const QByteArray& networkTimeout) {
    mpv_handle* handle = mpv_create();
    if (handle == nullptr) {
        return false;
    }
    m_mpv = MpvHandle(handle);
    const QByteArray outputs = audioOutput.toUtf8();
    // The device opens stopped at its first frame, keeps its last frame at the end,
    // and seeks exactly; nothing of the player's own user interface or configuration.
    const std::pair<const char*, const char*> options[] = {
        {"vo", "null"},
        {"ao", outputs.constData()},
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
        return false;
    }
    for (size_t i = 0; i < std::size(kObserved); ++i) {
        mpv_observe_property(handle, i, kObserved[i].name, kObserved[i].format);
    }
    return true;
}

bool MpvPlayer::load(const QByteArray& target) {
    if (!m_mpv) {
        return false;
    }
    // Events of the file the player had before are told apart by the playlist entry.
    const char* args[] = {"loadfile", target.constData(), nullptr};
    mpv_node result;
    if (mpv_command_ret(m_mpv.get(), args, &result) < 0) {
        return false;
    }
    m_events.entry = static_cast<qint64>(nodeDouble(mapValue(result, "playlist_entry_id")));
    mpv_free_node_contents(&result);
    return true;
}

void MpvPlayer::stopListening() {
    if (m_mpv) {
        mpv_set_wakeup_callback(m_mpv.get(), nullptr, nullptr);
    }
}

MpvHandle MpvPlayer::release() {
    // The player lets go of this file by itself, without anyone waiting for it: the
    // device that gets it next tells this file's late events apart by the playlist entry.
    stopListening();
    command({"stop"});
    return std::move(m_mpv);
}

MpvMediaInfo MpvPlayer::mediaInfo(bool cdAudio) const {
    MpvMediaInfo info = readTracks(m_mpv.get());
    info.audio = info.audio || cdAudio;
    info.duration = doubleProperty("duration").value_or(0.0);
    if (info.video) {
        const double containerFps = doubleProperty("container-fps").value_or(0.0);
        if (containerFps > 0.0) {
            info.fps = containerFps;
        } else if (!(info.fps > 0.0)) {
            info.fps = 25.0;
        }
        const int width = static_cast<int>(std::lround(doubleProperty("dwidth").value_or(0.0)));
        const int height = static_cast<int>(std::lround(doubleProperty("dheight").value_or(0.0)));
        if (width > 0 && height > 0) {
            info.width = width;
            info.height = height;
        }
    } else {
        info.fps = 0.0;
        info.width = 0;
        info.height = 0;
    }
    // Frame 0 is the first picture, which need not be at time 0.
    info.origin = std::max(0.0, doubleProperty("time-pos").value_or(0.0));
    return info;
}

// ---- events -------------------------------------------------------------------------

void MpvPlayer::wakeup(void* self) {
    // Called on a player thread: only queue a drain on ours.
    QMetaObject::invokeMethod(static_cast<MpvPlayer*>(self), &MpvPlayer::drain,
                              Qt::QueuedConnection);
}

void MpvPlayer::drain() {
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

void MpvPlayer::handleEvent(const mpv_event& event) {
    qCDebug(lcPlayback) << "event" << mpv_event_name(event.event_id);
    Events& e = m_events;
    switch (event.event_id) {
        case MPV_EVENT_START_FILE: {
            const auto* start = static_cast<const mpv_event_start_file*>(event.data);
            e.started = e.started || (start != nullptr && start->playlist_entry_id == e.entry);
            break;
        }
        case MPV_EVENT_FILE_LOADED:
            e.loaded = e.started;
            break;
        case MPV_EVENT_SEEK:
            e.seekPending = e.started;
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            if (!e.started) {
                break;
            }
            ++e.restarts;
            // Only a restart that follows a seek ends one; starting to play after a pause
            // also restarts playback.
            if (e.seekPending) {
                e.seekPending = false;
                ++e.seeksDone;
            }
            break;
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event.data);
            if (end != nullptr && end->playlist_entry_id == e.entry &&
                end->reason != MPV_END_FILE_REASON_REDIRECT) {
                e.fileEnded = true;
                if (end->reason == MPV_END_FILE_REASON_ERROR) {
                    e.endError = end->error;
                }
            }
            break;
        }
        case MPV_EVENT_SHUTDOWN:
            e.fileEnded = true;
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

void MpvPlayer::onDuration(const mpv_event_property& property) {
    if (m_events.started) {
        Q_EMIT durationChanged(*static_cast<const double*>(property.data));
    }
}

bool MpvPlayer::waitUntil(const std::function<bool()>& done, int timeoutMs) {
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
    QObject::connect(this, &MpvPlayer::changed, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    deadline.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return done();
}

// ---- properties and commands ----------------------------------------------------------

bool MpvPlayer::command(std::initializer_list<const char*> args) {
    if (!m_mpv) {
        return false;
    }
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    return mpv_command(m_mpv.get(), argv.data()) >= 0;
}

bool MpvPlayer::setPlayerProperty(const char* name, const QString& value) {
    return m_mpv && mpv_set_property_string(m_mpv.get(), name, value.toUtf8().constData()) >= 0;
}

bool MpvPlayer::setFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    return m_mpv && mpv_set_property(m_mpv.get(), name, MPV_FORMAT_FLAG, &flag) >= 0;
}

std::optional<double> MpvPlayer::doubleProperty(const char* name) const {
    double value = 0.0;
    if (!m_mpv || mpv_get_property(m_mpv.get(), name, MPV_FORMAT_DOUBLE, &value) < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> MpvPlayer::flagProperty(const char* name) const {
    int value = 0;
    if (!m_mpv || mpv_get_property(m_mpv.get(), name, MPV_FORMAT_FLAG, &value) < 0) {
        return std::nullopt;
    }
    return value != 0;
}

std::optional<std::pair<double, double>> MpvPlayer::chapterSpan(qint64 index) const {
    const auto start = [this](qint64 chapter) {
        const QByteArray name = "chapter-list/" + QByteArray::number(chapter) + "/time";
        return doubleProperty(name.constData());
    };
    const auto from = start(index);
    if (!from) {
        return std::nullopt;
    }
    // The last one ends with the media.
    return std::make_pair(*from,
                          start(index + 1).value_or(doubleProperty("duration").value_or(*from)));
}

qint64 MpvPlayer::chapterCount() const {
    return std::llround(doubleProperty("chapters").value_or(1.0));
}

void MpvPlayer::endLoops() {
    setPlayerProperty("loop-file", QStringLiteral("no"));
    setPlayerProperty("ab-loop-a", QStringLiteral("no"));
    setPlayerProperty("ab-loop-b", QStringLiteral("no"));
}
