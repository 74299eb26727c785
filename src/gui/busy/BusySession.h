#pragma once

#include "core/jobs/JobFront.h"
#include "core/jobs/JobQueue.h"
#include "core/jobs/ToolJob.h"
#include "core/jobs/ToolTexts.h"
#include "gui/busy/frmBuzy.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class ListWindow;
class PlayerWindow;
class QWidget;

// What a tool job looks like to the user: the busy dialog over the window that started
// the work (hiding the other window), the busy text with its count line, the progress
// bar, Break, the audio re-encoding question, the clock, and the reports at the end.
// While a job runs the windows take no input but the busy dialog's. The tools of both
// windows share the one session.
class BusySession : public QObject, public JobHost {
    Q_OBJECT

public:
    static BusySession& shared();
    // The program's two windows, handed over where the program is wired. One that is not
    // there counts as hidden, a missing playlist window with its "go to the file list" box
    // unchecked, a missing player as playing nothing.
    void setWindows(PlayerWindow* player, ListWindow* list);
    // Gives job the hooks it asks the user and the player through (done for every job run
    // here).
    void prepareJob(ToolJob& job);

    // How a file is shown in the desktop's file manager (explorerSelect unless
    // replaced).
    void setExplorer(std::function<void(const QString&)> explorer);

    // Runs job as operation op, covering ownerForm with the busy dialog, and reports
    // the end: the completion report when the job made its output, the failure report
    // (with what the job found wrong) when it did not, nothing more after Break. Returns
    // when the reports have been answered; true when the job succeeded. While a job runs
    // no other starts: a second call returns false at once, touching nothing.
    bool runJob(ToolJob& job, QObject* owner, ToolOperation op) override;
    // Runs the files of a batch, one job after another, under one busy dialog over owner:
    // "第 k 個檔案，共 n 個", the file's name and its job's step, one bar for the whole batch.
    // Break stops the file in work and asks whether to stop the rest. Returns when the
    // batch has ended (no report is shown here); false when another job was running.
    bool runQueue(JobQueue& queue, QObject* owner);
    // Breaks the batch that runs (the file in work, then the rest without asking), as
    // closing a window during a batch does.
    void breakBatch();
    bool isRunningBatch() const { return m_queue != nullptr; }
    // The busy text of a batch: the operation's busy line, the file line, the file's name and
    // its job's count line.
    static QString batchBusyText(ToolOperation op, int index, int count, const QString& source,
                                 int steps, int step);
    // Shows the report of a batch that has ended: one line a file, copyable and savable.
    // Without a window (tests) only the signal is given.
    void showBatchReport(const JobQueue& queue, QWidget* owner);
    // A job is running now.
    bool isRunningJob() const override { return m_job != nullptr || m_queue != nullptr; }
    // The player pauses before a tool reads its file.
    void pausePlayer() override;
    // Break, as the busy dialog's button does it.
    void breakJob();

    // show true: covers ownerForm with the busy dialog, hiding the other
    // window. show false: ends the session; after Break it says so and sets
    // *aborted, then shows again the window it hid and gives the owner the focus.
    void buzySateShow(bool show, QWidget* ownerForm, bool* aborted = nullptr);

    // Which window the session hid: 0 none, 1 the main window, 2 the playlist
    // window.
    int hiddenForm() const { return m_hiddenForm; }
    // The busy dialog while a session is open.
    frmBuzy* dialog() const { return m_dialog; }

    // Starts the clock of an operation and forgets an earlier consent to
    // re-encoding.
    void beginOperation(ToolOperation op);
    ToolOperation operation() const { return m_operation; }
    // Seconds since the operation began (or since the re-encoding question was
    // answered). Kept as seconds since midnight, so a run across midnight gives
    // no positive figure and its report shows no time.
    float elapsedSeconds() const;

    // "Zelvo.FLV", the operation's busy line and the count line for run index
    // (1-based) of count.
    static QString busyText(ToolOperation op, int count, int index);
    // Sets that text in the busy dialog for the current operation.
    void setBusyText(int count, int index);

    // Whether to repeat a run whose stream copy left an empty output, with the
    // audio re-encoded. Asks once per operation; a yes holds for the rest of it.
    // Operations without the question answer false.
    bool askAudioReencode();
    static QString reencodeQuestion(ToolOperation op);

    // The error report of an operation that produced nothing.
    // cause is the line naming what went wrong, or "".
    static QString failureText(ToolOperation op, const QString& cause = QString());
    void showFailure(const QString& cause = QString()) const;

    // The completion report: asks whether to go and see the new file.
    // silent only shows it in the file list.
    // notes: what the tools said of their work, a line each after the time.
    void doneAfterSave(const QString& outputPath, bool silent, float seconds, bool aborted,
                       const QStringList& notes = QStringList());
    static QString doneText(bool aborted, float seconds, const QStringList& notes = QStringList());

Q_SIGNALS:
    // A job and its reports are over.
    void jobEnded();
    // The busy dialog was given a text, or its bar a value (percent of the whole job).
    void busyTextShown(const QString& text);
    void progressShown(int percent);
    // A batch's report was shown, with its lines.
    void batchReported(const QStringList& lines);

private:
    BusySession();
    void showWindow(QWidget* window) const;

    std::function<void(const QString&)> m_explorer;
    QPointer<frmBuzy> m_dialog;
    PlayerWindow* m_player = nullptr;
    ListWindow* m_list = nullptr;
    QPointer<ToolJob> m_job;
    QPointer<JobQueue> m_queue;
    bool m_stopAll = false;
    int m_hiddenForm = 0;
    ToolOperation m_operation = ToolOperation::Split;
    float m_startTime = 0;
    bool m_consent = false;
};
