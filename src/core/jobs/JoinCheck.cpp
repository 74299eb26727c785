#include "core/jobs/JoinCheck.h"

#include <QFile>
#include <QRegularExpression>

namespace joinCheck {

namespace {

// The most lines of differences one question lists.
constexpr int shownDifferences = 10;
// The most stream lines of one probe that are read.
constexpr int readStreams = 64;

QString crlf() {
    return QStringLiteral("\r\n");
}

// "30000/1001" as "29.97", "25/1" as "25"; what cannot be read stays as it is.
QString rateText(const QString& rational) {
    const qsizetype slash = rational.indexOf(u'/');
    bool okTop = false;
    bool okBottom = false;
    const double top = rational.left(slash).toDouble(&okTop);
    const double bottom = slash < 0 ? 1.0 : rational.mid(slash + 1).toDouble(&okBottom);
    if (!okTop || (slash >= 0 && !okBottom) || bottom == 0.0) {
        return rational;
    }
    return QString::number(top / bottom, 'f', 2)
        .remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

QString shown(const QString& value) {
    return value.isEmpty() ? QStringLiteral("（沒有）") : value;
}

}  // namespace

ToolCommand probeCommand(const QString& file) {
    return ToolCommand(QStringLiteral("ffprobe"))
        .raw(QStringLiteral(" -v error -show_entries "
                            "stream=codec_type,codec_name,width,height,r_frame_rate,sample_rate,"
                            "channels -of compact "))
        .quoted(file);
}

Streams readProbe(const QByteArray& output) {
    Streams streams;
    bool video = false;
    bool audio = false;
    int seen = 0;
    for (const QByteArray& line : output.split('\n')) {
        if (!line.startsWith("stream|") || ++seen > readStreams) {
            continue;
        }
        QString type;
        QString codec;
        QString width;
        QString height;
        QString rate;
        QString sampleRate;
        QString channels;
        for (const QByteArray& field : line.trimmed().split('|')) {
            const qsizetype eq = field.indexOf('=');
            const QByteArray key = field.left(eq);
            const QString value = QString::fromUtf8(field.mid(eq + 1));
            if (key == "codec_type") {
                type = value;
            } else if (key == "codec_name") {
                codec = value;
            } else if (key == "width") {
                width = value;
            } else if (key == "height") {
                height = value;
            } else if (key == "r_frame_rate") {
                rate = value;
            } else if (key == "sample_rate") {
                sampleRate = value;
            } else if (key == "channels") {
                channels = value;
            }
        }
        if (type == QLatin1String("video") && !video) {
            video = true;
            streams.videoCodec = codec;
            streams.size = width + u'x' + height;
            streams.frameRate = rateText(rate);
        } else if (type == QLatin1String("audio") && !audio) {
            audio = true;
            streams.audioCodec = codec;
            streams.sampleRate = sampleRate;
            streams.channels = channels;
        }
    }
    streams.read = video || audio;
    return streams;
}

QByteArray flvSetUp(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? flvSetUpOf(file.read(flvSetUpBytes)) : QByteArray();
}

QByteArray flvSetUpOf(const QByteArray& data) {
    if (data.size() < 13 || !data.startsWith("FLV")) {
        return QByteArray();
    }
    const auto byte = [&data](qsizetype at) { return static_cast<quint8>(data.at(at)); };
    const bool wantsAudio = (byte(4) & 0x04) != 0;
    const bool wantsVideo = (byte(4) & 0x01) != 0;
    const qsizetype header =
        (qsizetype(byte(5)) << 24) | (qsizetype(byte(6)) << 16) | (byte(7) << 8) | byte(8);
    QByteArray audio;
    QByteArray video;
    bool videoConfig = false;
    for (qsizetype at = header + 4; at + 11 <= data.size();) {
        const int type = byte(at) & 0x1f;
        const qsizetype size = (qsizetype(byte(at + 1)) << 16) | (byte(at + 2) << 8) | byte(at + 3);
        const qsizetype body = at + 11;
        if (body + size > data.size() || size == 0) {
            break;
        }
        if (type == 8 && audio.isEmpty()) {
            // The format byte, and for AAC its decoder configuration.
            audio = data.mid(body, (byte(body) >> 4) == 10 && byte(body + 1) == 0 ? size : 1);
        } else if (type == 9 && !videoConfig) {
            const int codec = byte(body) & 0x0f;
            video = data.mid(body, 1);
            video[0] = static_cast<char>(codec);
            // H.264 and H.265 carry their set-up in a sequence header of their own.
            if ((codec == 7 || codec == 12) && size > 1 && byte(body + 1) == 0) {
                video += data.mid(body + 1, size - 1);
                videoConfig = true;
            } else if (codec != 7 && codec != 12) {
                videoConfig = true;
            }
        }
        if ((audio.size() > 0 || !wantsAudio) && (videoConfig || !wantsVideo)) {
            return "a" + audio.toHex() + " v" + video.toHex();
        }
        at = body + size + 4;
    }
    return QByteArray();
}

QStringList differences(const QList<Streams>& files) {
    QStringList lines;
    if (files.isEmpty()) {
        return lines;
    }
    const Streams& first = files.first();
    for (int i = 0; i < files.size(); ++i) {
        const Streams& file = files.at(i);
        const QString number = QString::number(i + 1);
        if (!file.read) {
            lines << QStringLiteral("無法讀取第 ") + number + QStringLiteral(" 個檔案的格式");
            continue;
        }
        if (i == 0 || !first.read) {
            continue;
        }
        const struct {
            const char* what;
            QString value;
            QString firstValue;
        } properties[] = {
            {"影像編碼", file.videoCodec, first.videoCodec},
            {"影像大小", file.size, first.size},
            {"影格速率", file.frameRate, first.frameRate},
            {"聲音編碼", file.audioCodec, first.audioCodec},
            {"聲音取樣率", file.sampleRate, first.sampleRate},
            {"聲道數", file.channels, first.channels},
        };
        for (const auto& p : properties) {
            if (p.value != p.firstValue) {
                lines << QStringLiteral("第 ") + number + QStringLiteral(" 個檔案的") +
                             QString::fromUtf8(p.what) + QStringLiteral("是 ") + shown(p.value) +
                             QStringLiteral("，第一個檔案是 ") + shown(p.firstValue);
            }
        }
    }
    return lines;
}

QString question(const QStringList& differences) {
    QStringList lines = differences.mid(0, shownDifferences);
    if (differences.size() > shownDifferences) {
        lines << QStringLiteral("……還有 ") +
                     QString::number(differences.size() - shownDifferences) +
                     QStringLiteral(" 處不同");
    }
    return QStringLiteral("合併清單裡的檔案，格式與第一個檔案不同，") + crlf() +
           QStringLiteral("合併後的檔案可能無法正常播放：") + crlf() + crlf() + lines.join(crlf()) +
           crlf() + crlf() + QStringLiteral("按「確定」則繼續合併，按「取消」則中止合併");
}

}  // namespace joinCheck
