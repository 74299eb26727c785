#include "core/jobs/ToolProcess.h"

#include <algorithm>

#include <QCoreApplication>

namespace {

// A terminated tool removes its temporaries and ends within moments; one that does not is
// killed after this long.
constexpr int terminateGraceMs = 2000;

// The number after key on a progress line; -1 for "N/A" and anything else unreadable.
qint64 numberAfter(const QByteArray& line, const char* key) {
    bool ok = false;
    const qint64 n = line.mid(qsizetype(qstrlen(key))).toLongLong(&ok);
    return ok ? n : -1;
}

}  // namespace

ToolProcess::ToolProcess(QObject* parent) : QObject(parent) {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_killTimer.setSingleShot(true);
    m_killTimer.setInterval(terminateGraceMs);
    connect(&m_killTimer, &QTimer::timeout, &m_process, &QProcess::kill);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ToolProcess::readLines);
    connect(&m_process, &QProcess::finished, this, &ToolProcess::ended);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            m_failedToStart = true;
            // Reported from inside start() or later: either way after start() returned.
            QMetaObject::invokeMethod(this, &ToolProcess::ended, Qt::QueuedConnection);
        }
    });
}

ToolProcess::~ToolProcess() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.disconnect(this);
        m_process.kill();
        m_process.waitForFinished(terminateGraceMs);
    }
}

void ToolProcess::start(const ToolCommand& command, const QString& folder,
                        const QProcessEnvironment& environment) {
    m_output.clear();
    m_notes.clear();
    m_totalUs = -1;
    m_percent = -1;
    m_exitCode = 0;
    m_stopped = false;
    m_failedToStart = false;
    m_running = true;
    Q_EMIT progress(-1);
    if (command.program().isEmpty()) {
        m_failedToStart = true;
        QMetaObject::invokeMethod(this, &ToolProcess::ended, Qt::QueuedConnection);
        return;
    }
    m_process.setProgram(command.program());
    m_process.setArguments(command.arguments());
    m_process.setWorkingDirectory(folder);
    // The tools end with this process; told who started them, they also notice a program
    // that ended before they could watch it.
    QProcessEnvironment env =
        environment.isEmpty() ? QProcessEnvironment::systemEnvironment() : environment;
    env.insert(QStringLiteral("ZELVO_TOOL_PARENT"),
               QString::number(QCoreApplication::applicationPid()));
    m_process.setProcessEnvironment(env);
    m_process.start();
}

void ToolProcess::stop() {
    if (!m_running || m_stopped) {
        return;
    }
    m_stopped = true;
    if (m_process.state() == QProcess::NotRunning) {
        return;  // ending already: the queued end reports the Break
    }
    m_process.terminate();
    m_killTimer.start();
}

void ToolProcess::readLines() {
    while (m_process.canReadLine()) {
        take(m_process.readLine());
    }
}

void ToolProcess::take(const QByteArray& rawLine) {
    m_output += rawLine;
    const QByteArray line = rawLine.trimmed();
    const int before = m_percent;
    if (line.startsWith("duration_us=")) {
        m_totalUs = numberAfter(line, "duration_us=");
    } else if (line.startsWith("out_time_us=") && m_totalUs > 0) {
        const qint64 done = numberAfter(line, "out_time_us=");
        if (done >= 0) {
            m_percent = static_cast<int>(qBound(qint64(0), done * 100 / m_totalUs, qint64(100)));
        }
    } else if (line.startsWith("progress_percent=")) {
        const qint64 percent = numberAfter(line, "progress_percent=");
        if (percent >= 0) {
            m_percent = static_cast<int>(qBound(qint64(0), percent, qint64(100)));
        }
    } else if (line.startsWith("frame=")) {
        const qint64 frames = numberAfter(line, "frame=");
        if (frames >= 0) {
            Q_EMIT framesWritten(static_cast<int>(std::min<qint64>(frames, 1 << 30)));
        }
    } else if (line.startsWith("note=")) {
        m_notes << QString::fromUtf8(line.mid(5));
    } else if (line == "progress=end") {
        m_percent = 100;
    }
    if (m_percent != before) {
        Q_EMIT progress(m_percent);
    }
}

void ToolProcess::ended() {
    if (!m_running || m_process.state() != QProcess::NotRunning) {
        return;
    }
    m_running = false;
    m_killTimer.stop();
    readLines();
    const QByteArray rest = m_process.readAll();
    if (!rest.isEmpty()) {
        take(rest);
    }
    if (m_stopped) {
        m_exitCode = breakExitCode;
    } else if (m_failedToStart || m_process.exitStatus() != QProcess::NormalExit) {
        m_exitCode = -1;
    } else {
        m_exitCode = m_process.exitCode();
    }
    Q_EMIT finished(m_exitCode);
}
