#pragma once
// A scripted stand-in for the windows. Questions are answered from a queue that the test fills
// beforehand; a question with nothing left in the queue, or one of another kind than the next
// answer, fails the test loudly and is answered as if cancelled. Everything shown and every window
// asked for is recorded, in order, in `log` and in the per-kind lists.
//
//     FakeUI ui;
//     Engine engine(&ui);
//     ui.Answer(drFirst);                 // "&Yes" to the next message box
//     ui.AnswerText("new name");          // OK with this text to the next prompt
//     ... run commands ...
//     EXPECT_EQ(ui.errors, (std::vector<std::string>{"Error, could not make x"}));
#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/batch.h"
#include "engine/engine.h"
#include "engine/ui.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace qvtest {

class FakeUI : public qv::UserInterface {
public:
    enum class Kind { Button, Text, List };
    struct ScriptedAnswer {
        Kind kind;
        int button = qv::drNone;
        std::string text;
        bool accepted = false;
    };

    // --- Scripting.
    void Answer(int button) { answers.push_back({Kind::Button, button, {}, false}); }
    void AnswerYes() { Answer(qv::drFirst); }
    void AnswerNo() { Answer(qv::drSecond); }
    void AnswerCancel() { Answer(qv::drThird); }
    void AnswerText(const std::string& text, bool accepted = true) {
        answers.push_back({Kind::Text, qv::drNone, text, accepted});
    }
    // An empty text chooses nothing.
    void AnswerList(const std::string& chosen) {
        answers.push_back({Kind::List, qv::drNone, chosen, false});
    }
    // The outcome of the next copy instead of really copying.
    void NextCopy(qv::CopyOutcome outcome) { copyOutcomes.push_back(outcome); }

    ~FakeUI() override {
        if (!answers.empty())
            ADD_FAILURE() << answers.size() << " scripted answer(s) were never asked for";
    }

    // --- What happened.
    std::vector<std::string> log;       // every call, "Kind: text"
    std::vector<std::string> questions; // message texts of the message-box questions
    std::vector<std::string> errors;
    std::vector<std::string> infos;
    std::vector<std::string> textEditorFiles;
    std::vector<std::string> listEditorFiles;
    std::vector<std::string> analysisFiles;
    std::vector<std::string> findPatterns;
    std::vector<std::pair<std::string, std::string>> batchRuns; // name, parameters
    std::vector<std::pair<std::string, std::string>> copies;    // full source, full target
    std::vector<int> tabRequests;
    int helpShown = 0;
    int eventsProcessed = 0;
    int busyOn = 0;
    int busyOff = 0;

    // --- State the test controls.
    bool shiftDown = false;
    bool commandTabShown = true;
    bool analysisOpens = true;
    plat::WindowHandle batchWindow = 4242;
    std::deque<ScriptedAnswer> answers;
    std::deque<qv::CopyOutcome> copyOutcomes;

    // --- qv::UserInterface.
    int AskChoice(const std::string& message, const std::string& first, const std::string& second,
                  int defaultButton) override {
        return Ask("AskChoice",
                   message + " [" + first + "|" + second + "|&Cancel] default " +
                       std::to_string(defaultButton),
                   message);
    }
    int AskYesNoCancel(const std::string& message, int defaultButton) override {
        return Ask("AskYesNoCancel", message + " default " + std::to_string(defaultButton),
                   message);
    }
    bool AskYesNo(const std::string& message, int defaultButton) override {
        return Ask("AskYesNo", message + " default " + std::to_string(defaultButton), message) ==
               qv::drFirst;
    }
    void ShowInfo(const std::string& message) override {
        Record("ShowInfo", message);
        infos.push_back(message);
    }
    void ShowError(const std::string& message) override {
        Record("ShowError", message);
        errors.push_back(message);
    }
    bool AskText(const std::string& caption, const std::string& label, const std::string& okCaption,
                 int helpTopic, std::string& text) override {
        Record("AskText", caption + " " + label + " [" + okCaption + "] topic " +
                              std::to_string(helpTopic) + " initial '" + text + "'");
        auto answer = Next(Kind::Text, caption);
        if (!answer) return false;
        text = answer->text;
        return answer->accepted;
    }
    std::string ChooseFromList(const std::string& caption, const std::string& groupCaption,
                               const std::vector<std::string>& entries, int helpTopic) override {
        Record("ChooseFromList", caption + groupCaption + std::to_string(entries.size()) +
                                     " entries, topic " + std::to_string(helpTopic));
        auto answer = Next(Kind::List, caption);
        return answer ? answer->text : std::string();
    }

    bool IsShiftDown() override { return shiftDown; }
    void SetBusyCursor(bool busy) override { ++(busy ? busyOn : busyOff); }
    bool IsCommandTabShown() override { return commandTabShown; }
    void SetTabRequest(int request) override {
        Record("SetTabRequest", std::to_string(request));
        tabRequests.push_back(request);
    }
    void ProcessPendingEvents() override { ++eventsProcessed; }

    void OpenTextEditor(const std::string& fileName) override {
        Record("OpenTextEditor", fileName);
        textEditorFiles.push_back(fileName);
    }
    void OpenListEditor(const std::string& fileName) override {
        Record("OpenListEditor", fileName);
        listEditorFiles.push_back(fileName);
    }
    bool OpenAnalysis(const std::string& fileName) override {
        Record("OpenAnalysis", fileName);
        analysisFiles.push_back(fileName);
        return analysisOpens;
    }
    void FindFiles(qv::Engine&, const std::string& pattern) override {
        Record("FindFiles", pattern);
        findPatterns.push_back(pattern);
    }
    // Plays the batch at once, line after line, without waiting for tool reports.
    void RunBatchFile(qv::Engine& engine, const std::string& fileName,
                      const std::string& parameters) override {
        Record("RunBatchFile", fileName + " " + parameters);
        batchRuns.emplace_back(fileName, parameters);
        qv::BatchRun run(engine, fileName, parameters);
        if (!run.Load()) {
            ShowError("Error, couldn't load " + fileName);
            return;
        }
        for (std::size_t i = 0; i < run.Lines().size(); ++i) {
            if (!qv::BatchRun::IsBlankLine(run.Lines()[i])) run.RunLine(i, batchWindow);
            ProcessPendingEvents();
        }
    }
    // Expands both names as the copy window does, refuses a copy onto itself, then copies the
    // whole file (or answers the scripted outcome).
    qv::CopyOutcome CopyWithProgress(std::string& source, std::string& target) override {
        source = plat::ToLower(plat::FullPath(source));
        target = plat::ToLower(plat::FullPath(target));
        Record("CopyWithProgress", source + " -> " + target);
        copies.emplace_back(source, target);
        if (source == target) {
            ShowError("Error, cannot copy a file onto itself.");
            return qv::CopyOutcome::Failed;
        }
        if (!copyOutcomes.empty()) {
            auto outcome = copyOutcomes.front();
            copyOutcomes.pop_front();
            return outcome;
        }
        auto content = plat::ReadWholeFile(source);
        if (!content || !plat::WriteWholeFile(target, *content)) return qv::CopyOutcome::Failed;
        return qv::CopyOutcome::Copied;
    }
    void ShowContextHelp() override {
        log.push_back("ShowContextHelp");
        ++helpShown;
    }

private:
    void Record(const std::string& kind, const std::string& text) {
        log.push_back(kind + ": " + text);
    }
    int Ask(const std::string& kind, const std::string& logText, const std::string& message) {
        Record(kind, logText);
        questions.push_back(message);
        auto answer = Next(Kind::Button, message);
        return answer ? answer->button : qv::drNone;
    }
    std::optional<ScriptedAnswer> Next(Kind kind, const std::string& what) {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question, no scripted answer left: " << what;
            return std::nullopt;
        }
        if (answers.front().kind != kind) {
            ADD_FAILURE() << "question of another kind than the next scripted answer: " << what;
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace qvtest
