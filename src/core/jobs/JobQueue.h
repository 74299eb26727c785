#pragma once

#include "core/jobs/BatchPlan.h"
#include "core/jobs/ToolJob.h"
#include "core/jobs/ToolTexts.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// One file of a batch and what became of it.
struct BatchItem {
    enum class Outcome { Pending, Done, Failed, Skipped };

    QString source;
    Outcome outcome = Outcome::Pending;
    QStringList outputs;  // done: the files it made
    QString reason;       // failed or skipped: why, in the tool's words
    QStringList notes;    // done: what the tool said it mended
};

// Many jobs above the one job engine: the files of a batch are worked on one after another,
// each by a job of its own built when its turn comes, still one job at a time. A file that
// fails does not stop the ones after it; Break stops the job in work and asks whether to stop
// the rest; a full disk stops the rest. Outputs of finished files are kept (each job removes
// only what it half made). The queue never waits: it reports which file is in work, the step
// of its job, how far the whole batch has got, and its end.
class JobQueue : public QObject {
    Q_OBJECT

public:
    // The job of one file, or nullptr with *skip saying why the file is skipped. facts are
    // what the probe found (nothing when the queue does not probe).
    using Builder = std::function<std::unique_ptr<ToolJob>(
        const QString& source, const batchPlan::MediaFacts& facts, QString* skip)>;

    explicit JobQueue(ToolOperation op, QObject* parent = nullptr);
    ~JobQueue() override;

    ToolOperation operation() const { return m_op; }
    // A file of the batch; with skip it is not worked on, for that reason.
    void add(const QString& source, const QString& skip = QString());
    void setBuilder(Builder builder) { m_builder = std::move(builder); }
    // Each file is probed (its length, frame rate, pictures) before its job is built.
    void setProbing(bool probing) { m_probing = probing; }
    // Called with each job before it starts (the host gives it its questions).
    std::function<void(ToolJob&)> prepareJob;
    // Asked after Break stopped a file, with the number of files left: true stops them all.
    // Without an answer the rest are stopped.
    std::function<bool(int left)> askStopRest;

    void start();
    void requestBreak();
    bool isRunning() const { return m_running; }

    const QList<BatchItem>& items() const { return m_items; }
    int count() const { return static_cast<int>(m_items.size()); }
    // The file in work (0-based), -1 before the start and after the end.
    int current() const { return m_current; }
    ToolJob* job() const { return m_job.get(); }
    int doneCount() const;
    // The report's text: a head line, then one line a file (and a line for each note).
    QStringList reportLines() const;

    // Why a failed job failed, in the tool's words: what the job found wrong, else the last
    // thing its tool said, else the operation's failure line.
    static QString failureReason(const ToolJob& job, ToolOperation op);

Q_SIGNALS:
    // File index (1-based) of count is now in work.
    void fileStarted(int index, int count, const QString& source);
    // The job of the file in work is at step index of count.
    void stepStarted(int count, int index);
    // The whole batch's progress in percent; it never goes back.
    void progressChanged(int percent);
    void finished();

private:
    void next();
    void build(const batchPlan::MediaFacts& facts);
    void probeEnded(int exitCode);
    void jobEnded();
    void skipRest(const QString& reason);
    // Break stopped the file in work: asks whether the rest go too.
    void fileStopped();
    void reportProgress(double withinFile);

    ToolOperation m_op;
    Builder m_builder;
    QList<BatchItem> m_items;
    std::unique_ptr<ToolJob> m_job;
    ToolProcess m_probe;
    bool m_probing = false;
    int m_current = -1;
    int m_percent = -1;
    bool m_running = false;
    bool m_breakAsked = false;
};
