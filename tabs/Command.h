#pragma once
// The Command tab (Tcommandform): a small shell on top of the command engine. Lines typed into
// `commandtorun` run through RunCommand; `commandhistory` shows the engine's CommandHistory while
// the tab is open.
#include <QWidget>

#include <cstdint>

class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace qv {

class Engine;
class HistoryBox;

class Tcommandform : public QWidget {
    Q_OBJECT

public:
    explicit Tcommandform(Engine& engine, QWidget* parent = nullptr);
    ~Tcommandform() override;

    // Makes the box the history's view (the main window does this once the form is docked) and
    // puts its caret at the end of the text.
    void AttachHistory();

    QGroupBox* commandgroup;
    QLineEdit* commandtorun;
    QGroupBox* historygroup;
    QPlainTextEdit* commandhistory;
    QPushButton* commandmain;
    QPushButton* commandhelp;
    QPushButton* commandhow;
    QPushButton* commandrun;
    QPushButton* newbatch;

    QMenu* histmenu;
    QAction* histmenucopy;
    QAction* histclear;
    QAction* histmenusaveas;
    QMenu* commandmenu;
    QAction* commandmenucmds;
    QAction* commandmenudirs;

    // The position in RecentCommands that Up and Down show next.
    uint16_t RecallIndex = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void commandrunClick();
    void commandtorunChange(const QString& text);
    void commandtorunEnter();
    void recall(bool up);
    void escapeInField();
    void copyHistory();
    void clearHistory();
    void saveHistoryAs();
    void recentCommands();
    void recentDirectories();
    void requestMainTab();

    Engine& engine_;
    HistoryBox* box_;
    bool firstEntry_ = true;
};

} // namespace qv
