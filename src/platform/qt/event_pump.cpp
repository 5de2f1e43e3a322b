// Both calls go through QCoreApplication so that posted events (lookup
// replies from the resolver thread) are delivered as well as native ones.
#include "platform/qt/event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace platform {

void PumpOneMessage() {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void ServePendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace platform
