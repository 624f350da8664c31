#pragma once
// The narrow road from the command engine to the windows. The engine never sees a widget: it asks
// its questions, shows its messages and opens the program's windows through this interface, which
// the main window implements with the real dialogs and tests implement with a scripted fake.
//
// Every call runs on the user-interface thread and, for the dialogs and windows, returns only when
// the modal window has closed.
#include <string>
#include <vector>

namespace qv {

class Engine;

// Result codes of the message box: the button that closed it, or none.
enum DialogResult : int {
    drNone = 0, // closed without a button (close box, Esc where there is no Cancel)
    drFirst = 1,
    drSecond = 2,
    drThird = 3,
};
// Default-button codes: which button has the focus when the box opens (other values: the first).
enum DefaultButton : int {
    dbFirst = 1,
    dbSecond = 2,
    dbThird = 3,
};

// Values for TabRequest, served by the main window's request timer.
constexpr int kTabRequestIdle = -1;
constexpr int kTabRequestMain = 0; // 0 to 7 select that tab
constexpr int kTabRequestExit = 32;
constexpr int kTabRequestRefresh = 64;
constexpr int kTabRequestHelp = 128;

// Outcome of one copy through the copy window.
enum class CopyOutcome : int {
    Failed = 0,
    Copied = 1,
    Cancelled = 2,
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // --- Questions and messages (all modal; the message box carries the main window's caption).
    // Question icon, the two captions and "&Cancel"; returns a DialogResult.
    virtual int AskChoice(const std::string& message, const std::string& first,
                          const std::string& second, int defaultButton) = 0;
    // Question icon, "&Yes", "&No", "&Cancel"; returns a DialogResult.
    virtual int AskYesNoCancel(const std::string& message, int defaultButton) = 0;
    // Question icon, "&Yes", "&No"; true only for "&Yes".
    virtual bool AskYesNo(const std::string& message, int defaultButton) = 0;
    virtual void ShowInfo(const std::string& message) = 0;
    virtual void ShowError(const std::string& message) = 0;
    // One line of text. `text` holds the initial text and receives the edited text whichever
    // button closed the prompt; the result says whether it was the OK button. The prompt's help
    // topic is in force while it is open.
    virtual bool AskText(const std::string& caption, const std::string& label,
                         const std::string& okCaption, int helpTopic, std::string& text) = 0;
    // One entry of a list, none preselected; empty when nothing was chosen.
    virtual std::string ChooseFromList(const std::string& caption, const std::string& groupCaption,
                                       const std::vector<std::string>& entries, int helpTopic) = 0;

    // --- State of the windows.
    virtual bool IsShiftDown() = 0;
    // The hourglass while a command runs; off puts the normal cursor back. Turning it on also
    // repaints the main window, so that the user sees the click was taken.
    virtual void SetBusyCursor(bool busy) = 0;
    // Whether the Command tab is the page being shown (file commands then skip their error boxes).
    virtual bool IsCommandTabShown() = 0;
    // Stores a request for the main window's timer (kTabRequest... or a tab index 0 to 7).
    virtual void SetTabRequest(int request) = 0;
    // Lets the event loop run what is pending; long loops call it between steps.
    virtual void ProcessPendingEvents() = 0;

    // --- Windows that commands open.
    // Text editor on a file; an empty name opens a new file.
    virtual void OpenTextEditor(const std::string& fileName) = 0;
    virtual void OpenListEditor(const std::string& fileName) = 0;
    // The analysis window on a video file: creates it when needed and shows it on success; on
    // failure the window reports why and goes away. True when the file could be shown.
    virtual bool OpenAnalysis(const std::string& fileName) = 0;
    // The file finder in command mode: searches for `pattern` (an absolute, lower-case name,
    // wildcards allowed in its file-name part) and writes every match into engine.history.
    virtual void FindFiles(Engine& engine, const std::string& pattern) = 0;
    // Plays one batch file in the batch runner window and returns when it has finished or was
    // cancelled. `fileName` is the name as resolved (ProgramDirectory in front when found there).
    // The runner does its engine-side work with qv::BatchRun (engine/batch.h).
    virtual void RunBatchFile(Engine& engine, const std::string& fileName,
                              const std::string& parameters) = 0;
    // Copies one file with the progress window. Both names are expanded to full lower-case names
    // and written back, so that the caller prints the names that were used.
    virtual CopyOutcome CopyWithProgress(std::string& source, std::string& target) = 0;
    // Opens the help at the current help topic.
    virtual void ShowContextHelp() = 0;
};

} // namespace qv
