#pragma once
// The plot area of the history window: draws a PlotDrawing scaled to its
// pixels and reports the mouse in the drawing's user units.

#include "history/plot_model.h"
#include "history/plot_pixels.h"

#include <QWidget>
#include <optional>

class QPainter;

namespace korvane {

// Paints `drawing` into a size x pixels area: the dark grey background,
// the load-on bands over the full height, the zero lines, the series one
// pixel wide in their colours, and the selection line two pixels deep along
// the top edge.  Where each lands is plotPixels' work (history/plot_pixels.h),
// so only finite coordinates near the area reach the painter.
void paintPlot(QPainter& painter, const QSize& size, const PlotDrawing& drawing,
               const std::optional<SelectionLine>& selection = std::nullopt);

class HistoryPlot : public QWidget {
    Q_OBJECT
public:
    explicit HistoryPlot(QWidget* parent = nullptr);

    // Replaces what is drawn and clears the selection line.  A blank drawing
    // keeps the previous user width for the mouse, as a cleared picture
    // keeps its scale.
    void setDrawing(PlotDrawing drawing);
    const PlotDrawing& drawing() const { return drawing_; }
    float userWidth() const { return userWidth_; }

    // Draws a red line along the top edge from `from` to `to`.  Lines are
    // only added, never erased, until the next setDrawing.
    void drawSelectionLine(double from, float to);
    const std::optional<SelectionLine>& selectionLine() const { return selection_; }

    // Pixel column <-> user X, both ways with the same scale.
    float toUserX(double pixelX) const;
    double toPixelX(double userX) const;

signals:
    void mousePressed(float x);
    void mouseMoved(float x);
    void mouseReleased(float x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PlotDrawing drawing_;
    float userWidth_ = 0;
    std::optional<SelectionLine> selection_;
};

} // namespace korvane
