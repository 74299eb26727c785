#pragma once

#include <QObject>
#include <QString>

#include <optional>

// The playing media as values, for the program's own features beside the MCI command
// strings: where it is and how long it is in seconds, its pictures, whether it is a
// stream, and signals when a file has been loaded and when it has been closed. Times
// count from the first picture, whatever time format the device is set to.
class PlaybackSession : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~PlaybackSession() override;

    // A file or stream is open and ready to play.
    virtual bool isOpen() const = 0;
    // The file or URL that is open; "" when none.
    virtual QString fileName() const = 0;
    virtual bool hasVideo() const = 0;
    // The open media is a stream (a URL), not a file.
    virtual bool isStream() const = 0;
    // Seconds; nullopt when nothing is open (or the stream has not started).
    virtual std::optional<double> position() const = 0;
    // Seconds; nullopt when nothing is open or the length is not known (a live stream).
    virtual std::optional<double> duration() const = 0;
    // Pictures a second; 0 without pictures.
    virtual double frameRate() const = 0;
    // Pictures in the whole length; 0 without pictures or without a length.
    virtual qint64 frameCount() const = 0;
    // Pictures dropped (by the decoder or the output, as too late) since the file was
    // loaded; 0 when nothing is open.
    virtual qint64 droppedFrames() const = 0;

Q_SIGNALS:
    // A file (or stream) has been opened and is ready to play.
    void loaded(const QString& path);
    // The file that was loaded has been closed.
    void closed();
};
