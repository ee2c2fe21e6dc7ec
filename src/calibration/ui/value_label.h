#pragma once
// A label for a number that stands left of something it must not run into
// (a division sign, a caption).

#include <QLabel>

namespace korvane {

// Sits at its home place (pixels) while its text fits between `homeLeft` and
// `right`.  A longer text grows the label leftwards, at most to `leftLimit`,
// so a sum keeps reading "value / divider" instead of the value running under
// the sign.  A text too long even for that is elided ("1023.…"), never cut to
// a different-looking number, and the whole value goes into the tooltip.
class ValueLabel final : public QLabel {
    Q_OBJECT
public:
    ValueLabel(int homeLeft, int top, int right, int leftLimit, QWidget* parent);

    void setValueText(const QString& text);

private:
    int homeLeft_;
    int top_;
    int right_;
    int leftLimit_;
};

} // namespace korvane
