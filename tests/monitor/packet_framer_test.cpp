#include "monitor/packet_framer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvane {
namespace {

std::vector<std::string> feed(PacketFramer& f, std::string_view bytes) {
    f.append(bytes);
    std::vector<std::string> out;
    while (auto p = f.next())
        out.push_back(*p);
    return out;
}

using Packets = std::vector<std::string>;

TEST(PacketFramer, PartialPacketWaitsForItsClosingBracket) {
    PacketFramer f;
    EXPECT_EQ(feed(f, "[<V>5"), Packets{});
    EXPECT_EQ(f.pending(), "[<V>5");
    EXPECT_EQ(feed(f, "12</V>]"), Packets{"[<V>512</V>]"});
    EXPECT_EQ(f.pending(), "");
}

TEST(PacketFramer, EveryCompletePacketOfAReadIsFramedInOrder) {
    PacketFramer f;
    EXPECT_EQ(feed(f, "xx[<V>1</V>]yy[<V>2</V>]"), (Packets{"[<V>1</V>]", "[<V>2</V>]"}));
    EXPECT_EQ(f.pending(), "");
}

TEST(PacketFramer, StartOfTheNextPacketSurvivesTheEndOfThePrevious) {
    PacketFramer f;
    feed(f, "[<V>1");
    EXPECT_EQ(feed(f, "</V>][<V>3"), Packets{"[<V>1</V>]"});
    EXPECT_EQ(feed(f, "</V>]"), Packets{"[<V>3</V>]"});
}

TEST(PacketFramer, LeadingFragmentOfAMissedStartIsDropped) {
    PacketFramer f;
    EXPECT_EQ(feed(f, "12</V><I>130</I>][<V>7</V>]"), Packets{"[<V>7</V>]"});
    EXPECT_EQ(feed(f, "]]]"), Packets{});
    EXPECT_EQ(feed(f, "[<V>8</V>]"), Packets{"[<V>8</V>]"});
}

TEST(PacketFramer, PacketSplitAtEveryByteIsFramedOnce) {
    const std::string stream = "junk[<V>512</V><I>130</I>]]x[<R>42</R>]";
    PacketFramer f;
    Packets got;
    for (char c : stream)
        for (auto& p : feed(f, std::string_view(&c, 1)))
            got.push_back(p);
    EXPECT_EQ(got, (Packets{"[<V>512</V><I>130</I>]", "[<R>42</R>]"}));
}

TEST(PacketFramer, MegabytesWithoutBracketsKeepMemoryFlatAndLoseNoLaterPacket) {
    PacketFramer f;
    const std::string noise(1 << 16, 'z');
    for (int i = 0; i < 32; ++i) {
        feed(f, noise);
        EXPECT_LE(f.pending().size(), PacketFramer::kMaxPending);
    }
    // An opening bracket followed by noise is bounded as well.
    feed(f, "[");
    for (int i = 0; i < 32; ++i) {
        feed(f, noise);
        EXPECT_LE(f.pending().size(), PacketFramer::kMaxPending);
    }
    EXPECT_EQ(feed(f, "[<V>9</V>]"), Packets{"[<V>9</V>]"});
}

TEST(PacketFramer, ALongBurstOfPacketsIsFramedInLinearTime) {
    std::string burst;
    for (int i = 0; i < 100000; ++i)
        burst += "[<V>" + std::to_string(i) + "</V>]";
    PacketFramer f;
    const auto got = feed(f, burst);
    ASSERT_EQ(got.size(), 100000u);
    EXPECT_EQ(got.back(), "[<V>99999</V>]");
}

} // namespace
} // namespace korvane
