// Batch lines through the engine: parameters, nesting, blank lines, the batch marker and what a
// batch leaves in the history and the recent commands.
#include "engine/batch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/engine/enginefixture.h"

namespace {

using qvtest::EngineTest;

TEST_F(EngineTest, BatchParametersAndEcho) {
    c.write("run.qbt", "echo %1 %2 %3.\r\n");
    Run("run a \"b c\"");
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{"C:\\> run.qbt", "C:\\> echo a \"b c\" .", "C:\\> "}));
    EXPECT_EQ(engine.settings.RecentCommands, (std::vector<std::string>{"run a \"b c\""}));
    EXPECT_EQ(engine.BatchParameters, "");
    Run("echo [%1]"); // outside a batch the parameters are empty
    EXPECT_EQ(Lines()[2], "C:\\> echo []");
}

TEST_F(EngineTest, NestedBatchKeepsItsOwnParameters) {
    c.write("outer.qbt", "inner x%1\r\n \t \r\n\r\necho outer %1\r\n");
    c.write("inner.qbt", "echo inner %1\n");
    Run("outer first");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"C:\\> outer.qbt", "C:\\> inner.qbt",
                                                 "C:\\> echo inner xfirst",
                                                 "C:\\> echo outer first", "C:\\> "}));
    EXPECT_EQ(ui.batchRuns, (std::vector<std::pair<std::string, std::string>>{
                                {"outer.qbt", "first"}, {"inner.qbt", "xfirst"}}));
}

TEST_F(EngineTest, BatchLinesCarryTheRunnersWindowAndTheMarker) {
    c.write("tools.qbt", "quarvc clip.avi\r\nrem done\r\n");
    qv::BatchRun run(engine, "tools.qbt", "");
    ASSERT_TRUE(run.Load());
    EXPECT_EQ(run.Lines(), (std::vector<std::string>{"quarvc clip.avi", "rem done"}));
    std::string line = run.Lines()[0];
    engine.NotifyWindow = 4242;
    engine.InsideBatch = true;
    ASSERT_TRUE(engine.ResolveToolName(line));
    EXPECT_EQ(line, "C:\\PROG\\QuarvC clip.avi /#4242/#");
    engine.NotifyWindow = 77;
    engine.InsideBatch = false;

    EXPECT_FALSE(run.RunLine(1, 4242)); // not a tool: nothing to wait for
    EXPECT_EQ(engine.NotifyWindow, 77u);
    EXPECT_FALSE(engine.InsideBatch);
    EXPECT_TRUE(engine.settings.RecentCommands.empty());
}

TEST_F(EngineTest, BatchThatCannotBeReadShowsAnError) {
    c.mkdir("odd.qbt/inside"); // exists, but as a directory: not a batch file
    c.write("PROG/gone.qbt", "");
    std::filesystem::permissions(c.file("PROG/gone.qbt"), std::filesystem::perms::none);
    EXPECT_TRUE(engine.DispatchCommand("odd"));
    if (::geteuid() != 0) { // root reads whatever it likes
        Run("gone");
        EXPECT_EQ(ui.errors, (std::vector<std::string>{"Error, couldn't load C:\\PROG\\gone.qbt"}));
    }
    EXPECT_TRUE(qv::BatchRun::IsBlankLine(" \t\x01"));
    EXPECT_FALSE(qv::BatchRun::IsBlankLine(" \t@"));
}

} // namespace
