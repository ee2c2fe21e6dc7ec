// The calibration receive step over arbitrary bytes in arbitrary splits and
// arbitrary divider boxes: no crash, bounded buffer, finite readings.

#include "calibration/calibration_receiver.h"

#include <cmath>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const NumberFormat fmt{in.ConsumeBool() ? ',' : '.'};
    PreviewInputs inputs;
    inputs.boxes.BatteryVolts = in.ConsumeRandomLengthString(12);
    inputs.boxes.BatteryCurrent = in.ConsumeRandomLengthString(12);
    inputs.boxes.PulseDivider = in.ConsumeRandomLengthString(12);
    inputs.boxes.Pulse2Divider = in.ConsumeRandomLengthString(12);
    inputs.VoltOffset = in.ConsumeFloatingPointInRange<double>(-1e6, 1e6);
    inputs.WSUnits = "km/h";
    CalibrationReceiver receiver;
    while (in.remaining_bytes() > 0) {
        receiver.receive(in.ConsumeRandomLengthString(200), inputs, fmt);
        if (receiver.pending().size() > PacketFramer::kMaxPending)
            std::abort();
        for (double v : {receiver.RawVolts(), receiver.RawAmps(), receiver.PreviewRPM(),
                         receiver.PreviewWindSpeed(), receiver.displayedRawAmps()})
            if (!std::isfinite(v))
                std::abort();
    }
    return 0;
}
