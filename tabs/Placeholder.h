#pragma once
// The form of a tab page whose tool front end is not in the program yet: an empty page with the
// page's caption. It keeps no values.
#include <QWidget>

namespace qv {

class Tplaceholderform : public QWidget {
    Q_OBJECT

public:
    // `caption` is the caption of the page's sheet, which the form docks by.
    explicit Tplaceholderform(const QString& caption, QWidget* parent = nullptr);
};

} // namespace qv
