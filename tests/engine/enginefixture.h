#pragma once
// A fresh engine on two temporary drives: C: and D: are mapped onto temporary directories, the
// command directory is C:\ and the program directory C:\PROG\, and the history starts with its
// first prompt, as it does when the main window is first shown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/paths.h"
#include "support/testsupport.h"
#include "tests/engine/fakeui.h"

namespace qvtest {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        c.mkdir("PROG");
        plat::SetDriveMap({{'C', c.path()}, {'D', d.path()}});
        engine.settings.CommandDirectory = "C:\\";
        engine.settings.ProgramDirectory = "C:\\PROG\\";
        engine.NotifyWindow = 77;
        engine.ShowPrompt();
    }
    void TearDown() override { plat::SetDriveMap(plat::DriveMapFromEnvironment()); }

    // Moves the command engine without a trace and starts the history afresh.
    void StartIn(const std::string& directory) {
        engine.settings.CommandDirectory = directory;
        engine.history.Clear();
        engine.ShowPrompt();
    }
    bool Run(const std::string& line, const std::string& directory = {}) {
        return engine.RunCommand(directory, line);
    }
    const std::vector<std::string>& Lines() const { return engine.history.Lines(); }
    // The history lines from index `first` on.
    std::vector<std::string> LinesFrom(std::size_t first) const {
        const auto& lines = engine.history.Lines();
        return {lines.begin() + static_cast<std::ptrdiff_t>(std::min(first, lines.size())),
                lines.end()};
    }

    testsupport::TempDir c;
    testsupport::TempDir d;
    FakeUI ui;
    qv::Engine engine{&ui};
};

} // namespace qvtest
