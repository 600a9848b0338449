#include "recording/CAviWriter.h"

#include "recording/OpenRecordings.h"

#include <opencv2/imgproc.hpp>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

struct CAviWriter::Impl
{
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    bool headerWritten = false;
    bool registered = false;
};

CAviWriter::CAviWriter() = default;

CAviWriter::~CAviWriter()
{
    Close();
}

int64_t CAviWriter::SlotOf(Clock::time_point origin, Clock::time_point captureTime)
{
    constexpr int64_t slotUs = 1000000 / kFps;
    const int64_t sinceUs =
        std::chrono::duration_cast<std::chrono::microseconds>(captureTime - origin).count();
    // Round half up, also for negative times.
    return sinceUs >= 0 ? (sinceUs + slotUs / 2) / slotUs : -((-sinceUs + slotUs / 2 - 1) / slotUs);
}

bool CAviWriter::IsOpen() const
{
    return m_impl != nullptr;
}

int64_t CAviWriter::SlotsCovered() const
{
    return m_lastSlot + 1;
}

bool CAviWriter::Open(const std::string& path)
{
    Close();
    m_path = path;
    m_lastSlot = -1;
    m_framesWritten = 0;
    m_failed = false;
    m_impl = std::make_unique<Impl>();
    Impl& d = *m_impl;

    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (!encoder || avformat_alloc_output_context2(&d.format, nullptr, "avi", path.c_str()) < 0) {
        Release();
        return false;
    }
    d.codec = avcodec_alloc_context3(encoder);
    d.stream = avformat_new_stream(d.format, nullptr);
    d.frame = av_frame_alloc();
    d.packet = av_packet_alloc();
    if (!d.codec || !d.stream || !d.frame || !d.packet) {
        Release();
        return false;
    }

    AVCodecContext* c = d.codec;
    c->width = kWidth;
    c->height = kHeight;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, kFps};
    c->framerate = AVRational{kFps, 1};
    c->gop_size = kGopFrames;
    c->max_b_frames = 0; // a frame's packet must leave the encoder with it
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * kQuantiser;
    c->codec_tag = MKTAG('X', 'V', 'I', 'D');
    c->thread_count = 1; // cameras are encoded side by side already
    if (d.format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, encoder, nullptr) < 0 ||
        avcodec_parameters_from_context(d.stream->codecpar, c) < 0) {
        Release();
        return false;
    }
    d.stream->time_base = c->time_base;
    d.stream->avg_frame_rate = c->framerate;
    d.stream->codecpar->codec_tag = c->codec_tag;

    d.frame->format = c->pix_fmt;
    d.frame->width = kWidth;
    d.frame->height = kHeight;
    if (av_frame_get_buffer(d.frame, 0) < 0 || avio_open(&d.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) {
        Release();
        return false;
    }
    OpenRecordings::Instance().Add(m_path);
    d.registered = true;
    if (avformat_write_header(d.format, nullptr) < 0) {
        Release();
        return false;
    }
    d.headerWritten = true;
    avio_flush(d.format->pb);
    m_lastFlush = Clock::now();
    if (d.format->pb->error < 0) {
        Fail();
        return false;
    }
    return true;
}

CAviWriter::WriteResult CAviWriter::WriteFrame(const cv::Mat& frame, Clock::time_point captureTime)
{
    if (!m_impl)
        return WriteResult::Failed;
    if (frame.empty() || frame.depth() != CV_8U)
        return WriteResult::Dropped;

    if (m_framesWritten == 0)
        m_firstFrameTime = captureTime;
    const int64_t slot = SlotOf(m_firstFrameTime, captureTime);
    if (slot <= m_lastSlot)
        return WriteResult::Dropped;

    cv::Mat bgr;
    if (frame.channels() == 3)
        bgr = frame;
    else if (frame.channels() == 1)
        cv::cvtColor(frame, bgr, cv::COLOR_GRAY2BGR);
    else if (frame.channels() == 4)
        cv::cvtColor(frame, bgr, cv::COLOR_BGRA2BGR);
    else
        return WriteResult::Dropped;

    Impl& d = *m_impl;
    // Another camera size is scaled, never dropped.
    d.scaler = sws_getCachedContext(d.scaler, bgr.cols, bgr.rows, AV_PIX_FMT_BGR24, kWidth, kHeight,
                                    AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!d.scaler || av_frame_make_writable(d.frame) < 0) {
        Fail();
        return WriteResult::Failed;
    }
    const uint8_t* src[1] = {bgr.data};
    const int srcStride[1] = {static_cast<int>(bgr.step[0])};
    sws_scale(d.scaler, src, srcStride, 0, bgr.rows, d.frame->data, d.frame->linesize);

    d.frame->pts = slot;
    // With a fixed quantiser the encoder takes each picture's own quality;
    // left at 0 it would encode at the finest quantiser allowed.
    d.frame->quality = d.codec->global_quality;
    if (avcodec_send_frame(d.codec, d.frame) < 0 || !EncodeAndWrite()) {
        Fail();
        return WriteResult::Failed;
    }
    m_lastSlot = slot;
    ++m_framesWritten;

    const auto now = Clock::now();
    if (now - m_lastFlush >= kFlushInterval) {
        avio_flush(d.format->pb);
        m_lastFlush = now;
        if (d.format->pb->error < 0) {
            Fail();
            return WriteResult::Failed;
        }
    }
    return WriteResult::Written;
}

// Moves every packet the encoder has ready into the file.
bool CAviWriter::EncodeAndWrite()
{
    Impl& d = *m_impl;
    for (;;) {
        int rc = avcodec_receive_packet(d.codec, d.packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0)
            return false;
        av_packet_rescale_ts(d.packet, d.codec->time_base, d.stream->time_base);
        d.packet->stream_index = d.stream->index;
        rc = av_write_frame(d.format, d.packet);
        av_packet_unref(d.packet);
        if (rc < 0 || d.format->pb->error < 0)
            return false;
    }
}

void CAviWriter::Flush()
{
    if (!m_impl)
        return;
    avio_flush(m_impl->format->pb);
    m_lastFlush = Clock::now();
    if (m_impl->format->pb->error < 0)
        Fail();
}

bool CAviWriter::Close()
{
    if (!m_impl)
        return !m_failed;
    Impl& d = *m_impl;
    bool ok = avcodec_send_frame(d.codec, nullptr) >= 0 && EncodeAndWrite();
    ok = av_write_trailer(d.format) >= 0 && ok;
    d.headerWritten = false;
    avio_flush(d.format->pb);
    ok = d.format->pb->error >= 0 && ok;
    ok = avio_closep(&d.format->pb) >= 0 && ok;
    Release();
    if (!ok)
        m_failed = true;
    return ok;
}

// A write error: finish what can be finished so the frames already on disk stay
// playable, then let go of everything.
void CAviWriter::Fail()
{
    Impl& d = *m_impl;
    if (d.headerWritten)
        av_write_trailer(d.format);
    d.headerWritten = false;
    if (d.format && d.format->pb)
        avio_closep(&d.format->pb);
    Release();
    m_failed = true;
}

void CAviWriter::Release()
{
    if (!m_impl)
        return;
    Impl& d = *m_impl;
    if (d.format && d.format->pb)
        avio_closep(&d.format->pb);
    sws_freeContext(d.scaler);
    av_packet_free(&d.packet);
    av_frame_free(&d.frame);
    avcodec_free_context(&d.codec);
    avformat_free_context(d.format);
    if (d.registered)
        OpenRecordings::Instance().Remove(m_path);
    m_impl.reset();
}
