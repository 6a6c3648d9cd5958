// Media for the tests that run the real engine, made and checked with the
// ffmpeg and ffprobe commands (never with the engine under test).
#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace mediatools {

// An H.264 picture from a lavfi source with a 440 Hz tone in AAC.
struct ClipSpec
{
    QString video = "testsrc=size=320x240:rate=25";
    int sampleRate = 48000;
    int channels = 2; // 0: as the tone comes (mono)
    QString seconds = "2";
    bool fast = false; // x264's ultrafast preset, for large pictures
};

inline bool makeClip(const QString& path, const ClipSpec& spec = ClipSpec())
{
    QStringList args{"-v",
                     "error",
                     "-y",
                     "-f",
                     "lavfi",
                     "-i",
                     spec.video,
                     "-f",
                     "lavfi",
                     "-i",
                     QString("sine=frequency=440:sample_rate=%1").arg(spec.sampleRate),
                     "-t",
                     spec.seconds,
                     "-c:v",
                     "libx264"};
    if (spec.fast)
        args << "-preset"
             << "ultrafast";
    args << "-pix_fmt"
         << "yuv420p"
         << "-c:a"
         << "aac";
    if (spec.channels > 0)
        args << "-ac" << QString::number(spec.channels);
    args << path;
    QProcess make;
    make.start("ffmpeg", args);
    return make.waitForFinished(600000) && make.exitStatus() == QProcess::NormalExit && make.exitCode() == 0;
}

// ffprobe's JSON (format and streams); empty when the file does not probe.
inline QJsonObject ffprobe(const QString& path, const QStringList& extra = {})
{
    QProcess probe;
    probe.start("ffprobe",
                QStringList{"-v", "error"} + extra
                    + QStringList{"-print_format", "json", "-show_format", "-show_streams", path});
    if (!probe.waitForFinished(300000) || probe.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
}

// The whole file decodes without an error.
inline bool decodes(const QString& path)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"});
    return ffmpeg.waitForFinished(300000) && ffmpeg.exitCode() == 0
        && ffmpeg.readAllStandardError().isEmpty();
}

} // namespace mediatools
