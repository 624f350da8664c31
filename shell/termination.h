#pragma once
// SIGTERM and SIGINT end the program the way closing its window does, so that the settings are
// written. The signal handler only wakes the event loop; the work happens there.
#include <functional>

class QObject;

namespace qv {

// Calls `handler` on the event loop whenever SIGTERM or SIGINT arrives, for as long as `context`
// exists. False when the signals could not be taken over.
bool InstallTerminationHandler(QObject* context, std::function<void()> handler);

} // namespace qv
