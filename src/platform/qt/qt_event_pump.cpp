#include "qt_event_pump.h"

#include <QCoreApplication>

namespace vemra {

void QtEventPump::processPendingEvents()
{
    // Deferred deletions stay with the main loop (processEvents never runs
    // them), so nothing the computation holds disappears under it.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace vemra
