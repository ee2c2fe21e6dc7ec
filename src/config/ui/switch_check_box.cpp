#include "switch_check_box.h"

namespace korvane {

SwitchCheckBox::SwitchCheckBox(QWidget* parent) : QCheckBox(parent) {
    setTristate(true);
}

int SwitchCheckBox::value() const {
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

void SwitchCheckBox::setValue(int value) {
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void SwitchCheckBox::nextCheckState() {
    // Qt's tristate cycle would let the user pick "dimmed", which the main
    // window cannot tell from "clear".
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

} // namespace korvane
