#pragma once
// Ttunef, the analysis window: the data rate of one ".qrv" file as a graph of every frame's size
// and its one-second average against the CD-ROM reference lines, with zoom, scrolling, a choice
// of unit, a frame readout, and copying and printing of the values and the picture.
#include "analysis/core/qrvfile.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <vector>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPrinter;
class QScrollBar;

namespace qv {

class TxyGraph;

// The window's status bar: fixed-width panels, a click belongs to the panel under its x.
class TuneStatusBar : public QWidget {
    Q_OBJECT
public:
    struct Panel {
        QString text;
        int width = 0;
        bool raised = false; // raised and centred, a button; else a lowered text field
    };
    explicit TuneStatusBar(QWidget* parent = nullptr);
    std::vector<Panel>& panels() { return panels_; }
    const std::vector<Panel>& panels() const { return panels_; }
    // The panel at x (the widths taken off in turn), -1 to the right of the last one.
    int panelAt(int x) const;

signals:
    void panelClicked(int panel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::vector<Panel> panels_;
};

class Ttunef : public QWidget {
    Q_OBJECT
public:
    explicit Ttunef(QWidget* parent = nullptr);
    ~Ttunef() override;

    // Strips one pair of quotes, adds ".qrv" when the name has no extension and loads the file;
    // on failure says so in an error box.
    bool OpenAnalysis(const QString& argument);

    // The frame axis spans n frames (at least 2) from its current start, as far as the file goes.
    void SetVisibleFrames(int n);
    // Marks for the ticked CD-ROM lines and the value axis scaled to them and the frame maximum.
    void ShowReferenceLines();

    QString fileName() const { return fileName_; }
    // The loaded file's numbers; its frame and average values are held by the graph's series 2
    // and 1.
    const RateSeries& rateInfo() const { return info_; }
    TxyGraph* graph() const { return graph_; }

    // The "Copy Values" text of the file as shown.
    QString valuesText() const;
    // The window's client area as a picture ("Copy Graph").
    QImage windowPicture();
    // Prints the picture of the window scaled to fit the page; false when printing could not
    // start.
    bool printGraph(QPrinter& printer);
    // The double-click readout at the last mouse x: the text shown, empty when there is no frame.
    QString frameReadoutText() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createMenu();
    QAction* addEntry(const char* name, const QString& caption, const QKeySequence& shortcut,
                      bool checkable, bool checked);
    bool loadFile();
    void applyUnitTexts();
    void zoomIn();
    void zoomOut();
    void zoomDefault();
    void scrolled(int position);
    void switchUnit();
    void copyGraph();
    void copyValues();
    void printWithDialog();
    void showFrameReadout();
    void openMenuFromKeyboard();
    void statusPanelClicked(int panel);
    bool handleKey(QKeyEvent* event);

    QString fileName_;
    RateSeries info_; // without its value vectors, which went to the graph
    bool firstShow_ = true;

    QFrame* panel_ = nullptr;
    TxyGraph* graph_ = nullptr;
    QGroupBox* legend_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    TuneStatusBar* status_ = nullptr;
    QFrame* buttonsClean_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* show1x_ = nullptr;
    QAction* show2x_ = nullptr;
    QAction* show4x_ = nullptr;
    QAction* showAsType_ = nullptr;
};

// The open analysis window, or null. Closing the window empties it.
extern Ttunef* AnalysisWindow;
// How many frames the frame axis spans; outlives the window, as the unit does.
extern int VisibleFrames;
// The x of the last mouse button release over the graph, in the graph's pixels.
extern int LastGraphMouseX;

// The "qrvtune" command: creates the window when there is none, loads the file (a program path,
// quotes and missing ".qrv" allowed) and shows the window. On failure the error box has been
// shown and the window is gone. True when the file is shown.
bool OpenAnalysis(const QString& programPath);

} // namespace qv
