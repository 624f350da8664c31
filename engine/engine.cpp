#include "engine/engine.h"

#include <cctype>

#include "engine/textutil.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace qv {

namespace {

const char* const kCompressorWords[] = {"quarvc", "quarvcw", nullptr};
const char* const kMixerWords[] = {"quarvmix", "quarvmiw", nullptr};
const char* const kPlayerWords[] = {"quarvply", "quarvplw", nullptr};
const char* const kScriptWords[] = {"quarvscr", "quarvscw", nullptr};
const char* const kGraphicsWords[] = {"toanim",   "toanimw", "toanimw6",
                                      "imgprocw", "imgproc", nullptr};
const char* const kSoundWords[] = {"tosnd", "tosndw", "audprocw", "audproc", nullptr};
const char* const kInfoWords[] = {"qrvinfo", "qrvinfow", "mmstat", "mmstatw", nullptr};
const char* const kSystemInfoWords[] = {"kybsi", "rodudu", nullptr};
const char* const kFrameRateWords[] = {"quarvfr", "quarvfrw", nullptr};
const char* const kMakerWords[] = {"qrvcompi", nullptr};

// Used while no window is attached (tools, tests that need no questions): every question is
// cancelled and nothing is shown.
class QuietUserInterface : public UserInterface {
public:
    int AskChoice(const std::string&, const std::string&, const std::string&, int) override {
        return drThird;
    }
    int AskYesNoCancel(const std::string&, int) override { return drThird; }
    bool AskYesNo(const std::string&, int) override { return false; }
    void ShowInfo(const std::string&) override {}
    void ShowError(const std::string&) override {}
    bool AskText(const std::string&, const std::string&, const std::string&, int,
                 std::string&) override {
        return false;
    }
    std::string ChooseFromList(const std::string&, const std::string&,
                               const std::vector<std::string>&, int) override {
        return {};
    }
    bool IsShiftDown() override { return false; }
    void SetBusyCursor(bool) override {}
    bool IsCommandTabShown() override { return true; }
    void SetTabRequest(int) override {}
    void ProcessPendingEvents() override {}
    void OpenTextEditor(const std::string&) override {}
    void OpenListEditor(const std::string&) override {}
    bool OpenAnalysis(const std::string&) override { return false; }
    void FindFiles(Engine&, const std::string&) override {}
    void RunBatchFile(Engine&, const std::string&, const std::string&) override {}
    CopyOutcome CopyWithProgress(std::string&, std::string&) override {
        return CopyOutcome::Failed;
    }
    void ShowContextHelp() override {}
};

QuietUserInterface quietUserInterface;

// The busy cursor for the length of one command, whatever way the command ends.
class BusyCursor {
public:
    explicit BusyCursor(UserInterface& ui) : ui_(ui) { ui_.SetBusyCursor(true); }
    ~BusyCursor() { ui_.SetBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    UserInterface& ui_;
};

bool HasDirectoryPart(const std::string& name) {
    return name.find_first_of("\\:/") != std::string::npos;
}

// The interpreter's directory-change lines: they can still run when the command directory has
// gone, and they are the way out of that state.
bool IsDirectoryChangeLine(const std::string& line) {
    std::string t = !line.empty() && line[0] == '@' ? line.substr(1) : line;
    const std::string prefix = plat::ToLower(t.substr(0, 3));
    if (prefix == "cd " || prefix == "cd\\" || prefix == "cd.") return true;
    if (t.size() == 2 && t[1] == ':') return true;
    return plat::ToLower(SplitFirstWord(t).word) == "chdir";
}

} // namespace

const ToolAlias ToolAliasTable[] = {
    {kCompressorWords, "QuarvC"}, {kMixerWords, "QuarvMix"},    {kPlayerWords, "QuarvPlW"},
    {kScriptWords, "QuarvScW"},   {kGraphicsWords, "ImgProc"},  {kSoundWords, "AudProc"},
    {kInfoWords, "QrvInfo"},      {kSystemInfoWords, "RodUDU"}, {kFrameRateWords, "QuarvFR"},
    {kMakerWords, "QrvCompi"},    {nullptr, nullptr},
};

Engine::Engine(UserInterface* ui) : ui_(ui ? ui : &quietUserInterface) {}

void Engine::SetUserInterface(UserInterface* ui) {
    ui_ = ui ? ui : &quietUserInterface;
}

bool Engine::RunCommand(const std::string& workingDirectory, const std::string& commandLine) {
    bool reportFollows = false;
    BusyCursor busy(*ui_);
    try {
        std::string line = TrimBlanks(SubstituteParameters(commandLine));
        if (ui_->IsShiftDown())
            line = "Rem " + line; // recorded, not run: lets a user skip lines of a running batch
        // Kept here as well: a batch played by this line runs RunCommand again, which replaces
        // the shared value with the command directory.
        const std::string savedHere = plat::GetCurrentDir();
        SavedProcessDirectory = savedHere;
        if (!workingDirectory.empty() &&
            !plat::SameText(workingDirectory, settings.CommandDirectory)) {
            DispatchCommand("CD " + workingDirectory);
            ShowPrompt();
        }
        const bool inCommandDirectory = plat::SetCurrentDir(settings.CommandDirectory);
        if (!InsideBatch) AddRecentItem(settings.RecentCommands, line);
        if (!inCommandDirectory && !IsDirectoryChangeLine(line)) {
            // Relative names would otherwise act on whatever directory a picker left behind.
            AppendToLastLine(line);
            AddLine("  Directory not found: " + settings.CommandDirectory);
        } else if (DispatchCommand(line)) {
            AppendToLastLine(line);
            if (ResolveToolName(line)) reportFollows = true;
            if (!plat::StartProcess(line, settings.CommandDirectory))
                AddLine("  Command not found.");
        }
        ShowPrompt();
        SavedProcessDirectory = savedHere;
        plat::SetCurrentDir(SavedProcessDirectory);
    } catch (...) {
        // An unexpected failure ends the command quietly; the cursor and error state still reset.
    }
    plat::ClearLastError();
    return reportFollows;
}

bool Engine::ResolveToolName(std::string& line) const {
    const FirstWord split = SplitFirstWord(line);
    std::string word = split.word;
    const std::size_t cut = word.find_last_of("\\:/");
    if (cut != std::string::npos) word.erase(0, cut + 1);
    // Only the lower-case extension is dropped; "QuarvC.EXE" is started as written.
    if (word.size() >= 4 && word.compare(word.size() - 4, 4, ".exe") == 0)
        word.resize(word.size() - 4);
    word = plat::ToLower(word);

    const char* executable = nullptr;
    for (const ToolAlias* row = ToolAliasTable; row->words && !executable; ++row) {
        for (const char* const* w = row->words; *w; ++w) {
            if (word == *w) {
                executable = row->executable;
                break;
            }
        }
    }
    if (!executable) return false;

    std::string program;
    if (!plat::SameText(AddBackslash(settings.CommandDirectory), settings.ProgramDirectory))
        program = settings.ProgramDirectory;
    program += executable;
    // A program directory with blanks in it would otherwise split into several words.
    if (program.find(' ') != std::string::npos) program = "\"" + program + "\"";
    line = program + " " + split.rest + " /#" + std::to_string(NotifyWindow);
    if (InsideBatch || FromCommandTab) line += "/#";
    return true;
}

std::string Engine::SubstituteParameters(const std::string& line) const {
    return qv::SubstituteParameters(line, BatchParameters);
}

void Engine::AddRecentFile(const std::string& fileName) {
    std::string name = fileName;
    if (!HasDirectoryPart(name)) name = AddBackslash(settings.CommandDirectory) + name;
    AddRecentItem(settings.RecentFiles, plat::ToLower(name));
}

std::string Engine::FormatThousands(int64_t value) const {
    return qv::FormatThousands(value, settings.ThousandsSeparator);
}

void Engine::ReportFileError(const std::string& text) {
    AddLine("  " + text);
    if (!ui_->IsCommandTabShown()) ui_->ShowError("Error, " + text);
}

bool IsDirectory(const std::string& name) {
    if (name.empty()) return false;
    const std::string saved = plat::GetCurrentDir();
    const bool ok = plat::SetCurrentDir(name);
    plat::SetCurrentDir(saved);
    plat::ClearLastError();
    return ok;
}

} // namespace qv
