#pragma once

#include "core/jobs/SaveRangesJob.h"

#include <QList>
#include <QString>
#include <QtGlobal>

// What the split and snapshot tools make of the numbers typed into them, without widgets:
// the pieces of a split and the moments of a series of pictures, and what the panels show
// of them. Times are worked in hundredths of a second, the precision the tools' time texts
// have: every time is first cut to hundredths (0.004 s added first, as the time texts round).
namespace splitPlan {

// What the probe found: the playing length in seconds (cut to hundredths; 0 while unknown)
// and the file's size in bytes.
struct Media {
    double seconds = 0.0;
    qint64 bytes = 0;
};

// x cut to hundredths (r2): the whole hundredths of x + 0.004.
qint64 hundredths(double x);

// ---- split ----------------------------------------------------------------------------------

enum class SplitMode {
    Parts = 0,        // N equal parts (2..99)
    Seconds = 1,      // pieces of S seconds
    Kilobytes = 2,    // pieces of K kilobytes
    SecondsSpan = 3,  // one piece from / to in seconds
    KilobyteSpan = 4,
    PercentSpan = 5,
};

// The numbers typed: a multi-piece mode reads `each`, a one-piece mode `from` and `to`.
struct SplitInput {
    SplitMode mode = SplitMode::Parts;
    double each = 0.0;
    double from = 0.0;
    double to = 0.0;
};

struct Split {
    bool valid = false;
    bool onePiece = false;               // a one-piece mode
    int count = 0;                       // pieces (multi-piece modes, also when invalid)
    QList<SaveRangesJob::Range> pieces;  // start and end of every piece, in seconds
    // The one-piece modes' statistics: the span in seconds, in kilobytes and as a share.
    double spanSeconds = 0.0;
    qint64 spanKilobytes = 0;
    double share = 0.0;
};

Split split(const SplitInput& input, const Media& media);

// What the statistics panels show: "目前切割數 004" (or "目前切割數  ？" when invalid),
// and "12.50 秒", "640 KB", "佔全部 25.00 %" (or their "？" forms).
QString countText(const Split& split);
QString secondsText(const Split& split);
QString kilobytesText(const Split& split);
QString shareText(const Split& split);

// Where each piece really starts when it is cut: the last keyframe at or before the whole
// second its cut begins on (keyframes: the times of the video keyframes, in order).
QList<double> realStarts(const Split& split, const QList<double>& keyframes);

// ---- snapshot -------------------------------------------------------------------------------

enum class SnapChoice { Moment = 0, Whole = 1, Span = 2 };
enum class SnapSpacing { Count = 0, Interval = 1 };

struct SnapInput {
    SnapChoice choice = SnapChoice::Moment;
    SnapSpacing spacing = SnapSpacing::Count;
    bool momentGiven = false;  // the moment's box is not empty
    double moment = 0.0;
    double from = 0.0;
    double to = 0.0;
    double count = 0.0;
    double interval = 0.0;
};

// The most pictures one series takes: their names count three digits.
inline constexpr int maxPictures = 999;

struct Snapshot {
    bool valid = false;
    bool single = true;   // one picture at a moment
    QList<double> times;  // the moment of every picture, in seconds
};

Snapshot snapshot(const SnapInput& input, const Media& media);

}  // namespace splitPlan
