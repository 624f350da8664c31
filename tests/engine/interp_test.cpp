// The interpreter: command words, directory changes with the return-to-drive rule, listings,
// saving the history and the batch-file rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "engine/textutil.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "tests/engine/enginefixture.h"

namespace {

using qvtest::EngineTest;

TEST_F(EngineTest, DirectoryChangeForms) {
    c.mkdir("WORK/SUB");
    struct Case {
        std::string from, line, to, echo;
    } cases[] = {
        {"C:\\WORK", "cd sub", "C:\\WORK\\sub", "CD sub"},
        {"C:\\WORK", "@cd sub", "C:\\WORK\\sub", "CD sub"},
        {"C:\\WORK", "chdir sub", "C:\\WORK\\sub", "CD sub"},
        {"C:\\WORK", "CD\\WORK\\SUB", "C:\\WORK\\SUB", "CD \\WORK\\SUB"},
        {"C:\\WORK\\SUB", "cd..", "C:\\WORK", "CD .."},
        {"C:\\WORK\\SUB", "cd \\", "C:\\", "CD \\"},
        {"C:\\WORK", "cd \"sub\"", "C:\\WORK\\sub", "CD sub"},
        {"C:\\WORK", "cd sub\\", "C:\\WORK\\sub", "CD sub\\"},
    };
    for (const auto& c : cases) {
        StartIn(c.from);
        Run(c.line);
        EXPECT_EQ(engine.settings.CommandDirectory, c.to) << c.line;
        EXPECT_EQ(Lines(), (std::vector<std::string>{c.from + "> " + c.echo, c.to + "> "}))
            << c.line;
        EXPECT_EQ(engine.settings.RecentDirectories.front(), c.to) << c.line;
    }
}

TEST_F(EngineTest, DirectoryChangeThatFailsOrGoesNowhere) {
    Run("cd nowhere");
    Run("cd c:\\"); // already there: no echo at all
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{"C:\\> CD nowhere", "  Directory not found.", "C:\\> "}));
    EXPECT_EQ(engine.settings.CommandDirectory, "C:\\");
    EXPECT_TRUE(engine.settings.RecentDirectories.empty());
}

TEST_F(EngineTest, BareCdMdRdAreNotBuiltIn) {
    for (const char* line : {"cd", "md", "rd", "CD"})
        EXPECT_TRUE(engine.DispatchCommand(line)) << line;
    EXPECT_FALSE(engine.DispatchCommand("cd."));
}

TEST_F(EngineTest, DriveChangeReturnsToTheCommandDirectoryOnThePickersDrive) {
    c.mkdir("WORK");
    c.mkdir("PICKER");
    d.mkdir("DATA");
    StartIn("C:\\WORK");

    // The file pickers own the working directory: C:\PICKER.
    ASSERT_TRUE(plat::SetCurrentDir("C:\\PICKER"));
    Run("d:");
    EXPECT_EQ(engine.settings.CommandDirectory, "D:\\");
    EXPECT_EQ(engine.ReturnDirectory, "C:\\WORK");
    EXPECT_EQ(engine.settings.RecentDirectories.front(), "D:\\");
    Run("cd data");
    EXPECT_EQ(plat::GetCurrentDir(), "C:\\PICKER");

    Run("c:");
    EXPECT_EQ(engine.settings.CommandDirectory, "C:\\WORK"); // not C:\PICKER
    EXPECT_EQ(engine.ReturnDirectory, " ");
    Run("d:"); // D's current directory is where the command engine left it
    EXPECT_EQ(engine.settings.CommandDirectory, "D:\\data");
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{"C:\\WORK> CD d:", "D:\\> CD data",
                                        "D:\\data> CD c:", "C:\\WORK> CD d:", "D:\\data> "}));
}

TEST_F(EngineTest, ListingLinesAndSummary) {
    c.write("LIST/A.TXT", std::string(1234, 'x'));
    c.mkdir("LIST/SUB");
    c.write("LIST/.hidden", "12");
    StartIn("C:\\LIST");
    Run("dir");
    // ".", "..", then by name without regard to case.
    ASSERT_EQ(Lines().size(), 8u);
    EXPECT_EQ(Lines()[0], "C:\\LIST> Dir *.*");
    const std::string dirColumn = "  " + std::string(7, ' ') + "<DIR>";
    EXPECT_EQ(Lines()[1].substr(0, 30),
              "    " + std::string(".") + std::string(11, ' ') + dirColumn);
    EXPECT_EQ(Lines()[5].substr(0, 30), "    SUB" + std::string(9, ' ') + dirColumn);
    const std::string expected =
        "    A.TXT" + std::string(7, ' ') + "  " + std::string(7, ' ') + "1,234" + "  A   " + "  ";
    const std::string& a = Lines()[4];
    ASSERT_GT(a.size(), expected.size());
    EXPECT_EQ(a.substr(0, expected.size()), expected);
    EXPECT_NE(a[expected.size()], ' '); // the date and time
    EXPECT_EQ(Lines()[3].substr(0, 36), "    .hidden       " + std::string(11, ' ') + "2  A H ");
    EXPECT_TRUE(std::regex_match(
        Lines()[6], std::regex("  1,236 bytes in 5 file\\(s\\)\\.  [0-9,]+ bytes free\\.")))
        << Lines()[6];
}

TEST_F(EngineTest, ListingArguments) {
    c.write("sub/clip.qrv", "1");
    c.write("sub/clip.avi", "1");
    c.write("top.qrv", "1");
    struct Case {
        std::string line, echo;
        std::size_t entries;
    } cases[] = {
        {"dir", "Dir *.*", 3},
        {"@dir sub", "Dir sub\\*.*", 4},
        {"dir sub\\*.qrv", "Dir sub\\*.qrv", 1},
        {"dir \"sub\"", "Dir sub\\*.*", 4},
        {"dir *.none", "Dir *.none", 0},
    };
    for (const auto& c : cases) {
        StartIn("C:\\");
        Run(c.line);
        EXPECT_EQ(Lines()[0], "C:\\> " + c.echo) << c.line;
        if (c.entries == 0) {
            EXPECT_EQ(LinesFrom(1), (std::vector<std::string>{"  No files found.", "C:\\> "}));
        } else {
            ASSERT_EQ(Lines().size(), c.entries + 3) << c.line;
            EXPECT_NE(
                Lines()[c.entries + 1].find(" bytes in " + std::to_string(c.entries) + " file(s)."),
                std::string::npos)
                << c.line;
        }
    }
}

TEST_F(EngineTest, ListingTotalPastTwoGigabytes) {
    // Sparse files: sizes past 2 GB without the disk space.
    std::filesystem::resize_file(c.write("BIG/one.bin", ""), 1610612736);
    std::filesystem::resize_file(c.write("BIG/two.bin", ""), 1610612736);
    Run("dir big");
    EXPECT_EQ(Lines()[3].substr(0, 31), "    one.bin       1,610,612,736");
    EXPECT_EQ(Lines()[5].substr(0, 37), "  3,221,225,472 bytes in 4 file(s).  ");
}

// Counts the times a view of the history had to read it again.
class ResetCounter : public qv::HistoryObserver {
public:
    void HistoryLinesAppended(std::size_t, std::size_t) override {}
    void HistoryLastLineChanged() override {}
    void HistoryLinesRemovedFromFront(std::size_t) override {}
    void HistoryCleared() override {}
    void HistoryReset() override { ++resets; }
    void HistoryScrollToCaret() override {}
    int resets = 0;
};

TEST_F(EngineTest, LongListingUpdatesTheDisplayEveryElevenEntries) {
    for (int i = 0; i < 23; ++i)
        c.write("MANY/f" + std::to_string(100 + i), "x"); // with "." and "..": 25 entries
    ResetCounter view;
    engine.history.Attach(&view);
    view.resets = 0;
    engine.ListDirectory("many");
    engine.history.Detach(&view);
    EXPECT_EQ(view.resets, 3); // after the 11th and the 22nd entry, and at the end
    EXPECT_EQ(engine.history.Count(), 27u);
}

TEST_F(EngineTest, SaveHistory) {
    c.mkdir("log.txt"); // a directory in the way: this name cannot be written
    Run("rem one");
    Run("savehist \"saved\"");
    Run("savehist log.hist");
    Run("savehist log");
    EXPECT_EQ(testsupport::readFile(c.file("saved.txt")),
              "C:\\> rem one\r\nC:\\> savehist \"saved\"\r\n");
    EXPECT_TRUE(testsupport::exists(c.file("log.hist")));
    EXPECT_EQ(LinesFrom(2),
              (std::vector<std::string>{"  History saved to saved.txt", "C:\\> savehist log.hist",
                                        "  History saved to log.hist", "C:\\> savehist log",
                                        "  Error saving to log.txt", "C:\\> "}));
}

TEST_F(EngineTest, WindowsAndRequestsOfCommandWords) {
    c.mkdir("WORK");
    StartIn("C:\\WORK");
    Run("edit");
    Run("Edit \"my notes.qbt\"");
    Run("listedit files.lst");
    Run("qrvtune clip.qrv");
    Run("help");
    Run("find *.TXT");
    Run("whereis d:\\Data\\x.qrv");
    Run("exit");
    EXPECT_EQ(ui.log,
              (std::vector<std::string>{"OpenTextEditor: ", "OpenTextEditor: my notes.qbt",
                                        "OpenListEditor: files.lst", "OpenAnalysis: clip.qrv",
                                        "ShowContextHelp", "FindFiles: c:\\work\\*.txt",
                                        "FindFiles: d:\\data\\x.qrv", "SetTabRequest: 32"}));
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "C:\\WORK> edit", "C:\\WORK> Edit \"my notes.qbt\"",
                           "C:\\WORK> listedit files.lst", "C:\\WORK> qrvtune clip.qrv",
                           "C:\\WORK> help", "C:\\WORK> find *.TXT",
                           "C:\\WORK> whereis d:\\Data\\x.qrv", "C:\\WORK> Exit", "C:\\WORK> "}));
}

TEST_F(EngineTest, RemarksAndClear) {
    Run("@echo Hello there");
    Run("rem");
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{"C:\\> @echo Hello there", "C:\\> rem", "C:\\> "}));
    Run("cls");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"C:\\> "}));
}

TEST_F(EngineTest, BatchFileLookup) {
    c.mkdir("WORK");
    StartIn("C:\\WORK");
    c.write("PROG/run.qbt", "rem shared\r\n");
    Run("run one two");
    c.write("WORK/run.qbt", "rem local\r\n");
    Run("RUN.QBT");
    Run("\"run\"");
    Run("r?n");
    Run("run.bat");
    Run("prog\\run"); // a directory part: the program directory is not tried
    EXPECT_EQ(ui.batchRuns,
              (std::vector<std::pair<std::string, std::string>>{
                  {"C:\\PROG\\run.qbt", "one two"}, {"run.qbt", ""}, {"run.qbt", ""}}));
    EXPECT_EQ(
        LinesFrom(Lines().size() - 8),
        (std::vector<std::string>{"C:\\WORK> rem local", "C:\\WORK> r?n", "  Command not found.",
                                  "C:\\WORK> run.bat", "  Command not found.",
                                  "C:\\WORK> prog\\run", "  Command not found.", "C:\\WORK> "}));
}

} // namespace
