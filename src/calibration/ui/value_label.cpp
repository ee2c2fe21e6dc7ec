#include "value_label.h"

#include <algorithm>

namespace korvane {

ValueLabel::ValueLabel(int homeLeft, int top, int right, int leftLimit, QWidget* parent)
    : QLabel(parent), homeLeft_(homeLeft), top_(top), right_(right), leftLimit_(leftLimit) {}

void ValueLabel::setValueText(const QString& text) {
    const QFontMetrics metrics = fontMetrics();
    const int needed = metrics.horizontalAdvance(text) + 1;
    const int height = metrics.height();
    if (needed <= right_ - homeLeft_) {
        setText(text);
        setToolTip(QString());
        setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setGeometry(homeLeft_, top_, right_ - homeLeft_, height);
        return;
    }
    const int left = std::max(leftLimit_, right_ - needed);
    const int room = right_ - left;
    const bool fits = needed <= room;
    setText(fits ? text : metrics.elidedText(text, Qt::ElideRight, room - 1));
    setToolTip(fits ? QString() : text);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setGeometry(left, top_, room, height);
}

} // namespace korvane
