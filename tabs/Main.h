#pragma once
// The Main tab: a launch pad for the tool tabs, help, the companion programs and About.
#include <QString>
#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

namespace qv {

class Tmainform : public QWidget {
    Q_OBJECT

public:
    explicit Tmainform(QWidget* parent = nullptr);

    // The command line of the web launcher, without the program directory in front.
    static QString HomePageCommand();

    QPushButton* quarv;
    QPushButton* mix;
    QPushButton* play;
    QPushButton* script;
    QPushButton* quarvfr;
    QPushButton* toanim;
    QPushButton* tosnd;
    QPushButton* cmdline;
    QPushButton* homepage;
    QPushButton* sysinfo;
    QPushButton* exit;
    QPushButton* help;
    QPushButton* how;
    QPushButton* about;
    QLabel* mainquarv;

signals:
    // A TabRequest value for the main window's request timer: 1 to 7 a tab, 32 closing.
    void tabRequested(int request);
    // Set MixerFrameRateRequest; a request for the mixer tab follows at once.
    void mixerFrameRateRequested();
    // A command line for RunCommand, with no working directory.
    void runCommandRequested(const QString& commandLine);
    // A program to start directly, shown normally, with ProgramDirectory put in front of the
    // line; it does not go through RunCommand and leaves nothing in the command history.
    void startProgramRequested(const QString& commandLine);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qv
