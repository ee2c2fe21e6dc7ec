#include "board_model.h"
#include "monitor/packet_decoder.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(BoardModel, PacketsDecodeToPlausibleValuesWithTheDefaultCalibration) {
    sim::BoardModel model(42);
    const auto cal = toCalibration(defaultCalibrationConfig(), NumberFormat{});
    Reading r;
    int loadSwitches = 0;
    int previousMode = 0;
    for (int i = 0; i < 3 * 3600; ++i) {
        const std::string packet = sim::formatPacket(model.step(1.0));
        ASSERT_EQ(packet.front(), '[');
        ASSERT_EQ(packet.back(), ']');
        r = decodePacket(packet, cal, NumberFormat{}, r);
        ASSERT_GE(r.volts, 11.0);
        ASSERT_LE(r.volts, 15.0);
        ASSERT_GE(r.rpm, 0);
        ASSERT_LT(r.rpm, 2000);
        ASSERT_GE(r.windSpeed, 0);
        ASSERT_LT(r.windSpeed, 80);
        ASSERT_TRUE(r.mode == 0 || r.mode == 1);
        loadSwitches += r.mode != previousMode;
        previousMode = r.mode;
    }
    EXPECT_GT(loadSwitches, 2) << "three hours should see the load go on and off";
}

} // namespace
} // namespace korvane
