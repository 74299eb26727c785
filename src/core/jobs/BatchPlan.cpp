#include "core/jobs/BatchPlan.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "core/jobs/BatchTexts.h"
#include "core/jobs/DestinationPolicy.h"

#include <QFileInfo>

#include <cmath>

namespace batchPlan {

splitPlan::Media MediaFacts::media() const {
    splitPlan::Media media;
    media.seconds = static_cast<double>(splitPlan::hundredths(seconds)) / 100.0;
    media.bytes = bytes;
    return media;
}

ToolCommand probeCommand(const QString& source) {
    // "-i" before the path: a name that begins with "-" is still the input.
    return ToolCommand(QStringLiteral("ffprobe"))
        .raw(QStringLiteral(" -v error -show_entries "))
        .arg(QStringLiteral("format=duration:stream=codec_type,avg_frame_rate,r_frame_rate:"
                            "stream_disposition=attached_pic"))
        .raw(QStringLiteral(" -of default=noprint_wrappers=1 -i "))
        .quoted(source);
}

namespace {

double rate(const QString& text) {
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash < 0) {
        return text.toDouble();
    }
    const double den = text.mid(slash + 1).toDouble();
    return den > 0 ? text.left(slash).toDouble() / den : 0.0;
}

}  // namespace

MediaFacts readProbe(const QByteArray& said, qint64 bytes) {
    MediaFacts facts;
    facts.bytes = bytes;
    bool inVideo = false;
    bool picture = false;  // the stream is a cover picture, not a video
    double avg = 0.0;
    double real = 0.0;
    const auto endStream = [&] {
        if (inVideo && !picture && facts.fps <= 0.0) {
            facts.video = true;
            facts.fps = avg > 0.0 ? avg : real;
        }
        inVideo = false;
        picture = false;
        avg = 0.0;
        real = 0.0;
    };
    for (const QByteArray& raw : said.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) {
            continue;
        }
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1);
        if (key == QLatin1String("codec_type")) {
            endStream();
            inVideo = value == QLatin1String("video");
        } else if (key == QLatin1String("avg_frame_rate")) {
            avg = rate(value);
        } else if (key == QLatin1String("r_frame_rate")) {
            real = rate(value);
        } else if (key == QLatin1String("DISPOSITION:attached_pic")) {
            picture = value == QLatin1String("1");
        } else if (key == QLatin1String("duration")) {
            const double seconds = value.toDouble();
            if (std::isfinite(seconds) && seconds > 0) {
                facts.seconds = seconds;
            }
        }
    }
    endStream();
    return facts;
}

QString precheck(const QString& source, const QStringList& earlier,
                 const std::function<bool(const QString&)>& takes, const QString& typeWord) {
    const QFileInfo info(source);
    if (!info.isFile()) {
        return batchTexts::missing();
    }
    if (info.size() == 0) {
        return batchTexts::empty();
    }
    for (const QString& before : earlier) {
        if (destinationPolicy::sameFile(before, source)) {
            return batchTexts::duplicate();
        }
    }
    if (!isMediaFile(source) && !isEditableFile(source)) {
        return batchTexts::notMedia();
    }
    if (takes && !takes(source)) {
        return batchTexts::wrongType(typeWord);
    }
    return QString();
}

namespace {

bool free(const QString& path, const QStringList& taken, const QStringList& sources) {
    for (const QString& t : taken) {
        if (t.compare(path, Qt::CaseSensitive) == 0) {
            return false;
        }
    }
    for (const QString& source : sources) {
        if (source == path || destinationPolicy::sameFile(source, path)) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString uniqueName(const QString& folder, const QString& base, const QString& suffix,
                   const QString& ext, QStringList& taken, const QStringList& sources) {
    const QString dir = addSeparator(folder);
    for (int n = 1;; ++n) {
        const QString name = base + (n == 1 ? QString() : QStringLiteral("_%1").arg(n)) + suffix +
                             QLatin1Char('.') + ext;
        if (free(dir + name, taken, sources)) {
            taken << dir + name;
            return dir + name;
        }
    }
}

QString uniqueFolder(const QString& folder, const QString& base, QStringList& taken) {
    const QString dir = addSeparator(folder);
    for (int n = 1;; ++n) {
        const QString name =
            dir + base + (n == 1 ? QString() : QStringLiteral("_%1").arg(n)) + QLatin1Char('/');
        if (!taken.contains(name)) {
            taken << name;
            return name;
        }
    }
}

QList<SaveRangesJob::Range> marksRanges(const QString& marks, const MediaFacts& facts) {
    QList<SaveRangesJob::Range> ranges;
    // Frames are the pictures' frames; without pictures the marks count thousandths.
    const double perFrame = facts.video ? (facts.fps > 0 ? 1.0 / facts.fps : 0.0) : 0.001;
    if (perFrame <= 0.0 || facts.seconds <= 0.0) {
        return {};
    }
    const qint64 length = splitPlan::hundredths(facts.seconds);
    for (const QString& piece : marks.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList ends = piece.split(QLatin1Char('-'));
        bool okFrom = false;
        bool okTo = false;
        const qint64 from = ends.value(0).toLongLong(&okFrom);
        const qint64 to = ends.value(1).toLongLong(&okTo);
        if (!okFrom || !okTo || from < 0 || to <= from) {
            continue;
        }
        const qint64 start = splitPlan::hundredths(static_cast<double>(from) * perFrame);
        qint64 end = splitPlan::hundredths(static_cast<double>(to) * perFrame);
        // A mark a frame past the end (rounding of the length) still fits.
        if (start >= length || end > length + splitPlan::hundredths(2 * perFrame + 0.01)) {
            return {};
        }
        end = std::min(end, length);
        ranges << SaveRangesJob::Range{static_cast<double>(start) / 100.0,
                                       static_cast<double>(end) / 100.0};
    }
    return ranges;
}

}  // namespace batchPlan
