#pragma once
// The About window and the product picture it shares with the Main tab.
#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;
class QTextEdit;

namespace qv {

inline constexpr const char* kVersionText = "4.0g";
inline constexpr const char* kMakersNotice =
    "Copyright \u00A9 Quarver Software. All rights reserved.";
inline constexpr const char* kHomePageAddress = "https://www.quarver.example/";

// The product logo drawn at any size.
QPixmap QuarverLogo(int width, int height);

class Taboutwin : public QDialog {
public:
    explicit Taboutwin(QWidget* parent = nullptr);
    ~Taboutwin() override;

    // Shows the window modally (through the dialog layer) and destroys it afterwards.
    static void ShowAbout();

    QLabel* aboutlabel;
    QLabel* aboutcopy;
    QLabel* aboutquarv;
    QTextEdit* abouttext1;
    QTextEdit* abouttext2;
    QPushButton* aboutclose;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restoreHints();

    bool hintsSaved_ = false;
    bool savedHints_ = true;
};

} // namespace qv
