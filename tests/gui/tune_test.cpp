// The analysis window: loading, zoom and scroll, reference lines, unit switch, readout, copying,
// printing, keys and the status bar.
#include "analysis/Tune.h"
#include "analysis/chart.h"
#include "analysis/qrvfixture.h"
#include "dialogs/dialoglayer.h"
#include "platform/paths.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <numeric>

using namespace qv;
using qrvfixture::QrvBytes;
using testsupport::TempDir;

namespace {

class TuneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ShowPerSecond = true;
        DialogLayer::reset();
    }
    void TearDown() override {
        delete AnalysisWindow;
        ShowPerSecond = true;
        DialogLayer::reset();
    }

    // A file of `frames` frames, sizes 1000, 1001, ... at a frame time of 6700.
    std::string writeFile(const std::string& name, int frames, int32_t rate = 67) {
        std::vector<int32_t> sizes(static_cast<size_t>(frames));
        std::iota(sizes.begin(), sizes.end(), 1000);
        return plat::ProgramPath(dir.write(name, QrvBytes(rate, sizes)));
    }
    Ttunef* open(const std::string& programPath) {
        EXPECT_TRUE(OpenAnalysis(QString::fromStdString(programPath)));
        return AnalysisWindow;
    }
    template <typename T> static T* child(QWidget* window, const char* name) {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void trigger(QWidget* window, const char* entry) {
        child<QAction>(window, entry)->trigger();
    }

    TempDir dir;
};

} // namespace

TEST_F(TuneTest, ContextMenuEntriesInOrder) {
    Ttunef window;
    EXPECT_EQ(window.windowTitle(), "Quarv Analyze");
    struct Entry {
        const char* name;
        const char* caption;
        const char* shortcut;
        bool checkable, checked;
    };
    const Entry expected[] = {
        {"Close1", "Close", "", false, false},
        {"N2", "", "", false, false},
        {"zoomin", "Zoom In", "Ctrl+I", false, false},
        {"zoomout", "Zoom Out", "Ctrl+O", false, false},
        {"zoomdef", "Zoom Default", "Ctrl+D", false, false},
        {"sep", "", "", false, false},
        {"ShowLegend1", "Show Legend", "Ctrl+L", true, false},
        {"ShowValues1", "Show Values", "Ctrl+V", true, false},
        {"ShowGrid1", "Show Grid", "Ctrl+G", true, false},
        {"Show1SecondAve1", "Show 1 Second Ave.", "Ctrl+A", true, true},
        {"Show2xCDROM1", "Show 2x CD-ROM", "Ctrl+F2", true, true},
        {"Show4xCDROM1", "Show 4x CD-ROM", "Ctrl+F4", true, false},
        {"Show1xCDROM1", "Show 1x CD-ROM", "Ctrl+F1", true, false},
        {"showastype", "Show as Bytes Per Frame", "Ctrl+S", false, false},
        {"N1", "", "", false, false},
        {"GraphtoClipboard1", "Copy Graph", "", false, false},
        {"PointstoClipboard1", "Copy Values", "Ctrl+C", false, false},
        {"PrintGraph1", "Print Graph...", "Ctrl+P", false, false},
    };
    const QList<QAction*> actions = child<QMenu>(&window, "PopupMenu1")->actions();
    ASSERT_EQ(actions.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Entry& e = expected[i];
        SCOPED_TRACE(e.name);
        QAction* a = actions[static_cast<qsizetype>(i)];
        EXPECT_EQ(a->objectName(), e.name);
        EXPECT_EQ(a->isSeparator(), e.caption[0] == '\0');
        if (a->isSeparator()) continue;
        EXPECT_EQ(a->text(), e.caption);
        EXPECT_EQ(a->shortcut(), QKeySequence(e.shortcut));
        EXPECT_EQ(a->isCheckable(), e.checkable);
        EXPECT_EQ(a->isChecked(), e.checked);
    }
    // Legend: five coloured labels, each over a black copy one pixel right and down.
    auto* legend = child<QGroupBox>(&window, "legend");
    EXPECT_EQ(legend->title(), "Legend");
    EXPECT_FALSE(legend->isVisibleTo(&window));
    for (int k = 1; k <= 5; ++k) {
        auto* label = child<QLabel>(&window, qPrintable(QString("Label%1").arg(k)));
        auto* shadow = child<QLabel>(&window, qPrintable(QString("Label%1").arg(k + 5)));
        EXPECT_EQ(shadow->text(), label->text());
        EXPECT_EQ(shadow->pos(), label->pos() + QPoint(1, 1));
        EXPECT_EQ(shadow->palette().color(QPalette::WindowText), QColor(Qt::black));
        EXPECT_TRUE(label->font().bold());
    }
    EXPECT_EQ(child<QLabel>(&window, "Label1")->palette().color(QPalette::WindowText),
              QColor(0xFF, 0, 0));
    EXPECT_EQ(child<QLabel>(&window, "Label2")->text(), "1 second average");
}

TEST_F(TuneTest, OpensQuotedNameWithoutExtension) {
    const std::string path = writeFile("clip.qrv", 100);
    std::string bare = path.substr(0, path.size() - 4);
    Ttunef* window = open("\"" + bare + "\"");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->fileName().toStdString(), path);
    EXPECT_EQ(window->windowTitle(), "Quarv Analyze: clip.qrv");
    TxyGraph* graph = window->graph();
    EXPECT_EQ(graph->Appearance.graphTitle, "clip.qrv");
    EXPECT_EQ(graph->series(2).count(), 100u);
    EXPECT_EQ(graph->series(1).count(), 100u);
    // 500 pixels wide: 14 frames, the frame axis from 1 to 15.
    EXPECT_EQ(VisibleFrames, 14);
    EXPECT_EQ(graph->XAxis.min, 1);
    EXPECT_EQ(graph->XAxis.max, 15);
    auto* scroll = child<QScrollBar>(window, "scroll");
    EXPECT_EQ(scroll->minimum(), 1);
    EXPECT_EQ(scroll->maximum(), 86);
    EXPECT_EQ(scroll->pageStep(), 13);
    EXPECT_EQ(scroll->value(), 1);
    // Only the 2x line, blue, and the value axis scaled to it.
    ASSERT_EQ(graph->marks().size(), 1u);
    EXPECT_EQ(graph->marks()[0].id, 1);
    EXPECT_EQ(graph->marks()[0].y, 240000);
    EXPECT_EQ(graph->marks()[0].colour, QColor(0, 0, 0xFF));
    EXPECT_EQ(graph->YAxis.max, 240000);
    EXPECT_EQ(graph->YAxis.stepSize, 48000);

    // A second file replaces the contents of the same window.
    const std::string other = writeFile("other.qrv", 5);
    EXPECT_EQ(open(other), window);
    EXPECT_EQ(window->windowTitle(), "Quarv Analyze: other.qrv");
    EXPECT_EQ(graph->series(2).count(), 5u);
    EXPECT_TRUE(DialogLayer::shown().empty());
}

TEST_F(TuneTest, NameRelativeToTheCommandDirectoryKeepsItsDirectory) {
    const std::string path = writeFile("clip.qrv", 30);
    const std::string saved = plat::GetCurrentDir();
    ASSERT_TRUE(plat::SetCurrentDir(plat::ExtractFileDir(path)));
    Ttunef* window = open("clip");
    ASSERT_TRUE(plat::SetCurrentDir(plat::ExtractFileDir(plat::ExtractFileDir(path))));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->fileName().toStdString(), path);
    // The unit switch reloads the same file from elsewhere.
    trigger(window, "showastype");
    EXPECT_EQ(window->graph()->series(2).count(), 30u);
    EXPECT_TRUE(window->valuesText().startsWith(QString::fromStdString("Quarver file: " + path)));
    plat::SetCurrentDir(saved);
}

TEST_F(TuneTest, LoadFailureShowsTheErrorAndDropsTheWindow) {
    const std::string bad = plat::ProgramPath(dir.write("bad.qrv", QrvBytes(67, {1}, {}, "XRV2")));
    const std::string zeroRate = plat::ProgramPath(dir.write("zero.qrv", QrvBytes(0, {1, 2})));
    for (const std::string& path : {bad, zeroRate, plat::ProgramPath(dir.file("none"))}) {
        SCOPED_TRACE(path);
        DialogLayer::reset();
        DialogLayer::queueAnswer(DialogAnswer::Button(1));
        EXPECT_FALSE(OpenAnalysis(QString::fromStdString(path)));
        EXPECT_EQ(AnalysisWindow, nullptr);
        ASSERT_EQ(DialogLayer::shown().size(), 1u);
        EXPECT_EQ(DialogLayer::shown()[0].message, "Error loading Quarver file.");
        EXPECT_EQ(DialogLayer::shown()[0].icon, 2);
    }
}

TEST_F(TuneTest, ZoomArithmetic) {
    Ttunef* window = open(writeFile("clip.qrv", 1000));
    struct Step {
        int from;
        const char* entry;
        int to;
    };
    const Step steps[] = {{14, "zoomin", 10},
                          {10, "zoomout", 13},
                          {2, "zoomout", 3},
                          {2, "zoomin", 2},
                          {40, "zoomdef", 14}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.entry);
        window->SetVisibleFrames(s.from);
        trigger(window, s.entry);
        EXPECT_EQ(VisibleFrames, s.to);
        EXPECT_EQ(window->graph()->XAxis.max - window->graph()->XAxis.min, s.to);
    }
    // The default zoom of a window 69 pixels wide is 1 frame, raised to 2.
    window->resize(69, 344);
    trigger(window, "zoomdef");
    EXPECT_EQ(VisibleFrames, 2);
}

TEST_F(TuneTest, ShortFileAndScrolling) {
    Ttunef* window = open(writeFile("ten.qrv", 10));
    auto* scroll = child<QScrollBar>(window, "scroll");
    TxyGraph* graph = window->graph();
    EXPECT_EQ(graph->XAxis.min, 1);
    EXPECT_EQ(graph->XAxis.max, 10);
    EXPECT_EQ(VisibleFrames, 9);
    EXPECT_EQ(scroll->maximum(), 1);
    EXPECT_EQ(scroll->pageStep(), 8);

    window = open(writeFile("long.qrv", 1000));
    scroll->setValue(500);
    EXPECT_EQ(graph->XAxis.min, 500);
    EXPECT_EQ(graph->XAxis.max, 514);
    // Zooming out at the end of the file pulls the start back instead of running past it.
    scroll->setValue(scroll->maximum());
    window->SetVisibleFrames(100);
    EXPECT_EQ(graph->XAxis.max, 1000);
    EXPECT_EQ(graph->XAxis.min, 900);
    EXPECT_EQ(scroll->value(), 900);
}

TEST_F(TuneTest, StatusPanelsByClickPosition) {
    Ttunef* window = open(writeFile("clip.qrv", 1000));
    auto* status = child<TuneStatusBar>(window, "StatusBar1");
    ASSERT_EQ(status->panels().size(), 6u);
    EXPECT_EQ(status->panels()[0].width, 500 - 298);
    struct Click {
        int x;
        int visibleAfter;
    };
    // Panel 0 ends at 202, "Zoom In" at 267, "Zoom Out" at 337, "Zoom Default" at 427.
    const Click clicks[] = {{100, 14}, {202, 10}, {266, 7}, {267, 9}, {336, 12}, {400, 14}};
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.x);
        QTest::mouseClick(status, Qt::LeftButton, {}, QPoint(c.x, 5));
        EXPECT_EQ(VisibleFrames, c.visibleAfter);
    }
    EXPECT_EQ(status->panelAt(-1), -1);
    EXPECT_EQ(status->panelAt(530), -1);
    QTest::mouseClick(status, Qt::LeftButton, {}, QPoint(450, 5)); // "Close"
    EXPECT_EQ(AnalysisWindow, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(TuneTest, ReferenceLinesAndScale) {
    // Frame time 6700: sizes 1000... give about 15000 to 16000 bytes per second.
    Ttunef* window = open(writeFile("clip.qrv", 50));
    TxyGraph* graph = window->graph();
    trigger(window, "Show1xCDROM1");
    trigger(window, "Show4xCDROM1");
    ASSERT_EQ(graph->marks().size(), 3u);
    const int ids[] = {3, 1, 2};
    const QColor colours[] = {QColor(0, 0xFF, 0xFF), QColor(0, 0, 0xFF), QColor(0, 0xFF, 0)};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(graph->marks()[k].id, ids[k]);
        EXPECT_EQ(graph->marks()[k].colour, colours[k]);
        EXPECT_EQ(graph->marks()[k].label, "");
    }
    EXPECT_EQ(graph->YAxis.max, 480000);
    // No line: the scale follows the frame maximum alone.
    for (const char* entry : {"Show1xCDROM1", "Show2xCDROM1", "Show4xCDROM1"})
        trigger(window, entry);
    EXPECT_TRUE(graph->marks().empty());
    const ValueScale alone = ScaleTop(window->rateInfo().maximum, 0, true);
    EXPECT_EQ(graph->YAxis.max, alone.top);
    EXPECT_EQ(graph->YAxis.stepSize, alone.step);
    EXPECT_EQ(graph->YAxis.max, 16000);
}

TEST_F(TuneTest, MenuTogglesFollowTheirTicks) {
    Ttunef* window = open(writeFile("clip.qrv", 30));
    TxyGraph* graph = window->graph();
    trigger(window, "ShowLegend1");
    EXPECT_TRUE(child<QGroupBox>(window, "legend")->isVisible());
    trigger(window, "ShowValues1");
    EXPECT_TRUE(graph->Appearance.showValues);
    trigger(window, "ShowGrid1");
    EXPECT_TRUE(graph->Appearance.showGridLines);
    trigger(window, "Show1SecondAve1");
    EXPECT_FALSE(graph->series(1).showLine);
    EXPECT_FALSE(graph->series(1).showPoints);
    EXPECT_TRUE(graph->series(2).showLine);
    // The window still draws with everything switched on.
    EXPECT_FALSE(window->windowPicture().isNull());
    // Another file keeps the window's settings.
    open(writeFile("other.qrv", 3));
    EXPECT_TRUE(graph->Appearance.showValues);
    EXPECT_FALSE(child<QAction>(window, "Show1SecondAve1")->isChecked());
}

TEST_F(TuneTest, UnitSwitchRelabelsAndReloads) {
    const std::string path = writeFile("clip.qrv", 1000);
    Ttunef* window = open(path);
    TxyGraph* graph = window->graph();
    child<QScrollBar>(window, "scroll")->setValue(300);
    window->SetVisibleFrames(50);

    trigger(window, "showastype");
    EXPECT_FALSE(ShowPerSecond);
    EXPECT_EQ(child<QAction>(window, "showastype")->text(), "Show as Bytes Per Second");
    EXPECT_EQ(graph->YAxis.title, "Bytes Per Frame");
    EXPECT_EQ(VisibleFrames, 14); // zoom back at the default
    EXPECT_EQ(graph->XAxis.min, 1);
    EXPECT_EQ(graph->series(2).valueAt(1), 1000);
    EXPECT_DOUBLE_EQ(graph->marks()[0].y, 16080);

    // A window made now starts in the unit in force.
    {
        Ttunef fresh;
        EXPECT_EQ(child<QAction>(&fresh, "showastype")->text(), "Show as Bytes Per Second");
        EXPECT_EQ(fresh.graph()->YAxis.title, "Bytes Per Frame");
    }

    // The file goes away; switching back leaves empty series, no message, the rest as it was.
    ASSERT_EQ(std::remove(plat::HostPath(path).c_str()), 0);
    trigger(window, "showastype");
    EXPECT_TRUE(ShowPerSecond);
    EXPECT_EQ(graph->series(2).count(), 0u);
    EXPECT_EQ(graph->series(1).count(), 0u);
    EXPECT_EQ(window->windowTitle(), "Quarv Analyze: clip.qrv");
    EXPECT_EQ(graph->marks().size(), 1u);
    EXPECT_TRUE(DialogLayer::shown().empty());
    EXPECT_EQ(window->valuesText().toStdString(),
              "Quarver file: " + path + "\r\n\r\nFrame\tSize\tBytes per Second\r\n");
}

TEST_F(TuneTest, FrameReadoutOnDoubleClick) {
    Ttunef* window = open(writeFile("clip.qrv", 100, -6667));
    TxyGraph* graph = window->graph();
    const QRect plot = graph->plotArea();
    auto pixelOf = [&](double frame) {
        return plot.left() + static_cast<int>((frame - graph->XAxis.min) * plot.width() /
                                              (graph->XAxis.max - graph->XAxis.min));
    };
    DialogLayer::queueAnswer(DialogAnswer::Button(1));
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(pixelOf(3) + 2, plot.center().y()));
    QTest::mouseDClick(graph, Qt::LeftButton, {}, QPoint(pixelOf(3) + 2, plot.center().y()));
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    // Frame 3 is 1002 bytes: 1002 x 100000 / 6667 = 15029.2 bytes per second.
    EXPECT_EQ(DialogLayer::shown()[0].message, "Frame: 3  Size: 1002  Bytes per second: 15029");
    EXPECT_EQ(DialogLayer::shown()[0].icon, 3);

    // Left of the first frame there is nothing to read.
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(pixelOf(0.3), plot.center().y()));
    QTest::mouseDClick(graph, Qt::LeftButton, {}, QPoint(pixelOf(0.3), plot.center().y()));
    EXPECT_EQ(DialogLayer::shown().size(), 1u);
    // Past the last frame: size and rate 0.
    window->SetVisibleFrames(200);
    LastGraphMouseX = pixelOf(100) + plot.width() / 4;
    EXPECT_TRUE(window->frameReadoutText().endsWith("  Size: 0  Bytes per second: 0"));
}

TEST_F(TuneTest, CopyValuesAndGraph) {
    const std::string path = writeFile("clip.qrv", 700, -6667);
    Ttunef* window = open(path);
    trigger(window, "PointstoClipboard1");
    const QString text = QApplication::clipboard()->text();
    RateSeries reference;
    ASSERT_TRUE(LoadRateSeries(path, true, reference));
    EXPECT_EQ(text.toStdString(),
              CopyValuesText(path, reference.frameValues, reference.frameTime, true));
    EXPECT_TRUE(text.startsWith(QString::fromStdString("Quarver file: " + path +
                                                       "\r\n\r\nFrame\tSize\tBytes per Second\r\n"
                                                       "1\t1000\t14999\r\n")));
    EXPECT_EQ(text.count("\r\n"), 703);

    trigger(window, "GraphtoClipboard1");
    const QImage picture = QApplication::clipboard()->image();
    EXPECT_EQ(picture.size(), window->size() * window->devicePixelRatio());
}

TEST_F(TuneTest, PrintsToPdf) {
    Ttunef* window = open(writeFile("clip.qrv", 200));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = dir.file("graph.pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    ASSERT_TRUE(window->printGraph(printer));
    const std::string content = testsupport::readFile(pdf);
    EXPECT_EQ(content.substr(0, 5), "%PDF-");
    EXPECT_GT(content.size(), 1000u);

    // "Print Graph...": the print dialog is asked like any modal window; only a confirmed dialog
    // prints.
    const std::string confirmed = dir.file("confirmed.pdf");
    DialogLayer::setInspector([&confirmed](QDialog* dialog) {
        EXPECT_EQ(dialog->objectName(), "prt");
        QPrinter* chosen = qobject_cast<QPrintDialog*>(dialog)->printer();
        chosen->setOutputFormat(QPrinter::PdfFormat);
        chosen->setOutputFileName(QString::fromStdString(confirmed));
        dialog->done(QDialog::Accepted);
        return 0;
    });
    trigger(window, "PrintGraph1");
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_EQ(DialogLayer::shown()[0].kind, DialogKind::Window);
    EXPECT_EQ(testsupport::readFile(confirmed).substr(0, 5), "%PDF-");

    DialogLayer::reset();
    DialogLayer::queueAnswer(DialogAnswer::Close());
    trigger(window, "PrintGraph1");
    EXPECT_EQ(DialogLayer::shown().size(), 1u); // cancelled: no error box after it
    EXPECT_EQ(DialogLayer::pendingAnswers(), 0u);
}

TEST_F(TuneTest, ResizeKeepsPixelsPerFrameAndLaysOut) {
    Ttunef* window = open(writeFile("clip.qrv", 1000));
    window->resize(1000, 500);
    EXPECT_EQ(VisibleFrames, 28);
    auto* status = child<TuneStatusBar>(window, "StatusBar1");
    auto* scroll = child<QScrollBar>(window, "scroll");
    EXPECT_EQ(status->panels()[0].width, 1000 - 298);
    EXPECT_EQ(status->geometry(), QRect(1, 500 - status->height() - 2, 998, status->height()));
    EXPECT_EQ(scroll->width(), 1000 - 14);
    EXPECT_EQ(scroll->y(), status->y() - scroll->height() - 5);
    auto* panel = child<QWidget>(window, "Panel1");
    EXPECT_EQ(panel->width(), 1000 - 17);
    EXPECT_EQ(panel->geometry().bottom() + 1, scroll->y() - 11);
    EXPECT_EQ(child<QWidget>(window, "legend")->x(), 1000 - 116 - 26);
    window->resize(250, 344);
    EXPECT_EQ(VisibleFrames, 7);
}

TEST_F(TuneTest, KeysOfTheWindow) {
    Ttunef* window = open(writeFile("clip.qrv", 20));
    auto* menu = child<QMenu>(window, "PopupMenu1");
    auto* scroll = child<QScrollBar>(window, "scroll");
    // Taken before the focused control sees them.
    QTest::keyClick(scroll, Qt::Key_Space);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    QTest::keyClick(scroll, Qt::Key_Return);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    QTest::keyClick(scroll, Qt::Key_Escape);
    EXPECT_EQ(AnalysisWindow, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(TxyGraphTest, SeriesLookupAndDenseDrawing) {
    ChartSeries even;
    even.setValues(1, {5, 6, 7});
    EXPECT_EQ(even.valueAt(2), 6);
    EXPECT_EQ(even.valueAt(2.5), 0);
    EXPECT_EQ(even.valueAt(4), 0);
    ChartSeries uneven;
    for (double x : {1.0, 2.0, 4.0, 3.0, 8.0})
        uneven.addPoint(x, x * 10); // 3 comes out of order and is left out
    EXPECT_FALSE(uneven.evenlySpaced());
    EXPECT_EQ(uneven.count(), 4u);
    EXPECT_EQ(uneven.valueAt(4), 40);
    EXPECT_EQ(uneven.valueAt(3), 0);
    EXPECT_EQ(uneven.lowerBound(5), 3u);

    TxyGraph graph;
    graph.resize(400, 300);
    std::vector<double> ys(1000000);
    for (size_t i = 0; i < ys.size(); ++i)
        ys[i] = (i % 1000) * 10.0;
    graph.series(2).setValues(1, std::move(ys));
    graph.XAxis = {1, 1000001, 1, "Frames"};
    graph.YAxis = {0, 10000, 2000, "Bytes"};
    const QImage all = graph.picture();
    const QRect plot = graph.plotArea();
    // Every column of the plot shows the whole range of values: red near the top and the bottom.
    int redTop = 0, redBottom = 0;
    for (int x = plot.left() + 3; x < plot.right() - 3; ++x) {
        redTop += all.pixelColor(x, plot.top() + 12) == QColor(Qt::red);
        redBottom += all.pixelColor(x, plot.bottom() - 3) == QColor(Qt::red);
    }
    EXPECT_GT(redTop, plot.width() * 9 / 10);
    EXPECT_GT(redBottom, plot.width() * 9 / 10);
    EXPECT_NEAR(graph.xValueAtPixel(plot.left() + plot.width() / 2), 500001, 1);

    // An axis with top and step 0 still draws.
    graph.YAxis = {0, 0, 0, "Bytes"};
    EXPECT_FALSE(graph.picture().isNull());
}
