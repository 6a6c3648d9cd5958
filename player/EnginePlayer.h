#pragma once

#include <orvalta.h>

#include <QObject>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class VideoImageWindow;

// One engine player for a preview window: it makes the handle (create()),
// frees it (release() or the destructor) and offers the player's calls with
// Qt types. Every call runs on the calling thread, as the engine's own do,
// except openInBackground(), whose work runs on a worker.
//
// The calls pass the handle held now: none before create() and none after
// release(), which the engine takes as a call that does nothing. So a window
// may set the preview up before its player exists, and nothing ever reaches
// a freed player.
//
// The picture and watermark settings go to the engine through the shared
// mapping, which takes handle().
class EnginePlayer : public QObject
{
    Q_OBJECT
public:
    // The calls whose failure error() reports.
    enum Operation { Open, Play, Pause };
    Q_ENUM(Operation)

    explicit EnginePlayer(QObject* parent = nullptr);
    ~EnginePlayer() override;

    // Makes the engine player, with the engine's reserved value; a second
    // call keeps the first player. false when the engine made none.
    bool create(int reserved);
    // Closes the file and frees the player; later calls do nothing.
    void release();
    bool isCreated() const { return m_handle != nullptr; }
    PlayerHandle handle() const { return m_handle; }

    // ---- The file ----------------------------------------------------------
    // Opens path, stopped on its first picture; the processed pictures come
    // at width x height (0: the source's). opened() or error(Open) follows.
    bool open(const QString& path);
    bool open(const QString& path, unsigned width, unsigned height);
    // The same off the calling thread: the file and its first picture (to
    // the views set, with the subtitles and watermarks set by then) are made
    // on a worker, and opened() or error(Open) follow on this thread. Until
    // then isOpening(), and no call waits for the worker: the questions
    // answer as without a file, play, pause, stop, seek and the audio stream
    // are kept and done when the file is open, showFrame() is left to the
    // worker, close() or another open drops this one, and release() or the
    // destructor leave the player for the worker to free.
    void openInBackground(const QString& path);
    void openInBackground(const QString& path, unsigned width, unsigned height);
    bool isOpening() const { return m_opening; }
    // Stops and lets the file go; no picture arrives after it returns, not
    // even from an open still on the worker.
    void close();
    bool hasVideo() const;
    bool hasAudio() const;
    // The source picture's size, and its shape as a reduced ratio.
    int videoWidth() const;
    int videoHeight() const;
    int aspectX() const;
    int aspectY() const;
    // The size of the processed pictures.
    int outputWidth() const;
    int outputHeight() const;

    // ---- Transport (times in microseconds) -----------------------------------
    bool play();
    bool pause();
    // Back to 0 on the first picture.
    bool stop();
    bool isCompleted() const;
    uint64_t duration() const;
    uint64_t playTime() const;
    bool seek(uint64_t time);
    // Pauses and shows the next (+1) or the previous (-1) picture.
    bool frameStep(int direction);
    // One look at the clock, for a window's tick: ended() once playback has
    // reached the end, else position() with the time shown. Nothing without
    // a player.
    void poll();

    // ---- Sound and streams ---------------------------------------------------
    // 0..100.
    void setVolume(int volume);
    void setAudioStream(int index);
    // Negative: no subtitles.
    void setSubtitleStream(int index);
    void enableClosedCaption(bool on);
    // "" = none.
    void setSubtitleFile(const QString& path);

    // ---- Pictures ------------------------------------------------------------
    // The processed pictures go to view, the unprocessed source ones to the
    // source view; they arrive on the engine's thread while playing. nullptr
    // sends them nowhere.
    void setFrameView(VideoImageWindow* view);
    void setSourceFrameView(VideoImageWindow* view);
    // Processes the current picture again and hands it over on this thread.
    bool showFrame();
    // The preview outlines: the crop box on the source picture and the
    // watermark boxes on the processed one.
    void setCropBorder(bool on);
    void setTextBorder(bool on);
    void setImageBorder(bool on);
    // The watermark layers' text and picture file: a null string removes
    // the layer, an empty one keeps it empty (its outline still shows).
    void setWatermarkText(const QString& text);
    void setWatermarkImageFile(const QString& path);
    // The size the layer is drawn at on the processed picture, in pixels.
    QSizeF watermarkTextSize() const;
    QSizeF watermarkImageSize() const;

signals:
    void opened();
    void position(uint64_t time);
    void ended();
    void error(EnginePlayer::Operation operation);

private:
    struct Shared;
    class Hold;
    static void openOnWorker(const std::shared_ptr<Shared>& s, PlayerHandle h, quint64 generation,
                             const QByteArray& file, bool sized, unsigned width, unsigned height);
    bool openHere(const QString& path, bool sized, unsigned width, unsigned height);
    void startOpen(const QString& path, bool sized, unsigned width, unsigned height);
    enum class Want { Nothing, Play, Pause };

    bool report(Operation operation, int result);
    void finishOpen(quint64 generation, bool ok);
    // Drops the open on the worker, if any, and what was kept for it.
    void dropOpen();
    // Registers the views with the engine as they are set now; with the
    // engine held.
    void syncViews();

    PlayerHandle m_handle = nullptr;
    // What the worker and this object share; it outlives both.
    std::shared_ptr<Shared> m_shared;
    bool m_opening = false;
    quint64 m_generation = 0;
    // Kept while opening, done once the file is open.
    Want m_want = Want::Nothing;
    std::optional<uint64_t> m_wantSeek;
    std::optional<int> m_wantAudio;
    // The audio stream chosen last; the engine's default (-1) at first.
    int m_audioIndex = -1;
};
