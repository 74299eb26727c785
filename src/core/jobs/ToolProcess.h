#pragma once

#include "core/jobs/ToolCommand.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTimer>

// Exit code recorded for a run that Break stopped.
inline constexpr int breakExitCode = 3838;

// One run of an outside program: started from its argument list (never through a shell)
// in the folder the caller names, its standard output and standard error merged and read
// line by line as they come, so a chatty tool never blocks on a full pipe. It never waits:
// it reports how far the tool has got and when it has ended. Break asks the tool to stop
// (so it can remove what it half wrote) and kills it when it has not ended two seconds
// later.
class ToolProcess : public QObject {
    Q_OBJECT

public:
    explicit ToolProcess(QObject* parent = nullptr);
    // A run still going is killed.
    ~ToolProcess() override;

    // Starts command in folder (an absolute path; "" keeps the program's own). The
    // environment, when not empty, replaces the inherited one. A program that cannot be
    // started ends the run on the next turn of the event loop, with exit code -1.
    void start(const ToolCommand& command, const QString& folder,
               const QProcessEnvironment& environment = QProcessEnvironment());
    // Break: the run ends with breakExitCode.
    void stop();

    bool isRunning() const { return m_running; }
    // Everything the program wrote, in the order written.
    QByteArray output() const { return m_output; }
    // The program's own exit code, breakExitCode when Break stopped it, -1 when it could
    // not be started or crashed.
    int exitCode() const { return m_exitCode; }
    bool failedToStart() const { return m_failedToStart; }
    // What the tool said the user should hear of its work ("note=" lines, UTF-8), in
    // the order written; for example what a repair had to leave out.
    QStringList notes() const { return m_notes; }

Q_SIGNALS:
    // How far the tool has got, in percent of its output's length (0 to 100), as the tool
    // reports it ("duration_us=", "out_time_us=", "progress=end" lines, or
    // "progress_percent=" where the tool tells the share of its run itself, as its own FLV
    // writing does, reading included); -1 as the run begins. Only changes are reported.
    void progress(int percent);
    void finished(int exitCode);
    // How many video frames the tool has written so far ("frame=" lines).
    void framesWritten(int frames);

private:
    void readLines();
    void take(const QByteArray& line);
    void ended();

    QProcess m_process;
    QTimer m_killTimer;
    QByteArray m_output;
    QStringList m_notes;
    qint64 m_totalUs = -1;
    int m_percent = -1;
    int m_exitCode = 0;
    bool m_running = false;
    bool m_stopped = false;
    bool m_failedToStart = false;
};
