// The station's status: where the port leads and why it is not open, what
// logging cannot write, and what the sinks (store, alarms, publishing) have
// to say.

#include "station.h"

#include <algorithm>

namespace korvane {

void Station::updatePortState() {
    const std::int64_t nowMono = services_.clock->monotonicMs();
    // Silence counts from the last packet, or from the moment the port was
    // seen to open, whichever is later.  On the monotonic clock: a wall
    // clock set at boot must neither grey the values nor hide a silence.
    const bool open = MSComm1->isOpen();
    if (open && !portSeenOpen_)
        lastHeardMono_ = std::max(lastHeardMono_, nowMono);
    portSeenOpen_ = open;
    const std::int64_t silentS = (nowMono - lastHeardMono_) / 1000;

    PortState state;
    state.open = open;
    state.stale = silentS >= kSilentSeconds;
    if (!portNumberSet_) {
        state.text =
            "No serial port: \"" + ProgramConfig.Port + "\" is not a port number (Program Setup)";
    } else {
        std::string how;
        if (open && state.stale)
            how = "open, nothing received for " + std::to_string(silentS) +
                  " s: check the board's power and wiring, and that this is the right port";
        else if (open)
            how = "open";
        else if (!portAwayReason_.empty())
            how = portAwayReason_;
        else
            how = portProblemText(MSComm1->problem());
        state.text = "Port " + std::to_string(MSComm1->portNumber()) + ": " +
                     portDevicePath(MSComm1->portNumber(), services_.appFolder) + " (" + how + ")";
    }
    if (state == portState_)
        return;
    portState_ = std::move(state);
    emit portStateChanged();
}

std::string Station::logStatusText() const {
    return loggingStatusText(logWriter_, lastTick_);
}

namespace {

std::vector<std::string> sinkLines(const std::vector<LiveSink*>& sinks,
                                   std::string (LiveSink::*line)() const) {
    std::vector<std::string> lines;
    for (const LiveSink* sink : sinks) {
        std::string part = (sink->*line)();
        if (!part.empty())
            lines.push_back(std::move(part));
    }
    return lines;
}

} // namespace

std::vector<std::string> Station::sinkStatusLines() const {
    return sinkLines(services_.sinks, &LiveSink::statusText);
}

std::vector<std::string> Station::bannerLines() const {
    return sinkLines(services_.sinks, &LiveSink::bannerText);
}

void Station::tellLogBacklog() {
    if (logWriter_.held() == reportedBacklog_ || services_.sinks.empty())
        return;
    reportedBacklog_ = logWriter_.held();
    const LiveTime when = liveTime();
    for (LiveSink* sink : services_.sinks)
        sink->logBacklogChanged(reportedBacklog_, when);
    emit sinkLinesChanged();
}

} // namespace korvane
