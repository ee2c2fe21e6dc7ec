// The calibration receive step: framing of the serial input, raw fields and
// the previews the divider boxes give.

#include "calibration/calibration_receiver.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

const NumberFormat kPoint{'.'};

PreviewInputs goodInputs() {
    // VoltDivider 40, VoltOffset 100, AmpDivider 20, RPMDivider 6, WSDivider 2.
    return {{"40", "20", "6", "2"}, 100, "km/h"};
}

constexpr const char* kPacket = "[<V>512</V><I>130</I><R>42</R><M>1</M><S>17</S>]";

TEST(CalibrationReceiver, ShowsRawValuesAndPreviewsOfAPacket) {
    CalibrationReceiver rx;
    ASSERT_TRUE(rx.receive(kPacket, goodInputs(), kPoint));
    CalibrationDisplay expected;
    expected.txtBattV = "512";
    expected.txtShuntV = "130";
    expected.txtPulsess = "42";
    expected.txtPulsess2 = "17";
    expected.txtBattVadjusted = "12.8 Volts";
    expected.txtBattAadjusted = "1.5 Amps";
    expected.txtWindmillRPM = "420 RPM";
    expected.txtWindSpeed = "8.5 km/h";
    EXPECT_EQ(rx.display(), expected);
    EXPECT_EQ(rx.RawVolts(), 512);
    EXPECT_EQ(rx.RawAmps(), 130);
    EXPECT_EQ(rx.PreviewRPM(), 420);
    EXPECT_EQ(rx.PreviewWindSpeed(), 8.5);
}

TEST(CalibrationReceiver, NothingIsShownBeforeThePacketIsComplete) {
    CalibrationReceiver rx;
    EXPECT_FALSE(rx.receive("[<V>5", goodInputs(), kPoint));
    EXPECT_FALSE(rx.receive("12</V><I>13", goodInputs(), kPoint));
    EXPECT_EQ(rx.display(), CalibrationDisplay{});
    ASSERT_TRUE(rx.receive("0</I>]", goodInputs(), kPoint));
    EXPECT_EQ(rx.display().txtBattV, "512");
    EXPECT_EQ(rx.display().txtShuntV, "130");
    EXPECT_TRUE(rx.pending().empty());
}

TEST(CalibrationReceiver, StartOfTheNextPacketWaitsInsteadOfReadingAsZero) {
    CalibrationReceiver rx;
    // One read: a whole packet, then the head of the next one.
    ASSERT_TRUE(rx.receive(std::string(kPacket) + "[<V>520</V><I>1", goodInputs(), kPoint));
    EXPECT_EQ(rx.display().txtBattV, "512");
    EXPECT_EQ(rx.display().txtShuntV, "130");
    EXPECT_EQ(rx.display().txtPulsess, "42");
    EXPECT_EQ(rx.pending(), "[<V>520</V><I>1");

    // A "Zero" now takes the current of the finished packet, not 0.
    EXPECT_EQ(rx.displayedRawAmps(), 130);

    ASSERT_TRUE(rx.receive("40</I><R>48</R><S>18</S>]", goodInputs(), kPoint));
    EXPECT_EQ(rx.display().txtBattV, "520");
    EXPECT_EQ(rx.display().txtShuntV, "140");
    EXPECT_EQ(rx.display().txtPulsess, "48");
    EXPECT_EQ(rx.display().txtWindmillRPM, "480 RPM");
    EXPECT_EQ(rx.display().txtWindSpeed, "9 km/h");
}

TEST(CalibrationReceiver, TailOfAMissedPacketIsDropped) {
    CalibrationReceiver rx;
    // Opened mid-packet: the tail's R must not be read into the next packet.
    ASSERT_TRUE(rx.receive("0</I><R>4</R><S>9</S>][<V>80</V>]", goodInputs(), kPoint));
    EXPECT_EQ(rx.display().txtBattV, "80");
    EXPECT_EQ(rx.display().txtPulsess, "0");
    EXPECT_EQ(rx.display().txtPulsess2, "0");
    EXPECT_EQ(rx.display().txtShuntV, "0");
}

TEST(CalibrationReceiver, BurstOfPacketsShowsTheNewest) {
    CalibrationReceiver rx;
    ASSERT_TRUE(rx.receive("[<V>1</V>]xx[<V>2</V>][<V>3</V>]", goodInputs(), kPoint));
    EXPECT_EQ(rx.display().txtBattV, "3");
    EXPECT_TRUE(rx.pending().empty());
}

TEST(CalibrationReceiver, NoiseWithoutPacketsDoesNotPileUp) {
    CalibrationReceiver rx;
    for (int i = 0; i < 100; ++i)
        rx.receive(std::string(1000, 'x') + "[" + std::string(1000, 'y'), goodInputs(), kPoint);
    EXPECT_LE(rx.pending().size(), PacketFramer::kMaxPending + 1000);
    ASSERT_TRUE(rx.receive(std::string("]") + kPacket, goodInputs(), kPoint));
    EXPECT_EQ(rx.display().txtBattV, "512");
}

struct FieldCase {
    const char* packet;
    const char* battV;
    const char* shuntV;
    const char* pulses;
    const char* pulses2;
};

class CalibrationFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(CalibrationFields, MissingOrBadFieldsReadAsZero) {
    const FieldCase& c = GetParam();
    CalibrationReceiver rx;
    ASSERT_TRUE(rx.receive(kPacket, goodInputs(), kPoint));
    ASSERT_TRUE(rx.receive(c.packet, goodInputs(), kPoint));
    EXPECT_EQ(rx.display().txtBattV, c.battV);
    EXPECT_EQ(rx.display().txtShuntV, c.shuntV);
    EXPECT_EQ(rx.display().txtPulsess, c.pulses);
    EXPECT_EQ(rx.display().txtPulsess2, c.pulses2);
}

INSTANTIATE_TEST_SUITE_P(
    Packets, CalibrationFields,
    ::testing::Values(FieldCase{"[<I>130</I>]", "0", "130", "0", "0"},
                      FieldCase{"[<V>abc</V><I></I><R>x</R><S> 17 </S>]", "0", "0", "0", " 17 "},
                      // A closing tag before its opening tag: absent, not a crash.
                      FieldCase{"[</V>7<V><I>1</I>]", "0", "1", "0", "0"},
                      FieldCase{"[<v>12</v><r>3</r>]", "0", "0", "0", "0"},
                      FieldCase{"[<V>1</V><V>2</V><R>5</R><R>6</R>]", "1", "0", "5", "0"},
                      FieldCase{"[<V>12.345</V><I>-0.125</I>]", "12.34", "-0.12", "0", "0"},
                      FieldCase{"[<V>-7</V><R>-3</R>]", "-7", "0", "-3", "0"},
                      FieldCase{"[]", "0", "0", "0", "0"}));

TEST(CalibrationReceiver, MissingPulsesGiveAZeroPreview) {
    CalibrationReceiver rx;
    ASSERT_TRUE(rx.receive("[<V>512</V><I>130</I><S>17</S>]", goodInputs(), kPoint));
    EXPECT_EQ(rx.display().txtPulsess, "0");
    EXPECT_EQ(rx.display().txtWindmillRPM, "0 RPM");
}

TEST(CalibrationReceiver, UnusablePulseDividerShowsOneRpm) {
    for (const char* divider : {"", "abc", "0", "-6", "1,5"}) {
        CalibrationReceiver rx;
        PreviewInputs in = goodInputs();
        in.boxes.PulseDivider = divider;
        ASSERT_TRUE(rx.receive(kPacket, in, kPoint));
        EXPECT_EQ(rx.display().txtWindmillRPM, "1 RPM") << divider;
        EXPECT_EQ(rx.PreviewRPM(), 1) << divider;
    }
}

TEST(CalibrationReceiver, UnusableDividersKeepTheLastPreviews) {
    CalibrationReceiver rx;
    ASSERT_TRUE(rx.receive(kPacket, goodInputs(), kPoint));
    const CalibrationDisplay before = rx.display();
    for (const char* divider : {"", "x", "0", "-40"}) {
        PreviewInputs in = goodInputs();
        in.boxes.BatteryVolts = divider;
        in.boxes.Pulse2Divider = divider;
        in.boxes.BatteryCurrent = std::string(divider) == "-40" ? "20" : divider;
        ASSERT_TRUE(rx.receive("[<V>600</V><I>200</I><R>42</R><S>30</S>]", in, kPoint));
        EXPECT_EQ(rx.display().txtBattV, "600") << divider;
        EXPECT_EQ(rx.display().txtBattVadjusted, before.txtBattVadjusted) << divider;
        EXPECT_EQ(rx.display().txtWindSpeed, before.txtWindSpeed) << divider;
        if (std::string(divider) != "-40") {
            EXPECT_EQ(rx.display().txtBattAadjusted, before.txtBattAadjusted) << divider;
        }
    }
}

TEST(CalibrationReceiver, PreviewsStayEmptyUntilADividerIsUsable) {
    CalibrationReceiver rx;
    PreviewInputs in{{"", "0", "", ""}, 0, "mph"};
    ASSERT_TRUE(rx.receive(kPacket, in, kPoint));
    EXPECT_EQ(rx.display().txtBattVadjusted, "");
    EXPECT_EQ(rx.display().txtBattAadjusted, "");
    EXPECT_EQ(rx.display().txtWindSpeed, "0 mph");
}

TEST(CalibrationReceiver, NegativeCurrentDividerFlipsTheSign) {
    CalibrationReceiver rx;
    PreviewInputs in = goodInputs();
    in.boxes.BatteryCurrent = "-20";
    ASSERT_TRUE(rx.receive(kPacket, in, kPoint));
    EXPECT_EQ(rx.display().txtBattAadjusted, "-1.5 Amps");
}

TEST(CalibrationReceiver, PreviewsThatWouldOverflowAreNotShown) {
    CalibrationReceiver rx;
    ASSERT_TRUE(rx.receive(kPacket, goodInputs(), kPoint));
    PreviewInputs in{{"1e-300", "1e-300", "1e-300", "1e-300"}, 0, "km/h"};
    ASSERT_TRUE(rx.receive("[<V>1e300</V><I>1e300</I><R>1e300</R><S>1e300</S>]", in, kPoint));
    EXPECT_EQ(rx.display().txtBattVadjusted, "12.8 Volts");
    EXPECT_EQ(rx.display().txtBattAadjusted, "1.5 Amps");
    EXPECT_EQ(rx.display().txtWindmillRPM, "1 RPM");
    EXPECT_EQ(rx.display().txtWindSpeed, "8.5 km/h");
}

TEST(CalibrationReceiver, CurrentPreviewUsesTheOffsetOfTheMoment) {
    CalibrationReceiver rx;
    PreviewInputs in = goodInputs();
    ASSERT_TRUE(rx.receive("[<I>100.125</I>]", in, kPoint));
    // Zero takes the raw current as shown: 2 decimals, ties to even.
    EXPECT_EQ(rx.display().txtShuntV, "100.12");
    in.VoltOffset = rx.displayedRawAmps();
    EXPECT_EQ(in.VoltOffset, 100.12);
    ASSERT_TRUE(rx.receive("[<I>140.12</I>]", in, kPoint));
    EXPECT_EQ(rx.display().txtBattAadjusted, "2 Amps");
}

TEST(CalibrationReceiver, ZeroBeforeAnyPacketIsZero) {
    CalibrationReceiver rx;
    EXPECT_EQ(rx.displayedRawAmps(), 0);
}

TEST(CalibrationReceiver, WindSpeedCarriesTheUnit) {
    CalibrationReceiver rx;
    ASSERT_TRUE(rx.receive("[<S>24.6</S>]", goodInputs(), kPoint));
    EXPECT_EQ(rx.display().txtWindSpeed, "12.3 km/h");
}

TEST(CalibrationReceiver, DecimalCommaLocale) {
    const NumberFormat comma{','};
    CalibrationReceiver rx;
    PreviewInputs in{{"40", "-20,5", "6,5", "2"}, 100.5, "km/h"};
    ASSERT_TRUE(rx.receive("[<V>512,5</V><I>141,5</I><R>13</R><S>5.5</S>]", in, comma));
    EXPECT_EQ(rx.display().txtBattV, "512,5");
    EXPECT_EQ(rx.display().txtBattVadjusted, "12,81 Volts");
    EXPECT_EQ(rx.display().txtBattAadjusted, "-2 Amps");
    EXPECT_EQ(rx.display().txtWindmillRPM, "120 RPM");
    EXPECT_EQ(rx.display().txtPulsess2, "0"); // '.' is not this locale's separator
}

} // namespace
} // namespace korvane
