#pragma once
// The program's message box: every question, warning and error goes through these operations.
// Captions with "&" mark the access key; an empty caption hides its button.
#include <QString>

namespace qv {

// Icon kinds.
enum MessageIcon : int {
    miNone = 0,
    miQuestion = 1,
    miStop = 2,
    miInformation = 3,
};

// Result codes: 1 first, 2 second, 3 third (Cancel) button; 0 closed without a button.
// Default-button codes: 1, 2, 3 name that button; anything else leaves the focus on the first.

// The general box. The third button always reads "&Cancel"; `third` only says whether it is shown
// (empty: hidden). Visible buttons stay right-aligned.
int MessageDialog(const QString& message, const QString& first, const QString& second, int icon,
                  int defaultButton, const QString& third);
// Question icon, the two captions and "&Cancel".
int AskChoice(const QString& message, const QString& first, const QString& second,
              int defaultButton);
// Question icon, "&Yes", "&No", "&Cancel".
int AskYesNoCancel(const QString& message, int defaultButton);
// Question icon, "&Yes", "&No"; true only for "&Yes".
bool AskYesNo(const QString& message, int defaultButton);
// Information icon and "&OK".
void ShowInfo(const QString& message);
// Stop icon and "&OK".
void ShowError(const QString& message);

} // namespace qv
