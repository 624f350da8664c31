// Running lines: the tool catalogue, the tool command line, echoes, the Shift rule, the recent
// commands and the borrowed working directory.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/textutil.h"
#include "platform/paths.h"
#include "tests/engine/enginefixture.h"

namespace {

using qvtest::EngineTest;

TEST_F(EngineTest, ToolCommandLines) {
    struct Case {
        std::string commandDirectory;
        bool marker;
        std::string line, result; // an empty result: not a tool, the line stays as it was
    } cases[] = {
        // In the program directory (apart from case) the bare executable name is used.
        {"c:\\prog", false, "quarvc clip.avi", "QuarvC clip.avi /#77"},
        {"C:\\PROG\\", false, "quarvc clip.avi", "QuarvC clip.avi /#77"},
        {"C:\\WORK", false, "quarvc clip.avi /N5", "C:\\PROG\\QuarvC clip.avi /N5 /#77"},
        {"C:\\WORK", true, "quarvc clip.avi", "C:\\PROG\\QuarvC clip.avi /#77/#"},
        {"C:\\WORK", false, "  QuarvCW   a   b  ", "C:\\PROG\\QuarvC a   b /#77"},
        // Without arguments: the separating blank and the report switch's blank.
        {"C:\\WORK", false, "quarvc", "C:\\PROG\\QuarvC  /#77"},
        {"C:\\WORK", false, "QUARVC.exe clip.avi", "C:\\PROG\\QuarvC clip.avi /#77"},
        {"C:\\WORK", false, "quarvc.EXE clip.avi", ""},
        {"C:\\WORK", false, "c:\\old\\bin\\quarvc x", "C:\\PROG\\QuarvC x /#77"},
        {"C:\\WORK", false, "d:quarvmiw x", "C:\\PROG\\QuarvMix x /#77"},
        {"C:\\WORK", false, "\"quarvc\" x", ""}, // a quoted program word is started as written
        {"C:\\WORK", false, "quarvplw", "C:\\PROG\\QuarvPlW  /#77"},
        {"C:\\WORK", false, "quarvscr", "C:\\PROG\\QuarvScW  /#77"},
        {"C:\\WORK", false, "toanimw6", "C:\\PROG\\ImgProc  /#77"},
        {"C:\\WORK", false, "audprocw", "C:\\PROG\\AudProc  /#77"},
        {"C:\\WORK", false, "mmstat", "C:\\PROG\\QrvInfo  /#77"},
        {"C:\\WORK", false, "kybsi", "C:\\PROG\\RodUDU  /#77"},
        {"C:\\WORK", false, "quarvfrw", "C:\\PROG\\QuarvFR  /#77"},
        {"C:\\WORK", false, "qrvcompi", "C:\\PROG\\QrvCompi  /#77"},
        {"C:\\WORK", false, "qrvtune x.qrv", ""}, // a built-in command, not a tool
        {"C:\\WORK", false, "", ""},
    };
    for (const auto& c : cases) {
        engine.settings.CommandDirectory = c.commandDirectory;
        engine.FromCommandTab = c.marker;
        std::string line = c.line;
        const bool accepted = engine.ResolveToolName(line);
        EXPECT_EQ(accepted, !c.result.empty()) << c.line;
        EXPECT_EQ(line, c.result.empty() ? c.line : c.result) << c.line;
    }
    engine.FromCommandTab = false;
    engine.InsideBatch = true;
    std::string line = "imgproc a.gif";
    ASSERT_TRUE(engine.ResolveToolName(line));
    EXPECT_EQ(line, "C:\\PROG\\ImgProc a.gif /#77/#");
}

TEST_F(EngineTest, ProgramDirectoryWithBlanksIsQuoted) {
    engine.settings.ProgramDirectory = "C:\\Program Files\\Quarver\\";
    std::string line = "quarvc clip.avi";
    ASSERT_TRUE(engine.ResolveToolName(line));
    EXPECT_EQ(line, "\"C:\\Program Files\\Quarver\\QuarvC\" clip.avi /#77");
}

TEST_F(EngineTest, UnknownProgramIsEchoedAndNotFound) {
    EXPECT_FALSE(Run("  no_such_program_xq  a  b "));
    EXPECT_FALSE(Run("@no_such_program_xq"));
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "C:\\> no_such_program_xq  a  b", "  Command not found.",
                           "C:\\> @no_such_program_xq", "  Command not found.", "C:\\> "}));
    EXPECT_EQ(ui.busyOn, 2);
    EXPECT_EQ(ui.busyOff, 2);
}

TEST_F(EngineTest, ShiftTurnsTheLineIntoARemark) {
    ui.shiftDown = true;
    EXPECT_FALSE(Run("quarvc clip.avi"));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"C:\\> Rem quarvc clip.avi", "C:\\> "}));
    EXPECT_EQ(engine.settings.RecentCommands, (std::vector<std::string>{"Rem quarvc clip.avi"}));
}

TEST_F(EngineTest, WorkingDirectoryOfATabIsEchoedAsCd) {
    c.mkdir("SUB");
    Run("rem one", "C:\\SUB");
    Run("rem two", "c:\\sub"); // the same directory apart from case: no second CD
    EXPECT_EQ(Lines(), (std::vector<std::string>{"C:\\> CD C:\\SUB", "C:\\SUB> rem one",
                                                 "C:\\SUB> rem two", "C:\\SUB> "}));
    EXPECT_EQ(engine.settings.CommandDirectory, "C:\\SUB");
}

TEST_F(EngineTest, RunCommandBorrowsTheWorkingDirectoryAndGivesItBack) {
    c.mkdir("WORK");
    c.mkdir("PICKER");
    engine.settings.CommandDirectory = "C:\\WORK";
    ASSERT_TRUE(plat::SetCurrentDir("C:\\PICKER"));
    c.write("WORK/here.qrv", "x");
    Run("dir *.qrv"); // relative names refer to the command directory
    EXPECT_EQ(plat::GetCurrentDir(), "C:\\PICKER");
    EXPECT_EQ(engine.SavedProcessDirectory, "C:\\PICKER");
    EXPECT_EQ(Lines()[1].substr(0, 13), "    here.qrv ");

    // Also after a batch, whose own lines borrow the working directory once more.
    c.write("WORK/inner.qbt", "rem inside\r\n");
    Run("inner");
    EXPECT_EQ(plat::GetCurrentDir(), "C:\\PICKER");
    EXPECT_EQ(engine.SavedProcessDirectory, "C:\\PICKER");
}

TEST_F(EngineTest, RecentCommands) {
    Run("rem a");
    Run("rem b");
    Run("REM A");
    EXPECT_EQ(engine.settings.RecentCommands, (std::vector<std::string>{"REM A", "rem b"}));

    engine.InsideBatch = true;
    Run("rem from a batch");
    engine.InsideBatch = false;
    EXPECT_EQ(engine.settings.RecentCommands.size(), 2u);

    for (int i = 0; i < 30; ++i)
        Run("rem " + std::to_string(i));
    ASSERT_EQ(engine.settings.RecentCommands.size(), 30u);
    EXPECT_EQ(engine.settings.RecentCommands.front(), "rem 29");
    EXPECT_EQ(engine.settings.RecentCommands.back(), "rem 0");
}

TEST_F(EngineTest, MissingCommandDirectoryRunsNothingButDirectoryChanges) {
    engine.settings.CommandDirectory = "C:\\GONE";
    c.write("victim.txt", "keep");
    plat::SetCurrentDir("C:\\");
    Run("dir");
    Run("cd \\");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"C:\\> dir", "  Directory not found: C:\\GONE",
                                                 "C:\\GONE> CD \\", "C:\\> "}));
    EXPECT_EQ(engine.settings.CommandDirectory, "C:\\");
}

TEST_F(EngineTest, AddRecentFile) {
    engine.settings.CommandDirectory = "C:\\WORK";
    engine.AddRecentFile("Clip.AVI");
    engine.AddRecentFile("D:\\Other\\X.QRV");
    engine.AddRecentFile("c:\\work\\clip.avi");
    EXPECT_EQ(engine.settings.RecentFiles,
              (std::vector<std::string>{"c:\\work\\clip.avi", "d:\\other\\x.qrv"}));
}

// Waits for the stand-in's line in the tool log; a started tool runs on its own.
std::string WaitForLog(const std::string& hostPath) {
    for (int i = 0; i < 200; ++i) {
        std::string text = testsupport::readFile(hostPath);
        if (!text.empty() && text.back() == '\n') return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return testsupport::readFile(hostPath);
}

TEST(ToolStartTest, StandInReceivesTheToolCommandLine) {
    const std::string tool = testsupport::binDir() + "/QuarvC";
    if (!testsupport::exists(tool)) GTEST_SKIP() << "the tool stand-ins are not built: " << tool;
    plat::SetDriveMap({{'C', "/"}});
    testsupport::TempDir work;
    const std::string log = work.file("tools.log");
    testsupport::ScopedEnv logEnv("QUARVER_TOOL_LOG", log.c_str());

    qvtest::FakeUI ui;
    qv::Engine engine(&ui);
    engine.settings.ProgramDirectory = qv::AddBackslash(plat::ProgramPath(testsupport::binDir()));
    engine.settings.CommandDirectory = plat::ProgramPath(work.path());
    engine.NotifyWindow = 4711;
    engine.FromCommandTab = true;
    engine.ShowPrompt();
    EXPECT_TRUE(engine.RunCommand({}, "quarvc \"my clip.avi\" out.qrv /N5/K20"));
    EXPECT_EQ(engine.history.Lines()[0],
              engine.settings.CommandDirectory + "> quarvc \"my clip.avi\" out.qrv /N5/K20");

    const std::string text = WaitForLog(log);
    plat::SetDriveMap(plat::DriveMapFromEnvironment());
    EXPECT_EQ(text, "QuarvC\tmy clip.avi\tout.qrv\t/N5/K20\t/#4711/#\n");
}

} // namespace
