#pragma once
// A check box whose caption wraps onto a second line when the box is too
// narrow for it ("Wind Speed" beside the plot), and which toggles wherever
// it is clicked, on its coloured background as well as on the indicator.

#include <QCheckBox>

namespace korvane {

class SwitchBox : public QCheckBox {
    Q_OBJECT
public:
    SwitchBox(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

} // namespace korvane
