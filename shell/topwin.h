#pragma once
// Ttopwin, the main window: eight tab pages of which only the active one has a form, the request
// timer through which the rest of the program asks for tab changes, refreshes, help and exit, the
// receiving end of the tools' reports, and the settings read at start-up and written at exit.
#include "engine/engine.h"
#include "platform/report.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <string>

class QSocketNotifier;
class QTabWidget;
class QTimer;

namespace qv {

class GuiUserInterface;

// 0 unrecognised platform, 1 Win32s, 2 Windows 95 family, 3 NT family. Long file names are
// available from 2 on; this platform always has them.
extern int PlatformKind;

class Ttopwin : public QWidget {
    Q_OBJECT

public:
    static constexpr int kOuterWidth = 744;
    static constexpr int kOuterHeight = 417;
    static constexpr int kTabCount = 8;
    static constexpr int kCommandTab = 7;

    // `parameters` are the program's command-line parameters, program name excluded: ".qbt" names
    // a batch file to run once the window is up, the first other one the settings file. Host paths
    // ("/home/me/job.qbt") are taken as the program path of the same file.
    explicit Ttopwin(const QStringList& parameters, QWidget* parent = nullptr);
    ~Ttopwin() override;

    Engine& engine() { return engine_; }
    GlobalSettings& settings() { return engine_.settings; }
    plat::ReportServer& reportServer() { return reportServer_; }
    // The handle tools report to when no batch runner or dialog has taken over NotifyWindow.
    plat::WindowHandle reportHandle() const { return reportHandle_; }

    // The page control and its request timer.
    QTabWidget* maintab = nullptr;
    QTimer* tabtimer = nullptr;

    // The form of the active page; none before the first show and after closing.
    QWidget* CurrentTabForm() const { return currentTabForm_; }
    // A request for the next timer tick (kTabRequest... or a tab index); a later one replaces an
    // earlier one that has not been served yet.
    void SetTabRequest(int request) { tabRequest_ = request; }
    int TabRequest() const { return tabRequest_; }
    // Set by the Main tab before it asks for the Mixer: the Mixer then opens on its frame rate.
    bool MixerFrameRateRequest = false;
    // A batch file from the command line, run by the first timer tick after the first show.
    std::string StartupCommand;
    int TabChangeGuard = 0;

    // Makes a page the active one and replaces the tab form, as a click on its sheet does.
    void SelectTab(int index);
    // Creates and docks the form of one page and focuses its first control.
    void CreateTabForm(int index);
    // Whether the Command tab is the page whose form is shown.
    bool IsCommandTabShown() const;

    // A record sent to the main window's report handle; also what the batch runner passes on.
    // Returns the answer: 1 when a tool's report was taken.
    int HandleReport(const plat::ReportRecord& record);

    // Ends the program as a close by the user would, but without asking: open modal windows are
    // cancelled first. Used for SIGTERM and SIGINT.
    void RequestTermination();
    bool TerminationRequested() const { return terminationRequested_; }

signals:
    // The current tab's file lists were refreshed after a tool report.
    void fileListsRefreshed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readParameters(const QStringList& parameters, std::string& settingsCandidate);
    void placeWindow();
    void keepOuterSize();
    void tabChanged();
    void closeTabForm();
    void timerTick();
    void refreshFileLists();
    void focusFirstControl(int index);
    void dockTabForm(QWidget* form);
    void cancelModalWindows();
    void finishClosing();

    Engine engine_;
    std::unique_ptr<GuiUserInterface> ui_;
    plat::ReportServer reportServer_;
    QSocketNotifier* reportNotifier_ = nullptr;
    plat::WindowHandle reportHandle_ = 0;

    QWidget* currentTabForm_ = nullptr;
    QList<QPointer<QWidget>> retiredForms_; // closed, deleted by the event loop
    int currentTabIndex_ = -1;
    int tabRequest_ = -1;
    bool firstShow_ = true;
    bool closed_ = false;
    bool terminationRequested_ = false;
};

// The one main window of the program, or null.
Ttopwin* MainWindow();

} // namespace qv
