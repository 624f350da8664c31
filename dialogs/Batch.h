#pragma once
// The batch runner (Tbatchform): shows a batch file's lines, marks the one running, waits for a
// started tool to report back before the next line and offers Cancel.
#include "platform/report.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace qv {

class BatchRun;
class Engine;

// What the runner needs from the main window.
struct BatchHost {
    // Gives the runner a report handle of its own.
    plat::ReportServer* server = nullptr;
    // The main window's report handler: the runner hands every report it receives on to it.
    std::function<int(const plat::ReportRecord&)> passOn;
    // The program is being ended: stop as after a confirmed Cancel, without asking.
    std::function<bool()> terminating;
};

// Plays one batch file and returns when it has finished or was cancelled. `fileName` is the name
// as resolved; `parameters` are what %1 to %9 stand for.
void RunBatchFile(Engine& engine, const std::string& fileName, const std::string& parameters,
                  const BatchHost& host);

class Tbatchform : public QDialog {
    Q_OBJECT

public:
    // The report channel state one runner shares with its handle's handler, which may outlive it.
    struct Channel;

    Tbatchform(BatchRun& run, const BatchHost& host, std::shared_ptr<Channel> channel,
               plat::WindowHandle handle);
    ~Tbatchform() override;

    QGroupBox* group;
    QPlainTextEdit* batchfile;
    QPushButton* cancel;
    QPushButton* quarvhelp;
    QTimer* Timer1;

    static constexpr const char* kMarker = "Current ==> ";

    bool cancelled() const { return cancelled_; }
    // Waiting for a started tool's report.
    bool waiting() const { return waiting_; }

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void cancelClick();
    void runLines();
    void setLineText(int index, const QString& text);
    bool stopping() const;

    BatchRun& run_;
    BatchHost host_;
    std::shared_ptr<Channel> channel_;
    plat::WindowHandle handle_;
    int savedHelpTopic_;
    bool cancelled_ = false;
    bool waiting_ = false;
    bool finished_ = false;
    bool started_ = false;
};

} // namespace qv
