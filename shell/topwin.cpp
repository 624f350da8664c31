#include "shell/topwin.h"

#include "analysis/Tune.h"
#include "dialogs/Mess.h"
#include "dialogs/dialoglayer.h"
#include "engine/textutil.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "shell/gui_ui.h"
#include "shell/help.h"
#include "shell/hints.h"
#include "tabs/About.h"
#include "tabs/Command.h"
#include "tabs/Main.h"
#include "tabs/Placeholder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace qv {

int PlatformKind = 3;

namespace {

Ttopwin* theMainWindow = nullptr;

struct TabPage {
    const char* sheet;   // objectName of the sheet
    const char* caption; // caption of the sheet and of its form
    int helpTopic;
    const char* focus; // the control focused after the form is created
};

constexpr TabPage kPages[Ttopwin::kTabCount] = {
    {"Main", "Main", 1107, "quarv"},
    {"Quarv", "Quarv", 1085, "quarvfile"},
    {"Mix", "Mixer", 1077, "mixqrvfile"},
    {"Player", "Player", 1078, "playfile"},
    {"Scriptor", "Scriptor", 1080, "scriptfile"},
    {"Convert", "Graphics Processor", 1081, "toanimfile"},
    {"Multimedia", "Sound Processor", 1082, "tosndfile"},
    {"Command", "Command", 1083, "commandtorun"},
};

constexpr int kTabTimerMs = 20;

// A parameter as the program handles it: host paths become program paths.
QString ProgramParameter(const QString& parameter) {
    if (!parameter.startsWith(QLatin1Char('/'))) return parameter;
    const std::string program = plat::ProgramPath(parameter.toStdString());
    return program.empty() ? parameter : QString::fromStdString(program);
}

// Splits a report into its lines. A line break at the very end does not start another line.
std::vector<std::string> ReportLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

template <class T> T* Find(QWidget* parent, const char* name) {
    return parent ? parent->findChild<T*>(QLatin1String(name)) : nullptr;
}

} // namespace

Ttopwin* MainWindow() {
    return theMainWindow;
}

Ttopwin::Ttopwin(const QStringList& parameters, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui_(std::make_unique<GuiUserInterface>(*this)) {
    theMainWindow = this;
    setObjectName(QStringLiteral("Ttopwin"));
    setWindowTitle(QStringLiteral("Quarver for Windows"));
    setWindowIcon(QIcon(QuarverLogo(64, 64)));
    SetDialogOwner(this);
    engine_.SetUserInterface(ui_.get());

    // The handle tools report to.
    if (!reportServer_.Listen())
        qWarning("Quarver: tool reports cannot be received: %s", "report channel unavailable");
    reportHandle_ = reportServer_.RegisterWindow(
        [this](const plat::ReportRecord& record) { return HandleReport(record); });
    engine_.NotifyWindow = reportHandle_;
    if (reportServer_.fd() >= 0) {
        reportNotifier_ = new QSocketNotifier(reportServer_.fd(), QSocketNotifier::Read, this);
        connect(reportNotifier_, &QSocketNotifier::activated, this,
                [this] { reportServer_.ProcessPending(); });
    }

    std::string settingsCandidate;
    readParameters(parameters, settingsCandidate);

    // Nothing done while the window is made creates a tab form.
    TabChangeGuard = 1;

    maintab = new QTabWidget(this);
    maintab->setObjectName(QStringLiteral("maintab"));
    for (const TabPage& page : kPages) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QLatin1String(page.sheet));
        auto* sheetLayout = new QVBoxLayout(sheet);
        sheetLayout->setContentsMargins(0, 0, 0, 0);
        maintab->addTab(sheet, QLatin1String(page.caption));
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(maintab);
    connect(maintab, &QTabWidget::currentChanged, this, &Ttopwin::tabChanged);

    QScreen* screen = QGuiApplication::primaryScreen();
    ScreenGeometry geometry;
    if (screen) {
        geometry.ScreenWidth = screen->geometry().width();
        geometry.ScreenHeight = screen->geometry().height();
    }
    LoadSettings(engine_.settings, settingsCandidate, geometry);
    SetHelpFile(QString::fromStdString(engine_.settings.ProgramDirectory) +
                QStringLiteral("quarver.hlp"));
    SetHintsEnabled(engine_.settings.Main.ShowHints);
    placeWindow();
    int tab = engine_.settings.Main.CurrentTab;
    if (tab < 0 || tab >= kTabCount) tab = 0;
    engine_.settings.Main.CurrentTab = tab;
    maintab->setCurrentIndex(tab);

    // This platform always has long file names and needs no graphics support library.
    PlatformKind = 3;

    if (!StartupCommand.empty()) SelectTab(kCommandTab);

    tabtimer = new QTimer(this);
    tabtimer->setObjectName(QStringLiteral("tabtimer"));
    tabtimer->setInterval(kTabTimerMs);
    connect(tabtimer, &QTimer::timeout, this, &Ttopwin::timerTick);
    tabtimer->start();

    qApp->installEventFilter(this);
}

Ttopwin::~Ttopwin() {
    qApp->removeEventFilter(this);
    // Destroyed without closing (tests): the form still hands its values back. Forms that
    // wait for deferred deletion go now, while the engine they look at still exists.
    closeTabForm();
    for (const QPointer<QWidget>& form : retiredForms_)
        delete form.data();
    reportServer_.UnregisterWindow(reportHandle_);
    engine_.SetUserInterface(nullptr);
    if (DialogOwner() == this) SetDialogOwner(nullptr);
    if (theMainWindow == this) theMainWindow = nullptr;
}

void Ttopwin::readParameters(const QStringList& parameters, std::string& settingsCandidate) {
    for (const QString& raw : parameters) {
        const QString parameter = ProgramParameter(raw);
        const std::string name = parameter.toStdString();
        if (plat::ToLower(plat::ExtractFileExt(name)) == ".qbt") {
            // The name is run as a command line, where a blank would split it.
            StartupCommand = name.find(' ') != std::string::npos ? "\"" + name + "\"" : name;
            continue;
        }
        settingsCandidate = name;
        break;
    }
}

void Ttopwin::placeWindow() {
    const int outerWidth = kOuterWidth;
    const int outerHeight = kOuterHeight;
    setFixedSize(outerWidth, outerHeight);
    QPoint at(engine_.settings.Main.X, engine_.settings.Main.Y);
    // A position stored on a screen that is no longer there would hide the window.
    const QRect wanted(at, QSize(outerWidth, outerHeight));
    bool visible = false;
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().intersects(wanted.adjusted(40, 20, -40, -20))) visible = true;
    if (!visible && QGuiApplication::primaryScreen()) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        at = QPoint(screen.left() + (screen.width() - outerWidth) / 2,
                    screen.top() + (screen.height() - outerHeight) / 2);
    }
    move(at);
}

void Ttopwin::keepOuterSize() {
    // The frame is known only once the window manager has framed the window; the outer size is
    // what stays fixed.
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QSize wanted(kOuterWidth - (frame.width() - client.width()),
                       kOuterHeight - (frame.height() - client.height()));
    if (wanted.isValid() && wanted != size()) setFixedSize(wanted);
}

void Ttopwin::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!firstShow_) return;
    firstShow_ = false;
    CreateTabForm(maintab->currentIndex());
    --TabChangeGuard;
    engine_.ShowPrompt();
    QTimer::singleShot(0, this, &Ttopwin::keepOuterSize);
}

void Ttopwin::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!firstShow_) keepOuterSize();
}

void Ttopwin::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Coming back from the task bar, the frame may have changed with the window manager.
    if (event->type() == QEvent::WindowStateChange && !isMinimized()) keepOuterSize();
}

void Ttopwin::SelectTab(int index) {
    if (index < 0 || index >= kTabCount) return;
    // As a click on a sheet: the page that is shown with its form already stays as it is.
    if (index == maintab->currentIndex() && currentTabForm_ && currentTabIndex_ == index) return;
    {
        const QSignalBlocker blocker(maintab);
        maintab->setCurrentIndex(index);
    }
    tabChanged();
}

void Ttopwin::tabChanged() {
    if (TabChangeGuard++ > 0) {
        --TabChangeGuard;
        // A click that arrives while a change is running must not leave a page without its form.
        if (currentTabForm_ && maintab->currentIndex() != currentTabIndex_) {
            const QSignalBlocker blocker(maintab);
            maintab->setCurrentIndex(currentTabIndex_);
        }
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        closeTabForm();
        CreateTabForm(maintab->currentIndex());
    } catch (...) {
        // The cursor and the guard come back whatever went wrong.
    }
    QApplication::restoreOverrideCursor();
    --TabChangeGuard;
}

void Ttopwin::closeTabForm() {
    QWidget* form = currentTabForm_;
    if (!form) return;
    currentTabForm_ = nullptr;
    currentTabIndex_ = -1;
    // Its close handler stores its values. A handler of the form may still be running below us
    // (a nested event loop), so it goes when control is back in the event loop.
    form->close();
    form->hide();
    form->setParent(nullptr);
    form->deleteLater();
    retiredForms_.removeAll(nullptr);
    retiredForms_.append(form);
}

void Ttopwin::dockTabForm(QWidget* form) {
    // The sheet is the one whose caption is the form's caption.
    QWidget* sheet = nullptr;
    for (int i = 0; i < maintab->count() && !sheet; ++i)
        if (maintab->tabText(i) == form->windowTitle()) sheet = maintab->widget(i);
    if (!sheet) return;
    form->setParent(sheet);
    form->setWindowFlags(Qt::Widget);
    auto* layout = static_cast<QVBoxLayout*>(sheet->layout());
    // Forms of a fixed design size sit in the middle of the sheet; the others fill it.
    const bool fixedSize = form->minimumSize() == form->maximumSize();
    layout->addWidget(form, 1, fixedSize ? Qt::AlignCenter : Qt::Alignment());
    // Around a form of its own colour the sheet takes that colour, so the page reads as one.
    sheet->setAutoFillBackground(fixedSize && form->autoFillBackground());
    if (sheet->autoFillBackground()) {
        QPalette colour = sheet->palette();
        colour.setColor(QPalette::Window, form->palette().color(QPalette::Window));
        sheet->setPalette(colour);
    }
    form->show();
}

void Ttopwin::CreateTabForm(int index) {
    if (index < 0 || index >= kTabCount) index = 0;
    engine_.history.Detach(engine_.history.Observer());
    HelpTopic() = kPages[index].helpTopic;
    engine_.settings.Main.CurrentTab = index;

    QWidget* form = nullptr;
    switch (index) {
    case 0: {
        auto* mainForm = new Tmainform;
        connect(mainForm, &Tmainform::tabRequested, this, &Ttopwin::SetTabRequest);
        connect(mainForm, &Tmainform::mixerFrameRateRequested, this,
                [this] { MixerFrameRateRequest = true; });
        connect(mainForm, &Tmainform::runCommandRequested, this,
                [this](const QString& line) { engine_.RunCommand({}, line.toStdString()); });
        connect(mainForm, &Tmainform::startProgramRequested, this, [this](const QString& line) {
            // The companion programs lie in the program directory and leave no history.
            const std::string command = engine_.settings.ProgramDirectory + line.toStdString();
            if (!plat::StartProcess(command, engine_.settings.ProgramDirectory))
                qv::ShowError(QStringLiteral("Error, could not start ") + line);
        });
        form = mainForm;
        break;
    }
    case kCommandTab:
        form = new Tcommandform(engine_);
        break;
    default:
        form = new Tplaceholderform(QLatin1String(kPages[index].caption));
        break;
    }
    currentTabForm_ = form;
    currentTabIndex_ = index;
    dockTabForm(form);
    focusFirstControl(index);
    MixerFrameRateRequest = false;
}

void Ttopwin::focusFirstControl(int index) {
    QWidget* form = currentTabForm_;
    QWidget* focus = Find<QWidget>(form, kPages[index].focus);
    if (index == 2 && MixerFrameRateRequest) {
        if (auto* pages = Find<QTabWidget>(form, "mixtab")) pages->setCurrentIndex(0);
        if (QWidget* perm = Find<QWidget>(form, "mixperm")) focus = perm;
    } else if (index == 4) {
        auto* pages = Find<QTabWidget>(form, "scripttab");
        if (pages && pages->currentIndex() != 0)
            if (QWidget* memo = Find<QWidget>(form, "scriptmemo")) focus = memo;
    }
    if (focus)
        focus->setFocus();
    else if (form)
        form->setFocus();
    if (auto* command = qobject_cast<Tcommandform*>(form)) command->AttachHistory();
}

bool Ttopwin::IsCommandTabShown() const {
    return currentTabIndex_ == kCommandTab && qobject_cast<Tcommandform*>(currentTabForm_);
}

void Ttopwin::refreshFileLists() {
    // Tool tabs that keep file lists offer RefreshFileLists(); the others have nothing to show.
    if (QWidget* form = currentTabForm_) {
        if (form->metaObject()->indexOfMethod("RefreshFileLists()") >= 0)
            QMetaObject::invokeMethod(form, "RefreshFileLists", Qt::DirectConnection);
    }
    emit fileListsRefreshed();
}

void Ttopwin::timerTick() {
    if (terminationRequested_ && !closed_) {
        cancelModalWindows();
        if (!QApplication::activeModalWidget()) close();
        return;
    }
    if (tabRequest_ != kTabRequestIdle) {
        const int request = tabRequest_;
        tabRequest_ = kTabRequestIdle;
        switch (request) {
        case kTabRequestExit:
            close();
            break;
        case kTabRequestRefresh:
            refreshFileLists();
            break;
        case kTabRequestHelp:
            ShowContextHelp();
            break;
        default:
            SelectTab(request);
            break;
        }
    }
    if (!StartupCommand.empty() && !closed_) {
        const std::string command = std::move(StartupCommand);
        StartupCommand.clear();
        engine_.RunCommand({}, command);
    }
}

int Ttopwin::HandleReport(const plat::ReportRecord& record) {
    if (record.message == plat::kRestoreMessage) {
        if (isMinimized() || !isVisible()) {
            showNormal();
            raise();
            activateWindow();
        }
        return 0;
    }
    if (record.message != plat::kCopyDataMessage || !record.hasData ||
        record.identifier != plat::kToolReportIdentifier)
        return 0;
    tabRequest_ = kTabRequestRefresh;
    std::vector<std::string> lines = ReportLines(record.text);
    if (!lines.empty()) lines.front() = "  " + lines.front();
    engine_.history.AddLines(lines);
    engine_.ShowPrompt();
    return 1;
}

bool Ttopwin::eventFilter(QObject* watched, QEvent* event) {
    // The window sees the function keys before its controls, which still get them.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_F1)
            tabRequest_ = kTabRequestHelp;
        else if (key >= Qt::Key_F2 && key <= Qt::Key_F9)
            tabRequest_ = key - Qt::Key_F2;
    }
    return QWidget::eventFilter(watched, event);
}

void Ttopwin::closeEvent(QCloseEvent* event) {
    if (closed_) {
        event->accept();
        return;
    }
    if (QApplication::activeModalWidget()) {
        event->ignore();
        if (!terminationRequested_) ShowError(QStringLiteral("Error, cannot close now."));
        return;
    }
    // The Scriptor's unsaved script is asked about here once the Scriptor and the text editor
    // are part of the program; until then nothing can hold unsaved text.
    event->accept();
    finishClosing();
}

void Ttopwin::finishClosing() {
    closed_ = true;
    tabtimer->stop();
    closeTabForm();
    if (AnalysisWindow) AnalysisWindow->close();
    engine_.settings.ScriptRun.Lines.clear();
    engine_.history.Clear();
    engine_.settings.Main.X = pos().x();
    engine_.settings.Main.Y = pos().y();
    hide();
    if (!SaveSettings(engine_.settings))
        ShowError(QString::fromStdString(SettingsWriteErrorText(engine_.settings)));
    engine_.settings.RecentCommands.clear();
    engine_.settings.RecentFiles.clear();
    engine_.settings.RecentDirectories.clear();
    QuitHelp();
}

void Ttopwin::cancelModalWindows() {
    // Message boxes and prompts end as if closed by their close box; the batch runner stops
    // by itself once it sees the termination.
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QDialog*>(modal);
        dialog && dialog->objectName() != QLatin1String("Tbatchform"))
        dialog->reject();
}

void Ttopwin::RequestTermination() {
    terminationRequested_ = true;
    if (!QApplication::activeModalWidget() && !closed_) close();
}

} // namespace qv
