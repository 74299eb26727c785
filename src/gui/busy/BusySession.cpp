#include "gui/busy/BusySession.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/BatchTexts.h"
#include "core/jobs/ToolJob.h"
#include "gui/busy/InputGuard.h"
#include "gui/busy/frmBatchReport.h"
#include "gui/busy/frmBuzy.h"
#include "gui/widgets/mdlZelvoFLVShell.h"
#include "gui/windows/ListWindow.h"
#include "gui/windows/PlayerWindow.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTime>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace {

float secondsSinceMidnight() {
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
}

bool isShown(const QWidget* window) {
    return window != nullptr && window->isVisible();
}

// Seconds written the way the report always has: two decimals, no leading
// zero before the point (0.5 reads ".50").
QString secondsText(float seconds) {
    QString text = QString::number(static_cast<double>(seconds), 'f', 2);
    if (text.startsWith(QLatin1String("0."))) {
        text.remove(0, 1);
    }
    return text;
}

}  // namespace

BusySession& BusySession::shared() {
    static BusySession session;
    return session;
}

BusySession::BusySession() : m_explorer(explorerSelect) {}

void BusySession::setExplorer(std::function<void(const QString&)> explorer) {
    m_explorer =
        explorer ? std::move(explorer) : std::function<void(const QString&)>(explorerSelect);
}

void BusySession::buzySateShow(bool show, QWidget* ownerForm, bool* aborted) {
    QWidget* mainForm = m_player != nullptr ? m_player->form() : nullptr;
    QWidget* listForm = m_list != nullptr ? m_list->form() : nullptr;
    if (show) {
        m_hiddenForm = 0;
        if (ownerForm != mainForm && isShown(mainForm)) {
            m_hiddenForm = 1;
            mainForm->hide();
        } else if (ownerForm == mainForm && isShown(listForm)) {
            m_hiddenForm = 2;
            listForm->hide();
        }
        if (m_dialog && m_dialog->parentWidget() != ownerForm) {
            delete m_dialog;
        }
        if (!m_dialog) {
            m_dialog = new frmBuzy(ownerForm);
        }
        if (ownerForm != nullptr) {
            m_dialog->setGeometry(ownerForm->frameGeometry());
        }
        m_dialog->setProgress(0);
        m_dialog->show();
        m_dialog->activateWindow();
        // The dialog is painted before the tools are unpacked.
        QCoreApplication::processEvents();
        if (aborted != nullptr) {
            *aborted = false;
        }
        return;
    }

    const bool wasAborted = m_dialog && m_dialog->breakPressed();
    if (wasAborted) {
        msgBox(toolTexts::abortedNotice(), MsgButtons::Ok, QString(), MsgIcon::None, ownerForm);
    }
    if (aborted != nullptr) {
        *aborted = wasAborted;
    }
    delete m_dialog;
    if (m_hiddenForm == 1) {
        showWindow(mainForm);
    } else if (m_hiddenForm == 2) {
        showWindow(listForm);
    }
    if (ownerForm != nullptr) {
        ownerForm->activateWindow();
        ownerForm->setFocus();
    }
    m_hiddenForm = 0;
    QCoreApplication::processEvents();
}

void BusySession::setWindows(PlayerWindow* player, ListWindow* list) {
    m_player = player;
    m_list = list;
}

void BusySession::prepareJob(ToolJob& job) {
    job.askReencode = [this] { return askAudioReencode(); };
    job.askGoOn = [this](const QString& question) {
        return msgBox(question, MsgButtons::OkCancel, titles::notice(), MsgIcon::None,
                      m_dialog.data()) == MsgResult::Ok;
    };
    job.releaseFile = [this](const QString& path) {
        if (m_player != nullptr) {
            m_player->closeRunFn(path);
        }
    };
}

void BusySession::pausePlayer() {
    if (PlayerWindow* player = m_player) {
        player->pausePrFn();
    }
}

bool BusySession::runJob(ToolJob& job, QObject* owner, ToolOperation op) {
    if (m_job || ToolJob::running() != nullptr) {
        return false;
    }
    QWidget* ownerForm = qobject_cast<QWidget*>(owner);
    beginOperation(op);
    buzySateShow(true, ownerForm);
    setBusyText(job.stepCount(), 1);
    m_job = &job;
    {
        const InputGuard guard(m_dialog);
        prepareJob(job);
        connect(&job, &ToolJob::stepStarted, this,
                [this](int count, int index) { setBusyText(count, index); });
        connect(&job, &ToolJob::progressChanged, m_dialog, [this](int percent) {
            m_dialog->setProgress(percent);
            Q_EMIT progressShown(percent);
        });
        connect(m_dialog, &frmBuzy::breakClicked, &job, &ToolJob::requestBreak);
        QEventLoop loop;
        connect(&job, &ToolJob::finished, &loop, &QEventLoop::quit);
        job.start();
        loop.exec();
    }
    m_job = nullptr;
    const bool done = job.result() == ToolJob::Result::Succeeded;
    bool aborted = false;
    buzySateShow(false, ownerForm, &aborted);
    if (done) {
        doneAfterSave(job.output(), false, elapsedSeconds(), aborted, job.notes());
    } else if (!aborted && job.result() != ToolJob::Result::Declined) {
        showFailure(job.causeLine());
    }
    Q_EMIT jobEnded();
    return done;
}

void BusySession::breakJob() {
    // Closing the program during a batch stops the file in work and the rest with it.
    if (m_queue) {
        breakBatch();
        return;
    }
    if (m_job) {
        if (m_dialog) {
            m_dialog->pressBreak();
        } else {
            m_job->requestBreak();
        }
    }
}

void BusySession::showWindow(QWidget* window) const {
    if (window != nullptr) {
        window->show();
    }
}

void BusySession::beginOperation(ToolOperation op) {
    m_operation = op;
    m_consent = false;
    m_startTime = secondsSinceMidnight();
}

float BusySession::elapsedSeconds() const {
    return secondsSinceMidnight() - m_startTime;
}

QString BusySession::busyText(ToolOperation op, int count, int index) {
    const QString crlf = toolTexts::crlf();
    return toolTexts::busyTitle() + crlf + crlf + toolTexts::operationTexts(op).busyLine + crlf +
           crlf + toolTexts::countLine(count, index);
}

void BusySession::setBusyText(int count, int index) {
    if (m_dialog) {
        m_dialog->setBusyText(busyText(m_operation, count, index));
        Q_EMIT busyTextShown(m_dialog->busyText());
    }
}

QString BusySession::reencodeQuestion(ToolOperation op) {
    const toolTexts::OperationTexts t = toolTexts::operationTexts(op);
    if (t.question1.isEmpty()) {
        return QString();
    }
    const QString crlf = toolTexts::crlf();
    return t.question1 + crlf + t.question2 + crlf + crlf + toolTexts::reencodeContinue() + crlf +
           t.questionLast;
}

bool BusySession::askAudioReencode() {
    const QString question = reencodeQuestion(m_operation);
    if (question.isEmpty()) {
        return false;
    }
    if (m_consent) {
        return true;
    }
    m_consent = msgBox(question, MsgButtons::OkCancel, QString(), MsgIcon::None, m_dialog.data()) ==
                MsgResult::Ok;
    // The time spent on the question is not the tools'.
    m_startTime = secondsSinceMidnight();
    return m_consent;
}

QString BusySession::failureText(ToolOperation op, const QString& cause) {
    const QString crlf = toolTexts::crlf();
    return (cause.isEmpty() ? QString() : cause + crlf) + toolTexts::failureHead() + crlf + crlf +
           toolTexts::operationTexts(op).failureLine + crlf + toolTexts::failureTail();
}

void BusySession::showFailure(const QString& cause) const {
    msgBox(failureText(m_operation, cause), MsgButtons::Ok, titles::error());
}

QString BusySession::doneText(bool aborted, float seconds, const QStringList& notes) {
    const QString crlf = toolTexts::crlf();
    QString timeLine;
    if (seconds > 0) {
        timeLine = crlf + toolTexts::timeLead() + secondsText(seconds) + toolTexts::timeUnit();
    }
    for (const QString& note : notes) {
        timeLine += crlf + note;
    }
    return toolTexts::doneHead() +
           (aborted ? toolTexts::doneAborted() : toolTexts::doneSucceeded()) + timeLine + crlf +
           crlf + toolTexts::doneHint1() + crlf + toolTexts::doneHint2();
}

void BusySession::doneAfterSave(const QString& outputPath, bool silent, float seconds, bool aborted,
                                const QStringList& notes) {
    if (!FileObject::shared().FileExists(outputPath)) {
        return;
    }
    // The windows the session hid are shown again before the report asks.
    QCoreApplication::processEvents();
    ListWindow* list = m_list;
    if (silent) {
        if (list != nullptr) {
            list->showInFileList(outputPath);
        }
        return;
    }
    if (msgBox(doneText(aborted, seconds, notes), MsgButtons::OkCancel) != MsgResult::Ok) {
        return;
    }
    if (list != nullptr && list->doneToFileList()) {
        list->showInFileList(outputPath);
    } else {
        m_explorer(outputPath);
    }
}

QString BusySession::batchBusyText(ToolOperation op, int index, int count, const QString& source,
                                   int steps, int step) {
    const QString crlf = toolTexts::crlf();
    return toolTexts::busyTitle() + crlf + crlf + toolTexts::operationTexts(op).busyLine + crlf +
           crlf + batchTexts::fileLine(index, count) + crlf +
           FileObject::shared().GetFileName(source) + crlf + toolTexts::countLine(steps, step);
}

bool BusySession::runQueue(JobQueue& queue, QObject* owner) {
    if (m_job || m_queue || ToolJob::running() != nullptr) {
        return false;
    }
    QWidget* ownerForm = qobject_cast<QWidget*>(owner);
    const ToolOperation op = queue.operation();
    beginOperation(op);
    buzySateShow(true, ownerForm);
    m_queue = &queue;
    m_stopAll = false;
    {
        const InputGuard guard(m_dialog);
        int index = 0;
        QString source;
        const auto show = [this, op, &queue, &index, &source](int steps, int step) {
            if (m_dialog) {
                m_dialog->setBusyText(
                    batchBusyText(op, index, queue.count(), source, std::max(steps, 1), step));
                Q_EMIT busyTextShown(m_dialog->busyText());
            }
        };
        connect(&queue, &JobQueue::fileStarted, m_dialog,
                [&index, &source, show](int k, int, const QString& file) {
                    index = k;
                    source = file;
                    show(1, 1);
                });
        connect(&queue, &JobQueue::stepStarted, m_dialog, show);
        connect(&queue, &JobQueue::progressChanged, m_dialog, [this](int percent) {
            m_dialog->setProgress(percent);
            Q_EMIT progressShown(percent);
        });
        // One consent to re-encoding the sound holds for the whole batch.
        queue.prepareJob = [this](ToolJob& job) { prepareJob(job); };
        queue.askStopRest = [this](int left) {
            const bool stop = m_stopAll || msgBox(batchTexts::stopRest(left), MsgButtons::OkCancel,
                                                  titles::notice(), MsgIcon::Question,
                                                  m_dialog.data()) == MsgResult::Ok;
            if (!stop && m_dialog) {
                m_dialog->clearBreak();
            }
            return stop;
        };
        connect(m_dialog, &frmBuzy::breakClicked, &queue, &JobQueue::requestBreak);
        QEventLoop loop;
        connect(&queue, &JobQueue::finished, &loop, &QEventLoop::quit);
        queue.start();
        if (queue.isRunning()) {
            loop.exec();
        }
    }
    queue.prepareJob = nullptr;
    queue.askStopRest = nullptr;
    m_queue = nullptr;
    // The report tells what Break did; no notice of its own.
    if (m_dialog) {
        m_dialog->clearBreak();
    }
    buzySateShow(false, ownerForm);
    Q_EMIT jobEnded();
    return true;
}

void BusySession::breakBatch() {
    if (m_queue) {
        m_stopAll = true;
        m_queue->requestBreak();
    }
}

void BusySession::showBatchReport(const JobQueue& queue, QWidget* owner) {
    const QStringList lines = queue.reportLines();
    Q_EMIT batchReported(lines);
    QString first;
    for (const BatchItem& item : queue.items()) {
        if (item.outcome == BatchItem::Outcome::Done && !item.outputs.isEmpty()) {
            first = item.outputs.first();
            break;
        }
    }
    auto* report = new frmBatchReport(lines, first, owner);
    report->showFolder = [this](const QString& output) {
        ListWindow* list = m_list;
        if (list != nullptr && list->doneToFileList()) {
            list->showInFileList(output);
        } else {
            m_explorer(output);
        }
    };
    report->show();
    report->raise();
    report->activateWindow();
}
