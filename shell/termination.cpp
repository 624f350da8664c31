#include "shell/termination.h"

#include <QObject>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qv {

namespace {

int wakeFds[2] = {-1, -1};

extern "C" void WakeOnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    ssize_t ignored = write(wakeFds[1], &byte, 1);
    (void)ignored;
    errno = saved;
}

} // namespace

bool InstallTerminationHandler(QObject* context, std::function<void()> handler) {
    if (wakeFds[0] < 0 && pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    auto* notifier = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context,
                     [handler = std::move(handler)] {
                         char buffer[64];
                         while (read(wakeFds[0], buffer, sizeof buffer) > 0) {
                         }
                         handler();
                     });
    struct sigaction action = {};
    action.sa_handler = WakeOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

} // namespace qv
