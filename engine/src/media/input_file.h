// An opened source: the demuxer with an abort-aware interrupt callback, the
// program model shared by Info, the converter and the merger, and the facts
// of the source picture (auto-rotation, square pixels).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace orv {

struct Program
{
    std::string name; // service_name, else title
    std::vector<int> video; // AVStream indexes, container order; no cover art
    std::vector<int> audio;
    std::vector<int> subtitle;
    int avProgram = -1; // index into AVFormatContext::programs, -1 synthetic/all

    // The AVStream index of the program's subtitle `index`, or -1.
    int subtitleAt(int index) const
    {
        return index >= 0 && index < int(subtitle.size()) ? subtitle[size_t(index)] : -1;
    }
};

class InputFile
{
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Probes path (5 MB / 5 s). Returns 0, ORV_E_ACCESS for a file that may
    // not be read, or ORV_E_INPUT.
    int open(const std::string& path);
    void close();
    bool isOpen() const { return m_fmt != nullptr; }

    AVFormatContext* fmt() const { return m_fmt; }
    const std::string& path() const { return m_path; }

    // Once set, every blocking libavformat call on this file returns.
    void abort() { m_abort = true; }
    void clearAbort() { m_abort = false; }

    // Programs as the container has them, or one synthetic program holding
    // every stream when it has none.
    const std::vector<Program>& programs() const { return m_programs; }
    // The program for an index; -1 or out of range gives all streams.
    const Program& program(int index) const;

    // The default stream of a kind within a program, or -1.
    int bestStream(const Program& p, AVMediaType type) const;
    // The program's audio stream `index`; out of range means the default
    // stream, not silence (conversion and playback alike).
    int audioStream(const Program& p, int index) const
    {
        return index >= 0 && index < int(p.audio.size()) ? p.audio[size_t(index)]
                                                         : bestStream(p, AVMEDIA_TYPE_AUDIO);
    }

    // Clockwise rotation the display matrix asks for: 0, 90, 180 or 270.
    int autoRotation(int stream) const;
    // Source picture size: square pixels, after auto-rotation, even.
    void sourceSize(int stream, int& w, int& h) const;
    // The same, unrounded: the size the source's pictures show at.
    void pictureSize(int stream, int& w, int& h) const;
    AVRational frameRate(int stream) const;

    int64_t startTimeUs() const; // first timestamp, 0 if unknown
    // The longest the file declares: the container's estimate, the streams'
    // durations and their frame counts; 0 when it declares nothing.
    uint64_t durationUs() const;

private:
    static int interruptCallback(void* self);
    void buildPrograms();

    AVFormatContext* m_fmt = nullptr;
    std::string m_path;
    std::atomic<bool> m_abort{false};
    std::vector<Program> m_programs;
    Program m_all;
};

} // namespace orv
