#include "platform/files.h"

#include "platform/errors.h"
#include "platform/paths.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using testsupport::TempDir;

namespace {

std::vector<std::string> Names(const std::vector<plat::SearchRec>& recs) {
    std::vector<std::string> names;
    for (const auto& rec : recs)
        names.push_back(rec.name);
    return names;
}

mode_t ModeOf(const std::string& host) {
    struct stat st;
    return stat(host.c_str(), &st) == 0 ? st.st_mode : 0;
}

// D: is a temporary folder; tests work in D:\work.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        tmp.mkdir("work");
        plat::SetDriveMap({{'C', "/"}, {'D', tmp.path()}});
        ASSERT_TRUE(plat::SetCurrentDir("D:\\work"));
    }
    void TearDown() override { plat::SetDriveMap(plat::DriveMapFromEnvironment()); }

    // User extended attributes are needed for hidden, system and archive.
    bool XattrsWork() {
        std::string probe = tmp.write("probe", "");
        bool ok = setxattr(probe.c_str(), "user.DOSATTRIB", "0x20", 4, 0) == 0;
        unlink(probe.c_str());
        return ok;
    }

    TempDir tmp;
};

TEST(MaskTest, Table) {
    struct Case {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"README", "*.*", true},
        {".profile", "*.*", true},
        {"a.b.c", "*.*", true},
        {"README", "*", true},
        {"readme.txt", "*.TXT", true},
        {"a.b.txt", "*.txt", true},
        {"a.txt.bak", "*.txt", false},
        {"README", "*.", true},
        {"read.me", "*.", false},
        {"ab", "ab??", true},
        {"abc", "ab??", true},
        {"abcde", "ab??", false},
        {"ab.txt", "ab??.txt", true},
        {"abcd.txt", "ab??.txt", true},
        {"ac", "a?c", false},
        {"abc", "a?c", true},
        {"a.c", "a?c", false},
        {"abc", "ABC", true},
        {"abc", "abc.", true},
        {"abcd", "abc", false},
        {"x.qrv", "*.avi;*.qrv", true},
        {"x.qrv", " *.avi ; *.QRV ", true},
        {"x.fli", "*.avi;*.qrv", false},
        {"x", "", false},
        {"clip01.qrv", "clip??.*", true},
        {"clip1.qrv", "clip??.*", true},
        {"data", "*a*a", true},
        {"dat", "*a*a", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plat::MatchesMask(c.name, c.mask), c.match) << c.name << " / " << c.mask;
}

TEST_F(FilesTest, SearchOrderAndFiltering) {
    if (!XattrsWork()) GTEST_SKIP() << "no user extended attributes in " << tmp.path();
    for (const char* name : {"b.txt", "A.txt", "c.TXT", ".hidden", "sys.dat", "hid.dat"})
        tmp.write(std::string("work/") + name, "12345");
    tmp.mkdir("work/Sub");
    tmp.mkdir("work/.git");
    ASSERT_EQ(symlink("Sub", tmp.file("work/ldir").c_str()), 0);
    ASSERT_EQ(symlink("gone", tmp.file("work/dead").c_str()), 0);
    ASSERT_TRUE(plat::SetFileAttributes("sys.dat", plat::faSysFile));
    ASSERT_TRUE(plat::SetFileAttributes("hid.dat", plat::faHidden | plat::faArchive));

    using V = std::vector<std::string>;
    struct Case {
        const char* pattern;
        uint32_t attributes;
        V names;
    } cases[] = {
        {"*.*", 0, {"A.txt", "b.txt", "c.TXT", "dead"}},
        {"D:\\WORK\\*.*", plat::faReadOnly | plat::faArchive, {"A.txt", "b.txt", "c.TXT", "dead"}},
        {"*.*", plat::faDirectory, {".", "..", "A.txt", "b.txt", "c.TXT", "dead", "ldir", "Sub"}},
        {"*.*", plat::faHidden, {".hidden", "A.txt", "b.txt", "c.TXT", "dead", "hid.dat"}},
        {"*.dat", plat::faSysFile, {"sys.dat"}},
        {"*.*",
         plat::faAnyFile,
         {".", "..", ".git", ".hidden", "A.txt", "b.txt", "c.TXT", "dead", "hid.dat", "ldir", "Sub",
          "sys.dat"}},
        {"*.txt", plat::faDirectory, {"A.txt", "b.txt", "c.TXT"}},
        {"D:\\work\\", 0, {"A.txt", "b.txt", "c.TXT", "dead"}},
        {"d:\\WORK\\a.TXT", 0, {"A.txt"}},
        {"hid.dat", 0, {}},
        {"D:\\*.*", plat::faDirectory, {"work"}}, // no "." and ".." at a drive root
        {"D:\\work", plat::faDirectory, {"work"}},
        {"*.txt;s*", plat::faAnyFile, {"A.txt", "b.txt", "c.TXT", "Sub", "sys.dat"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Names(plat::FindFiles(c.pattern, c.attributes)), c.names) << c.pattern;

    auto all = plat::FindFiles("*.*", plat::faAnyFile);
    const std::map<std::string, uint32_t> attrs = {
        {"dead", plat::faArchive},
        {"ldir", plat::faDirectory},
        {"Sub", plat::faDirectory},
        {"A.txt", plat::faArchive},
        {"hid.dat", plat::faHidden | plat::faArchive},
        {"sys.dat", plat::faSysFile},
        {".hidden", plat::faHidden | plat::faArchive},
        {".git", plat::faHidden | plat::faDirectory},
    };
    for (const auto& rec : all) {
        auto it = attrs.find(rec.name);
        if (it != attrs.end()) {
            EXPECT_EQ(rec.attr, it->second) << rec.name;
        }
        bool empty = (rec.attr & plat::faDirectory) || rec.name == "dead";
        EXPECT_EQ(rec.size, empty ? 0u : 5u) << rec.name;
        EXPECT_GT(rec.time.seconds, 0) << rec.name;
    }

    // Find-first style gives the same entries in the same order.
    plat::DirSearch search;
    plat::SearchRec rec;
    std::vector<std::string> seen;
    for (bool ok = search.FindFirst("*.*", plat::faAnyFile, rec); ok; ok = search.FindNext(rec))
        seen.push_back(rec.name);
    EXPECT_EQ(seen, Names(all));

    EXPECT_FALSE(search.FindFirst("*.none", plat::faAnyFile, rec));
    EXPECT_EQ(plat::LastError(), 0);
    EXPECT_FALSE(search.FindFirst("D:\\missing\\*.*", plat::faAnyFile, rec));
    EXPECT_NE(plat::LastError(), 0);
}

TEST_F(FilesTest, SizesBeyondFourGigabytes) {
    std::string big = tmp.write("work/big.bin", "");
    ASSERT_EQ(truncate(big.c_str(), 5'000'000'000LL), 0); // sparse, takes no space
    auto found = plat::FindFiles("big.*", 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].size, 5'000'000'000ULL);
    EXPECT_EQ(plat::GetFileSize("BIG.BIN"), 5'000'000'000ULL);
}

TEST_F(FilesTest, Attributes) {
    if (!XattrsWork()) GTEST_SKIP() << "no user extended attributes in " << tmp.path();
    std::string host = tmp.write("work/f.txt", "x");
    tmp.write("work/.rc", "x");
    tmp.mkdir("work/dir");
    EXPECT_EQ(plat::GetFileAttributes("F.TXT"), plat::faArchive);
    EXPECT_EQ(plat::GetFileAttributes(".rc"), plat::faArchive | plat::faHidden);
    EXPECT_EQ(plat::GetFileAttributes("dir"), plat::faDirectory);
    EXPECT_EQ(plat::GetFileAttributes("missing"), -1);
    EXPECT_EQ(plat::LastError(), ENOENT);

    struct Case {
        uint32_t set;
        int read;
        const char* stored;
    } cases[] = {
        {plat::faHidden | plat::faArchive, plat::faHidden | plat::faArchive, "0x22"},
        {0, 0, "0x0"}, // a cleared archive bit sticks
        {plat::faSysFile | plat::faReadOnly, plat::faSysFile | plat::faReadOnly, "0x5"},
        {plat::faArchive | plat::faDirectory, plat::faArchive, "0x20"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(plat::SetFileAttributes("f.txt", c.set)) << plat::LastErrorText();
        EXPECT_EQ(plat::GetFileAttributes("f.txt"), c.read) << c.stored;
        char value[32] = {};
        getxattr(host.c_str(), "user.DOSATTRIB", value, sizeof value - 1);
        EXPECT_STREQ(value, c.stored);
        EXPECT_EQ((ModeOf(host) & S_IWUSR) == 0, (c.set & plat::faReadOnly) != 0);
    }

    // Samba's binary form starts with the same text.
    const char blob[] = "0x22\0\x03\0\x03\0\x00\x00";
    ASSERT_EQ(setxattr(host.c_str(), "user.DOSATTRIB", blob, sizeof blob - 1, 0), 0);
    EXPECT_EQ(plat::GetFileAttributes("f.txt"), plat::faHidden | plat::faArchive);

    // A directory marked read-only stays writable.
    ASSERT_TRUE(plat::SetFileAttributes("dir", plat::faHidden | plat::faReadOnly));
    EXPECT_EQ(plat::GetFileAttributes("dir"),
              plat::faDirectory | plat::faHidden | plat::faReadOnly);
    EXPECT_TRUE(ModeOf(tmp.file("work/dir")) & S_IWUSR);
    ASSERT_TRUE(plat::SetFileAttributes("dir", 0));
    EXPECT_EQ(plat::GetFileAttributes("dir"), plat::faDirectory);
}

// Needs a folder on a file system without extended attributes (ramfs, for example), named by
// QUARVER_TEST_NOXATTR_DIR.
TEST_F(FilesTest, FileSystemWithoutAttributes) {
    const char* dir = std::getenv("QUARVER_TEST_NOXATTR_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "QUARVER_TEST_NOXATTR_DIR names no folder without xattrs";
    plat::SetDriveMap({{'C', "/"}, {'N', dir}});
    ASSERT_TRUE(plat::WriteWholeFile("N:\\plain.txt", "x"));
    EXPECT_EQ(plat::GetFileAttributes("N:\\plain.txt"), plat::faArchive);
    EXPECT_FALSE(plat::SetFileAttributes("N:\\plain.txt", plat::faHidden | plat::faArchive));
    EXPECT_EQ(plat::LastErrorText(), "The file system keeps no attributes here.");
    // Read-only needs no extended attribute.
    EXPECT_TRUE(plat::SetFileAttributes("N:\\plain.txt", plat::faReadOnly | plat::faArchive));
    EXPECT_EQ(plat::GetFileAttributes("N:\\plain.txt"), plat::faReadOnly | plat::faArchive);
    EXPECT_TRUE(plat::SetFileAttributes("N:\\plain.txt", plat::faArchive));
    EXPECT_TRUE(plat::DeleteFile("N:\\plain.txt"));
}

TEST_F(FilesTest, ReadOnlyIsEnforcedEvenForRoot) {
    std::string host = tmp.write("work/ro.txt", "keep");
    // Read-only and archive need no extended attributes.
    ASSERT_TRUE(plat::SetFileAttributes("ro.txt", plat::faReadOnly | plat::faArchive));
    EXPECT_EQ(ModeOf(host) & 0222, 0u);
    EXPECT_TRUE(plat::GetFileAttributes("ro.txt") & plat::faReadOnly);

    plat::File file;
    for (auto mode : {plat::File::Mode::Write, plat::File::Mode::Append}) {
        EXPECT_FALSE(file.Open("RO.TXT", mode));
        EXPECT_EQ(plat::LastError(), EACCES);
        EXPECT_EQ(plat::LastErrorText(), "Access is denied.");
    }
    EXPECT_FALSE(plat::WriteWholeFile("ro.txt", "lost"));
    EXPECT_FALSE(plat::DeleteFile("ro.txt"));
    EXPECT_EQ(plat::LastError(), EACCES);
    EXPECT_EQ(testsupport::readFile(host), "keep");
    EXPECT_TRUE(file.Open("ro.txt", plat::File::Mode::Read));
    file.Close();

    ASSERT_TRUE(plat::MoveFile("ro.txt", "moved.txt")) << plat::LastErrorText();
    EXPECT_EQ(testsupport::readFile(tmp.file("work/moved.txt")), "keep");
    EXPECT_TRUE(plat::GetFileAttributes("moved.txt") & plat::faReadOnly);
    ASSERT_TRUE(plat::SetFileAttributes("moved.txt", plat::faArchive));
    EXPECT_TRUE(plat::DeleteFile("moved.txt"));
}

TEST_F(FilesTest, DirectoriesDeleteAndMove) {
    tmp.write("work/a.txt", "a");
    tmp.write("work/full/x", "x");
    ASSERT_TRUE(plat::CreateDir("New"));
    EXPECT_TRUE(plat::DirectoryExists("d:\\work\\new"));
    EXPECT_FALSE(plat::CreateDir("new"));
    EXPECT_FALSE(plat::CreateDir("no\\such\\dir"));
    EXPECT_FALSE(plat::FileExists("new"));
    EXPECT_TRUE(plat::FileExists("A.TXT"));
    EXPECT_TRUE(plat::DirectoryExists("D:\\"));

    EXPECT_FALSE(plat::DeleteFile("new")); // a directory is no file
    EXPECT_FALSE(plat::RemoveDir("full")); // not empty
    EXPECT_FALSE(plat::RemoveDir("a.txt"));
    EXPECT_FALSE(plat::RemoveDir("D:\\work")); // the working directory
    EXPECT_EQ(plat::LastError(), EBUSY);
    tmp.mkdir("e");
    plat::SetDriveMap({{'C', "/"}, {'D', tmp.path()}, {'E', tmp.file("e")}});
    ASSERT_TRUE(plat::SetCurrentDir("D:\\work"));
    EXPECT_FALSE(plat::RemoveDir("E:\\")); // a drive's root, empty as it is
    EXPECT_FALSE(plat::MoveFile("E:", "D:\\e2"));
    EXPECT_TRUE(plat::DirectoryExists("E:\\"));

    struct Move {
        const char* from;
        const char* to;
        bool ok;
    } moves[] = {
        {"a.txt", "full\\x", false},      // target exists
        {"a.txt", "FULL\\X", false},      // also under another spelling
        {"missing", "b.txt", false},      // no source
        {"full", "full\\inner", false},   // into itself
        {"FULL", "d:\\work\\Full", true}, // a new spelling of the same name
        {"a.txt", "A.TXT", true},         {"A.TXT", "Full\\a.txt", true}, // into another directory
        {"new", "D:\\moved", true},       {"D:\\moved", "new", true},
    };
    for (const auto& m : moves)
        EXPECT_EQ(plat::MoveFile(m.from, m.to), m.ok) << m.from << " -> " << m.to;
    EXPECT_EQ(Names(plat::FindFiles("*.*", plat::faDirectory)),
              (std::vector<std::string>{".", "..", "Full", "new"}));
    EXPECT_EQ(testsupport::readFile(tmp.file("work/Full/a.txt")), "a");

    EXPECT_TRUE(plat::RemoveDir("new"));
    EXPECT_TRUE(plat::DeleteFile("full\\A.TXT"));
    EXPECT_FALSE(plat::DeleteFile("full\\a.txt"));
    EXPECT_EQ(plat::LastError(), ENOENT);
}

TEST_F(FilesTest, MoveToAnotherFileSystem) {
    struct stat here, shm;
    if (stat("/dev/shm", &shm) != 0 || stat(tmp.path().c_str(), &here) != 0 ||
        here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    char dir[] = "/dev/shm/quarver-move-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    plat::SetDriveMap({{'C', "/"}, {'D', tmp.path()}, {'E', dir}});
    tmp.write("work/clip.qrv", "frames");
    tmp.mkdir("work/sub");
    ASSERT_TRUE(plat::SetFileTime("D:\\work\\clip.qrv", {1'000'000'000, 123456789}));

    EXPECT_TRUE(plat::MoveFile("D:\\work\\clip.qrv", "E:\\clip.qrv")) << plat::LastErrorText();
    EXPECT_FALSE(plat::FileExists("D:\\work\\clip.qrv"));
    EXPECT_EQ(plat::ReadWholeFile("E:\\clip.qrv"), "frames");
    auto time = plat::GetFileTime("E:\\clip.qrv");
    ASSERT_TRUE(time);
    EXPECT_EQ(time->seconds, 1'000'000'000);
    EXPECT_EQ(time->nanoseconds, 123456789);
    EXPECT_FALSE(plat::MoveFile("D:\\work\\sub", "E:\\sub")); // directories stay on their drive
    EXPECT_TRUE(plat::DirectoryExists("D:\\work\\sub"));

    unlink((std::string(dir) + "/clip.qrv").c_str());
    rmdir(dir);
}

TEST_F(FilesTest, TimesSizesAndBlockIo) {
    ASSERT_TRUE(plat::WriteWholeFile("Data.bin", std::string(100'000, 'q')));
    EXPECT_EQ(plat::GetFileSize("data.bin"), 100'000u);
    EXPECT_FALSE(plat::GetFileSize("missing"));

    ASSERT_TRUE(plat::SetFileTime("data.bin", {1'700'000'000, 987654321}));
    auto time = plat::GetFileTime("DATA.BIN");
    ASSERT_TRUE(time);
    EXPECT_EQ(time->seconds, 1'700'000'000);
    EXPECT_EQ(time->nanoseconds, 987654321);
    EXPECT_FALSE(plat::GetFileTime("missing"));
    EXPECT_FALSE(plat::SetFileTime("missing", {}));

    plat::File file;
    ASSERT_TRUE(file.Open("data.bin", plat::File::Mode::Read));
    EXPECT_EQ(file.Size(), 100'000u);
    std::vector<char> buffer(65536);
    EXPECT_EQ(file.Read(buffer.data(), buffer.size()), 65536);
    EXPECT_EQ(file.Read(buffer.data(), buffer.size()), 100'000 - 65536);
    EXPECT_EQ(file.Read(buffer.data(), buffer.size()), 0);
    plat::File moved = std::move(file);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(moved.Close());

    ASSERT_TRUE(file.Open("data.bin", plat::File::Mode::Write)); // empties it
    ASSERT_TRUE(file.Write("abc", 3));
    file.Close();
    ASSERT_TRUE(file.Open("data.bin", plat::File::Mode::Append));
    ASSERT_TRUE(file.Write("def", 3));
    file.Close();
    EXPECT_EQ(plat::ReadWholeFile("DATA.bin"), "abcdef");
    EXPECT_FALSE(plat::ReadWholeFile("missing"));
    EXPECT_FALSE(file.Open(".", plat::File::Mode::Read));
    EXPECT_FALSE(file.Open("no\\such\\file", plat::File::Mode::Write));
    EXPECT_EQ(file.Read(buffer.data(), 1), -1);
}

TEST_F(FilesTest, WholeFileReplacementKeepsTheFile) {
    std::string host = tmp.write("work/Notes.txt", "old");
    ASSERT_EQ(chmod(host.c_str(), 0640), 0);
    ASSERT_EQ(symlink("Notes.txt", tmp.file("work/link.txt").c_str()), 0);
    bool xattrs = XattrsWork() && plat::SetFileAttributes("notes.txt", plat::faHidden);
    ASSERT_TRUE(plat::WriteWholeFile("notes.txt", "new content"));
    ASSERT_TRUE(plat::WriteWholeFile("LINK.TXT", "through the link"));
    EXPECT_EQ(testsupport::readFile(host), "through the link");
    struct stat st;
    ASSERT_EQ(lstat(tmp.file("work/link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ModeOf(host) & 07777, 0640u);
    if (xattrs) { // kept, and a changed file is to be archived again
        EXPECT_EQ(plat::GetFileAttributes("notes.txt"), plat::faHidden | plat::faArchive);
        ASSERT_TRUE(plat::SetFileAttributes("notes.txt", 0));
        plat::File file;
        ASSERT_TRUE(file.Open("notes.txt", plat::File::Mode::Append));
        EXPECT_EQ(plat::GetFileAttributes("notes.txt"), plat::faArchive);
    }
    // No temporary file is left behind.
    EXPECT_EQ(Names(plat::FindFiles("*.*", plat::faAnyFile)),
              (std::vector<std::string>{".", "..", "link.txt", "Notes.txt"}));
}

TEST_F(FilesTest, FullDiskIsReported) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    plat::SetDriveMap({{'C', "/"}, {'F', "/dev"}});
    plat::File file;
    ASSERT_TRUE(file.Open("F:\\full", plat::File::Mode::Write));
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_EQ(plat::LastError(), ENOSPC);
    EXPECT_EQ(plat::LastErrorText(), "There is not enough space on the disk.");
    EXPECT_FALSE(plat::WriteWholeFile("F:\\full", "x"));
}

TEST_F(FilesTest, TempFilesAndDiskSpace) {
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        std::string name = plat::CreateTempFile("D:\\work", "qv", ".txt");
        ASSERT_FALSE(name.empty()) << plat::LastErrorText();
        EXPECT_EQ(name.rfind("D:\\work\\qv", 0), 0u) << name;
        EXPECT_EQ(plat::ExtractFileExt(name), ".txt");
        std::string host = plat::HostPath(name);
        EXPECT_EQ(ModeOf(host) & 07777, 0600u) << name;
        EXPECT_EQ(plat::GetFileSize(name), 0u);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 20u);
    EXPECT_EQ(plat::CreateTempFile("D:\\missing", "qv"), "");
    EXPECT_NE(plat::LastError(), 0);
    std::string inTemp = plat::CreateTempFile("", "qv");
    EXPECT_FALSE(inTemp.empty());
    EXPECT_TRUE(plat::DeleteFile(inTemp));

    for (const char* where : {"D:", "d:\\work\\x", "C:\\"}) {
        auto space = plat::GetDiskSpace(where);
        ASSERT_TRUE(space) << where;
        EXPECT_GT(space->total, 0u);
        EXPECT_LE(space->free, space->total);
    }
    EXPECT_FALSE(plat::GetDiskSpace("Q:"));
}

} // namespace
