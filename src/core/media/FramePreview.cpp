#include "core/media/FramePreview.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// On Linux a thread has a nice value of its own: the preview gives way to the player and
// the window whenever they want the processor.
constexpr int kWorkerNice = 5;

void lowerThisThreadsPriority() {
    const auto thread = static_cast<id_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, thread, kWorkerNice);
}

}  // namespace

FramePreview::FramePreview(const FrameDecoder::Limits& limits, QObject* parent)
    : QObject(parent), m_decoder(limits) {
    m_worker = std::thread([this] { run(); });
}

FramePreview::~FramePreview() {
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_quit = true;
        m_decoder.stop();
    }
    m_wake.notify_all();
    m_worker.join();
}

void FramePreview::open(const QString& path) {
    m_path = path;
    ++m_generation;
    m_state = path.isEmpty() ? State::Closed : State::Opening;
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_openJob = OpenJob{m_generation, path};
        m_job.reset();
        // Whatever the worker reads now is for the file being left.
        m_decoder.stop();
    }
    m_wake.notify_all();
    Q_EMIT stateChanged(m_state);
}

void FramePreview::close() {
    if (m_path.isEmpty() && m_state == State::Closed) {
        return;
    }
    open(QString());
}

quint64 FramePreview::request(double seconds, Precision precision) {
    const quint64 id = ++m_lastId;
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_job = Job{id, m_generation, seconds, precision};
    }
    m_wake.notify_all();
    return id;
}

bool FramePreview::newerJobWaiting() const {
    const std::lock_guard<std::mutex> lock(m_lock);
    return m_job.has_value() || m_openJob.has_value() || m_quit;
}

void FramePreview::run() {
    lowerThisThreadsPriority();
    for (;;) {
        std::optional<OpenJob> openJob;
        std::optional<Job> job;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait(lock, [this] { return m_quit || m_openJob || m_job; });
            if (m_quit) {
                break;
            }
            if (m_openJob) {
                openJob.swap(m_openJob);
                // Only a new file clears the stop: a stop asked after this is for this file.
                m_decoder.clearStop();
            } else {
                job.swap(m_job);
            }
        }
        if (openJob) {
            runOpen(*openJob);
        } else if (job) {
            runJob(*job);
        }
    }
    m_decoder.close();
}

void FramePreview::runOpen(const OpenJob& job) {
    m_decoder.close();
    m_openGeneration = job.generation;
    if (job.path.isEmpty()) {
        return;
    }
    switch (m_decoder.open(job.path)) {
        case FrameDecoder::Opened::Ok:
            deliverState(job.generation, State::Ready);
            break;
        case FrameDecoder::Opened::NoVideo:
            deliverState(job.generation, State::NoVideo);
            break;
        case FrameDecoder::Opened::Failed:
            deliverState(job.generation, State::Failed);
            break;
    }
}

void FramePreview::runJob(const Job& job) {
    if (job.generation != m_openGeneration || !m_decoder.isOpen()) {
        return;
    }
    Result result;
    result.id = job.id;
    result.requested = job.seconds;
    result.precision = job.precision;
    FrameDecoder::Picture picture;
    if (job.precision == Precision::Keyframe) {
        picture = m_decoder.keyframeAt(job.seconds);
    } else {
        bool givenUp = false;
        picture = m_decoder.frameAt(job.seconds, [this, &givenUp] {
            givenUp = newerJobWaiting();
            return !givenUp;
        });
        if (givenUp) {
            return;
        }
    }
    result.picture = picture.image;
    result.shown = picture.seconds;
    deliver(job.generation, result);
}

void FramePreview::deliverState(quint64 generation, State state) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, state] {
            if (generation == m_generation && m_state != state) {
                m_state = state;
                Q_EMIT stateChanged(state);
            }
        },
        Qt::QueuedConnection);
}

void FramePreview::deliver(quint64 generation, const Result& result) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, result] {
            if (generation == m_generation) {
                Q_EMIT pictureReady(result);
            }
        },
        Qt::QueuedConnection);
}
