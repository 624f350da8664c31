#include "engine/history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qv::CommandHistory;

// Records what a view of the history would hear, and keeps its own copy of the lines by applying
// the changes the way a text box would, so that a lost or wrong notification shows as a mismatch.
class RecordingView : public qv::HistoryObserver {
public:
    explicit RecordingView(const CommandHistory& history) : history_(history) {}

    void HistoryLinesAppended(std::size_t first, std::size_t count) override {
        events.push_back("appended " + std::to_string(first) + " " + std::to_string(count));
        EXPECT_EQ(first, shown.size());
        for (std::size_t i = first; i < first + count; ++i)
            shown.push_back(history_.Lines()[i]);
    }
    void HistoryLastLineChanged() override {
        events.push_back("last");
        ASSERT_FALSE(shown.empty());
        shown.back() = history_.Lines().back();
    }
    void HistoryLinesRemovedFromFront(std::size_t count) override {
        events.push_back("removed " + std::to_string(count));
        shown.erase(shown.begin(), shown.begin() + static_cast<std::ptrdiff_t>(count));
    }
    void HistoryCleared() override {
        events.push_back("cleared");
        shown.clear();
    }
    void HistoryReset() override {
        events.push_back("reset");
        shown = history_.Lines();
    }
    void HistoryScrollToCaret() override { events.push_back("scroll"); }

    std::vector<std::string> events;
    std::vector<std::string> shown;

private:
    const CommandHistory& history_;
};

TEST(CommandHistoryTest, PromptAppendAndTextFormat) {
    CommandHistory history;
    history.AppendToLastLine("first"); // on an empty history the text becomes the only line
    history.ShowPrompt("C:\\Work");
    history.ShowPrompt("C:\\WORK"); // the same prompt apart from case: no second line
    history.AppendToLastLine("dir");
    history.AddLine("  No files found.");
    history.ShowPrompt("C:\\WORK");
    EXPECT_EQ(history.Lines(), (std::vector<std::string>{"first", "C:\\Work> dir",
                                                         "  No files found.", "C:\\WORK> "}));
    EXPECT_EQ(history.Text(), "first\r\nC:\\Work> dir\r\n  No files found.\r\nC:\\WORK> \r\n");
    EXPECT_EQ(history.TextLength(), history.Text().size());
    history.Clear();
    EXPECT_TRUE(history.Empty());
    EXPECT_EQ(history.TextLength(), 0u);
}

TEST(CommandHistoryTest, TrimsWholeLinesFromTheTopPastTheLimit) {
    CommandHistory history;
    RecordingView view(history);
    // 122 lines of 100 characters with their line breaks and one of 88: exactly 12288.
    for (int i = 0; i < 122; ++i)
        history.AddLine(std::string(98, static_cast<char>('a' + i % 26)));
    history.AddLine(std::string(86, 'z'));
    ASSERT_EQ(history.TextLength(), CommandHistory::kMaxTextLength);
    history.Attach(&view);

    history.TrimHistory();
    EXPECT_EQ(history.Count(), 123u); // at the limit nothing goes

    history.AppendToLastLine("!"); // 12289
    history.TrimHistory();
    // Ten lines are 980 characters of text, not yet more than 1000: eleven go.
    EXPECT_EQ(history.Count(), 112u);
    EXPECT_EQ(history.Lines().front(), std::string(98, 'l'));
    EXPECT_EQ(history.TextLength(), 12289u - 1100u);
    EXPECT_EQ(view.shown, history.Lines());
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"reset", "scroll", "last", "removed 11", "scroll"}));
}

TEST(CommandHistoryTest, TrimmingStopsWhenNoLineIsLeft) {
    CommandHistory history;
    history.AddLine(std::string(12287, 'x')); // one line alone past the limit
    history.TrimHistory();
    EXPECT_TRUE(history.Empty());
    EXPECT_EQ(history.TextLength(), 0u);
}

TEST(CommandHistoryTest, ViewFollowsChangesAndSuspendedUpdatesBecomeOneReset) {
    CommandHistory history;
    history.AddLine("before the view");
    RecordingView view(history);
    history.Attach(&view);
    EXPECT_EQ(view.shown, (std::vector<std::string>{"before the view"}));

    history.AddLines({"a", "b"});
    history.AppendToLastLine("+");
    {
        qv::HistoryUpdateLock outer(history);
        history.AddLine("c");
        {
            qv::HistoryUpdateLock inner(history);
            history.AddLine("d");
        }
        history.TrimHistory(); // no scrolling while suspended
        EXPECT_EQ(view.shown.size(), 3u);
    }
    EXPECT_EQ(view.shown, history.Lines());
    history.Clear();
    EXPECT_TRUE(view.shown.empty());
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"reset", "appended 1 2", "last", "reset", "cleared"}));

    // A closed tab hears nothing; the lines are all there when it opens again.
    history.Detach(&view);
    history.AddLine("while closed");
    RecordingView reopened(history);
    history.Attach(&reopened);
    EXPECT_EQ(reopened.shown, (std::vector<std::string>{"while closed"}));
    EXPECT_EQ(view.events.size(), 5u);
    history.Detach(&reopened);
}

} // namespace
