#pragma once

#include "core/jobs/ToolCommand.h"
#include "core/jobs/ToolProcess.h"

#include <QList>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

// One editing operation as the outside tools do it: a list of steps run one at a time in
// the job's own folder. A step is either a tool run (its command line, the file it must
// leave, what an empty or missing file means) or a file step between runs (a move, a
// delete, a check). Part and join names in the command lines are resolved in the job's
// folder, which every run gets as its working folder; the program's own current folder
// plays no part. Only one job runs at a time.
//
// The job installs the tools its mode needs as its first run, and whatever the outcome it
// removes its temporary files ("~tmpS*.*", "~fix~tmpS*.*" in its folder) and the tools
// again. A failed or stopped job also removes every output it has begun to replace and not
// finished, so nothing half made stays; outputs it finished (the pictures of a series taken
// before a later one failed) and older files it never reached stay as they are.
// It never waits: it reports each step, how far the whole job has got, and its end.
class ToolJob : public QObject {
    Q_OBJECT

public:
    // What a run's expected file, missing or empty afterwards, means.
    enum class OnEmpty {
        Continue,     // nothing yet: a later step checks
        Fail,         // the job has failed
        AskReencode,  // empty: ask whether to repeat the run with the sound re-encoded;
                      // no to that, or no file at all, fails
    };
    // Declined: the user chose not to go on when the job asked (nothing more is reported).
    enum class Result { NotRun, Running, Succeeded, Failed, Aborted, Declined };
    Q_ENUM(Result)
    // Why a job failed, where the job can tell.
    enum class Cause { Unknown, ToolMissing, SourceUnreadable, FolderNotWritable, DiskFull };
    Q_ENUM(Cause)

    // folder: where the job works and its parts go (absolute; a trailing "/" is added).
    explicit ToolJob(const QString& folder, QObject* parent = nullptr);
    ~ToolJob() override;

    QString folder() const { return m_folder; }
    // A name in the job's folder as an absolute path; an absolute path stays as it is.
    QString path(const QString& name) const;

    // The files the job makes; the job has succeeded when each is there with a length
    // above 0. The first is the one its completion report shows.
    void setOutputs(const QStringList& paths) { m_outputs = paths; }
    void setOutput(const QString& path) { m_outputs = QStringList{path}; }
    QString output() const { return m_outputs.value(0); }
    QStringList outputs() const { return m_outputs; }
    // The files the job reads, named in the failure report when they cannot be read.
    void setSources(const QStringList& paths) { m_sources = paths; }
    // The resource program's mode word ("Edit1", "Fix3", ...): those tools are installed
    // before the first step and removed after the last.
    void setToolMode(const QString& modeWord) { m_toolMode = modeWord; }
    // The tools stay installed after the job (a batch runs many jobs of one mode): the next
    // job of the same mode finds them in place and installs nothing. Whoever keeps them
    // removes them with releaseTools().
    void setKeepTools(bool keep) { m_keepTools = keep; }
    static void releaseTools();
    // The helper program that installs the tools; the running program's own by default.
    void setHelperProgram(const QString& path) { m_helperProgram = path; }

    // The steps. Runs and file steps added after beginStep(k) belong to step k of the busy
    // text's count line ("正處理第 k 個"); setStepCount gives its total.
    void setStepCount(int count) { m_stepCount = count; }
    int stepCount() const { return m_stepCount; }
    void beginStep(int index) { m_currentCount = index; }
    // weight: the run's share of the whole job's progress, against the other runs'.
    void addRun(const ToolCommand& command, double weight, const QString& expect = QString(),
                OnEmpty onEmpty = OnEmpty::Continue, const ToolCommand& reencode = ToolCommand());
    // What the last run added says to the user (its "note=" lines) begins with prefix.
    void setNotePrefix(const QString& prefix);
    // A file step: false fails the job.
    void addFileStep(std::function<bool()> step);
    // A run that writes a series of pictures, one for each step from the current one on:
    // the busy text's count follows the pictures written, and so does the run's progress.
    void addPictureRun(const ToolCommand& command, double weight, int pictures);
    // A run that only reads: what the program wrote goes to read, and no file is expected.
    // It runs only when when (if given) holds as its turn comes.
    void addProbe(const ToolCommand& command, double weight,
                  std::function<void(const QByteArray&)> read,
                  std::function<bool()> when = std::function<bool()>());
    // Inside a file step, before it returns false: the user chose not to go on.
    void decline() { m_declined = true; }
    // A file step that makes room for an output: an older file of its name goes (the player
    // lets go of it first); one that cannot be deleted fails the job before it is replaced.
    void addClaimStep(const QString& path);

    // Inside file steps: the job now replaces path (an older file of the name is deleted),
    // true when nothing is left in its way; and path is finished, so a later failure keeps it.
    bool claimOutput(const QString& path);
    void keepOutput(const QString& output) { m_kept << path(output); }

    // Asked when a run's stream copy left an empty file (AskReencode); without an answer
    // the run is not repeated.
    std::function<bool()> askReencode;
    // Asks the user whether to go on (OK or Cancel); without an answer the job goes on.
    std::function<bool(const QString& question)> askGoOn;
    // Asked to let go of a file before the job replaces it (the player closes it while it
    // plays it); without it nothing is asked.
    std::function<void(const QString& path)> releaseFile;

    // Runs the steps; finished() follows, also for a job that cannot start because another
    // one is running (Failed, with nothing touched).
    void start();
    // Break: the running tool is stopped and the job ends as Aborted.
    void requestBreak();

    Result result() const { return m_result; }
    bool isRunning() const { return m_result == Result::Running; }
    // The job that is running now, or nullptr.
    static ToolJob* running();

    // After a failure: what the job found wrong, and the file or folder it concerns.
    // What the runs said the user should hear of their work (ToolProcess::notes), in
    // order; the completion report shows it.
    QStringList notes() const { return m_notes; }

    Cause cause() const { return m_cause; }
    QString causeSubject() const { return m_causeSubject; }
    // The line naming the cause and its subject, "" when the job cannot tell.
    QString causeLine() const;
    // The program of the run the job stopped at ("" when no run failed).
    QString failedRun() const { return m_failedRun; }
    // The last line the run the job stopped at wrote that is not one of its progress or note
    // lines ("key=value"): what the tool said went wrong; "" when it said nothing.
    QString toolSaid() const;

    // Where the program notes the folder of each job while it runs (its private settings
    // folder), so that a start after the program was killed clears what the job left.
    static void setRecordFolder(const QString& folder);
    // Removes the temporary files in the folder of every job noted there, and the notes.
    static void clearUnfinished();

    // Removes the tools' temporary files from folder.
    static void killTempFiles(const QString& folder);
    // A file of this name would be removed by that clean-up.
    static bool isTempName(const QString& path);
    // A file there with a length above 0.
    static bool usable(const QString& path);

Q_SIGNALS:
    // Step index (1-based) of count is about to run.
    void stepStarted(int count, int index);
    // The whole job's progress in percent; it never goes back.
    void progressChanged(int percent);
    void finished();

private:
    struct Step {
        ToolCommand command;
        std::function<bool()> fileStep;
        std::function<void(const QByteArray&)> read;
        std::function<bool()> when;
        QString expect;
        QString notePrefix;
        OnEmpty onEmpty = OnEmpty::Continue;
        ToolCommand reencode;
        double weight = 0.0;
        int count = 0;
        int pictures = 0;
        bool mayFail = false;  // a failing run does not stop the job
        bool installer = false;
    };

    void runSteps();
    void runEnded(int exitCode);
    void toolProgress(int percent);
    void toolFrames(int frames);
    void reportProgress(double fraction);
    void finish(Result result);
    void diagnose();
    void noteRunning(bool running);
    // The job's folder has no room left, or the last run said so.
    bool diskFull() const;

    QString m_folder;
    QStringList m_outputs;
    QStringList m_claimed;
    QStringList m_kept;
    QStringList m_sources;
    QString m_toolMode;
    bool m_keepTools = false;
    QString m_helperProgram;
    QList<Step> m_steps;
    int m_stepCount = 0;
    int m_currentCount = 0;

    ToolProcess m_process;
    int m_next = 0;  // the step to run next
    int m_shownCount = 0;
    bool m_repeated = false;  // the running step is the re-encoding repeat
    bool m_breakRequested = false;
    bool m_declined = false;
    bool m_startFailed = false;
    QString m_failedProgram;
    QByteArray m_lastOutput;
    QStringList m_notes;
    double m_totalWeight = 0.0;
    double m_doneWeight = 0.0;
    int m_percent = -1;
    Result m_result = Result::NotRun;
    Cause m_cause = Cause::Unknown;
    QString m_causeSubject;
    QString m_failedRun;
    QString m_record;  // the note of this running job
};
