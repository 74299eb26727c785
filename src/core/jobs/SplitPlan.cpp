#include "core/jobs/SplitPlan.h"

#include <algorithm>
#include <cmath>

namespace splitPlan {

namespace {

// Ceiling as the panels count pieces: the whole part, and one more for a fraction.
qint64 ceilingOf(double x) {
    const double whole = std::floor(x);
    return static_cast<qint64>(whole) + (x > whole ? 1 : 0);
}

double seconds(qint64 centiseconds) {
    return static_cast<double>(centiseconds) / 100.0;
}

QString twoDecimals(double x) {
    return QString::number(x, 'f', 2);
}

// Bounds that keep a typed number (which may be huge) away from overflow.
constexpr double largest = 1e12;

double bounded(double x) {
    return std::isfinite(x) ? std::clamp(x, -largest, largest) : 0.0;
}

}  // namespace

qint64 hundredths(double x) {
    return static_cast<qint64>(std::floor((bounded(x) + 0.004) * 100.0));
}

Split split(const SplitInput& input, const Media& media) {
    Split result;
    result.onePiece = input.mode >= SplitMode::SecondsSpan;
    const double kilobytes = static_cast<double>(media.bytes) / 1024.0;
    const qint64 length = hundredths(media.seconds);
    if (kilobytes <= 0.0 || length <= 0) {
        return result;
    }
    const double secondsPerKb = seconds(length) / kilobytes;
    const double each = bounded(input.each);
    qint64 piece = 0;  // hundredths
    switch (input.mode) {
        case SplitMode::Parts:
            result.count = static_cast<int>(std::clamp(each, -1.0, 1000.0));
            piece = result.count > 0 ? hundredths(seconds(length) / result.count) : 0;
            break;
        case SplitMode::Seconds:
            if (each > 0.0) {
                result.count =
                    static_cast<int>(std::min<qint64>(ceilingOf(seconds(length) / each), 1000));
                piece = hundredths(each);
            }
            break;
        case SplitMode::Kilobytes:
            if (each > 0.0) {
                result.count =
                    static_cast<int>(std::min<qint64>(ceilingOf(kilobytes / each), 1000));
                piece = hundredths(secondsPerKb * each);
            }
            break;
        case SplitMode::SecondsSpan:
        case SplitMode::KilobyteSpan:
        case SplitMode::PercentSpan: {
            const double from = bounded(input.from);
            const double to = bounded(input.to);
            qint64 start = 0;
            qint64 end = 0;
            if (input.mode == SplitMode::SecondsSpan) {
                start = hundredths(from);
                end = hundredths(to);
            } else if (input.mode == SplitMode::KilobyteSpan) {
                start = hundredths(secondsPerKb * from);
                end = hundredths(secondsPerKb * to);
            } else {
                start = hundredths(seconds(length) * from / 100.0);
                end = hundredths(seconds(length) * to / 100.0);
            }
            result.valid = start >= 0 && start <= length && start < end && end <= length;
            if (result.valid) {
                const double span = seconds(end - start);
                result.pieces = {{seconds(start), seconds(end)}};
                result.spanSeconds = seconds(hundredths(span));
                result.spanKilobytes = input.mode == SplitMode::KilobyteSpan
                                           ? std::llround(to - from)
                                           : ceilingOf(span / secondsPerKb);
                result.share = span / seconds(length);
            }
            return result;
        }
    }
    result.valid = result.count > 1 && result.count <= 99 && piece > 0;
    if (result.valid) {
        for (int i = 0; i < result.count; ++i) {
            const qint64 start = piece * i;
            result.pieces << SaveRangesJob::Range{seconds(start),
                                                  seconds(std::min(start + piece, length))};
        }
    }
    return result;
}

QString countText(const Split& split) {
    return split.valid ? QStringLiteral("目前切割數 ") +
                             QStringLiteral("%1").arg(split.count, 3, 10, QLatin1Char('0'))
                       : QStringLiteral("目前切割數  ？");
}

QString secondsText(const Split& split) {
    return (split.valid ? twoDecimals(split.spanSeconds) : QStringLiteral("？")) +
           QStringLiteral(" 秒");
}

QString kilobytesText(const Split& split) {
    return (split.valid ? QString::number(split.spanKilobytes) : QStringLiteral("？")) +
           QStringLiteral(" KB");
}

QString shareText(const Split& split) {
    return QStringLiteral("佔全部 ") +
           (split.valid ? twoDecimals(split.share * 100.0) : QStringLiteral("？")) +
           QStringLiteral(" %");
}

QList<double> realStarts(const Split& split, const QList<double>& keyframes) {
    QList<double> starts;
    for (const SaveRangesJob::Range& piece : split.pieces) {
        const int ss = SaveRangesJob::wholeSeconds(piece).ss;
        // The keyframes are in order: the last one not after the cut.
        const auto after = std::upper_bound(keyframes.cbegin(), keyframes.cend(), ss + 1e-6);
        starts << (after == keyframes.cbegin() ? 0.0 : *std::prev(after));
    }
    return starts;
}

Snapshot snapshot(const SnapInput& input, const Media& media) {
    Snapshot result;
    const qint64 length = hundredths(media.seconds);
    if (length <= 0) {
        return result;
    }
    result.single = input.choice == SnapChoice::Moment;
    qint64 from = 0;
    qint64 to = length;
    switch (input.choice) {
        case SnapChoice::Moment: {
            const qint64 at = hundredths(input.moment);
            result.valid = input.momentGiven && at >= 0 && at <= length;
            // A picture is never asked for later than 0.1 s before the end.
            result.times = {seconds(std::min(at, length - 10))};
            return result;
        }
        case SnapChoice::Whole:
            break;
        case SnapChoice::Span:
            from = hundredths(input.from);
            to = hundredths(input.to);
            if (from < 0 || from > length || to < 0 || to > length || to <= from) {
                return result;
            }
            break;
    }
    const double span = seconds(to - from);
    double interval = 0.0;
    qint64 last = -1;  // the index of the last picture
    if (input.spacing == SnapSpacing::Count) {
        last = std::llround(bounded(input.count) - 1.0);
        interval = last >= 0 ? span / static_cast<double>(last + 1) : 0.0;
    } else {
        interval = bounded(input.interval);
        if (interval > 0.0 && interval < span) {
            last = static_cast<qint64>(std::floor(span / interval));
        }
    }
    result.valid = last >= 0 && last < maxPictures;
    if (result.valid) {
        for (qint64 i = 0; i <= last; ++i) {
            const double at = interval * static_cast<double>(i) + seconds(from);
            result.times << std::min(at, seconds(to - 10));
        }
    }
    return result;
}

}  // namespace splitPlan
