#include "ExactCut.h"

#include "AvcConfig.h"
#include "ChildProcess.h"
#include "ToolPaths.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

namespace exttool {

namespace {

// The encoder's settings for the pieces it makes: quick, and close enough to the source
// that a piece cannot be told from the pictures around it (over 40 dB on our test media).
const char* const encoderPreset = "veryfast";
const char* const encoderQuality = "15";

// A boundary group of pictures larger than this is not held in memory: such a stream has
// no IDR keyframes to speak of (an open GOP throughout) and the cut falls back.
constexpr std::size_t gopBytesLimit = 256u << 20;
constexpr std::size_t gopPicturesLimit = 3000;

// The check's least likeness of a range's first and last pictures to the source's.
constexpr double checkLeastPsnr = 35.0;

struct FormatInputFree {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct FormatOutputFree {
    void operator()(AVFormatContext* c) const {
        if (c->pb != nullptr && (c->oformat->flags & AVFMT_NOFILE) == 0) {
            avio_closep(&c->pb);
        }
        avformat_free_context(c);
    }
};
struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using InputPtr = std::unique_ptr<AVFormatContext, FormatInputFree>;
using OutputPtr = std::unique_ptr<AVFormatContext, FormatOutputFree>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

PacketPtr newPacket() {
    return PacketPtr(av_packet_alloc());
}
FramePtr newFrame() {
    return FramePtr(av_frame_alloc());
}

// libav's own messages are counted, not printed: the check fails on any error a decoder
// reports, and the user hears of a fallback in the program's words.
int loggedErrors = 0;
void countErrors(void*, int level, const char*, va_list) {
    if (level <= AV_LOG_ERROR) {
        ++loggedErrors;
    }
}

// The name the report gives a picture codec that is not cut exactly.
std::string codecName(AVCodecID id) {
    switch (id) {
        case AV_CODEC_ID_FLV1:
            return "H.263（Sorenson）";
        case AV_CODEC_ID_H263:
            return "H.263";
        case AV_CODEC_ID_VP6:
        case AV_CODEC_ID_VP6F:
        case AV_CODEC_ID_VP6A:
            return "VP6";
        case AV_CODEC_ID_MPEG1VIDEO:
            return "MPEG-1";
        case AV_CODEC_ID_MPEG2VIDEO:
            return "MPEG-2";
        case AV_CODEC_ID_MPEG4:
            return "MPEG-4 Part 2";
        case AV_CODEC_ID_HEVC:
            return "H.265";
        default:
            return avcodec_get_name(id);
    }
}

// x264's name for an H.264 profile the encoder matches; "" for one it does not.
std::string x264Profile(int profile) {
    switch (profile) {
        case FF_PROFILE_H264_BASELINE:
        case FF_PROFILE_H264_CONSTRAINED_BASELINE:
            return "baseline";
        case FF_PROFILE_H264_MAIN:
            return "main";
        case FF_PROFILE_H264_HIGH:
            return "high";
        default:
            return std::string();
    }
}

std::string muxerFor(const std::string& ext) {
    if (ext == "flv") {
        return "flv";
    }
    if (ext == "mp4" || ext == "m4v") {
        return "mp4";
    }
    if (ext == "mov") {
        return "mov";
    }
    if (ext == "mkv") {
        return "matroska";
    }
    return std::string();
}

// Likeness of two pictures of one size and format, by their luma: PSNR in dB, 100 for
// equal ones, -1 when they cannot be compared.
double lumaPsnr(const AVFrame* a, const AVFrame* b) {
    if (a == nullptr || b == nullptr || a->width != b->width || a->height != b->height) {
        return -1;
    }
    double squares = 0;
    for (int y = 0; y < a->height; ++y) {
        const std::uint8_t* pa = a->data[0] + static_cast<std::ptrdiff_t>(y) * a->linesize[0];
        const std::uint8_t* pb = b->data[0] + static_cast<std::ptrdiff_t>(y) * b->linesize[0];
        for (int x = 0; x < a->width; ++x) {
            const int d = int{pa[x]} - int{pb[x]};
            squares += d * d;
        }
    }
    if (squares == 0) {
        return 100;
    }
    const double mse = squares / (static_cast<double>(a->width) * a->height);
    return 10 * std::log10(255.0 * 255.0 / mse);
}

// A packet read, kept with what the cut needs to know of it.
struct Picture {
    PacketPtr packet;
    std::int64_t pts = 0;
    std::int64_t dts = 0;
    bool idr = false;
};

class ExactCutter {
public:
    ExactCutter(const std::string& input, double from, double to, const std::string& output)
        : m_inputPath(input), m_from(from), m_to(to), m_outputPath(output) {}

    ExactCutResult run();

private:
    bool fallback(const std::string& reason) {
        if (m_result.reason.empty()) {
            m_result.reason = reason;
        }
        m_result.kind = ExactCutResult::Kind::Fallback;
        return false;
    }
    bool stopped() {
        if (ChildProcess::stopRequested() != 0) {
            m_result.kind = ExactCutResult::Kind::Stopped;
            return true;
        }
        return false;
    }

    bool openInput();
    bool openDecoder();
    bool openOutput();
    bool readRange();
    bool seekBefore(double seconds);
    bool takeVideo(PacketPtr packet);
    bool finishGop(bool last);
    bool decodeGop(const std::vector<Picture>& gop, AVCodecContext* encoder);
    bool keepDecoded(AVFrame* frame, AVCodecContext* encoder);
    CodecPtr openEncoder();
    bool drainEncoder(AVCodecContext* encoder, bool flush);
    bool writeVideo(AVPacket* packet, bool encoded);
    bool flushSound(std::int64_t untilVideoTs, bool last);
    bool check();
    void tellProgress(std::int64_t videoTs);

    bool selected(std::int64_t pts) const { return pts >= m_lo && pts < m_hi; }

    std::string m_inputPath;
    double m_from;
    double m_to;
    std::string m_outputPath;
    ExactCutResult m_result;

    InputPtr m_in;
    AVStream* m_video = nullptr;
    AVStream* m_sound = nullptr;
    AvcConfig m_sourceConfig;
    AvcConfig m_outputConfig;
    int m_ownId = 0;
    CodecPtr m_decoder;
    OutputPtr m_out;
    AVStream* m_outVideo = nullptr;
    AVStream* m_outSound = nullptr;

    std::int64_t m_lo = 0;  // selected: pts in [m_lo, m_hi), video time base
    std::int64_t m_hi = 0;
    std::int64_t m_frameTicks = 1;
    bool m_fromStart = false;  // reading began at the media's start

    std::vector<Picture> m_gop;       // from its IDR on, decoding order
    std::vector<Picture> m_lastCopy;  // the GOP copied last, for the check's last picture
    std::int64_t m_delay = 0;         // the source's reordering delay (IDR pts - dts)
    bool m_based = false;
    std::int64_t m_base = 0;  // subtracted from every time: the output starts at 0
    std::int64_t m_lastDts = INT64_MIN;
    std::int64_t m_firstPts = INT64_MIN;  // the range's first and last pictures
    std::int64_t m_lastPts = INT64_MIN;
    std::int64_t m_endPts = INT64_MIN;  // the first picture after the range
    std::int64_t m_emittedUntil = INT64_MIN;
    bool m_done = false;
    long m_expected = 0;
    std::vector<std::vector<std::uint8_t>> m_encoded;  // an encoded piece, waiting

    std::deque<PacketPtr> m_soundQueue;
    FramePtr m_firstSource;
    FramePtr m_lastSource;
    bool m_encodingPiece = false;
    std::vector<PacketPtr> m_pieceOut;
    double m_encodeSeconds = 0;
    int m_shownPercent = -1;
};

bool ExactCutter::openInput() {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, m_inputPath.c_str(), nullptr, nullptr) < 0) {
        return fallback("無法讀取來源檔案");
    }
    m_in.reset(raw);
    if (avformat_find_stream_info(m_in.get(), nullptr) < 0) {
        return fallback("無法讀取來源檔案的影音資料");
    }
    const int v = av_find_best_stream(m_in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (v < 0) {
        return fallback("來源檔案沒有影像");
    }
    m_video = m_in->streams[v];
    const int a = av_find_best_stream(m_in.get(), AVMEDIA_TYPE_AUDIO, -1, v, nullptr, 0);
    m_sound = a >= 0 ? m_in->streams[a] : nullptr;
    const AVCodecParameters* p = m_video->codecpar;
    if (p->codec_id != AV_CODEC_ID_H264) {
        return fallback("影像編碼是 " + codecName(p->codec_id) + "，只有 H.264 能精確裁剪");
    }
    const auto format = static_cast<AVPixelFormat>(p->format);
    if (format != AV_PIX_FMT_YUV420P && format != AV_PIX_FMT_YUVJ420P) {
        const char* name = av_get_pix_fmt_name(format);
        return fallback(std::string("影像是 ") + (name != nullptr ? name : "未知") +
                        " 格式（10 位元或 4:2:2 等），無法以相同格式重新編碼");
    }
    if (x264Profile(p->profile).empty()) {
        return fallback("影像的 H.264 設定檔（profile " + std::to_string(p->profile) +
                        "）無法以相同設定重新編碼");
    }
    if (p->field_order != AV_FIELD_PROGRESSIVE && p->field_order != AV_FIELD_UNKNOWN) {
        return fallback("影像是交錯式（interlaced）畫面");
    }
    if (!readAvcConfig(p->extradata, static_cast<std::size_t>(p->extradata_size), m_sourceConfig)) {
        return fallback("影像沒有可用的解碼設定（AVC sequence header）");
    }
    m_ownId = unusedParameterSetId(m_sourceConfig);
    if (m_ownId < 0) {
        return fallback("影像的參數集編號已全部用完");
    }
    const AVRational rate =
        m_video->avg_frame_rate.num > 0 ? m_video->avg_frame_rate : m_video->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) {
        return fallback("無法得知影像的畫面速率");
    }
    m_frameTicks = std::max<std::int64_t>(1, av_rescale_q(1, av_inv_q(rate), m_video->time_base));
    // The player counts frames from the first picture: frame n is shown n frame lengths
    // after it, and a time belongs to the picture nearest to it.
    const std::int64_t origin = m_video->start_time == AV_NOPTS_VALUE ? 0 : m_video->start_time;
    const double tb = av_q2d(m_video->time_base);
    m_lo = origin + std::llround(m_from / tb) - m_frameTicks / 2;
    m_hi = origin + std::llround(m_to / tb) - m_frameTicks / 2;
    if (m_hi <= m_lo) {
        return fallback("範圍不到一個畫面");
    }
    return true;
}

bool ExactCutter::openDecoder() {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    m_decoder.reset(avcodec_alloc_context3(codec));
    if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), m_video->codecpar) < 0) {
        return fallback("無法解碼影像");
    }
    m_decoder->pkt_timebase = m_video->time_base;
    m_decoder->thread_count = 0;
    if (avcodec_open2(m_decoder.get(), codec, nullptr) < 0) {
        return fallback("無法解碼影像");
    }
    return true;
}

CodecPtr ExactCutter::openEncoder() {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr) {
        fallback("沒有 H.264 編碼器（libx264）");
        return nullptr;
    }
    CodecPtr enc(avcodec_alloc_context3(codec));
    const AVCodecParameters* p = m_video->codecpar;
    enc->width = p->width;
    enc->height = p->height;
    enc->pix_fmt = static_cast<AVPixelFormat>(p->format);
    enc->time_base = m_video->time_base;
    enc->framerate =
        m_video->avg_frame_rate.num > 0 ? m_video->avg_frame_rate : m_video->r_frame_rate;
    enc->sample_aspect_ratio = p->sample_aspect_ratio;
    enc->color_range = p->color_range;
    enc->color_primaries = p->color_primaries;
    enc->color_trc = p->color_trc;
    enc->colorspace = p->color_space;
    enc->chroma_sample_location = p->chroma_location;
    enc->level = p->level;
    enc->max_b_frames = 0;
    // One IDR at the piece's start; the same every time, so every piece's parameter
    // sets are the same bytes.
    enc->gop_size = 1000;
    enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    enc->thread_count = 0;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", encoderPreset, 0);
    av_dict_set(&options, "crf", encoderQuality, 0);
    av_dict_set(&options, "profile", x264Profile(p->profile).c_str(), 0);
    const std::string params = "sps-id=" + std::to_string(m_ownId) +
                               ":stitchable=1:scenecut=0:bframes=0:repeat-headers=0:annexb=1";
    av_dict_set(&options, "x264-params", params.c_str(), 0);
    const int opened = avcodec_open2(enc.get(), codec, &options);
    av_dict_free(&options);
    if (opened < 0) {
        fallback("H.264 編碼器無法以來源的設定開啟");
        return nullptr;
    }
    return enc;
}

bool ExactCutter::openOutput() {
    // The encoder's parameter sets go into the output's decoder configuration beside the
    // source's, even when no picture of this range is encoded, so every piece cut from
    // this source has the same configuration and they join as they are.
    CodecPtr probe = openEncoder();
    if (!probe) {
        return false;
    }
    AvcConfig own;
    if (!readAnnexBParameterSets(probe->extradata, static_cast<std::size_t>(probe->extradata_size),
                                 own) ||
        !mergeAvcConfig(m_sourceConfig, own, m_outputConfig)) {
        return fallback("H.264 編碼器的參數集與來源的不相容");
    }
    const std::string muxer = muxerFor(extensionOf(m_outputPath));
    AVFormatContext* raw = nullptr;
    if (muxer.empty() ||
        avformat_alloc_output_context2(&raw, nullptr, muxer.c_str(), m_outputPath.c_str()) < 0) {
        return fallback("輸出的檔案格式無法精確裁剪");
    }
    m_out.reset(raw);
    m_outVideo = avformat_new_stream(m_out.get(), nullptr);
    if (m_outVideo == nullptr ||
        avcodec_parameters_copy(m_outVideo->codecpar, m_video->codecpar) < 0) {
        return fallback("無法建立輸出的影像");
    }
    m_outVideo->codecpar->codec_tag = 0;
    const std::vector<std::uint8_t> config = writeAvcConfig(m_outputConfig);
    av_freep(&m_outVideo->codecpar->extradata);
    m_outVideo->codecpar->extradata =
        static_cast<std::uint8_t*>(av_mallocz(config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    std::memcpy(m_outVideo->codecpar->extradata, config.data(), config.size());
    m_outVideo->codecpar->extradata_size = static_cast<int>(config.size());
    m_outVideo->time_base = m_video->time_base;
    m_outVideo->avg_frame_rate = m_video->avg_frame_rate;
    m_outVideo->r_frame_rate = m_video->r_frame_rate;
    if (m_sound != nullptr) {
        m_outSound = avformat_new_stream(m_out.get(), nullptr);
        if (m_outSound == nullptr ||
            avcodec_parameters_copy(m_outSound->codecpar, m_sound->codecpar) < 0) {
            return fallback("無法建立輸出的聲音");
        }
        m_outSound->codecpar->codec_tag = 0;
        m_outSound->time_base = m_sound->time_base;
    }
    if (avio_open(&m_out->pb, m_outputPath.c_str(), AVIO_FLAG_WRITE) < 0) {
        return fallback("無法寫入輸出檔案");
    }
    if (avformat_write_header(m_out.get(), nullptr) < 0) {
        return fallback("輸出的檔案格式容不下來源的影音");
    }
    return true;
}

bool ExactCutter::seekBefore(double seconds) {
    avcodec_flush_buffers(m_decoder.get());
    m_gop.clear();
    m_soundQueue.clear();
    const std::int64_t start = m_in->start_time == AV_NOPTS_VALUE ? 0 : m_in->start_time;
    if (seconds <= 0) {
        m_fromStart = true;
        return av_seek_frame(m_in.get(), -1, start, AVSEEK_FLAG_BACKWARD) >= 0 ||
               avio_seek(m_in->pb, 0, SEEK_SET) >= 0;
    }
    const std::int64_t target = start + static_cast<std::int64_t>(seconds * AV_TIME_BASE);
    m_fromStart = false;
    return av_seek_frame(m_in.get(), -1, target, AVSEEK_FLAG_BACKWARD) >= 0;
}

void ExactCutter::tellProgress(std::int64_t videoTs) {
    const double share = static_cast<double>(videoTs - m_lo) / static_cast<double>(m_hi - m_lo);
    const int percent = std::clamp(static_cast<int>(share * 100), 0, 99);
    if (percent > m_shownPercent) {
        m_shownPercent = percent;
        std::printf("progress_percent=%d\n", percent);
        std::fflush(stdout);
    }
}

bool ExactCutter::readRange() {
    // From a little before the range, and from further back when that landed inside a
    // group of pictures whose IDR lies before the landing.
    for (double back : {1.0, 30.0, -1.0}) {
        const double at = back < 0 ? 0.0 : m_from - back;
        if (!seekBefore(at)) {
            continue;
        }
        bool again = false;
        PacketPtr packet = newPacket();
        while (!m_done) {
            if (stopped()) {
                return false;
            }
            const int read = av_read_frame(m_in.get(), packet.get());
            if (read < 0) {
                break;
            }
            if (m_video != nullptr && packet->stream_index == m_video->index) {
                if (packet->pts == AV_NOPTS_VALUE || packet->dts == AV_NOPTS_VALUE) {
                    return fallback("影像的時間戳記不完整");
                }
                const bool idr = packetHasIdr(packet->data, static_cast<std::size_t>(packet->size),
                                              m_sourceConfig.lengthSize);
                if (m_gop.empty() && !idr) {
                    // Before the first IDR of the reading: useless unless it is wanted.
                    if (packet->pts >= m_lo && packet->pts < m_hi && !m_based) {
                        again = true;
                        break;
                    }
                    av_packet_unref(packet.get());
                    continue;
                }
                tellProgress(packet->dts);
                if (!takeVideo(std::move(packet))) {
                    return false;
                }
                packet = newPacket();
            } else if (m_sound != nullptr && packet->stream_index == m_sound->index) {
                if (packet->pts != AV_NOPTS_VALUE) {
                    m_soundQueue.push_back(std::move(packet));
                    packet = newPacket();
                }
                av_packet_unref(packet.get());
            } else {
                av_packet_unref(packet.get());
            }
        }
        if (again) {
            if (back < 0) {
                return fallback("來源檔案開頭不是關鍵影格（IDR），範圍前面沒有可開始解碼的畫面");
            }
            continue;
        }
        if (!m_done && !finishGop(true)) {
            return false;
        }
        // The sound up to the range's end may lie a little behind the last picture read.
        const auto oneSecond = static_cast<std::int64_t>(1.0 / av_q2d(m_video->time_base));
        while (m_sound != nullptr && !stopped()) {
            PacketPtr more = newPacket();
            if (av_read_frame(m_in.get(), more.get()) < 0) {
                break;
            }
            if (more->stream_index == m_sound->index && more->pts != AV_NOPTS_VALUE) {
                const std::int64_t heard =
                    av_rescale_q(more->pts, m_sound->time_base, m_video->time_base);
                m_soundQueue.push_back(std::move(more));
                if (heard > m_endPts + oneSecond) {
                    break;
                }
            }
        }
        if (stopped()) {
            return false;
        }
        if (m_expected == 0) {
            return fallback("範圍內沒有畫面");
        }
        return flushSound(m_endPts, true);
    }
    return fallback("無法在來源檔案中定位");
}

bool ExactCutter::takeVideo(PacketPtr packet) {
    const std::int64_t pts = packet->pts;
    const std::int64_t dts = packet->dts;
    const bool idr = packetHasIdr(packet->data, static_cast<std::size_t>(packet->size),
                                  m_sourceConfig.lengthSize);
    if (idr && !m_gop.empty()) {
        m_delay = std::max(m_delay, pts - dts);
        if (!finishGop(false)) {
            return false;
        }
        if (m_done) {
            return true;
        }
    }
    if (idr) {
        m_delay = std::max(m_delay, pts - dts);
    } else if (!m_gop.empty() && pts < m_gop.front().pts) {
        return fallback("畫面排列跨越關鍵影格（開放式 GOP）");
    }
    std::size_t bytes = 0;
    for (const Picture& p : m_gop) {
        bytes += static_cast<std::size_t>(p.packet->size);
    }
    if (m_gop.size() >= gopPicturesLimit || bytes > gopBytesLimit) {
        return fallback("IDR 關鍵影格之間的畫面過多（開放式 GOP 或關鍵影格間隔過長）");
    }
    m_gop.push_back(Picture{std::move(packet), pts, dts, idr});
    return true;
}

// One group of pictures is complete: copied whole, copied up to where its pictures are
// shown in their decoding order, or encoded again; groups outside the range are dropped.
bool ExactCutter::finishGop(bool last) {
    std::vector<Picture> gop = std::move(m_gop);
    m_gop.clear();
    if (gop.empty()) {
        return true;
    }
    std::vector<std::int64_t> shown;
    std::size_t count = 0;
    for (const Picture& p : gop) {
        shown.push_back(p.pts);
        count += selected(p.pts) ? 1u : 0u;
    }
    std::sort(shown.begin(), shown.end());
    const bool anyAfter = shown.back() >= m_hi;
    if (count == 0) {
        if (m_based && shown.front() >= m_hi) {
            // The range ended on this group's IDR.
            m_endPts = shown.front();
            m_done = true;
            if (m_lastSource == nullptr || m_lastSource->pts != m_lastPts) {
                if (!decodeGop(m_lastCopy, nullptr)) {
                    return false;
                }
            }
        } else if (shown.front() >= m_hi) {
            m_done = true;
        }
        return true;
    }
    std::int64_t firstSel = INT64_MAX;
    std::int64_t lastSel = INT64_MIN;
    for (std::int64_t t : shown) {
        if (selected(t)) {
            firstSel = std::min(firstSel, t);
            lastSel = std::max(lastSel, t);
        }
    }
    for (std::int64_t t : shown) {
        if (t > lastSel) {
            m_endPts = t;
            break;
        }
    }
    if (!m_based) {
        m_based = true;
        m_firstPts = firstSel;
        m_base = firstSel - m_delay;
    }
    m_lastPts = lastSel;
    m_expected += static_cast<long>(count);
    // Copied as it is: the selected pictures are the group's first ones in decoding order.
    std::size_t prefix = 0;
    while (prefix < gop.size() && selected(gop[prefix].pts)) {
        ++prefix;
    }
    const bool copy = prefix == count;
    const bool boundary = count < gop.size() || firstSel == m_firstPts;
    if (copy) {
        if (boundary && !decodeGop(gop, nullptr)) {
            return false;
        }
        for (std::size_t i = 0; i < prefix; ++i) {
            if (!writeVideo(gop[i].packet.get(), false)) {
                return false;
            }
        }
        m_result.pictures += static_cast<long>(prefix);
    } else {
        const auto began = std::chrono::steady_clock::now();
        CodecPtr encoder = openEncoder();
        if (!encoder || !decodeGop(gop, encoder.get()) || !drainEncoder(encoder.get(), true)) {
            return false;
        }
        if (m_pieceOut.size() != count) {
            return fallback("重新編碼的畫面數目不對");
        }
        for (PacketPtr& p : m_pieceOut) {
            if (!writeVideo(p.get(), true)) {
                return false;
            }
        }
        m_pieceOut.clear();
        m_result.encoded += static_cast<long>(count);
        m_result.pictures += static_cast<long>(count);
        m_encodeSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    }
    m_emittedUntil = lastSel + m_frameTicks;
    if (!flushSound(std::min(m_emittedUntil, m_hi), false)) {
        return false;
    }
    m_lastCopy = std::move(gop);
    if (anyAfter || last) {
        if (m_endPts == INT64_MIN || m_endPts <= lastSel) {
            m_endPts = lastSel + m_frameTicks;
        }
        m_done = true;
        if (m_lastSource == nullptr || m_lastSource->pts != m_lastPts) {
            return decodeGop(m_lastCopy, nullptr);
        }
    }
    return true;
}

// Decodes a group of pictures from its IDR, keeping the range's first and last pictures
// for the check and handing the selected ones to encoder (when given).
bool ExactCutter::decodeGop(const std::vector<Picture>& gop, AVCodecContext* encoder) {
    avcodec_flush_buffers(m_decoder.get());
    FramePtr frame = newFrame();
    const auto receive = [&]() {
        for (;;) {
            const int got = avcodec_receive_frame(m_decoder.get(), frame.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
                return true;
            }
            if (got < 0) {
                return fallback("來源影像解碼失敗");
            }
            const bool kept = keepDecoded(frame.get(), encoder);
            av_frame_unref(frame.get());
            if (!kept) {
                return false;
            }
        }
    };
    for (const Picture& p : gop) {
        if (stopped()) {
            return false;
        }
        if (avcodec_send_packet(m_decoder.get(), p.packet.get()) < 0) {
            return fallback("來源影像解碼失敗");
        }
        if (!receive()) {
            return false;
        }
    }
    avcodec_send_packet(m_decoder.get(), nullptr);
    const bool ok = receive();
    avcodec_flush_buffers(m_decoder.get());
    return ok;
}

bool ExactCutter::keepDecoded(AVFrame* frame, AVCodecContext* encoder) {
    const std::int64_t pts =
        frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
    if (frame->interlaced_frame != 0) {
        return fallback("影像是交錯式（interlaced）畫面");
    }
    if (!selected(pts)) {
        return true;
    }
    frame->pts = pts;
    if (pts == m_firstPts && m_firstSource == nullptr) {
        m_firstSource.reset(av_frame_clone(frame));
    }
    if (pts == m_lastPts) {
        m_lastSource.reset(av_frame_clone(frame));
    }
    if (encoder == nullptr) {
        return true;
    }
    if (frame->width != encoder->width || frame->height != encoder->height ||
        frame->format != encoder->pix_fmt) {
        return fallback("影像的畫面大小或格式在檔案中途改變");
    }
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    if (avcodec_send_frame(encoder, frame) < 0) {
        return fallback("H.264 編碼失敗");
    }
    return drainEncoder(encoder, false);
}

bool ExactCutter::drainEncoder(AVCodecContext* encoder, bool flush) {
    if (flush && avcodec_send_frame(encoder, nullptr) < 0) {
        return fallback("H.264 編碼失敗");
    }
    for (;;) {
        PacketPtr packet = newPacket();
        const int got = avcodec_receive_packet(encoder, packet.get());
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
            return true;
        }
        if (got < 0) {
            return fallback("H.264 編碼失敗");
        }
        std::vector<std::uint8_t> body;
        bool idr = false;
        if (!annexBToLengthPrefixed(packet->data, static_cast<std::size_t>(packet->size),
                                    m_sourceConfig.lengthSize, body, idr)) {
            return fallback("重新編碼的畫面太大，來源的 NAL 長度欄位容不下");
        }
        PacketPtr out = newPacket();
        if (av_new_packet(out.get(), static_cast<int>(body.size())) < 0) {
            return fallback("記憶體不足");
        }
        std::memcpy(out->data, body.data(), body.size());
        out->pts = packet->pts;
        out->dts = packet->pts;
        out->flags = idr ? AV_PKT_FLAG_KEY : 0;
        m_pieceOut.push_back(std::move(out));
    }
}

bool ExactCutter::writeVideo(AVPacket* source, bool encoded) {
    PacketPtr packet(av_packet_clone(source));
    if (!packet) {
        return fallback("記憶體不足");
    }
    // Encoded pictures have no reordering; they keep the source's delay so that the
    // decoding times run on into the copied pictures around them.
    if (encoded) {
        packet->dts = packet->pts - m_delay;
    }
    packet->pts -= m_base;
    packet->dts -= m_base;
    if (packet->dts <= m_lastDts || packet->pts < packet->dts) {
        return fallback("重新編碼與複製的畫面時間戳記無法銜接");
    }
    m_lastDts = packet->dts;
    packet->stream_index = m_outVideo->index;
    packet->duration = 0;
    packet->pos = -1;
    av_packet_rescale_ts(packet.get(), m_video->time_base, m_outVideo->time_base);
    if (av_interleaved_write_frame(m_out.get(), packet.get()) < 0) {
        return fallback("無法寫入輸出檔案");
    }
    return true;
}

// Sound packets whose middle lies between the range's first picture and untilVideoTs go
// out; those before the range are dropped, the rest wait (all of them at the last call).
bool ExactCutter::flushSound(std::int64_t untilVideoTs, bool last) {
    if (m_sound == nullptr || !m_based) {
        return true;
    }
    const AVCodecParameters* p = m_sound->codecpar;
    std::int64_t frameLength = 0;
    if (p->frame_size > 0 && p->sample_rate > 0) {
        frameLength =
            av_rescale_q(p->frame_size, AVRational{1, p->sample_rate}, m_sound->time_base);
    }
    const std::int64_t first = av_rescale_q(m_firstPts, m_video->time_base, m_sound->time_base);
    const std::int64_t until = av_rescale_q(untilVideoTs, m_video->time_base, m_sound->time_base);
    const std::int64_t base = av_rescale_q(m_base, m_video->time_base, m_sound->time_base);
    while (!m_soundQueue.empty()) {
        AVPacket* packet = m_soundQueue.front().get();
        const std::int64_t length = packet->duration > 0 ? packet->duration : frameLength;
        const std::int64_t middle = packet->pts + length / 2;
        if (middle < first) {
            m_soundQueue.pop_front();
            continue;
        }
        if (middle >= until) {
            if (last) {
                m_soundQueue.pop_front();
                continue;
            }
            break;
        }
        packet->pts -= base;
        packet->dts = (packet->dts == AV_NOPTS_VALUE ? packet->pts + base : packet->dts) - base;
        packet->stream_index = m_outSound->index;
        packet->pos = -1;
        av_packet_rescale_ts(packet, m_sound->time_base, m_outSound->time_base);
        if (av_interleaved_write_frame(m_out.get(), packet) < 0) {
            return fallback("無法寫入輸出檔案");
        }
        m_soundQueue.pop_front();
    }
    return true;
}

// The output decoded again: no decoder error, exactly the range's number of pictures, the
// first and last of them the range's.
bool ExactCutter::check() {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, m_outputPath.c_str(), nullptr, nullptr) < 0) {
        return fallback("檢查時無法讀取精確裁剪的結果");
    }
    InputPtr in(raw);
    loggedErrors = 0;
    if (avformat_find_stream_info(in.get(), nullptr) < 0) {
        return fallback("檢查時無法讀取精確裁剪的結果");
    }
    const int v = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (v < 0) {
        return fallback("精確裁剪的結果沒有影像");
    }
    const AVCodec* codec = avcodec_find_decoder(in->streams[v]->codecpar->codec_id);
    CodecPtr dec(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(dec.get(), in->streams[v]->codecpar);
    dec->err_recognition = AV_EF_EXPLODE | AV_EF_BITSTREAM | AV_EF_BUFFER;
    dec->thread_count = 0;
    if (avcodec_open2(dec.get(), codec, nullptr) < 0) {
        return fallback("檢查時無法解碼精確裁剪的結果");
    }
    // Every picture is counted, but only the pictures around the seams are decoded: the
    // head piece with the group copied after it, and the last two groups. Between them the
    // packets are the source's, copied as they are behind an IDR of the source.
    std::vector<long> idrs;
    long total = 0;
    PacketPtr packet = newPacket();
    while (av_read_frame(in.get(), packet.get()) >= 0) {
        if (packet->stream_index == v) {
            if (packetHasIdr(packet->data, static_cast<std::size_t>(packet->size),
                             m_outputConfig.lengthSize)) {
                idrs.push_back(total);
            }
            ++total;
        }
        av_packet_unref(packet.get());
    }
    const long headEnd = idrs.size() >= 3 ? idrs[2] : total;
    const long tailStart = idrs.size() >= 2 ? idrs[idrs.size() - 2] : 0;
    const bool whole = tailStart <= headEnd;
    // Read again from the start: a seek back to 0 does not land on the first packet in
    // every container.
    in.reset();
    raw = nullptr;
    if (stopped() || avformat_open_input(&raw, m_outputPath.c_str(), nullptr, nullptr) < 0) {
        return stopped() ? false : fallback("檢查時無法讀取精確裁剪的結果");
    }
    in.reset(raw);
    if (avformat_find_stream_info(in.get(), nullptr) < 0 ||
        av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0) != v) {
        return fallback("檢查時無法讀取精確裁剪的結果");
    }
    long decoded = 0;
    long sent = 0;
    FramePtr first;
    FramePtr lastFrame = newFrame();
    FramePtr frame = newFrame();
    bool broken = false;
    const auto receive = [&]() {
        while (avcodec_receive_frame(dec.get(), frame.get()) == 0) {
            broken = broken || frame->decode_error_flags != 0 ||
                     (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0;
            ++decoded;
            if (!first) {
                first.reset(av_frame_clone(frame.get()));
            }
            av_frame_unref(lastFrame.get());
            av_frame_move_ref(lastFrame.get(), frame.get());
        }
    };
    long index = 0;
    while (av_read_frame(in.get(), packet.get()) >= 0) {
        if (stopped()) {
            return false;
        }
        if (packet->stream_index == v) {
            if (!whole && index == tailStart) {
                avcodec_send_packet(dec.get(), nullptr);
                receive();
                avcodec_flush_buffers(dec.get());
            }
            if (whole || index < headEnd || index >= tailStart) {
                ++sent;
                if (avcodec_send_packet(dec.get(), packet.get()) < 0) {
                    broken = true;
                }
            }
            ++index;
        }
        av_packet_unref(packet.get());
        receive();
    }
    avcodec_send_packet(dec.get(), nullptr);
    receive();
    const long pictures = decoded == sent && index == total ? total : -1;
    if (broken || loggedErrors > 0) {
        return fallback("精確裁剪的結果解碼時出現錯誤");
    }
    if (pictures != m_expected) {
        return fallback("精確裁剪的結果有 " + std::to_string(decoded == sent ? total : decoded) +
                        " 個畫面，應有 " + std::to_string(m_expected) + " 個");
    }
    if (lumaPsnr(first.get(), m_firstSource.get()) < checkLeastPsnr) {
        return fallback("精確裁剪的結果第一個畫面不是標記的開始畫面");
    }
    if (lumaPsnr(lastFrame.get(), m_lastSource.get()) < checkLeastPsnr) {
        return fallback("精確裁剪的結果最後一個畫面不是標記的結束畫面");
    }
    return true;
}

ExactCutResult ExactCutter::run() {
    av_log_set_callback(countErrors);
    const bool written = openInput() && openDecoder() && openOutput() && readRange();
    if (written) {
        if (av_write_trailer(m_out.get()) < 0) {
            fallback("無法寫入輸出檔案");
        }
    }
    m_out.reset();
    m_decoder.reset();
    m_in.reset();
    const bool checked = written && m_result.reason.empty() && !stopped() && check();
    if (!checked) {
        std::remove(m_outputPath.c_str());
        if (stopped()) {
            m_result.kind = ExactCutResult::Kind::Stopped;
        } else if (m_result.reason.empty()) {
            fallback("精確裁剪失敗");
        }
        return m_result;
    }
    m_result.kind = ExactCutResult::Kind::Written;
    m_result.encodeSeconds = m_encodeSeconds;
    return m_result;
}

}  // namespace

bool exactCutContainer(const std::string& ext) {
    return !muxerFor(ext).empty();
}

ExactCutResult cutExactly(const std::string& input, double from, double to,
                          const std::string& output) {
    ExactCutter cutter(input, from, to, output);
    return cutter.run();
}

}  // namespace exttool
