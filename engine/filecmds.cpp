// The built-in file commands. Their messages are the program's record of what happened to the
// user's files, so every line says exactly which name was acted on.
#include "engine/filecmds.h"

#include <cstdint>

#include "engine/engine.h"
#include "engine/textutil.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/walk.h"

namespace qv {

namespace {

// Long outputs let the history box catch up every this many lines.
constexpr int kHistoryBatch = 11;
// Type breaks longer lines into pieces of this length.
constexpr std::size_t kLongestTypedLine = 65536;

// One file a command acts on, with the size its search reported.
struct Candidate {
    std::string name;
    int64_t size = 0;
};

// The files a wildcard name finds, each as the name's directory part + the found name. Ordinary
// files (read-only and archive included) are always found; `attributes` adds hidden or system
// ones. Directories are never candidates.
std::vector<Candidate> FindCandidates(const std::string& pattern, uint32_t attributes,
                                      bool lowerCase) {
    const std::string directory = AddBackslash(plat::ExtractFileDir(pattern));
    std::vector<Candidate> found;
    for (const auto& entry : plat::FindFiles(pattern, attributes & ~plat::faDirectory)) {
        if (entry.attr & plat::faDirectory) continue;
        std::string name = directory + entry.name;
        found.push_back({lowerCase ? plat::ToLower(name) : name, static_cast<int64_t>(entry.size)});
    }
    return found;
}

// What Del, Ren and Copy act on: a name without wildcards is the one candidate itself.
std::vector<Candidate> Candidates(const std::string& name, bool lowerCase) {
    if (HasWildcards(name)) return FindCandidates(name, 0, lowerCase);
    return {{lowerCase ? plat::ToLower(name) : name, 0}};
}

// The wildcard rule of ApplyNamePattern for one part (base name or extension).
std::string FillWildcards(std::string pattern, const std::string& source) {
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] == '?') {
            if (i < source.size()) {
                pattern[i] = source[i];
                ++i;
            } else {
                pattern.erase(i, 1); // nothing to take: the "?" goes and the scan stays here
            }
        } else if (pattern[i] == '*') {
            return pattern.substr(0, i) + (i < source.size() ? source.substr(i) : std::string());
        } else {
            ++i;
        }
    }
    return pattern;
}

// `directory` without its trailing "\" is `from`, or lies inside it: the leading part becomes
// `to`. A trailing "\" is kept as it was.
bool FollowRename(std::string& directory, const std::string& from, const std::string& to) {
    if (directory.empty() || directory == " ") return false;
    const std::string current = RemoveBackslash(directory);
    const bool trailing = current.size() < directory.size();
    std::string moved;
    if (plat::SameText(current, from))
        moved = to;
    else if (current.size() > from.size() && current[from.size()] == '\\' &&
             plat::SameText(current.substr(0, from.size()), from))
        moved = to + current.substr(from.size());
    else
        return false;
    directory = trailing ? AddBackslash(moved) : moved;
    return true;
}

// Names here differ by case: the upper-case spelling is taken only where it still leads to the
// same directory, so that the next command cannot act on a neighbour that differs only by case.
void UpperCaseCommandDirectory(Engine& engine) {
    std::string& directory = engine.settings.CommandDirectory;
    std::string upper = directory;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (upper == directory) return;
    const auto now = plat::GetFileId(directory);
    if (!now || now == plat::GetFileId(upper)) directory = upper;
    plat::ClearLastError();
}

// The echo of MD and RD, or their complaint about a missing name (false).
bool EchoDirectoryCommand(Engine& engine, const std::string& word, const std::string& args) {
    if (args.empty()) {
        engine.AppendToLastLine(word + " - error, no directory name given.");
        return false;
    }
    engine.AppendToLastLine(word + " " + args);
    return true;
}

// MD and RD word their box in lower case, unlike ReportFileError.
void ReportDirectoryError(Engine& engine, const std::string& what) {
    engine.AddLine("  Could not " + what);
    if (!engine.ui().IsCommandTabShown()) engine.ui().ShowError("Error, could not " + what);
}

// The target of an existing directory given as output: each file keeps its name in there.
std::string IntoDirectory(const std::string& directory) {
    return AddBackslash(RemoveBackslash(directory)) + "*.*";
}

} // namespace

bool HasWildcards(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

std::string ApplyNamePattern(const std::string& pattern, const std::string& source) {
    const std::string patternName = plat::ExtractFileName(pattern);
    const std::string sourceName = plat::ExtractFileName(source);
    const std::string patternExt = plat::ExtractFileExt(patternName);
    const std::string sourceExt = plat::ExtractFileExt(sourceName);
    const std::string patternBase = patternName.substr(0, patternName.size() - patternExt.size());
    const std::string sourceBase = sourceName.substr(0, sourceName.size() - sourceExt.size());
    std::string ext = FillWildcards(patternExt, sourceExt);
    // "*.*" on a name without extension leaves a lone dot, which names a different file here.
    if (ext == ".") ext.clear();
    return AddBackslash(plat::ExtractFileDir(pattern)) + FillWildcards(patternBase, sourceBase) +
           ext;
}

std::string DisplayName(const Engine& engine, const std::string& name) {
    const std::string directory = plat::ExtractFileDir(name);
    if (!directory.empty() && plat::SameText(RemoveBackslash(directory),
                                             RemoveBackslash(engine.settings.CommandDirectory)))
        return plat::ExtractFileName(name);
    return name;
}

std::vector<std::string*> RememberedDirectories(Engine& engine, std::string& workingDirectory,
                                                bool forRename) {
    GlobalSettings& s = engine.settings;
    std::vector<std::string*> list = {
        &s.Quarv.Directory,  &s.Mix.QuarvDirectory, &s.Mix.WaveDirectory, &s.Play.Directory,
        &s.Script.Directory, &s.Graphics.Directory, &s.Sound.Directory,   &s.CommandDirectory,
        &s.ProgramDirectory, &workingDirectory,
    };
    if (forRename) {
        list.push_back(&engine.ReturnDirectory);
        list.push_back(&engine.SavedProcessDirectory);
    }
    return list;
}

void MakeDirCommand(Engine& engine, const std::string& args) {
    if (!EchoDirectoryCommand(engine, "MD", args)) return;
    const std::string name = StripQuotes(args);
    if (plat::CreateDir(name))
        engine.AddLine("  " + name + " was made.");
    else
        ReportDirectoryError(engine, "make " + name);
    plat::ClearLastError();
}

void RemoveDirCommand(Engine& engine, const std::string& args) {
    if (!EchoDirectoryCommand(engine, "RD", args)) return;
    const std::string name = StripQuotes(args);
    // "rd sub\" names sub: split without the trailing "\".
    const std::string bare = RemoveBackslash(name);
    std::string working = plat::GetCurrentDir();
    const std::string parent =
        plat::ExtractFilePath(bare).empty() ? std::string() : plat::ExtractFileDir(bare);
    const std::string leaf = plat::ExtractFileName(bare);

    // Without its parent the leaf would be read in the working directory: another directory of
    // the same name must not go instead.
    const bool inParent = parent.empty() || plat::SetCurrentDir(parent);
    const std::string parentFull = plat::GetCurrentDir();
    if (!inParent || leaf.empty() || !plat::RemoveDir(leaf)) {
        ReportDirectoryError(engine, "remove " + name);
    } else {
        engine.AddLine("  " + name + " was removed.");
        const std::string removed = AddBackslash(parentFull) + leaf;
        for (std::string* directory : RememberedDirectories(engine, working, false)) {
            if (directory->empty() || !plat::SameText(RemoveBackslash(*directory), removed))
                continue;
            const bool trailing = RemoveBackslash(*directory).size() < directory->size();
            *directory = trailing ? AddBackslash(parentFull) : parentFull;
        }
        UpperCaseCommandDirectory(engine);
    }
    plat::SetCurrentDir(working);
    plat::ClearLastError();
}

void DeleteCommand(Engine& engine, const std::string& args) {
    const std::string name = StripQuotes(args);
    if (name.empty()) {
        engine.AppendToLastLine("Del - error, no file name given.");
        return;
    }
    engine.AppendToLastLine("Del " + name);
    const bool wild = HasWildcards(name);
    const std::vector<Candidate> candidates = Candidates(name, true);

    // 64-bit: a run over more than 2 GB must not report a negative total.
    int64_t count = 0;
    int64_t bytes = 0;
    for (const Candidate& candidate : candidates) {
        const std::string shown = DisplayName(engine, candidate.name);
        const int answer = engine.ui().AskYesNoCancel("Delete the file: " + shown + " ?", dbSecond);
        if (answer == drFirst) {
            if (plat::DeleteFile(candidate.name)) {
                engine.AddLine("  " + shown + " was deleted.");
                ++count;
                bytes += candidate.size;
            } else {
                engine.ReportFileError("Could not delete " + shown);
            }
        } else if (answer != drSecond) {
            break; // Cancel, or the box closed without a button
        }
    }
    if (wild)
        engine.AddLine("  " + engine.FormatThousands(count) + " file(s) deleted.  " +
                       engine.FormatThousands(bytes) + " bytes freed.");
    plat::ClearLastError();
}

void RenameCommand(Engine& engine, const std::string& in, const std::string& out) {
    if (in.empty() || out.empty()) {
        engine.AppendToLastLine("Ren - error, must give input and output names.");
        return;
    }
    engine.AppendToLastLine("Ren " + in + " " + out);
    std::string input = StripQuotes(in);
    std::string output = StripQuotes(out);

    const bool inputIsDirectory = IsDirectory(input);
    if (inputIsDirectory) {
        input = RemoveBackslash(plat::FullPath(input));
    } else {
        input = plat::FullPath(input);
        if (IsDirectory(RemoveBackslash(output))) output = IntoDirectory(output);
    }
    output = IsDirectory(output) ? RemoveBackslash(plat::FullPath(output)) : plat::FullPath(output);

    std::string working = plat::GetCurrentDir();
    // From the parent, a directory that holds the working directory can still get a new name.
    if (inputIsDirectory) plat::SetCurrentDir(plat::ExtractFileDir(input));

    const bool wild = HasWildcards(input);
    const std::vector<Candidate> candidates = Candidates(input, false);
    int64_t count = 0;
    for (const Candidate& candidate : candidates) {
        const std::string target = ApplyNamePattern(output, candidate.name);
        if (!plat::MoveFile(candidate.name, target)) {
            engine.ReportFileError("Could not rename " + candidate.name);
            continue;
        }
        const std::string from = RemoveBackslash(plat::FullPath(candidate.name));
        const std::string to = RemoveBackslash(plat::FullPath(target));
        for (std::string* directory : RememberedDirectories(engine, working, true))
            FollowRename(*directory, from, to);
        UpperCaseCommandDirectory(engine);
        engine.AddLine("  Renamed " + DisplayName(engine, candidate.name) + " to " +
                       DisplayName(engine, target));
        ++count;
    }
    if (wild) engine.AddLine("  " + engine.FormatThousands(count) + " file(s) renamed.");
    plat::SetCurrentDir(working);
    plat::ClearLastError();
}

void AttrCommand(Engine& engine, const std::string& args) {
    // Each switch's first place in this text names its attribute (entry (p - 1) / 3 mod 4 of
    // archive, read-only, hidden, system) and, before position 25, sets it; after, clears it.
    static const std::string kSwitchText = "a+ r+ h+ s+ +a +r +h +s a- r- h- s- -a -r -h -s";
    static const uint32_t kSwitchBits[4] = {plat::faArchive, plat::faReadOnly, plat::faHidden,
                                            plat::faSysFile};
    uint32_t keep = 0x3F;
    uint32_t set = 0;
    std::string fileName;
    bool haveName = false;
    std::string rest = args;
    for (;;) {
        const FirstWord split = SplitFirstWord(rest);
        if (split.word.empty()) break;
        rest = split.rest;
        const std::size_t at = kSwitchText.find(plat::ToLower(split.word));
        if (at != std::string::npos) {
            const std::size_t p = at + 1;
            const uint32_t bit = kSwitchBits[((p - 1) / 3) % 4];
            keep &= ~bit;
            if (p < 25)
                set |= bit;
            else
                set &= ~bit;
        } else if (haveName) {
            engine.ReportFileError("Attribute command error.");
            return;
        } else {
            fileName = split.word;
            haveName = true;
        }
    }
    const std::string name = StripQuotes(fileName);
    if (name.empty()) {
        engine.ReportFileError("Attribute command error.");
        return;
    }

    std::vector<std::string> files;
    if (HasWildcards(name)) {
        for (const Candidate& candidate :
             FindCandidates(name, plat::faHidden | plat::faSysFile, false))
            files.push_back(candidate.name);
        if (files.empty()) {
            engine.AddLine("  No files found.");
            return;
        }
    } else {
        files.push_back(name);
    }
    for (const std::string& file : files) {
        const int old = plat::GetFileAttributes(file);
        if (old < 0) {
            engine.AddLine("  Error changing attributes of " + file);
            continue;
        }
        const uint32_t wanted = (static_cast<uint32_t>(old) & keep) | set;
        // A change that did not take must not read as done.
        if (wanted != static_cast<uint32_t>(old) && !plat::SetFileAttributes(file, wanted)) {
            engine.AddLine("  Error changing attributes of " + file);
            continue;
        }
        const int now = plat::GetFileAttributes(file);
        engine.AddLine("  Attributes from '" + AttributeText(static_cast<uint32_t>(old)) +
                       "' to '" + AttributeText(static_cast<uint32_t>(now < 0 ? old : now)) +
                       "' on " + file);
    }
    plat::ClearLastError();
}

void CopyCommand(Engine& engine, const std::string& in, const std::string& out) {
    const std::string input = StripQuotes(in);
    std::string output = StripQuotes(out);
    if (input.empty()) {
        engine.AppendToLastLine("Copy - error, must give an input name.");
        return;
    }
    engine.AppendToLastLine("Copy " + input + " " + output);
    if (output.empty())
        output = IntoDirectory(engine.settings.CommandDirectory);
    else if (IsDirectory(RemoveBackslash(output)))
        output = IntoDirectory(output);

    const bool wild = HasWildcards(input);
    const std::vector<Candidate> candidates = Candidates(input, true);
    int64_t count = 0;
    int64_t bytes = 0;
    for (const Candidate& candidate : candidates) {
        std::string source = candidate.name;
        std::string target = plat::ToLower(ApplyNamePattern(output, candidate.name));
        const CopyOutcome outcome = engine.ui().CopyWithProgress(source, target);
        if (outcome == CopyOutcome::Copied) {
            ++count;
            bytes += candidate.size;
            engine.AddLine("  Copied " + DisplayName(engine, source) + " to " +
                           DisplayName(engine, target));
        } else if (outcome == CopyOutcome::Cancelled) {
            engine.AddLine("  Copy was cancelled.");
            if (wild) break;
        } else {
            engine.ReportFileError("Could not copy " + source);
        }
    }
    if (wild)
        engine.AddLine("  " + engine.FormatThousands(count) + " file(s) copied.  " +
                       engine.FormatThousands(bytes) + " bytes copied.");
    plat::ClearLastError();
}

void TypeCommand(Engine& engine, const std::string& args) {
    const std::string name = StripQuotes(args);
    plat::File file;
    if (!file.Open(name, plat::File::Mode::Read)) {
        engine.AddLine("  Error displaying the file " + name);
        plat::ClearLastError();
        return;
    }
    HistoryUpdateLock lock(engine.history);
    int added = 0;
    auto addLine = [&](std::string line) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        engine.AddLine(line);
        if (++added % kHistoryBatch == 0) {
            engine.history.ResumeUpdates();
            engine.history.TrimHistory();
            engine.history.SuspendUpdates();
        }
    };
    // Read in blocks so that a large file never has to fit in memory at once.
    std::string pending;
    char buffer[65536];
    for (;;) {
        const int64_t got = file.Read(buffer, sizeof buffer);
        if (got <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(got));
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos;
             start = end + 1)
            addLine(pending.substr(start, end - start));
        pending.erase(0, start);
        // A file without line breaks (a binary one) must not have to fit in memory as one line.
        while (pending.size() >= kLongestTypedLine) {
            addLine(pending.substr(0, kLongestTypedLine));
            pending.erase(0, kLongestTypedLine);
        }
    }
    if (!pending.empty()) addLine(pending);
    engine.history.TrimHistory();
    plat::ClearLastError();
}

} // namespace qv
