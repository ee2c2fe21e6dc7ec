#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace korvane {
namespace {

const NumberFormat kDot{'.'};
const NumberFormat kComma{','};

struct ParseCase {
    const char* text;
    NumberFormat fmt;
    std::optional<double> expected;
};

TEST(ParseNumber, AcceptsTheNumericShapesOfEitherLocale) {
    const ParseCase cases[] = {
        {"512", kDot, 512},
        {" 12 ", kDot, 12},
        {"-0.5", kDot, -0.5},
        {"+7", kDot, 7},
        {".5", kDot, 0.5},
        {"5.", kDot, 5},
        {"1e3", kDot, 1000},
        {"2.5E-1", kDot, 0.25},
        {"1e-400", kDot, 0}, // underflow is a fine zero
        {"12,5", kComma, 12.5},
        {" -3,25 ", kComma, -3.25},
        {"", kDot, std::nullopt},
        {"   ", kDot, std::nullopt},
        {"abc", kDot, std::nullopt},
        {"12.5", kComma, std::nullopt}, // the other separator is not accepted
        {"12,5", kDot, std::nullopt},
        {"1,234", kDot, std::nullopt}, // no thousands separators
        {"1.2.3", kDot, std::nullopt},
        {"inf", kDot, std::nullopt},
        {"nan", kDot, std::nullopt},
        {"0x10", kDot, std::nullopt},
        {"1e400", kDot, std::nullopt},
        {"--5", kDot, std::nullopt},
        {"- 5", kDot, std::nullopt},
        {"5e", kDot, std::nullopt},
        {"12 3", kDot, std::nullopt},
        {".", kDot, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("text '") + c.text + "' decimal " + c.fmt.decimal);
        EXPECT_EQ(parseNumber(c.text, c.fmt), c.expected);
    }
}

TEST(ParseNumber, RejectsTenThousandDigitsWithoutCrashing) {
    EXPECT_FALSE(parseNumber(std::string(10000, '9'), kDot));
    const auto tiny = parseNumber("0." + std::string(10000, '0') + "1", kDot);
    ASSERT_TRUE(tiny);
    EXPECT_EQ(*tiny, 0);
}

TEST(SwitchText, IsOnOnlyWhenItReadsAsOne) {
    EXPECT_TRUE(isSwitchOn("1", kDot));
    EXPECT_TRUE(isSwitchOn(" 1.0", kDot));
    EXPECT_FALSE(isSwitchOn("2", kDot));
    EXPECT_FALSE(isSwitchOn("", kDot));
    EXPECT_FALSE(isSwitchOn("yes", kDot));
}

TEST(FormatGeneral, WritesShortestTextWithTheLocaleSeparator) {
    struct Case {
        double value;
        NumberFormat fmt;
        const char* expected;
    } cases[] = {
        {12.8, kDot, "12.8"},
        {420, kDot, "420"},
        {0, kDot, "0"},
        {-0.0, kDot, "0"},
        {-5, kDot, "-5"},
        {0.1 + 0.2, kDot, "0.3"},
        {13.52, kDot, "13.52"},
        {0.05, kDot, "0.05"},
        {12.25, kComma, "12,25"},
        {-0.01, kComma, "-0,01"},
        {123456789012345, kDot, "123456789012345"},
        {1e20, kDot, "1e+20"},
        {std::nan(""), kDot, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(formatGeneral(c.value, c.fmt), c.expected);
    }
}

TEST(RoundHalfEven, SendsDecimalTiesToTheEvenNeighbour) {
    struct Case {
        double value;
        int decimals;
        double expected;
    } cases[] = {
        {0.125, 2, 0.12},
        {0.375, 2, 0.38},
        {2.25, 1, 2.2},
        {12.125, 2, 12.12},
        {2.675, 2, 2.68},
        {-0.0125, 2, -0.01},
        {1.25, 1, 1.2},
        {1.35, 1, 1.4},
        {0.5, 0, 0},
        {1.5, 0, 2},
        {2.5, 0, 2},
        {-2.5, 0, -2},
        {12.8, 2, 12.8},
        {1.005, 2, 1.0},
        {9.995, 2, 10.0},
        {0.995, 2, 1.0},
        {0.004, 2, 0},
        {0.005, 2, 0},
        {0.015, 2, 0.02},
        {12.3456, 2, 12.35},
        {1e300, 2, 1e300},
        {12500, 0, 12500},
        {10.5 * 1000, 0, 10500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " to " << c.decimals);
        EXPECT_EQ(roundHalfEven(c.value, c.decimals), c.expected);
    }
}

TEST(RoundHalfEven, LeavesNonFiniteValuesAlone) {
    EXPECT_TRUE(std::isnan(roundHalfEven(std::nan(""), 2)));
    EXPECT_EQ(roundHalfEven(std::numeric_limits<double>::infinity(), 2),
              std::numeric_limits<double>::infinity());
}

TEST(ToInt16, RoundsHalvesToEvenAndClampsOutOfRange) {
    struct Case {
        double value;
        std::int16_t expected;
    } cases[] = {{1, 1},         {1.5, 2},          {2.5, 2},        {-0.5, 0},
                 {-1.5, -2},     {32767, 32767},    {99999, 32767},  {-1e300, -32768},
                 {1e308, 32767}, {std::nan(""), 0}, {32767.5, 32767}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(toInt16(c.value), c.expected);
    }
}

} // namespace
} // namespace korvane
