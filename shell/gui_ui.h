#pragma once
// The engine's road to the real windows: questions go through the program's own dialogs (and so
// through the dialog layer that tests answer), windows that commands open are opened here, and
// requests for the main window go to its request timer.
#include "engine/ui.h"

namespace qv {

class Ttopwin;

class GuiUserInterface : public UserInterface {
public:
    explicit GuiUserInterface(Ttopwin& window) : window_(window) {}

    int AskChoice(const std::string& message, const std::string& first, const std::string& second,
                  int defaultButton) override;
    int AskYesNoCancel(const std::string& message, int defaultButton) override;
    bool AskYesNo(const std::string& message, int defaultButton) override;
    void ShowInfo(const std::string& message) override;
    void ShowError(const std::string& message) override;
    bool AskText(const std::string& caption, const std::string& label, const std::string& okCaption,
                 int helpTopic, std::string& text) override;
    std::string ChooseFromList(const std::string& caption, const std::string& groupCaption,
                               const std::vector<std::string>& entries, int helpTopic) override;

    bool IsShiftDown() override;
    void SetBusyCursor(bool busy) override;
    bool IsCommandTabShown() override;
    void SetTabRequest(int request) override;
    void ProcessPendingEvents() override;

    void OpenTextEditor(const std::string& fileName) override;
    void OpenListEditor(const std::string& fileName) override;
    bool OpenAnalysis(const std::string& fileName) override;
    void FindFiles(Engine& engine, const std::string& pattern) override;
    void RunBatchFile(Engine& engine, const std::string& fileName,
                      const std::string& parameters) override;
    CopyOutcome CopyWithProgress(std::string& source, std::string& target) override;
    void ShowContextHelp() override;

private:
    Ttopwin& window_;
};

} // namespace qv
