#include "web/query_params.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(QueryParams, IsoDatesAreStrict) {
    struct Row {
        const char* text;
        int date; // 0: refused
    } rows[] = {
        {"2026-12-08", 20261208},
        {"2024-02-29", 20240229},
        {"1970-01-01", 19700101},
        {"2026-02-29", 0},
        {"2026-13-01", 0},
        {"2026-00-10", 0},
        {"2026-04-31", 0},
        {"2026-12-8", 0},
        {"2026_12_8", 0},
        {"1969-12-31", 0},
        {"+026-12-08", 0},
        {"2026-12-08 ", 0},
        {"", 0},
        {"2026-1a-08", 0},
        {"2100-02-29", 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(parseQueryDate(r.text).value_or(0), r.date) << r.text;
}

TEST(QueryParams, RangesTakeDefaultsAndNameTheWrongParameter) {
    const DateRange defaults{20261110, 20261209};
    struct Row {
        QueryArgs args;
        DateRange range;       // when accepted
        const char* parameter; // "" when accepted
        const char* message;   // a part of the message
    } rows[] = {
        {{}, defaults, "", ""},
        {{{"from", "2026-12-01"}}, {20261201, 20261209}, "", ""},
        {{{"to", "2026-11-30"}}, {20261110, 20261130}, "", ""},
        {{{"from", "2026-12-09"}, {"to", "2026-12-09"}}, {20261209, 20261209}, "", ""},
        {{{"from", "2016-01-01"}, {"to", "2025-12-31"}}, {20160101, 20251231}, "", ""},
        {{{"from", "2016-01-01"}, {"to", "2026-01-01"}}, {}, "to", "longer than 10 years"},
        {{{"from", "2026-12-10"}, {"to", "2026-12-01"}}, {}, "from", "is after to (2026-12-01)"},
        {{{"from", "yesterday"}}, {}, "from", "not \"yesterday\""},
        {{{"to", "2026-02-30"}}, {}, "to", "YYYY-MM-DD"},
        {{{"from", ""}}, {}, "from", "YYYY-MM-DD"},
        {{{"from", "2026-12-01"}, {"from", "2026-12-02"}}, {}, "from", "more than once"},
        {{{"from", std::string(500, 'x')}}, {}, "from", "..."},
        {{{"From", "bad"}, {"bin", "x"}}, defaults, "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.args.empty() ? std::string("none") : r.args[0].second.substr(0, 20));
        const auto got = readDateRange(r.args, defaults);
        if (std::string(r.parameter).empty()) {
            ASSERT_TRUE(std::holds_alternative<DateRange>(got));
            EXPECT_EQ(std::get<DateRange>(got), r.range);
        } else {
            ASSERT_TRUE(std::holds_alternative<ParamError>(got));
            const ParamError& e = std::get<ParamError>(got);
            EXPECT_EQ(e.parameter, r.parameter);
            EXPECT_NE(e.message.find(r.message), std::string::npos) << e.message;
            EXPECT_LT(e.message.size(), 160u);
        }
    }
}

TEST(QueryParams, BinWidthsFromAQuarterToFive) {
    struct Row {
        const char* text; // nullptr: absent
        double width;     // 0: refused
    } rows[] = {{nullptr, 1}, {"0.25", 0.25}, {"5", 5},   {"2.5", 2.5}, {"0.2", 0}, {"5.01", 0},
                {"-1", 0},    {"nan", 0},     {"inf", 0}, {"1,5", 0},   {"", 0},    {"1e0", 1}};
    for (const Row& r : rows) {
        QueryArgs args;
        if (r.text)
            args.emplace_back("bin", r.text);
        const auto got = readBinWidth(args);
        if (r.width > 0) {
            ASSERT_TRUE(std::holds_alternative<double>(got)) << (r.text ? r.text : "absent");
            EXPECT_DOUBLE_EQ(std::get<double>(got), r.width);
        } else {
            ASSERT_TRUE(std::holds_alternative<ParamError>(got)) << r.text;
            EXPECT_EQ(std::get<ParamError>(got).parameter, "bin");
        }
    }
}

} // namespace
} // namespace korvane
