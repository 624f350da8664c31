// The finder's tree walk: order, which files and directories count, links and deep trees.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/filefind.h"
#include "platform/files.h"
#include "tests/engine/enginefixture.h"

namespace {

using Names = std::vector<std::string>;

// Records what the window would show; cancels after a number of matches when asked to.
class Recorder : public qv::FindObserver {
public:
    Names found;
    Names directories;
    int pauses = 0;
    int cancelAfter = -1;
    void DirectoryEntered(const std::string& directory, int64_t searched) override {
        directories.push_back(directory);
        EXPECT_EQ(searched, static_cast<int64_t>(directories.size()));
    }
    void FileFound(const std::string& fullName, int64_t count) override {
        found.push_back(fullName);
        EXPECT_EQ(count, static_cast<int64_t>(found.size()));
    }
    void Pause() override { ++pauses; }
    bool Cancelled() override {
        return cancelAfter >= 0 && static_cast<int>(found.size()) >= cancelAfter;
    }
};

using FindTest = qvtest::EngineTest;

TEST_F(FindTest, SplitsTheArgument) {
    auto split = qv::SplitFindArgument("\"C:\\My Clips\\Take?.AVI\"");
    EXPECT_EQ(split.directory, "c:\\my clips");
    EXPECT_EQ(split.pattern, "Take?.AVI");
    split = qv::SplitFindArgument("c:\\*.qrv");
    EXPECT_EQ(split.directory, "c:\\");
}

TEST_F(FindTest, OwnFilesFirstThenEachSubdirectoryDepthFirst) {
    for (const char* name : {"top/b.txt", "top/A.TXT", "top/c.txt", "top/skip.dat", "top/x/one.txt",
                             "top/x/deep/two.txt", "top/Y/three.txt", "top/.cache/no.txt"})
        c.write(name, "x");
    c.mkdir("top/empty");
    Recorder seen;
    const auto totals = qv::SearchTree("c:\\top", "*.txt", seen);
    EXPECT_EQ(seen.found,
              (Names{"c:\\top\\a.txt", "c:\\top\\b.txt", "c:\\top\\c.txt", "c:\\top\\x\\one.txt",
                     "c:\\top\\x\\deep\\two.txt", "c:\\top\\y\\three.txt"}));
    EXPECT_EQ(seen.directories,
              (Names{"c:\\top", "c:\\top\\empty", "c:\\top\\x", "c:\\top\\x\\deep", "c:\\top\\y"}));
    EXPECT_EQ(totals.directories, 5);
    EXPECT_EQ(totals.files, 6);
    EXPECT_FALSE(totals.cancelled);
    EXPECT_GE(seen.pauses, 6 + 4) << "before every match and every subdirectory";
}

TEST_F(FindTest, HiddenFilesAreFoundSystemFilesAndHiddenDirectoriesAreNot) {
    for (const char* name :
         {"t/hidden.txt", "t/system.txt", "t/plain.txt", "t/.dot.txt", "t/secret/inside.txt"})
        c.write(name, "x");
    if (!plat::SetFileAttributes("C:\\t\\hidden.txt", plat::faHidden))
        GTEST_SKIP() << "the temporary folder keeps no user extended attributes";
    ASSERT_TRUE(plat::SetFileAttributes("C:\\t\\system.txt", plat::faSysFile));
    ASSERT_TRUE(plat::SetFileAttributes("C:\\t\\secret", plat::faHidden));
    Recorder seen;
    qv::SearchTree("c:\\t", "*.txt", seen);
    EXPECT_EQ(seen.found, (Names{"c:\\t\\.dot.txt", "c:\\t\\hidden.txt", "c:\\t\\plain.txt"}));
    EXPECT_EQ(seen.directories, Names{"c:\\t"});
}

TEST_F(FindTest, CancelStopsAndKeepsWhatWasFound) {
    for (const char* name : {"t/a.txt", "t/b.txt", "t/sub/c.txt"})
        c.write(name, "x");
    Recorder seen;
    seen.cancelAfter = 1;
    const auto totals = qv::SearchTree("c:\\t", "*.txt", seen);
    EXPECT_EQ(seen.found, Names{"c:\\t\\a.txt"});
    EXPECT_TRUE(totals.cancelled);
    EXPECT_EQ(totals.directories, 1);
}

TEST_F(FindTest, MissingStartDirectoryFindsNothing) {
    Recorder seen;
    const auto totals = qv::SearchTree("c:\\nowhere", "*.*", seen);
    EXPECT_EQ(totals.files, 0);
    EXPECT_TRUE(seen.directories.empty());
}

TEST_F(FindTest, LinksBackUpTheTreeAreNotFollowedForever) {
    c.write("t/a/f.txt", "x");
    std::filesystem::create_directory_symlink(c.file("t"), c.file("t/a/loop"));
    std::filesystem::create_directory_symlink(c.file("t/a"), c.file("t/b"));
    Recorder seen;
    qv::SearchTree("c:\\t", "*.txt", seen);
    EXPECT_EQ(seen.found, Names{"c:\\t\\a\\f.txt"});
    EXPECT_EQ(seen.directories, (Names{"c:\\t", "c:\\t\\a"}));
}

TEST_F(FindTest, VeryDeepTree) {
    std::string relative = "deep";
    for (int i = 0; i < 300; ++i)
        relative += "/d";
    c.write(relative + "/bottom.txt", "x");
    Recorder seen;
    const auto totals = qv::SearchTree("c:\\deep", "bottom.txt", seen);
    EXPECT_EQ(totals.directories, 301);
    ASSERT_EQ(seen.found.size(), 1u);
    EXPECT_EQ(seen.found[0].size(), std::string("c:\\deep").size() + 600 + 11);
}

} // namespace
