#include "core/media/MpvSession.h"

#include "core/media/MciErrors.h"
#include "core/media/VideoSurfaceProvider.h"
#include "core/settings/TextFiles.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QString number(double value) {
    return QString::number(value, 'f', 6);
}

}  // namespace

MpvSession::MpvSession(const QString& alias, const Config& config, MpvHandle spare)
    : m_alias(alias),
      m_config(config),
      m_player(std::move(spare)),
      m_seek(m_player, config.seekTimeoutMs, [this] { return m_closed; }) {
    connect(&m_player, &MpvPlayer::durationChanged, this, [this](double seconds) {
        if (m_isUrl) {
            m_media.duration = seconds;
        }
    });
}

MpvSession::~MpvSession() {
    // Tear-down order: no more wakeups, then the render context (inside the surface),
    // then the player itself.
    m_player.stopListening();
    m_surface.reset();
}

int MpvSession::open(const QString& element, bool isUrl, bool cdAudio, quintptr parentWindow) {
    m_element = element;
    m_isUrl = isUrl;
    m_cdAudio = cdAudio;
    const int timeoutMs = isUrl ? m_config.streamOpenTimeoutMs : m_config.openTimeoutMs;
    const QByteArray networkTimeout = QByteArray::number(std::max(1, timeoutMs / 1000));
    if (!m_player.start(m_config.audioOutput, networkTimeout)) {
        return mcierr::kCannotLoadDriver;
    }
    if (parentWindow != 0 && m_config.surfaces != nullptr) {
        m_surface = m_config.surfaces->createSurface(parentWindow, m_player.handle(), this);
    }

    const QByteArray target =
        cdAudio ? QByteArray("cdda://") : (isUrl ? element.toUtf8() : encodeText(element));
    if (!m_player.load(target)) {
        return mcierr::kInvalidFile;
    }
    const MpvPlayer::Events& events = m_player.events();
    const bool opened = m_player.waitUntil(
        [this, &events] {
            return m_closed || events.fileEnded || (events.loaded && events.restarts > 0);
        },
        timeoutMs);
    if (m_closed) {
        return mcierr::kDeviceNotReady;
    }
    if (!opened) {
        m_player.command({"stop"});
        return mcierr::kDeviceNotReady;
    }
    if (events.fileEnded || !events.loaded) {
        return isUrl || cdAudio ? mcierr::kFileNotFound : mcierr::kInvalidFile;
    }
    m_media = m_player.mediaInfo(m_cdAudio);
    if (m_surface && !m_media.video) {
        m_surface->setVisible(false);
    }
    if (!m_media.video && !m_media.audio) {
        m_player.command({"stop"});
        return mcierr::kInvalidFile;
    }
    // A stream that does not say how long it is goes on for ever; the player's guess
    // from what has arrived so far is no length.
    m_live = isUrl && !m_player.doubleProperty("file-size").has_value();
    m_state = State::Stopped;
    m_ready = true;
    return mcierr::kNone;
}

MpvHandle MpvSession::releasePlayer() {
    if (!m_player || m_surface) {
        return MpvHandle();
    }
    return m_player.release();
}

void MpvSession::close() {
    if (m_closed) {
        return;
    }
    m_closed = true;
    m_ready = false;
    if (m_player) {
        m_player.command({"stop"});
    }
    m_surface.reset();
    m_player.notify();
    Q_EMIT closed();
}

void MpvSession::surfaceReady(bool ready) {
    // The picture goes to the surface only while it can draw; otherwise the player keeps
    // decoding into nothing, so positions and frames stay the same either way.
    if (m_player) {
        m_player.setPlayerProperty("vo", ready ? QStringLiteral("libmpv") : QStringLiteral("null"));
    }
}

// ---- positions ----------------------------------------------------------------------

std::optional<double> MpvSession::lengthSeconds() const {
    // A file keeps the length it had when it was opened (the player may correct it once
    // it reaches the end); a stream's length may become known later.
    const double duration = m_isUrl
                                ? (m_live ? 0.0 : m_player.doubleProperty("duration").value_or(0.0))
                                : m_media.duration;
    return duration > 0.0 ? std::optional<double>(duration) : std::nullopt;  // a live stream
}

std::optional<qint64> MpvSession::lengthUnits() const {
    const auto seconds = lengthSeconds();
    return seconds ? std::optional<qint64>(std::llround(*seconds * timing().unitsPerSecond()))
                   : std::nullopt;
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
    if (m_player.events().fileEnded || m_player.flagProperty("pause").value_or(false)) {
        m_player.setFlag("pause", true);
        m_atEnd = true;
        m_state = State::Stopped;
    }
}

bool MpvSession::atEndOfMedia() const {
    return m_atEnd && !m_bound;
}

std::optional<double> MpvSession::currentTime() {
    noticeEnd();
    if (atEndOfMedia()) {
        // MCI holds the position at the length once the media has run out.
        if (const auto length = lengthSeconds()) {
            return m_media.origin + *length;
        }
    }
    if (m_state != State::Playing && m_seek.held()) {
        return m_seek.held();
    }
    const auto seconds = m_player.doubleProperty("time-pos");
    if (!seconds) {
        return m_player.events().fileEnded ? std::optional<double>(m_lastTime) : std::nullopt;
    }
    if (const auto from = m_seek.notYetPassed(*seconds, m_state == State::Playing)) {
        return from;
    }
    m_lastTime = *seconds;
    return seconds;
}

std::optional<qint64> MpvSession::currentUnits() {
    const auto at = currentTime();
    if (atEndOfMedia()) {
        if (const auto length = lengthUnits()) {
            return length;
        }
    }
    return at ? std::optional<qint64>(timing().toUnits(*at)) : std::nullopt;
}

qint64 MpvSession::droppedFrames() const {
    qint64 dropped = 0;
    for (const char* name : {"frame-drop-count", "decoder-frame-drop-count"}) {
        dropped += std::llround(m_player.doubleProperty(name).value_or(0.0));
    }
    return dropped;
}

std::optional<double> MpvSession::positionSeconds() {
    const auto at = m_ready ? currentTime() : std::nullopt;
    if (!at) {
        return std::nullopt;
    }
    // A picture stands for its whole frame: the time of the frame shown.
    const double seconds = std::max(0.0, *at - m_media.origin);
    return m_media.video ? std::round(seconds * m_media.fps) / m_media.fps : seconds;
}

int MpvSession::usable() const {
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
    m_player.setPlayerProperty("end", QStringLiteral("none"));
    m_player.endLoops();
    m_bound.reset();
}

bool MpvSession::seekExact(qint64 units) {
    m_atEnd = false;
    const MediaTiming t = timing();
    return m_seek.seek(t.seekTarget(units), t);
}

// ---- commands -----------------------------------------------------------------------

int MpvSession::play(std::optional<qint64> from, std::optional<qint64> to, bool repeat) {
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
        m_player.setFlag("pause", true);
        if (!seekExact(*start)) {
            return m_closed ? mcierr::kDeviceNotReady : mcierr::kHardware;
        }
    }
    if (repeat) {
        if (from || to) {
            m_player.setPlayerProperty("ab-loop-a",
                                       (number(timing().seekTarget(from.value_or(0)))));
            m_player.setPlayerProperty(
                "ab-loop-b", to ? (number(timing().boundTarget(*to))) : QStringLiteral("no"));
        } else {
            m_player.setPlayerProperty("loop-file", QStringLiteral("inf"));
        }
    } else if (to) {
        m_bound = timing().boundTarget(*to);
        m_player.setPlayerProperty("end", (number(*m_bound)));
    }
    m_seek.startPlaying();
    m_atEnd = false;
    m_player.setFlag("pause", false);
    m_state = State::Playing;
    m_playStart = start;
    m_playClock.start();
    return mcierr::kNone;
}

int MpvSession::pause() {
    const double frameMs = m_media.video ? 1000.0 / m_media.fps : 40.0;
    const bool justStarted = m_state == State::Playing && m_playStart &&
                             static_cast<double>(m_playClock.elapsed()) < frameMs;
    m_player.setFlag("pause", true);
    // A pause right after "play from N" stops on N, as no frame could have been shown
    // since; the player may already have moved on to the next one.
    if (justStarted) {
        if (m_media.video && currentUnits() != m_playStart) {
            seekExact(*m_playStart);
        } else {
            m_seek.hold(timing().seekTarget(*m_playStart));
        }
    }
    m_seek.pausedAt(m_state == State::Playing && !justStarted ? m_player.doubleProperty("time-pos")
                                                              : std::nullopt);
    m_state = State::Paused;
    return mcierr::kNone;
}

int MpvSession::resume() {
    if (m_state == State::Paused) {
        m_seek.startPlaying();
        m_atEnd = false;
        m_player.setFlag("pause", false);
        m_state = State::Playing;
        return mcierr::kNone;
    }
    return m_state == State::Playing ? mcierr::kNone : play(std::nullopt, std::nullopt, false);
}

int MpvSession::stop() {
    m_player.setFlag("pause", true);
    // A stop ends a repeat, but the position (and so the end of a played range) stays.
    m_player.endLoops();
    m_state = State::Stopped;
    return mcierr::kNone;
}

int MpvSession::seek(qint64 position) {
    if (const int error = checkRange(position)) {
        return error;
    }
    m_player.setFlag("pause", true);
    clearLoopAndBound();
    m_state = State::Stopped;
    if (!seekExact(position)) {
        return m_closed ? mcierr::kDeviceNotReady : mcierr::kHardware;
    }
    return mcierr::kNone;
}

int MpvSession::seekToEnd() {
    const auto length = lengthUnits();
    return length ? seek(*length) : mcierr::kUnsupportedFunction;
}

int MpvSession::step(qint64 frames) {
    qint64 target = currentUnits().value_or(0) + frames;
    target = std::max<qint64>(0, target);
    if (const auto length = lengthUnits()) {
        target = std::min(target, *length);
    }
    m_player.setFlag("pause", true);
    clearLoopAndBound();
    m_state = State::Paused;
    if (!seekExact(target)) {
        return m_closed ? mcierr::kDeviceNotReady : mcierr::kHardware;
    }
    return mcierr::kNone;
}

int MpvSession::setTimeFormat(TimeFormat format) {
    m_timeFormat = format;
    return mcierr::kNone;
}

int MpvSession::setSpeed(qint64 speed) {
    if (speed < 10 || speed > 100000) {
        return mcierr::kOutOfRange;
    }
    if (!m_player.setPlayerProperty("speed", (number(static_cast<double>(speed) / 1000.0)))) {
        return mcierr::kHardware;
    }
    m_speed = speed;
    return mcierr::kNone;
}

int MpvSession::setVolume(qint64 volume) {
    if (volume < 0 || volume > 1000) {
        return mcierr::kOutOfRange;
    }
    if (!m_media.audio) {
        return mcierr::kUnsupportedFunction;
    }
    m_player.setPlayerProperty("volume", (number(static_cast<double>(volume) / 10.0)));
    m_volume = volume;
    return mcierr::kNone;
}

int MpvSession::setAudio(bool on) {
    if (!m_media.audio) {
        return mcierr::kUnsupportedFunction;
    }
    m_player.setFlag("mute", !on);
    m_audioOn = on;
    return mcierr::kNone;
}

int MpvSession::put(const QRect& rect) {
    if (!m_media.video) {
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
    *reply = QLatin1String(m_state == State::Playing  ? "playing"
                           : m_state == State::Paused ? "paused"
                                                      : "stopped");
    return mcierr::kNone;
}

int MpvSession::position(QString* reply) {
    const auto units = currentUnits();
    if (!units) {
        return mcierr::kDeviceNotReady;
    }
    *reply = whole(*units);
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
    *reply = whole(m_cdAudio ? m_player.chapterCount() : 1);
    return mcierr::kNone;
}

int MpvSession::trackPosition(qint64 track, QString* reply) {
    if (!m_cdAudio) {
        return mcierr::kUnsupportedFunction;
    }
    // The tracks of a disc are the chapters of the one disc stream.
    const auto span = m_player.chapterSpan(track - 1);
    if (!span) {
        return mcierr::kOutOfRange;
    }
    *reply = whole(std::llround(span->first * 1000.0));
    return mcierr::kNone;
}

int MpvSession::trackLength(qint64 track, QString* reply) {
    if (!m_cdAudio) {
        return mcierr::kUnsupportedFunction;
    }
    const auto span = m_player.chapterSpan(track - 1);
    if (!span) {
        return mcierr::kOutOfRange;
    }
    *reply = whole(std::llround((span->second - span->first) * 1000.0));
    return mcierr::kNone;
}

int MpvSession::whereSource(QString* reply) {
    if (!m_media.video) {
        return mcierr::kNoWindow;
    }
    return answer(reply, QStringLiteral("0 0 %1 %2").arg(m_media.width).arg(m_media.height));
}

int MpvSession::whereDestination(bool maximum, QString* reply) {
    if (!m_media.video) {
        return mcierr::kNoWindow;
    }
    QRect rect(0, 0, m_media.width, m_media.height);
    if (maximum) {
        if (m_surface && !m_surface->parentSize().isEmpty()) {
            rect.setSize(m_surface->parentSize());
        }
    } else if (!m_destination.isNull()) {
        rect = m_destination;
    }
    return answer(reply, QStringLiteral("%1 %2 %3 %4")
                             .arg(rect.x())
                             .arg(rect.y())
                             .arg(whole(rect.width()), whole(rect.height())));
}
