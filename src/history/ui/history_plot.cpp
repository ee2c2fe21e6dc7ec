#include "history_plot.h"

#include "history/plot_colours.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace korvane {

namespace {

QColor qColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

Rgb lineColour(SeriesId id) {
    switch (id) {
    case SeriesId::Volts:
        return colours::kVoltsLine;
    case SeriesId::Amps:
        return colours::kAmpsLine;
    case SeriesId::Watts:
        return colours::kWattsLine;
    case SeriesId::Rpm:
        return colours::kRpmLine;
    case SeriesId::WindSpeed:
        break;
    }
    return colours::kWindSpeedLine;
}

QPen cosmeticPen(Rgb c) {
    // Width 0 is Qt's cosmetic one-pixel pen; wider pens on thousands of
    // points make Qt's stroker crawl.
    QPen pen(qColor(c));
    pen.setWidth(0);
    return pen;
}

// Draws a trace with more points than pixel columns as one vertical run
// per column, from its lowest to its highest pixel, each run reaching
// halfway to its neighbours' ends so the runs join.  That covers the pixels
// the polyline would, but a day of 10,000 records no longer strokes each
// column a dozen times over.  Sparser traces are drawn as the polyline.
void drawTrace(QPainter& painter, const SeriesTrace& trace, double xScale, double yScale,
               int columns) {
    const std::vector<PlotPoint>& p = trace.points;
    const std::size_t n = p.size();
    const QColor colour = qColor(lineColour(trace.id));
    auto x = [&](std::size_t i) { return static_cast<double>(p[i].x) * xScale; };
    auto y = [&](std::size_t i) { return static_cast<double>(p[i].y) * yScale; };
    if (n <= 2 * static_cast<std::size_t>(columns)) {
        std::vector<QPointF> points;
        points.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            points.emplace_back(x(i), y(i));
        painter.setPen(cosmeticPen(lineColour(trace.id)));
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
        return;
    }
    struct Run {
        long column;
        double top, bottom, first, last;
    };
    std::vector<Run> runs;
    runs.reserve(static_cast<std::size_t>(columns) + 1);
    for (std::size_t i = 0; i < n; ++i) {
        const long column = std::lround(x(i));
        const double v = y(i);
        if (runs.empty() || runs.back().column != column)
            runs.push_back({column, v, v, v, v});
        Run& r = runs.back();
        r.top = std::min(r.top, v);
        r.bottom = std::max(r.bottom, v);
        r.last = v;
    }
    for (std::size_t k = 0; k < runs.size(); ++k) {
        double top = runs[k].top;
        double bottom = runs[k].bottom;
        if (k > 0) {
            const double joint = (runs[k - 1].last + runs[k].first) / 2;
            top = std::min(top, joint);
            bottom = std::max(bottom, joint);
        }
        if (k + 1 < runs.size()) {
            const double joint = (runs[k].last + runs[k + 1].first) / 2;
            top = std::min(top, joint);
            bottom = std::max(bottom, joint);
        }
        const int y0 = static_cast<int>(std::lround(top));
        const int y1 = static_cast<int>(std::lround(bottom));
        painter.fillRect(QRect(static_cast<int>(runs[k].column), y0, 1, y1 - y0 + 1), colour);
    }
}

} // namespace

void paintPlot(QPainter& painter, const QSize& size, const PlotDrawing& drawing,
               const std::optional<SelectionLine>& selection) {
    const int w = size.width();
    const int h = size.height();
    painter.fillRect(QRect(0, 0, w, h), qColor(colours::kPlotBackground));
    const double xScale = drawing.width > 0 ? (w - 1) / static_cast<double>(drawing.width) : 0.0;
    if (!drawing.blank && xScale > 0) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        const QColor band = qColor(colours::kModeBand);
        for (const ModeBand& b : drawing.bands) {
            // Both end columns belong to the band: the last record's column
            // at the right edge, and a band narrower than a pixel, still show.
            const int left = static_cast<int>(std::floor(b.x0 * xScale));
            const int right = static_cast<int>(std::ceil(b.x1 * xScale));
            painter.fillRect(QRect(left, 0, right - left + 1, h), band);
        }
        painter.setPen(cosmeticPen(colours::kZeroLine));
        for (const ZeroLine& z : drawing.zeroLines) {
            const double y = static_cast<double>(z.y) * (h - 1) / static_cast<double>(z.height);
            painter.drawLine(QPointF(0, y), QPointF(w - 1, y));
        }
        for (const SeriesTrace& t : drawing.traces)
            drawTrace(painter, t, xScale, (h - 1) / static_cast<double>(t.height), w);
    }
    if (selection && xScale > 0) {
        const double a = std::min(selection->from, selection->to) * xScale;
        const double b = std::max(selection->from, selection->to) * xScale;
        painter.fillRect(QRectF(a, 0, std::max(b - a, 1.0), 2), qColor(colours::kSelectionLine));
    }
}

HistoryPlot::HistoryPlot(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HistoryPlot::setDrawing(PlotDrawing drawing) {
    drawing_ = std::move(drawing);
    if (!drawing_.blank)
        userWidth_ = drawing_.width;
    selection_.reset();
    update();
}

void HistoryPlot::drawSelectionLine(double from, float to) {
    const auto start = static_cast<float>(from);
    if (!selection_)
        selection_ = SelectionLine{start, to};
    // Lines drawn earlier in the drag stay, so the union is what shows.
    selection_->from = std::min({selection_->from, start, to});
    selection_->to = std::max({selection_->to, start, to});
    update();
}

float HistoryPlot::toUserX(double pixelX) const {
    if (width() <= 1)
        return 0;
    return static_cast<float>(pixelX * userWidth_ / (width() - 1));
}

double HistoryPlot::toPixelX(double userX) const {
    if (userWidth_ <= 0)
        return 0;
    return userX * (width() - 1) / userWidth_;
}

void HistoryPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintPlot(painter, size(), drawing_, selection_);
}

void HistoryPlot::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(toUserX(event->position().x()));
}

void HistoryPlot::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(toUserX(event->position().x()));
}

void HistoryPlot::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(toUserX(event->position().x()));
}

} // namespace korvane
