#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>
#include <utility>

class MpvPlayer;

// How a device's positions map onto the media's time: frames of the picture, or
// milliseconds (media without a picture count milliseconds as their frames).
struct MediaTiming {
    bool frames = false;  // the device's time format is frames
    bool hasVideo = false;
    double fps = 0.0;
    double origin = 0.0;    // time of the first picture: frame 0
    double duration = 0.0;  // seconds, 0 when not known

    double unitsPerSecond() const;
    qint64 toUnits(double seconds) const;
    // Where the player seeks to show the frame (or millisecond) units.
    double seekTarget(qint64 units) const;
    // Where playing stops so that the frame units is still shown.
    double boundTarget(qint64 units) const;
};

// The rules that make the player land exactly on a frame: its exact seek, checked
// against where it really landed, and retried from further back where a container
// starts reading after the key frame the target needs. The whole seek has a time
// limit, so the program's input never waits long. It also keeps where a seek or a pause
// left the device standing, since the player's own clock lags behind both.
class ExactSeek {
public:
    // stopped: the device was closed meanwhile, and the seek is abandoned.
    ExactSeek(MpvPlayer& player, int timeoutMs, std::function<bool()> stopped);

    // Seeks to target (media seconds); false when the seek could not be made. Where the
    // device then stands, as far as it is known, is held().
    bool seek(double target, const MediaTiming& timing);

    // Where the device stands while it does not play (media seconds), when known.
    std::optional<double> held() const { return m_held; }
    void hold(double seconds) { m_held = seconds; }
    // Playing goes on from where the device stood.
    void startPlaying() { m_playedFrom = std::exchange(m_held, std::nullopt); }
    // Paused while playing, the player's clock at at (when it has one).
    void pausedAt(std::optional<double> at);
    // Where playing went on from, while the player's clock (at) has not passed it yet and
    // the device plays; nullopt otherwise, and from then on.
    std::optional<double> notYetPassed(double at, bool playing);

private:
    bool landedOn(double target, const MediaTiming& timing) const;
    double standing(double target, const MediaTiming& timing) const;
    void useDemuxerOffset(double seconds);

    MpvPlayer& m_player;
    int m_timeoutMs;
    std::function<bool()> m_stopped;
    double m_demuxerOffset = 0.0;        // how far before a seek target the reading starts
    std::optional<double> m_held;        // where a seek left the device standing
    std::optional<double> m_playedFrom;  // where playing went on from, until it is passed
};
