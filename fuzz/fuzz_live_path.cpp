// Framer + decoder over arbitrary bytes in arbitrary read splits.  Checks that
// nothing crashes, memory stays bounded and no value stops being finite.

#include "config/tag_value.h"
#include "monitor/packet_decoder.h"
#include "monitor/packet_framer.h"

#include <cmath>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const NumberFormat fmt{in.ConsumeBool() ? ',' : '.'};
    static const CalibrationConfig configs[] = {defaultCalibrationConfig(),
                                                {"0", "x", "0", "", "-2"},
                                                {"1e-300", "1e300", "-1e-300", "1e-9", "3"}};
    const auto cal = toCalibration(configs[in.ConsumeIntegralInRange<int>(0, 2)], fmt);
    PacketFramer framer;
    Reading reading;
    while (in.remaining_bytes() > 0) {
        const auto chunk = in.ConsumeRandomLengthString(256);
        framer.append(chunk);
        while (auto packet = framer.next()) {
            if (packet->front() != '[' || packet->back() != ']')
                std::abort();
            const LetterTags fields(*packet, "VIRMS");
            for (const char* tag : {"V", "I", "R", "M", "S"}) {
                const std::string open = std::string("<") + tag + ">";
                const std::string close = std::string("</") + tag + ">";
                if (fields.field(tag[0]) != taggedText(*packet, open, close))
                    std::abort();
            }
            reading = decodePacket(*packet, cal, fmt, reading);
            for (double v :
                 {reading.volts, reading.amps, reading.watts, reading.rpm, reading.windSpeed})
                if (!std::isfinite(v))
                    std::abort();
        }
        if (framer.pending().size() > PacketFramer::kMaxPending)
            std::abort();
    }
    return 0;
}
