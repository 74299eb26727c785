#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <memory>

// Small pictures of one media file at given times, decoded with the ffmpeg libraries on a
// file handle of its own: the seek bar's preview. It is used from one thread at a time;
// only stop() may come from another. Every picture has a budget of bytes read and packets
// decoded, so a file without an index, a damaged one or a ten-hour one gives no picture
// rather than a long wait.
class FrameDecoder {
public:
    struct Limits {
        int width = 160;               // the picture's width; the height keeps the aspect
        qint64 maxBytes = 48ll << 20;  // read for one picture
        int maxPackets = 1500;         // video packets read to find a keyframe, and decoded
        int maxTries = 5;              // seeks to find the keyframe at or before a time
    };
    enum class Opened { Ok, NoVideo, Failed };
    struct Picture {
        QImage image;           // null: no picture
        double seconds = -1.0;  // the time of the frame shown, from the first picture
    };

    explicit FrameDecoder(const Limits& limits);
    FrameDecoder() : FrameDecoder(Limits()) {}
    ~FrameDecoder();
    FrameDecoder(const FrameDecoder&) = delete;
    FrameDecoder& operator=(const FrameDecoder&) = delete;

    // Opens path (a local file; a URL is no file here and has no video).
    Opened open(const QString& path);
    void close();
    bool isOpen() const;

    // The keyframe at or before seconds (from the first picture): one picture decoded.
    Picture keyframeAt(double seconds);
    // The frame shown at seconds: from the keyframe before it, decoding on to it. goOn is
    // asked between packets; false gives up (a newer request came).
    Picture frameAt(double seconds, const std::function<bool()>& goOn = {});

    // Makes the libraries' reads return at once and every picture give up, from any thread;
    // clearStop() before the next use.
    void stop() { m_stop.store(true); }
    void clearStop() { m_stop.store(false); }

    // What the open file is like, and what the last picture cost.
    double duration() const;       // seconds, 0 when unknown
    bool seeksByBytes() const;     // no index: seeks aim at a byte position
    qint64 lastBytesRead() const;  // by the last picture
    int lastPacketsDecoded() const;

private:
    struct Media;
    Picture decodeAt(double seconds, bool exact, const std::function<bool()>& goOn);

    Limits m_limits;
    std::atomic<bool> m_stop{false};
    std::unique_ptr<Media> m_media;
};
