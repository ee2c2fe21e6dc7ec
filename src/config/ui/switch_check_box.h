#pragma once
// A check box holding a prog.cfg switch value: 0 clear, 1 ticked, 2 dimmed.

#include <QCheckBox>

namespace korvane {

// Value 2 comes only from the file and shows as Qt's partially checked state.
// A user's click (or Space) moves between clear and ticked only, as a plain
// check box does; a dimmed box becomes ticked, since a click on an undecided
// box reads as "yes".  Left alone, a dimmed box keeps its 2.
class SwitchCheckBox final : public QCheckBox {
    Q_OBJECT
public:
    explicit SwitchCheckBox(QWidget* parent = nullptr);

    int value() const;
    // Values other than 0, 1 and 2 show as clear.
    void setValue(int value);

protected:
    void nextCheckState() override;
};

} // namespace korvane
