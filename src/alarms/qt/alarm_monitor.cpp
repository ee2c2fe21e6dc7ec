#include "alarm_monitor.h"

#include "config/settings_files.h"
#include "platform/time_formats.h"

#include <chrono>

namespace korvane {

namespace {

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The local time `seconds` away from `t`, across days, months and years.
// A restored raise is shown at the local time it had under today's offset
// from UTC, which is what the clock on the wall says now.
LocalDateTime shifted(const LocalDateTime& t, std::int64_t seconds) {
    using namespace std::chrono;
    const year_month_day ymd{year{t.year}, month{static_cast<unsigned>(t.month)},
                             day{static_cast<unsigned>(t.day)}};
    std::int64_t total = t.hour * 3600LL + t.minute * 60LL + t.second + seconds;
    std::int64_t days = total / 86400;
    total %= 86400;
    if (total < 0) {
        total += 86400;
        --days;
    }
    const year_month_day d{sys_days{ymd} + std::chrono::days{days}};
    return {static_cast<int>(d.year()),
            static_cast<int>(static_cast<unsigned>(d.month())),
            static_cast<int>(static_cast<unsigned>(d.day())),
            static_cast<int>(total / 3600),
            static_cast<int>(total / 60 % 60),
            static_cast<int>(total % 60),
            0};
}

} // namespace

AlarmMonitor::AlarmMonitor(AlarmMonitorSetup setup, QObject* parent)
    : QObject(parent), appFolder_(std::move(setup.appFolder)), clock_(*setup.clock),
      fmt_(setup.numberFormat), engine_({}, setup.clock->utcMs()),
      notifier_(std::move(setup.notifier)), commands_(std::move(setup.commands)),
      outputIndex_(std::move(setup.outputIndex)) {
    if (!notifier_)
        notifier_ = std::make_unique<DesktopNotifier>();
    if (!commands_)
        commands_ = std::make_unique<ProcessCommandRunner>(appFolder_);
    load();
    engine_.setSettings(settings_, now()); // nothing is active yet, so nothing changes
    restore(setup.lastEvents);
    banner_ = alarmBanner(engine_, windUnits_, fmt_);
    updateStatus();
}

void AlarmMonitor::restore(const std::vector<AlarmEventRow>& events) {
    const LocalDateTime localNow = clock_.now();
    const std::int64_t utcNow = clock_.utcMs();
    for (const AlarmEventRow& e : events) {
        const auto kind = alarmKindNamed(e.name);
        if (!kind || e.state != "raised")
            continue;
        const std::int64_t raisedMs = e.ts * 1000;
        engine_.restore(*kind, e.value, shifted(localNow, (raisedMs - utcNow) / 1000), raisedMs);
    }
}

std::array<bool, kAlarmKindCount> AlarmMonitor::activeAlarms() const {
    std::array<bool, kAlarmKindCount> out{};
    for (std::size_t i = 0; i < kAlarmKindCount; ++i)
        out[i] = engine_.state(static_cast<AlarmKind>(i)).active;
    return out;
}

void AlarmMonitor::settleOnce(const LiveTime& when) {
    if (settled_)
        return;
    settled_ = true;
    handle(engine_.settleRestored(when), when);
    judgeOutput(when);
}

void AlarmMonitor::started(double, const LiveTime& when) {
    settleOnce(when);
}

void AlarmMonitor::judgeOutput(const LiveTime& when) {
    outputJudged_ = when.local;
    if (!outputIndex_ || !settings_.outputLow.on)
        return;
    const std::optional<double> index = outputIndex_(when);
    // Judged and shown to 0.1 %, so the banner never reads "85 %" for an
    // index that raised below 85.
    const std::optional<double> percent =
        index ? std::optional<double>(roundHalfEven(*index, 1)) : std::nullopt;
    handle(engine_.outputIndex(percent, when), when);
}

// The runner goes first, while the state its callbacks touch still exists.
AlarmMonitor::~AlarmMonitor() {
    commands_.reset();
}

void AlarmMonitor::setEventRecorder(std::function<void(const AlarmEvent&)> record) {
    record_ = std::move(record);
}

void AlarmMonitor::load() {
    const AlarmConfig config = loadAlarmConfig(appFolder_, fmt_);
    settings_ = alarmSettings(config, fmt_, &configProblem_);
    settings_.command = trimmed(settings_.command);
    batteryLevels_ = korvane::batteryLevels(config, fmt_);
    if (configProblem_.empty())
        configProblem_ = alarmConfigProblem(config, fmt_);
    windUnits_ = loadProgramConfig(appFolder_).WSUnits;
}

void AlarmMonitor::reload() {
    load();
    const LiveTime when = now();
    handle(engine_.setSettings(settings_, when), when);
    // Turned on, or its levels changed: judge now rather than at midnight.
    if (settled_)
        judgeOutput(when);
    banner_ = alarmBanner(engine_, windUnits_, fmt_); // the wind units may have changed
    updateStatus();
    emit statusChanged();
}

LiveTime AlarmMonitor::now() const {
    LiveTime t;
    t.local = clock_.now();
    t.utcMs = clock_.utcMs();
    return t;
}

void AlarmMonitor::packetDecoded(const Reading& reading, const LiveTime& when) {
    settleOnce(when);
    const AlarmChanges changes = engine_.packet(reading, when);
    if (!changes.empty())
        handle(changes, when);
}

void AlarmMonitor::energyAdded(double, double, const LiveTime& when) {
    settleOnce(when);
    const AlarmChanges changes = engine_.tick(when);
    if (!changes.empty())
        handle(changes, when);
    if (outputJudged_ && !outputJudged_->sameDate(when.local))
        judgeOutput(when);
}

void AlarmMonitor::recordLogged(const LoggedRecord&, const LiveTime&) {}

void AlarmMonitor::logBacklogChanged(std::size_t waiting, const LiveTime& when) {
    settleOnce(when);
    const AlarmChanges changes = engine_.logBacklog(waiting, when);
    if (!changes.empty())
        handle(changes, when);
}

void AlarmMonitor::exiting(const LiveTime&) {}

void AlarmMonitor::handle(const AlarmChanges& changes, const LiveTime& when) {
    if (changes.empty())
        return;
    banner_ = alarmBanner(engine_, windUnits_, fmt_);
    for (const AlarmChange& change : changes) {
        const AlarmEvent event = alarmEvent(change, when.utcMs, windUnits_);
        if (record_)
            record_(event);
        notifier_->notify(alarmNotice(event, when.local, fmt_), change.raised);
        if (settings_.command.empty())
            continue;
        const std::string program = settings_.command;
        commands_->run({program, alarmCommandArguments(event, when.local, fmt_),
                        alarmCommandEnvironment(event, when.local, fmt_)},
                       [this, program](const CommandOutcome& outcome) {
                           if (outcome.failure.empty()) {
                               commandFailure_.clear();
                           } else {
                               const LocalDateTime t = clock_.now();
                               commandFailure_ =
                                   "Alarm command failed: " + program + ": " + outcome.failure;
                               if (!outcome.lastLine.empty())
                                   commandFailure_ += " (\"" + outcome.lastLine + "\")";
                               commandFailure_ += " at " + hhmm(t.hour, t.minute);
                           }
                           const std::string before = status_;
                           updateStatus();
                           if (status_ != before)
                               emit statusChanged();
                       });
    }
}

void AlarmMonitor::updateStatus() {
    status_ = commandFailure_;
    if (!configProblem_.empty()) {
        if (!status_.empty())
            status_ += "; ";
        status_ += "alarms.cfg: " + configProblem_ + " Open Alarms to correct it.";
    }
}

} // namespace korvane
