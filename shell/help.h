#pragma once
// The help system: the program-wide topic number that F1 and every "&Help" button open, and the
// help window that shows the topics of the help file.
#include <QString>

class QWidget;

namespace qv {

// The topic F1 and "&Help" open. Each tab sets its own; each dialog with a topic saves it, sets its
// own and puts the saved one back when it closes.
int& HelpTopic();

// Saves HelpTopic, sets a window's own topic and puts the saved one back however the window ends.
class HelpTopicScope {
public:
    explicit HelpTopicScope(int topic) : saved_(HelpTopic()) { HelpTopic() = topic; }
    ~HelpTopicScope() { HelpTopic() = saved_; }
    HelpTopicScope(const HelpTopicScope&) = delete;
    HelpTopicScope& operator=(const HelpTopicScope&) = delete;

private:
    int saved_;
};

// Where the help file lies, as a program path (ProgramDirectory + "quarver.hlp"). Until it is set
// (or when it is set empty), the file next to the executable.
void SetHelpFile(const QString& programPath);
QString HelpFile();

// Opens the help window at HelpTopic().
void ShowContextHelp();
// Opens the help window at the "How do I...?" topic.
void ShowHowDoI();
// Opens the help window's keyword index with `keyword` as a partial key (case-insensitive).
void SearchHelp(const QString& keyword);
// Opens the help window at one topic.
void ShowHelpTopic(int topic);
// Closes the help window (at exit).
void QuitHelp();
// Makes F1 anywhere in a window (that no control takes for itself) open ShowContextHelp.
void AddHelpKey(QWidget* window);

constexpr int kHelpTopicMainTab = 1107;
constexpr int kHelpTopicHowDoI = 1070;

} // namespace qv
