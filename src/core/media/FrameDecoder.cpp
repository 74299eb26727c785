#include "core/media/FrameDecoder.h"

#include "core/common/mdlZelvoFLV.h"

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Times closer than this are one time: millisecond time stamps round frame times.
constexpr double kSameTime = 0.001;
// Reading the file's start to learn its streams reads at most this much.
constexpr qint64 kProbeBytes = 4ll << 20;
constexpr qint64 kProbeMicroseconds = 3 * AV_TIME_BASE;
// Packets of all streams read while looking for one video keyframe, beyond the video ones.
constexpr int kPacketsPerVideoPacket = 8;

}  // namespace

struct FrameDecoder::Media {
    QString path;
    const Limits* limits = nullptr;
    const std::atomic<bool>* stop = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* video = nullptr;
    SwsContext* scaler = nullptr;
    AVPacket* packet = nullptr;
    AVPacket* spare = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* best = nullptr;
    qint64 fileSize = 0;
    qint64 originTs = 0;  // the first picture's time stamp, in the stream's time base
    double duration = 0.0;
    bool byBytes = false;
    bool isFlv = false;
    // The shortest distance seen between two keyframes: the group of pictures, or more.
    double gop = 0.0;
    void noteKeyframes(double a, double b) {
        const double apart = std::abs(a - b);
        gop = gop > 0.0 ? std::min(gop, apart) : apart;
    }
    std::vector<uint8_t> window;  // the bytes searched for a tag after a byte position
    // The budget of one picture: bytes read since budgetStart.
    bool budgetOn = false;
    qint64 budgetStart = 0;
    // A read was cut short: the demuxer's state is unknown until the file is opened again.
    bool broken = false;
    int videoPackets = 0;
    int allPackets = 0;

    ~Media() {
        sws_freeContext(scaler);
        av_frame_free(&best);
        av_frame_free(&frame);
        av_packet_free(&packet);
        av_packet_free(&spare);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    qint64 bytesRead() const {
        return format != nullptr && format->pb != nullptr ? format->pb->bytes_read : 0;
    }
    bool overBudget() const {
        return budgetOn &&
               (bytesRead() - budgetStart > limits->maxBytes || videoPackets > limits->maxPackets ||
                allPackets > limits->maxPackets * kPacketsPerVideoPacket);
    }
    bool mustStop() const { return stop->load() || overBudget(); }

    static int interrupted(void* self) {
        const auto* media = static_cast<const Media*>(self);
        return media->mustStop() ? 1 : 0;
    }

    double secondsOf(qint64 ts) const {
        return static_cast<double>(ts - originTs) * av_q2d(video->time_base);
    }
    qint64 tsOf(double seconds) const {
        return originTs + static_cast<qint64>(std::floor(seconds / av_q2d(video->time_base)));
    }
    double packetSeconds(const AVPacket* p) const {
        return secondsOf(p->pts != AV_NOPTS_VALUE ? p->pts : p->dts);
    }
    double frameSeconds(const AVFrame* f) const {
        return secondsOf(f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp
                                                                    : f->pts);
    }

    bool seekTo(double seconds);
    bool seekFlvTag(qint64 pos);
    bool readVideo(bool keyOnly);
    bool findKeyframe(double seconds);
    bool lastKeyframeBefore(double seconds);
    bool decodeKeyframe();
    bool decodeForward(double seconds, const std::function<bool()>& goOn);
    QImage picture(const AVFrame* source);
};

namespace {

bool pickVideo(AVFormatContext* format, AVStream*& video, const AVCodec*& decoder) {
    const int best = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    // A song's cover is a "video" stream of one picture: it is no video to preview.
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        AVStream* stream = format->streams[i];
        const bool wanted = best >= 0 ? static_cast<int>(i) == best : true;
        if (wanted && stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0) {
            video = stream;
            decoder = avcodec_find_decoder(stream->codecpar->codec_id);
            return true;
        }
    }
    return false;
}

}  // namespace

FrameDecoder::FrameDecoder(const Limits& limits) : m_limits(limits) {}

FrameDecoder::~FrameDecoder() = default;

bool FrameDecoder::isOpen() const {
    return m_media != nullptr;
}

void FrameDecoder::close() {
    m_media.reset();
}

double FrameDecoder::duration() const {
    return m_media ? m_media->duration : 0.0;
}

bool FrameDecoder::seeksByBytes() const {
    return m_media && m_media->byBytes;
}

FrameDecoder::Opened FrameDecoder::open(const QString& path) {
    const bool preferBytes = m_media && m_media->path == path && m_media->byBytes;
    close();
    // A stream is read by the player alone; a device or a pipe could block any read.
    if (path.isEmpty() || isUrl(path)) {
        return Opened::NoVideo;
    }
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        return Opened::Failed;
    }
    auto media = std::make_unique<Media>();
    media->path = path;
    media->limits = &m_limits;
    media->stop = &m_stop;
    media->format = avformat_alloc_context();
    if (media->format == nullptr) {
        return Opened::Failed;
    }
    media->format->interrupt_callback.callback = &Media::interrupted;
    media->format->interrupt_callback.opaque = media.get();
    media->format->probesize = kProbeBytes;
    media->format->max_analyze_duration = kProbeMicroseconds;
    media->budgetOn = true;
    // "file:" keeps a name with a colon a file name; the file may name no other file or URL
    // (a list format such as HLS would).
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const QByteArray url = "file:" + QFile::encodeName(info.absoluteFilePath());
    const int opened = avformat_open_input(&media->format, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) {
        media->format = nullptr;  // freed by avformat_open_input
        return Opened::Failed;
    }
    if (avformat_find_stream_info(media->format, nullptr) < 0 && media->format->nb_streams == 0) {
        return Opened::Failed;
    }
    media->budgetOn = false;
    const AVCodec* decoder = nullptr;
    if (!pickVideo(media->format, media->video, decoder)) {
        return Opened::NoVideo;
    }
    if (decoder == nullptr) {
        return Opened::Failed;
    }
    for (unsigned i = 0; i < media->format->nb_streams; ++i) {
        if (media->format->streams[i] != media->video) {
            media->format->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    media->codec = avcodec_alloc_context3(decoder);
    if (media->codec == nullptr ||
        avcodec_parameters_to_context(media->codec, media->video->codecpar) < 0) {
        return Opened::Failed;
    }
    // One decoding thread: the player decodes on the other cores.
    media->codec->thread_count = 1;
    media->codec->pkt_timebase = media->video->time_base;
    if (avcodec_open2(media->codec, decoder, nullptr) < 0) {
        return Opened::Failed;
    }
    media->packet = av_packet_alloc();
    media->spare = av_packet_alloc();
    media->frame = av_frame_alloc();
    media->best = av_frame_alloc();
    if (media->packet == nullptr || media->spare == nullptr || media->frame == nullptr ||
        media->best == nullptr) {
        return Opened::Failed;
    }

    AVFormatContext* format = media->format;
    const AVRational microseconds{1, AV_TIME_BASE};
    if (media->video->start_time != AV_NOPTS_VALUE) {
        media->originTs = media->video->start_time;
    } else if (format->start_time != AV_NOPTS_VALUE) {
        media->originTs = av_rescale_q(format->start_time, microseconds, media->video->time_base);
    }
    if (format->duration > 0) {
        media->duration = static_cast<double>(format->duration) / AV_TIME_BASE;
    } else if (media->video->duration > 0) {
        media->duration =
            static_cast<double>(media->video->duration) * av_q2d(media->video->time_base);
    }
    media->isFlv = qstrcmp(format->iformat->name, "flv") == 0;
    media->fileSize = format->pb != nullptr ? avio_size(format->pb) : -1;
    // Without an index (an FLV without its keyframe list) the demuxer finds a time by reading
    // every packet up to it; a byte position proportional to the time is found at once.
    // (Reading the start has put the first keyframes into the index already: an index is one
    // that reaches into the second half.)
    const int entries = avformat_index_get_entries_count(media->video);
    const AVIndexEntry* last =
        entries >= 2 ? avformat_index_get_entry(media->video, entries - 1) : nullptr;
    const bool indexed =
        last != nullptr && media->secondsOf(last->timestamp) >= media->duration / 2.0;
    const bool buildsIndex = (format->iformat->flags & AVFMT_GENERIC_INDEX) != 0 || media->isFlv;
    media->byBytes = (preferBytes || (buildsIndex && !indexed)) && media->duration > 0.0 &&
                     media->fileSize > 0 && (format->iformat->flags & AVFMT_NO_BYTE_SEEK) == 0;
    m_media = std::move(media);
    return Opened::Ok;
}

qint64 FrameDecoder::lastBytesRead() const {
    return m_media ? m_media->bytesRead() - m_media->budgetStart : 0;
}

int FrameDecoder::lastPacketsDecoded() const {
    return m_media ? m_media->videoPackets : 0;
}

FrameDecoder::Picture FrameDecoder::keyframeAt(double seconds) {
    return decodeAt(seconds, false, {});
}

FrameDecoder::Picture FrameDecoder::frameAt(double seconds, const std::function<bool()>& goOn) {
    return decodeAt(seconds, true, goOn);
}

// Puts the demuxer before seconds: on the keyframe at or before it where the file has an
// index, at the byte position in proportion to it otherwise.
bool FrameDecoder::Media::seekTo(double seconds) {
    if (byBytes && seconds > 0.0) {
        const double share = std::clamp(seconds / duration, 0.0, 1.0);
        const auto pos =
            std::min(fileSize - 1, static_cast<qint64>(share * static_cast<double>(fileSize)));
        if (isFlv) {
            return seekFlvTag(pos);
        }
        return av_seek_frame(format, -1, pos, AVSEEK_FLAG_BYTE) >= 0;
    }
    // Below 0: before every time stamp.
    const qint64 ts = seconds >= 0.0 ? tsOf(seconds) : INT64_MIN;
    if (avformat_seek_file(format, video->index, INT64_MIN, ts, ts, 0) >= 0) {
        return true;
    }
    return av_seek_frame(format, video->index, ts, AVSEEK_FLAG_BACKWARD) >= 0;
}

namespace {

// An FLV tag begins at p: a known type, stream id 0, and the size after it that repeats its
// own; the tag after it, when it is in the window, begins the same way.
// The size of the tag whose header begins at p, -1 when none can begin there.
qint64 flvTagSize(const uint8_t* bytes, qint64 p) {
    const uint8_t type = bytes[p];
    if ((type != 8 && type != 9 && type != 18) || bytes[p + 8] != 0 || bytes[p + 9] != 0 ||
        bytes[p + 10] != 0) {
        return -1;
    }
    return (qint64{bytes[p + 1]} << 16) | (qint64{bytes[p + 2]} << 8) | qint64{bytes[p + 3]};
}

bool flvTagAt(const uint8_t* bytes, qint64 count, qint64 p) {
    const auto be24 = [bytes](qint64 at) {
        return (qint64{bytes[at]} << 16) | (qint64{bytes[at + 1]} << 8) | qint64{bytes[at + 2]};
    };
    const auto tagStart = [&](qint64 at) {
        const uint8_t type = bytes[at];
        return (type == 8 || type == 9 || type == 18) && be24(at + 8) == 0;
    };
    if (p + 11 > count || !tagStart(p)) {
        return false;
    }
    const qint64 size = be24(p + 1);
    const qint64 next = p + 11 + size;
    if (next + 4 > count) {
        return false;
    }
    const qint64 repeated = (qint64{bytes[next]} << 24) | be24(next + 1);
    if (repeated != size + 11) {
        return false;
    }
    return next + 4 + 11 > count || tagStart(next + 4);
}

}  // namespace

// Puts the demuxer on the first whole FLV tag at or after pos: read from the middle of a
// tag, its demuxer would take the bytes there for tags, and streams, of their own.
bool FrameDecoder::Media::seekFlvTag(qint64 pos) {
    // Most tags are small: the window grows only for a large one (a keyframe).
    constexpr int kFirstBytes = 64 << 10;
    constexpr int kMostBytes = 4 << 20;
    AVIOContext* io = format->pb;
    if (avio_seek(io, pos, SEEK_SET) < 0) {
        return false;
    }
    int count = 0;
    bool atEnd = false;
    const auto fill = [&](int wanted) {
        wanted = std::min(wanted, kMostBytes);
        if (atEnd || wanted <= count) {
            return;
        }
        window.resize(static_cast<size_t>(wanted));
        const int asked = wanted - count;
        const int got = std::max(0, avio_read(io, window.data() + count, asked));
        count += got;
        atEnd = got < asked;
    };
    fill(kFirstBytes);
    for (qint64 p = 0; !mustStop(); ++p) {
        if (p + 11 > count) {
            // Inside a large tag (a keyframe): the next one is further on.
            const int had = count;
            fill(2 * count);
            if (count == had) {
                break;
            }
        }
        const qint64 size = flvTagSize(window.data(), p);
        if (size < 0) {
            continue;
        }
        const qint64 needed = p + 11 + size + 4 + 11;
        if (needed > count) {
            fill(static_cast<int>(
                std::min<qint64>(kMostBytes, std::max<qint64>(needed, 2ll * count))));
        }
        if (flvTagAt(window.data(), count, p)) {
            return av_seek_frame(format, -1, pos + p, AVSEEK_FLAG_BYTE) >= 0;
        }
    }
    return false;
}

// The next packet of the video stream (a keyframe's when keyOnly) into packet.
bool FrameDecoder::Media::readVideo(bool keyOnly) {
    while (!mustStop()) {
        av_packet_unref(packet);
        const int read = av_read_frame(format, packet);
        if (read < 0) {
            if (read == AVERROR_EXIT || mustStop()) {
                broken = true;
            }
            return false;
        }
        ++allPackets;
        if (packet->stream_index != video->index) {
            continue;
        }
        ++videoPackets;
        if (!keyOnly || ((packet->flags & AV_PKT_FLAG_KEY) != 0 && packet->size > 0)) {
            return true;
        }
    }
    av_packet_unref(packet);
    return false;
}

// Leaves the keyframe at or before seconds in packet (the first one when seconds is before
// it). A seek that lands after seconds (a byte position, a time stamp search that meets no
// keyframe) is made again further back.
bool FrameDecoder::Media::findKeyframe(double seconds) {
    // Without an index the byte position of a time is a guess: aiming a group of pictures
    // early mostly lands before the keyframe sought, and seldom before the one before it.
    double back = byBytes ? gop : 0.0;
    double seen = -1.0;
    bool fromStart = false;
    // A time stamp search goes back a little more each try. Without an index, keyframes of
    // unknown spacing may be minutes apart (a long recording near its end): each try goes
    // eight times as far back, from 2 s (2 s, 16 s, 128 s, 17 min).
    const auto further = [this](double was) {
        if (gop > 0.0) {
            return was < gop ? gop : was + gop;
        }
        if (!byBytes) {
            return was > 0.0 ? was * 4.0 : 0.5;
        }
        return was > 0.0 ? was * 8.0 : 2.0;
    };
    for (int tries = 0; tries < limits->maxTries && !mustStop(); ++tries) {
        const double aim = fromStart ? -1.0 : std::max(0.0, seconds - back);
        if (!seekTo(aim) || !readVideo(true)) {
            if (mustStop() || aim <= 0.0) {
                return false;
            }
            back = further(back);  // past the last keyframe
            continue;
        }
        const double found = packetSeconds(packet);
        if (seen >= 0.0 && std::abs(found - seen) > kSameTime) {
            noteKeyframes(seen, found);
        }
        seen = found;
        if (found > seconds + kSameTime) {
            if (aim > 0.0) {
                back = further(back);
                continue;
            }
            if (!fromStart) {
                // A search for the first time stamp can land after the first keyframe.
                fromStart = true;
                continue;
            }
        }
        // More than a group of pictures early: a later keyframe may come before seconds.
        const bool early = found + gop * 0.95 < seconds + kSameTime;
        return !byBytes || !early || lastKeyframeBefore(seconds);
    }
    return false;
}

// From the keyframe in packet, reads on to seconds and leaves the last keyframe before it in
// packet, with the demuxer on it.
bool FrameDecoder::Media::lastKeyframeBefore(double seconds) {
    av_packet_unref(spare);
    av_packet_move_ref(spare, packet);
    while (readVideo(false)) {
        const double at = packetSeconds(packet);
        const qint64 order = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
        if ((packet->flags & AV_PKT_FLAG_KEY) != 0 && packet->size > 0 &&
            at <= seconds + kSameTime) {
            noteKeyframes(packetSeconds(spare), at);
            av_packet_unref(spare);
            av_packet_move_ref(spare, packet);
        } else if (secondsOf(order) > seconds + kSameTime) {
            break;
        }
    }
    av_packet_unref(packet);
    // Back to that keyframe, for the packets after it.
    if (mustStop() || av_seek_frame(format, -1, spare->pos, AVSEEK_FLAG_BYTE) < 0) {
        return false;
    }
    if (!readVideo(true)) {
        return false;
    }
    av_packet_unref(spare);
    return true;
}

bool FrameDecoder::Media::decodeKeyframe() {
    avcodec_flush_buffers(codec);
    bool got = false;
    if (avcodec_send_packet(codec, packet) >= 0) {
        // Drained at once: a decoder that holds pictures back to reorder them gives it now.
        avcodec_send_packet(codec, nullptr);
        got = avcodec_receive_frame(codec, best) >= 0;
    }
    av_packet_unref(packet);
    avcodec_flush_buffers(codec);
    return got;
}

// Decodes from the keyframe in packet until the frame shown at seconds is in best: the last
// one not after it (or the first one, when all are after it).
bool FrameDecoder::Media::decodeForward(double seconds, const std::function<bool()>& goOn) {
    avcodec_flush_buffers(codec);
    bool have = false;
    bool done = false;
    bool draining = false;
    const auto collect = [&] {
        while (!done && avcodec_receive_frame(codec, frame) >= 0) {
            const bool notAfter = frameSeconds(frame) <= seconds + kSameTime;
            if (notAfter || !have) {
                av_frame_unref(best);
                av_frame_move_ref(best, frame);
                have = true;
            } else {
                av_frame_unref(frame);
            }
            done = !notAfter;
        }
    };
    const double start = packetSeconds(packet);
    bool pending = true;
    while (!done) {
        if (pending) {
            // A damaged packet is passed over: the next ones may still decode.
            if (avcodec_send_packet(codec, packet) == AVERROR(EAGAIN)) {
                collect();
                avcodec_send_packet(codec, packet);
            }
            av_packet_unref(packet);
            pending = false;
        }
        collect();
        if (done || draining) {
            break;
        }
        if (mustStop() || (goOn && !goOn())) {
            have = false;
            break;
        }
        if (readVideo(false)) {
            pending = true;
            if ((packet->flags & AV_PKT_FLAG_KEY) != 0 &&
                packetSeconds(packet) > start + kSameTime) {
                noteKeyframes(start, packetSeconds(packet));
            }
        } else if (mustStop()) {
            have = false;
            break;
        } else {
            draining = true;
            avcodec_send_packet(codec, nullptr);
        }
    }
    av_packet_unref(packet);
    avcodec_flush_buffers(codec);
    return have;
}

QImage FrameDecoder::Media::picture(const AVFrame* source) {
    if (source->width <= 0 || source->height <= 0) {
        return {};
    }
    const AVRational sar =
        source->sample_aspect_ratio.num > 0 ? source->sample_aspect_ratio : AVRational{1, 1};
    const double shownWidth = source->width * av_q2d(sar);
    const int width = std::max(2, limits->width);
    const int height = std::clamp(
        static_cast<int>(std::lround(width * source->height / shownWidth)), 2, 4 * width);
    scaler = sws_getCachedContext(scaler, source->width, source->height,
                                  static_cast<AVPixelFormat>(source->format), width, height,
                                  AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (scaler == nullptr) {
        return {};
    }
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    uint8_t* const target[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int stride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    if (sws_scale(scaler, source->data, source->linesize, 0, source->height, target, stride) !=
        height) {
        return {};
    }
    return image;
}

FrameDecoder::Picture FrameDecoder::decodeAt(double seconds, bool exact,
                                             const std::function<bool()>& goOn) {
    if (!m_media) {
        return {};
    }
    if (m_media->broken) {
        const QString path = m_media->path;
        if (open(path) != Opened::Ok) {
            return {};
        }
    }
    Media& m = *m_media;
    m.budgetStart = m.bytesRead();
    m.videoPackets = 0;
    m.allPackets = 0;
    m.budgetOn = true;
    if (!std::isfinite(seconds)) {
        seconds = 0.0;
    }
    seconds = std::max(0.0, m.duration > 0.0 ? std::min(seconds, m.duration) : seconds);
    Picture result;
    const auto decode = [&] {
        // Finding the keyframe and decoding on from it have a packet budget each: the
        // search only reads, and may have read on past a keyframe minutes long.
        m.videoPackets = 0;
        return exact ? m.decodeForward(seconds, goOn) : m.decodeKeyframe();
    };
    if (m.findKeyframe(seconds) && decode()) {
        result.image = m.picture(m.best);
        result.seconds = m.frameSeconds(m.best);
    }
    av_frame_unref(m.best);
    if (m.overBudget() && !m.byBytes && !exact) {
        // Finding a keyframe by its time cost too much here: positions from now on.
        m.byBytes = m.duration > 0.0 && m.fileSize > 0;
    }
    m.budgetOn = false;
    if (result.image.isNull()) {
        result.seconds = -1.0;
    }
    return result;
}
