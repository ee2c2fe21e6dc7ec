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

QRect qRect(const PixelBox& b) {
    return QRect(b.x, b.y, b.width, b.height);
}

} // namespace

void paintPlot(QPainter& painter, const QSize& size, const PlotDrawing& drawing,
               const std::optional<SelectionLine>& selection) {
    const int w = size.width();
    const int h = size.height();
    painter.fillRect(QRect(0, 0, w, h), qColor(colours::kPlotBackground));
    const PlotPixels pixels = plotPixels(drawing, w, h, selection);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor band = qColor(colours::kModeBand);
    for (const PixelBox& b : pixels.bands)
        painter.fillRect(qRect(b), band);
    painter.setPen(cosmeticPen(colours::kZeroLine));
    for (double y : pixels.zeroLines)
        painter.drawLine(QPointF(0, y), QPointF(w - 1, y));
    std::vector<QPointF> points;
    for (const PixelTrace& t : pixels.traces) {
        const Rgb colour = lineColour(t.id);
        if (!t.polyline.empty()) {
            points.clear();
            for (const PixelPoint& p : t.polyline)
                points.emplace_back(p.x, p.y);
            painter.setPen(cosmeticPen(colour));
            painter.drawPolyline(points.data(), static_cast<int>(points.size()));
        }
        for (const PixelBox& r : t.runs)
            painter.fillRect(qRect(r), qColor(colour));
    }
    if (pixels.selection)
        painter.fillRect(QRectF(pixels.selection->left, 0, pixels.selection->width, 2),
                         qColor(colours::kSelectionLine));
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
    if (width() <= 1 || std::isnan(pixelX))
        return 0;
    // Far beyond any screen, but a double past the float range must not
    // reach the conversion.
    const double x = pixelX * userWidth_ / (width() - 1);
    return static_cast<float>(std::clamp(x, -1e30, 1e30));
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
