// Helpers of the engine tests: fixture paths, waiting for jobs, and checks
// that do not use the engine (ffprobe for streams, ffmpeg for pixels).
#pragma once

#include "orvalta.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>

namespace etest {

inline QString fixture(const QString& name)
{
    return QString::fromLocal8Bit(qgetenv("ORV_FIXTURES")) + "/" + name;
}

inline QByteArray u8(const QString& s) { return s.toUtf8(); }

// Runs the ffmpeg CLI quietly (tests make their own small media with it).
inline bool ffmpeg(const QStringList& args)
{
    QProcess p;
    p.start("ffmpeg", QStringList{"-nostdin", "-v", "error", "-y"} + args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 60000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

// Runs a conversion to the end. Returns the engine error (0 on success), or
// -1 when Open fails, -2 on a timeout.
inline int convert(const QString& src, const QString& dst, const char* container, Config c,
                   uint64_t begin = 0, uint64_t length = 0, int* openError = nullptr)
{
    ConverterHandle h = Converter_Create(-1);
    if (!Converter_Open(h, u8(src).constData(), u8(dst).constData(), container, c)) {
        if (openError)
            *openError = Converter_GetError(h);
        Converter_Release(h);
        return -1;
    }
    if (begin || length)
        Converter_SetSplitTime(h, begin, length);
    Converter_Start(h);
    // A bound that catches a hang: the slowest encoders take tens of
    // seconds for a fixture on a busy machine.
    const bool done = waitFor([&] { return Converter_IsCompleted(h) == 1; }, 300000);
    const int err = done ? Converter_GetError(h) : -2;
    Converter_Release(h);
    return err;
}

struct Probe
{
    QJsonObject format;
    QJsonArray streams;
    QJsonObject stream(const QString& type) const
    {
        for (const auto& s : streams)
            if (s.toObject().value("codec_type").toString() == type)
                return s.toObject();
        return {};
    }
    int count(const QString& type) const
    {
        int n = 0;
        for (const auto& s : streams)
            n += s.toObject().value("codec_type").toString() == type;
        return n;
    }
    double duration() const { return format.value("duration").toString().toDouble(); }
};

inline Probe probe(const QString& path)
{
    QProcess p;
    p.start("ffprobe",
            {"-v", "error", "-count_packets", "-show_format", "-show_streams", "-of", "json", path});
    p.waitForFinished(300000);
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    return Probe{o.value("format").toObject(), o.value("streams").toArray()};
}

inline double streamDuration(const QJsonObject& s) { return s.value("duration").toString().toDouble(); }

struct Rgb
{
    int r = 0, g = 0, b = 0;
};

// One frame at time t as RGB24, with its size.
struct Picture
{
    int w = 0, h = 0;
    QByteArray rgb;
    Rgb at(int x, int y) const
    {
        const int i = (y * w + x) * 3;
        return Rgb{uchar(rgb[i]), uchar(rgb[i + 1]), uchar(rgb[i + 2])};
    }
};

inline Picture grab(const QString& path, double t = 0.0)
{
    Picture pic;
    const Probe pr = probe(path);
    const QJsonObject v = pr.stream("video");
    pic.w = v.value("width").toInt();
    pic.h = v.value("height").toInt();
    for (const auto& sd : v.value("side_data_list").toArray())
        if (qAbs(sd.toObject().value("rotation").toInt()) == 90)
            std::swap(pic.w, pic.h); // the CLI turns the picture upright
    QProcess p;
    p.start("ffmpeg",
            {"-v", "error", "-nostdin", "-ss", QString::number(t), "-i", path, "-frames:v", "1", "-f",
             "rawvideo", "-pix_fmt", "rgb24", "-"});
    p.waitForFinished(300000);
    pic.rgb = p.readAllStandardOutput();
    if (pic.rgb.size() != pic.w * pic.h * 3)
        pic.w = pic.h = 0;
    return pic;
}

inline bool near(Rgb a, Rgb b, int tol = 40)
{
    return qAbs(a.r - b.r) <= tol && qAbs(a.g - b.g) <= tol && qAbs(a.b - b.b) <= tol;
}

inline QString colourName(Rgb c)
{
    return QString("#%1%2%3")
        .arg(c.r, 2, 16, QChar('0'))
        .arg(c.g, 2, 16, QChar('0'))
        .arg(c.b, 2, 16, QChar('0'));
}

} // namespace etest
