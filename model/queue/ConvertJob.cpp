#include "queue/ConvertJob.h"

#include "clips/ConfigMapping.h"
#include "queue/ConvertTask.h"
#include "queue/Opener.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStorageInfo>
#include <QtGlobal>

float ConvertJob::percentOf(uint64_t done, uint64_t duration)
{
    return duration ? float(qBound(0.0, double(done) / double(duration) * 100.0, 100.0)) : 0.0f;
}

// ---- Configuration ---------------------------------------------------------------

ConvertJob::Configuration::Configuration(const MappingValues& values)
    : m_config(Opener::configFor(values))
{}

QByteArray ConvertJob::containerOf(const Convertinfo& target)
{
    if (target.V_Format.isEmpty() || target.V_Extend.isEmpty())
        return QByteArray();
    return target.V_Format.toLower().toUtf8();
}

ConvertJob::Configuration::~Configuration() { Config_Release(m_config); }

// ---- The opener thread -------------------------------------------------------------

void ConvertJob::onOpener(std::function<void()> work) { Opener::run(std::move(work)); }

void ConvertJob::waitForOpener() { Opener::waitForDone(); }

void ConvertJob::waitForOpens() { Opener::waitForHandBacks(); }

void ConvertJob::openNow(Opening& job)
{
    job.converter = Converter_Create(-1);
    if (!job.converter)
        return;
    job.opened = Converter_Open(job.converter, job.source.constData(), job.target.constData(),
                                job.container.isEmpty() ? nullptr : job.container.constData(), job.config)
        != 0;
    if (job.opened)
        Converter_SetSplitTime(job.converter, job.begin, job.length);
    else
        job.error = Converter_GetError(job.converter);
}

void ConvertJob::release(Opening& job)
{
    if (job.released)
        return;
    job.released = true;
    if (job.converter) {
        Converter_Release(job.converter);
        job.converter = nullptr;
    }
    if (job.config) {
        Config_Release(job.config);
        job.config = nullptr;
    }
}

// ---- One task's job ----------------------------------------------------------------

ConvertJob::~ConvertJob()
{
    if (m_pending) {
        // Rare (a job dropped while it opens): the open is short, and its
        // converter must not outlive the job unreleased.
        const std::shared_ptr<Opening> job = std::move(m_pending);
        job->owner = nullptr;
        waitForOpens();
        release(*job);
    }
    if (m_converter) {
        Converter_Release(m_converter);
        m_converter = nullptr;
    }
}

void ConvertJob::open(const ConvertTask& task, const QString& output, std::function<void()> opened)
{
    const Convertinfo& target = task.target();
    auto job = std::make_shared<Opening>();
    job->config = Opener::configFor(task.mappingValues(target));
    job->source = task.path().toUtf8();
    job->target = output.toUtf8();
    job->container = containerOf(target);
    job->begin = task.beginUs();
    job->length = task.lengthUs();
    job->owner = this;
    m_pending = job;
    m_opened = std::move(opened);

    Opener::runThenHandBack([job] { openNow(*job); },
                            [job] {
                                // `owner` is only touched on this thread. An
                                // open nobody waits for any more is released
                                // where every release goes.
                                if (job->owner && job->owner->m_pending == job)
                                    job->owner->delivered(job);
                                else
                                    Opener::run([job] { release(*job); });
                            });
}

void ConvertJob::delivered(const std::shared_ptr<Opening>& job)
{
    m_pending.reset();
    job->released = true;
    job->owner = nullptr;
    m_converter = job->converter;
    m_created = job->converter != nullptr;
    m_isOpen = job->opened;
    m_openError = job->error;
    const Config config = job->config;
    job->config = nullptr;
    const bool open = m_created && m_isOpen;
    if (!open)
        Config_Release(config);
    // `opened` may end the job's owner: nothing of this object is touched
    // after it.
    const std::function<void()> opened = std::move(m_opened);
    m_opened = nullptr;
    if (opened)
        opened();
    if (open)
        Config_Release(config);
}

void ConvertJob::abandonOpen()
{
    if (m_pending)
        m_pending->owner = nullptr;
    // The open's own delivery releases it once it has returned.
    m_pending.reset();
    m_opened = nullptr;
}

bool ConvertJob::start() { return m_converter && Converter_Start(m_converter); }

bool ConvertJob::pause() { return m_converter && Converter_Pause(m_converter); }

int ConvertJob::error() const { return Converter_GetError(m_converter); }

void ConvertJob::releaseLater()
{
    if (!m_converter)
        return;
    const ConverterHandle converter = m_converter;
    m_converter = nullptr;
    Opener::run([converter] { Converter_Release(converter); });
}

void ConvertJob::releaseNow()
{
    Converter_Release(m_converter);
    m_converter = nullptr;
}

ConvertJob::Poll ConvertJob::poll() const
{
    Poll result;
    const ConverterHandle converter = m_converter;
    if (converter && Converter_IsCompleted(converter)) {
        result.ended = true;
        result.error = Converter_GetError(converter);
        result.percent = 100.0f;
        if (result.error == 0) {
            result.wholeUs = Converter_GetDuration(converter);
            result.convertedUs = Converter_GetConvertedDuration(converter);
        }
        return result;
    }
    const uint64_t duration = Converter_GetDuration(converter);
    const uint64_t done = Converter_GetConvertTime(converter);
    // An unknown duration gives no percentage rather than "nan%".
    result.percent = percentOf(done, duration);
    return result;
}

// ---- What a failed job tells the person ---------------------------------------

QString ConvertJob::engineErrorText(int code)
{
    const char* text = Engine_GetErrorText(code);
    return text && *text ? QString::fromUtf8(text) : QString::number(code);
}

QString ConvertJob::failureReason(int code, const QString& output)
{
    auto text = [](const char* source) { return QCoreApplication::translate("VideoConvertBar", source); };
    const QString folder = QFileInfo(output).absolutePath();
    switch (code) {
    case ORV_E_INPUT:
        return text("Not a media file, or damaged");
    case ORV_E_ACCESS:
        return text("No permission to read this file");
    case ORV_E_DECODE:
        return text("Cannot read this file");
    case ORV_E_OUTPUT:
    case ORV_E_WRITE: {
        const QFileInfo info(folder);
        if (!info.isDir() || !info.isWritable())
            return text("Cannot write to the output folder");
        // A write that failed in a folder that takes files: almost always a
        // full disk when little room is left.
        const QStorageInfo storage(folder);
        if (storage.isValid() && storage.bytesAvailable() < 16 * 1024 * 1024)
            return text("Disk full");
        return code == ORV_E_OUTPUT ? text("Cannot create the output file")
                                    : text("Cannot write the output file");
    }
    case ORV_E_CONTAINER:
    case ORV_E_ENCODER:
        return text("This format cannot hold this file");
    case ORV_E_NOSTREAM:
        return text("Nothing in this file to convert");
    case ORV_E_WATERMARK:
        return text("Cannot read the watermark image");
    case ORV_E_SUBTITLE:
        return text("Cannot read the subtitle file");
    case ORV_E_SIZE:
        return text("The picture size is too large (at most 4096*2304)");
    default:
        return engineErrorText(code);
    }
}

QString ConvertJob::failureReason(int code, const ConvertTask& task)
{
    // A source that is gone is no file that is not media.
    if (code == ORV_E_INPUT && !QFileInfo::exists(task.path()))
        return QCoreApplication::translate("VideoConvertBar", "Cannot find this file");
    if (code == ORV_E_NOSTREAM) {
        auto text = [](const char* source) { return QCoreApplication::translate("VideoConvertBar", source); };
        const Convertinfo& target = task.target();
        const bool wantsPicture = target.isVideo && !task.clips().disVideo;
        const bool wantsSound = !task.clips().disAudio;
        if (wantsSound && !wantsPicture)
            return text("No sound to convert");
        if (wantsPicture && !wantsSound)
            return text("No picture to convert");
    }
    return failureReason(code, task.outputPath());
}
