#include "shell/gui_ui.h"

#include "analysis/Tune.h"
#include "dialogs/Batch.h"
#include "dialogs/Copyf.h"
#include "dialogs/Find.h"
#include "dialogs/List.h"
#include "dialogs/Mess.h"
#include "dialogs/str.h"
#include "shell/help.h"
#include "shell/topwin.h"

#include <QApplication>
#include <QGuiApplication>

namespace qv {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Windows that later work brings; until then the user learns plainly that they are missing.
void ShowNotAvailable(const char* what) {
    qv::ShowError(QStringLiteral("Error, the %1 is not available yet.").arg(QLatin1String(what)));
}

} // namespace

int GuiUserInterface::AskChoice(const std::string& message, const std::string& first,
                                const std::string& second, int defaultButton) {
    return qv::AskChoice(Q(message), Q(first), Q(second), defaultButton);
}

int GuiUserInterface::AskYesNoCancel(const std::string& message, int defaultButton) {
    return qv::AskYesNoCancel(Q(message), defaultButton);
}

bool GuiUserInterface::AskYesNo(const std::string& message, int defaultButton) {
    return qv::AskYesNo(Q(message), defaultButton);
}

void GuiUserInterface::ShowInfo(const std::string& message) {
    qv::ShowInfo(Q(message));
}

void GuiUserInterface::ShowError(const std::string& message) {
    qv::ShowError(Q(message));
}

bool GuiUserInterface::AskText(const std::string& caption, const std::string& label,
                               const std::string& okCaption, int helpTopic, std::string& text) {
    QString edited = Q(text);
    const bool accepted = qv::AskText(Q(caption), Q(label), Q(okCaption), helpTopic, edited);
    text = edited.toStdString();
    return accepted;
}

std::string GuiUserInterface::ChooseFromList(const std::string& caption,
                                             const std::string& groupCaption,
                                             const std::vector<std::string>& entries,
                                             int helpTopic) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(entries.size()));
    for (const std::string& entry : entries)
        list.append(Q(entry));
    return qv::ChooseFromList(Q(caption), Q(groupCaption), list, helpTopic).toStdString();
}

bool GuiUserInterface::IsShiftDown() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

void GuiUserInterface::SetBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The click shows as taken before a long command starts.
        if (window_.isVisible()) window_.repaint();
    } else {
        QApplication::restoreOverrideCursor();
    }
}

bool GuiUserInterface::IsCommandTabShown() {
    return window_.IsCommandTabShown();
}

void GuiUserInterface::SetTabRequest(int request) {
    window_.SetTabRequest(request);
}

void GuiUserInterface::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

void GuiUserInterface::OpenTextEditor(const std::string&) {
    ShowNotAvailable("text editor");
}

void GuiUserInterface::OpenListEditor(const std::string&) {
    ShowNotAvailable("list file editor");
}

bool GuiUserInterface::OpenAnalysis(const std::string& fileName) {
    return qv::OpenAnalysis(Q(fileName));
}

void GuiUserInterface::FindFiles(Engine& engine, const std::string& pattern) {
    FindFilesToHistory(engine, pattern);
}

void GuiUserInterface::RunBatchFile(Engine& engine, const std::string& fileName,
                                    const std::string& parameters) {
    BatchHost host;
    host.server = &window_.reportServer();
    host.passOn = [this](const plat::ReportRecord& record) { return window_.HandleReport(record); };
    host.terminating = [this] { return window_.TerminationRequested(); };
    qv::RunBatchFile(engine, fileName, parameters, host);
}

CopyOutcome GuiUserInterface::CopyWithProgress(std::string& source, std::string& target) {
    return qv::CopyWithProgress(source, target);
}

void GuiUserInterface::ShowContextHelp() {
    qv::ShowContextHelp();
}

} // namespace qv
