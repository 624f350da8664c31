#include "analysis/Tune.h"

#include "analysis/chart.h"
#include "dialogs/Mess.h"
#include "dialogs/dialoglayer.h"
#include "engine/textutil.h"
#include "platform/paths.h"
#include "shell/help.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cmath>

namespace qv {

Ttunef* AnalysisWindow = nullptr;
int VisibleFrames = 1;
int LastGraphMouseX = 0;

namespace {

// Raised around every change the window itself makes to the scroll bar and the frame axis, so
// that the scroll bar's change signal does not act on them.
int ChangeCounter = 0;

constexpr int kDesignWidth = 500;
constexpr int kDesignHeight = 344;
constexpr int kStatusHeight = 20;
constexpr int kScrollHeight = 17;
// Design gaps: the scroll bar is 14 pixels narrower than the client area; the first status panel
// leaves 298 pixels for the others.
constexpr int kScrollInset = 14;
constexpr int kPanelZeroInset = 298;
constexpr int kFramePixels = 35; // default zoom: one frame per 35 pixels of window width

const QColor kRed(0xFF, 0x00, 0x00);
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kAqua(0x00, 0xFF, 0xFF);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kLime(0x00, 0xFF, 0x00);

// A frame span as the int the scroll bar takes; files of hundreds of millions of frames would
// otherwise overflow the zoom arithmetic.
int SpanOf(double span) {
    return static_cast<int>(std::clamp(std::trunc(span), double{INT_MIN}, double{INT_MAX}));
}

QString NameWithoutDirectory(const QString& fileName) {
    return QString::fromStdString(plat::ExtractFileName(fileName.toStdString()));
}

} // namespace

// --- TuneStatusBar

TuneStatusBar::TuneStatusBar(QWidget* parent) : QWidget(parent) {}

int TuneStatusBar::panelAt(int x) const {
    int rest = x;
    for (size_t i = 0; i < panels_.size(); ++i) {
        if (rest < panels_[i].width) return rest < 0 ? -1 : static_cast<int>(i);
        rest -= panels_[i].width;
    }
    return -1;
}

void TuneStatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    int left = 0;
    for (const Panel& panel : panels_) {
        const QRect box(left, 0, panel.width, height());
        left += panel.width;
        if (panel.width <= 0) continue;
        if (panel.raised || !panel.text.isEmpty()) {
            QStyleOptionFrame option;
            option.initFrom(this);
            option.rect = box.adjusted(1, 1, -1, -1);
            option.lineWidth = 1;
            option.state |= panel.raised ? QStyle::State_Raised : QStyle::State_Sunken;
            style()->drawPrimitive(QStyle::PE_Frame, &option, &painter, this);
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(box.adjusted(4, 0, -4, 0),
                         Qt::AlignVCenter | (panel.raised ? Qt::AlignHCenter : Qt::AlignLeft),
                         panel.text);
    }
}

void TuneStatusBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int panel = panelAt(event->position().toPoint().x());
        if (panel >= 0) emit panelClicked(panel);
    }
    QWidget::mouseReleaseEvent(event);
}

// --- Ttunef

Ttunef::Ttunef(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("Ttunef");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Quarv Analyze");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(kDesignWidth, kDesignHeight);
    // The small dialog font the layout was made for.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    panel_ = new QFrame(this);
    panel_->setObjectName("Panel1");
    panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel_->setGeometry(9, 8, 483, 282);
    auto* panelLayout = new QVBoxLayout(panel_);
    panelLayout->setContentsMargins(1, 1, 1, 1);

    graph_ = new TxyGraph(panel_);
    graph_->setObjectName("graph");
    panelLayout->addWidget(graph_);
    graph_->setPlotting(false);
    graph_->setFont(QFont("Arial", 8));
    graph_->XAxis = {1, 15, 1, "Frames"};
    graph_->YAxis = {0, 600000, 0, "Bytes Per Second"};
    graph_->marginBottom = 45;
    graph_->marginLeft = 80;
    graph_->yTitleOffset = 21;
    graph_->yLabelOffset = 0;
    graph_->titleOffset = 8;
    graph_->Appearance = ChartAppearance{};
    for (int k : {1, 2}) {
        ChartSeries& s = graph_->series(k);
        s.showLine = true;
        s.lineStyle = Qt::SolidLine;
        s.showPoints = true;
        s.fillPoints = true;
        s.pointShape = PointShape::Circle;
        s.pointSize = 5;
        s.lineColor = s.pointColor = k == 2 ? kRed : kYellow;
    }
    graph_->installEventFilter(this);

    legend_ = new QGroupBox("Legend", graph_);
    legend_->setObjectName("legend");
    legend_->setGeometry(358, 7, 116, 103);
    legend_->setAutoFillBackground(true); // the plot must not show through
    legend_->hide();
    const struct {
        const char* text;
        QColor colour;
    } entries[] = {{"Animation", kRed},
                   {"1 second average", kYellow},
                   {"2x CD-ROM", kBlue},
                   {"4x CD-ROM", kLime},
                   {"1x CD-ROM", kAqua}};
    QFont bold = legend_->font();
    bold.setBold(true);
    // The black copies go in first so that they lie beneath, one pixel right and down: a shadow.
    for (int shadow : {1, 0}) {
        for (int k = 0; k < 5; ++k) {
            auto* label = new QLabel(entries[k].text, legend_);
            label->setObjectName(QString("Label%1").arg(k + 1 + 5 * shadow));
            label->setFont(bold);
            QPalette pal = label->palette();
            pal.setColor(QPalette::WindowText, shadow ? QColor(Qt::black) : entries[k].colour);
            label->setPalette(pal);
            // Inside the chart the inherited role would be the button text colour.
            label->setForegroundRole(QPalette::WindowText);
            label->setGeometry(10 + shadow, 18 + 16 * k + shadow, 104, 15);
        }
    }

    scroll_ = new QScrollBar(Qt::Horizontal, this);
    scroll_->setObjectName("scroll");
    scroll_->setGeometry(8, 299, kDesignWidth - kScrollInset, kScrollHeight);
    scroll_->setRange(1, 1);
    connect(scroll_, &QScrollBar::valueChanged, this, &Ttunef::scrolled);

    status_ = new TuneStatusBar(this);
    status_->setObjectName("StatusBar1");
    status_->setGeometry(1, kDesignHeight - kStatusHeight - 2, kDesignWidth - 2, kStatusHeight);
    status_->panels() = {
        {"Right click on the graph for options.", kDesignWidth - kPanelZeroInset, false},
        {"Zoom In", 65, true},
        {"Zoom Out", 70, true},
        {"Zoom Default", 90, true},
        {"Close", 50, true},
        {"", 50, false}};
    connect(status_, &TuneStatusBar::panelClicked, this, &Ttunef::statusPanelClicked);

    buttonsClean_ = new QFrame(this);
    buttonsClean_->setObjectName("buttonsclean");
    buttonsClean_->setFrameStyle(QFrame::NoFrame);
    buttonsClean_->setGeometry(kDesignWidth - 137, 0, 137, 2);

    createMenu();
    applyUnitTexts();
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

Ttunef::~Ttunef() {
    if (AnalysisWindow == this) AnalysisWindow = nullptr;
}

QAction* Ttunef::addEntry(const char* name, const QString& caption, const QKeySequence& shortcut,
                          bool checkable, bool checked) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setCheckable(checkable);
    action->setChecked(checked);
    menu_->addAction(action);
    addAction(action); // the shortcuts work without the menu open
    return action;
}

void Ttunef::createMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName("PopupMenu1");
    auto separator = [this](const char* name) { menu_->addSeparator()->setObjectName(name); };

    connect(addEntry("Close1", "Close", {}, false, false), &QAction::triggered, this,
            &QWidget::close);
    separator("N2");
    connect(addEntry("zoomin", "Zoom In", QKeySequence("Ctrl+I"), false, false),
            &QAction::triggered, this, &Ttunef::zoomIn);
    connect(addEntry("zoomout", "Zoom Out", QKeySequence("Ctrl+O"), false, false),
            &QAction::triggered, this, &Ttunef::zoomOut);
    connect(addEntry("zoomdef", "Zoom Default", QKeySequence("Ctrl+D"), false, false),
            &QAction::triggered, this, &Ttunef::zoomDefault);
    separator("sep");
    connect(addEntry("ShowLegend1", "Show Legend", QKeySequence("Ctrl+L"), true, false),
            &QAction::toggled, legend_, &QWidget::setVisible);
    connect(addEntry("ShowValues1", "Show Values", QKeySequence("Ctrl+V"), true, false),
            &QAction::toggled, this, [this](bool on) {
                graph_->setPlotting(false);
                graph_->Appearance.showValues = on;
                graph_->setPlotting(true);
            });
    connect(addEntry("ShowGrid1", "Show Grid", QKeySequence("Ctrl+G"), true, false),
            &QAction::toggled, this, [this](bool on) {
                graph_->setPlotting(false);
                graph_->Appearance.showGridLines = on;
                graph_->setPlotting(true);
            });
    connect(addEntry("Show1SecondAve1", "Show 1 Second Ave.", QKeySequence("Ctrl+A"), true, true),
            &QAction::toggled, this, [this](bool on) {
                graph_->setPlotting(false);
                graph_->series(1).showLine = on;
                graph_->series(1).showPoints = on;
                graph_->setPlotting(true);
            });
    show2x_ = addEntry("Show2xCDROM1", "Show 2x CD-ROM", QKeySequence("Ctrl+F2"), true, true);
    show4x_ = addEntry("Show4xCDROM1", "Show 4x CD-ROM", QKeySequence("Ctrl+F4"), true, false);
    show1x_ = addEntry("Show1xCDROM1", "Show 1x CD-ROM", QKeySequence("Ctrl+F1"), true, false);
    for (QAction* line : {show2x_, show4x_, show1x_})
        connect(line, &QAction::toggled, this, &Ttunef::ShowReferenceLines);
    showAsType_ =
        addEntry("showastype", "Show as Bytes Per Frame", QKeySequence("Ctrl+S"), false, false);
    connect(showAsType_, &QAction::triggered, this, &Ttunef::switchUnit);
    separator("N1");
    connect(addEntry("GraphtoClipboard1", "Copy Graph", {}, false, false), &QAction::triggered,
            this, &Ttunef::copyGraph);
    connect(addEntry("PointstoClipboard1", "Copy Values", QKeySequence("Ctrl+C"), false, false),
            &QAction::triggered, this, &Ttunef::copyValues);
    connect(addEntry("PrintGraph1", "Print Graph...", QKeySequence("Ctrl+P"), false, false),
            &QAction::triggered, this, &Ttunef::printWithDialog);
}

void Ttunef::applyUnitTexts() {
    showAsType_->setText(ShowPerSecond ? "Show as Bytes Per Frame" : "Show as Bytes Per Second");
    graph_->YAxis.title = ShowPerSecond ? "Bytes Per Second" : "Bytes Per Frame";
}

bool Ttunef::OpenAnalysis(const QString& argument) {
    std::string name = StripQuotes(argument.toStdString());
    if (plat::ExtractFileExt(name).empty()) name += ".qrv";
    // The command runs in its own directory, which is gone again when the unit switch reloads:
    // hold the name with its directory.
    if (const std::string full = plat::FullPath(name); !full.empty()) name = full;
    fileName_ = QString::fromStdString(name);
    if (loadFile()) return true;
    ShowError("Error loading Quarver file.");
    return false;
}

bool Ttunef::loadFile() {
    graph_->setPlotting(false);
    RateSeries loaded;
    const bool ok = LoadRateSeries(fileName_.toStdString(), ShowPerSecond, loaded);
    graph_->series(2).setValues(1, std::move(loaded.frameValues));
    graph_->series(1).setValues(1, std::move(loaded.averageValues));
    if (ok) {
        info_ = std::move(loaded);
        ++ChangeCounter;
        graph_->XAxis.min = 1;
        SetVisibleFrames(width() / kFramePixels);
        scroll_->setMinimum(1);
        scroll_->setValue(1);
        --ChangeCounter;
        ShowReferenceLines();
        const QString name = NameWithoutDirectory(fileName_);
        setWindowTitle("Quarv Analyze: " + name);
        graph_->Appearance.graphTitle = name.left(255);
    } else {
        // Nothing left to show or copy; the caption, scale and lines stay as they were.
        info_.frameCount = 0;
        info_.maximum = 0;
    }
    graph_->setPlotting(true);
    return ok;
}

void Ttunef::SetVisibleFrames(int n) {
    VisibleFrames = std::max(n, 2);
    ++ChangeCounter;
    graph_->setPlotting(false);
    const int frames = info_.frameCount;
    ChartAxis& x = graph_->XAxis;
    int position = -1;
    if (frames >= VisibleFrames + x.min) {
        x.max = VisibleFrames + x.min;
    } else {
        x.max = frames;
        x.min = frames - VisibleFrames;
        if (x.min <= 0) x.min = 1;
        position = static_cast<int>(x.min);
        VisibleFrames = static_cast<int>(x.max - x.min);
    }
    scroll_->setPageStep(VisibleFrames - 1);
    scroll_->setMaximum(frames - VisibleFrames);
    if (position >= 0) scroll_->setValue(position);
    graph_->setPlotting(true);
    --ChangeCounter;
}

void Ttunef::scrolled(int position) {
    if (ChangeCounter > 0) return;
    graph_->setPlotting(false);
    graph_->XAxis.min = position;
    graph_->XAxis.max = VisibleFrames + graph_->XAxis.min;
    graph_->setPlotting(true);
}

void Ttunef::ShowReferenceLines() {
    graph_->setPlotting(false);
    graph_->removeAllMarks();
    double highest = 0;
    const struct {
        QAction* entry;
        int id;
        ReferenceLine level;
        QColor colour;
    } lines[] = {
        {show1x_, 3, ref1x, kAqua}, {show2x_, 1, ref2x, kBlue}, {show4x_, 2, ref4x, kLime}};
    for (const auto& line : lines) {
        if (!line.entry->isChecked()) continue;
        highest = info_.referenceLevels[line.level];
        graph_->addHorizontalMark(line.id, highest, line.colour);
    }
    const ValueScale scale = ScaleTop(info_.maximum, highest, ShowPerSecond);
    graph_->YAxis.stepSize = scale.step;
    graph_->YAxis.max = scale.top;
    graph_->setPlotting(true);
}

void Ttunef::zoomIn() {
    SetVisibleFrames(SpanOf(int64_t{VisibleFrames} * 3 / 4));
}
void Ttunef::zoomOut() {
    SetVisibleFrames(SpanOf((int64_t{VisibleFrames} * 4 + 1) / 3));
}
void Ttunef::zoomDefault() {
    SetVisibleFrames(width() / kFramePixels);
}

void Ttunef::switchUnit() {
    ShowPerSecond = !ShowPerSecond;
    applyUnitTexts();
    loadFile();
}

QString Ttunef::valuesText() const {
    const ChartSeries& frames = graph_->series(2);
    return QString::fromStdString(
        CopyValuesText(fileName_.toStdString(), frames.yValues(), info_.frameTime, ShowPerSecond));
}

QImage Ttunef::windowPicture() {
    return grab().toImage();
}

void Ttunef::copyGraph() {
    QApplication::clipboard()->setImage(windowPicture());
}

void Ttunef::copyValues() {
    QApplication::clipboard()->setText(valuesText());
}

bool Ttunef::printGraph(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRect page = painter.viewport();
    const double scale = std::min(static_cast<double>(page.width()) / std::max(1, width()),
                                  static_cast<double>(page.height()) / std::max(1, height()));
    painter.scale(scale, scale);
    render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return painter.end();
}

void Ttunef::printWithDialog() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName("prt");
    ShownDialog record;
    record.kind = DialogKind::Window;
    record.caption = dialog.windowTitle();
    // Through the dialog layer, as every modal window of the program, so that nothing waits on it
    // where no one can answer.
    DialogLayer::run(&dialog, record, [&dialog](const DialogAnswer&) { dialog.reject(); });
    if (dialog.result() == QDialog::Accepted && !printGraph(printer))
        ShowError("Error, could not print the graph.");
}

QString Ttunef::frameReadoutText() const {
    const double at = graph_->xValueAtPixel(LastGraphMouseX);
    // The frame whose point is nearest to the mouse.
    const double rounded = std::trunc(at + 0.5);
    if (!std::isfinite(rounded) || rounded == 0 || std::fabs(rounded) > 2e9) return {};
    const auto frame = static_cast<int64_t>(rounded);
    const FrameReadout r = ReadBack(graph_->series(2).valueAt(static_cast<double>(frame)),
                                    info_.frameTime, ShowPerSecond);
    return QString("Frame: %1  Size: %2  Bytes per second: %3")
        .arg(frame)
        .arg(r.size)
        .arg(r.bytesPerSecond);
}

void Ttunef::showFrameReadout() {
    const QString text = frameReadoutText();
    if (!text.isEmpty()) ShowInfo(text);
}

void Ttunef::statusPanelClicked(int panel) {
    switch (panel) {
    case 1:
        zoomIn();
        break;
    case 2:
        zoomOut();
        break;
    case 3:
        zoomDefault();
        break;
    case 4:
        close();
        break;
    default:
        break;
    }
}

void Ttunef::openMenuFromKeyboard() {
    const QRect outer = frameGeometry();
    menu_->popup(QPoint(outer.left() + outer.width() / 2, outer.top() + outer.height() / 4));
}

bool Ttunef::handleKey(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        openMenuFromKeyboard();
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_F1:
        SearchHelp("Analysis Window");
        return true;
    default:
        return false;
    }
}

void Ttunef::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(event)) QWidget::keyPressEvent(event);
}

bool Ttunef::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        // The window takes its keys before its controls do.
        if (watched != menu_ && handleKey(static_cast<QKeyEvent*>(event))) return true;
        break;
    case QEvent::MouseButtonRelease:
        if (watched == graph_)
            LastGraphMouseX = static_cast<QMouseEvent*>(event)->position().toPoint().x();
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == graph_) {
            showFrameReadout();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Ttunef::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    buttonsClean_->move(w - 137, 0);
    status_->panels()[0].width = w - kPanelZeroInset;
    legend_->move(w - legend_->width() - 26, legend_->y());
    status_->setGeometry(1, h - status_->height() - 2, w - 2, status_->height());
    scroll_->move(scroll_->x(), status_->y() - scroll_->height() - 5);
    panel_->resize(w - 17, scroll_->y() - panel_->y() - 11);
    // Keep about the same number of pixels per frame as before the resize.
    const int n =
        SpanOf(static_cast<double>(w) * VisibleFrames / (scroll_->width() + kScrollInset) + 0.5);
    scroll_->resize(w - kScrollInset, scroll_->height());
    SetVisibleFrames(n);
    status_->update();
}

void Ttunef::closeEvent(QCloseEvent* event) {
    if (AnalysisWindow == this) AnalysisWindow = nullptr;
    QWidget::closeEvent(event);
}

void Ttunef::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (firstShow_) {
        firstShow_ = false;
        setWindowIcon(QApplication::windowIcon());
    }
}

void Ttunef::contextMenuEvent(QContextMenuEvent* event) {
    menu_->popup(event->globalPos());
}

void Ttunef::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) buttonsClean_->update();
    QWidget::changeEvent(event);
}

bool OpenAnalysis(const QString& programPath) {
    if (!AnalysisWindow) AnalysisWindow = new Ttunef();
    Ttunef* window = AnalysisWindow;
    if (!window->OpenAnalysis(programPath)) {
        AnalysisWindow = nullptr;
        delete window;
        return false;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

} // namespace qv
