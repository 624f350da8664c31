#include "engine/settings.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

using testsupport::readFile;
using testsupport::TempDir;

namespace {

constexpr qv::ScreenGeometry kScreen{1024, 768};

// Bare settings names lie in $XDG_CONFIG_HOME/quarver; every test gets its own, and its own
// drive map, so that the working directory starts where the process stands.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        setenv("XDG_CONFIG_HOME", temp_.file("config").c_str(), 1);
        plat::SetDriveMap({{'C', "/"}});
    }
    void TearDown() override {
        if (hadOld_)
            setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }

    std::string profile(const std::string& name) const {
        return temp_.file("config/quarver/" + name);
    }
    void put(const std::string& name, const std::string& content) const {
        temp_.write("config/quarver/" + name, content);
    }
    qv::GlobalSettings load(const std::string& candidate = {}) const {
        qv::GlobalSettings settings;
        EXPECT_TRUE(qv::LoadSettings(settings, candidate, kScreen));
        return settings;
    }
    // The settings file as the next start reads it.
    plat::IniFile stored(const std::string& name) const {
        plat::IniFile file(name);
        EXPECT_TRUE(file.Load());
        return file;
    }

    TempDir temp_;
    std::string old_;
    bool hadOld_ = false;
};

TEST_F(SettingsTest, NoFileGivesTheDefaults) {
    qv::GlobalSettings settings;
    settings.ScriptRun.Lines = {"left over"};
    settings.ScriptRun.Modified = true;
    settings.RecentFiles = {"c:\\stale.qrv"};
    ASSERT_TRUE(qv::LoadSettings(settings, "", kScreen));

    EXPECT_EQ(settings.SettingsFileName, "Quarver.INI");
    EXPECT_EQ(settings.ThousandsSeparator, ",");
    EXPECT_EQ(settings.Main.X, (1024 - 744) / 2);
    EXPECT_EQ(settings.Main.Y, (768 - 417) / 2);
    EXPECT_EQ(settings.Main.CurrentTab, 0);
    EXPECT_TRUE(settings.Main.ShowHints);
    EXPECT_EQ(settings.Quarv.NormalRate, "240000");
    EXPECT_EQ(settings.Quarv.KeyCompressType, 3);
    EXPECT_EQ(settings.Quarv.KeyErrorPerc, "20");
    EXPECT_EQ(settings.Mix.Track, 1);
    EXPECT_EQ(settings.Play.Tracks, 127);
    EXPECT_EQ(settings.ScriptRun, qv::ScriptRunState{});
    EXPECT_TRUE(settings.RecentFiles.empty());

    std::string program = plat::ProgramPath(plat::ExecutableDirectory());
    if (program.back() != '\\') program += '\\';
    EXPECT_EQ(settings.ProgramDirectory, program);
    EXPECT_EQ(settings.CommandDirectory, plat::GetCurrentDir());
}

TEST_F(SettingsTest, IntegersFlagsAndTextsFollowTheReadingRules) {
    struct Case {
        std::string stored;
        int keyCompressType; // an 8-bit key whose default is 3
        bool keyFrames;      // a flag whose default is off
        bool showHints;      // a flag whose default is on
    };
    const std::vector<Case> cases = {
        {"0x10", 16, true, true}, {"$10", 16, true, true}, {"0X1f", 31, true, true},
        {"0x", 3, false, true},   {"300", 44, true, true}, {"-1", 255, true, true},
        {"junk", 3, false, true}, {"", 3, false, true},    {"0", 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("stored value \"" + c.stored + "\"");
        put("Quarver.INI", "[QuarvMain]\nShowHints=" + c.stored + "\n[Quarv]\nKeyCompressType=" +
                               c.stored + "\nKeyFrames=" + c.stored + "\n");
        qv::GlobalSettings settings = load();
        EXPECT_EQ(settings.Quarv.KeyCompressType, c.keyCompressType);
        EXPECT_EQ(settings.Quarv.KeyFrames, c.keyFrames);
        EXPECT_EQ(settings.Main.ShowHints, c.showHints);
    }

    put("Quarver.INI", "[QuarvMain]\nX=-20\nY=$20\n"
                       "[Quarv]\nNormalRate=1234567890\nNormalFilePerc=12345\nStartNum=123456789\n"
                       "Filename=" +
                           std::string(2000, 'a') + "\n");
    put("Win.INI", "[intl]\nsThousand=.\n");
    qv::GlobalSettings settings = load();
    EXPECT_EQ(settings.Main.X, -20);
    EXPECT_EQ(settings.Main.Y, 32);
    EXPECT_EQ(settings.Quarv.NormalRate, "123456789");
    EXPECT_EQ(settings.Quarv.NormalFilePerc, "1234");
    EXPECT_EQ(settings.Quarv.StartNum, "12345678");
    EXPECT_EQ(settings.Quarv.Filename, std::string(1023, 'a'));
    EXPECT_EQ(settings.ThousandsSeparator, ".");

    put("Win.INI", "[intl]\nsThousand=" + std::string(20, '\'') + "\n");
    EXPECT_EQ(load().ThousandsSeparator, std::string(16, '\''));
}

TEST_F(SettingsTest, NumberedListsCloseGapsTrimAndAreRewrittenWhole) {
    std::string frames = "[QuarvFrameSpecific]\nFrame256=last read\nFrame257=never read\n";
    put("Quarver.INI", "[QuarvRecentFiles]\nFile0=c:\\a.qrv\nFile2=c:\\b.qrv\nFile5=c:\\c.qrv\n"
                       "[QuarvRecentCommands]\nRecall0=   \nRecall1=  dir c:\\  \nRecall9=\t\n"
                       "[QuarvRecentDirs]\nDir30=c:\\thirty\nDir31=c:\\thirty-one\n" +
                           frames);
    qv::GlobalSettings settings = load();
    EXPECT_EQ(settings.RecentFiles, (qv::TextList{"c:\\a.qrv", "c:\\b.qrv", "c:\\c.qrv"}));
    EXPECT_EQ(settings.RecentCommands, (qv::TextList{"dir c:\\"}));
    EXPECT_EQ(settings.RecentDirectories, (qv::TextList{"c:\\thirty"}));
    EXPECT_EQ(settings.FrameSpecificLines, (qv::TextList{"last read"}));

    ASSERT_TRUE(qv::SaveSettings(settings));
    plat::IniFile file = stored("Quarver.INI");
    EXPECT_EQ(file.ReadString("QuarvRecentFiles", "File0", "-"), "c:\\a.qrv");
    EXPECT_EQ(file.ReadString("QuarvRecentFiles", "File1", "-"), "c:\\b.qrv");
    EXPECT_EQ(file.ReadString("QuarvRecentFiles", "File2", "-"), "c:\\c.qrv");
    EXPECT_FALSE(file.HasKey("QuarvRecentFiles", "File5"));
    EXPECT_EQ(file.ReadString("QuarvRecentCommands", "Recall0", "-"), "dir c:\\");
    EXPECT_FALSE(file.HasKey("QuarvRecentCommands", "Recall1"));
    EXPECT_FALSE(file.HasKey("QuarvRecentDirs", "Dir31"));
    EXPECT_FALSE(file.HasKey("QuarvFrameSpecific", "Frame257"));
}

TEST_F(SettingsTest, CandidateNamesTheFile) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "Quarver.INI"},
        {"mine", "mine.INI"},
        {"mine.cfg", "mine.cfg"},
        {"C:\\work\\mine", "C:\\work\\mine.INI"},
    };
    for (const auto& [candidate, name] : cases)
        EXPECT_EQ(qv::SettingsFileFromCandidate(candidate), name) << candidate;
}

TEST_F(SettingsTest, BareCandidateStartsFromTheDefaultFileAndIsWrittenAtExit) {
    const std::string defaults = "[QuarvMain]\nCurrentTab=4\n[Quarv]\nNormalRate=1111\n";
    put("Quarver.INI", defaults);
    qv::GlobalSettings settings = load("mine");
    EXPECT_EQ(settings.SettingsFileName, "mine.INI");
    EXPECT_EQ(settings.Quarv.NormalRate, "1111");
    EXPECT_EQ(settings.Main.CurrentTab, 4);

    settings.Quarv.NormalRate = "2222";
    ASSERT_TRUE(qv::SaveSettings(settings));
    EXPECT_EQ(stored("mine.INI").ReadString("Quarv", "NormalRate", ""), "2222");
    EXPECT_EQ(readFile(profile("Quarver.INI")), defaults);
    EXPECT_EQ(load("mine").Quarv.NormalRate, "2222");
}

TEST_F(SettingsTest, CandidateIsReadOnlyWhenItHoldsTheProbeKey) {
    put("Quarver.INI", "[QuarvMain]\nCurrentTab=1\n[Quarv]\nNormalRate=1111\n");
    const std::string candidate = plat::ProgramPath(temp_.file("team.cfg"));
    struct Case {
        std::string currentTab;
        std::string rate;
    };
    // 8888 itself cannot be told from a missing key.
    const std::vector<Case> cases = {
        {"2", "2222"}, {"0", "2222"}, {"8888", "1111"}, {"junk", "1111"}, {"", "1111"}};
    for (const Case& c : cases) {
        SCOPED_TRACE("CurrentTab=" + c.currentTab);
        temp_.write("team.cfg",
                    "[QuarvMain]\nCurrentTab=" + c.currentTab + "\n[Quarv]\nNormalRate=2222\n");
        qv::GlobalSettings settings = load(candidate);
        EXPECT_EQ(settings.SettingsFileName, candidate);
        EXPECT_EQ(settings.Quarv.NormalRate, c.rate);
    }
}

TEST_F(SettingsTest, NewFileHasItsSectionsInOrderWithoutTheReadOnlyKeys) {
    qv::GlobalSettings settings = load();
    settings.FrameSpecificLines = {"1-10 /N1000"};
    settings.RecentCommands = {"dir"};
    settings.RecentFiles = {"c:\\a.qrv"};
    settings.RecentDirectories = {"c:\\"};
    ASSERT_TRUE(qv::SaveSettings(settings));

    const std::string text = readFile(profile("Quarver.INI"));
    std::size_t previous = 0;
    for (const char* section :
         {"[QuarvMain]", "[Quarv]", "[QuarvFrameSpecific]", "[QuarvMix]", "[QuarvPlay]",
          "[QuarvScript]", "[GraphicsProcessor]", "[SoundProcessor]", "[QuarvCommand]",
          "[QuarvRecentCommands]", "[QuarvRecentFiles]", "[QuarvRecentDirs]"}) {
        std::size_t at = text.find(std::string(section) + "\r\n");
        ASSERT_NE(at, std::string::npos) << section;
        EXPECT_GT(at + 1, previous) << section;
        previous = at + 1;
    }
    plat::IniFile file = stored("Quarver.INI");
    EXPECT_EQ(file.ReadString("QuarvMain", "X", ""), "140");
    EXPECT_FALSE(file.HasKey("QuarvMain", "Directory"));
    EXPECT_FALSE(file.HasKey("QuarvMain", "ShowHints"));
    EXPECT_EQ(file.ReadString("Quarv", "KeyCompressType", ""), "3");
    EXPECT_EQ(file.ReadString("Quarv", "Ring", ""), "0");
}

TEST_F(SettingsTest, SaveKeepsWhatItDoesNotOwn) {
    put("Quarver.INI", "; written by hand\r\n"
                       "[QuarvMain]\r\n"
                       "Directory=C:\\tools\r\n"
                       "ShowHints=0\r\n"
                       "Mine=kept\r\n"
                       "[Elsewhere]\r\n"
                       "A=1\r\n");
    qv::GlobalSettings settings = load();
    EXPECT_EQ(settings.ProgramDirectory, "C:\\tools\\");
    EXPECT_FALSE(settings.Main.ShowHints);
    settings.Main.ShowHints = true;
    settings.ProgramDirectory = "C:\\elsewhere\\";
    ASSERT_TRUE(qv::SaveSettings(settings));

    const std::string text = readFile(profile("Quarver.INI"));
    EXPECT_EQ(text.rfind("; written by hand\r\n[QuarvMain]\r\nDirectory=C:\\tools\r\n"
                         "ShowHints=0\r\nMine=kept\r\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("[Elsewhere]\r\nA=1\r\n"), std::string::npos) << text;
}

TEST_F(SettingsTest, CommandDirectoryIsCheckedAndTheWorkingDirectoryRestored) {
    const std::string work = plat::ProgramPath(temp_.mkdir("work"));
    const std::string before = plat::GetCurrentDir();
    ASSERT_NE(before, work);

    // Spelled the way the file system reports it once it is current.
    put("Quarver.INI", "[QuarvCommand]\nDirectory=c" + work.substr(1) + "\\sub\\..\\\n");
    temp_.mkdir("work/sub");
    EXPECT_EQ(load().CommandDirectory, work);
    EXPECT_EQ(plat::GetCurrentDir(), before);

    put("Quarver.INI", "[QuarvCommand]\nDirectory=" + work + "\\gone\n");
    EXPECT_EQ(load().CommandDirectory, before);
    EXPECT_EQ(plat::GetCurrentDir(), before);
}

TEST_F(SettingsTest, FailedWriteIsReportedAndChangesNothing) {
    put("Quarver.INI", "[Quarv]\nNormalRate=1111\n");
    chmod(profile("Quarver.INI").c_str(), 0444);
    qv::GlobalSettings settings = load();
    settings.Quarv.NormalRate = "2222";
    EXPECT_FALSE(qv::SaveSettings(settings));
    EXPECT_EQ(readFile(profile("Quarver.INI")), "[Quarv]\nNormalRate=1111\n");
    EXPECT_EQ(qv::SettingsWriteErrorText(settings), "Unable to write to Quarver.INI");

    settings.SettingsFileName = plat::ProgramPath(temp_.file("missing/dir/x.INI"));
    EXPECT_FALSE(qv::SaveSettings(settings));
}

TEST_F(SettingsTest, UnreadableFileIsReportedAndNeverReplaced) {
    // A directory in the file's place cannot be read, whoever runs the test.
    temp_.mkdir("config/quarver/Quarver.INI/inside");
    qv::GlobalSettings settings;
    EXPECT_FALSE(qv::LoadSettings(settings, "", kScreen));
    EXPECT_EQ(settings.Quarv.NormalRate, "240000");
    EXPECT_FALSE(qv::SaveSettings(settings));
    EXPECT_TRUE(testsupport::exists(profile("Quarver.INI/inside")));
}

// Every key of every section with a value that is not its default, and no two values alike, so
// that a key read into or written from the wrong field shows.
const char* const kEveryKey = R"([QuarvMain]
X=12
Y=-7
CurrentTab=5
[Quarv]
Filename=text 1
Directory=text 2
OutputName=text 3
OutputBasedOn=text 4
OutputType=105
RegularCompressType=106
KeyCompressType=107
NormalRate=123400008
KeyRate=123400009
NormalFilePerc=1070
KeyFilePerc=1077
NormalFramePerc=1084
KeyFramePerc=1091
NormalErrorPerc=1098
KeyErrorPerc=1105
AutoKeyFrame=1112
Filter=117
YScale=118
CurrentTab=119
KeyFrames=1
Start=1
End=1
Ring=1
EveryOther=1
Overwrite=1
KeyFramesNum=1182
StartNum=1189
EndNum=1196
FrameRate=1
FrameRateNum=1210
AdjustFrameRate=1
AdjustFrameRateNum=1224
MixOriginal=1
X=1
XNum=1245
Y=1
YNum=1259
W=1
WNum=1273
H=1
HNum=1287
PaletteEvery=1
PaletteEveryNum=1301
PaletteRotate=1
PaletteRotateNum=1315
PaletteColors=1
PaletteColorsNum=1329
PaletteStart=1
PaletteStartNum=1343
Halftone=150
PaletteControl=151
WindowsColors=152
NoSound=1
LossySound=154
Rate=155
Quality=156
Channels=157
[QuarvFrameSpecific]
Frame0=10-20 /N100
Frame1=30 /K
[QuarvMix]
QuarvFilename=text 58
QuarvDirectory=text 59
QuarvFilter=160
WaveFilename=text 61
WaveDirectory=text 62
WaveFilter=163
OutputName=text 64
OutputBasedOn=text 65
Lossy=166
Track=167
Format=168
FrameRate=1
FrameRateNum=1490
Start=1
StartNum=1504
Loop=1
Overwrite=1
SkipIntoNum=1525
CurrentTab=176
InputStart=1
InputStartNum=1546
InputEnd=1
InputEndNum=1560
InputTrack=1
InputTrackNum=1574
ForceRate=1581
Rate=184
Quality=185
Channels=186
[QuarvPlay]
Filename=text 87
Directory=text 88
Filter=189
Display=190
Use=191
Tracks=92
DisabledControls=193
YScale=194
CurrentTab=195
Style=196
NoRemap=197
Loop=1
LoopNum=1693
FrameRate=1
FrameRateNum=1707
Preload=1
ShowSummary=1
NoFrameDrop=1
X=1
XNum=1742
Y=1
YNum=1756
W=1
WNum=1770
H=1
HNum=1784
ShowFrames=1
DirectSound=1
DirectDrawOff=1
MMXOff=1
SoundOnly=1
DoubleBuffer=1
NoClear=1
LoadExtra=1
NoPause=1
DeltasOnly=1
Simulate=1
SimulateNum=1868
ExtraMem=1
ExtraMemNum=1882
[QuarvScript]
Filename=text 127
Directory=text 128
Filter=229
GotoLine=text 130
FindText=text 131
[GraphicsProcessor]
Filename=text 132
Directory=text 133
OutputName=text 134
OutputBasedOn=text 135
Filter=236
CurrentTab=237
OutputType=238
PaletteType=239
XOffset=1
XOffsetNum=1987
YOffset=1
YOffsetNum=2001
Width=1
WidthNum=2015
Height=1
HeightNum=2029
Start=1
StartNum=2043
End=1
EndNum=2057
Overwrite=1
FrameRate=1
FrameRateNum=2078
AdjustFrameRate=1
AdjustFrameRateNum=2092
PaletteEvery=1
PaletteEveryNum=2106
PaletteRotate=1
PaletteRotateNum=2120
PaletteColors=1
PaletteColorsNum=2134
PaletteStart=1
PaletteStartNum=2148
Halftone=9
PaletteControl=10
WindowsColors=11
[SoundProcessor]
Filename=text 168
Directory=text 169
OutputName=text 170
OutputBasedOn=text 171
Filter=12
Rate=13
Quality=14
Channels=15
InputType=16
CurrentTab=17
Overwrite=1
Track=1
TrackNum=2253
Start=1
StartNum=2267
End=1
EndNum=2281
ForceRate=2288
SkipBytes=2295
[QuarvRecentCommands]
Recall0=quarvc clip.avi clip.qrv
[QuarvRecentFiles]
File0=c:\clip.qrv
[QuarvRecentDirs]
Dir0=c:\
)";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

TEST_F(SettingsTest, RoundTripKeepsEveryValue) {
    put("Source.INI", kEveryKey);
    qv::GlobalSettings first = load("Source");
    EXPECT_EQ(first.Quarv.KeyFilePerc, "1077");
    EXPECT_EQ(first.Mix.Track, 167);
    EXPECT_EQ(first.Play.Tracks, 92);
    EXPECT_EQ(first.Sound.SkipBytes, "2295");

    // Values the file format would otherwise lose: blanks at the edges and outer quotes.
    first.Quarv.OutputName = "  padded name ";
    first.Script.FindText = "\"quoted\"";
    first.RecentCommands = {"\"a b.qbt\" \"x y\"", "dir"};
    first.SettingsFileName = "Copy.INI";
    ASSERT_TRUE(qv::SaveSettings(first));

    // Key by key: everything the source file holds is written back as it was read.
    plat::IniFile copy = stored("Copy.INI");
    std::string section;
    for (const std::string& line : Lines(kEveryKey)) {
        if (line.front() == '[') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const std::string key = line.substr(0, line.find('='));
        if (section == "QuarvRecentCommands" || (section == "Quarv" && key == "OutputName") ||
            (section == "QuarvScript" && key == "FindText"))
            continue;
        EXPECT_EQ(copy.ReadString(section, key, "(missing)"), line.substr(key.size() + 1))
            << section << " " << key;
    }

    qv::GlobalSettings second = load("Copy");
    EXPECT_EQ(second, first);
}

} // namespace
