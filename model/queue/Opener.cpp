#include "queue/Opener.h"

#include "clips/ConfigMapping.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace {
QThreadPool& pool()
{
    static QThreadPool* opener = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(-1);
        return p;
    }();
    return *opener;
}
} // namespace

void Opener::run(std::function<void()> work) { pool().start(std::move(work)); }

void Opener::runThenHandBack(std::function<void()> work, std::function<void()> back)
{
    run([work = std::move(work), back = std::move(back)] {
        work();
        QMetaObject::invokeMethod(QCoreApplication::instance(), back, Qt::QueuedConnection);
    });
}

void Opener::waitForDone() { pool().waitForDone(); }

void Opener::waitForHandBacks()
{
    // A hand-back may hand more work over (a release): until none is left.
    for (int round = 0; round < 100; ++round) {
        waitForDone();
        QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
        if (pool().activeThreadCount() == 0)
            return;
    }
}

Config Opener::configFor(const MappingValues& values)
{
    Config config = Config_Create();
    ConfigMapping::send(config, values);
    return config;
}
