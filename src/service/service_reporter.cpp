#include "service_reporter.h"

#include "platform/numbers.h"

#include <algorithm>
#include <cctype>

namespace korvane {

std::string withoutNumbers(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (char c : line)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            out += c;
    return out;
}

std::string serviceStatusLine(const PortState& port, double wattHours, const NumberFormat& fmt) {
    return port.text + "; " + formatGeneral(roundHalfEven(wattHours, 1), fmt) + " Wh today";
}

ServiceReporter::ServiceReporter(Station& station, ServiceLog& log, SystemdNotifier& notifier,
                                 QObject* parent)
    : QObject(parent), station_(station), log_(log), notifier_(notifier) {
    connect(&station_, &Station::portStateChanged, this, &ServiceReporter::portChanged);
    connect(&station_, &Station::loggingChanged, this, &ServiceReporter::loggingChanged);
    connect(&station_, &Station::logStatusChanged, this, &ServiceReporter::logStatusChanged);
    connect(&station_, &Station::sinkLinesChanged, this, &ServiceReporter::sinkLinesChanged);
    connect(&station_, &Station::energyChanged, this, [this] { notifier_.status(statusLine()); });
}

std::string ServiceReporter::statusLine() const {
    return serviceStatusLine(station_.portState(), station_.wattHours(),
                             station_.services().numberFormat);
}

void ServiceReporter::portChanged() {
    const PortState state = station_.portState();
    notifier_.status(statusLine());
    // Port numbers stay in the key: a number that changed at a reload is a
    // change; only the counting seconds of a silence are not.
    std::string key = state.text;
    if (state.stale)
        key = withoutNumbers(key);
    if (key == port_)
        return;
    port_ = key;
    log_.write(state.open && !state.stale ? LogLevel::Notice : LogLevel::Warning, state.text);
}

void ServiceReporter::loggingChanged(bool running) {
    if (running)
        log_.notice("Logging started: a record every " + station_.loggingDelayText() + " s to " +
                    station_.services().appFolder + "/logs");
    else
        log_.notice("Logging stopped");
}

void ServiceReporter::logStatusChanged() {
    const std::string text = station_.logStatusText();
    const std::string key = withoutNumbers(text);
    if (key == logStatus_)
        return;
    if (text.empty())
        log_.notice("Log files written again: nothing waits");
    else
        log_.warning(text);
    logStatus_ = key;
}

void ServiceReporter::sinkLinesChanged() {
    std::vector<SinkLine> now;
    for (std::string& text : station_.sinkStatusLines()) {
        // A sink's line is a problem unless it only says how things stand
        // (the broker's "connecting to ..." and "connected to ...").
        const bool problem = text.find(": connected to ") == std::string::npos &&
                             text.find(": connecting to ") == std::string::npos;
        now.push_back({withoutNumbers(text), std::move(text), problem});
    }
    const auto has = [](const std::vector<SinkLine>& lines, const std::string& key) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const SinkLine& l) { return l.key == key; });
    };
    for (const SinkLine& line : now)
        if (!has(sinkLines_, line.key))
            log_.write(line.problem ? LogLevel::Warning : LogLevel::Notice, line.text);
    for (const SinkLine& old : sinkLines_)
        if (old.problem && !has(now, old.key))
            log_.notice("Resolved: " + old.text);
    sinkLines_ = std::move(now);
}

} // namespace korvane
