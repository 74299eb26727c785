#pragma once

#include "core/jobs/ToolCommand.h"

#include <QList>
#include <QString>
#include <QStringList>

// Builders for every command line the editing tools run. Each takes the tool's
// path (mencoderPath, ffmpegPath, flvMetaPath) so it can be checked without the
// program's globals. Times arrive as numbers and are written here, where the text
// of the command line is made. Paths of sources and destinations are quoted in
// the text; part and join names in the working folder are not.

// 1 for "flv"; 2 for "mpeg", "mpg", "vob"; 3 for every other extension. Case is
// ignored.
int containerFamily(const QString& ext);

// The resource program with its mode word ("Edit1", "Fix3", "Snap", ...).
ToolCommand resourceCommand(const QString& resourcePath, const QString& modeWord);

// Cut of one range of src into a part, from whole second ss for length whole seconds:
// stream copy, or with the audio re-encoded to MP3 at 64 kbit/s when reencodeAudio is set.
ToolCommand cutCommand(const QString& mencoderPath, int ss, int length, const QString& part,
                       const QString& src, bool reencodeAudio = false);

// The same cut at exactly the pictures shown from `from` up to `to` (seconds from the
// source's first picture, written with three decimals after "-exact", separated by ","),
// which the tool falls back to the whole-second cut from when it cannot.
ToolCommand exactCutCommand(const QString& mencoderPath, double from, double to, int ss, int length,
                            const QString& part, const QString& src);

// Stream-copy remux of a file in the working folder into "~fix" + name.
ToolCommand remuxCommand(const QString& ffmpegPath, const QString& name);

// Stream-copy remux of a file in the working folder into the quoted dest.
ToolCommand remuxToCommand(const QString& ffmpegPath, const QString& name, const QString& dest);

// The metadata tool on a file in the working folder (unquoted name).
ToolCommand metaCommand(const QString& flvMetaPath, const QString& name);

// The metadata tool on a chosen destination (quoted path).
ToolCommand metaQuotedCommand(const QString& flvMetaPath, const QString& dest);

// Join of the cut parts (unquoted names in the working folder) into
// "~tmpSJoin." + ext.
ToolCommand joinPartsCommand(const QString& mencoderPath, const QString& ext,
                             const QStringList& parts);

// Join of the cut parts straight into the quoted dest.
ToolCommand joinPartsToCommand(const QString& mencoderPath, const QString& dest,
                               const QStringList& parts);

// Join of the join list's files (quoted paths) into "~tmpSJoin." + ext.
ToolCommand joinFilesCommand(const QString& mencoderPath, const QString& ext,
                             const QStringList& files);

// Join of the join list's files straight into the quoted dest; the audio
// re-encoded to MP3 at 64 kbit/s when reencodeAudio is set.
ToolCommand joinFilesToCommand(const QString& mencoderPath, const QString& dest,
                               const QStringList& files, bool reencodeAudio = false);

// One picture at a moment of src (seconds; written cut to hundredths with three decimals,
// 12.345 as "12.340") into "~tmpSP%03d." + img in the working folder.
ToolCommand snapshotCommand(const QString& ffmpegPath, const QString& src, double seconds,
                            const QString& img);

// A series of pictures at moments (seconds, ascending; written like one picture's moment,
// separated by ",") into "~tmpSP001." + img and onward, taken in one pass of the tool.
ToolCommand snapshotSeriesCommand(const QString& ffmpegPath, const QString& src,
                                  const QList<double>& moments, const QString& img);

// Repair of an FLV: stream copy of src into "~fix~tmpSP." + ext.
ToolCommand fixFlvCommand(const QString& ffmpegPath, const QString& src, const QString& ext);

// Repair of an MPEG file: stream copy of src into dest.
ToolCommand fixMpegCommand(const QString& ffmpegPath, const QString& src, const QString& dest);

// Repair of any other type: stream copy of src into dest, or with the audio
// re-encoded to MP3 at 64 kbit/s when reencodeAudio is set.
ToolCommand fixOtherCommand(const QString& mencoderPath, const QString& src, const QString& dest,
                            bool reencodeAudio = false);

// What the user picked on one conversion panel. Lists hold the items as shown.
struct EncodeSettings {
    int panel = 0;  // 0 FLV to video, 1 video to FLV, 2 FLV to audio, 3 audio to FLV
    QString videoSize = QStringLiteral("原視訊大小");
    QString frameRate = QStringLiteral("25");
    QString videoBitrate = QStringLiteral("200");
    QString samplingRate = QStringLiteral("22050");
    QString audioBitrate = QStringLiteral("64");
    QString channels = QStringLiteral("立體聲");
};

// The conversion of src into dst with the panel's settings.
ToolCommand encodeCommand(const QString& ffmpegPath, const QString& src, const QString& dst,
                          const EncodeSettings& settings);
