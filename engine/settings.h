#pragma once
// GlobalSettings: the in-memory image of the settings file plus the lists and directories that the
// whole program shares. Every part of the program reads and writes its fields directly.
//
// Each section of the file has one record whose fields are named after the section's keys. The
// initial values of the fields are the defaults that a missing key gives. Numbers the user types
// into masked fields are kept as texts so that an empty field stays empty; list choices are 8-bit
// values; check boxes are flags.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {
class IniFile;
}

namespace qv {

using TextList = std::vector<std::string>;

// "QuarvMain": the main window. "Directory" of this section is ProgramDirectory below.
struct QuarvMain {
    int X = 0; // the defaults centre the window on the screen (LoadSettings)
    int Y = 0;
    int CurrentTab = 0;
    bool ShowHints = true; // read only: never written back
    bool operator==(const QuarvMain&) const = default;
};

// "Quarv": the compressor tab.
struct Quarv {
    std::string Filename;
    std::string Directory;
    std::string OutputName;
    std::string OutputBasedOn;
    uint8_t OutputType = 0;
    uint8_t RegularCompressType = 0;
    uint8_t KeyCompressType = 3;
    std::string NormalRate = "240000"; // at most 9 characters
    std::string KeyRate = "300000";    // at most 9
    std::string NormalFilePerc = "80"; // this and the rest of the percentages: at most 4
    std::string KeyFilePerc = "90";
    std::string NormalFramePerc = "80";
    std::string KeyFramePerc = "90";
    std::string NormalErrorPerc = "30";
    std::string KeyErrorPerc = "20";
    std::string AutoKeyFrame = "95";
    uint8_t Filter = 0;
    uint8_t YScale = 0;
    uint8_t CurrentTab = 0;
    bool KeyFrames = false;
    bool Start = false;
    bool End = false;
    bool Ring = false;
    bool EveryOther = false; // no control; kept so that it is written back unchanged
    bool Overwrite = false;
    std::string KeyFramesNum; // the ...Num texts: at most 8 characters
    std::string StartNum;
    std::string EndNum;
    bool FrameRate = false;
    std::string FrameRateNum;
    bool AdjustFrameRate = false;
    std::string AdjustFrameRateNum;
    bool MixOriginal = false;
    bool X = false;
    std::string XNum;
    bool Y = false;
    std::string YNum;
    bool W = false;
    std::string WNum;
    bool H = false;
    std::string HNum;
    bool PaletteEvery = false;
    std::string PaletteEveryNum;
    bool PaletteRotate = false;
    std::string PaletteRotateNum;
    bool PaletteColors = false;
    std::string PaletteColorsNum;
    bool PaletteStart = false;
    std::string PaletteStartNum;
    uint8_t Halftone = 0;
    uint8_t PaletteControl = 0;
    uint8_t WindowsColors = 0;
    bool NoSound = false;
    uint8_t LossySound = 0;
    uint8_t Rate = 0;
    uint8_t Quality = 0;
    uint8_t Channels = 0;
    bool operator==(const Quarv&) const = default;
};

// "QuarvMix": the mixer tab.
struct QuarvMix {
    std::string QuarvFilename;
    std::string QuarvDirectory;
    uint8_t QuarvFilter = 0;
    std::string WaveFilename;
    std::string WaveDirectory;
    uint8_t WaveFilter = 0;
    std::string OutputName;
    std::string OutputBasedOn;
    uint8_t Lossy = 0;
    uint8_t Track = 1; // the track number: list index + 1
    uint8_t Format = 0;
    bool FrameRate = false;
    std::string FrameRateNum; // the ...Num texts, ForceRate: at most 8 characters
    bool Start = false;
    std::string StartNum;
    bool Loop = false;
    bool Overwrite = false;
    std::string SkipIntoNum;
    uint8_t CurrentTab = 0;
    bool InputStart = false;
    std::string InputStartNum;
    bool InputEnd = false;
    std::string InputEndNum;
    bool InputTrack = false;
    std::string InputTrackNum;
    std::string ForceRate;
    uint8_t Rate = 0;
    uint8_t Quality = 0;
    uint8_t Channels = 0;
    bool operator==(const QuarvMix&) const = default;
};

// "QuarvPlay": the player tab.
struct QuarvPlay {
    std::string Filename;
    std::string Directory;
    uint8_t Filter = 0;
    uint8_t Display = 0;
    uint8_t Use = 0;
    uint8_t Tracks = 127; // bit mask of the seven sound tracks
    uint8_t DisabledControls = 0;
    uint8_t YScale = 0;
    uint8_t CurrentTab = 0;
    uint8_t Style = 0;
    uint8_t NoRemap = 0;
    bool Loop = false;
    std::string LoopNum; // the ...Num texts: at most 8 characters
    bool FrameRate = false;
    std::string FrameRateNum;
    bool Preload = false;
    bool ShowSummary = false;
    bool NoFrameDrop = false;
    bool X = false;
    std::string XNum;
    bool Y = false;
    std::string YNum;
    bool W = false;
    std::string WNum;
    bool H = false;
    std::string HNum;
    bool ShowFrames = false;
    bool DirectSound = false;
    bool DirectDrawOff = false;
    bool MMXOff = false;
    bool SoundOnly = false;
    bool DoubleBuffer = false;
    bool NoClear = false;
    bool LoadExtra = false;
    bool NoPause = false;
    bool DeltasOnly = false;
    bool Simulate = false;
    std::string SimulateNum;
    bool ExtraMem = false;
    std::string ExtraMemNum;
    bool operator==(const QuarvPlay&) const = default;
};

// "QuarvScript": the Scriptor tab and the editor's find and go-to-line texts.
struct QuarvScript {
    std::string Filename;
    std::string Directory;
    uint8_t Filter = 0;
    std::string GotoLine;
    std::string FindText;
    bool operator==(const QuarvScript&) const = default;
};

// "GraphicsProcessor": the graphics processor tab.
struct GraphicsProcessor {
    std::string Filename;
    std::string Directory;
    std::string OutputName;
    std::string OutputBasedOn;
    uint8_t Filter = 0;
    uint8_t CurrentTab = 0;
    uint8_t OutputType = 0;
    uint8_t PaletteType = 0;
    bool XOffset = false;
    std::string XOffsetNum; // the ...Num texts: at most 8 characters
    bool YOffset = false;
    std::string YOffsetNum;
    bool Width = false;
    std::string WidthNum;
    bool Height = false;
    std::string HeightNum;
    bool Start = false;
    std::string StartNum;
    bool End = false;
    std::string EndNum;
    bool Overwrite = false;
    bool FrameRate = false;
    std::string FrameRateNum;
    bool AdjustFrameRate = false;
    std::string AdjustFrameRateNum;
    bool PaletteEvery = false;
    std::string PaletteEveryNum;
    bool PaletteRotate = false;
    std::string PaletteRotateNum;
    bool PaletteColors = false;
    std::string PaletteColorsNum;
    bool PaletteStart = false;
    std::string PaletteStartNum;
    uint8_t Halftone = 0;
    uint8_t PaletteControl = 0;
    uint8_t WindowsColors = 0;
    bool operator==(const GraphicsProcessor&) const = default;
};

// "SoundProcessor": the sound processor tab.
struct SoundProcessor {
    std::string Filename;
    std::string Directory;
    std::string OutputName;
    std::string OutputBasedOn;
    uint8_t Filter = 0;
    uint8_t Rate = 0;
    uint8_t Quality = 0;
    uint8_t Channels = 0;
    uint8_t InputType = 0;
    uint8_t CurrentTab = 0;
    bool Overwrite = false;
    bool Track = false;
    std::string TrackNum; // the ...Num texts, ForceRate, SkipBytes: at most 8 characters
    bool Start = false;
    std::string StartNum;
    bool End = false;
    std::string EndNum;
    std::string ForceRate;
    std::string SkipBytes;
    bool operator==(const SoundProcessor&) const = default;
};

// The script the Scriptor edits, kept while its tab is closed. Lives for the program run only:
// never written to the settings file, cleared when the settings are loaded.
struct ScriptRunState {
    TextList Lines;
    std::string FileName; // full name; empty for an untitled script
    bool Modified = false;
    uint8_t Page = 0; // 0 "Script Handling", 1 the edit page
    int CaretPosition = 0;
    bool operator==(const ScriptRunState&) const = default;
};

struct GlobalSettings {
    // Run-wide values.
    std::string SettingsFileName = "Quarver.INI";
    std::string ProgramDirectory; // ends in "\"
    std::string CommandDirectory; // the command engine's current directory
    std::string ThousandsSeparator = ",";

    TextList RecentCommands; // newest first, at most 30
    TextList RecentFiles;
    TextList RecentDirectories;
    TextList FrameSpecificLines;

    // One record per settings section.
    QuarvMain Main;
    qv::Quarv Quarv;
    QuarvMix Mix;
    QuarvPlay Play;
    QuarvScript Script;
    GraphicsProcessor Graphics;
    SoundProcessor Sound;

    ScriptRunState ScriptRun;
    bool operator==(const GlobalSettings&) const = default;
};

// The file used when the command line names none; a bare name lies in the Windows directory.
inline constexpr const char* DefaultSettingsFileName = "Quarver.INI";

// The main window's fixed size and the screen it opens on; the stored position defaults to the
// centre of the screen.
struct ScreenGeometry {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    int WindowWidth = 744;
    int WindowHeight = 417;
};

// The settings file name for a command-line candidate (empty: none): ".INI" is given to a name
// without an extension.
std::string SettingsFileFromCandidate(const std::string& candidate);

// Fills the settings from the file the candidate names, or from the default file while the
// candidate does not hold the settings yet; SettingsFileName becomes the candidate's file either
// way. Also reads the thousands separator of the system settings, sets ProgramDirectory and
// CommandDirectory (moving the working directory only for the check) and clears the script state.
// A missing file gives the defaults. False when an existing file could not be read (the defaults
// are used then).
bool LoadSettings(GlobalSettings& settings, const std::string& candidate,
                  const ScreenGeometry& screen);

// Writes everything to SettingsFileName, keeping the lines of the file that we do not own. False
// when the file could not be read back or written; SettingsWriteErrorText tells the user.
bool SaveSettings(const GlobalSettings& settings);
std::string SettingsWriteErrorText(const GlobalSettings& settings);

// A list stored as one section of keys prefix + index, from 0. Loading reads indexes 0 up to and
// including highestIndex, trims every entry and skips the empty ones, so gaps close up. Saving
// replaces the whole section.
void LoadNumberedList(const plat::IniFile& file, const std::string& section, int highestIndex,
                      const std::string& prefix, TextList& list);
void SaveNumberedList(plat::IniFile& file, const std::string& section, const std::string& prefix,
                      const TextList& list);

} // namespace qv
