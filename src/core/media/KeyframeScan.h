#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>

// The times of a file's video keyframes, read from its packets (no picture is decoded) by
// ffprobe in the background. The cutting tools start every piece on the last keyframe at or
// before its cut, so these times tell where a piece will really start.
class KeyframeScan : public QObject {
    Q_OBJECT

public:
    explicit KeyframeScan(QObject* parent = nullptr);
    ~KeyframeScan() override;

    // Starts reading path's keyframes; a scan still going is stopped first.
    void start(const QString& path);
    void stop();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // The keyframes of a finished scan, in order, in seconds from the file's start.
    const QList<double>& keyframes() const { return m_keyframes; }

    // The keyframe times among packet lines ("pts_time,flags" a line, "K" in the flags of a
    // keyframe), appended to keyframes, and the file's start time (a line of one number);
    // partial keeps an unfinished last line for the next call. At most maxKeyframes are kept.
    static void readPackets(QByteArray& partial, const QByteArray& more, QList<double>& keyframes,
                            double& start);
    static constexpr qsizetype maxKeyframes = 1000000;

Q_SIGNALS:
    // The scan ended; ok false when the file could not be read.
    void finished(bool ok);

private:
    void readOutput();

    QProcess m_process;
    QByteArray m_partial;
    QList<double> m_keyframes;
    double m_start = 0.0;
    bool m_stopping = false;
};
