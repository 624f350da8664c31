#include "analysis/chart.h"

#include <QFontMetrics>
#include <QLineF>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace qv {

// --- ChartSeries

void ChartSeries::clear() {
    firstX_ = 1;
    xs_.clear();
    ys_.clear();
}

void ChartSeries::addPoint(double x, double y) {
    if (ys_.empty()) {
        firstX_ = x;
    } else if (x < xAt(ys_.size() - 1)) {
        return;
    } else if (xs_.empty() && x != firstX_ + static_cast<double>(ys_.size())) {
        // The first gap in the spacing: from now on the x values are kept.
        xs_.resize(ys_.size());
        for (size_t i = 0; i < ys_.size(); ++i)
            xs_[i] = firstX_ + static_cast<double>(i);
    }
    if (!xs_.empty()) xs_.push_back(x);
    ys_.push_back(y);
}

void ChartSeries::setValues(double firstX, std::vector<double> ys) {
    firstX_ = firstX;
    xs_.clear();
    ys_ = std::move(ys);
}

size_t ChartSeries::lowerBound(double x) const {
    if (xs_.empty()) {
        const double offset = std::ceil(x - firstX_);
        if (!(offset > 0)) return 0;
        return offset >= static_cast<double>(ys_.size()) ? ys_.size() : static_cast<size_t>(offset);
    }
    return static_cast<size_t>(std::lower_bound(xs_.begin(), xs_.end(), x) - xs_.begin());
}

double ChartSeries::valueAt(double x) const {
    const size_t i = lowerBound(x);
    return i < ys_.size() && xAt(i) == x ? ys_[i] : 0;
}

// --- TxyGraph

namespace {

struct Range {
    double lo, hi;
};

// An axis range that can be divided by: a missing or reversed range becomes one unit long.
Range UsableRange(const ChartAxis& axis) {
    double lo = std::isfinite(axis.min) ? axis.min : 0;
    double hi = std::isfinite(axis.max) ? axis.max : lo + 1;
    if (!(hi > lo)) hi = lo + 1;
    return {lo, hi};
}

// The label step: the axis's own step, or a multiple of it (1, 2, 5 x 10^k) when that would put
// labels closer than `spacing` pixels along `length` pixels.
double LabelStep(const ChartAxis& axis, Range r, int length, int spacing) {
    const double span = r.hi - r.lo;
    double step = axis.stepSize > 0 && std::isfinite(axis.stepSize) ? axis.stepSize : span;
    const double needed = span * spacing / std::max(1, length);
    if (step < needed) {
        const double factor = needed / step;
        const double decade = std::pow(10.0, std::floor(std::log10(factor)));
        double nice = decade;
        for (double m : {1.0, 2.0, 5.0, 10.0}) {
            nice = m * decade;
            if (nice >= factor) break;
        }
        step *= nice;
    }
    return step;
}

QString Label(double value) {
    if (std::fabs(value) < 0.5) value = 0; // no "-0"
    return QString::number(value, 'f', 0);
}

template <typename F> void ForEachLabel(Range r, double step, F f) {
    double first = std::ceil(r.lo / step - 1e-9) * step;
    const int maxLabels = 10000;
    for (int k = 0; k < maxLabels; ++k) {
        const double v = first + k * step;
        if (v > r.hi + step * 1e-9) break;
        f(v);
    }
}

// Keeps far-off values from overflowing the painter's coordinates.
double ClampPixel(double p) {
    return std::clamp(p, -1e6, 1e6);
}

} // namespace

TxyGraph::TxyGraph(QWidget* parent) : QWidget(parent) {
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(false);
    series_[1].lineColor = series_[1].pointColor = Qt::red;
    series_[0].lineColor = series_[0].pointColor = Qt::yellow;
}

ChartSeries& TxyGraph::series(int k) {
    return series_[k == 2 ? 1 : 0];
}
const ChartSeries& TxyGraph::series(int k) const {
    return series_[k == 2 ? 1 : 0];
}

void TxyGraph::setPlotting(bool on) {
    plotting_ = on;
    if (on) update();
}

void TxyGraph::removeAllMarks() {
    marks_.clear();
    if (plotting_) update();
}

void TxyGraph::addHorizontalMark(int id, double y, const QColor& colour, const QString& label) {
    marks_.push_back({id, y, colour, label});
    if (plotting_) update();
}

QRect TxyGraph::plotAreaFor(const QRect& area) const {
    return QRect(area.left() + marginLeft, area.top() + marginTop,
                 std::max(1, area.width() - marginLeft - marginRight),
                 std::max(1, area.height() - marginTop - marginBottom));
}

double TxyGraph::xValueAtPixel(int x) const {
    const QRect plot = plotArea();
    const Range r = UsableRange(XAxis);
    return r.lo + (x - plot.left()) * (r.hi - r.lo) / plot.width();
}

void TxyGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    draw(painter, rect());
}

QImage TxyGraph::picture(QSize size) const {
    if (size.isEmpty()) size = this->size();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    draw(painter, image.rect());
    return image;
}

void TxyGraph::draw(QPainter& painter, const QRect& area) const {
    painter.save();
    painter.fillRect(area, palette().color(QPalette::Button));
    painter.setFont(font());
    const QFontMetrics fm(font(), painter.device());
    const QRect plot = plotAreaFor(area);
    const Range xr = UsableRange(XAxis);
    const Range yr = UsableRange(YAxis);
    auto mapY = [&](double y) {
        return ClampPixel(plot.bottom() + 1 - (y - yr.lo) * plot.height() / (yr.hi - yr.lo));
    };
    auto mapX = [&](double x) {
        return ClampPixel(plot.left() + (x - xr.lo) * plot.width() / (xr.hi - xr.lo));
    };

    // Title.
    painter.setPen(Qt::black);
    if (!Appearance.graphTitle.trimmed().isEmpty()) {
        const QString title = fm.elidedText(Appearance.graphTitle, Qt::ElideMiddle, area.width());
        painter.drawText(QRect(area.left(), area.top() + titleOffset - fm.height() / 2 + 4,
                               area.width(), fm.height()),
                         Qt::AlignHCenter | Qt::AlignVCenter, title);
    }

    // Value axis: labels, ticks, grid and title.
    const double yStep = LabelStep(YAxis, yr, plot.height(), fm.height() + 4);
    ForEachLabel(yr, yStep, [&](double v) {
        const int y = static_cast<int>(std::lround(mapY(v)));
        if (Appearance.showGridLines) {
            painter.setPen(QPen(Appearance.gridColor, 0, Appearance.gridStyle));
            painter.drawLine(plot.left(), y, plot.right(), y);
        }
        painter.setPen(Qt::black);
        if (Appearance.showTicks) painter.drawLine(plot.left() - 4, y, plot.left(), y);
        painter.drawText(QRect(area.left(), y - fm.height() / 2,
                               plot.left() - area.left() - 4 - yLabelOffset, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, Label(v));
    });
    if (!YAxis.title.isEmpty()) {
        painter.save();
        painter.translate(area.left() + yTitleOffset - fm.height() / 2, plot.center().y());
        painter.rotate(-90);
        painter.drawText(
            QRect(-plot.height() / 2 - 40, -fm.height(), plot.height() + 80, fm.height() * 2),
            Qt::AlignCenter, YAxis.title);
        painter.restore();
    }

    // Frame axis.
    const int xSpacing =
        std::max(fm.horizontalAdvance(Label(xr.hi)), fm.horizontalAdvance(Label(xr.lo))) + 10;
    const double xStep = LabelStep(XAxis, xr, plot.width(), xSpacing);
    ForEachLabel(xr, xStep, [&](double v) {
        const int x = static_cast<int>(std::lround(mapX(v)));
        if (Appearance.showGridLines) {
            painter.setPen(QPen(Appearance.gridColor, 0, Appearance.gridStyle));
            painter.drawLine(x, plot.top(), x, plot.bottom());
        }
        painter.setPen(Qt::black);
        if (Appearance.showTicks) painter.drawLine(x, plot.bottom(), x, plot.bottom() + 4);
        painter.drawText(QRect(x - xSpacing, plot.bottom() + 4, 2 * xSpacing, fm.height()),
                         Qt::AlignHCenter | Qt::AlignTop, Label(v));
    });
    if (!XAxis.title.isEmpty())
        painter.drawText(
            QRect(plot.left(), plot.bottom() + 6 + fm.height(), plot.width(), fm.height() + 4),
            Qt::AlignHCenter | Qt::AlignTop, XAxis.title);

    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot.adjusted(0, 0, 0, 0));

    // Marks beneath the series, then the series.
    painter.setClipRect(plot.adjusted(1, 1, 0, 0));
    if (Appearance.showMarks) {
        for (const ChartMark& m : marks_) {
            const double y = mapY(m.y);
            painter.setPen(QPen(m.colour, 0));
            painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right() + 1, y));
            if (!m.label.isEmpty())
                painter.drawText(QPointF(plot.right() - fm.horizontalAdvance(m.label) - 4, y - 2),
                                 m.label);
        }
    }
    // Series 1 goes over series 2, so that a smooth line stays visible over dense points.
    drawSeries(painter, plot, series_[1]);
    drawSeries(painter, plot, series_[0]);
    painter.restore();
}

void TxyGraph::drawSeries(QPainter& painter, const QRect& plot, const ChartSeries& s) const {
    if (s.count() == 0 || (!s.showLine && !s.showPoints)) return;
    const Range xr = UsableRange(XAxis);
    const Range yr = UsableRange(YAxis);
    const double xScale = plot.width() / (xr.hi - xr.lo);
    const double yScale = plot.height() / (yr.hi - yr.lo);
    auto px = [&](size_t i) { return ClampPixel(plot.left() + (s.xAt(i) - xr.lo) * xScale); };
    auto py = [&](size_t i) { return ClampPixel(plot.bottom() + 1 - (s.yAt(i) - yr.lo) * yScale); };

    // The points in view plus one on each side, so that lines leave the plot where they should.
    size_t begin = s.lowerBound(xr.lo);
    if (begin > 0) --begin;
    const size_t end = std::min(s.count(), s.lowerBound(xr.hi) + 2);
    if (begin >= end) return;
    const QPen linePen(s.lineColor, 1, s.lineStyle);
    const double radius = s.pointSize / 2.0;

    if (end - begin <= static_cast<size_t>(plot.width())) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        if (s.showLine && end - begin > 1) {
            QPolygonF line;
            line.reserve(static_cast<qsizetype>(end - begin));
            for (size_t i = begin; i < end; ++i)
                line.append(QPointF(px(i), py(i)));
            painter.setPen(linePen);
            painter.drawPolyline(line);
        }
        if (s.showPoints) {
            painter.setPen(QPen(s.pointColor, 1));
            painter.setBrush(s.fillPoints ? QBrush(s.pointColor) : QBrush(Qt::NoBrush));
            for (size_t i = begin; i < end; ++i) {
                const QRectF box(px(i) - radius, py(i) - radius, s.pointSize, s.pointSize);
                if (s.pointShape == PointShape::Circle)
                    painter.drawEllipse(box);
                else
                    painter.drawRect(box);
            }
        }
        if (Appearance.showValues) {
            painter.setPen(Qt::black);
            const QFontMetrics fm(font(), painter.device());
            for (size_t i = begin; i < end; ++i) {
                const QString text = Label(s.yAt(i));
                painter.drawText(
                    QPointF(px(i) - fm.horizontalAdvance(text) / 2.0, py(i) - radius - 3), text);
            }
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setBrush(Qt::NoBrush);
        return;
    }

    // More points than pixel columns: one column at a time, drawn as the span between its lowest
    // and highest point, joined to its neighbours where the line enters and leaves it.
    QPolygonF line;
    std::vector<QLineF> spans;
    line.reserve(4 * plot.width() + 8);
    spans.reserve(static_cast<size_t>(plot.width()) + 4);
    size_t i = begin;
    while (i < end) {
        const double column = std::floor(px(i));
        const double first = py(i);
        double low = first, high = first, last = first;
        for (++i; i < end && std::floor(px(i)) == column; ++i) {
            last = py(i);
            low = std::min(low, last);
            high = std::max(high, last);
        }
        const double x = column + 0.5;
        line.append(QPointF(x, first));
        if (low != high) {
            line.append(QPointF(x, low));
            line.append(QPointF(x, high));
        }
        line.append(QPointF(x, last));
        spans.emplace_back(x, low, x, high + 0.01);
    }
    if (s.showLine) {
        painter.setPen(linePen);
        painter.drawPolyline(line);
    }
    if (s.showPoints) {
        QPen capsule(s.pointColor, s.pointSize, Qt::SolidLine,
                     s.pointShape == PointShape::Circle ? Qt::RoundCap : Qt::SquareCap);
        painter.setPen(capsule);
        painter.drawLines(spans.data(), static_cast<int>(spans.size()));
    }
}

} // namespace qv
