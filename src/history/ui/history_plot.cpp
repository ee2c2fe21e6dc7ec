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
        std::vector<QPointF> points;
        for (const SeriesTrace& t : drawing.traces) {
            const double yScale = (h - 1) / static_cast<double>(t.height);
            points.clear();
            points.reserve(t.points.size());
            for (const PlotPoint& p : t.points)
                points.emplace_back(p.x * xScale, p.y * yScale);
            painter.setPen(cosmeticPen(lineColour(t.id)));
            painter.drawPolyline(points.data(), static_cast<int>(points.size()));
        }
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
