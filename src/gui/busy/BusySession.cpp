#include "gui/busy/BusySession.h"

#include "core/common/AppWindows.h"
#include "core/common/ListWindow.h"
#include "core/common/PlayerWindow.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/ToolJob.h"
#include "gui/busy/InputGuard.h"
#include "gui/busy/frmBuzy.h"
#include "gui/widgets/mdlZelvoFLVShell.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTime>
#include <QWidget>

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
    QWidget* mainForm = appWindows().player != nullptr ? appWindows().player->form() : nullptr;
    QWidget* listForm = appWindows().list != nullptr ? appWindows().list->form() : nullptr;
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

void BusySession::pausePlayer() {
    if (PlayerWindow* player = appWindows().player) {
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
        job.askReencode = [this] { return askAudioReencode(); };
        job.askGoOn = [this](const QString& question) {
            return msgBox(question, MsgButtons::OkCancel, titles::notice(), MsgIcon::None,
                          m_dialog.data()) == MsgResult::Ok;
        };
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
        showFailure(causeText(job));
    }
    Q_EMIT jobEnded();
    return done;
}

void BusySession::breakJob() {
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

QString BusySession::causeText(const ToolJob& job) {
    const QString subject = job.causeSubject();
    switch (job.cause()) {
        case ToolJob::Cause::ToolMissing:
            return toolTexts::causeToolMissing(subject);
        case ToolJob::Cause::SourceUnreadable:
            return toolTexts::causeSourceUnreadable(subject);
        case ToolJob::Cause::FolderNotWritable:
            return toolTexts::causeFolderNotWritable(subject);
        case ToolJob::Cause::DiskFull:
            return toolTexts::causeDiskFull(subject);
        case ToolJob::Cause::Unknown:
            break;
    }
    return QString();
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
    ListWindow* list = appWindows().list;
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
