#include "publish/reconnect.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

// Each row a close by the broker: the oldest message in flight (0: none)
// and how long after it was sent; then what is set aside (0: nothing).
TEST(BrokerRefusals, OnlyTheSameMessageClosedOnThreeTimesRunningIsSetAside) {
    struct Close {
        std::uint64_t key;
        long long msSinceSent;
        std::uint64_t setAside;
    };
    const std::vector<std::vector<Close>> cases = {
        {{7, 10, 0}, {7, 10, 0}, {7, 10, 7}},
        {{7, 10, 0}, {8, 10, 0}, {7, 10, 0}, {7, 10, 0}},           // another message: afresh
        {{7, 10, 0}, {7, 60000, 0}, {7, 10, 0}, {7, 3000, 7}},      // a late close says nothing
        {{0, 0, 0}, {7, 10, 0}, {0, 0, 0}, {7, 10, 0}, {7, 10, 7}}, // nothing in flight: nothing
        {{7, 10, 0}, {7, 10, 0}, {7, 10, 7}, {7, 10, 0}},           // counted afresh after
    };
    for (std::size_t c = 0; c < cases.size(); ++c) {
        BrokerRefusals refusals;
        for (std::size_t i = 0; i < cases[c].size(); ++i) {
            const Close& close = cases[c][i];
            const auto key = close.key ? std::optional<std::uint64_t>(close.key) : std::nullopt;
            EXPECT_EQ(refusals.closedAfter(key, close.msSinceSent).value_or(0), close.setAside)
                << "case " << c << ", close " << i;
        }
    }
}

TEST(BrokerRefusals, AnAcknowledgementClearsTheSuspicion) {
    BrokerRefusals refusals;
    EXPECT_FALSE(refusals.suspecting());
    refusals.closedAfter(7, 10);
    refusals.closedAfter(7, 10);
    EXPECT_TRUE(refusals.suspecting());
    refusals.acknowledged(8); // another message
    EXPECT_TRUE(refusals.suspecting());
    refusals.acknowledged(7);
    EXPECT_FALSE(refusals.suspecting());
    EXPECT_EQ(refusals.closedAfter(7, 10), std::nullopt);
    EXPECT_EQ(refusals.closedAfter(7, 10), std::nullopt);
}

TEST(BrokerRefusals, TheStatusLineCountsWhatIsSetAside) {
    EXPECT_EQ(setAsideStatus(0), "");
    EXPECT_EQ(setAsideStatus(1), "; 1 message refused and set aside");
    EXPECT_EQ(setAsideStatus(3), "; 3 messages refused and set aside");
}

} // namespace
} // namespace korvane
