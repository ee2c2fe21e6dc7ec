#pragma once
// The values under the mouse pointer over the history plot, and the zoom
// selection that a press, a drag to the right and a release make.

#include "history_buffer.h"
#include "plot_model.h"

#include <optional>
#include <string>

namespace korvane {

// The captions of the six readout labels.
struct Readout {
    std::string vt; // short time
    std::string vv; // "13.46 Volts": rounded to 2 decimals, ties to even
    std::string av; // "... Amps"
    std::string wv; // "... Watts"
    std::string rv; // "... RPM"
    std::string sv; // "7.5 km/h": the number, a space and the wind-speed unit
    bool operator==(const Readout&) const = default;
};

// The slots a pointer at plot X (user units, single precision) reads while
// the plot's left edge stands at firstIndex: the time from the whole part of
// X + firstIndex (rounded toward minus infinity), the values from
// slot(whole part of X + firstIndex).  A slot past the loaded records is
// read as it stands (what an earlier, longer query left, or zeros); only
// the ends of the arrays, 0 and 10000, limit them, so a pointer dragged far
// beyond the plot reads the end slot.
struct ReadoutSlots {
    int time = 0;
    int values = 0;
    bool operator==(const ReadoutSlots&) const = default;
};
ReadoutSlots readoutSlots(float x, double firstIndex);

// Nothing unless more than one record is loaded, or when X is not a number.
std::optional<Readout> readoutAt(const HistoryBuffer& history, float x, double firstIndex,
                                 int recordCount, const HistoryTextForms& forms);

// The LastIndex a release at X gives a selection pressed at firstIndex, or
// nothing when the release does not zoom: not to the right of the press
// (compared in single precision), or nothing loaded to show there.  A
// release beyond the loaded records is limited to the last record.
std::optional<double> zoomLastIndex(double firstIndex, float releaseX, int recordCount);

} // namespace korvane
