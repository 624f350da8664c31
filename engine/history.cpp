#include "engine/history.h"

#include <utility>

#include "platform/paths.h"

namespace qv {

namespace {
constexpr std::size_t kLineBreak = 2; // CR LF after every line of the text form
}

std::string CommandHistory::LastLine() const {
    return lines_.empty() ? std::string() : lines_.back();
}

bool CommandHistory::Notify() {
    if (!observer_) return false;
    if (suspended_ > 0) {
        changedWhileSuspended_ = true;
        return false;
    }
    return true;
}

void CommandHistory::ShowPrompt(const std::string& commandDirectory) {
    const std::string prompt = commandDirectory + "> ";
    if (!lines_.empty() && plat::SameText(lines_.back(), prompt)) return;
    TrimHistory();
    AddLine(prompt);
}

void CommandHistory::AppendToLastLine(const std::string& text) {
    if (lines_.empty()) {
        AddLine(text);
        return;
    }
    lines_.back() += text;
    textLength_ += text.size();
    if (Notify()) observer_->HistoryLastLineChanged();
}

void CommandHistory::AddLine(const std::string& line) {
    lines_.push_back(line);
    textLength_ += line.size() + kLineBreak;
    if (Notify()) observer_->HistoryLinesAppended(lines_.size() - 1, 1);
}

void CommandHistory::AddLines(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    const std::size_t first = lines_.size();
    for (const auto& line : lines) {
        lines_.push_back(line);
        textLength_ += line.size() + kLineBreak;
    }
    if (Notify()) observer_->HistoryLinesAppended(first, lines.size());
}

void CommandHistory::Clear() {
    lines_.clear();
    textLength_ = 0;
    if (Notify()) observer_->HistoryCleared();
}

void CommandHistory::SetLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    textLength_ = 0;
    for (const auto& line : lines_)
        textLength_ += line.size() + kLineBreak;
    if (Notify()) observer_->HistoryReset();
}

void CommandHistory::TrimHistory() {
    if (textLength_ > kMaxTextLength) {
        HistoryUpdateLock lock(*this);
        std::size_t removedText = 0;
        std::size_t count = 0;
        while (count < lines_.size() && removedText <= kTrimAmount) {
            removedText += lines_[count].size();
            textLength_ -= lines_[count].size() + kLineBreak;
            ++count;
        }
        lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(count));
        if (count > 0 && observer_) {
            // Tell the box exactly what went when nothing else is pending; a reset otherwise.
            if (suspended_ == 1 && !changedWhileSuspended_)
                observer_->HistoryLinesRemovedFromFront(count);
            else
                changedWhileSuspended_ = true;
        }
    }
    // Only the Command tab's box is ever attached, and only while that tab is the page shown.
    if (observer_ && suspended_ == 0) observer_->HistoryScrollToCaret();
}

std::string CommandHistory::Text() const {
    std::string text;
    text.reserve(textLength_);
    for (const auto& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void CommandHistory::SuspendUpdates() {
    ++suspended_;
}

void CommandHistory::ResumeUpdates() {
    if (suspended_ == 0) return;
    if (--suspended_ == 0 && changedWhileSuspended_) {
        changedWhileSuspended_ = false;
        if (observer_) observer_->HistoryReset();
    }
}

void CommandHistory::Attach(HistoryObserver* observer) {
    observer_ = observer;
    changedWhileSuspended_ = false;
    if (observer_) observer_->HistoryReset();
}

void CommandHistory::Detach(HistoryObserver* observer) {
    if (observer_ == observer) {
        observer_ = nullptr;
        changedWhileSuspended_ = false;
    }
}

} // namespace qv
