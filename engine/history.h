#pragma once
// CommandHistory: the program's only log, a list of text lines made of prompt lines (the command
// directory + "> " + the command) and indented result lines.
//
// The lines live here for the whole run, whether or not a window shows them; while the Command
// tab is closed this list is all there is (the history buffer). The Command tab attaches its
// history box as an observer when its form is created and detaches it when the form closes; while
// attached, the box follows every change through the observer calls below.
//
// Display updates can be suspended (nested) around long runs of changes. While suspended the
// observer hears nothing; when the last suspension ends and anything changed, it gets one
// HistoryReset() and reads the whole list again.
#include <cstddef>
#include <string>
#include <vector>

namespace qv {

class HistoryObserver {
public:
    virtual ~HistoryObserver() = default;
    // Lines [first, first + count) were added at the end.
    virtual void HistoryLinesAppended(std::size_t first, std::size_t count) = 0;
    // The text of the last line changed (text was appended to it).
    virtual void HistoryLastLineChanged() = 0;
    // The first `count` lines were removed; the remaining lines moved up.
    virtual void HistoryLinesRemovedFromFront(std::size_t count) = 0;
    // Every line was removed.
    virtual void HistoryCleared() = 0;
    // Anything may have changed: read every line again (after suspended updates, or on attach).
    virtual void HistoryReset() = 0;
    // The box should scroll its caret into view (the history was trimmed while shown).
    virtual void HistoryScrollToCaret() = 0;
};

class CommandHistory {
public:
    // The history is bounded: whenever its text grows past this many characters, whole lines go
    // from the top until more than kTrimAmount characters of line text are gone.
    static constexpr std::size_t kMaxTextLength = 12288;
    static constexpr std::size_t kTrimAmount = 1000;

    CommandHistory() = default;
    CommandHistory(const CommandHistory&) = delete;
    CommandHistory& operator=(const CommandHistory&) = delete;

    const std::vector<std::string>& Lines() const { return lines_; }
    std::size_t Count() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }
    // The last line, or an empty text when there is none.
    std::string LastLine() const;

    // Adds the prompt commandDirectory + "> " unless the last line already is that prompt (without
    // regard to case); trims first.
    void ShowPrompt(const std::string& commandDirectory);
    // Appends text to the last line; on an empty history the text becomes the only line.
    void AppendToLastLine(const std::string& text);
    // Adds one line at the end.
    void AddLine(const std::string& line);
    // Adds lines at the end, as one change.
    void AddLines(const std::vector<std::string>& lines);
    void Clear();
    // Replaces every line (the Command tab's box hands its lines back this way if it kept its own).
    void SetLines(std::vector<std::string> lines);
    // Keeps the history small (see kMaxTextLength) and asks a shown box to scroll to its caret.
    void TrimHistory();

    // The text format: every line followed by CR LF. Text().size() == TextLength().
    std::string Text() const;
    std::size_t TextLength() const { return textLength_; }

    // Display updates. Calls nest; each SuspendUpdates needs one ResumeUpdates.
    void SuspendUpdates();
    void ResumeUpdates();
    bool UpdatesSuspended() const { return suspended_ > 0; }

    // At most one observer (the Command tab's box). Attaching sends HistoryReset so the box fills
    // itself from Lines().
    void Attach(HistoryObserver* observer);
    // Detaches the observer if it is the one attached.
    void Detach(HistoryObserver* observer);
    HistoryObserver* Observer() const { return observer_; }

private:
    // Whether the observer hears about a change now; records a pending reset otherwise.
    bool Notify();

    std::vector<std::string> lines_;
    std::size_t textLength_ = 0;
    HistoryObserver* observer_ = nullptr;
    int suspended_ = 0;
    bool changedWhileSuspended_ = false;
};

// Keeps display updates suspended for a scope.
class HistoryUpdateLock {
public:
    explicit HistoryUpdateLock(CommandHistory& history) : history_(history) {
        history_.SuspendUpdates();
    }
    ~HistoryUpdateLock() { history_.ResumeUpdates(); }
    HistoryUpdateLock(const HistoryUpdateLock&) = delete;
    HistoryUpdateLock& operator=(const HistoryUpdateLock&) = delete;

private:
    CommandHistory& history_;
};

} // namespace qv
