#pragma once
// The history store as a live sink: every packet and energy tick goes to the
// minute recorder, which commits each minute when it ends; the exit commits
// the unfinished one.

#include "monitor/live_sink.h"
#include "store/minute_recorder.h"

namespace korvane {

class StoreSink final : public LiveSink {
public:
    explicit StoreSink(MinuteRecorder& recorder) : recorder_(recorder) {}

    void packetDecoded(const Reading& reading, const LiveTime& when) override {
        recorder_.packet(reading, when.utcMs, when.day);
    }
    void energyAdded(double addedWh, double, const LiveTime& when) override {
        recorder_.energy(addedWh, when.utcMs, when.day);
        // The energy timer's 5 s beat also drives the store's quiet retries.
        recorder_.poll(when.utcMs);
    }
    void recordLogged(const LoggedRecord&, const LiveTime&) override {}
    void logBacklogChanged(std::size_t, const LiveTime&) override {}
    void exiting(const LiveTime& when) override { recorder_.close(when.utcMs); }
    std::string statusText() const override {
        std::string text = recorder_.problem();
        if (text.empty())
            text = recorder_.notice();
        if (text.empty())
            text = importProblem_;
        return text;
    }
    // What went wrong bringing the earlier logs in, shown while the store
    // itself is well.
    void setImportProblem(std::string text) { importProblem_ = std::move(text); }

private:
    MinuteRecorder& recorder_;
    std::string importProblem_;
};

} // namespace korvane
