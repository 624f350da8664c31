#include "platform/paths.h"
#include "platform/process.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <string>
#include <vector>

using testsupport::readFile;
using testsupport::TempDir;

namespace {

std::string Script(const TempDir& dir, const std::string& relative, const std::string& body) {
    std::string path = dir.write(relative, "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
    return path;
}

// Started programs run on their own; wait (generously) for the file they write.
std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        std::string content = readFile(path);
        if (!content.empty() && content.back() == '\n') return content;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return readFile(path);
}

std::string Program(const std::string& hostPath) {
    return plat::ProgramPath(hostPath);
}

TEST(SplitCommandLine, FollowsThePlatformRules) {
    struct Case {
        const char* line;
        std::vector<std::string> words;
    } cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"prog", {"prog"}},
        {"  prog   a\tb  ", {"prog", "a", "b"}},
        {"prog \"a b\" c", {"prog", "a b", "c"}},
        {"prog a\"b c\"d", {"prog", "ab cd"}},
        {"prog \"\"", {"prog", ""}},
        {"prog \"\" x", {"prog", "", "x"}},
        {"prog \"unclosed arg", {"prog", "unclosed arg"}},
        {"prog C:\\dir\\file.txt", {"prog", "C:\\dir\\file.txt"}},
        {"prog a\\\\b", {"prog", "a\\\\b"}},
        {"prog \\\"a", {"prog", "\"a"}},         // 1 backslash: literal quote
        {"prog \\\\\"a b\"", {"prog", "\\a b"}}, // 2: one backslash, quote groups
        {"prog \\\\\\\"a", {"prog", "\\\"a"}},   // 3: one backslash and a literal quote
        {"prog \"C:\\dir\\\\\" x", {"prog", "C:\\dir\\", "x"}},
        {"prog \"a\"\"b c\"", {"prog", "a\"b c"}}, // "" inside quotes: a quote, still grouped
        {"prog \"a\"\"\"", {"prog", "a\""}},
        {"\"C:\\Program Files\\Tool\\\" next", {"C:\\Program Files\\Tool\\", "next"}},
        {"\"my prog\" /#123/#", {"my prog", "/#123/#"}},
        {"C:\\x\\prog\\\"a b", {"C:\\x\\prog\\a b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(plat::SplitCommandLine(c.line), c.words) << c.line;
}

TEST(FindProgram, SearchesWorkingDirectoryThenOwnDirectoryThenPath) {
    TempDir temp;
    std::string work = temp.mkdir("work");
    std::string onPath = temp.mkdir("bin");
    std::string own = plat::ExecutableDirectory(); // where this test program lies
    ASSERT_EQ(own.back(), '/');
    std::string self = own + "platform_tests";
    ASSERT_TRUE(testsupport::exists(self));

    Script(temp, "bin/PathTool", "exit 0\n");
    Script(temp, "bin/platform_tests", "exit 0\n");
    std::string inWork = Script(temp, "work/Local", "exit 0\n");
    Script(temp, "bin/Local", "exit 0\n");
    temp.write("work/plain", "not executable\n");
    Script(temp, "bin/plain", "exit 0\n");
    temp.mkdir("work/folder");
    Script(temp, "bin/folder", "exit 0\n");
    std::string pathValue = "relative/dir:" + onPath;
    testsupport::ScopedEnv path("PATH", pathValue.c_str());

    std::string wd = Program(work);
    struct Case {
        const char* word;
        std::string expected;
    } cases[] = {
        {"Local", inWork},
        {"local", inWork},
        {"LOCAL.EXE", inWork},
        {"Local.exe", inWork},
        {"platform_tests", self}, // the own directory before PATH
        {"Platform_Tests.Exe", self},
        {"pathtool", onPath + "/PathTool"},
        {"plain", onPath + "/plain"},   // not executable in the working directory
        {"folder", onPath + "/folder"}, // a directory is no program
        {"nosuchprogram", ""},
        {"Local.exe.exe", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(plat::FindProgram(c.word, wd), c.expected) << c.word;
}

TEST(FindProgram, ResolvesWordsWithADirectoryPart) {
    TempDir temp;
    std::string work = temp.mkdir("work");
    std::string prog = Script(temp, "work/Sub/Prog", "exit 0\n");
    std::string other = Script(temp, "other/Tool", "exit 0\n");
    std::string pathValue = temp.path() + "/work/Sub";
    testsupport::ScopedEnv path("PATH", pathValue.c_str());
    std::string wd = Program(work);
    struct Case {
        std::string word;
        std::string expected;
    } cases[] = {
        {"sub\\prog", prog},
        {"SUB/PROG.EXE", prog},
        {".\\Sub\\Prog", prog},
        {"..\\other\\tool", other},
        {Program(other), other},
        {Program(other) + ".exe", other},
        {wd.substr(2) + "\\sub\\prog", prog}, // "\..." is on the working directory's drive
        {"other\\Tool", ""},                  // relative to the working directory only
        {"sub\\", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(plat::FindProgram(c.word, wd), c.expected) << c.word;
}

TEST(StartProcess, RunsTheProgramInTheWorkingDirectory) {
    TempDir temp;
    std::string work = temp.mkdir("Work Dir");
    std::string out = temp.file("out.txt");
    std::string tool = Script(temp, "bin/Tool",
                              "{ pwd; printf '%s\\n' \"$0\"; printf '[%s]\\n' \"$@\";"
                              " printf '%s\\n' \"$QUARVER_DRIVES\"; } > '" +
                                  out +
                                  ".part'\n"
                                  "mv '" +
                                  out + ".part' '" + out + "'\n");
    testsupport::ScopedEnv path("PATH", "/usr/bin:/bin");
    std::string line = "\"" + Program(tool) + "\" C:\\a\\b.txt \"two words\" /#12/#";
    ASSERT_TRUE(plat::StartProcess(line, Program(work)));
    EXPECT_EQ(WaitForFile(out), work + "\n" + tool + "\n[C:\\a\\b.txt]\n[two words]\n[/#12/#]\n" +
                                    plat::DriveMapText() + "\n");
}

TEST(StartProcess, LeavesNoChildAndNoOpenFiles) {
    TempDir temp;
    std::string out = temp.file("fds.txt");
    std::string tool = Script(temp, "Tool",
                              "if [ -e /proc/$$/fd/$1 ]; then r=open; else r=closed; fi\n"
                              "echo $r > '" +
                                  out + ".part'; mv '" + out + ".part' '" + out + "'\n");
    int leaked = open("/dev/null", O_RDONLY); // not close-on-exec
    ASSERT_GE(leaked, 0);
    ASSERT_GE(dup2(leaked, 57), 0);
    bool started = plat::StartProcess("Tool 57", Program(temp.path()));
    close(57);
    close(leaked);
    ASSERT_TRUE(started);
    EXPECT_EQ(WaitForFile(out), "closed\n");
    // The middle child has been reaped and the tool belongs to init: nothing is left to wait for.
    int status = 0;
    errno = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(StartProcess, FailsWhenNothingCanRun) {
    TempDir temp;
    temp.write("NoFormat", "neither a script nor a program\n");
    chmod(temp.file("NoFormat").c_str(), 0755);
    Script(temp, "Tool", "exit 0\n");
    std::string wd = Program(temp.path());
    EXPECT_FALSE(plat::StartProcess("NoSuchTool a b", wd));
    EXPECT_FALSE(plat::StartProcess("", wd));
    EXPECT_FALSE(plat::StartProcess("\"\" x", wd));
    EXPECT_FALSE(plat::StartProcess("NoFormat", wd)); // exec itself fails
    EXPECT_FALSE(plat::StartProcess("Tool", wd + "\\missing"));
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
}

} // namespace
