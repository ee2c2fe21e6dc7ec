#pragma once

#include <QPixmap>

namespace korvane {

// The 8 x 10 pixel division sign of the calibration sums: a two-pixel bar
// across the middle with a 2 x 2 dot above and below, black on transparent.
QPixmap divisionSignPixmap();

} // namespace korvane
