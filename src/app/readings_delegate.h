#pragma once
// Draws the cells of the readings list.  The list changes with every packet
// and its large type is costly to lay out: each cell keeps its laid-out text
// (QStaticText) until its text or font changes, so a packet lays out only the
// values that changed, and paints nothing else.  What it draws is what the
// list drew before: the text, its colour and alignment, 4 px in from each side.

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace korvane {

class ReadingsDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int kPadding = 4;

private:
    struct Cell {
        QString text;
        QFont font;
        QStaticText laidOut;
    };
    mutable QHash<quint64, Cell> cells_;
};

} // namespace korvane
