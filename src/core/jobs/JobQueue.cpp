#include "core/jobs/JobQueue.h"

#include "core/jobs/BatchTexts.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <utility>

JobQueue::JobQueue(ToolOperation op, QObject* parent) : QObject(parent), m_op(op) {
    connect(&m_probe, &ToolProcess::finished, this, &JobQueue::probeEnded, Qt::QueuedConnection);
}

JobQueue::~JobQueue() {
    if (m_job) {
        // Its end must not come back to a queue that is gone.
        disconnect(m_job.get(), nullptr, this, nullptr);
        m_job->setKeepTools(false);
        m_job->requestBreak();
    }
    ToolJob::releaseTools();
}

void JobQueue::add(const QString& source, const QString& skip) {
    BatchItem item;
    item.source = source;
    if (!skip.isEmpty()) {
        item.outcome = BatchItem::Outcome::Skipped;
        item.reason = skip;
    }
    m_items << item;
}

void JobQueue::start() {
    if (m_running) {
        return;
    }
    m_running = true;
    m_current = -1;
    reportProgress(0.0);
    next();
}

void JobQueue::requestBreak() {
    m_breakAsked = true;
    if (m_job) {
        m_job->requestBreak();
    } else if (m_probe.isRunning()) {
        m_probe.stop();
    }
}

void JobQueue::next() {
    while (++m_current < count()) {
        BatchItem& item = m_items[m_current];
        if (item.outcome != BatchItem::Outcome::Pending) {
            continue;
        }
        m_breakAsked = false;
        Q_EMIT fileStarted(m_current + 1, count(), item.source);
        reportProgress(0.0);
        if (m_probing) {
            m_probe.start(batchPlan::probeCommand(item.source), QString());
            return;
        }
        build(batchPlan::MediaFacts());
        return;
    }
    m_current = -1;
    m_running = false;
    ToolJob::releaseTools();
    reportProgress(0.0);
    Q_EMIT finished();
}

void JobQueue::probeEnded(int exitCode) {
    if (m_current < 0 || m_current >= count()) {
        return;
    }
    if (exitCode == breakExitCode || m_breakAsked) {
        fileStopped();
        next();
        return;
    }
    const QString source = m_items.at(m_current).source;
    build(batchPlan::readProbe(exitCode == 0 ? m_probe.output() : QByteArray(),
                               QFileInfo(source).size()));
}

void JobQueue::build(const batchPlan::MediaFacts& facts) {
    BatchItem& item = m_items[m_current];
    if (m_breakAsked) {
        // Break came before the file's job could start.
        fileStopped();
        next();
        return;
    }
    {
        QString skip;
        m_job = m_builder ? m_builder(item.source, facts, &skip) : nullptr;
        if (!m_job) {
            item.outcome = BatchItem::Outcome::Skipped;
            item.reason = skip.isEmpty() ? toolTexts::operationTexts(m_op).failureLine : skip;
            next();
            return;
        }
        if (prepareJob) {
            prepareJob(*m_job);
        }
        // The tools stay for the next file: installed once a batch, not once a file.
        m_job->setKeepTools(true);
        connect(m_job.get(), &ToolJob::stepStarted, this, &JobQueue::stepStarted);
        connect(m_job.get(), &ToolJob::progressChanged, this,
                [this](int percent) { reportProgress(percent / 100.0); });
        // The job's end is taken up on the next turn of the event loop: the job is deleted
        // there, not inside its own signal.
        connect(m_job.get(), &ToolJob::finished, this, &JobQueue::jobEnded, Qt::QueuedConnection);
        m_job->start();
    }
}

void JobQueue::jobEnded() {
    if (!m_job) {
        return;
    }
    const std::unique_ptr<ToolJob> job = std::move(m_job);
    BatchItem& item = m_items[m_current];
    switch (job->result()) {
        case ToolJob::Result::Succeeded:
            item.outcome = BatchItem::Outcome::Done;
            item.outputs = job->outputs();
            item.notes = job->notes();
            break;
        case ToolJob::Result::Aborted:
            fileStopped();
            break;
        case ToolJob::Result::Declined:
            item.outcome = BatchItem::Outcome::Skipped;
            item.reason = toolTexts::operationTexts(m_op).failureLine;
            break;
        default:
            item.outcome = BatchItem::Outcome::Failed;
            item.reason = failureReason(*job, m_op);
            if (job->cause() == ToolJob::Cause::DiskFull) {
                skipRest(batchTexts::diskFull());
            }
            break;
    }
    reportProgress(1.0);
    next();
}

void JobQueue::fileStopped() {
    BatchItem& item = m_items[m_current];
    item.outcome = BatchItem::Outcome::Failed;
    item.reason = batchTexts::stopped();
    int left = 0;
    for (int i = m_current + 1; i < count(); ++i) {
        left += m_items.at(i).outcome == BatchItem::Outcome::Pending ? 1 : 0;
    }
    if (left > 0 && (!askStopRest || askStopRest(left))) {
        skipRest(batchTexts::notReached());
    }
}

void JobQueue::skipRest(const QString& reason) {
    for (int i = m_current + 1; i < count(); ++i) {
        BatchItem& rest = m_items[i];
        if (rest.outcome == BatchItem::Outcome::Pending) {
            rest.outcome = BatchItem::Outcome::Skipped;
            rest.reason = reason;
        }
    }
}

void JobQueue::reportProgress(double withinFile) {
    if (count() == 0) {
        return;
    }
    const double done = m_current < 0 ? (m_running ? 0.0 : count()) : m_current + withinFile;
    const int percent = std::clamp(static_cast<int>(done * 100.0 / count()), 0, 100);
    if (percent > m_percent) {
        m_percent = percent;
        Q_EMIT progressChanged(percent);
    }
}

int JobQueue::doneCount() const {
    return static_cast<int>(std::count_if(m_items.cbegin(), m_items.cend(), [](const BatchItem& i) {
        return i.outcome == BatchItem::Outcome::Done;
    }));
}

QStringList JobQueue::reportLines() const {
    int failed = 0;
    int skipped = 0;
    QStringList lines;
    for (const BatchItem& item : m_items) {
        switch (item.outcome) {
            case BatchItem::Outcome::Done: {
                QString line = batchTexts::doneLine(item.source, item.outputs.value(0));
                if (item.outputs.size() > 1) {
                    line += batchTexts::moreOutputs(static_cast<int>(item.outputs.size()));
                }
                lines << line;
                for (const QString& note : item.notes) {
                    lines << batchTexts::noteLine(note);
                }
                break;
            }
            case BatchItem::Outcome::Failed:
                ++failed;
                lines << batchTexts::failedLine(item.source, item.reason);
                break;
            case BatchItem::Outcome::Skipped:
            case BatchItem::Outcome::Pending:
                ++skipped;
                lines << batchTexts::skippedLine(
                    item.source, item.reason.isEmpty() ? batchTexts::notReached() : item.reason);
                break;
        }
    }
    lines.prepend(batchTexts::reportHead(doneCount(), failed, skipped));
    return lines;
}

QString JobQueue::failureReason(const ToolJob& job, ToolOperation op) {
    const QString cause = job.causeLine();
    if (!cause.isEmpty()) {
        return cause;
    }
    const QString said = job.toolSaid();
    return said.isEmpty() ? toolTexts::operationTexts(op).failureLine : said;
}
