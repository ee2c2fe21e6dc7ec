#pragma once
// Draws the cells of the readings list.  The list changes with every packet
// and its large type is costly to lay out: each cell keeps its laid-out text
// (QStaticText) for the texts it showed lately, so a packet lays out only
// values not seen for a while, and paints nothing else.  What it draws is what the
// list drew before: the text, its colour and alignment, 4 px in from each side.

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace korvane {

class ReadingsDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int kPadding = 4;

private:
    // The texts a cell showed lately, laid out: a reading that wavers
    // between a few values lays each out once.
    struct Cell {
        QFont font;
        QHash<QString, QStaticText> recent;
    };
    static constexpr qsizetype kRecentTexts = 32;
    mutable QHash<quint64, Cell> cells_;
    // A cell is one line of one font: its height, all a row's size is taken
    // from here (the columns have fixed widths), does not depend on its
    // digits, only on whether it holds any text.
    mutable QFont sizedFont_;
    mutable QSize sized_[2]; // empty, with text
};

// The readings list: a flat list of text cells with nothing to expand,
// select or hover.  The tree view's own painting asks the display server where
// the pointer is on every repaint (a round trip, ten times a second here) and
// dresses every cell of each touched row; this paints only the cells in the
// repainted area, through the delegate, which is all the list ever showed.
class ReadingsList final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace korvane
