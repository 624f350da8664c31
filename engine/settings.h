#pragma once
// GlobalSettings: the in-memory image of the settings file plus the lists and directories that the
// whole program shares. Every part of the program reads and writes its fields directly.
#include <string>
#include <vector>

namespace qv {

using TextList = std::vector<std::string>;

struct GlobalSettings {
    // Run-wide values.
    std::string SettingsFileName = "Quarver.INI";
    std::string ProgramDirectory;   // ends in "\"
    std::string CommandDirectory;   // the command engine's current directory
    std::string ThousandsSeparator = ",";

    TextList RecentCommands;        // newest first, at most 30
    TextList RecentFiles;
    TextList RecentDirectories;
    TextList FrameSpecificLines;

    // One record per settings section follows (QuarvMain, Quarv, QuarvMix, QuarvPlay, QuarvScript,
    // GraphicsProcessor, SoundProcessor).
};

} // namespace qv
