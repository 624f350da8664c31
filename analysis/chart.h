#pragma once
// TxyGraph: the XY line chart of the analysis window. Two point-and-line series over a numeric
// x axis, horizontal line marks beneath them, titled axes with whole-number labels, optional grid
// lines and value labels.
//
// Drawing costs what the visible x range needs, not what the series hold: the points in view are
// found by binary search, and when there are more of them than pixel columns each column is drawn
// as the span between its smallest and largest value, so a series of a million points scrolls as
// smoothly as one of a hundred.
#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <span>
#include <vector>

namespace qv {

struct ChartAxis {
    double min = 0;
    double max = 10;
    double stepSize = 1; // distance between labels; widened when labels would overlap
    QString title;
};

enum class PointShape { Circle, Square };

class ChartSeries {
public:
    void clear();
    // Points come in order of x; a point whose x lies below the last one's is ignored.
    void addPoint(double x, double y);
    // All points at once, at x = firstX, firstX + 1, ... (no x values are stored).
    void setValues(double firstX, std::vector<double> ys);
    // The y of the point at exactly x, 0 when there is none.
    double valueAt(double x) const;
    size_t count() const { return ys_.size(); }
    double xAt(size_t i) const { return xs_.empty() ? firstX_ + static_cast<double>(i) : xs_[i]; }
    double yAt(size_t i) const { return ys_[i]; }
    std::span<const double> yValues() const { return ys_; }
    // True while the points lie at firstX, firstX + 1, ...; yValues()[n - firstX] is then the
    // point at x = n.
    bool evenlySpaced() const { return xs_.empty(); }
    double firstX() const { return firstX_; }
    // First index whose x is not below x.
    size_t lowerBound(double x) const;

    QColor lineColor = Qt::red;
    QColor pointColor = Qt::red;
    bool showLine = true;
    bool showPoints = true;
    bool fillPoints = true;
    PointShape pointShape = PointShape::Circle;
    Qt::PenStyle lineStyle = Qt::SolidLine;
    int pointSize = 5;

private:
    double firstX_ = 1;
    std::vector<double> xs_; // empty while evenly spaced
    std::vector<double> ys_;
};

struct ChartMark {
    int id = 0;
    double y = 0;
    QColor colour;
    QString label;
};

struct ChartAppearance {
    bool showValues = false;
    bool showGridLines = false;
    QColor gridColor = Qt::black;
    Qt::PenStyle gridStyle = Qt::SolidLine;
    bool showMarks = true;
    bool showTicks = false;
    QString graphTitle = " ";
    QString errorCaption = " ";
};

class TxyGraph : public QWidget {
    Q_OBJECT
public:
    explicit TxyGraph(QWidget* parent = nullptr);

    ChartAxis XAxis;
    ChartAxis YAxis;
    ChartAppearance Appearance;
    int marginBottom = 45;
    int marginLeft = 80;
    int marginTop = 24;
    int marginRight = 16;
    int yTitleOffset = 21; // from the left edge to the value-axis title
    int yLabelOffset = 0;  // extra gap between the value labels and the plot
    int titleOffset = 8;   // from the top edge to the graph title

    // Series 1 and 2.
    ChartSeries& series(int k);
    const ChartSeries& series(int k) const;

    // Off suspends drawing while series, marks or axes change; on draws once.
    void setPlotting(bool on);
    bool plotting() const { return plotting_; }

    void removeAllMarks();
    // A line across the whole x axis at y, drawn beneath the series.
    void addHorizontalMark(int id, double y, const QColor& colour, const QString& label = {});
    const std::vector<ChartMark>& marks() const { return marks_; }

    // Where the series are plotted, in the chart's own pixels.
    QRect plotArea() const { return plotAreaFor(rect()); }
    // The x-axis value at a pixel column of the chart.
    double xValueAtPixel(int x) const;

    // The chart drawn into a rectangle of any paint device (window, image, printer).
    void draw(QPainter& painter, const QRect& area) const;
    // The chart as a picture of the given size (its own size when empty).
    QImage picture(QSize size = {}) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect plotAreaFor(const QRect& area) const;
    void drawSeries(QPainter& painter, const QRect& plot, const ChartSeries& s) const;

    ChartSeries series_[2];
    std::vector<ChartMark> marks_;
    bool plotting_ = true;
};

} // namespace qv
