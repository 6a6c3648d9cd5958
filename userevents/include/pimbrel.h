/*
 * pimbrel: Lumivane's user-event library.
 *
 * It never touches the network. When the environment variable
 * LUMIVANE_EVENT_LOG names a file, every start-up call and every event is
 * appended to it as one line; otherwise events are discarded.
 *
 * LUMIVANE_EVENT_STARTUP_FAILS=N makes the first N start-up calls of an
 * export object report failure (both outputs 0), so a caller's retry rule can
 * be exercised.
 *
 * Both operations may be called from several threads at once; writes are
 * serialised inside the library.
 */
#ifndef PIMBREL_H
#define PIMBREL_H

#if defined(PIMBREL_BUILD)
#define PIMBREL_API __attribute__((visibility("default")))
#else
#define PIMBREL_API
#endif

// The export object. The order of the two operations is part of the
// interface: callers reach them through the virtual table.
class IWebLogObj
{
public:
    // Records one event. Texts are zero-terminated bytes (UTF-8); a null text
    // counts as empty. Returns 1 when the event was written, 0 otherwise.
    virtual int SendLog(int eventId, int value, const char* text, int productId, int languageId, int siteId,
                        const char* version, const char* account, int reserved, int versionId) = 0;

    // Start-up call: writes two integers, both 0 when start-up failed.
    // Returns 1 on success, 0 on failure.
    virtual int Probe(int* first, int* second) = 0;

protected:
    // Released only through DestroyExportObj.
    ~IWebLogObj() = default;
};

extern "C" {
PIMBREL_API IWebLogObj* CreateExportObj(void);
PIMBREL_API void DestroyExportObj(IWebLogObj* object);
}

#endif /* PIMBREL_H */
