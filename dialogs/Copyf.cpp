#include "dialogs/Copyf.h"

#include "dialogs/Mess.h"
#include "dialogs/dialoglayer.h"
#include "engine/filecopy.h"
#include "platform/paths.h"

#include <QApplication>
#include <QFrame>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace qv {

CopyBar::CopyBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("bar"));
}

void CopyBar::setFill(int width) {
    if (width == fill_) return;
    fill_ = width;
    update();
}

void CopyBar::paintEvent(QPaintEvent*) {
    if (fill_ <= 0) return;
    QPainter painter(this);
    painter.fillRect(0, 0, fill_, height(), Qt::blue);
}

Tcopyform::Tcopyform(const std::string& source, const std::string& target)
    : source_(source), target_(target) {
    setObjectName(QStringLiteral("Tcopyform"));
    PrepareDialog(this, false);
    setFixedSize(306, 74);
    setWindowTitle(QStringLiteral("Copying..."));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(8, 6, kBarWidth + 4, kBarHeight + 4);
    bar = new CopyBar(panel);
    bar->setGeometry(2, 2, kBarWidth, kBarHeight);

    outcancel = new QPushButton(QStringLiteral("&Cancel"), this);
    outcancel->setObjectName(QStringLiteral("outcancel"));
    outcancel->setGeometry(108, 42, 89, 25);
    connect(outcancel, &QPushButton::clicked, this, [this] { askCancel(); });

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(1);
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, [this] { copy(); });
}

void Tcopyform::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setWindowTitle(QStringLiteral("Copying ") +
                   QString::fromStdString(plat::ToLower(plat::ExtractFileName(source_))) +
                   QStringLiteral("..."));
    centre();
    Timer->start();
}

void Tcopyform::askCancel() {
    if (AskYesNo(QStringLiteral("Do you want to cancel the file copy?"), 2)) cancelled_ = true;
}

void Tcopyform::copy() {
    Timer->stop();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    repaint();

    class Progress : public CopyObserver {
    public:
        explicit Progress(Tcopyform& form) : form_(form) {}
        void BlockCopied(uint64_t done, uint64_t blocks) override {
            form_.bar->setFill(static_cast<int>(done * kBarWidth / blocks));
            if (pacer_.Due()) QCoreApplication::processEvents();
        }
        bool Cancelled() override { return form_.cancelled_; }

    private:
        Tcopyform& form_;
        EventPacer pacer_;
    } progress(*this);

    outcome_ = CopyInBlocks(source_, target_, progress);
    QApplication::restoreOverrideCursor();
    finish();
}

CopyOutcome CopyWithProgress(std::string& source, std::string& target) {
    ExpandCopyNames(source, target);
    if (IsSameFile(source, target)) {
        ShowError(QStringLiteral("Error, cannot copy a file onto itself."));
        return CopyOutcome::Failed;
    }
    Tcopyform form(source, target);
    form.exec();
    return form.outcome();
}

} // namespace qv
