#include "dialogs/workwindow.h"

#include "dialogs/dialoglayer.h"

namespace qv {

void WorkWindow::centre() {
    const OwnerRect main = DialogOwnerRect();
    PlaceDialog(this, main.left + (main.width - DialogOuterWidth(this)) / 2,
                main.top + (main.height - DialogOuterHeight(this)) / 2);
}

} // namespace qv
