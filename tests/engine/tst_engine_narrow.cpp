// Pictures from 1×1 to 17×17 in a few codecs and pixel formats, through
// every path that scales a picture: the thumbnail, the player's capture and
// frame delivery, and a conversion with a watermark of the same size. The
// scaler's vector code once wrote past exact-size rows of such pictures,
// inside FFmpeg where no sanitizer looks; CTest also runs this under
// glibc's heap checks, which catch a write past a block when it is freed.
#include "engine_test_util.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include <memory>

using namespace etest;

namespace {

constexpr int kMaxSide = 17;
// one solid colour, so every pixel of every path can be checked
const Rgb kColour{192, 32, 64};

struct Format
{
    const char* name;
    const char* encoder;
    AVPixelFormat pixFmt;
    const char* container;
    bool evenOnly; // 4:2:0 in x264 needs even sides
    // FFmpeg's bicubic scaler darkens a 3-pixel RGB row made 2 pixels of
    // 4:2:0 (the command line does the same)
    int tolerance;
};

const Format kFormats[] = {
    {"ffv1 yuv420p", "ffv1", AV_PIX_FMT_YUV420P, "matroska", false, 40},
    {"raw yuv420p", "rawvideo", AV_PIX_FMT_YUV420P, "matroska", false, 40},
    {"raw rgb24", "rawvideo", AV_PIX_FMT_RGB24, "nut", false, 64},
    {"x264 yuv420p", "libx264", AV_PIX_FMT_YUV420P, "mp4", true, 40},
};

// Writes w×h pictures of kColour: the media of this test is made here,
// in-process, as starting the CLI a thousand times would take minutes.
bool writePictures(const QString& path, const Format& f, int w, int h)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(f.encoder);
    AVFormatContext* fmt = nullptr;
    if (!codec || avformat_alloc_output_context2(&fmt, nullptr, f.container, nullptr) < 0)
        return false;
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> fmtGuard(fmt, [](AVFormatContext* c) {
        avio_closep(&c->pb);
        avformat_free_context(c);
    });
    AVCodecContext* enc = avcodec_alloc_context3(codec);
    std::unique_ptr<AVCodecContext*, void (*)(AVCodecContext**)> encGuard(&enc, avcodec_free_context);
    AVFrame* frame = av_frame_alloc();
    std::unique_ptr<AVFrame*, void (*)(AVFrame**)> frameGuard(&frame, av_frame_free);
    AVPacket* pkt = av_packet_alloc();
    std::unique_ptr<AVPacket*, void (*)(AVPacket**)> pktGuard(&pkt, av_packet_free);
    if (!enc || !frame || !pkt)
        return false;
    enc->width = w;
    enc->height = h;
    enc->pix_fmt = f.pixFmt;
    enc->time_base = AVRational{1, 25};
    enc->framerate = AVRational{25, 1};
    enc->thread_count = 1;
    if (fmt->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(enc->priv_data, "preset", "ultrafast", 0);
    AVStream* st = avformat_new_stream(fmt, nullptr);
    if (!st || avcodec_open2(enc, codec, nullptr) < 0
        || avcodec_parameters_from_context(st->codecpar, enc) < 0)
        return false;
    st->time_base = enc->time_base;
    if (avio_open(&fmt->pb, path.toLocal8Bit().constData(), AVIO_FLAG_WRITE) < 0
        || avformat_write_header(fmt, nullptr) < 0)
        return false;

    frame->width = w;
    frame->height = h;
    frame->format = f.pixFmt;
    if (av_frame_get_buffer(frame, 0) < 0)
        return false;
    if (f.pixFmt == AV_PIX_FMT_RGB24) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = frame->data[0] + y * frame->linesize[0] + 3 * x;
                p[0] = uint8_t(kColour.r);
                p[1] = uint8_t(kColour.g);
                p[2] = uint8_t(kColour.b);
            }
    } else {
        // BT.601 limited range
        const int Y = (66 * kColour.r + 129 * kColour.g + 25 * kColour.b + 128) / 256 + 16;
        const int U = (-38 * kColour.r - 74 * kColour.g + 112 * kColour.b + 128) / 256 + 128;
        const int V = (112 * kColour.r - 94 * kColour.g - 18 * kColour.b + 128) / 256 + 128;
        for (int y = 0; y < h; ++y)
            memset(frame->data[0] + y * frame->linesize[0], Y, size_t(w));
        for (int y = 0; y < (h + 1) / 2; ++y) {
            memset(frame->data[1] + y * frame->linesize[1], U, size_t(w + 1) / 2);
            memset(frame->data[2] + y * frame->linesize[2], V, size_t(w + 1) / 2);
        }
    }
    // two pictures: a container without a duration field then has one
    for (AVFrame* in : {frame, frame, static_cast<AVFrame*>(nullptr)}) {
        if (in)
            in->pts = in->pts == AV_NOPTS_VALUE ? 0 : in->pts + 1;
        if (avcodec_send_frame(enc, in) < 0)
            return false;
        while (avcodec_receive_packet(enc, pkt) == 0) {
            pkt->duration = 1;
            av_packet_rescale_ts(pkt, enc->time_base, st->time_base);
            pkt->stream_index = st->index;
            if (av_interleaved_write_frame(fmt, pkt) < 0)
                return false;
        }
    }
    return av_write_trailer(fmt) == 0;
}

QString sizeName(int w, int h) { return QString("%1x%2").arg(w).arg(h); }

QString sourceName(int format, int w, int h)
{
    return QString("%1_%2.%3").arg(format).arg(sizeName(w, h)).arg(kFormats[format].container);
}

// Every pixel of w×h B,G,R,A rows `stride` apart is kColour, alpha opaque
// where the path promises it.
bool allColour(const unsigned char* px, int w, int h, int stride, bool opaque, int tolerance, QString* why)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = px + y * stride + 4 * x;
            const Rgb c{p[2], p[1], p[0]};
            if (!near(c, kColour, tolerance) || (opaque && p[3] != 255)) {
                *why = QString("pixel %1,%2 is %3 alpha %4").arg(x).arg(y).arg(colourName(c)).arg(p[3]);
                return false;
            }
        }
    return true;
}

struct Delivered
{
    int calls = 0, w = 0, h = 0, stride = 0, tolerance = 0;
    bool colourOk = false;
    QString why;
    static int handler(void* user, FrameHandle f)
    {
        auto* d = static_cast<Delivered*>(user);
        ++d->calls;
        d->w = Frame_GetVideoWidth(f);
        d->h = Frame_GetVideoHeight(f);
        d->stride = Frame_GetVideoStride0(f);
        d->colourOk = allColour(Frame_GetVideoData0(f), d->w, d->h, d->stride, false, d->tolerance, &d->why);
        return 0;
    }
};

} // namespace

class TestEngineNarrow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyPathAtEverySize_data();
    void everyPathAtEverySize();

private:
    QString media(const QString& name) const { return m_media.filePath(name); }

    QTemporaryDir m_media;
    QTemporaryDir m_out;
};

void TestEngineNarrow::initTestCase()
{
    QVERIFY(m_media.isValid() && m_out.isValid());
    av_log_set_level(AV_LOG_ERROR);
    Engine_SetLogHandler(
        [](void*, int level, const char* text) {
            if (level == 0)
                qWarning("%s", text);
        },
        nullptr);
    for (int i = 0; i < int(std::size(kFormats)); ++i)
        for (int w = 1; w <= kMaxSide; ++w)
            for (int h = 1; h <= kMaxSide; ++h)
                if (!kFormats[i].evenOnly || (w % 2 == 0 && h % 2 == 0)) {
                    const QString path = media(sourceName(i, w, h));
                    QVERIFY2(writePictures(path, kFormats[i], w, h), qPrintable(path));
                }
    // watermark images of every size, in one CLI run
    QStringList args{"-f", "lavfi", "-i", "color=c=0xc02040:s=32x32:r=1:d=1"};
    for (int w = 1; w <= kMaxSide; ++w)
        args << "-frames:v"
             << "1"
             << "-vf" << QString("scale=%1:%1").arg(w) << media(QString("mark_%1.png").arg(w));
    QVERIFY(ffmpeg(args));
}

void TestEngineNarrow::everyPathAtEverySize_data()
{
    QTest::addColumn<int>("format");
    for (int i = 0; i < int(std::size(kFormats)); ++i)
        QTest::newRow(kFormats[i].name) << i;
}

void TestEngineNarrow::everyPathAtEverySize()
{
    QFETCH(int, format);
    const Format& f = kFormats[format];
    InfoHandle info = Info_Create(-1);
    PlayerHandle player = Player_Create(-1);
    Delivered delivered;
    Player_SetVideoFrameHandle(player, Delivered::handler, &delivered);
    // sides rounded to even are fitted with bars: bars of the same colour
    Player_SetVideoPadAndColor(player, 1,
                               0xFF000000u | uint32_t(kColour.r << 16 | kColour.g << 8 | kColour.b));
    QStringList failures;
    for (int w = 1; w <= kMaxSide; ++w)
        for (int h = 1; h <= kMaxSide; ++h) {
            if (f.evenOnly && (w % 2 || h % 2))
                continue;
            const QString src = media(sourceName(format, w, h));
            const QString at = sizeName(w, h) + ": ";
            QString why;

            // the thumbnail, at the source size (rounded to even sides)
            const int sw = Info_Open(info, u8(src).constData()) == 1 ? int(Info_GetVideoWidth(info)) : 0;
            const int sh = int(Info_GetVideoHeight(info));
            if (sw < 1 || sh < 1 || qAbs(sw - w) > 1 || qAbs(sh - h) > 1) {
                failures << at + "probed as " + sizeName(sw, sh);
                continue;
            }
            const unsigned char* thumb = Info_GetVideoImage(info, 0, 1, 0, 0);
            if (!thumb || !allColour(thumb + 54, sw, sh, 4 * sw, true, f.tolerance, &why))
                failures << at + "thumbnail " + (thumb ? why : "missing");
            Info_Close(info);

            // the player's capture, scaled to exactly the odd sizes too, and
            // a picture delivered to the handler
            if (Player_OpenEx(player, u8(src).constData(), 0, 0, 0, 0) != 1) {
                failures << at + "player open";
                continue;
            }
            for (const QSize& size : {QSize(w, h), QSize(h, w)}) {
                unsigned char* shot = Player_CaptureVideoImage(player, size.width(), size.height());
                if (!shot
                    || !allColour(shot + 54, size.width(), size.height(), 4 * size.width(), true, f.tolerance,
                                  &why))
                    failures << at + "capture " + (shot ? why : "missing");
                Player_FreeVideoImage(player, shot);
            }
            delivered = Delivered();
            delivered.tolerance = f.tolerance;
            if (Player_ShowVideoFrame(player) != 1 || delivered.calls != 1)
                failures << at + "no picture delivered";
            else if (delivered.w < 1 || delivered.h < 1 || delivered.stride % 64
                     || delivered.stride < 4 * delivered.w || !delivered.colourOk)
                failures << at
                        + QString("delivered %1 stride %2 %3")
                              .arg(sizeName(delivered.w, delivered.h))
                              .arg(delivered.stride)
                              .arg(delivered.why);
            Player_Close(player);
        }

    // a conversion at each square size with a watermark image of that size
    // (the watermark is decoded and scaled through the same scaler)
    for (int side = 1; side <= kMaxSide; ++side) {
        const int s = f.evenOnly ? std::max(2, side & ~1) : side;
        const QString src = media(sourceName(format, s, s));
        const QString dst = m_out.filePath(QString("%1_%2.mkv").arg(format).arg(side));
        Config c = Config_Create();
        Config_SetVideoFormat(c, 0);
        Config_SetWatermarkImageFile(c, u8(media(QString("mark_%1.png").arg(side))).constData());
        Config_SetWatermarkImageScale(c, 300, 300);
        const int err = convert(src, dst, "matroska", c);
        Config_Release(c);
        if (err != 0)
            failures << sizeName(s, s) + QString(": conversion ended with %1").arg(err);
    }
    Player_Release(player);
    Info_Release(info);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 20).join("\n")));
}

QTEST_GUILESS_MAIN(TestEngineNarrow)
#include "tst_engine_narrow.moc"
