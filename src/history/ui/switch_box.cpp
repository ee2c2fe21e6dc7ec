#include "switch_box.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace korvane {

SwitchBox::SwitchBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void SwitchBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    QRect indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    indicator.moveTo(2, (height() - indicator.height()) / 2);
    option.rect = indicator;
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, option);

    const int textLeft = indicator.right() + 4;
    const QRect textRect(textLeft, 0, width() - textLeft - 1, height());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(
            textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text());
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool SwitchBox::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

} // namespace korvane
