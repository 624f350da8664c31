#pragma once
// Long loops of the modal work windows (copy, find) let the event loop run between their steps so
// that Cancel gets through. Running it after every step would cost more than the work itself;
// this says when it is time again.
#include <chrono>

namespace qv {

class EventPacer {
public:
    explicit EventPacer(std::chrono::milliseconds interval = std::chrono::milliseconds(20))
        : interval_(interval) {}
    // True the first time and then whenever the interval has passed since it last said true.
    bool Due() {
        const auto now = std::chrono::steady_clock::now();
        if (!started_ || now - last_ >= interval_) {
            started_ = true;
            last_ = now;
            return true;
        }
        return false;
    }

private:
    std::chrono::steady_clock::duration interval_;
    std::chrono::steady_clock::time_point last_{};
    bool started_ = false;
};

} // namespace qv
