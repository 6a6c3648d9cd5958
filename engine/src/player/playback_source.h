// The file a player plays: demuxer, decoders and the queues of decoded
// frames. Its reader thread fills the queues during playback; when the
// thread is stopped, the owner calls the synchronous operations (seek, next
// picture, previous picture) on its own thread.
#pragma once

#include "media/decoder.h"
#include "media/input_file.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace orv {

class PlaybackSource
{
public:
    PlaybackSource() = default;
    ~PlaybackSource();
    PlaybackSource(const PlaybackSource&) = delete;
    PlaybackSource& operator=(const PlaybackSource&) = delete;

    // Opens the file and the decoders of the first program with video or
    // audio. 0 or an ORV_E_* code.
    int open(const std::string& path);
    // Chooses the audio stream of the program (negative: the default).
    // Only while the reader is stopped; the caller seeks afterwards.
    void selectAudio(int index);

    const InputFile& input() const { return m_input; }
    const Program& program() const { return m_input.program(m_program); }
    int videoStream() const { return m_vIndex; }
    int audioStream() const { return m_aIndex; }
    bool hasVideo() const { return m_vdec != nullptr; }
    bool hasAudio() const { return m_adec != nullptr; }
    uint64_t durationUs() const { return m_duration; }
    int64_t frameIntervalUs() const { return m_frameUs; }

    // ---- Reader stopped: the caller's thread ----
    // The first picture at or after targetUs (the last one when none is);
    // audio restarts at targetUs. `atEnd` when the file ended before it.
    FramePtr seek(int64_t targetUs, bool* atEnd);
    // The picture after the last one handed out, or nullptr at the end.
    FramePtr nextPicture();
    // The last picture with a time before beforeUs, or nullptr.
    FramePtr previousPicture(int64_t beforeUs);

    // ---- Reader running ----
    void startReader();
    void stopReader(); // joins; any thread but the reader's
    // Next picture if its turn has come: pops pictures due at or before
    // nowUs, keeping only the latest due (the others count as dropped).
    // Without one due, returns nullptr and sets *nextUs to the next time.
    FramePtr takeDuePicture(int64_t nowUs, int64_t* nextUs, int* dropped);
    // Audio frames starting before untilUs, in order.
    FramePtr takeAudio(int64_t untilUs);
    bool videoDrained(); // the reader ended and every picture was taken
    // Pictures waiting, or a large number once the reader has ended.
    size_t bufferedPictures();
    bool audioDrained();
    // Wakes a waiter of waitChange().
    void notify();
    // Blocks until the queues change or timeoutUs passes.
    void waitChange(int64_t timeoutUs);

    // Time of a decoded frame in µs from the file's start (in pts).
    static int64_t timeOf(const AVFrame* f) { return f->pts; }
    // How long a sound frame lasts; 0 when its rate is unknown.
    static int64_t audioLengthUs(const AVFrame* f);

private:
    enum class Got { Video, Audio, None, End };
    // The first picture comes from a single-threaded decoder, which opens
    // and closes fast; playback, seeks and steps switch to a threaded one,
    // going on after the last picture handed out.
    void useThreadedDecoder();
    FramePtr nextPictureInner();
    void seekDemuxer(int64_t targetUs);
    // Reads and decodes until one frame comes out of a decoder.
    Got decodeOne(FramePtr* out);
    void flushDecoders();
    void clearQueues();
    void readerLoop();
    bool readerMayRead(); // with m_mutex held

    InputFile m_input;
    int m_program = -1;
    int m_vIndex = -1, m_aIndex = -1;
    AVCodecContext* m_vdec = nullptr;
    AVCodecContext* m_adec = nullptr;
    AVPacket* m_pkt = nullptr;
    FramePtr m_spare; // the frame decoder reads go into until one comes out
    uint64_t m_duration = 0;
    int64_t m_frameUs = 40000;
    int64_t m_fileStart = 0;
    int64_t m_lastVideoUs = INT64_MIN;
    bool m_threaded = false;
    int64_t m_lastOutUs = INT64_MIN; // time of the last picture handed out
    int64_t m_skipUntilUs = INT64_MIN; // after a decoder switch: pictures up to it are old
    bool m_demuxEnded = false; // no more packets
    bool m_vFlushed = false, m_aFlushed = false;
    bool m_vEnded = false, m_aEnded = false; // decoders drained

    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::deque<FramePtr> m_video, m_audio;
    int64_t m_audioQueuedUs = 0;
    bool m_readerDone = false;
    std::atomic<bool> m_stop{false};
    std::thread m_reader;
};

} // namespace orv
