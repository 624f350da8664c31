// The command interpreter: the built-in command words, directory change and listing, saving the
// history, and the batch-file rule.
#include <cctype>

#include "engine/engine.h"
#include "engine/filecmds.h"
#include "engine/textutil.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace qv {

namespace {

// Upper-case drive letter of a directory text; 0 for an empty text, so that an empty text never
// matches a real directory.
char DriveOf(const std::string& directory) {
    return directory.empty()
               ? 0
               : static_cast<char>(std::toupper(static_cast<unsigned char>(directory[0])));
}

bool IsOneOf(const std::string& word, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (word == w) return true;
    return false;
}

// Long listings let the box catch up every this many entries.
constexpr int kListingBatch = 11;

} // namespace

bool Engine::DispatchCommand(const std::string& line) {
    const std::string t = !line.empty() && line[0] == '@' ? line.substr(1) : line;
    if (TrimBlanks(t).empty()) return false; // nothing to run

    const std::string prefix = plat::ToLower(t.substr(0, 3));
    const bool prefixForm =
        prefix.size() == 3 && (prefix[2] == ' ' || prefix[2] == '\\' || prefix[2] == '.');
    if (prefixForm) {
        const std::string argument = TrimBlanks(t.substr(2, kMaxRestLength));
        const std::string command = prefix.substr(0, 2);
        if (command == "cd") {
            ChangeDirectory(argument);
            return false;
        }
        if (command == "md") {
            MakeDirCommand(*this, argument);
            return false;
        }
        if (command == "rd") {
            RemoveDirCommand(*this, argument);
            return false;
        }
    }
    if (t.size() == 2 && t[1] == ':') {
        ChangeDirectory(t);
        return false;
    }

    const FirstWord split = SplitFirstWord(t);
    const std::string word = plat::ToLower(split.word);
    const std::string& rest = split.rest;
    auto echo = [&] { AppendToLastLine(line); };

    if (word == "chdir") {
        ChangeDirectory(rest);
    } else if (word == "mkdir") {
        MakeDirCommand(*this, rest);
    } else if (word == "rmdir") {
        RemoveDirCommand(*this, rest);
    } else if (word == "dir") {
        ListDirectory(rest);
    } else if (IsOneOf(word, {"del", "erase", "delete"})) {
        DeleteCommand(*this, rest);
    } else if (word == "qrvtune") {
        echo();
        ui().OpenAnalysis(StripQuotes(rest));
    } else if (word == "help") {
        echo();
        ui().ShowContextHelp();
    } else if (word == "edit") {
        echo();
        ui().OpenTextEditor(StripQuotes(rest));
    } else if (word == "listedit") {
        echo();
        ui().OpenListEditor(StripQuotes(rest));
    } else if (IsOneOf(word, {"type", "display"})) {
        echo();
        TypeCommand(*this, rest);
    } else if (IsOneOf(word, {"attr", "attrib"})) {
        echo();
        AttrCommand(*this, rest);
    } else if (IsOneOf(word, {"ren", "rename", "move", "rendir"})) {
        const FirstWord names = SplitFirstWord(rest);
        RenameCommand(*this, names.word, names.rest);
    } else if (word == "copy") {
        const FirstWord names = SplitFirstWord(rest);
        CopyCommand(*this, names.word, names.rest);
    } else if (IsOneOf(word, {"cls", "clear"})) {
        echo();
        history.Clear();
    } else if (IsOneOf(word, {"find", "ff", "wh", "filefind", "whereis"})) {
        echo();
        ui().FindFiles(*this, plat::ToLower(plat::FullPath(StripQuotes(rest))));
    } else if (word == "exit") {
        AppendToLastLine("Exit");
        // The main window closes once this command has finished; its close query may refuse.
        ui().SetTabRequest(kTabRequestExit);
    } else if (word == "savehist") {
        echo();
        SaveHistory(rest);
    } else if (IsOneOf(word, {"rem", "echo"})) {
        echo();
    } else {
        // The batch-file rule; anything else is for an external program.
        std::string batch = StripQuotes(word);
        if (batch.find_first_of("*?") != std::string::npos) return true;
        if (plat::ExtractFileExt(batch).empty()) batch += ".qbt";
        if (plat::ExtractFileExt(batch) != ".qbt") return true;
        if (!plat::FileExists(batch)) {
            if (batch.find_first_of("\\:/") != std::string::npos) return true;
            batch = settings.ProgramDirectory + batch;
            if (!plat::FileExists(batch)) return true;
        }
        ui().RunBatchFile(*this, batch, rest);
    }
    return false;
}

void Engine::ChangeDirectory(const std::string& directory) {
    const std::string a = StripQuotes(directory);
    if (a.empty()) return;
    std::string& commandDirectory = settings.CommandDirectory;
    if (plat::SameText(AddBackslash(a), AddBackslash(commandDirectory))) return;

    plat::SetCurrentDir(commandDirectory); // a relative name is read from the command directory
    bool failed = false;
    std::string now;
    for (;;) {
        failed = !plat::SetCurrentDir(RemoveBackslash(a));
        now = plat::GetCurrentDir();
        // Back on the pickers' drive: return to where the command engine was on it, not to the
        // directory a picker left as that drive's current directory.
        const char savedDrive = DriveOf(SavedProcessDirectory);
        if (savedDrive == DriveOf(ReturnDirectory) && savedDrive == DriveOf(now)) {
            plat::SetCurrentDir(ReturnDirectory);
            ReturnDirectory = " ";
            continue;
        }
        break;
    }
    if (DriveOf(SavedProcessDirectory) != DriveOf(now) &&
        DriveOf(SavedProcessDirectory) == DriveOf(commandDirectory))
        ReturnDirectory = commandDirectory;
    commandDirectory = now;
    AppendToLastLine("CD " + a);
    if (failed)
        AddLine("  Directory not found.");
    else
        AddRecentItem(settings.RecentDirectories, commandDirectory);
}

void Engine::ListDirectory(const std::string& argument) {
    std::string pattern = StripQuotes(argument);
    if (pattern.empty() || IsDirectory(pattern)) pattern = AddBackslash(pattern) + "*.*";
    AppendToLastLine("Dir " + pattern);

    HistoryUpdateLock lock(history);
    const auto entries =
        plat::FindFiles(pattern, plat::faReadOnly | plat::faHidden | plat::faDirectory);
    if (entries.empty()) {
        AddLine("  No files found.");
        return;
    }
    // 64-bit, so that a directory of more than 2 GB does not list a negative total.
    int64_t byteTotal = 0;
    int64_t count = 0;
    for (const auto& entry : entries) {
        std::string size;
        if (entry.attr & plat::faDirectory) {
            size = "       <DIR>";
        } else {
            size = PadText(FormatThousands(static_cast<int64_t>(entry.size)), 12, true);
            byteTotal += static_cast<int64_t>(entry.size);
        }
        ++count;
        std::string text = "    " + PadText(entry.name, 12, false) + "  " + size + "  " +
                           AttributeText(entry.attr);
        std::string when;
        if (FormatFileDateTime(entry.time.seconds, when)) text += "  " + when;
        AddLine(text);
        if (count % kListingBatch == 0) {
            history.ResumeUpdates();
            history.TrimHistory();
            history.SuspendUpdates();
        }
    }
    int64_t freeBytes = -1;
    const char drive = DriveOf(settings.CommandDirectory);
    if (drive != 0) {
        if (auto space = plat::GetDiskSpace(std::string(1, drive) + ":"))
            freeBytes = static_cast<int64_t>(space->free);
    }
    AddLine("  " + FormatThousands(byteTotal) + " bytes in " + FormatThousands(count) +
            " file(s).  " + FormatThousands(freeBytes) + " bytes free.");
}

void Engine::SaveHistory(const std::string& argument) {
    std::string name = StripQuotes(argument);
    if (plat::ExtractFileExt(name).empty()) name += ".txt";
    if (plat::WriteWholeFile(name, history.Text()))
        AddLine("  History saved to " + name);
    else
        AddLine("  Error saving to " + name);
}

} // namespace qv
