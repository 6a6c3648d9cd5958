#include "EnginePlayer.h"

#include "VideoImageWindow.h"

EnginePlayer::EnginePlayer(QObject* parent)
    : QObject(parent)
{}

EnginePlayer::~EnginePlayer() { release(); }

bool EnginePlayer::create(int reserved)
{
    if (!m_handle)
        m_handle = Player_Create(reserved);
    return m_handle != nullptr;
}

void EnginePlayer::release()
{
    if (!m_handle)
        return;
    // Close first: after it no picture reaches a view that may be going too.
    Player_Close(m_handle);
    Player_Release(m_handle);
    m_handle = nullptr;
}

bool EnginePlayer::report(Operation operation, int result)
{
    if (result == 0)
        emit error(operation);
    return result != 0;
}

// ---- The file ---------------------------------------------------------------

bool EnginePlayer::open(const QString& path)
{
    const QByteArray file = path.toUtf8();
    if (!report(Open, Player_Open(m_handle, file.constData())))
        return false;
    emit opened();
    return true;
}

bool EnginePlayer::open(const QString& path, unsigned width, unsigned height)
{
    const QByteArray file = path.toUtf8();
    if (!report(Open, Player_OpenEx(m_handle, file.constData(), width, height, 0, 0)))
        return false;
    emit opened();
    return true;
}

void EnginePlayer::close() { Player_Close(m_handle); }

bool EnginePlayer::hasVideo() const { return Player_HasVideo(m_handle) != 0; }

bool EnginePlayer::hasAudio() const { return Player_HasAudio(m_handle) != 0; }

int EnginePlayer::videoWidth() const { return Player_GetVideoWidth(m_handle); }

int EnginePlayer::videoHeight() const { return Player_GetVideoHeight(m_handle); }

int EnginePlayer::aspectX() const { return Player_GetVideoAspectRatioX(m_handle); }

int EnginePlayer::aspectY() const { return Player_GetVideoAspectRatioY(m_handle); }

int EnginePlayer::outputWidth() const { return Player_GetOutputWidth(m_handle); }

int EnginePlayer::outputHeight() const { return Player_GetOutputHeight(m_handle); }

// ---- Transport --------------------------------------------------------------

bool EnginePlayer::play() { return report(Play, Player_Play(m_handle)); }

bool EnginePlayer::pause() { return report(Pause, Player_Pause(m_handle)); }

bool EnginePlayer::stop() { return Player_Stop(m_handle) != 0; }

bool EnginePlayer::isCompleted() const { return Player_IsCompleted(m_handle) != 0; }

uint64_t EnginePlayer::duration() const { return Player_GetDuration(m_handle); }

uint64_t EnginePlayer::playTime() const { return Player_GetPlayTime(m_handle); }

bool EnginePlayer::seek(uint64_t time) { return Player_Seek(m_handle, time) != 0; }

bool EnginePlayer::frameStep(int direction) { return Player_FrameStep(m_handle, direction) != 0; }

void EnginePlayer::poll()
{
    if (!m_handle)
        return;
    if (isCompleted())
        emit ended();
    else
        emit position(playTime());
}

// ---- Sound and streams ------------------------------------------------------

void EnginePlayer::setVolume(int volume) { Player_SetAudioVolume(m_handle, volume); }

void EnginePlayer::setAudioStream(int index) { Player_SetAudioIndex(m_handle, index); }

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
    Player_SetVideoFrameHandle(m_handle, view ? VideoImageWindow::VideoFrameLoops : nullptr, view);
}

void EnginePlayer::setSourceFrameView(VideoImageWindow* view)
{
    Player_SetOrignalVideoFrameHandle(m_handle, view ? VideoImageWindow::VideoFrameLoops : nullptr, view);
}

bool EnginePlayer::showFrame() { return Player_ShowVideoFrame(m_handle) != 0; }

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
    return QSizeF(Player_GetWatermarkTextWidth(m_handle), Player_GetWatermarkTextHeight(m_handle));
}

QSizeF EnginePlayer::watermarkImageSize() const
{
    return QSizeF(Player_GetWatermarkImageWidth(m_handle), Player_GetWatermarkImageHeight(m_handle));
}
