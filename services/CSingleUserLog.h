#ifndef CSINGLEUSERLOG_H
#define CSINGLEUSERLOG_H

#include <pthread.h>

#include <atomic>
#include <deque>
#include <string>

class IWebLogObj;

// One queued usage event.
struct UserLogEvent
{
    int eventId = 0;
    bool flag = false; // kept with the event, not handed to the library
    int value = 0;
    std::string text;
};

// The process-wide user-event log. Events are queued by any thread and sent
// one at a time, in queue order, by a sender thread; AddUserLogBlock sends at
// once on the caller's thread. All state is static; the object only gives
// access to it and lives until process exit.
class CSingleUserLog
{
public:
    static CSingleUserLog* getInstance();

    int AddUserLog(int eventId, bool flag, int value, const char* text);
    void AddUserLogBlock(int eventId, int value, const char* text);

    // Nothing in the program calls these.
    bool waitSingle();
    void lock();
    void unlock();
    IWebLogObj* GetWebLogObj();
    void SetLanguageID(int languageId);

    // How long the exit may spend sending what is still queued before the
    // rest is dropped, so a stuck library cannot hang the process exit.
    static constexpr int kExitSendBudgetMs = 3000;

private:
    CSingleUserLog();
    ~CSingleUserLog();
    CSingleUserLog(const CSingleUserLog&) = delete;
    CSingleUserLog& operator=(const CSingleUserLog&) = delete;

    static void* addUserLogThread(void* arg);
    void send(const UserLogEvent& event);

    static IWebLogObj* s_webLog;
    static std::deque<UserLogEvent> s_userLogQueue;
    static pthread_mutex_t* s_event;
    static pthread_cond_t s_wake;
    static std::atomic<bool> s_exitFlag;
    static int s_softID;
    static int s_verID;
    static int s_siteID;
    static int s_languageID;
    static std::string s_mail;
    static pthread_t s_thread;
    static bool s_threadStarted;
};

#endif // CSINGLEUSERLOG_H
