#pragma once

// One task's conversion job against the engine, apart from the row that
// shows it: its open on the one opener thread (Opener), the converter it
// holds once open, start, pause, poll and release (the merge run's job is
// MergeJob). Nothing here touches a widget.

#include <orvalta.h>

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class ConvertTask;
struct Convertinfo;
struct MappingValues;

class ConvertJob
{
public:
    // What the opener thread needs for one open and what it hands back.
    struct Opening
    {
        QByteArray source;
        QByteArray target;
        QByteArray container; // empty: the engine picks by the file name
        uint64_t begin = 0;
        uint64_t length = 0; // 0: to the source's end
        Config config = nullptr;
        ConverterHandle converter = nullptr;
        bool opened = false;
        int error = 0;
        bool released = false;
        // The job waiting for it; cleared (on the GUI thread) when that job
        // lets go of it.
        ConvertJob* owner = nullptr;
    };

    // What one poll of a running job tells.
    struct Poll
    {
        bool ended = false;
        int error = 0; // the engine's error once ended, else 0
        float percent = 0.0f; // 0 to 100; 0 while the length is unknown
        uint64_t wholeUs = 0; // once ended: the length the job was to write
        uint64_t convertedUs = 0; // once ended: the length written
        // Ended without an error, but short of its length.
        bool endedEarly() const { return ended && error == 0 && convertedUs < wholeUs; }
    };

    // An engine configuration made from one task's values, released with
    // this object.
    class Configuration
    {
    public:
        explicit Configuration(const MappingValues& values);
        ~Configuration();
        Configuration(const Configuration&) = delete;
        Configuration& operator=(const Configuration&) = delete;
        Config handle() const { return m_config; }

    private:
        Config m_config = nullptr;
    };

    // The container a target names for the engine; empty when it names
    // none and the engine picks by the file name.
    static QByteArray containerOf(const Convertinfo& target);
    // `done` of `duration` in percent, 0 to 100; 0 while the duration is
    // unknown (rather than "nan%").
    static float percentOf(uint64_t done, uint64_t duration);

    ConvertJob() = default;
    // A pending open is waited for and released; an open converter is
    // released at once.
    ~ConvertJob();
    ConvertJob(const ConvertJob&) = delete;
    ConvertJob& operator=(const ConvertJob&) = delete;

    // Makes the task's configuration and hands its open (writing `output`)
    // to the opener thread. `opened` runs on the application's thread once
    // the open has returned, unless the job let go of it first; a failed
    // open's configuration is released before it, an open one's after it.
    void open(const ConvertTask& task, const QString& output, std::function<void()> opened);
    // True from open until `opened` runs.
    bool isOpening() const { return m_pending != nullptr; }
    // Lets go of a pending open: it is released when it returns.
    void abandonOpen();
    // Once `opened` ran: whether the engine made a converter, opened it,
    // and the error of a failed open.
    bool created() const { return m_created; }
    bool isOpen() const { return m_isOpen; }
    int openError() const { return m_openError; }

    // The converter this job holds, if any.
    ConverterHandle converter() const { return m_converter; }
    // Start (or resume) and pause, each true when the engine took it.
    bool start();
    bool pause();
    int error() const;
    Poll poll() const;
    // Releases an ended job's converter on the opener thread.
    void releaseLater();
    // Releases the converter now (the engine is told even when none is held).
    void releaseNow();

    // ---- The opener thread, shared by every job (Opener) -----------------------
    static void onOpener(std::function<void()> work);
    // Returns once every piece of work handed to the opener thread has run.
    static void waitForOpener();
    // Also delivers what that work handed back to the application's thread.
    static void waitForOpens();

    // ---- What a failed job tells the person -----------------------------------
    // The engine's text for an error code; the number when it has none.
    static QString engineErrorText(int code);
    // What a person can act on, for a job that failed with `code` while
    // writing `output`: a short reason ("Disk full", "Cannot read this
    // file", ...).
    static QString failureReason(int code, const QString& output);
    // The same for a task's own job; a job that found nothing to write
    // names what the task's output wanted and the source lacks.
    static QString failureReason(int code, const ConvertTask& task);

private:
    // On the opener thread: creates the converter and opens the job.
    static void openNow(Opening& job);
    // Releases what an open that nobody took over holds; once.
    static void release(Opening& job);
    void delivered(const std::shared_ptr<Opening>& job);

    std::shared_ptr<Opening> m_pending;
    std::function<void()> m_opened;
    ConverterHandle m_converter = nullptr;
    bool m_created = false;
    bool m_isOpen = false;
    int m_openError = 0;
};
