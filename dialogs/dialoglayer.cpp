#include "dialogs/dialoglayer.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QtGlobal>

#include <deque>

namespace qv {

namespace {

QPointer<QWidget>& Owner() {
    static QPointer<QWidget> owner;
    return owner;
}

struct LayerState {
    std::deque<DialogAnswer> queue;
    std::vector<ShownDialog> shown;
    DialogLayer::Inspector inspector;
    std::optional<bool> interactive; // unset: decided by the platform
};

LayerState& State() {
    static LayerState state;
    return state;
}

const char* KindName(DialogKind kind) {
    switch (kind) {
    case DialogKind::Message:
        return "message box";
    case DialogKind::Text:
        return "prompt";
    case DialogKind::List:
        return "list chooser";
    case DialogKind::Window:
        return "window";
    }
    return "dialog";
}

} // namespace

void SetDialogOwner(QWidget* mainWindow) {
    Owner() = mainWindow;
}

QWidget* DialogOwner() {
    return Owner().data();
}

OwnerRect DialogOwnerRect() {
    if (QWidget* owner = DialogOwner()) {
        const QRect frame = owner->frameGeometry();
        return {frame.left(), frame.top(), frame.width(), frame.height()};
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        return {area.left(), area.top(), area.width(), area.height()};
    }
    return {0, 0, 640, 480};
}

namespace {

QSize OwnerFrameExtra() {
    if (QWidget* owner = DialogOwner(); owner && owner->isWindow())
        return owner->frameGeometry().size() - owner->size();
    return {0, 0};
}

} // namespace

int DialogOuterWidth(const QDialog* dialog) {
    if (dialog->isVisible()) return dialog->frameGeometry().width();
    return dialog->width() + OwnerFrameExtra().width();
}

int DialogOuterHeight(const QDialog* dialog) {
    if (dialog->isVisible()) return dialog->frameGeometry().height();
    return dialog->height() + OwnerFrameExtra().height();
}

void PrepareDialog(QDialog* dialog, bool closeBox) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    if (closeBox) flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
    dialog->setParent(DialogOwner(), flags);
    dialog->setAttribute(Qt::WA_WindowPropagation);
    if (QWidget* owner = DialogOwner()) dialog->setFont(owner->font());
}

void PlaceDialog(QDialog* dialog, int left, int top) {
    // move() of a top-level window places its frame, which is what the placement rules measure.
    dialog->move(left, top);
}

DialogAnswer DialogAnswer::Button(int code) {
    DialogAnswer answer;
    answer.kind = DialogKind::Message;
    answer.button = code;
    return answer;
}

DialogAnswer DialogAnswer::Text(bool accepted, const QString& typed) {
    DialogAnswer answer;
    answer.kind = DialogKind::Text;
    answer.accepted = accepted;
    answer.text = typed;
    return answer;
}

DialogAnswer DialogAnswer::KeepText(bool accepted) {
    DialogAnswer answer;
    answer.kind = DialogKind::Text;
    answer.accepted = accepted;
    return answer;
}

DialogAnswer DialogAnswer::Choice(const QString& entry) {
    DialogAnswer answer;
    answer.kind = DialogKind::List;
    answer.text = entry;
    return answer;
}

DialogAnswer DialogAnswer::Close() {
    DialogAnswer answer;
    answer.kind = DialogKind::Window;
    return answer;
}

void DialogLayer::queueAnswer(const DialogAnswer& answer) {
    State().queue.push_back(answer);
}

const std::vector<ShownDialog>& DialogLayer::shown() {
    return State().shown;
}

size_t DialogLayer::pendingAnswers() {
    return State().queue.size();
}

void DialogLayer::reset() {
    LayerState& state = State();
    state.queue.clear();
    state.shown.clear();
    state.inspector = nullptr;
}

void DialogLayer::setInteractive(bool interactive) {
    State().interactive = interactive;
}

bool DialogLayer::interactive() {
    if (State().interactive) return *State().interactive;
    // Nobody could ever press a button on these platforms: never wait for one.
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void DialogLayer::setInspector(Inspector inspector) {
    State().inspector = std::move(inspector);
}

void DialogLayer::run(QDialog* dialog, ShownDialog record,
                      const std::function<void(const DialogAnswer&)>& apply) {
    LayerState& state = State();
    const DialogKind kind = record.kind;
    const size_t index = state.shown.size();
    record.answered = true;
    state.shown.push_back(record);

    if (!state.inspector && state.queue.empty() && interactive()) {
        dialog->exec();
        return;
    }

    bool finished = false;
    // The dialog outlives this call (its caller still reads it): the connection must not.
    struct Watch {
        QMetaObject::Connection connection;
        ~Watch() { QObject::disconnect(connection); }
    } watch{QObject::connect(dialog, &QDialog::finished, dialog, [&finished] { finished = true; })};

    if (state.inspector) {
        dialog->show();
        // The inspector may reset the layer; keep our copy alive while it runs.
        const Inspector inspector = state.inspector;
        inspector(dialog);
        if (finished) return;
    }
    if (!state.queue.empty()) {
        const DialogAnswer answer = state.queue.front();
        state.queue.pop_front();
        if (answer.kind == kind) {
            apply(answer);
            if (!finished) dialog->reject();
            return;
        }
        qWarning("Quarver: a %s was asked while the next queued answer is for a %s; cancelled",
                 KindName(kind), KindName(answer.kind));
    } else if (!state.inspector) {
        qWarning("Quarver: %s \"%s\" asked with no answer queued; cancelled", KindName(kind),
                 qPrintable(record.message));
    }
    if (index < state.shown.size()) state.shown[index].answered = false;
    // A close: the prompt and the chooser count it as Cancel, the message box reports 0.
    if (!finished) dialog->reject();
}

} // namespace qv
