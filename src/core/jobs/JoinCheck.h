#pragma once

#include "core/jobs/ToolCommand.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The look at every file of a join before anything is joined: files whose streams differ
// from the first file's (picture codec, size, frame rate; sound codec, sampling rate,
// channels) join into a file that plays wrong, so the user hears which file differs and
// how, and may still go on.
namespace joinCheck {

// The streams of one file as the probe reports them ("" where a file has no such stream).
struct Streams {
    bool read = false;  // the probe could read the file
    QString videoCodec;
    QString size;       // "640x480"
    QString frameRate;  // "25", "29.97"
    QString audioCodec;
    QString sampleRate;
    QString channels;
};

// The probe of one file (ffprobe, one compact line per stream).
ToolCommand probeCommand(const QString& file);
// What the probe wrote. Only the first picture stream and the first sound stream count.
Streams readProbe(const QByteArray& output);

// What an FLV file's streams are set up as, from its first tags: the sound's format byte,
// the picture's codec and the picture's and sound's decoder configurations. Two FLV files
// with the same set-up join into a file that plays right without a closer look. Empty for
// a file that is no FLV or whose first tags do not tell. Reads at most the first megabyte.
QByteArray flvSetUp(const QString& path);
// The same of the file's first bytes.
QByteArray flvSetUpOf(const QByteArray& data);
inline constexpr qint64 flvSetUpBytes = 1 << 20;

// One line for each way a later file differs from the first ("第 3 個檔案的影像大小是
// 640x360，第一個檔案是 854x480"); none when they all match.
QStringList differences(const QList<Streams>& files);
// The question that names them, asking whether to go on.
QString question(const QStringList& differences);

}  // namespace joinCheck
