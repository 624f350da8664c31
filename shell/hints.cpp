#include "shell/hints.h"

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QToolTip>

namespace qv {

namespace {

class HintFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip) return true;
        return QObject::eventFilter(watched, event);
    }
};

// Owned by the application, so it may vanish with it.
QPointer<HintFilter>& Filter() {
    static QPointer<HintFilter> filter;
    return filter;
}

} // namespace

void SetHintsEnabled(bool enabled) {
    if (enabled == HintsEnabled()) return;
    if (enabled) {
        delete Filter().data();
    } else if (QCoreApplication* app = QCoreApplication::instance()) {
        Filter() = new HintFilter(app);
        app->installEventFilter(Filter());
        QToolTip::hideText();
    }
}

bool HintsEnabled() {
    return Filter().isNull();
}

} // namespace qv
