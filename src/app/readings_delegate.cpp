#include "readings_delegate.h"

#include <QPaintEvent>
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
    if (cell.font != option.font) {
        cell.font = option.font;
        cell.recent.clear();
    }
    auto found = cell.recent.find(text);
    if (found == cell.recent.end()) {
        if (cell.recent.size() >= kRecentTexts)
            cell.recent.clear();
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(QTransform(), option.font);
        found = cell.recent.insert(text, laidOut);
    }
    const QStaticText& laidOut = *found;
    const QVariant foreground = index.data(Qt::ForegroundRole);
    const QColor colour = foreground.canConvert<QBrush>() ? foreground.value<QBrush>().color()
                                                          : option.palette.color(QPalette::Text);
    const QRect area = option.rect.adjusted(kPadding, 0, -kPadding, 0);
    const QSizeF size = laidOut.size();
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
    painter->drawStaticText(QPointF(x, y), laidOut);
    painter->restore();
}

QSize ReadingsDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    if (sizedFont_ != option.font) {
        sizedFont_ = option.font;
        sized_[0] = sized_[1] = QSize();
    }
    QSize& size = sized_[index.data(Qt::DisplayRole).toString().isEmpty() ? 0 : 1];
    if (!size.isValid())
        size = QStyledItemDelegate::sizeHint(option, index) + QSize(2 * kPadding, 0);
    return size;
}

void ReadingsList::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRegion& region = event->region();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QAbstractItemDelegate* delegate = itemDelegate();
    const int columns = columnCount();
    for (int row = 0; row < topLevelItemCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            const QModelIndex index = model()->index(row, column);
            option.rect = visualRect(index);
            if (region.intersects(option.rect))
                delegate->paint(&painter, option, index);
        }
    }
}

} // namespace korvane
