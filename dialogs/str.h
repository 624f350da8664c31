#pragma once
// The one-line prompt (Tstrwin).
#include <QString>

namespace qv {

// Asks for one line of text. `text` holds the initial text and receives the edited text whichever
// button closed the prompt (exactly as typed); the result is true only for the OK button. The
// prompt's help topic is in force while it is open and the previous one is back afterwards.
bool AskText(const QString& caption, const QString& label, const QString& okCaption, int helpTopic,
             QString& text);

} // namespace qv
