#include "publish/outbox.h"
#include "publish/reconnect.h"

#include "store/minute_recorder.h"
#include "store/store_test_util.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace korvane {
namespace {

MqttMessage numbered(int n) {
    return {"site/record", "r" + std::to_string(n), 1, false};
}

std::vector<std::string> payloads(const std::vector<Outbox::ToSend>& batch) {
    std::vector<std::string> out;
    for (const Outbox::ToSend& s : batch)
        out.push_back(s.message->payload);
    return out;
}

// Sends everything the outbox offers and acknowledges it, until it is empty
// (bounded); the payloads in the order they went out.
std::vector<std::string> deliverAll(Outbox& outbox, int& mid) {
    std::vector<std::string> out;
    for (int round = 0; round < 1000 && !outbox.empty(); ++round) {
        std::vector<int> mids;
        for (const Outbox::ToSend& s : outbox.nextToSend()) {
            out.push_back(s.message->payload);
            outbox.sent(s.key, ++mid);
            mids.push_back(mid);
        }
        for (int m : mids)
            outbox.acknowledged(m);
    }
    return out;
}

TEST(Outbox, SendsOldestFirstWithAtMostTwentyInFlight) {
    MemoryOutboxStorage storage;
    Outbox outbox(storage);
    for (int i = 1; i <= 25; ++i)
        outbox.add(numbered(i));
    const auto first = outbox.nextToSend();
    ASSERT_EQ(first.size(), 20u);
    EXPECT_EQ(first.front().message->payload, "r1");
    EXPECT_EQ(first.back().message->payload, "r20");
    for (std::size_t i = 0; i < first.size(); ++i)
        outbox.sent(first[i].key, static_cast<int>(i) + 1);
    EXPECT_TRUE(outbox.nextToSend().empty());
    outbox.acknowledged(1);
    outbox.acknowledged(99); // not ours
    EXPECT_EQ(payloads(outbox.nextToSend()), std::vector<std::string>{"r21"});
}

TEST(Outbox, AfterAReconnectAllUnacknowledgedGoAgainFromTheOldest) {
    MemoryOutboxStorage storage;
    Outbox outbox(storage);
    for (int i = 1; i <= 5; ++i)
        outbox.add(numbered(i));
    int mid = 0;
    for (const Outbox::ToSend& s : outbox.nextToSend())
        outbox.sent(s.key, ++mid);
    outbox.acknowledged(2);
    outbox.connectionLost();
    outbox.acknowledged(3); // a late acknowledgement of the old connection
    EXPECT_EQ(payloads(outbox.nextToSend()), (std::vector<std::string>{"r1", "r3", "r4", "r5"}));
    outbox.retryStorage();
    ASSERT_EQ(storage.entries.size(), 4u);
}

TEST(Outbox, WhatARunLeftIsSentByTheNextOneInOrder) {
    MemoryOutboxStorage storage;
    int mid = 0;
    {
        Outbox first(storage);
        for (int i = 1; i <= 3; ++i)
            first.add(numbered(i));
        const auto batch = first.nextToSend();
        first.sent(batch[0].key, ++mid);
        first.acknowledged(mid);
        first.retryStorage();
    }
    Outbox second(storage);
    EXPECT_EQ(deliverAll(second, mid), (std::vector<std::string>{"r2", "r3"}));
    second.retryStorage(); // deletions go in batches, on the housekeeping beat
    EXPECT_TRUE(storage.entries.empty());
}

TEST(Outbox, AStorageOutOfReachKeepsEntriesInMemoryAndStoresThemInOrderLater) {
    MemoryOutboxStorage storage;
    storage.reachable = false;
    Outbox outbox(storage);
    outbox.add(numbered(1));
    outbox.add(numbered(2));
    EXPECT_EQ(payloads(outbox.nextToSend()), (std::vector<std::string>{"r1", "r2"}));
    storage.reachable = true;
    outbox.add(numbered(3));
    ASSERT_EQ(storage.entries.size(), 3u);
    EXPECT_EQ(storage.entries[0].message.payload, "r1");
    EXPECT_EQ(storage.entries[2].message.payload, "r3");
    int mid = 0;
    EXPECT_EQ(deliverAll(outbox, mid), (std::vector<std::string>{"r1", "r2", "r3"}));
    outbox.retryStorage();
    EXPECT_TRUE(storage.entries.empty());
}

TEST(Outbox, HeldEntriesAreBoundedByGivingUpTheOldest) {
    MemoryOutboxStorage storage;
    storage.reachable = false;
    Outbox outbox(storage);
    for (int i = 0; i < static_cast<int>(Outbox::kMaxHeld) + 5; ++i)
        outbox.add(numbered(i));
    EXPECT_EQ(outbox.dropped(), 5u);
    EXPECT_EQ(outbox.waitingInMemory(), Outbox::kMaxHeld);
    EXPECT_EQ(outbox.nextToSend().front().message->payload, "r5");
}

TEST(Outbox, ABacklogLargerThanTheWindowIsDeliveredWholeAndInOrder) {
    MemoryOutboxStorage storage;
    const int n = static_cast<int>(Outbox::kWindow) + 30;
    for (int i = 0; i < n; ++i)
        storage.append(numbered(i));
    Outbox outbox(storage);
    EXPECT_EQ(outbox.waitingInMemory(), Outbox::kWindow);
    outbox.add(numbered(n)); // joins the end, behind what is still unloaded
    int mid = 0;
    const auto sent = deliverAll(outbox, mid);
    ASSERT_EQ(static_cast<int>(sent.size()), n + 1);
    for (int i = 0; i <= n; ++i)
        ASSERT_EQ(sent[static_cast<std::size_t>(i)], "r" + std::to_string(i));
}

TEST(Outbox, TheStoreKeepsEntriesAcrossConnectionsInIdOrder) {
    test::TempDir dir;
    const std::string db = dir.file("korvane.db");
    std::vector<std::int64_t> ids;
    {
        auto storage = makeStoreOutboxStorage(db, 20261208);
        for (int i = 1; i <= 3; ++i)
            ids.push_back(storage->append({"t/alarm", "a" + std::to_string(i), 1, i == 2}).value());
        EXPECT_LT(ids[0], ids[1]);
        EXPECT_TRUE(storage->remove({ids[0]}));
    }
    auto again = makeStoreOutboxStorage(db, 20261208);
    const auto rows = again->after(0, 10);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 2u);
    EXPECT_EQ((*rows)[0].id, ids[1]);
    EXPECT_EQ((*rows)[0].message, (MqttMessage{"t/alarm", "a2", 1, true}));
    EXPECT_EQ((*rows)[1].message, (MqttMessage{"t/alarm", "a3", 1, false}));
    EXPECT_EQ(again->after(ids[1], 10)->size(), 1u);
}

TEST(Outbox, WhatTheStorageRefusesAtTheExitIsLeftToItInOrder) {
    for (const bool reachable : {false, true}) {
        MemoryOutboxStorage storage;
        storage.reachable = false;
        {
            Outbox outbox(storage);
            for (int i = 1; i <= 3; ++i)
                outbox.add(numbered(i));
            storage.reachable = reachable;
            if (reachable) {
                EXPECT_EQ(outbox.close(), "");
            } else {
                EXPECT_EQ(outbox.close(), "3 messages kept aside");
                EXPECT_EQ(outbox.close(), ""); // nothing is handed over twice
            }
            EXPECT_EQ(outbox.waitingInMemory(), 0u);
            outbox.add(numbered(4)); // after the close: the destructor hands it over
        }
        std::vector<std::string> got;
        for (const MqttMessage& m : storage.keptAside)
            got.push_back(m.payload);
        for (const OutboxEntry& e : storage.entries)
            got.push_back(e.message.payload);
        EXPECT_EQ(got, (std::vector<std::string>{"r1", "r2", "r3", "r4"})) << reachable;
    }
}

constexpr std::int64_t kT0 = 1796740200000; // 2026-12-08 14:30:00 UTC
const std::string kDay = "2026_12_8";

std::vector<std::string> payloadsIn(const std::string& db) {
    std::vector<std::string> out;
    for (const auto& row : test::queryRows(db, "SELECT payload FROM outbox ORDER BY id"))
        out.push_back(row[0]);
    return out;
}

TEST(StoreOutbox, FollowsTheStoreWhenTheRecorderSetsADamagedFileAside) {
    test::TempDir dir;
    const std::string db = dir.file("korvane.db");
    { MinuteRecorder created(db, kT0, kDay); }
    auto storage = makeStoreOutboxStorage(db, 20261208);
    auto outbox = std::make_unique<Outbox>(*storage);
    outbox->add(numbered(1));
    outbox->add(numbered(2));

    ASSERT_TRUE(test::damageTable(db, "minute"));
    MinuteRecorder recorder(db, kT0 + 60000, kDay); // finds the damage, sets the file aside
    ASSERT_NE(recorder.notice().find("was damaged"), std::string::npos) << recorder.notice();
    outbox->add(numbered(3));
    // The recorder goes on in the new file while the old connection is gone.
    recorder.energy(0.5, kT0 + 61000, kDay);
    recorder.energy(0.5, kT0 + 121000, kDay);
    EXPECT_EQ(payloadsIn(db), (std::vector<std::string>{"r1", "r2", "r3"}));
    EXPECT_EQ(test::queryOne(db, "SELECT count(*) FROM minutes"), "1");

    // Restart: the new file alone has everything, in order.
    outbox.reset();
    storage.reset();
    auto again = makeStoreOutboxStorage(db, 20261208);
    Outbox next(*again);
    int mid = 0;
    EXPECT_EQ(deliverAll(next, mid), (std::vector<std::string>{"r1", "r2", "r3"}));
}

TEST(StoreOutbox, OpensWithoutReadingTheWholeFile) {
    test::TempDir dir;
    const std::string db = dir.file("korvane.db");
    { MinuteRecorder created(db, kT0, kDay); }
    // Damage only a full read finds; the recorder checks for it at start-up.
    ASSERT_TRUE(test::damageTable(db, "record"));
    auto storage = makeStoreOutboxStorage(db, 20261208);
    EXPECT_TRUE(storage->append(numbered(1)));
}

TEST(StoreOutbox, MessagesTheStoreRefusesAtTheExitAreSentAfterTheNextStart) {
    test::TempDir dir;
    const std::string db = dir.file("korvane.db");
    { MinuteRecorder created(db, kT0, kDay); }
    const int child = test::runInChild([&] {
        auto storage = makeStoreOutboxStorage(db, 20261208);
        Outbox outbox(*storage);
        test::limitFileSize(4096); // the disk is full from here
        outbox.add(numbered(1));
        outbox.add(numbered(2));
        const std::string line = outbox.close();
        const bool said =
            line.find("MQTT: 2 messages for the broker could not be stored in " + db) == 0 &&
            line.find("; kept in korvane-pending-") != std::string::npos;
        return said && outbox.waitingInMemory() == 0 ? 0 : 10;
    });
    ASSERT_EQ(child, 0);
    EXPECT_TRUE(payloadsIn(db).empty());
    { MinuteRecorder next(db, kT0 + 60000, kDay); } // the next start takes the file in
    auto storage = makeStoreOutboxStorage(db, 20261208);
    Outbox outbox(*storage);
    int mid = 0;
    EXPECT_EQ(deliverAll(outbox, mid), (std::vector<std::string>{"r1", "r2"}));
}

TEST(Reconnect, WaitsDoubleFromOneSecondUpToAMinute) {
    RetryWaits waits;
    std::vector<int> seen;
    for (int i = 0; i < 9; ++i)
        seen.push_back(waits.next());
    EXPECT_EQ(seen, (std::vector<int>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
    waits.reset();
    EXPECT_EQ(waits.next(), 1000);
}

TEST(Reconnect, StatusLinesNameTheBrokerTheErrorAndTheNextTry) {
    EXPECT_EQ(connectedStatus(brokerName("127.0.0.1", 1883)), "MQTT: connected to 127.0.0.1:1883");
    EXPECT_EQ(retryStatus(brokerName("broker.lan", 8883), "connection refused", 7001),
              "MQTT: broker.lan:8883: connection refused; next try in 8 s");
    EXPECT_EQ(brokerName("::1", 1883), "[::1]:1883");
    EXPECT_EQ(connackText(4), "wrong user name or password");
}

} // namespace
} // namespace korvane
