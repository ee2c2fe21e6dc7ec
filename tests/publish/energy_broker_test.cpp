// "energy_today_wh" as a consumer that was told it is total_increasing sees
// it: never 0 after a start, never lower within a day, not even over a
// restart that lost the minute that was running.

#include "publish_fixture.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace korvane::test {
namespace {

class Energy : public PublishFixture {
protected:
    // The energy of every state message so far, with its day.
    std::vector<std::pair<double, std::string>> energies(TestSubscriber& sub) {
        std::vector<std::pair<double, std::string>> out;
        for (const std::string& s : sub.payloads("korvane/shed/state")) {
            const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(s)).object();
            out.emplace_back(o.value("energy_today_wh").toDouble(-1),
                             o.value("day").toString().toStdString());
        }
        return out;
    }
    // A packet, and the state it brings once the interval has passed.
    void packet(Publisher& p) {
        clock.advanceSeconds(5);
        p.packetDecoded({13.5, 4, 54, 350, 12, 1}, now());
    }
};

TEST_F(Energy, NeverLowerWithinADayOverARestartAndFromZeroAtMidnight) {
    TestBroker broker(dir.path());
    ASSERT_TRUE(broker.start());
    TestSubscriber sub(broker.port(), "korvane/shed/state");
    ASSERT_TRUE(sub.waitSubscribed());
    writeConfig(config(broker.port()));
    auto p = publisher(std::make_unique<MemoryOutboxStorage>());
    ASSERT_TRUE(spinUntil([&] { return p->isConnected(); }));
    packet(*p); // before the start says what the day counted: no state
    p->started(120.5, now());
    packet(*p);
    p->energyAdded(0.12, 120.62, now());
    packet(*p);
    ASSERT_TRUE(spinUntil([&] { return energies(sub).size() == 2; }));
    p->exiting(now());
    p.reset();

    // The restart resumes 120.55: the store lost the unfinished minute.
    auto again = publisher(std::make_unique<MemoryOutboxStorage>());
    again->started(120.55, now());
    ASSERT_TRUE(spinUntil([&] { return again->isConnected(); }));
    packet(*again);
    again->energyAdded(0.15, 120.7, now());
    packet(*again);
    clock.set({2026, 12, 9, 0, 0, 2, 0});
    packet(*again); // past midnight, before the energy timer restarted the day: no state
    again->energyAdded(0.01, 0.01, now());
    packet(*again);
    ASSERT_TRUE(spinUntil([&] { return energies(sub).size() == 5; }));

    const std::vector<std::pair<double, std::string>> expected = {{120.5, "2026_12_8"},
                                                                  {120.62, "2026_12_8"},
                                                                  {120.62, "2026_12_8"},
                                                                  {120.7, "2026_12_8"},
                                                                  {0.01, "2026_12_9"}};
    EXPECT_EQ(energies(sub), expected);
    EXPECT_EQ(loadPublishedEnergy(dir.path()), (PublishedEnergy{"2026_12_9", 0.01}));
}

} // namespace
} // namespace korvane::test
