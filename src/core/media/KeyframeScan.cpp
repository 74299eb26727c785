#include "core/media/KeyframeScan.h"

#include <algorithm>

namespace {

// How long a line may grow before it is not a packet line and is dropped.
constexpr qsizetype longestLine = 256;

void readLine(const QByteArray& line, QList<double>& keyframes, double& start) {
    const qsizetype comma = line.indexOf(',');
    if (comma < 0) {
        // The file's own start, which every time the tools and the player count is from.
        bool ok = false;
        const double value = line.trimmed().toDouble(&ok);
        if (ok) {
            start = value;
        }
        return;
    }
    if (comma == 0 || !line.mid(comma + 1).contains('K') ||
        keyframes.size() >= KeyframeScan::maxKeyframes) {
        return;
    }
    bool ok = false;
    const double time = line.left(comma).toDouble(&ok);
    if (ok) {
        keyframes << time;
    }
}

}  // namespace

KeyframeScan::KeyframeScan(QObject* parent) : QObject(parent) {
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &KeyframeScan::readOutput);
    connect(&m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        if (m_stopping) {
            return;
        }
        readOutput();
        readPackets(m_partial, "\n", m_keyframes, m_start);
        // Packets come in decoding order; the cut works on the times they are shown, from
        // the file's start.
        std::sort(m_keyframes.begin(), m_keyframes.end());
        for (double& keyframe : m_keyframes) {
            keyframe -= m_start;
        }
        Q_EMIT finished(status == QProcess::NormalExit && code == 0);
    });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && !m_stopping) {
            Q_EMIT finished(false);
        }
    });
}

KeyframeScan::~KeyframeScan() {
    stop();
}

void KeyframeScan::start(const QString& path) {
    stop();
    m_partial.clear();
    m_keyframes.clear();
    m_start = 0.0;
    m_process.start(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
         QStringLiteral("v:0"), QStringLiteral("-show_entries"),
         QStringLiteral("packet=pts_time,flags:format=start_time"), QStringLiteral("-of"),
         QStringLiteral("csv=p=0"), QStringLiteral("file:") + path});
}

void KeyframeScan::stop() {
    if (m_process.state() != QProcess::NotRunning) {
        // A stopped scan reports nothing.
        m_stopping = true;
        m_process.kill();
        m_process.waitForFinished(2000);
        m_stopping = false;
    }
}

void KeyframeScan::readOutput() {
    readPackets(m_partial, m_process.readAllStandardOutput(), m_keyframes, m_start);
}

void KeyframeScan::readPackets(QByteArray& partial, const QByteArray& more,
                               QList<double>& keyframes, double& start) {
    qsizetype from = 0;
    for (qsizetype end = more.indexOf('\n'); end >= 0; end = more.indexOf('\n', from)) {
        if (partial.isEmpty()) {
            readLine(more.mid(from, end - from), keyframes, start);
        } else {
            partial += more.mid(from, end - from);
            readLine(partial, keyframes, start);
            partial.clear();
        }
        from = end + 1;
    }
    if (partial.size() + (more.size() - from) <= longestLine) {
        partial += more.mid(from);
    } else {
        partial.clear();
    }
}
