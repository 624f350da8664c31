#include "engine/settings.h"

#include "engine/textutil.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/process.h"

#include <concepts>
#include <type_traits>
#include <utility>

namespace qv {

namespace {

// Numbers typed into masked fields are kept to what the fields hold.
constexpr std::size_t NumberField = 8;
constexpr std::size_t RateField = 9;
constexpr std::size_t PercentField = 4;
constexpr std::size_t SeparatorLength = 16;

constexpr int FrameSpecificHighestIndex = 256;
// The recent lists hold 30 entries; one more is accepted from the file.
constexpr int RecentHighestIndex = 30;

// The probe's default: every settings file this program writes holds QuarvMain's CurrentTab, and
// a stored 8888 cannot be told from a missing key.
constexpr int ProbeAbsent = 8888;

// The private-profile reader drops blanks around a value and one pair of double quotes around it.
// Quoting keeps such a value as it was; every private-profile reader strips the quotes again.
std::string StoredText(const std::string& value) {
    if (value.empty()) return value;
    const bool blankEdge = static_cast<unsigned char>(value.front()) < 33 ||
                           static_cast<unsigned char>(value.back()) < 33;
    const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return blankEdge || quoted ? '"' + value + '"' : value;
}

// Reads every key of a section with the field's current value as the default, so the records'
// initial values are the only place where defaults live.
class SectionReader {
public:
    SectionReader(const plat::IniFile& file, const char* section)
        : file_(file), section_(section) {}

    void operator()(const char* key, std::string& field) const {
        field = file_.ReadString(section_, key, field);
    }
    void operator()(const char* key, std::string& field, std::size_t limit) const {
        field = file_.ReadString(section_, key, field).substr(0, limit);
    }
    void operator()(const char* key, int& field) const {
        field = file_.ReadInteger(section_, key, field);
    }
    void operator()(const char* key, uint8_t& field) const {
        field = static_cast<uint8_t>(file_.ReadInteger(section_, key, field) & 0xFF);
    }
    void operator()(const char* key, bool& field) const {
        field = file_.ReadInteger(section_, key, field ? 1 : 0) != 0;
    }

private:
    const plat::IniFile& file_;
    std::string section_;
};

class SectionWriter {
public:
    SectionWriter(plat::IniFile& file, const char* section) : file_(file), section_(section) {}

    void operator()(const char* key, const std::string& field) const {
        file_.WriteString(section_, key, StoredText(field));
    }
    void operator()(const char* key, const std::string& field, std::size_t) const {
        (*this)(key, field);
    }
    void operator()(const char* key, const int& field) const {
        file_.WriteString(section_, key, std::to_string(field));
    }
    void operator()(const char* key, const uint8_t& field) const {
        file_.WriteString(section_, key, std::to_string(field));
    }
    void operator()(const char* key, const bool& field) const {
        file_.WriteString(section_, key, field ? "1" : "0");
    }

private:
    plat::IniFile& file_;
    std::string section_;
};

// The keys of each section in the order of the file, shared by reading and writing. Record is
// the section's record, const when writing.
template <class Record, class Plain>
concept RecordOf = std::same_as<std::remove_const_t<Record>, Plain>;

// The palette keys, alike in the compressor's and the graphics processor's sections.
template <class Record, class Visit> void VisitPaletteKeys(Record& s, const Visit& v) {
    v("PaletteEvery", s.PaletteEvery);
    v("PaletteEveryNum", s.PaletteEveryNum, NumberField);
    v("PaletteRotate", s.PaletteRotate);
    v("PaletteRotateNum", s.PaletteRotateNum, NumberField);
    v("PaletteColors", s.PaletteColors);
    v("PaletteColorsNum", s.PaletteColorsNum, NumberField);
    v("PaletteStart", s.PaletteStart);
    v("PaletteStartNum", s.PaletteStartNum, NumberField);
    v("Halftone", s.Halftone);
    v("PaletteControl", s.PaletteControl);
    v("WindowsColors", s.WindowsColors);
}

template <RecordOf<Quarv> Record, class Visit> void VisitKeys(Record& s, const Visit& v) {
    v("Filename", s.Filename);
    v("Directory", s.Directory);
    v("OutputName", s.OutputName);
    v("OutputBasedOn", s.OutputBasedOn);
    v("OutputType", s.OutputType);
    v("RegularCompressType", s.RegularCompressType);
    v("KeyCompressType", s.KeyCompressType);
    v("NormalRate", s.NormalRate, RateField);
    v("KeyRate", s.KeyRate, RateField);
    v("NormalFilePerc", s.NormalFilePerc, PercentField);
    v("KeyFilePerc", s.KeyFilePerc, PercentField);
    v("NormalFramePerc", s.NormalFramePerc, PercentField);
    v("KeyFramePerc", s.KeyFramePerc, PercentField);
    v("NormalErrorPerc", s.NormalErrorPerc, PercentField);
    v("KeyErrorPerc", s.KeyErrorPerc, PercentField);
    v("AutoKeyFrame", s.AutoKeyFrame, PercentField);
    v("Filter", s.Filter);
    v("YScale", s.YScale);
    v("CurrentTab", s.CurrentTab);
    v("KeyFrames", s.KeyFrames);
    v("Start", s.Start);
    v("End", s.End);
    v("Ring", s.Ring);
    v("EveryOther", s.EveryOther);
    v("Overwrite", s.Overwrite);
    v("KeyFramesNum", s.KeyFramesNum, NumberField);
    v("StartNum", s.StartNum, NumberField);
    v("EndNum", s.EndNum, NumberField);
    v("FrameRate", s.FrameRate);
    v("FrameRateNum", s.FrameRateNum, NumberField);
    v("AdjustFrameRate", s.AdjustFrameRate);
    v("AdjustFrameRateNum", s.AdjustFrameRateNum, NumberField);
    v("MixOriginal", s.MixOriginal);
    v("X", s.X);
    v("XNum", s.XNum, NumberField);
    v("Y", s.Y);
    v("YNum", s.YNum, NumberField);
    v("W", s.W);
    v("WNum", s.WNum, NumberField);
    v("H", s.H);
    v("HNum", s.HNum, NumberField);
    VisitPaletteKeys(s, v);
    v("NoSound", s.NoSound);
    v("LossySound", s.LossySound);
    v("Rate", s.Rate);
    v("Quality", s.Quality);
    v("Channels", s.Channels);
}

template <RecordOf<QuarvMix> Record, class Visit> void VisitKeys(Record& s, const Visit& v) {
    v("QuarvFilename", s.QuarvFilename);
    v("QuarvDirectory", s.QuarvDirectory);
    v("QuarvFilter", s.QuarvFilter);
    v("WaveFilename", s.WaveFilename);
    v("WaveDirectory", s.WaveDirectory);
    v("WaveFilter", s.WaveFilter);
    v("OutputName", s.OutputName);
    v("OutputBasedOn", s.OutputBasedOn);
    v("Lossy", s.Lossy);
    v("Track", s.Track);
    v("Format", s.Format);
    v("FrameRate", s.FrameRate);
    v("FrameRateNum", s.FrameRateNum, NumberField);
    v("Start", s.Start);
    v("StartNum", s.StartNum, NumberField);
    v("Loop", s.Loop);
    v("Overwrite", s.Overwrite);
    v("SkipIntoNum", s.SkipIntoNum, NumberField);
    v("CurrentTab", s.CurrentTab);
    v("InputStart", s.InputStart);
    v("InputStartNum", s.InputStartNum, NumberField);
    v("InputEnd", s.InputEnd);
    v("InputEndNum", s.InputEndNum, NumberField);
    v("InputTrack", s.InputTrack);
    v("InputTrackNum", s.InputTrackNum, NumberField);
    v("ForceRate", s.ForceRate, NumberField);
    v("Rate", s.Rate);
    v("Quality", s.Quality);
    v("Channels", s.Channels);
}

template <RecordOf<QuarvPlay> Record, class Visit> void VisitKeys(Record& s, const Visit& v) {
    v("Filename", s.Filename);
    v("Directory", s.Directory);
    v("Filter", s.Filter);
    v("Display", s.Display);
    v("Use", s.Use);
    v("Tracks", s.Tracks);
    v("DisabledControls", s.DisabledControls);
    v("YScale", s.YScale);
    v("CurrentTab", s.CurrentTab);
    v("Style", s.Style);
    v("NoRemap", s.NoRemap);
    v("Loop", s.Loop);
    v("LoopNum", s.LoopNum, NumberField);
    v("FrameRate", s.FrameRate);
    v("FrameRateNum", s.FrameRateNum, NumberField);
    v("Preload", s.Preload);
    v("ShowSummary", s.ShowSummary);
    v("NoFrameDrop", s.NoFrameDrop);
    v("X", s.X);
    v("XNum", s.XNum, NumberField);
    v("Y", s.Y);
    v("YNum", s.YNum, NumberField);
    v("W", s.W);
    v("WNum", s.WNum, NumberField);
    v("H", s.H);
    v("HNum", s.HNum, NumberField);
    v("ShowFrames", s.ShowFrames);
    v("DirectSound", s.DirectSound);
    v("DirectDrawOff", s.DirectDrawOff);
    v("MMXOff", s.MMXOff);
    v("SoundOnly", s.SoundOnly);
    v("DoubleBuffer", s.DoubleBuffer);
    v("NoClear", s.NoClear);
    v("LoadExtra", s.LoadExtra);
    v("NoPause", s.NoPause);
    v("DeltasOnly", s.DeltasOnly);
    v("Simulate", s.Simulate);
    v("SimulateNum", s.SimulateNum, NumberField);
    v("ExtraMem", s.ExtraMem);
    v("ExtraMemNum", s.ExtraMemNum, NumberField);
}

template <RecordOf<QuarvScript> Record, class Visit> void VisitKeys(Record& s, const Visit& v) {
    v("Filename", s.Filename);
    v("Directory", s.Directory);
    v("Filter", s.Filter);
    v("GotoLine", s.GotoLine);
    v("FindText", s.FindText);
}

template <RecordOf<GraphicsProcessor> Record, class Visit>
void VisitKeys(Record& s, const Visit& v) {
    v("Filename", s.Filename);
    v("Directory", s.Directory);
    v("OutputName", s.OutputName);
    v("OutputBasedOn", s.OutputBasedOn);
    v("Filter", s.Filter);
    v("CurrentTab", s.CurrentTab);
    v("OutputType", s.OutputType);
    v("PaletteType", s.PaletteType);
    v("XOffset", s.XOffset);
    v("XOffsetNum", s.XOffsetNum, NumberField);
    v("YOffset", s.YOffset);
    v("YOffsetNum", s.YOffsetNum, NumberField);
    v("Width", s.Width);
    v("WidthNum", s.WidthNum, NumberField);
    v("Height", s.Height);
    v("HeightNum", s.HeightNum, NumberField);
    v("Start", s.Start);
    v("StartNum", s.StartNum, NumberField);
    v("End", s.End);
    v("EndNum", s.EndNum, NumberField);
    v("Overwrite", s.Overwrite);
    v("FrameRate", s.FrameRate);
    v("FrameRateNum", s.FrameRateNum, NumberField);
    v("AdjustFrameRate", s.AdjustFrameRate);
    v("AdjustFrameRateNum", s.AdjustFrameRateNum, NumberField);
    VisitPaletteKeys(s, v);
}

template <RecordOf<SoundProcessor> Record, class Visit> void VisitKeys(Record& s, const Visit& v) {
    v("Filename", s.Filename);
    v("Directory", s.Directory);
    v("OutputName", s.OutputName);
    v("OutputBasedOn", s.OutputBasedOn);
    v("Filter", s.Filter);
    v("Rate", s.Rate);
    v("Quality", s.Quality);
    v("Channels", s.Channels);
    v("InputType", s.InputType);
    v("CurrentTab", s.CurrentTab);
    v("Overwrite", s.Overwrite);
    v("Track", s.Track);
    v("TrackNum", s.TrackNum, NumberField);
    v("Start", s.Start);
    v("StartNum", s.StartNum, NumberField);
    v("End", s.End);
    v("EndNum", s.EndNum, NumberField);
    v("ForceRate", s.ForceRate, NumberField);
    v("SkipBytes", s.SkipBytes, NumberField);
}

// Loads the section records in the order of the file; every record starts from its defaults.
template <class Record>
void LoadSection(const plat::IniFile& file, const char* section, Record& record) {
    record = Record{};
    VisitKeys(record, SectionReader(file, section));
}

std::string DefaultProgramDirectory() {
    return plat::ProgramPath(plat::ExecutableDirectory());
}

// The stored command directory becomes current once, so that it is spelled the way the file
// system reports it; a directory that is gone gives the working directory of the start-up.
std::string ValidCommandDirectory(const plat::IniFile& file) {
    const std::string before = plat::GetCurrentDir();
    std::string directory = file.ReadString("QuarvCommand", "Directory", before);
    directory = plat::SetCurrentDir(directory) ? plat::GetCurrentDir() : before;
    plat::SetCurrentDir(before);
    return directory;
}

} // namespace

std::string SettingsFileFromCandidate(const std::string& candidate) {
    if (candidate.empty()) return DefaultSettingsFileName;
    if (plat::ExtractFileExt(candidate).empty()) return candidate + ".INI";
    return candidate;
}

void LoadNumberedList(const plat::IniFile& file, const std::string& section, int highestIndex,
                      const std::string& prefix, TextList& list) {
    list.clear();
    for (int index = 0; index <= highestIndex; ++index) {
        std::string entry =
            TrimBlanks(file.ReadString(section, prefix + std::to_string(index), ""));
        if (!entry.empty()) list.push_back(std::move(entry));
    }
}

void SaveNumberedList(plat::IniFile& file, const std::string& section, const std::string& prefix,
                      const TextList& list) {
    file.EraseSection(section);
    for (std::size_t index = 0; index < list.size(); ++index)
        file.WriteString(section, prefix + std::to_string(index), StoredText(list[index]));
}

bool LoadSettings(GlobalSettings& settings, const std::string& candidate,
                  const ScreenGeometry& screen) {
    plat::IniFile system("Win.INI");
    system.Load();
    settings.ThousandsSeparator =
        system.ReadString("intl", "sThousand", ",").substr(0, SeparatorLength);

    // A named file that does not hold the settings yet starts from the default file's values and
    // is written at exit.
    settings.SettingsFileName = SettingsFileFromCandidate(candidate);
    plat::IniFile file(settings.SettingsFileName);
    bool readable = file.Load();
    if (file.ReadInteger("QuarvMain", "CurrentTab", ProbeAbsent) == ProbeAbsent &&
        !plat::SameText(settings.SettingsFileName, DefaultSettingsFileName)) {
        file = plat::IniFile(DefaultSettingsFileName);
        readable = file.Load() && readable;
    }

    settings.ProgramDirectory =
        AddBackslash(file.ReadString("QuarvMain", "Directory", DefaultProgramDirectory()));
    QuarvMain& main = settings.Main;
    main.X = file.ReadInteger("QuarvMain", "X", (screen.ScreenWidth - screen.WindowWidth) / 2);
    main.Y = file.ReadInteger("QuarvMain", "Y", (screen.ScreenHeight - screen.WindowHeight) / 2);
    main.CurrentTab = file.ReadInteger("QuarvMain", "CurrentTab", 0);
    main.ShowHints = file.ReadInteger("QuarvMain", "ShowHints", 1) != 0;

    LoadSection(file, "Quarv", settings.Quarv);
    LoadNumberedList(file, "QuarvFrameSpecific", FrameSpecificHighestIndex, "Frame",
                     settings.FrameSpecificLines);
    LoadSection(file, "QuarvMix", settings.Mix);
    LoadSection(file, "QuarvPlay", settings.Play);
    LoadSection(file, "QuarvScript", settings.Script);
    settings.ScriptRun = ScriptRunState{};
    LoadSection(file, "GraphicsProcessor", settings.Graphics);
    LoadSection(file, "SoundProcessor", settings.Sound);

    settings.CommandDirectory = ValidCommandDirectory(file);

    LoadNumberedList(file, "QuarvRecentCommands", RecentHighestIndex, "Recall",
                     settings.RecentCommands);
    LoadNumberedList(file, "QuarvRecentFiles", RecentHighestIndex, "File", settings.RecentFiles);
    LoadNumberedList(file, "QuarvRecentDirs", RecentHighestIndex, "Dir",
                     settings.RecentDirectories);
    return readable;
}

bool SaveSettings(const GlobalSettings& settings) {
    // Only our own keys change: comments, unknown keys and sections of the file stay. A file we
    // cannot read back is left alone rather than replaced by our keys alone.
    plat::IniFile file(settings.SettingsFileName);
    if (!file.Load()) return false;

    const SectionWriter main(file, "QuarvMain");
    main("X", settings.Main.X);
    main("Y", settings.Main.Y);
    main("CurrentTab", settings.Main.CurrentTab);
    VisitKeys(settings.Quarv, SectionWriter(file, "Quarv"));
    SaveNumberedList(file, "QuarvFrameSpecific", "Frame", settings.FrameSpecificLines);
    VisitKeys(settings.Mix, SectionWriter(file, "QuarvMix"));
    VisitKeys(settings.Play, SectionWriter(file, "QuarvPlay"));
    VisitKeys(settings.Script, SectionWriter(file, "QuarvScript"));
    VisitKeys(settings.Graphics, SectionWriter(file, "GraphicsProcessor"));
    VisitKeys(settings.Sound, SectionWriter(file, "SoundProcessor"));
    SectionWriter(file, "QuarvCommand")("Directory", settings.CommandDirectory);
    SaveNumberedList(file, "QuarvRecentCommands", "Recall", settings.RecentCommands);
    SaveNumberedList(file, "QuarvRecentFiles", "File", settings.RecentFiles);
    SaveNumberedList(file, "QuarvRecentDirs", "Dir", settings.RecentDirectories);
    return file.Save();
}

std::string SettingsWriteErrorText(const GlobalSettings& settings) {
    return "Unable to write to " + settings.SettingsFileName;
}

} // namespace qv
