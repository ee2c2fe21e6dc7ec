#include "readings_delegate.h"

#include <QPainter>

namespace korvane {

void ReadingsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    const quint64 key =
        (static_cast<quint64>(index.row()) << 32) | static_cast<quint32>(index.column());
    Cell& cell = cells_[key];
    if (cell.text != text || cell.font != option.font) {
        cell.text = text;
        cell.font = option.font;
        cell.laidOut = QStaticText(text);
        cell.laidOut.setTextFormat(Qt::PlainText);
        cell.laidOut.prepare(QTransform(), option.font);
    }
    const QVariant foreground = index.data(Qt::ForegroundRole);
    const QColor colour = foreground.canConvert<QBrush>() ? foreground.value<QBrush>().color()
                                                          : option.palette.color(QPalette::Text);
    const QRect area = option.rect.adjusted(kPadding, 0, -kPadding, 0);
    const QSizeF size = cell.laidOut.size();
    const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    qreal x = area.left();
    if (align & Qt::AlignRight)
        x = area.right() + 1 - size.width();
    else if (align & Qt::AlignHCenter)
        x = area.left() + (area.width() - size.width()) / 2;
    const qreal y = area.top() + (area.height() - size.height()) / 2;
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->setPen(colour);
    painter->drawStaticText(QPointF(x, y), cell.laidOut);
    painter->restore();
}

QSize ReadingsDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(2 * kPadding, 0);
}

} // namespace korvane
