// tagValue and both settings files from arbitrary bytes: any text loads, and
// what is written reads back the same.

#include "config/calibration_config.h"
#include "config/program_config.h"
#include "config/tag_value.h"
#include "monitor/packet_decoder.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::string_view key : {"Port", "LogDelay", "WSUnits", "VoltDivider", "V", ""}) {
        if (auto v = tagValue(text, key)) {
            if (v->data() < text.data() || v->data() + v->size() > text.data() + text.size())
                std::abort();
        }
    }
    const ProgramConfig program = parseProgramConfig(text);
    const CalibrationConfig cal = parseCalibrationConfig(text);

    // Values without tag characters survive a write and a read unchanged.
    auto clean = [](const std::string& s) { return s.find('<') == std::string::npos; };
    const bool programClean = clean(program.Port) && clean(program.Savehtml) &&
                              clean(program.SaveExcel) && clean(program.LogDelay) &&
                              clean(program.LogOn) && clean(program.DisplayRPM) &&
                              clean(program.DisplayWS) && clean(program.WSUnits);
    if (programClean && parseProgramConfig(formatProgramConfig(program)) != program)
        std::abort();
    const bool calibrationClean = clean(cal.VoltDivider) && clean(cal.VoltOffset) &&
                                  clean(cal.AmpDivider) && clean(cal.RPMDivider) &&
                                  clean(cal.WSDivider);
    if (calibrationClean && parseCalibrationConfig(formatCalibrationConfig(cal)) != cal)
        std::abort();

    // Whatever the file says, decoding stays finite.
    const auto r = decodePacket("[<V>512</V><I>130</I><R>42</R><M>1</M><S>17</S>]",
                                toCalibration(cal, NumberFormat{}), NumberFormat{}, Reading{});
    for (double v : {r.volts, r.amps, r.watts, r.rpm, r.windSpeed})
        if (!std::isfinite(v))
            std::abort();
    return 0;
}
