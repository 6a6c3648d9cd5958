// Subtitle events from one source: an external file (decoded at once), an
// embedded stream (read ahead by a thread with its own demuxer) or closed
// captions (fed from decoded frames). Text events stay in the ASS chunk
// form FFmpeg's decoders give, so a restyle only rebuilds the libass track.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct AVCodecContext;
struct AVCodecParameters;
struct AVPacket;

namespace orv {

struct SubtitleTextEvent
{
    int64_t startMs = 0;
    int64_t durationMs = -1; // < 0: until the next event
    std::string chunk; // ReadOrder,Layer,Style,Name,MarginL,MarginR,MarginV,Effect,Text
};

// A bitmap subtitle on its source canvas, in RGBA.
struct SubtitlePicture
{
    struct Rect
    {
        int x = 0, y = 0, w = 0, h = 0;
        std::vector<uint8_t> rgba;
    };
    int64_t startUs = 0;
    int64_t endUs = INT64_MAX; // INT64_MAX: until the next picture
    int canvasW = 0, canvasH = 0;
    std::vector<Rect> rects; // none: clears the screen
};

class SubtitleFeed
{
public:
    enum class Kind { File, Stream, Captions };

    ~SubtitleFeed();
    SubtitleFeed(const SubtitleFeed&) = delete;
    SubtitleFeed& operator=(const SubtitleFeed&) = delete;

    // nullptr when the file cannot be opened or holds no subtitles.
    static std::shared_ptr<SubtitleFeed> openFile(const std::string& path);
    static std::shared_ptr<SubtitleFeed> openStream(const std::string& mediaPath, int streamIndex);
    static std::shared_ptr<SubtitleFeed> openCaptions();

    Kind kind() const { return m_kind; }
    const std::string& source() const { return m_source; }
    int streamIndex() const { return m_streamIndex; }

    // Captions only: A53 cc_data of a frame at ptsUs.
    void feedCaptions(const uint8_t* data, size_t size, int64_t ptsUs);

    // Blocks until the reader has passed untilUs or finished, or waits
    // are cancelled.
    void waitLoaded(int64_t untilUs);
    // Any thread: every wait returns at once from now on (a job aborts).
    void cancelWaits();

    // The decoder's ASS header, once known; ownLayout when the source
    // positions its lines itself (ASS/SSA scripts, captions).
    bool header(std::string* header, bool* ownLayout) const;
    // Copies the text events from index `first` on.
    void textEvents(size_t first, std::vector<SubtitleTextEvent>* out) const;
    // The picture showing at tUs, or nullptr.
    std::shared_ptr<const SubtitlePicture> pictureAt(int64_t tUs) const;

private:
    explicit SubtitleFeed(Kind kind);
    bool openDecoder(int codecId, const AVCodecParameters* par, const char* charenc);
    void decodePacket(AVPacket* pkt, int64_t pktTimeUs);
    void readAhead(std::string url);

    const Kind m_kind;
    std::string m_source;
    int m_streamIndex = -1;
    AVCodecContext* m_dec = nullptr;
    int m_fallbackW = 0, m_fallbackH = 0;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cond;
    std::string m_header;
    bool m_haveHeader = false;
    bool m_ownLayout = false;
    std::vector<SubtitleTextEvent> m_text;
    std::vector<std::shared_ptr<const SubtitlePicture>> m_pictures; // by start
    int64_t m_loadedUs = INT64_MIN;
    bool m_done = false;
    bool m_waitsCancelled = false;
    bool m_eventsCapped = false;

    std::thread m_thread;
    std::atomic<bool> m_abort{false};
};

} // namespace orv
