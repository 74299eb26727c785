#include "core/jobs/ToolCommands.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The two audio forms of a stream copy: the plain copy, and MP3 at 64 kbit/s for
// containers that cannot take the source's audio as it is.
QString audioPart(bool reencodeAudio) {
    return reencodeAudio ? QStringLiteral(" -oac mp3lame -lameopts br=64")
                         : QStringLiteral(" -oac copy");
}

// What every cut ends with: where the range starts, how long it is, the part it makes and
// the source.
ToolCommand cutRange(ToolCommand&& command, int ss, int length, const QString& part,
                     const QString& src) {
    return std::move(command)
        .raw(QStringLiteral(" -ss "))
        .arg(QString::number(ss))
        .raw(QStringLiteral(" -endpos "))
        .arg(QString::number(length))
        .raw(QStringLiteral(" -o "))
        .arg(part)
        .raw(QStringLiteral(" "))
        .quoted(src);
}

const QString originalSize = QStringLiteral("原視訊大小");
const QString mono = QStringLiteral("單聲道");

}  // namespace

int containerFamily(const QString& ext) {
    const QString e = ext.toLower();
    if (e == QLatin1String("flv")) {
        return 1;
    }
    if (e == QLatin1String("mpeg") || e == QLatin1String("mpg") || e == QLatin1String("vob")) {
        return 2;
    }
    return 3;
}

ToolCommand resourceCommand(const QString& resourcePath, const QString& modeWord) {
    return ToolCommand(resourcePath).raw(QStringLiteral(" ")).arg(modeWord);
}

ToolCommand cutCommand(const QString& mencoderPath, int ss, int length, const QString& part,
                       const QString& src, bool reencodeAudio) {
    return cutRange(ToolCommand(mencoderPath)
                        .raw(QStringLiteral(" -mc 1 -ovc copy"))
                        .raw(audioPart(reencodeAudio)),
                    ss, length, part, src);
}

ToolCommand exactCutCommand(const QString& mencoderPath, double from, double to, int ss, int length,
                            const QString& part, const QString& src) {
    return cutRange(
        ToolCommand(mencoderPath)
            .raw(QStringLiteral(" -mc 1 -ovc copy -oac copy -exact "))
            .arg(QString::number(from, 'f', 3) + QLatin1Char(',') + QString::number(to, 'f', 3)),
        ss, length, part, src);
}

ToolCommand remuxCommand(const QString& ffmpegPath, const QString& name) {
    return ToolCommand(ffmpegPath)
        .raw(QStringLiteral(" -y -vcodec copy -acodec copy -i "))
        .arg(name)
        .raw(QStringLiteral(" "))
        .arg(QStringLiteral("~fix") + name);
}

ToolCommand remuxToCommand(const QString& ffmpegPath, const QString& name, const QString& dest) {
    return ToolCommand(ffmpegPath)
        .raw(QStringLiteral(" -y -vcodec copy -acodec copy -i "))
        .arg(name)
        .raw(QStringLiteral(" "))
        .quoted(dest);
}

ToolCommand metaCommand(const QString& flvMetaPath, const QString& name) {
    return ToolCommand(flvMetaPath).raw(QStringLiteral(" ")).arg(name);
}

ToolCommand metaQuotedCommand(const QString& flvMetaPath, const QString& dest) {
    return ToolCommand(flvMetaPath).raw(QStringLiteral(" ")).quoted(dest);
}

ToolCommand joinPartsCommand(const QString& mencoderPath, const QString& ext,
                             const QStringList& parts) {
    ToolCommand c(mencoderPath);
    c.raw(QStringLiteral(" -mc 1 -ovc copy -oac copy -o ")).arg(QStringLiteral("~tmpSJoin.") + ext);
    for (const QString& part : parts) {
        c.raw(QStringLiteral(" ")).arg(part);
    }
    return c;
}

ToolCommand joinPartsToCommand(const QString& mencoderPath, const QString& dest,
                               const QStringList& parts) {
    ToolCommand c(mencoderPath);
    c.raw(QStringLiteral(" -mc 1 -ovc copy -oac copy -o ")).quoted(dest);
    for (const QString& part : parts) {
        c.raw(QStringLiteral(" ")).arg(part);
    }
    return c;
}

ToolCommand joinFilesCommand(const QString& mencoderPath, const QString& ext,
                             const QStringList& files) {
    ToolCommand c(mencoderPath);
    c.raw(QStringLiteral(" -mc 1 -ovc copy -oac copy -o ")).arg(QStringLiteral("~tmpSJoin.") + ext);
    for (const QString& file : files) {
        c.raw(QStringLiteral(" ")).quoted(file);
    }
    return c;
}

ToolCommand joinFilesToCommand(const QString& mencoderPath, const QString& dest,
                               const QStringList& files, bool reencodeAudio) {
    ToolCommand c(mencoderPath);
    c.raw(QStringLiteral(" -mc 1 -ovc copy"))
        .raw(audioPart(reencodeAudio))
        .raw(QStringLiteral(" -o "))
        .quoted(dest);
    for (const QString& file : files) {
        c.raw(QStringLiteral(" ")).quoted(file);
    }
    return c;
}

namespace {

// A moment as the time texts write it: cut to hundredths, shown with three decimals.
QString momentText(double seconds) {
    const double hundredths = std::floor((seconds + 0.004) * 100.0 + 1e-7);
    return QString::number(std::max(0.0, hundredths) / 100.0, 'f', 3);
}

}  // namespace

ToolCommand snapshotSeriesCommand(const QString& ffmpegPath, const QString& src,
                                  const QList<double>& moments, const QString& img) {
    QStringList times;
    for (const double moment : moments) {
        times << momentText(moment);
    }
    return ToolCommand(ffmpegPath)
        .raw(QStringLiteral(" -i "))
        .quoted(src)
        .raw(QStringLiteral(" -y -ss "))
        .arg(times.join(QLatin1Char(',')))
        .raw(QStringLiteral(" -t 0.001 "))
        .arg(QStringLiteral("~tmpSP%03d.") + img);
}

ToolCommand snapshotCommand(const QString& ffmpegPath, const QString& src, double seconds,
                            const QString& img) {
    return ToolCommand(ffmpegPath)
        .raw(QStringLiteral(" -i "))
        .quoted(src)
        .raw(QStringLiteral(" -y -ss "))
        .arg(momentText(seconds))
        .raw(QStringLiteral(" -t 0.001 "))
        .arg(QStringLiteral("~tmpSP%03d.") + img);
}

ToolCommand fixFlvCommand(const QString& ffmpegPath, const QString& src, const QString& ext) {
    return ToolCommand(ffmpegPath)
        .raw(QStringLiteral(" -y -vcodec copy -acodec copy -i "))
        .quoted(src)
        .raw(QStringLiteral(" "))
        .arg(QStringLiteral("~fix~tmpSP.") + ext);
}

ToolCommand fixMpegCommand(const QString& ffmpegPath, const QString& src, const QString& dest) {
    return ToolCommand(ffmpegPath)
        .raw(QStringLiteral(" -y -vcodec copy -acodec copy -i "))
        .quoted(src)
        .raw(QStringLiteral(" "))
        .quoted(dest);
}

ToolCommand fixOtherCommand(const QString& mencoderPath, const QString& src, const QString& dest,
                            bool reencodeAudio) {
    // Unlike cutting and joining, the repair copy runs without "-mc 1".
    return ToolCommand(mencoderPath)
        .raw(QStringLiteral(" -ovc copy"))
        .raw(audioPart(reencodeAudio))
        .raw(QStringLiteral(" -o "))
        .quoted(dest)
        .raw(QStringLiteral(" "))
        .quoted(src);
}

ToolCommand encodeCommand(const QString& ffmpegPath, const QString& src, const QString& dst,
                          const EncodeSettings& settings) {
    ToolCommand c(ffmpegPath);
    c.raw(QStringLiteral(" -y -i ")).quoted(src);
    if (settings.panel >= 2) {
        // Audio panels: no picture, so none of the video settings apply.
        c.raw(QStringLiteral(" -vn "));
    } else {
        if (QFileInfo(dst).suffix().toLower() == QLatin1String("wmv")) {
            c.raw(QStringLiteral(" -vcodec wmv2 "));
        }
        if (settings.videoSize != originalSize) {
            c.raw(QStringLiteral(" -s ")).arg(settings.videoSize);
        }
        c.raw(QStringLiteral(" -r ")).arg(settings.frameRate);
        c.raw(QStringLiteral(" -b ")).arg(settings.videoBitrate);
    }
    c.raw(QStringLiteral(" -ar ")).arg(settings.samplingRate);
    c.raw(QStringLiteral(" -ab ")).arg(settings.audioBitrate);
    c.raw(QStringLiteral(" -ac "))
        .arg(settings.channels == mono ? QStringLiteral("1") : QStringLiteral("2"));
    c.raw(QStringLiteral(" ")).quoted(dst);
    return c;
}
