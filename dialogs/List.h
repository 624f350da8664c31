#pragma once
// The list chooser (Tlistwin).
#include <QString>
#include <QStringList>

namespace qv {

// Lets the user pick one of `entries` (none preselected). `caption` is the window caption,
// `prompt` the caption of the group around the list. Returns the chosen entry, empty when nothing
// was chosen. The chooser's help topic is in force while it is open.
QString ChooseFromList(const QString& caption, const QString& prompt, const QStringList& entries,
                       int helpTopic);

} // namespace qv
