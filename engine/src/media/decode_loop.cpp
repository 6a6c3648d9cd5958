#include "media/decode_loop.h"

#include "media/decoder.h"

namespace orv {

DecodeLoop::DecodeLoop(AVFormatContext* fmt)
    : m_fmt(fmt)
    , m_pkt(av_packet_alloc())
    , m_frame(av_frame_alloc())
{}

DecodeLoop::~DecodeLoop()
{
    for (Stream& s : m_streams)
        avcodec_free_context(&s.dec);
    av_packet_free(&m_pkt);
    av_frame_free(&m_frame);
}

DecodeLoop::Stream* DecodeLoop::find(int index)
{
    for (Stream& s : m_streams)
        if (s.index == index)
            return &s;
    return nullptr;
}

bool DecodeLoop::addStream(int index, bool threaded, int threads)
{
    if (!m_fmt || !m_pkt || !m_frame || index < 0 || unsigned(index) >= m_fmt->nb_streams || find(index))
        return false;
    AVCodecContext* dec = openDecoder(m_fmt->streams[index], threaded, threads);
    if (!dec)
        return false;
    m_streams.push_back(Stream{index, dec, false});
    return true;
}

void DecodeLoop::finishStream(int index)
{
    if (Stream* s = find(index))
        s->finished = true;
}

bool DecodeLoop::allFinished() const
{
    for (const Stream& s : m_streams)
        if (!s.finished)
            return false;
    return true;
}

void DecodeLoop::discardOthers()
{
    for (unsigned i = 0; i < m_fmt->nb_streams; ++i)
        m_fmt->streams[i]->discard = find(int(i)) ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
}

bool DecodeLoop::seek(int64_t ts)
{
    const bool ok = avformat_seek_file(m_fmt, -1, INT64_MIN, ts, ts, 0) >= 0;
    for (Stream& s : m_streams)
        avcodec_flush_buffers(s.dec);
    return ok;
}

// Every frame the decoder has ready; false when the handler says stop.
bool DecodeLoop::receive(Stream& s, const FrameHandler& onFrame)
{
    while (!s.finished) {
        // EAGAIN: wants more input; EOF or an error: nothing more for now
        if (avcodec_receive_frame(s.dec, m_frame) < 0)
            return true;
        const bool go = onFrame(s.index, m_frame);
        av_frame_unref(m_frame);
        if (!go)
            return false;
    }
    return true;
}

DecodeLoop::End DecodeLoop::run(const FrameHandler& onFrame, const PassCheck& pass)
{
    m_readError = 0;
    while (!allFinished()) {
        if (pass && !pass())
            return End::Stopped;
        const int r = av_read_frame(m_fmt, m_pkt);
        if (r == AVERROR(EAGAIN))
            continue;
        if (r < 0) {
            if (r != AVERROR_EOF)
                m_readError = r;
            break;
        }
        Stream* s = find(m_pkt->stream_index);
        if (s && !s->finished)
            avcodec_send_packet(s->dec, m_pkt); // a bad packet is skipped
        av_packet_unref(m_pkt);
        if (s && !receive(*s, onFrame))
            return End::Stopped;
    }
    if (allFinished())
        return End::AllDone;
    for (Stream& s : m_streams) {
        if (s.finished || avcodec_send_packet(s.dec, nullptr) < 0)
            continue;
        if (pass && !pass())
            return End::Stopped;
        if (!receive(s, onFrame))
            return End::Stopped;
    }
    return End::EndOfFile;
}

} // namespace orv
