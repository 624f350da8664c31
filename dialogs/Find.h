#pragma once
// The file finder (Tfindform): searches a directory tree for a name pattern while a small window
// shows the directory being searched and the counts, and offers Cancel. In command mode every
// match becomes a history line; in interactive mode the matches are offered in the list chooser.
#include "dialogs/workwindow.h"
#include "engine/filefind.h"
#include "shell/help.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace qv {

class Engine;

class Tfindform : public WorkWindow {
    Q_OBJECT

public:
    static constexpr int kHelpTopic = 1103;

    // `argument`: a name or pattern with an optional directory part, in quotes or not. With an
    // engine the matches go into its history (command mode); without, they are collected.
    Tfindform(const std::string& argument, Engine* engine);
    ~Tfindform() override;

    // Interactive mode: the full names found, in the order found.
    const std::vector<std::string>& found() const { return found_; }
    const FindTotals& totals() const { return totals_; }
    // How often the window lets events through and redraws its counts while searching.
    void setRefreshInterval(std::chrono::milliseconds interval) { refreshInterval_ = interval; }

    QGroupBox* findcaption = nullptr;
    QLabel* dirname = nullptr;
    QLabel* dirnum = nullptr;
    QLabel* filenum = nullptr;
    QPushButton* outcancel = nullptr;
    QPushButton* quarvhelp = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void askCancel() override;

private:
    class Search;
    void search();

    HelpTopicScope topic_{kHelpTopic};
    FindArgument argument_;
    Engine* engine_;
    std::vector<std::string> found_;
    FindTotals totals_;
    std::chrono::milliseconds refreshInterval_{20};
    bool cancelled_ = false;
};

// The find commands ("find", "ff", "wh", "filefind", "whereis"): every match is added to the
// history as "  " + full name; "  No matching files found." when there is none.
void FindFilesToHistory(Engine& engine, const std::string& argument);
// The file menu's "Find a file": the chosen full name, empty when nothing was found (after an
// error box) or nothing was chosen.
std::string FindFileInteractive(const std::string& argument);

} // namespace qv
