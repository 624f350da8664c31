#include "platform/errors.h"
#include "platform/inifile.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

using testsupport::readFile;
using testsupport::TempDir;

namespace {

// Bare profile names lie in $XDG_CONFIG_HOME/quarver; each test gets its own.
class IniFileTest : public ::testing::Test {
protected:
    std::string profileDir() const { return temp_.path() + "/quarver"; }
    std::string put(const std::string& name, const std::string& content) const {
        return temp_.write("quarver/" + name, content);
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(profileDir().c_str())) {
            while (dirent* e = readdir(dir))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    names.push_back(e->d_name);
            closedir(dir);
        }
        return names;
    }

    TempDir temp_;
    testsupport::ScopedEnv config_{"XDG_CONFIG_HOME", temp_.path().c_str()};
};

TEST_F(IniFileTest, ReadsByThePlatformRules) {
    put("Test.INI", "; leading comment\n"
                    "Orphan=before any section\n"
                    "[Main]\n"
                    "  Name  =  spaced value  \n"
                    "Quoted=\"  kept blanks  \"\n"
                    "Half=\"open only\n"
                    "Inner=a \"b\" c\n"
                    "Empty=\n"
                    "no equals sign here\n"
                    ";Commented=1\n"
                    "Dup=first\n"
                    "DUP=second\n"
                    "Eq=a=b\n"
                    "=nameless\n"
                    "[  Other Section  ]\r\n"
                    "Key=crlf line\r\n"
                    "[Broken\n"
                    "Inside=still Other\n"
                    "[main]\n"
                    "Name=from the second copy\n"
                    "Late=only in the second copy\n");
    plat::IniFile ini("Test.INI");
    ASSERT_TRUE(ini.Load());
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"Main", "Name", "spaced value"},
        {"MAIN", "name", "spaced value"},
        {" main ", " NAME ", "spaced value"},
        {"Main", "Quoted", "  kept blanks  "},
        {"Main", "Half", "\"open only"},
        {"Main", "Inner", "a \"b\" c"},
        {"Main", "Empty", ""},
        {"Main", "no equals sign here", "<default>"},
        {"Main", ";Commented", "<default>"},
        {"Main", "Commented", "<default>"},
        {"Main", "Dup", "first"},
        {"Main", "Eq", "a=b"},
        {"Main", "", "<default>"},
        {"Main", "Late", "<default>"}, // the first of two equal sections wins
        {"Main", "Orphan", "<default>"},
        {"Other Section", "Key", "crlf line"},
        {"other section", "Inside", "still Other"},
        {"Missing", "Name", "<default>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.expected)
            << c.section << " / " << c.key;
    EXPECT_TRUE(ini.HasKey("main", "EMPTY"));
    EXPECT_FALSE(ini.HasKey("Main", "no equals sign here"));
}

TEST_F(IniFileTest, ReadsAtMost1023Characters) {
    std::string longValue(1500, 'v');
    put("Long.ini", "[S]\nLong=" + longValue + "\nQuoted=\"" + std::string(1100, 'q') + "\"\n");
    plat::IniFile ini("Long.ini");
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.ReadString("S", "Long", ""), std::string(1023, 'v'));
    EXPECT_EQ(ini.ReadString("S", "Quoted", ""), std::string(1023, 'q'));
    EXPECT_EQ(ini.ReadString("S", "Missing", std::string(1024, 'd')), std::string(1023, 'd'));
}

TEST(IniIntegerText, FollowsTheIntegerRules) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"42", 42},
        {"-3", -3},
        {"+8", 8},
        {" 7 ", 7},
        {"0x10", 16},
        {"0X1f", 31},
        {"$10", 16},
        {"$ff", 255},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"0x", -99},
        {"0X", -99},
        {"$", -99},
        {"12abc", -99},
        {"", -99},
        {"-", -99},
        {"1 2", -99},
        {"0x1g", -99},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", -99},
        {"$100000000", -99},
        {"0", 0},
        {"007", 7},
        {"x10", -99},
    };
    for (const Case& c : cases)
        EXPECT_EQ(plat::ReadIntegerText(c.text, -99), c.expected) << '"' << c.text << '"';
}

TEST_F(IniFileTest, ReadsIntegersFromTheFile) {
    put("Int.ini", "[Quarv]\nFilter=0x10\nYScale = $10 \nHalf=0x\nBad=12abc\nNeg=-5\nQ=\"9\"\n");
    plat::IniFile ini("Int.ini");
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.ReadInteger("quarv", "Filter", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Quarv", "YScale", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Quarv", "Half", 3), 3);
    EXPECT_EQ(ini.ReadInteger("Quarv", "Bad", 3), 3);
    EXPECT_EQ(ini.ReadInteger("Quarv", "Neg", 3), -5);
    EXPECT_EQ(ini.ReadInteger("Quarv", "Q", 3), 9);
    EXPECT_EQ(ini.ReadInteger("Quarv", "Missing", 8888), 8888);
}

TEST_F(IniFileTest, WritesKeepWhatTheyDoNotTouch) {
    struct Op {
        const char* section; // erase when key is null
        const char* key;
        const char* value;
    };
    struct Case {
        const char* name;
        const char* before;
        std::vector<Op> ops;
        const char* after;
    } cases[] = {
        {"new file", "", {{"A", "k", "v"}, {"B", "x", "1"}}, "[A]\r\nk=v\r\n\r\n[B]\r\nx=1\r\n"},
        {"replace keeps the stored key spelling and other lines",
         "; top\n[Main]\n  Key = old \n; note\nother line\nZ=1\n",
         {{"MAIN", "key", "new"}},
         "; top\r\n[Main]\r\nKey=new\r\n; note\r\nother line\r\nZ=1\r\n"},
        {"an unchanged value keeps its spacing",
         "[Main]\n  Key =  same  \n",
         {{"Main", "Key", "same"}},
         "[Main]\r\n  Key =  same  \r\n"},
        {"new key after the last key, before blank lines and the next section",
         "[A]\r\na=1\r\n; trailing comment\r\n\r\n[B]\r\nb=2\r\n",
         {{"a", "New", "n"}},
         "[A]\r\na=1\r\nNew=n\r\n; trailing comment\r\n\r\n[B]\r\nb=2\r\n"},
        {"new key in a section without keys",
         "[A]\n\n[B]\n",
         {{"A", "k", "v"}},
         "[A]\r\nk=v\r\n\r\n[B]\r\n"},
        {"new section at the end after one blank line",
         "[A]\na=1",
         {{"B", "b", "2"}},
         "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n"},
        {"new section after a file ending in a blank line",
         "[A]\na=1\n\n",
         {{"B", "b", "2"}},
         "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n"},
        {"writes go to the first of two equal sections and keys",
         "[S]\nk=1\nk=2\n[s]\nk=3\nm=4\n",
         {{"S", "K", "x"}, {"S", "m", "y"}},
         "[S]\r\nk=x\r\nk=2\r\nm=y\r\n[s]\r\nk=3\r\nm=4\r\n"},
        {"erase takes the section with its comments, every copy of it",
         "[A]\na=1\n\n[List]\n; old\nFile0=x\nFile7=y\n\n[B]\nb=1\n[list]\nFile9=z\n",
         {{"LIST", nullptr, nullptr}, {"List", "File0", "new"}},
         "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n\r\n[List]\r\nFile0=new\r\n"},
        {"erasing a missing section changes nothing",
         "[A]\na=1\n",
         {{"B", nullptr, nullptr}},
         "[A]\r\na=1\r\n"},
        {"line breaks in a value stay on one line",
         "",
         {{"A", "k", "one\r\ntwo"}},
         "[A]\r\nk=one  two\r\n"},
        {"a byte-order mark stays and hides nothing",
         "\xEF\xBB\xBF[A]\na=1\n",
         {{"A", "b", "2"}},
         "\xEF\xBB\xBF[A]\r\na=1\r\nb=2\r\n"},
        {"names are written trimmed", "", {{" A ", " k ", "v"}}, "[A]\r\nk=v\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string host = put("Write.ini", c.before);
        plat::IniFile ini("Write.ini");
        ASSERT_TRUE(ini.Load());
        for (const Op& op : c.ops) {
            if (op.key)
                ini.WriteString(op.section, op.key, op.value);
            else
                ini.EraseSection(op.section);
        }
        ASSERT_TRUE(ini.Save()) << plat::LastErrorText();
        EXPECT_EQ(readFile(host), c.after);
    }
}

TEST_F(IniFileTest, BareNamesLieInTheConfigDirectory) {
    EXPECT_EQ(plat::WindowsDirectory(), profileDir());
    struct stat st;
    ASSERT_EQ(stat(profileDir().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));

    // The stored name resolves without regard to case, as the program's own name does.
    std::string host = put("quarver.ini", "[QuarvMain]\nCurrentTab=3\n");
    EXPECT_EQ(plat::ProfileHostPath("Quarver.INI"), host);
    EXPECT_EQ(plat::GetPrivateProfileInt("QuarvMain", "CurrentTab", 8888, "Quarver.INI"), 3);
    EXPECT_EQ(plat::GetPrivateProfileInt("QuarvMain", "CurrentTab", 8888, "Other.INI"), 8888);
    ASSERT_TRUE(plat::WritePrivateProfileString("QuarvMain", "X", "10", "QUARVER.ini"));
    EXPECT_EQ(readFile(host), "[QuarvMain]\r\nCurrentTab=3\r\nX=10\r\n");
    EXPECT_EQ(plat::GetPrivateProfileString("quarvmain", "x", "", "Quarver.INI"), "10");
}

TEST_F(IniFileTest, ProgramPathsGoThroughTheDriveMap) {
    TempDir other;
    std::string host = other.write("Sub/Set.ini", "[A]\nk=1\n");
    std::string programPath = "C:" + other.path() + "\\sub\\SET.INI";
    for (char& c : programPath)
        if (c == '/') c = '\\';
    plat::IniFile ini(programPath);
    EXPECT_EQ(ini.HostFileName(), host);
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
}

TEST_F(IniFileTest, SaveLeavesNoTemporaryFiles) {
    put("Keep.ini", "[A]\na=1\n");
    chmod((profileDir() + "/Keep.ini").c_str(), 0640);
    plat::IniFile ini("Keep.ini");
    ASSERT_TRUE(ini.Load());
    ini.WriteString("A", "b", "2");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(entries(), std::vector<std::string>{"Keep.ini"});
    struct stat st;
    ASSERT_EQ(stat((profileDir() + "/Keep.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the file keeps its permissions";
}

TEST_F(IniFileTest, FailedSaveKeepsTheOldFile) {
    const std::string old = "[A]\na=1\n";
    std::string host = put("Old.ini", old);
    plat::IniFile ini("Old.ini");
    ASSERT_TRUE(ini.Load());
    ini.WriteString("A", "big", std::string(200000, 'x'));

    // A disk that fills up while the file is written.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved1 = ini.Save();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved1);
    EXPECT_FALSE(plat::LastErrorText().empty());
    EXPECT_EQ(readFile(host), old);
    EXPECT_EQ(entries(), std::vector<std::string>{"Old.ini"});

    // A read-only file is refused, even where the process could write it anyway.
    chmod(host.c_str(), 0444);
    ini.WriteString("A", "big", "small");
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(readFile(host), old);
    chmod(host.c_str(), 0644);

    // A directory that cannot be written (root writes anywhere, so only for other users).
    if (geteuid() != 0) {
        chmod(profileDir().c_str(), 0500);
        EXPECT_FALSE(ini.Save());
        chmod(profileDir().c_str(), 0700);
        EXPECT_EQ(readFile(host), old);
    }
}

TEST_F(IniFileTest, AnUnreadableFileIsNeverOverwritten) {
    temp_.mkdir("quarver/Dir.ini");
    plat::IniFile ini("Dir.ini");
    EXPECT_FALSE(ini.Load());
    ini.WriteString("A", "k", "v");
    EXPECT_FALSE(ini.Save());
    EXPECT_FALSE(plat::WritePrivateProfileString("A", "k", "v", "Dir.ini"));

    // A missing file is an empty profile, not an error.
    plat::IniFile missing("Missing.ini");
    EXPECT_TRUE(missing.Load());
    EXPECT_EQ(missing.ReadString("A", "k", "d"), "d");
}

} // namespace
