#include "core/media/ExactSeek.h"

#include "core/media/MpvPlayer.h"
#include "core/media/PlaybackLog.h"

#include <QDeadlineTimer>
#include <QString>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QString number(double value) {
    return QString::number(value, 'f', 6);
}

}  // namespace

double MediaTiming::unitsPerSecond() const {
    // Media without a picture count milliseconds as their frames.
    return frames && hasVideo ? fps : 1000.0;
}

qint64 MediaTiming::toUnits(double seconds) const {
    return std::max<qint64>(0, std::llround((seconds - origin) * unitsPerSecond()));
}

double MediaTiming::seekTarget(qint64 units) const {
    // A quarter frame before the frame itself, so the player's exact seek stops on it
    // even when time stamps are rounded.
    const double counted =
        frames && hasVideo ? static_cast<double>(units) - 0.25 : static_cast<double>(units);
    return std::max(0.0, origin + counted / unitsPerSecond());
}

double MediaTiming::boundTarget(qint64 units) const {
    // A quarter frame after the last frame to show, so that frame is still shown.
    const double counted =
        frames && hasVideo ? static_cast<double>(units) + 0.25 : static_cast<double>(units);
    return origin + counted / unitsPerSecond();
}

ExactSeek::ExactSeek(MpvPlayer& player, int timeoutMs, std::function<bool()> stopped)
    : m_player(player), m_timeoutMs(timeoutMs), m_stopped(std::move(stopped)) {}

bool ExactSeek::landedOn(double target, const MediaTiming& timing) const {
    const auto at = m_player.doubleProperty("time-pos");
    if (!at) {
        return false;
    }
    qCDebug(lcPlayback) << "seek target" << target << "landed" << *at;
    if (!timing.hasVideo) {
        return std::abs(*at - target) < 0.01;  // sound seeks to the sample
    }
    // A picture shown is one of the video's frames; a position between frames means the
    // picture ran out before the target and the sound's position is shown instead.
    const double frames = (*at - timing.origin) * timing.fps;
    const bool onFrame = std::abs(frames - std::round(frames)) < 0.1;
    return onFrame && *at > target - 0.001 && *at < target + 1.0 / timing.fps - 0.001;
}

double ExactSeek::standing(double target, const MediaTiming& timing) const {
    // The player's own position is not always up to date right after a seek while it
    // stands still (with sound only it may show the old one): keep what the seek did.
    // A picture's time is the frame shown; sound lands on the target itself.
    if (timing.hasVideo) {
        if (const auto at = m_player.doubleProperty("time-pos")) {
            return *at;
        }
    }
    return target;
}

void ExactSeek::useDemuxerOffset(double seconds) {
    m_demuxerOffset = seconds;
    m_player.setPlayerProperty("hr-seek-demuxer-offset", number(seconds));
}

void ExactSeek::pausedAt(std::optional<double> at) {
    // Sound already handed out may still move the player's clock a little after the
    // pause: the position is where the pause came. It is not before where playing went on
    // from: the player may not have shown that place yet.
    if (at) {
        m_held = m_playedFrom ? std::max(*at, *m_playedFrom) : *at;
    }
    m_playedFrom.reset();
}

std::optional<double> ExactSeek::notYetPassed(double at, bool playing) {
    if (playing && m_playedFrom && at < *m_playedFrom) {
        // Just after a start the sound output still plays what it held before, and the
        // player counts back by that much: the device has not gone back in time.
        return m_playedFrom;
    }
    m_playedFrom.reset();
    return std::nullopt;
}

bool ExactSeek::seek(double target, const MediaTiming& timing) {
    const QByteArray targetText = number(target).toLatin1();
    // Close to the end the frame asked for may not exist; the player then shows its
    // last one, which is right.
    const double lastStretch = timing.hasVideo ? 2.0 / timing.fps : 0.1;
    const bool check =
        timing.hasVideo && !(timing.duration > 0.0 && target >= timing.duration - lastStretch);
    const double keptOffset = m_demuxerOffset;
    // The whole seek, retries included, has a bound: the user's input waits meanwhile.
    const QDeadlineTimer deadline(m_timeoutMs);
    for (int attempt = 0;; ++attempt) {
        m_player.drain();
        const quint64 before = m_player.events().seeksDone;
        if (!m_player.command({"seek", targetText.constData(), "absolute+exact"})) {
            return false;
        }
        const bool restarted = m_player.waitUntil(
            [this, before] {
                return m_stopped() || m_player.events().fileEnded ||
                       m_player.events().seeksDone > before;
            },
            static_cast<int>(deadline.remainingTime()));
        if (m_stopped()) {
            return false;
        }
        if (!restarted) {
            // The seek goes on by itself; the frame it lands on is shown when it comes.
            break;
        }
        if (!check) {
            // The end of the file can come before the player has moved its picture,
            // leaving the old position for a moment: wait until it is near the end,
            // else keep the target, which the last frame stands for.
            const double nearEnd = target - lastStretch - 0.1;
            const auto nearTheEnd = [this, nearEnd] {
                const auto at = m_player.doubleProperty("time-pos");
                return at && *at >= nearEnd;
            };
            m_player.waitUntil([&] { return m_stopped() || nearTheEnd(); },
                               static_cast<int>(std::min<qint64>(1000, deadline.remainingTime())));
            m_held = nearTheEnd() ? standing(target, timing) : target;
            return true;
        }
        if (landedOn(target, timing)) {
            m_held = standing(target, timing);
            return true;
        }
        if (attempt == 7 || deadline.hasExpired()) {
            // No start helped in time: the file has no picture at that time (a gap in its
            // frames), or the player is too slow for it; the nearest frame it has is shown.
            m_held = standing(target, timing);
            useDemuxerOffset(keptOffset);
            return true;
        }
        // Some containers (MPEG program streams, FLVs with reordered frames) start
        // reading after the key frame the target needs. Start further back, and keep
        // what worked for the rest of this file.
        useDemuxerOffset(m_demuxerOffset > 0.0 ? std::min(m_demuxerOffset * 2.0, 32.0) : 0.25);
    }
    m_held = target;
    useDemuxerOffset(keptOffset);
    return true;
}
