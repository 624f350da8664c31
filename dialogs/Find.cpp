#include "dialogs/Find.h"

#include "dialogs/List.h"
#include "dialogs/Mess.h"
#include "dialogs/dialoglayer.h"
#include "engine/engine.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace qv {

namespace {
constexpr int kFoundListHelpTopic = 1099;
}

// Follows the search: collects or prints the matches and, at the window's refresh interval,
// shows the counts and lets the events through.
class Tfindform::Search : public FindObserver {
public:
    explicit Search(Tfindform& form) : form_(form), pacer_(form.refreshInterval_) {
        if (form_.engine_) lock_.emplace(form_.engine_->history);
    }

    void DirectoryEntered(const std::string& directory, int64_t searched) override {
        directory_ = directory;
        directories_ = searched;
        Pause();
    }
    void FileFound(const std::string& fullName, int64_t found) override {
        if (form_.engine_)
            form_.engine_->AddLine("  " + fullName);
        else
            form_.found_.push_back(fullName);
        files_ = found;
    }
    void Pause() override {
        if (!pacer_.Due()) return;
        Show();
        if (form_.engine_) {
            // The history box follows in steps, and the history stays small.
            form_.engine_->history.ResumeUpdates();
            form_.engine_->history.TrimHistory();
            form_.engine_->history.SuspendUpdates();
        }
        QCoreApplication::processEvents();
    }
    bool Cancelled() override { return form_.cancelled_; }

    void Show() {
        form_.dirname->setText(QStringLiteral("Current directory: ") +
                               QString::fromStdString(directory_));
        form_.dirnum->setText(QStringLiteral("Directories searched: ") +
                              QString::number(directories_));
        form_.filenum->setText(QStringLiteral("Files found: ") + QString::number(files_));
    }

private:
    Tfindform& form_;
    EventPacer pacer_;
    std::optional<HistoryUpdateLock> lock_;
    std::string directory_;
    int64_t directories_ = 0;
    int64_t files_ = 0;
};

Tfindform::Tfindform(const std::string& argument, Engine* engine)
    : argument_(SplitFindArgument(argument)), engine_(engine) {
    setObjectName(QStringLiteral("Tfindform"));
    PrepareDialog(this, false);
    setFixedSize(468, 107);
    setWindowTitle(QStringLiteral("Finding File..."));
    QApplication::setOverrideCursor(Qt::ArrowCursor);

    findcaption = new QGroupBox(this);
    findcaption->setObjectName(QStringLiteral("findcaption"));
    findcaption->setGeometry(8, 2, 452, 68);
    const auto makeLabel = [this](const char* name, const QString& text, int top) {
        auto* label = new QLabel(text, findcaption);
        label->setObjectName(QLatin1String(name));
        label->setGeometry(10, top, 432, 15);
        return label;
    };
    dirname = makeLabel("dirname", QStringLiteral("Current directory: "), 14);
    dirnum = makeLabel("dirnum", QStringLiteral("Directories searched: 0"), 31);
    filenum = makeLabel("filenum", QStringLiteral("Files found: 0"), 48);

    outcancel = new QPushButton(QStringLiteral("&Cancel"), this);
    outcancel->setObjectName(QStringLiteral("outcancel"));
    outcancel->setGeometry(138, 76, 89, 25);
    quarvhelp = new QPushButton(QStringLiteral("&Help"), this);
    quarvhelp->setObjectName(QStringLiteral("quarvhelp"));
    quarvhelp->setGeometry(241, 76, 89, 25);
    quarvhelp->setAutoDefault(false);
    connect(outcancel, &QPushButton::clicked, this, [this] { askCancel(); });
    connect(quarvhelp, &QPushButton::clicked, this, [] { ShowContextHelp(); });
    AddHelpKey(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { search(); });
}

Tfindform::~Tfindform() {
    QApplication::restoreOverrideCursor();
}

void Tfindform::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centre();
    Timer1->start();
}

void Tfindform::askCancel() {
    if (AskYesNo(QStringLiteral("Cancel the file find ?"), 2)) cancelled_ = true;
}

void Tfindform::search() {
    Timer1->stop();
    found_.clear();
    cancelled_ = false;
    filenum->setText(QStringLiteral("Files found: 0"));
    {
        Search watch(*this);
        totals_ = SearchTree(argument_.directory, argument_.pattern, watch);
        watch.Show();
    }
    if (engine_ && totals_.files == 0) engine_->AddLine("  No matching files found.");
    finish();
}

void FindFilesToHistory(Engine& engine, const std::string& argument) {
    Tfindform form(argument, &engine);
    form.exec();
}

std::string FindFileInteractive(const std::string& argument) {
    std::vector<std::string> found;
    {
        Tfindform form(argument, nullptr);
        form.exec();
        found = form.found();
    }
    if (found.empty()) {
        ShowError(QStringLiteral("Error, no matching files found."));
        return {};
    }
    QStringList entries;
    entries.reserve(static_cast<qsizetype>(found.size()));
    for (const std::string& name : found)
        entries.push_back(QString::fromStdString(name));
    return ChooseFromList(QStringLiteral("List of Found Files:"),
                          QStringLiteral(" Select a found file: "), entries, kFoundListHelpTopic)
        .toStdString();
}

} // namespace qv
