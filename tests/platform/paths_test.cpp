#include "platform/paths.h"

#include "platform/errors.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

using testsupport::TempDir;

namespace {

// C: is the host root, D: and E: are folders of a temporary directory.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tmp.mkdir("d/Work/Sub");
        tmp.mkdir("e/media");
        tmp.write("d/Work/ReadMe.TXT", "x");
        plat::SetDriveMap({{'C', "/"}, {'D', tmp.file("d")}, {'E', tmp.file("e")}});
    }
    void TearDown() override { plat::SetDriveMap(plat::DriveMapFromEnvironment()); }

    TempDir tmp;
};

TEST_F(PathsTest, FullPathExpansion) {
    ASSERT_TRUE(plat::SetCurrentDir("D:\\Work"));
    ASSERT_TRUE(plat::SetCurrentDir("E:\\media"));
    ASSERT_TRUE(plat::SetCurrentDir("C:\\"));
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"x.txt", "C:\\x.txt"},
        {"\\x", "C:\\x"},
        {"d:x", "D:\\Work\\x"},
        {"D:\\", "D:\\"},
        {"D:", "D:\\Work"},
        {"d:..\\..\\..", "D:\\"},
        {"e:/media//a/./b/../c", "E:\\media\\a\\c"},
        {"D:\\Work\\Sub\\", "D:\\Work\\Sub\\"},
        {"D:\\Work\\Sub\\..\\", "D:\\Work\\"},
        {"D:\\Work\\.", "D:\\Work"},
        {"..", "C:\\"},
        {"\\", "C:\\"},
        {"c:\\MiXeD\\Case.Txt", "C:\\MiXeD\\Case.Txt"},
        {"", ""},
        {"Q:\\x", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plat::FullPath(c.in), c.out) << c.in;
}

TEST_F(PathsTest, CurrentDirectoryPerDrive) {
    EXPECT_EQ(plat::DriveCurrentDir('d'), "D:\\");
    ASSERT_TRUE(plat::SetCurrentDir("d:\\work\\sub"));
    EXPECT_EQ(plat::GetCurrentDir(), "D:\\work\\sub"); // the caller's spelling
    ASSERT_TRUE(plat::SetCurrentDir(".."));
    EXPECT_EQ(plat::GetCurrentDir(), "D:\\work");
    ASSERT_TRUE(plat::SetCurrentDir("E:"));
    EXPECT_EQ(plat::GetCurrentDir(), "E:\\");
    EXPECT_EQ(plat::FullPath("x"), "E:\\x");
    ASSERT_TRUE(plat::SetCurrentDir("D:"));
    EXPECT_EQ(plat::GetCurrentDir(), "D:\\work");
    ASSERT_TRUE(plat::SetCurrentDir("\\"));
    EXPECT_EQ(plat::GetCurrentDir(), "D:\\");
    ASSERT_TRUE(plat::SetCurrentDir("Sub/../Work/"));
    EXPECT_EQ(plat::GetCurrentDir(), "D:\\Work");

    EXPECT_FALSE(plat::SetCurrentDir("D:\\Missing"));
    EXPECT_NE(plat::LastError(), 0);
    EXPECT_FALSE(plat::LastErrorText().empty());
    EXPECT_FALSE(plat::SetCurrentDir("D:\\Work\\ReadMe.TXT"));
    EXPECT_FALSE(plat::SetCurrentDir("Q:"));
    EXPECT_EQ(plat::GetCurrentDir(), "D:\\Work");

    // "D:" lands on the root when D's current directory has gone meanwhile.
    ASSERT_TRUE(plat::SetCurrentDir("D:\\Work\\Sub"));
    ASSERT_TRUE(plat::SetCurrentDir("E:"));
    ASSERT_EQ(rmdir(tmp.file("d/Work/Sub").c_str()), 0);
    ASSERT_TRUE(plat::SetCurrentDir("D:"));
    EXPECT_EQ(plat::GetCurrentDir(), "D:\\");

    // A new drive map puts every drive back at its root.
    plat::SetDriveMap({{'C', "/"}, {'D', tmp.file("d")}});
    EXPECT_EQ(plat::DriveCurrentDir('D'), "D:\\");
}

TEST_F(PathsTest, HostPathMatchesExistingNamesWithoutCase) {
    struct Case {
        const char* in;
        std::string out;
    } cases[] = {
        {"D:\\Work\\ReadMe.TXT", tmp.file("d/Work/ReadMe.TXT")},
        {"d:\\work\\readme.txt", tmp.file("d/Work/ReadMe.TXT")},
        {"D:/WORK/SUB", tmp.file("d/Work/Sub")},
        {"d:\\work\\new\\Name.txt", tmp.file("d/Work/new/Name.txt")},
        {"D:\\", tmp.file("d")},
        {"C:\\", "/"},
        {"Q:\\x", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plat::HostPath(c.in), c.out) << c.in;
}

TEST_F(PathsTest, ProgramPathPicksTheLongestDrive) {
    tmp.mkdir("d/Work/deep");
    plat::SetDriveMap(
        {{'C', "/"}, {'D', tmp.file("d")}, {'F', tmp.file("d/Work")}, {'G', tmp.file("d/Work/")}});
    EXPECT_EQ(plat::ProgramPath(tmp.file("d/Work/deep")), "F:\\deep");
    EXPECT_EQ(plat::ProgramPath(tmp.file("d/Work")), "F:\\");
    EXPECT_EQ(plat::ProgramPath(tmp.file("d/Workshop")), "D:\\Workshop");
    EXPECT_EQ(plat::ProgramPath("/usr//lib/"), "C:\\usr\\lib");
    for (const char* p : {"D:\\x\\y.txt", "F:\\deep", "C:\\usr"})
        EXPECT_EQ(plat::ProgramPath(plat::HostPath(p)), p);

    plat::SetDriveMap({{'D', tmp.file("d")}});
    EXPECT_EQ(plat::ProgramPath("/usr"), "");
    EXPECT_EQ(plat::GetCurrentDir(), "D:\\");
    EXPECT_EQ(plat::FullPath("C:\\x"), "");
}

TEST_F(PathsTest, DriveMapFromEnvironment) {
    setenv("QUARVER_DRIVES", " d=/mnt/data ; E:=/srv/media;junk;F=relative;C=/home", 1);
    plat::DriveMap map = plat::DriveMapFromEnvironment();
    unsetenv("QUARVER_DRIVES");
    plat::DriveMap expected{{'C', "/home"}, {'D', "/mnt/data"}, {'E', "/srv/media"}};
    EXPECT_EQ(map, expected);
    plat::SetDriveMap(map);
    EXPECT_EQ(plat::DriveMapText(), "C=/home;D=/mnt/data;E=/srv/media");
}

TEST(PathTextTest, Helpers) {
    struct Case {
        const char* path;
        const char* dir;
        const char* filePath;
        const char* name;
        const char* ext;
    } cases[] = {
        {"C:\\a\\b.txt", "C:\\a", "C:\\a\\", "b.txt", ".txt"},
        {"C:\\b", "C:\\", "C:\\", "b", ""},
        {"C:b.x", "C:", "C:", "b.x", ".x"},
        {"b", "", "", "b", ""},
        {"C:\\a.d\\b", "C:\\a.d", "C:\\a.d\\", "b", ""},
        {"C:\\a\\", "C:\\a", "C:\\a\\", "", ""},
        {"x.tar.gz", "", "", "x.tar.gz", ".gz"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plat::ExtractFileDir(c.path), c.dir) << c.path;
        EXPECT_EQ(plat::ExtractFilePath(c.path), c.filePath) << c.path;
        EXPECT_EQ(plat::ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(plat::ExtractFileExt(c.path), c.ext) << c.path;
    }
    EXPECT_EQ(plat::ChangeFileExt("C:\\a\\b.txt", ".bak"), "C:\\a\\b.bak");
    EXPECT_EQ(plat::ChangeFileExt("C:\\a.d\\b", ".bak"), "C:\\a.d\\b.bak");
    EXPECT_EQ(plat::ChangeFileExt("b.txt", ""), "b");
    EXPECT_EQ(plat::ToLower("C:\\ABC\\Äx"), "c:\\abc\\Äx");
    EXPECT_TRUE(plat::SameText("ReadMe.TXT", "readme.txt"));
    EXPECT_FALSE(plat::SameText("readme.txt", "readme.tx"));
}

} // namespace
