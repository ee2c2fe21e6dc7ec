#include "monitor/packet_decoder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvane {
namespace {

const NumberFormat kDot{'.'};
const CalibrationConfig kCal{"40", "100", "20", "6", "2"};
constexpr const char* kFull = "[<V>512</V><I>130</I><R>42</R><M>1</M><S>17</S>]";

Reading decode(std::string_view packet, const Reading& previous = {},
               const CalibrationConfig& cal = kCal, const NumberFormat& fmt = kDot) {
    return decodePacket(packet, toCalibration(cal, fmt), fmt, previous);
}

TEST(PacketDecoder, KnownPacketsDecodeToKnownReadings) {
    const Reading full{12.8, 1.5, 19.2, 420, 8.5, 1};
    struct Case {
        const char* packet;
        Reading previous;
        Reading expected;
    } cases[] = {
        {kFull, {}, full},
        // A bad V keeps the previous volts; the rest decodes.
        {"[<V>abc</V><I>130</I><R>42</R><M>1</M><S>17</S>]", full, full},
        // No V field: volts 0, so watts 0.
        {"[<I>130</I><R>42</R><M>1</M><S>17</S>]", full, {0, 1.5, 0, 420, 8.5, 1}},
        // Only V: a missing I is raw 0, so amps = (0 - 100) / 20.
        {"[<V>512</V>]", full, {12.8, -5, -64, 0, 0, 0}},
        // -1 and below mean "no data"; -0.5 is a value.
        {"[<V>-1</V><I>130</I><R>42</R><M>1</M><S>17</S>]", full, full},
        {"[<V>-0.5</V><I>130</I><R>42</R><M>1</M><S>17</S>]",
         full,
         {-0.01, 1.5, -0.02, 420, 8.5, 1}},
        // A non-numeric M is -1.
        {"[<V>512</V><I>130</I><R>42</R><M>x</M><S>17</S>]", {}, {12.8, 1.5, 19.2, 420, 8.5, -1}},
        // Fields in any order, text around them ignored, blanks allowed.
        {"[junk<S>17</S><M> 1 </M><R>42</R><I>130</I><V> 512 </V>]", {}, full},
        // Case matters: <v> is not V.
        {"[<v>512</v><I>130</I><R>42</R><M>1</M><S>17</S>]", full, {0, 1.5, 0, 420, 8.5, 1}},
        // Text after the first "]" is not part of the packet.
        {"[<I>130</I>]<V>512</V>", {}, {0, 1.5, 0, 0, 0, 0}},
        // An M beyond 16 bits is clamped, not a crash.
        {"[<V>512</V><I>130</I><R>42</R><M>99999</M><S>17</S>]",
         {},
         {12.8, 1.5, 19.2, 420, 8.5, 32767}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.packet);
        EXPECT_EQ(decode(c.packet, c.previous), c.expected);
    }
}

TEST(PacketDecoder, RoundsDecimalTiesToEven) {
    const CalibrationConfig unit{"1", "0", "1", "60", "1"};
    EXPECT_EQ(decode("[<V>0.125</V>]", {}, unit).volts, 0.12);
    EXPECT_EQ(decode("[<V>0.375</V>]", {}, unit).volts, 0.38);
    EXPECT_EQ(decode("[<S>2.25</S>]", {}, unit).windSpeed, 2.2);
    // Watts come from the stored, rounded values: 0.12 x 0.38.
    EXPECT_EQ(decode("[<V>0.125</V><I>0.375</I>]", {}, unit).watts, 0.05);
}

TEST(PacketDecoder, UnusableCalibrationLeavesItsQuantityUnchanged) {
    const Reading previous{13, 2, 26, 300, 7, 1};
    struct Case {
        CalibrationConfig cal;
        Reading expected;
    } cases[] = {
        {{"0", "100", "20", "6", "2"}, {13, 1.5, 19.5, 420, 8.5, 1}},
        {{"x", "100", "20", "6", "2"}, {13, 1.5, 19.5, 420, 8.5, 1}},
        {{"40", "abc", "20", "6", "2"}, {12.8, 2, 25.6, 420, 8.5, 1}},
        {{"40", "100", "0", "6", "2"}, {12.8, 2, 25.6, 420, 8.5, 1}},
        {{"40", "100", "20", "", "2"}, {12.8, 1.5, 19.2, 300, 8.5, 1}},
        {{"40", "100", "20", "6", "0"}, {12.8, 1.5, 19.2, 420, 7, 1}},
        {{"40", "100", "-20", "6", "2"}, {12.8, -1.5, -19.2, 420, 8.5, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cal.VoltDivider + " " + c.cal.VoltOffset + " " + c.cal.AmpDivider + " " +
                     c.cal.RPMDivider + " " + c.cal.WSDivider);
        EXPECT_EQ(decode(kFull, previous, c.cal), c.expected);
    }
}

TEST(PacketDecoder, HugeFieldsNeverProduceInfinityOrNaN) {
    const std::string digits(10000, '9');
    const Reading previous{13, 2, 26, 300, 7, 1};
    const auto r = decode("[<V>" + digits + "</V><I>1e308</I><R>" + digits + "</R><M>" + digits +
                              "</M><S>1e308</S>]",
                          previous);
    for (double v : {r.volts, r.amps, r.watts, r.rpm, r.windSpeed})
        EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(r.volts, 13); // 10,000 nines is not a number a double holds
    EXPECT_EQ(r.mode, -1);

    // Results beyond the double range keep the previous value.
    const CalibrationConfig tiny{"1e-300", "0", "1e-300", "6", "2"};
    const auto o = decode("[<V>1e300</V><I>1e300</I>]", previous, tiny);
    EXPECT_EQ(o.volts, 13);
    EXPECT_EQ(o.amps, 2);
    const CalibrationConfig one{"1", "0", "1", "6", "2"};
    const auto w = decode("[<V>1e200</V><I>1e200</I>]", previous, one);
    EXPECT_EQ(w.volts, 1e200);
    EXPECT_EQ(w.watts, previous.watts); // the product overflows
}

TEST(PacketDecoder, DecimalCommaLocaleReadsFieldsAndCalibration) {
    const NumberFormat comma{','};
    const CalibrationConfig cal{"40", "100", "20", "6", "2,5"};
    const auto r = decode("[<V>512,4</V><I>130</I><R>42</R><M>1</M><S>17</S>]", {}, cal, comma);
    EXPECT_EQ(r.volts, 12.81);
    EXPECT_EQ(r.windSpeed, 6.8);
    // A dot is not the separator here, so the field is not numeric.
    EXPECT_EQ(decode("[<V>512.4</V>]", {7, 0, 0, 0, 0, 0}, cal, comma).volts, 7);
}

TEST(IntervalPeaks, RiseOnlyOnStrictlyGreaterValues) {
    IntervalPeaks peaks;
    raisePeaks(peaks, {12.8, -5, -64, 0, 0, 0});
    EXPECT_EQ(peaks, (IntervalPeaks{12.8, 0, 0, 0, 0}));
    raisePeaks(peaks, {12.5, 1.5, 18.75, 420, 8.5, 1});
    EXPECT_EQ(peaks, (IntervalPeaks{12.8, 1.5, 18.75, 420, 8.5}));
}

} // namespace
} // namespace korvane
