#include "EnginePlayer.h"

#include "VideoImageWindow.h"

#include <QPointer>
#include <QThreadPool>

#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

// The engine serves one call of a player at a time, so a call made while the
// worker opens a file would wait for it. Whoever calls the engine holds it:
// the worker for a whole open, this thread for one call, and only when it is
// free. Pictures reach the views through deliver(), which looks the view up
// under its own lock: a view unset here gets no picture after that, from any
// thread.
struct EnginePlayer::Shared
{
    std::mutex mutex;
    std::condition_variable freed;
    EnginePlayer* owner = nullptr; // null once the object is gone
    bool engineHeld = false;
    quint64 wanted = 0; // the open whose result is wanted; 0: none
    bool showAgain = false; // a picture was asked for while opening
    std::vector<PlayerHandle> orphans; // released while the worker held them
    // What the engine has registered: changed only by the engine's holder.
    bool viewRegistered = false, sourceRegistered = false;

    std::mutex viewsMutex;
    VideoImageWindow* view = nullptr;
    VideoImageWindow* sourceView = nullptr;
    bool muted = false; // an open dropped: its picture goes nowhere

    static int deliver(void* user, FrameHandle frame)
    {
        auto* s = static_cast<Shared*>(user);
        std::lock_guard<std::mutex> lock(s->viewsMutex);
        return s->view && !s->muted ? VideoImageWindow::VideoFrameLoops(s->view, frame) : 0;
    }
    static int deliverSource(void* user, FrameHandle frame)
    {
        auto* s = static_cast<Shared*>(user);
        std::lock_guard<std::mutex> lock(s->viewsMutex);
        return s->sourceView && !s->muted ? VideoImageWindow::VideoFrameLoops(s->sourceView, frame) : 0;
    }
    void mute(bool on)
    {
        std::lock_guard<std::mutex> lock(viewsMutex);
        muted = on;
    }

    // Blocking, for the worker and for the calls that wait by contract.
    void hold()
    {
        std::unique_lock<std::mutex> lock(mutex);
        freed.wait(lock, [this] { return !engineHeld; });
        engineHeld = true;
    }
    bool tryHold()
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (engineHeld)
            return false;
        engineHeld = true;
        return true;
    }
    // Players released meanwhile are freed by whoever lets go.
    void letGo()
    {
        std::vector<PlayerHandle> gone;
        {
            std::lock_guard<std::mutex> lock(mutex);
            gone.swap(orphans);
        }
        for (PlayerHandle h : gone) {
            Player_Close(h);
            Player_Release(h);
        }
        std::lock_guard<std::mutex> lock(mutex);
        engineHeld = false;
        freed.notify_all();
    }
    bool isWanted(quint64 generation)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return wanted == generation;
    }
    // Registers the trampolines for the views set now; with the engine held.
    void syncViews(PlayerHandle h)
    {
        bool view, source;
        {
            std::lock_guard<std::mutex> lock(viewsMutex);
            view = this->view != nullptr;
            source = sourceView != nullptr;
        }
        if (view != viewRegistered)
            Player_SetVideoFrameHandle(h, view ? &Shared::deliver : nullptr, this);
        if (source != sourceRegistered)
            Player_SetOrignalVideoFrameHandle(h, source ? &Shared::deliverSource : nullptr, this);
        viewRegistered = view;
        sourceRegistered = source;
    }
};

// This thread's hold on the engine for one call; none while the worker has
// it, and then the call answers as without a file.
class EnginePlayer::Hold
{
public:
    explicit Hold(Shared& s)
        : m_s(s)
        , m_held(s.tryHold())
    {}
    ~Hold()
    {
        if (m_held)
            m_s.letGo();
    }
    explicit operator bool() const { return m_held; }

private:
    Shared& m_s;
    bool m_held;
};

// One open on the worker: the file, then its first picture (again when one
// was asked for meanwhile), then the answer to the object if it still exists.
void EnginePlayer::openOnWorker(const std::shared_ptr<Shared>& s, PlayerHandle h, quint64 generation,
                                const QByteArray& file, bool sized, unsigned width, unsigned height)
{
    bool ok = false;
    if (s->isWanted(generation)) {
        s->hold();
        if (s->isWanted(generation)) {
            ok = (sized ? Player_OpenEx(h, file.constData(), width, height, 0, 0)
                        : Player_Open(h, file.constData()))
                != 0;
            while (ok) {
                {
                    std::lock_guard<std::mutex> lock(s->mutex);
                    if (s->wanted != generation)
                        break;
                    s->showAgain = false;
                }
                s->syncViews(h);
                Player_ShowVideoFrame(h);
                std::lock_guard<std::mutex> lock(s->mutex);
                if (!s->showAgain)
                    break;
            }
            // Dropped meanwhile: nothing of the file may stay open.
            if (ok && !s->isWanted(generation)) {
                Player_Close(h);
                ok = false;
            }
        }
        s->letGo();
    }
    // Under the lock the object cannot go away before the answer is posted;
    // an answer still queued when it goes is dropped with it.
    std::lock_guard<std::mutex> lock(s->mutex);
    if (EnginePlayer* owner = s->owner)
        QMetaObject::invokeMethod(
            owner, [owner, generation, ok] { owner->finishOpen(generation, ok); }, Qt::QueuedConnection);
}

EnginePlayer::EnginePlayer(QObject* parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
}

EnginePlayer::~EnginePlayer()
{
    release();
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->owner = nullptr;
}

bool EnginePlayer::create(int reserved)
{
    if (!m_handle) {
        m_handle = Player_Create(reserved);
        m_audioIndex = -1;
    }
    return m_handle != nullptr;
}

void EnginePlayer::release()
{
    if (!m_handle)
        return;
    dropOpen();
    // No picture reaches a view that may be going too.
    {
        std::lock_guard<std::mutex> lock(m_shared->viewsMutex);
        m_shared->view = m_shared->sourceView = nullptr;
    }
    PlayerHandle h = m_handle;
    m_handle = nullptr;
    // A next player starts on a state of its own: a worker still busy with
    // this one finishes on the old state and answers no one.
    const std::shared_ptr<Shared> old = m_shared;
    m_shared = std::make_shared<Shared>();
    m_shared->owner = this;
    {
        std::lock_guard<std::mutex> lock(old->mutex);
        old->owner = nullptr;
        if (old->engineHeld) {
            // The worker frees it when it lets go.
            old->orphans.push_back(h);
            return;
        }
        old->engineHeld = true;
    }
    Player_Close(h);
    Player_Release(h);
    old->letGo();
}

void EnginePlayer::dropOpen()
{
    // Also marks the file as gone for a caller of opened() that waits on it.
    ++m_generation;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->wanted = 0;
    }
    m_opening = false;
    m_want = Want::Nothing;
    m_wantSeek.reset();
}

void EnginePlayer::openInBackground(const QString& path) { startOpen(path, false, 0, 0); }

void EnginePlayer::openInBackground(const QString& path, unsigned width, unsigned height)
{
    startOpen(path, true, width, height);
}

void EnginePlayer::startOpen(const QString& path, bool sized, unsigned width, unsigned height)
{
    dropOpen();
    if (!m_handle) {
        emit error(Open);
        return;
    }
    const quint64 generation = m_generation;
    m_shared->mute(false);
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->wanted = generation;
        m_shared->showAgain = false;
    }
    m_opening = true;
    QThreadPool::globalInstance()->start(
        [s = m_shared, h = m_handle, generation, file = path.toUtf8(), sized, width, height] {
            openOnWorker(s, h, generation, file, sized, width, height);
        });
}

void EnginePlayer::finishOpen(quint64 generation, bool ok)
{
    if (!m_opening || generation != m_generation)
        return;
    const Want want = m_want;
    const std::optional<uint64_t> seekTo = m_wantSeek;
    m_opening = false;
    m_want = Want::Nothing;
    m_wantSeek.reset();
    if (!ok) {
        emit error(Open);
        return;
    }
    {
        Hold hold(*m_shared);
        if (hold) {
            syncViews();
            if (m_wantAudio)
                Player_SetAudioIndex(m_handle, *m_wantAudio);
            m_wantAudio.reset();
            if (seekTo)
                Player_Seek(m_handle, *seekTo);
            // A picture asked for after the worker's last one.
            bool again;
            {
                std::lock_guard<std::mutex> lock(m_shared->mutex);
                again = std::exchange(m_shared->showAgain, false);
            }
            if (again && !seekTo)
                Player_ShowVideoFrame(m_handle);
        }
    }
    // What the window does on opened() may drop this object or the file.
    const QPointer<EnginePlayer> self(this);
    emit opened();
    if (!self || generation != m_generation || !m_handle)
        return;
    if (want == Want::Play)
        play();
    else if (want == Want::Pause)
        pause();
}

void EnginePlayer::syncViews()
{
    if (m_handle)
        m_shared->syncViews(m_handle);
}

bool EnginePlayer::report(Operation operation, int result)
{
    if (result == 0)
        emit error(operation);
    return result != 0;
}

// ---- The file ---------------------------------------------------------------

bool EnginePlayer::open(const QString& path) { return openHere(path, false, 0, 0); }

bool EnginePlayer::open(const QString& path, unsigned width, unsigned height)
{
    return openHere(path, true, width, height);
}

bool EnginePlayer::openHere(const QString& path, bool sized, unsigned width, unsigned height)
{
    // Waits for an open on the worker: this call is the waiting kind.
    dropOpen();
    m_shared->mute(false);
    const QByteArray file = path.toUtf8();
    m_shared->hold();
    syncViews();
    const int result = sized ? Player_OpenEx(m_handle, file.constData(), width, height, 0, 0)
                             : Player_Open(m_handle, file.constData());
    m_shared->letGo();
    if (!report(Open, result))
        return false;
    emit opened();
    return true;
}

void EnginePlayer::close()
{
    const bool opening = m_opening;
    dropOpen();
    if (opening) {
        // The worker closes what it opened; a picture it is making now goes
        // nowhere.
        m_shared->mute(true);
        return;
    }
    Hold hold(*m_shared);
    if (hold)
        Player_Close(m_handle);
}

// The calls below wait for the engine: while a file opens on the worker they
// answer as without one, and the transport is kept for when it is open.

bool EnginePlayer::hasVideo() const
{
    Hold hold(*m_shared);
    return !m_opening && hold && Player_HasVideo(m_handle) != 0;
}

bool EnginePlayer::hasAudio() const
{
    Hold hold(*m_shared);
    return !m_opening && hold && Player_HasAudio(m_handle) != 0;
}

namespace {
template <class F>
int ask(bool free, F&& fn)
{
    return free ? fn() : 0;
}
} // namespace

int EnginePlayer::videoWidth() const
{
    Hold hold(*m_shared);
    return ask(!m_opening && hold, [&] { return Player_GetVideoWidth(m_handle); });
}

int EnginePlayer::videoHeight() const
{
    Hold hold(*m_shared);
    return ask(!m_opening && hold, [&] { return Player_GetVideoHeight(m_handle); });
}

int EnginePlayer::aspectX() const
{
    Hold hold(*m_shared);
    return ask(!m_opening && hold, [&] { return Player_GetVideoAspectRatioX(m_handle); });
}

int EnginePlayer::aspectY() const
{
    Hold hold(*m_shared);
    return ask(!m_opening && hold, [&] { return Player_GetVideoAspectRatioY(m_handle); });
}

int EnginePlayer::outputWidth() const
{
    Hold hold(*m_shared);
    return ask(!m_opening && hold, [&] { return Player_GetOutputWidth(m_handle); });
}

int EnginePlayer::outputHeight() const
{
    Hold hold(*m_shared);
    return ask(!m_opening && hold, [&] { return Player_GetOutputHeight(m_handle); });
}

// ---- Transport --------------------------------------------------------------

bool EnginePlayer::play()
{
    if (m_opening) {
        m_want = Want::Play;
        return true;
    }
    Hold hold(*m_shared);
    return report(Play, hold ? Player_Play(m_handle) : 0);
}

bool EnginePlayer::pause()
{
    if (m_opening) {
        m_want = Want::Pause;
        return true;
    }
    Hold hold(*m_shared);
    return report(Pause, hold ? Player_Pause(m_handle) : 0);
}

bool EnginePlayer::stop()
{
    if (m_opening) {
        // An open file stands stopped at 0 already.
        m_want = Want::Nothing;
        m_wantSeek.reset();
        return true;
    }
    Hold hold(*m_shared);
    return hold && Player_Stop(m_handle) != 0;
}

bool EnginePlayer::isCompleted() const
{
    // The engine answers this one without waiting for its other calls.
    return !m_opening && Player_IsCompleted(m_handle) != 0;
}

uint64_t EnginePlayer::duration() const
{
    Hold hold(*m_shared);
    return !m_opening && hold ? Player_GetDuration(m_handle) : 0;
}

uint64_t EnginePlayer::playTime() const
{
    if (m_opening)
        return m_wantSeek.value_or(0);
    Hold hold(*m_shared);
    return hold ? Player_GetPlayTime(m_handle) : 0;
}

bool EnginePlayer::seek(uint64_t time)
{
    if (m_opening) {
        m_wantSeek = time;
        return true;
    }
    Hold hold(*m_shared);
    return hold && Player_Seek(m_handle, time) != 0;
}

bool EnginePlayer::frameStep(int direction)
{
    Hold hold(*m_shared);
    return !m_opening && hold && Player_FrameStep(m_handle, direction) != 0;
}

void EnginePlayer::poll()
{
    if (!m_handle || m_opening)
        return;
    if (isCompleted())
        emit ended();
    else
        emit position(playTime());
}

// ---- Sound and streams ------------------------------------------------------
// The processing setters never wait for the engine's other calls: they go
// straight through, also while a file opens.

void EnginePlayer::setVolume(int volume) { Player_SetAudioVolume(m_handle, volume); }

void EnginePlayer::setAudioStream(int index)
{
    // The engine reads the file again for a stream choice, even the same
    // one: a choice made before the open is not made again after it.
    index = index < 0 ? -1 : index;
    if (index == m_audioIndex)
        return;
    m_audioIndex = index;
    Hold hold(*m_shared);
    if (m_opening || !hold) {
        m_wantAudio = index;
        return;
    }
    Player_SetAudioIndex(m_handle, index);
}

void EnginePlayer::setSubtitleStream(int index) { Player_SetSubtlIndex(m_handle, index); }

void EnginePlayer::enableClosedCaption(bool on) { Player_EnableClosedCaption(m_handle, on ? 1 : 0); }

void EnginePlayer::setSubtitleFile(const QString& path)
{
    const QByteArray file = path.toUtf8();
    Player_SetSubtlFile(m_handle, file.constData());
}

// ---- Pictures ---------------------------------------------------------------

void EnginePlayer::setFrameView(VideoImageWindow* view)
{
    {
        std::lock_guard<std::mutex> lock(m_shared->viewsMutex);
        m_shared->view = view;
    }
    // While the worker holds the engine it registers the view itself.
    Hold hold(*m_shared);
    if (hold)
        syncViews();
}

void EnginePlayer::setSourceFrameView(VideoImageWindow* view)
{
    {
        std::lock_guard<std::mutex> lock(m_shared->viewsMutex);
        m_shared->sourceView = view;
    }
    Hold hold(*m_shared);
    if (hold)
        syncViews();
}

bool EnginePlayer::showFrame()
{
    if (m_opening) {
        // The worker shows the picture again before it answers.
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->showAgain = true;
        return false;
    }
    Hold hold(*m_shared);
    return hold && Player_ShowVideoFrame(m_handle) != 0;
}

void EnginePlayer::setCropBorder(bool on) { Player_EnableVideoCropBorder(m_handle, on ? 1 : 0); }

void EnginePlayer::setTextBorder(bool on) { Player_EnableWatermarkTextBorder(m_handle, on ? 1 : 0); }

void EnginePlayer::setImageBorder(bool on) { Player_EnableWatermarkImageBorder(m_handle, on ? 1 : 0); }

namespace {
// A null string is the engine's null pointer: no layer at all.
void sendText(PlayerHandle h, int (*send)(PlayerHandle, const char*), const QString& value)
{
    if (value.isNull()) {
        send(h, nullptr);
        return;
    }
    const QByteArray utf8 = value.toUtf8();
    send(h, utf8.constData());
}
} // namespace

void EnginePlayer::setWatermarkText(const QString& text)
{
    sendText(m_handle, Player_SetWatermarkText, text);
}

void EnginePlayer::setWatermarkImageFile(const QString& path)
{
    sendText(m_handle, Player_SetWatermarkImageFile, path);
}

QSizeF EnginePlayer::watermarkTextSize() const
{
    Hold hold(*m_shared);
    if (m_opening || !hold)
        return QSizeF();
    return QSizeF(Player_GetWatermarkTextWidth(m_handle), Player_GetWatermarkTextHeight(m_handle));
}

QSizeF EnginePlayer::watermarkImageSize() const
{
    Hold hold(*m_shared);
    if (m_opening || !hold)
        return QSizeF();
    return QSizeF(Player_GetWatermarkImageWidth(m_handle), Player_GetWatermarkImageHeight(m_handle));
}
