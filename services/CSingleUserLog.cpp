#include "CSingleUserLog.h"

#include "CSingleVersionStringUtil.h"
#include "pimbrel.h"

#include <ctime>

namespace {

const int kLanguageId = 1033;
const char kProgramVersion[] = "3.2.2.0";
const long kIdlePollNs = 500L * 1000 * 1000;

timespec monotonicAfter(long long ns)
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    ns += ts.tv_nsec;
    ts.tv_sec += static_cast<time_t>(ns / 1000000000LL);
    ts.tv_nsec = static_cast<long>(ns % 1000000000LL);
    return ts;
}

bool isPast(const timespec& deadline)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec > deadline.tv_sec || (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec);
}

// "Softlog" ids are decimal; anything else counts as 0.
int idAt(tagAddressType position)
{
    bool ok = false;
    const int id = CSingleVersionStringUtil::GetLinkAddress(position).toInt(&ok, 10);
    return ok ? id : 0;
}

timespec g_exitDeadline;

} // namespace

IWebLogObj* CSingleUserLog::s_webLog = nullptr;
std::deque<UserLogEvent> CSingleUserLog::s_userLogQueue;
pthread_mutex_t* CSingleUserLog::s_event = nullptr;
pthread_cond_t CSingleUserLog::s_wake;
std::atomic<bool> CSingleUserLog::s_exitFlag{false};
int CSingleUserLog::s_softID = 0;
int CSingleUserLog::s_verID = 0;
int CSingleUserLog::s_siteID = 111;
int CSingleUserLog::s_languageID = kLanguageId;
std::string CSingleUserLog::s_mail;
pthread_t CSingleUserLog::s_thread;
bool CSingleUserLog::s_threadStarted = false;

CSingleUserLog* CSingleUserLog::getInstance()
{
    static CSingleUserLog instance;
    return &instance;
}

CSingleUserLog::CSingleUserLog()
{
    s_webLog = CreateExportObj();
    s_softID = idAt(ADDR_SOFTLOG_PRODUCT_ID);
    s_verID = idAt(ADDR_SOFTLOG_VERSION_ID);

    if (!s_event) {
        s_event = new pthread_mutex_t;
        pthread_mutex_init(s_event, nullptr);
        pthread_condattr_t attr;
        pthread_condattr_init(&attr);
        pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
        pthread_cond_init(&s_wake, &attr);
        pthread_condattr_destroy(&attr);
    }

    s_threadStarted = pthread_create(&s_thread, nullptr, &CSingleUserLog::addUserLogThread, this) == 0;
}

CSingleUserLog::~CSingleUserLog()
{
    // The sender thread is joined before the export object and the lock go,
    // so it never uses either after release. It sends what is still queued
    // first, within kExitSendBudgetMs.
    pthread_mutex_lock(s_event);
    g_exitDeadline = monotonicAfter(static_cast<long long>(kExitSendBudgetMs) * 1000 * 1000);
    s_exitFlag = true;
    pthread_cond_signal(&s_wake);
    pthread_mutex_unlock(s_event);
    if (s_threadStarted) {
        pthread_join(s_thread, nullptr);
        s_threadStarted = false;
    }

    if (s_webLog) {
        DestroyExportObj(s_webLog);
        s_webLog = nullptr;
    }

    pthread_cond_destroy(&s_wake);
    pthread_mutex_destroy(s_event);
    delete s_event;
    s_event = nullptr;
}

void* CSingleUserLog::addUserLogThread(void* arg)
{
    CSingleUserLog* log = static_cast<CSingleUserLog*>(arg);
    if (!log)
        return nullptr;

    if (s_webLog) {
        int a = 0;
        int b = 0;
        for (int call = 0; call < 3 && a == 0 && b == 0; ++call)
            s_webLog->Probe(&a, &b);
    }

    log->AddUserLog(10201, true, 0, nullptr);

    for (;;) {
        pthread_mutex_lock(s_event);
        if (s_exitFlag && isPast(g_exitDeadline))
            s_userLogQueue.clear(); // out of time: drop the rest
        if (s_userLogQueue.empty()) {
            if (s_exitFlag) {
                pthread_mutex_unlock(s_event);
                break;
            }
            // Idle poll; woken early by a new event or by the exit.
            const timespec until = monotonicAfter(kIdlePollNs);
            pthread_cond_timedwait(&s_wake, s_event, &until);
            pthread_mutex_unlock(s_event);
            continue;
        }
        const UserLogEvent event = s_userLogQueue.front();
        s_userLogQueue.pop_front();
        pthread_mutex_unlock(s_event);

        // Outside the lock: a slow library never blocks AddUserLog.
        log->send(event);
    }
    return nullptr;
}

void CSingleUserLog::send(const UserLogEvent& event)
{
    if (!s_webLog)
        return;
    s_webLog->SendLog(event.eventId, event.value, event.text.c_str(), s_softID, kLanguageId, s_siteID,
                      kProgramVersion, s_mail.c_str(), 0, s_verID);
}

int CSingleUserLog::AddUserLog(int eventId, bool flag, int value, const char* text)
{
    if (!s_event)
        return 0;
    UserLogEvent event;
    event.eventId = eventId;
    event.flag = flag;
    event.value = value;
    if (text)
        event.text = text;
    pthread_mutex_lock(s_event);
    s_userLogQueue.push_back(std::move(event));
    pthread_cond_signal(&s_wake);
    pthread_mutex_unlock(s_event);
    return 0;
}

void CSingleUserLog::AddUserLogBlock(int eventId, int value, const char* text)
{
    if (!s_webLog)
        return;
    s_webLog->SendLog(eventId, value, text, s_softID, kLanguageId, s_siteID, kProgramVersion, s_mail.c_str(),
                      0, s_verID);
}

bool CSingleUserLog::waitSingle() { return true; }

void CSingleUserLog::lock()
{
    if (s_event)
        pthread_mutex_lock(s_event);
}

void CSingleUserLog::unlock()
{
    if (s_event)
        pthread_mutex_unlock(s_event);
}

IWebLogObj* CSingleUserLog::GetWebLogObj() { return s_webLog; }

void CSingleUserLog::SetLanguageID(int languageId)
{
    // Stored only; events always carry 1033.
    s_languageID = languageId;
}
