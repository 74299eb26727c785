#pragma once

#include "core/media/FrameDecoder.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// A hidden second reader of the open file that makes the seek bar's small pictures. It
// decodes on one worker thread of low priority, on a file handle of its own, so the player
// is never moved, paused or slowed, and its caller never waits. Only the newest request is
// kept: one that comes while another is decoded replaces the one still waiting, and an
// exact picture under way is given up for it. Closing the file or destroying the object
// stops a decode at once.
class FramePreview : public QObject {
    Q_OBJECT

public:
    // Keyframe: the keyframe at or before the time, one picture decoded (fast). Exact: the
    // frame shown at that time, decoded on from that keyframe (for a pointer at rest).
    enum class Precision { Keyframe, Exact };
    enum class State { Closed, Opening, Ready, NoVideo, Failed };

    struct Result {
        quint64 id = 0;
        double requested = 0.0;  // seconds, as asked
        double shown = -1.0;     // the time of the frame in the picture
        Precision precision = Precision::Keyframe;
        QImage picture;  // null: no picture at that time
    };

    explicit FramePreview(const FrameDecoder::Limits& limits = FrameDecoder::Limits(),
                          QObject* parent = nullptr);
    ~FramePreview() override;
    FramePreview(const FramePreview&) = delete;
    FramePreview& operator=(const FramePreview&) = delete;

    // Opens path for pictures (a stream or a sound-only file gives NoVideo); close() lets
    // the file go. Both return at once; the state follows.
    void open(const QString& path);
    void close();
    QString path() const { return m_path; }
    State state() const { return m_state; }

    // Asks for the picture at seconds from the first frame; the answer comes as
    // pictureReady with the returned id, unless a newer request has replaced it.
    quint64 request(double seconds, Precision precision);

Q_SIGNALS:
    void stateChanged(FramePreview::State state);
    void pictureReady(const FramePreview::Result& result);

private:
    struct Job {
        quint64 id = 0;
        quint64 generation = 0;
        double seconds = 0.0;
        Precision precision = Precision::Keyframe;
    };
    struct OpenJob {
        quint64 generation = 0;
        QString path;
    };

    void run();
    void runOpen(const OpenJob& job);
    void runJob(const Job& job);
    bool newerJobWaiting() const;
    void deliverState(quint64 generation, State state);
    void deliver(quint64 generation, const Result& result);

    // The gui thread's side.
    QString m_path;
    State m_state = State::Closed;
    quint64 m_generation = 0;
    quint64 m_lastId = 0;

    // Shared with the worker, under m_lock.
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::optional<OpenJob> m_openJob;
    std::optional<Job> m_job;
    bool m_quit = false;

    // The worker's own.
    FrameDecoder m_decoder;
    quint64 m_openGeneration = 0;
    std::thread m_worker;
};
