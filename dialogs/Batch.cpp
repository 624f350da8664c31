#include "dialogs/Batch.h"

#include "dialogs/Mess.h"
#include "dialogs/dialoglayer.h"
#include "engine/batch.h"
#include "platform/paths.h"
#include "shell/help.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>

namespace qv {

namespace {

constexpr int kHelpTopicBatch = 1102;
constexpr int kClientWidth = 555;
constexpr int kClientHeight = 117;
constexpr int kWaitPollMs = 100;

} // namespace

struct Tbatchform::Channel {
    // Reports taken for this runner's handle; a line that started a tool waits until it grows.
    int reportsTaken = 0;
    // The runner has gone while a tool it started had not reported yet: the handle stays until
    // that report has been passed on, so the tool's result still reaches the history.
    bool lingering = false;
    plat::ReportServer* server = nullptr;
    plat::WindowHandle handle = 0;
};

Tbatchform::Tbatchform(BatchRun& run, const BatchHost& host, std::shared_ptr<Channel> channel,
                       plat::WindowHandle handle)
    : run_(run), host_(host), channel_(std::move(channel)), handle_(handle),
      savedHelpTopic_(HelpTopic()) {
    setObjectName(QStringLiteral("Tbatchform"));
    PrepareDialog(this, false);
    setWindowTitle(QStringLiteral("Quarver for Windows Batch Player: ") +
                   QString::fromStdString(plat::ExtractFileName(run.FileName())));
    setFixedSize(kClientWidth, kClientHeight);

    HelpTopic() = kHelpTopicBatch;
    // Whoever started the batch may show the hourglass; the runner is worked with the arrow.
    QApplication::setOverrideCursor(Qt::ArrowCursor);

    group = new QGroupBox(QStringLiteral(" Batch File contents: "), this);
    group->setObjectName(QStringLiteral("batchgroup"));
    group->setGeometry(8, 4, 436, 105);

    batchfile = new QPlainTextEdit(group);
    batchfile->setObjectName(QStringLiteral("batchfile"));
    batchfile->setGeometry(8, 20, 420, 77);
    batchfile->setReadOnly(true);
    batchfile->setLineWrapMode(QPlainTextEdit::NoWrap);
    batchfile->setUndoRedoEnabled(false);
    batchfile->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setGeometry(456, 12, 89, 25);
    quarvhelp = new QPushButton(QStringLiteral("&Help"), this);
    quarvhelp->setObjectName(QStringLiteral("quarvhelp"));
    quarvhelp->setGeometry(456, 44, 89, 25);
    connect(cancel, &QPushButton::clicked, this, &Tbatchform::cancelClick);
    connect(quarvhelp, &QPushButton::clicked, this, [] { ShowContextHelp(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &Tbatchform::runLines);

    // Centred under the main window's middle, over its lower quarter.
    const OwnerRect owner = DialogOwnerRect();
    PlaceDialog(this, owner.left + (owner.width - DialogOuterWidth(this)) / 2,
                owner.top + owner.height * 3 / 4);
}

Tbatchform::~Tbatchform() {
    QApplication::restoreOverrideCursor();
    HelpTopic() = savedHelpTopic_;
}

void Tbatchform::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        Timer1->start();
    }
}

bool Tbatchform::stopping() const {
    return cancelled_ || (host_.terminating && host_.terminating());
}

void Tbatchform::setLineText(int index, const QString& text) {
    QTextBlock block = batchfile->document()->findBlockByNumber(index);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
    QTextCursor at(block);
    batchfile->setTextCursor(at);
    batchfile->ensureCursorVisible();
}

void Tbatchform::runLines() {
    QPointer<Tbatchform> self(this);
    const auto& lines = run_.Lines();
    for (std::size_t i = 0; i < lines.size() && !stopping(); ++i) {
        if (BatchRun::IsBlankLine(lines[i])) continue;
        const int index = static_cast<int>(i);
        const QString text = QString::fromStdString(lines[i]);
        setLineText(index, QLatin1String(kMarker) + text);

        const int reportsBefore = channel_->reportsTaken;
        const bool reportFollows = run_.RunLine(i, handle_);
        if (!self) return;
        // Events keep flowing while the tool works; its report arrives through them.
        waiting_ = reportFollows;
        while (reportFollows && channel_->reportsTaken == reportsBefore && !stopping()) {
            QEventLoop wait;
            QTimer::singleShot(kWaitPollMs, &wait, &QEventLoop::quit);
            wait.exec();
            if (!self) return;
        }
        waiting_ = false;
        if (reportFollows && channel_->reportsTaken == reportsBefore) channel_->lingering = true;
        setLineText(index, text);
        QCoreApplication::processEvents();
        if (!self) return;
    }
    finished_ = true;
    accept();
}

void Tbatchform::cancelClick() {
    if (finished_ || cancelled_) return;
    if (AskYesNo(QStringLiteral("Cancel the batch file ?"), 2)) cancelled_ = true;
}

void Tbatchform::reject() {
    // Esc is Cancel with its question; the runner closes itself once the running line is done.
    if (finished_) {
        QDialog::reject();
        return;
    }
    cancelClick();
}

void Tbatchform::closeEvent(QCloseEvent* event) {
    if (finished_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
}

void Tbatchform::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        ShowContextHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

void RunBatchFile(Engine& engine, const std::string& fileName, const std::string& parameters,
                  const BatchHost& host) {
    BatchRun run(engine, fileName, parameters);

    auto channel = std::make_shared<Tbatchform::Channel>();
    channel->server = host.server;
    plat::WindowHandle handle = 0;
    if (host.server) {
        const auto passOn = host.passOn;
        // The handler owns the channel, so a report that comes after the runner has gone still
        // finds it.
        handle = host.server->RegisterWindow([channel, passOn](const plat::ReportRecord& record) {
            const int answer = passOn ? passOn(record) : 0;
            if (answer == 1) {
                ++channel->reportsTaken;
                if (channel->lingering && channel->server) {
                    channel->lingering = false;
                    channel->server->UnregisterWindow(channel->handle);
                }
            }
            return answer;
        });
        channel->handle = handle;
    }

    {
        Tbatchform form(run, host, channel, handle);
        if (!run.Load()) {
            ShowError(QStringLiteral("Error, couldn't load ") + QString::fromStdString(fileName));
        } else {
            QStringList lines;
            for (const std::string& line : run.Lines())
                lines.append(QString::fromStdString(line));
            form.batchfile->setPlainText(lines.join(QLatin1Char('\n')));
            form.exec();
        }
    }
    if (host.server && handle && !channel->lingering) host.server->UnregisterWindow(handle);
}

} // namespace qv
