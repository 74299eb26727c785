#pragma once
// How closely a frame-exact cut matches its source, from what ffmpeg decodes of both: the
// cut's pictures side by side with the source's from the range's first one on.
#include "TestSupport.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <limits>

namespace testsupport {

struct Exactness {
    int pictures = 0;   // decoded from the cut
    int identical = 0;  // bit for bit the source's picture at that place
    double lowestPsnr = std::numeric_limits<double>::infinity();  // of the others, dB
    QString error;                                                // what went wrong measuring
};

// The cut's pictures against the source's pictures first, first + 1, ...
inline Exactness exactness(const QString& source, const QString& cut, int first) {
    Exactness e;
    const QStringList src = frameDigests(source);
    const QStringList out = frameDigests(cut);
    e.pictures = static_cast<int>(out.size());
    if (src.isEmpty() || out.isEmpty() || first + e.pictures > src.size()) {
        e.error =
            QStringLiteral("%1 pictures from %2 of %3").arg(e.pictures).arg(first).arg(src.size());
        return e;
    }
    for (int i = 0; i < e.pictures; ++i) {
        e.identical += out.at(i) == src.at(first + i) ? 1 : 0;
    }
    // One pass of ffmpeg's PSNR over the aligned pictures; "stats_file=-" writes a line a
    // picture ("n:1 mse_avg:... psnr_avg:41.2 ..."), "inf" for equal ones.
    const QString graph = QStringLiteral(
                              "[1:v:0]trim=start_frame=%1:end_frame=%2,setpts=PTS-STARTPTS[r];"
                              "[0:v:0]setpts=PTS-STARTPTS[o];[o][r]psnr=stats_file=-")
                              .arg(first)
                              .arg(first + e.pictures);
    const RunResult r = run(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
         QStringLiteral("-i"), cut, QStringLiteral("-i"), source, QStringLiteral("-filter_complex"),
         graph, QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
    const QRegularExpression psnr(QStringLiteral("psnr_avg:(\\S+)"));
    int lines = 0;
    for (const QByteArray& line : r.output.split('\n')) {
        const auto m = psnr.match(QString::fromLatin1(line));
        if (!m.hasMatch()) {
            continue;
        }
        ++lines;
        if (m.captured(1) != QLatin1String("inf")) {
            e.lowestPsnr = std::min(e.lowestPsnr, m.captured(1).toDouble());
        }
    }
    if (lines != e.pictures) {
        e.error = QStringLiteral("PSNR of %1 pictures, not %2: %3")
                      .arg(lines)
                      .arg(e.pictures)
                      .arg(QString::fromUtf8(r.output.left(300)));
    }
    return e;
}

// What "ffmpeg -v error" says decoding the whole file ("" for a clean decode).
inline QString decodeErrors(const QString& path) {
    const RunResult r = run(QStringLiteral("ffmpeg"),
                            {QStringLiteral("-nostdin"), QStringLiteral("-v"),
                             QStringLiteral("error"), QStringLiteral("-i"), path,
                             QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
    return r.exitCode == 0
               ? QString::fromUtf8(r.output).trimmed()
               : QStringLiteral("exit %1: %2").arg(r.exitCode).arg(QString::fromUtf8(r.output));
}

// Where the picture and the sound begin and end, seconds (from their packets; a picture
// whose container tells no duration lasts frameLength).
struct StreamSpan {
    double videoStart = -1, videoEnd = -1, soundStart = -1, soundEnd = -1;
    double soundFrame = 0;  // the longest sound packet
};
inline StreamSpan streamSpan(const QString& path, double frameLength) {
    const RunResult r =
        run(QStringLiteral("ffprobe"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
             QStringLiteral("packet=codec_type,pts_time,duration_time"), QStringLiteral("-of"),
             QStringLiteral("csv=p=0"), path});
    StreamSpan s;
    for (const QByteArray& line : r.output.split('\n')) {
        const QList<QByteArray> f = line.trimmed().split(',');
        if (f.size() < 3) {
            continue;
        }
        const double at = f.at(1).toDouble();
        const bool video = f.at(0) == "video";
        const double told = f.at(2).toDouble();
        const double length = video && !(told > 0) ? frameLength : told;
        double& start = video ? s.videoStart : s.soundStart;
        double& end = video ? s.videoEnd : s.soundEnd;
        start = start < 0 ? at : std::min(start, at);
        end = std::max(end, at + length);
        if (!video) {
            s.soundFrame = std::max(s.soundFrame, length);
        }
    }
    return s;
}

}  // namespace testsupport
