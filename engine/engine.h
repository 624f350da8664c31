#pragma once
// The command engine: one object holding everything that running a command line needs (the
// settings with the command directory and the recent lists, the history, the interpreter's own
// state) and the operations that run lines. The program owns one Engine for its whole run; tests
// make a fresh one each.
//
// Every command the program runs goes through RunCommand: lines typed on the Command tab, batch
// lines, tool lines built by the tabs and the file menus' commands.
#include <cstdint>
#include <string>

#include "engine/history.h"
#include "engine/settings.h"
#include "engine/ui.h"
#include "platform/report.h"

namespace qv {

// One row of the tool catalogue: the words a line may start with and the executable they start.
struct ToolAlias {
    const char* const* words; // null-terminated list of lower-case words
    const char* executable;
};
// Rows are tried from the top; the first match wins. Ends with a row whose words is null.
extern const ToolAlias ToolAliasTable[];

class Engine {
public:
    // Without a user interface the engine answers every question with Cancel/No and shows
    // nothing (see SetUserInterface).
    explicit Engine(UserInterface* ui = nullptr);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    UserInterface& ui() { return *ui_; }
    void SetUserInterface(UserInterface* ui); // null restores the quiet default

    // --- State. The command directory and the recent lists live in settings.
    GlobalSettings settings;
    CommandHistory history;
    // The process working directory as it was when the running RunCommand began.
    std::string SavedProcessDirectory;
    // The window whose handle tool command lines carry.
    plat::WindowHandle NotifyWindow = 0;
    // A batch line is running: no recent-commands entry, and tool lines get the second marker.
    bool InsideBatch = false;
    // Set by the Command tab's run button around its RunCommand: tool lines get the second marker.
    bool FromCommandTab = false;
    // The command directory left behind on the pickers' drive by a drive change; " " for none.
    std::string ReturnDirectory = " ";
    // The parameter text of the batch file now running; empty outside any batch.
    std::string BatchParameters;

    // --- Running lines.
    // Runs one command line in a working directory (empty: the command directory). True when the
    // line started a tool that will report back to NotifyWindow.
    bool RunCommand(const std::string& workingDirectory, const std::string& commandLine);
    // Carries out a built-in command or plays a batch file and returns false; returns true, having
    // done nothing, when the line is for an external program.
    bool DispatchCommand(const std::string& line);
    // Turns a line whose first word is a tool word into the tool command line (true); otherwise
    // leaves it alone (false).
    bool ResolveToolName(std::string& line) const;
    // %1 to %9 of the line replaced by the words of BatchParameters.
    std::string SubstituteParameters(const std::string& line) const;

    // --- Built-in commands used on their own by other parts of the program.
    void ChangeDirectory(const std::string& directory);
    void ListDirectory(const std::string& argument);
    void SaveHistory(const std::string& argument);

    // --- History and recent lists.
    void ShowPrompt() { history.ShowPrompt(settings.CommandDirectory); }
    void AppendToLastLine(const std::string& text) { history.AppendToLastLine(text); }
    void AddLine(const std::string& line) { history.AddLine(line); }
    // A name without a directory part is taken to lie in the command directory.
    void AddRecentFile(const std::string& fileName);
    // Thousands grouping with the program's ThousandsSeparator.
    std::string FormatThousands(int64_t value) const;

    // Adds "  " + text to the history and, unless the Command tab is shown, also shows
    // "Error, " + text in an error box.
    void ReportFileError(const std::string& text);

private:
    UserInterface* ui_;
};

// True when the name can be made the working directory (the working directory is unchanged
// afterwards).
bool IsDirectory(const std::string& name);

} // namespace qv
