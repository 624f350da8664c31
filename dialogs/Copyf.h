#pragma once
// The copy window (Tcopyform): copies one file in blocks while a bar grows with the blocks done,
// and lets the user cancel between blocks.
#include "dialogs/workwindow.h"
#include "engine/ui.h"

#include <QWidget>

#include <chrono>
#include <string>

class QPushButton;
class QTimer;

namespace qv {

// The bar's area: its fill grows from the left with the blocks done.
class CopyBar : public QWidget {
public:
    explicit CopyBar(QWidget* parent);
    int fill() const { return fill_; }
    // Repaints only when the bar really grows: a large file has far more blocks than pixels.
    void setFill(int width);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int fill_ = 0;
};

class Tcopyform : public WorkWindow {
    Q_OBJECT

public:
    // Full lower-case names, as CopyWithProgress has expanded them.
    Tcopyform(const std::string& source, const std::string& target);

    CopyOutcome outcome() const { return outcome_; }

    CopyBar* bar = nullptr;
    QPushButton* outcancel = nullptr;
    QTimer* Timer = nullptr;

    static constexpr int kBarWidth = 287;
    static constexpr int kBarHeight = 27;

protected:
    void showEvent(QShowEvent* event) override;
    void askCancel() override;

private:
    void copy();

    std::string source_;
    std::string target_;
    CopyOutcome outcome_ = CopyOutcome::Failed;
    bool cancelled_ = false;
};

// Copies one file with the copy window for the Copy command. Both names are expanded (full,
// lower case, the target's wildcards filled from the source) and written back for the caller to
// print. A copy onto the same file is refused with an error box.
CopyOutcome CopyWithProgress(std::string& source, std::string& target);

} // namespace qv
