#pragma once
// What every modal question of the program has in common: the window that owns it (the main
// window) and the one seam through which tests answer questions without ever blocking.
//
// In the running program each dialog is simply shown modally. Tests switch the layer to
// non-interactive and queue answers; every dialog that is asked is recorded in shown(), is still
// built (so its controls and geometry can be looked at through the inspector) but never waits for
// a user.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

namespace qv {

// The main window: the message box takes its current caption, all dialogs are its children and
// are placed relative to it. May be null (before the main window exists, or in tests).
void SetDialogOwner(QWidget* mainWindow);
QWidget* DialogOwner();
// The owner's outer rectangle in screen coordinates (the primary screen when there is no owner).
struct OwnerRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
OwnerRect DialogOwnerRect();
// Outer size of a dialog, frame included. Before a dialog is shown its frame is unknown; the
// owner's frame is a good estimate, as both have the same kind of border.
int DialogOuterWidth(const QDialog* dialog);
int DialogOuterHeight(const QDialog* dialog);
// Makes a dialog a child window of the owner that takes over its font, with a dialog border.
void PrepareDialog(QDialog* dialog, bool closeBox);

enum class DialogKind {
    Message, // Tmessform: MessageDialog and the operations built on it
    Text,    // Tstrwin: AskText
    List,    // Tlistwin: ChooseFromList
    Window,  // any other modal window (About, ...): answered by closing it
};

// A prepared answer for the next dialog.
struct DialogAnswer {
    DialogKind kind = DialogKind::Message;
    int button = 0;              // message box: result code 0 (closed) to 3
    bool accepted = false;       // prompt: OK (true) or Cancel
    std::optional<QString> text; // prompt: typed before the button; chooser: the entry to pick

    static DialogAnswer Button(int code);
    static DialogAnswer Text(bool accepted, const QString& typed);
    static DialogAnswer KeepText(bool accepted);      // the prompt's initial text left as it is
    static DialogAnswer Choice(const QString& entry); // empty or not in the list: Cancel
    static DialogAnswer Close();                      // for a modal window
};

// What one dialog showed when it was asked.
struct ShownDialog {
    DialogKind kind = DialogKind::Message;
    QString caption;       // window caption
    QString message;       // message text; prompt label; chooser group caption
    QStringList buttons;   // captions of the visible buttons, left to right
    int icon = 0;          // message box icon kind (1 question, 2 stop, 3 information)
    int defaultButton = 0; // message box default-button code as asked
    int helpTopic = 0;     // HelpTopic while the dialog was up (0 for the message box)
    QString text;          // prompt: initial text
    QStringList entries;   // chooser: the entries offered
    bool answered = false; // false when nobody answered (non-interactive, empty queue)
};

class DialogLayer {
public:
    // Called with the dialog, shown non-modally and fully set up, instead of running it modally.
    // It may press buttons, type or close the dialog; what the dialog holds afterwards is the
    // answer. If it leaves the dialog open, a queued answer applies, or else Cancel. The return
    // value is not used.
    using Inspector = std::function<int(QDialog*)>;

    static void queueAnswer(const DialogAnswer& answer);
    static const std::vector<ShownDialog>& shown();
    static size_t pendingAnswers();
    // Clears the queue, the record and the inspector (interactivity stays).
    static void reset();
    // In either mode a queued answer or the inspector comes first. Interactive (the default, except
    // on the offscreen and minimal platforms): otherwise the dialog runs modally. Non-interactive:
    // it is recorded, a warning is printed and the Cancel/close answer is returned at once.
    static void setInteractive(bool interactive);
    static bool interactive();
    static void setInspector(Inspector inspector);

    // Used by the dialogs themselves, and by every other modal window of the program in place of
    // exec() (with DialogKind::Window), so that no test ever waits on one: records the dialog,
    // then runs it modally, hands it to the inspector, or applies a queued answer through `apply`.
    // `apply` receives an answer of the dialog's kind and must close the dialog the way the
    // matching button would. A dialog left open is closed with reject().
    static void run(QDialog* dialog, ShownDialog record,
                    const std::function<void(const DialogAnswer&)>& apply);
};

// Moves a top-level dialog so that its outer top-left corner lies at (left, top).
void PlaceDialog(QDialog* dialog, int left, int top);

} // namespace qv
