#pragma once
// A main window on a settings file of its own, and the waits the window tests need: events are
// pumped until something has happened, with a generous safety limit instead of a fixed delay.
#include "dialogs/dialoglayer.h"
#include "platform/paths.h"
#include "platform/report.h"
#include "shell/help.h"
#include "shell/topwin.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class TopwinFixture : public testing::Test {
protected:
    void SetUp() override {
        qv::DialogLayer::reset();
        savedTopic_ = qv::HelpTopic();
        savedDirectory_ = plat::GetCurrentDir();
    }

    void TearDown() override {
        window_.reset();
        qv::QuitHelp();
        qv::DialogLayer::reset();
        qv::HelpTopic() = savedTopic_;
        plat::SetCurrentDir(savedDirectory_);
    }

    // Makes and shows the main window; its first show creates the active page's form.
    qv::Ttopwin& open(const QStringList& parameters = {}) {
        window_ = std::make_unique<qv::Ttopwin>(parameters);
        window_->show();
        return *window_;
    }
    qv::Ttopwin& window() { return *window_; }
    // The host path of the settings file the program uses when none is named.
    std::string settingsFile() const { return config_.file("quarver/Quarver.INI"); }
    std::string programPath(const std::string& hostPath) const {
        return plat::ProgramPath(hostPath);
    }

    static bool waitFor(const std::function<bool()>& done, int limitMs = 15000) {
        for (int waited = 0; !done(); waited += 5) {
            if (waited > limitMs) return false;
            QTest::qWait(5);
        }
        return true;
    }

    // Sends a record the way a tool does, from another thread, while this one keeps the event
    // loop going. Returns the answer.
    static int sendReport(plat::WindowHandle handle, const plat::ReportRecord& record) {
        std::atomic<int> answer{-2};
        std::thread sender([&] { answer = plat::SendReport(handle, record); });
        waitFor([&] { return answer != -2; });
        sender.join();
        return answer;
    }

    template <class T> T* formChild(const char* name) {
        QWidget* form = window_->CurrentTabForm();
        return form ? form->findChild<T*>(QLatin1String(name)) : nullptr;
    }

    std::string historyText() { return window_->engine().history.Text(); }

    testing::AssertionResult selectByKey(Qt::Key key, int index) {
        QWidget* target = window_->focusWidget() ? window_->focusWidget() : window_.get();
        QTest::keyClick(target, key);
        if (!waitFor([&] { return window_->maintab->currentIndex() == index; }))
            return testing::AssertionFailure() << "page " << index << " not shown";
        return testing::AssertionSuccess();
    }

    testsupport::TempDir config_;

private:
    testsupport::ScopedEnv configHome_{"XDG_CONFIG_HOME", config_.path().c_str()};
    std::unique_ptr<qv::Ttopwin> window_;
    int savedTopic_ = 0;
    std::string savedDirectory_;
};
