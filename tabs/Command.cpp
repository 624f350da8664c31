#include "tabs/Command.h"

#include "dialogs/List.h"
#include "dialogs/Mess.h"
#include "dialogs/str.h"
#include "engine/engine.h"
#include "engine/textutil.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "shell/help.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

namespace qv {

namespace {

constexpr int kHelpTopicSaveHistory = 1090;
constexpr int kHelpTopicRecentCommands = 1086;
constexpr int kHelpTopicRecentDirectories = 1100;

QFont HistoryFont() {
    constexpr int kPointSize = 9;
    QFont font(QStringLiteral("Courier New"), kPointSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!font.exactMatch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(kPointSize);
        font.setFixedPitch(true);
    }
    return font;
}

QStringList ToStringList(const std::vector<std::string>& entries) {
    QStringList list;
    for (const std::string& entry : entries)
        list.append(QString::fromStdString(entry));
    return list;
}

} // namespace

// The history box: a view of CommandHistory that follows every change while attached.
class HistoryBox : public QPlainTextEdit, public HistoryObserver {
public:
    HistoryBox(CommandHistory& history, QWidget* parent)
        : QPlainTextEdit(parent), history_(history) {}
    ~HistoryBox() override { Detach(); }

    void Attach() { history_.Attach(this); }
    void Detach() { history_.Detach(this); }

    void ScrollToEnd() {
        moveCursor(QTextCursor::End);
        ensureCursorVisible();
    }

    void HistoryLinesAppended(std::size_t first, std::size_t count) override {
        const auto& lines = history_.Lines();
        QTextCursor cursor(document());
        cursor.movePosition(QTextCursor::End);
        cursor.beginEditBlock();
        for (std::size_t i = first; i < first + count && i < lines.size(); ++i) {
            if (shown_ > 0) cursor.insertBlock();
            cursor.insertText(QString::fromStdString(lines[i]));
            ++shown_;
        }
        cursor.endEditBlock();
        FollowEnd();
    }

    void HistoryLastLineChanged() override {
        if (shown_ == 0 || history_.Empty()) {
            HistoryReset();
            return;
        }
        QTextCursor cursor(document()->lastBlock());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(QString::fromStdString(history_.LastLine()));
        FollowEnd();
    }

    void HistoryLinesRemovedFromFront(std::size_t count) override {
        if (count >= shown_) {
            HistoryReset();
            return;
        }
        QTextCursor cursor(document());
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor,
                            static_cast<int>(count));
        cursor.removeSelectedText();
        shown_ -= count;
    }

    void HistoryCleared() override {
        clear();
        shown_ = 0;
    }

    void HistoryReset() override {
        QStringList lines = ToStringList(history_.Lines());
        setPlainText(lines.join(QLatin1Char('\n')));
        shown_ = history_.Count();
        FollowEnd();
    }

    void HistoryScrollToCaret() override { ensureCursorVisible(); }

private:
    // New output shows at once, unless the user is selecting text to copy.
    void FollowEnd() {
        if (!textCursor().hasSelection()) ScrollToEnd();
    }

    CommandHistory& history_;
    std::size_t shown_ = 0;
};

Tcommandform::Tcommandform(Engine& engine, QWidget* parent) : QWidget(parent), engine_(engine) {
    setObjectName(QStringLiteral("Tcommandform"));
    setWindowTitle(QStringLiteral("Command"));

    commandgroup = new QGroupBox(QStringLiteral(" Enter a specific command to run:  "), this);
    commandgroup->setObjectName(QStringLiteral("commandgroup"));
    commandtorun = new QLineEdit(commandgroup);
    commandtorun->setObjectName(QStringLiteral("commandtorun"));
    commandtorun->setToolTip(QStringLiteral("Right click for command options."));
    commandtorun->setContextMenuPolicy(Qt::CustomContextMenu);
    commandrun = new QPushButton(QStringLiteral("&Run Specific"), commandgroup);
    commandrun->setObjectName(QStringLiteral("commandrun"));
    commandrun->setDefault(true);
    commandrun->setEnabled(false);
    newbatch = new QPushButton(QStringLiteral("&New Batch"), commandgroup);
    newbatch->setObjectName(QStringLiteral("newbatch"));
    auto* fieldRow = new QHBoxLayout(commandgroup);
    fieldRow->setContentsMargins(8, 4, 8, 8);
    fieldRow->addWidget(commandtorun, 1);
    fieldRow->addWidget(commandrun);
    fieldRow->addWidget(newbatch);

    historygroup = new QGroupBox(QStringLiteral(" Command History: "), this);
    historygroup->setObjectName(QStringLiteral("historygroup"));
    box_ = new HistoryBox(engine_.history, historygroup);
    commandhistory = box_;
    commandhistory->setObjectName(QStringLiteral("commandhistory"));
    commandhistory->setReadOnly(true);
    // Read-only, the box still has a caret that the keys move and select with, as a read-only
    // edit control has: Ctrl+Page Down and copying by keyboard rely on it.
    commandhistory->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    commandhistory->setLineWrapMode(QPlainTextEdit::NoWrap);
    commandhistory->setUndoRedoEnabled(false);
    commandhistory->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    commandhistory->setFont(HistoryFont());
    {
        QPalette face = commandhistory->palette();
        face.setColor(QPalette::Base, face.color(QPalette::Button));
        commandhistory->setPalette(face);
    }
    commandhistory->setToolTip(QStringLiteral("Right click for command history options."));
    commandhistory->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* historyLayout = new QVBoxLayout(historygroup);
    historyLayout->setContentsMargins(8, 4, 8, 8);
    historyLayout->addWidget(commandhistory);

    const auto makeButton = [this](const char* name, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        button->setMinimumWidth(89);
        button->setAutoDefault(false);
        return button;
    };
    commandmain = makeButton("commandmain", QStringLiteral("Back to &Main"));
    commandhelp = makeButton("commandhelp", QStringLiteral("&Help"));
    commandhow = makeButton("commandhow", QStringLiteral("Ho&w do I...?"));
    newbatch->setMinimumWidth(89);
    newbatch->setAutoDefault(false);
    commandrun->setMinimumWidth(89);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(commandmain);
    buttonRow->addWidget(commandhelp);
    buttonRow->addWidget(commandhow);
    buttonRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(commandgroup);
    layout->addWidget(historygroup, 1);
    layout->addLayout(buttonRow);

    // The menus show their shortcuts; the keys themselves are handled where the focus is, because
    // the two menus share Ctrl+C.
    histmenu = new QMenu(this);
    histmenu->setObjectName(QStringLiteral("histmenu"));
    histmenucopy = histmenu->addAction(QStringLiteral("&Copy"), this, &Tcommandform::copyHistory);
    histmenucopy->setObjectName(QStringLiteral("histmenucopy"));
    histmenucopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    histclear =
        histmenu->addAction(QStringLiteral("Clear &History"), this, &Tcommandform::clearHistory);
    histclear->setObjectName(QStringLiteral("histclear"));
    histclear->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    histmenu->addSeparator();
    histmenusaveas =
        histmenu->addAction(QStringLiteral("Save &As"), this, &Tcommandform::saveHistoryAs);
    histmenusaveas->setObjectName(QStringLiteral("histmenusaveas"));
    histmenusaveas->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    for (QAction* action : histmenu->actions())
        action->setShortcutContext(Qt::WidgetShortcut);

    commandmenu = new QMenu(this);
    commandmenu->setObjectName(QStringLiteral("commandmenu"));
    commandmenucmds = commandmenu->addAction(QStringLiteral("Recent &Commands"), this,
                                             &Tcommandform::recentCommands);
    commandmenucmds->setObjectName(QStringLiteral("commandmenucmds"));
    commandmenucmds->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    commandmenudirs = commandmenu->addAction(QStringLiteral("Recen&t Directories"), this,
                                             &Tcommandform::recentDirectories);
    commandmenudirs->setObjectName(QStringLiteral("commandmenudirs"));
    commandmenudirs->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    for (QAction* action : commandmenu->actions())
        action->setShortcutContext(Qt::WidgetShortcut);

    connect(commandhistory, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { histmenu->popup(commandhistory->mapToGlobal(at)); });
    connect(commandtorun, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { commandmenu->popup(commandtorun->mapToGlobal(at)); });
    connect(commandtorun, &QLineEdit::textChanged, this, &Tcommandform::commandtorunChange);
    connect(commandtorun, &QLineEdit::returnPressed, this, &Tcommandform::commandtorunEnter);
    connect(commandrun, &QPushButton::clicked, this, &Tcommandform::commandrunClick);
    connect(commandmain, &QPushButton::clicked, this, &Tcommandform::requestMainTab);
    connect(commandhelp, &QPushButton::clicked, this, [] { ShowContextHelp(); });
    connect(commandhow, &QPushButton::clicked, this, [] { ShowHowDoI(); });
    connect(newbatch, &QPushButton::clicked, this, [this] { engine_.RunCommand({}, "Edit"); });

    commandtorun->installEventFilter(this);
    commandhistory->installEventFilter(this);
    setFocusProxy(commandtorun);

    // Until the main window attaches the box, it shows what the history holds now.
    box_->HistoryReset();
}

Tcommandform::~Tcommandform() {
    box_->Detach();
}

void Tcommandform::AttachHistory() {
    box_->Attach();
    box_->ScrollToEnd();
}

void Tcommandform::closeEvent(QCloseEvent* event) {
    // The history lives on without the box while another page is shown.
    box_->Detach();
    QWidget::closeEvent(event);
}

void Tcommandform::requestMainTab() {
    engine_.ui().SetTabRequest(0);
}

void Tcommandform::keyPressEvent(QKeyEvent* event) {
    // Esc anywhere on the page but in the command field presses "Back to &Main".
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        commandmain->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Tcommandform::eventFilter(QObject* watched, QEvent* event) {
    if (watched == commandtorun) {
        if (event->type() == QEvent::FocusIn && firstEntry_) {
            firstEntry_ = false;
            box_->ScrollToEnd();
        } else if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
            if (mods == Qt::NoModifier) {
                switch (key->key()) {
                case Qt::Key_Up:
                    recall(true);
                    return true;
                case Qt::Key_Down:
                    recall(false);
                    return true;
                case Qt::Key_Escape:
                    escapeInField();
                    return true;
                default:
                    break;
                }
            } else if (mods == Qt::ControlModifier) {
                if (key->key() == Qt::Key_C) {
                    commandmenucmds->trigger();
                    return true;
                }
                if (key->key() == Qt::Key_T) {
                    commandmenudirs->trigger();
                    return true;
                }
            }
        } else if (event->type() == QEvent::ShortcutOverride) {
            // Ctrl+C belongs to the recent commands here, not to the field's copy.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_C) {
                event->accept();
                return true;
            }
        }
    } else if (watched == commandhistory) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() == Qt::ControlModifier) {
                switch (key->key()) {
                case Qt::Key_PageDown:
                    box_->ScrollToEnd();
                    return true;
                case Qt::Key_C:
                    histmenucopy->trigger();
                    return true;
                case Qt::Key_H:
                    histclear->trigger();
                    return true;
                case Qt::Key_A:
                    histmenusaveas->trigger();
                    return true;
                default:
                    break;
                }
            }
        } else if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() == Qt::ControlModifier &&
                (key->key() == Qt::Key_A || key->key() == Qt::Key_H)) {
                event->accept();
                return true;
            }
        } else if (event->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) requestMainTab();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Tcommandform::commandtorunChange(const QString& text) {
    RecallIndex = 0;
    commandrun->setEnabled(!TrimBlanks(text.toStdString()).empty());
}

void Tcommandform::commandtorunEnter() {
    if (commandrun->isEnabled()) commandrun->click();
}

void Tcommandform::commandrunClick() {
    commandtorun->setFocus();
    const std::string line = commandtorun->text().toStdString();
    const bool savedFromCommandTab = engine_.FromCommandTab;
    engine_.FromCommandTab = true;
    QPointer<Tcommandform> self(this);
    engine_.RunCommand({}, line);
    engine_.FromCommandTab = savedFromCommandTab;
    // A batch line may have turned the page meanwhile; the form may be gone.
    if (self) commandtorun->clear();
}

void Tcommandform::recall(bool up) {
    const auto& recent = engine_.settings.RecentCommands;
    const std::size_t count = recent.size();
    if (count == 0) return;
    std::size_t shown = RecallIndex < count ? RecallIndex : 0;
    commandtorun->setText(QString::fromStdString(recent[shown]));
    commandtorun->selectAll();
    if (up)
        shown = shown + 1 < count ? shown + 1 : 0;
    else
        shown = shown == 0 ? count - 1 : shown - 1;
    RecallIndex = static_cast<uint16_t>(shown);
}

void Tcommandform::escapeInField() {
    if (!commandtorun->text().isEmpty())
        commandtorun->clear();
    else
        requestMainTab();
}

void Tcommandform::copyHistory() {
    commandhistory->copy();
}

void Tcommandform::clearHistory() {
    engine_.history.Clear();
    engine_.ShowPrompt();
    commandtorun->setFocus();
}

void Tcommandform::saveHistoryAs() {
    QString name = QString::fromStdString(AddBackslash(engine_.settings.CommandDirectory)) +
                   QStringLiteral("untitled.txt");
    // Until the program has its output file dialog, the name is asked for with the prompt.
    if (!AskText(QStringLiteral("Save Command History:"), QStringLiteral(" Save As: "),
                 QStringLiteral("&Save"), kHelpTopicSaveHistory, name))
        return;
    const std::string trimmed = TrimBlanks(name.toStdString());
    if (trimmed.empty()) return;
    // A relative name is meant in the command directory, where the dialog started.
    const std::string saved = plat::GetCurrentDir();
    plat::SetCurrentDir(engine_.settings.CommandDirectory);
    const std::string full = plat::FullPath(StripQuotes(trimmed));
    plat::SetCurrentDir(saved);
    if (full.empty() || !plat::WriteWholeFile(full, engine_.history.Text()))
        ShowError(QStringLiteral("Error: could not save command history."));
}

void Tcommandform::recentCommands() {
    const QString chosen =
        ChooseFromList(QStringLiteral("List of Recent Commands:"),
                       QStringLiteral(" Select a recently used command: "),
                       ToStringList(engine_.settings.RecentCommands), kHelpTopicRecentCommands);
    if (chosen.isEmpty()) return;
    commandtorun->setText(chosen);
    commandtorun->setCursorPosition(static_cast<int>(chosen.size()));
    commandtorun->setFocus();
}

void Tcommandform::recentDirectories() {
    const QString chosen = ChooseFromList(QStringLiteral("List of Recent Directories:"),
                                          QStringLiteral(" Select a recently used directory: "),
                                          ToStringList(engine_.settings.RecentDirectories),
                                          kHelpTopicRecentDirectories);
    if (chosen.isEmpty()) return;
    QPointer<Tcommandform> self(this);
    engine_.RunCommand({}, "CD " + chosen.toStdString());
    if (self) commandtorun->setFocus();
}

} // namespace qv
