#pragma once
// What the modal work windows (copy, find) share. Their work runs inside a timer event of the
// window and lets the event loop run between its steps so that Cancel gets through; running it
// after every step would cost more than the work itself, so EventPacer says when it is time again.
// The window itself closes only when the work is done; Esc asks the Cancel question instead.
#include <QCloseEvent>
#include <QDialog>

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

class WorkWindow : public QDialog {
public:
    // Esc asks like the Cancel button.
    void reject() override {
        if (finished_)
            QDialog::reject();
        else
            askCancel();
    }

protected:
    // The Cancel question; a Yes sets the flag the work checks.
    virtual void askCancel() = 0;
    // Closes the window once the work is done.
    void finish() {
        finished_ = true;
        accept();
    }
    // Centred over the main window.
    void centre();
    void closeEvent(QCloseEvent* event) override {
        if (!finished_) event->ignore();
    }

private:
    bool finished_ = false;
};

} // namespace qv
