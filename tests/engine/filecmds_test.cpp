// The file commands MD, RD, Del, Ren, Attr, Copy and Type, run as command lines through the
// engine with the scripted fake windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/filecmds.h"
#include "engine/textutil.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/testsupport.h"
#include "tests/engine/enginefixture.h"

namespace {

using Lines_t = std::vector<std::string>;

class FileCommandTest : public qvtest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        c.mkdir("WORK");
        StartIn("C:\\WORK");
    }
    // Runs one line in C:\WORK and returns every history line it left, the prompt it started on
    // included and the fresh prompt after it left out.
    Lines_t Command(const std::string& line) {
        const std::size_t first = Lines().size() - 1;
        Run(line);
        Lines_t lines = LinesFrom(first);
        lines.pop_back();
        return lines;
    }
    std::string work(const std::string& name) const { return c.file("WORK/" + name); }
    // Hidden and system marks live in an extended attribute the temporary folder may not keep.
    bool CanMarkHidden() {
        const std::string probe = "C:\\WORK\\xattr.probe";
        plat::WriteWholeFile(probe, "");
        const bool ok = plat::SetFileAttributes(probe, plat::faArchive | plat::faHidden);
        plat::DeleteFile(probe);
        return ok;
    }
};

TEST(ApplyNamePattern, FillsWildcardsFromTheSource) {
    struct Case {
        const char *pattern, *source, *result;
    } cases[] = {
        {"*.bak", "notes.txt", "notes.bak"},
        {"b*.txt", "abc.txt", "bbc.txt"},
        {"x?y.*", "a.dat", "xy.dat"},
        {"ab??", "x", "ab"},
        {"C:\\OUT\\*.*", "C:\\IN\\clip.avi", "C:\\OUT\\clip.avi"},
        {"c:*.qrv", "c:\\in\\clip.avi", "c:clip.qrv"},
        {"new.txt", "old.dat", "new.txt"},
        {"???x.*", "abcdef.t", "abcx.t"},
        {"a*b.c*d", "xyz.qrs", "ayz.crs"},             // nothing after a "*" counts
        {"D:\\dir\\*.*", "readme", "D:\\dir\\readme"}, // no lone dot for a name without one
        {"*", "notes.txt", "notes"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qv::ApplyNamePattern(c.pattern, c.source), c.result)
            << c.pattern << " " << c.source;
}

TEST_F(FileCommandTest, MissingArgumentsGoOnTheEchoLine) {
    struct Case {
        const char *line, *message;
    } cases[] = {
        {"mkdir", "MD - error, no directory name given."},
        {"rmdir", "RD - error, no directory name given."},
        {"del", "Del - error, no file name given."},
        {"del \"\"", "Del - error, no file name given."},
        {"ren a.txt", "Ren - error, must give input and output names."},
        {"copy", "Copy - error, must give an input name."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Command(c.line), Lines_t{std::string("C:\\WORK> ") + c.message}) << c.line;
}

TEST_F(FileCommandTest, WildcardDeleteAnsweredYesTwice) {
    c.write("WORK/a.tmp", "12345");
    c.write("WORK/B.TMP", "1234567");
    c.write("WORK/keep.txt", "x");
    ui.AnswerYes();
    ui.AnswerYes();
    ui.commandTabShown = false; // nothing goes wrong, so no box either way
    EXPECT_EQ(Command("del *.tmp"),
              (Lines_t{"C:\\WORK> Del *.tmp", "  a.tmp was deleted.", "  b.tmp was deleted.",
                       "  2 file(s) deleted.  12 bytes freed."}));
    EXPECT_EQ(ui.questions, (Lines_t{"Delete the file: a.tmp ?", "Delete the file: b.tmp ?"}));
    EXPECT_EQ(ui.log.front(), "AskYesNoCancel: Delete the file: a.tmp ? default 2");
    EXPECT_FALSE(testsupport::exists(work("a.tmp")));
    EXPECT_FALSE(testsupport::exists(work("B.TMP")));
    EXPECT_TRUE(testsupport::exists(work("keep.txt")));
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(FileCommandTest, DeleteAnswersNoCancelAndNothingFound) {
    c.write("WORK/a.tmp", "12");
    c.write("WORK/b.tmp", "345");
    c.write("WORK/c.tmp", "6789");
    c.mkdir("OTHER");
    c.write("OTHER/one.txt", "1");

    EXPECT_EQ(Command("del *.none"),
              (Lines_t{"C:\\WORK> Del *.none", "  0 file(s) deleted.  0 bytes freed."}));
    // One named file: No and Cancel both leave only the echo.
    ui.AnswerNo();
    EXPECT_EQ(Command("del a.tmp"), Lines_t{"C:\\WORK> Del a.tmp"});
    ui.AnswerCancel();
    EXPECT_EQ(Command("del \\other\\one.txt"), Lines_t{"C:\\WORK> Del \\other\\one.txt"});
    EXPECT_EQ(ui.questions.back(), "Delete the file: \\other\\one.txt ?");

    // Cancel in the middle still gives the total of what went so far.
    ui.AnswerNo();
    ui.AnswerYes();
    ui.AnswerCancel();
    EXPECT_EQ(Command("del *.tmp"), (Lines_t{"C:\\WORK> Del *.tmp", "  b.tmp was deleted.",
                                             "  1 file(s) deleted.  3 bytes freed."}));
    EXPECT_TRUE(testsupport::exists(work("a.tmp")));
    EXPECT_TRUE(testsupport::exists(work("c.tmp")));
    EXPECT_TRUE(testsupport::exists(c.file("OTHER/one.txt")));
}

TEST_F(FileCommandTest, FailedDeleteIsReportedAndTheRunGoesOn) {
    c.write("WORK/a.tmp", "12");
    c.write("WORK/b.tmp", "345");
    ASSERT_TRUE(plat::SetFileAttributes("C:\\WORK\\a.tmp", plat::faReadOnly | plat::faArchive));
    ui.commandTabShown = false;
    ui.AnswerYes();
    ui.AnswerYes();
    EXPECT_EQ(Command("del *.tmp"),
              (Lines_t{"C:\\WORK> Del *.tmp", "  Could not delete a.tmp", "  b.tmp was deleted.",
                       "  1 file(s) deleted.  3 bytes freed."}));
    EXPECT_EQ(ui.errors, Lines_t{"Error, Could not delete a.tmp"});
    EXPECT_TRUE(testsupport::exists(work("a.tmp")));
}

TEST_F(FileCommandTest, TotalsPastTwoGigabytesStayPositive) {
    // Sparse files: the sizes are real, the disk space is not used.
    for (const char* name : {"big1.dat", "big2.dat"}) {
        plat::File file;
        ASSERT_TRUE(file.Open(std::string("C:\\WORK\\") + name, plat::File::Mode::Write));
        file.Close();
        std::filesystem::resize_file(work(name), 1500000000ull);
    }
    ui.AnswerYes();
    ui.AnswerYes();
    EXPECT_EQ(Command("del *.dat").back(), "  2 file(s) deleted.  3,000,000,000 bytes freed.");
}

TEST_F(FileCommandTest, HiddenAndSystemFilesAreFoundOnlyByAttr) {
    if (!CanMarkHidden()) GTEST_SKIP() << "the temporary folder keeps no user extended attributes";
    c.write("WORK/plain.txt", "p");
    c.write("WORK/secret.txt", "h");
    c.write("WORK/system.txt", "s");
    ASSERT_TRUE(plat::SetFileAttributes("C:\\WORK\\secret.txt", plat::faArchive | plat::faHidden));
    ASSERT_TRUE(plat::SetFileAttributes("C:\\WORK\\system.txt", plat::faSysFile));

    ui.AnswerNo();
    EXPECT_EQ(Command("del *.txt").back(), "  0 file(s) deleted.  0 bytes freed.");
    EXPECT_EQ(ui.questions, Lines_t{"Delete the file: plain.txt ?"});
    c.mkdir("OUT");
    EXPECT_EQ(Command("copy *.txt \\out").back(), "  1 file(s) copied.  1 bytes copied.");
    EXPECT_EQ(Command("ren *.txt *.bak").back(), "  1 file(s) renamed.");
    EXPECT_EQ(Command("attr *.*"),
              (Lines_t{"C:\\WORK> attr *.*", "  Attributes from 'A   ' to 'A   ' on plain.bak",
                       "  Attributes from 'A H ' to 'A H ' on secret.txt",
                       "  Attributes from '   S' to '   S' on system.txt"}));
    EXPECT_EQ(Command("attr -h -s +r *.txt"),
              (Lines_t{"C:\\WORK> attr -h -s +r *.txt",
                       "  Attributes from 'A H ' to 'AR  ' on secret.txt",
                       "  Attributes from '   S' to ' R  ' on system.txt"}));
}

TEST_F(FileCommandTest, AttrSwitches) {
    c.write("WORK/a.txt", "a");
    EXPECT_EQ(Command("attrib +r a.txt"), (Lines_t{"C:\\WORK> attrib +r a.txt",
                                                   "  Attributes from 'A   ' to 'AR  ' on a.txt"}));
    // A lone "-" is the first "-" of the switch text: it clears the archive attribute.
    EXPECT_EQ(Command("attr a.txt -").back(), "  Attributes from 'AR  ' to ' R  ' on a.txt");
    EXPECT_EQ(Command("attr A- a.txt").back(), "  Attributes from ' R  ' to ' R  ' on a.txt");
    // A lone "r" is the "r+" entry; a later switch for the same attribute wins.
    EXPECT_EQ(Command("attr -r a.txt r").back(), "  Attributes from ' R  ' to ' R  ' on a.txt");
    EXPECT_EQ(Command("attr r a.txt -R").back(), "  Attributes from ' R  ' to '    ' on a.txt");
    EXPECT_EQ(Command("attr a.txt").back(), "  Attributes from '    ' to '    ' on a.txt");
    EXPECT_EQ(Command("attr x*.none").back(), "  No files found.");
    EXPECT_EQ(Command("attr missing.txt").back(), "  Error changing attributes of missing.txt");
    EXPECT_TRUE(ui.errors.empty());

    ui.commandTabShown = false;
    EXPECT_EQ(Command("attr +r a.txt b.txt").back(), "  Attribute command error.");
    EXPECT_EQ(Command("attr +r").back(), "  Attribute command error.");
    EXPECT_EQ(ui.errors,
              (Lines_t{"Error, Attribute command error.", "Error, Attribute command error."}));
}

TEST_F(FileCommandTest, RenameWithPatterns) {
    c.write("WORK/one.txt", "1");
    c.write("WORK/abc.txt", "2");
    c.write("WORK/keep.dat", "3");
    EXPECT_EQ(Command("ren a*.txt b*.txt"),
              (Lines_t{"C:\\WORK> Ren a*.txt b*.txt", "  Renamed abc.txt to bbc.txt",
                       "  1 file(s) renamed."}));
    EXPECT_EQ(Command("rename *.txt *.bak"),
              (Lines_t{"C:\\WORK> Ren *.txt *.bak", "  Renamed bbc.txt to bbc.bak",
                       "  Renamed one.txt to one.bak", "  2 file(s) renamed."}));
    EXPECT_EQ(Command("ren keep.dat k?.*"),
              (Lines_t{"C:\\WORK> Ren keep.dat k?.*", "  Renamed keep.dat to ke.dat"}));
    EXPECT_EQ(testsupport::readFile(work("ke.dat")), "3");
    EXPECT_EQ(testsupport::readFile(work("one.bak")), "1");

    // A failure is reported with the full name and does not stop the run.
    c.write("WORK/x.bak", "taken");
    c.write("WORK/x.txt", "new");
    c.write("WORK/y.txt", "y");
    EXPECT_EQ(Command("ren ?.txt *.bak"),
              (Lines_t{"C:\\WORK> Ren ?.txt *.bak", "  Could not rename C:\\WORK\\x.txt",
                       "  Renamed y.txt to y.bak", "  1 file(s) renamed."}));
    EXPECT_EQ(testsupport::readFile(work("x.bak")), "taken");
}

TEST_F(FileCommandTest, FileRenamedOntoADirectoryMovesIntoIt) {
    c.write("WORK/clip.avi", "video");
    c.mkdir("WORK/archive");
    EXPECT_EQ(Command("move clip.avi archive"),
              (Lines_t{"C:\\WORK> Ren clip.avi archive",
                       "  Renamed clip.avi to C:\\WORK\\archive\\clip.avi"}));
    EXPECT_EQ(testsupport::readFile(work("archive/clip.avi")), "video");
}

TEST_F(FileCommandTest, RenamingTheCurrentDirectoryFollowsEverywhere) {
    c.mkdir("WORK/old/inner");
    StartIn("C:\\WORK\\old");
    engine.settings.Quarv.Directory = "c:\\work\\old\\inner";
    engine.settings.Play.Directory = "c:\\work\\older";
    engine.ReturnDirectory = "C:\\WORK\\OLD";
    EXPECT_EQ(Command("rendir \\work\\old \\work\\new"),
              (Lines_t{"C:\\WORK\\old> Ren \\work\\old \\work\\new",
                       "  Renamed C:\\work\\old to C:\\work\\new"}));
    EXPECT_EQ(engine.settings.CommandDirectory, "C:\\WORK\\NEW");
    EXPECT_EQ(Lines().back(), "C:\\WORK\\NEW> ");
    EXPECT_EQ(engine.settings.Quarv.Directory, "C:\\work\\new\\inner");
    EXPECT_EQ(engine.settings.Play.Directory, "c:\\work\\older"); // only a common prefix
    EXPECT_EQ(engine.ReturnDirectory, "C:\\work\\new");
    EXPECT_TRUE(testsupport::exists(c.file("WORK/new/inner")));
}

TEST_F(FileCommandTest, PromptKeepsItsCaseWhereAnotherDirectoryDiffersOnlyByCase) {
    c.mkdir("WORK/clips");
    c.mkdir("WORK/CLIPS");
    c.write("WORK/clips/a.txt", "a");
    StartIn("C:\\WORK\\clips");
    Run("ren a.txt b.txt");
    EXPECT_EQ(engine.settings.CommandDirectory, "C:\\WORK\\clips");
    StartIn("C:\\work\\CLIPS");
    c.write("WORK/CLIPS/c.txt", "c");
    Run("ren c.txt d.txt");
    EXPECT_EQ(engine.settings.CommandDirectory, "C:\\WORK\\CLIPS");
}

TEST_F(FileCommandTest, RemoveDirectory) {
    c.mkdir("WORK/gone");
    c.mkdir("WORK/full");
    c.write("WORK/full/f.txt", "f");
    engine.settings.Mix.WaveDirectory = "c:\\work\\gone";
    engine.settings.Script.Directory = "c:\\work\\gone\\deeper"; // not the removed one itself
    EXPECT_EQ(Command("rd gone"), (Lines_t{"C:\\WORK> RD gone", "  gone was removed."}));
    EXPECT_EQ(engine.settings.Mix.WaveDirectory, "C:\\WORK");
    EXPECT_EQ(engine.settings.Script.Directory, "c:\\work\\gone\\deeper");
    EXPECT_FALSE(testsupport::exists(work("gone")));

    ui.commandTabShown = false;
    EXPECT_EQ(Command("rd full"), (Lines_t{"C:\\WORK> RD full", "  Could not remove full"}));
    EXPECT_EQ(ui.errors, Lines_t{"Error, could not remove full"});
    // A parent that does not exist must not let a directory of the same name go elsewhere.
    c.mkdir("WORK/twin");
    EXPECT_EQ(Command("rd nowhere\\twin").back(), "  Could not remove nowhere\\twin");
    EXPECT_TRUE(testsupport::exists(work("twin")));
    ASSERT_TRUE(plat::SetCurrentDir("C:\\WORK"));
    qv::RemoveDirCommand(engine, "\\work\\twin");
    EXPECT_EQ(plat::GetCurrentDir(), "C:\\WORK") << "always back where it started";
}

TEST_F(FileCommandTest, RemovingTheCurrentDirectoryMovesThePromptUp) {
    c.mkdir("WORK/sub");
    StartIn("c:\\work\\sub");
    engine.settings.Graphics.Directory = "C:\\WORK\\SUB\\";
    Run("rd \\work\\sub");
    EXPECT_EQ(engine.settings.CommandDirectory, "C:\\WORK");
    EXPECT_EQ(engine.settings.Graphics.Directory, "C:\\work\\"); // the parent as read back
    EXPECT_EQ(Lines().back(), "C:\\WORK> ");
}

TEST_F(FileCommandTest, MakeDirectory) {
    EXPECT_EQ(Command("md \"new dir\""),
              (Lines_t{"C:\\WORK> MD \"new dir\"", "  new dir was made."}));
    EXPECT_TRUE(testsupport::exists(work("new dir")));
    ui.commandTabShown = false;
    EXPECT_EQ(Command("mkdir new dir").back(), "  Could not make new dir");
    EXPECT_EQ(ui.errors, Lines_t{"Error, could not make new dir"});
}

TEST_F(FileCommandTest, CopyWithOnlyAnInputName) {
    c.write("IN/clip.avi", "12345");
    EXPECT_EQ(Command("copy \\in\\clip.avi"),
              (Lines_t{"C:\\WORK> Copy \\in\\clip.avi ", "  Copied c:\\in\\clip.avi to clip.avi"}));
    EXPECT_EQ(ui.copies, (std::vector<std::pair<std::string, std::string>>{
                             {"c:\\in\\clip.avi", "c:\\work\\clip.avi"}}));
    EXPECT_EQ(testsupport::readFile(work("clip.avi")), "12345");

    // The same file again, now in the current directory: a copy onto itself.
    ui.commandTabShown = false;
    EXPECT_EQ(Command("copy clip.avi"),
              (Lines_t{"C:\\WORK> Copy clip.avi ", "  Could not copy c:\\work\\clip.avi"}));
    EXPECT_EQ(ui.errors, (Lines_t{"Error, cannot copy a file onto itself.",
                                  "Error, Could not copy c:\\work\\clip.avi"}));
}

TEST_F(FileCommandTest, WildcardCopyTotalsAndCancel) {
    c.write("WORK/a.txt", "aa");
    c.write("WORK/b.txt", "bbb");
    c.write("WORK/c.txt", "c");
    c.mkdir("OUT");
    ui.NextCopy(qv::CopyOutcome::Copied);
    ui.NextCopy(qv::CopyOutcome::Failed);
    ui.NextCopy(qv::CopyOutcome::Copied);
    EXPECT_EQ(Command("copy *.txt \\out\\*.bak"),
              (Lines_t{"C:\\WORK> Copy *.txt \\out\\*.bak", "  Copied a.txt to c:\\out\\a.bak",
                       "  Could not copy c:\\work\\b.txt", "  Copied c.txt to c:\\out\\c.bak",
                       "  2 file(s) copied.  3 bytes copied."}));
    ui.NextCopy(qv::CopyOutcome::Copied);
    ui.NextCopy(qv::CopyOutcome::Cancelled);
    EXPECT_EQ(Command("copy *.txt \\out\\"),
              (Lines_t{"C:\\WORK> Copy *.txt \\out\\", "  Copied a.txt to c:\\out\\a.txt",
                       "  Copy was cancelled.", "  1 file(s) copied.  2 bytes copied."}));
    EXPECT_EQ(ui.copies.size(), 5u);
}

TEST_F(FileCommandTest, TypeListsTheLinesAndReportsAMissingFile) {
    c.write("WORK/notes.txt", "first\r\n  second\r\n\r\nlast");
    EXPECT_EQ(Command("type notes.txt"),
              (Lines_t{"C:\\WORK> type notes.txt", "first", "  second", "", "last"}));
    ui.commandTabShown = false;
    EXPECT_EQ(Command("display \"gone.txt\""),
              (Lines_t{"C:\\WORK> display \"gone.txt\"", "  Error displaying the file gone.txt"}));
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(Command("type \\work").back(), "  Error displaying the file \\work");
}

TEST_F(FileCommandTest, TypeOfALongFileKeepsTheHistorySmall) {
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "line " + std::to_string(i) + "\n";
    c.write("WORK/long.txt", text);
    Run("type long.txt");
    EXPECT_LE(engine.history.TextLength(), qv::CommandHistory::kMaxTextLength + 100);
    EXPECT_EQ(Lines()[Lines().size() - 2], "line 4999");

    // Without any line break the text comes in pieces rather than as one line of any length.
    c.write("WORK/blob.bin", std::string(200000, 'b'));
    Run("type blob.bin");
    ASSERT_GE(Lines().size(), 2u);
    EXPECT_EQ(Lines()[Lines().size() - 2], std::string(200000 - 3 * 65536, 'b'));
    for (const auto& line : Lines())
        EXPECT_LE(line.size(), 65536u);
}

} // namespace
