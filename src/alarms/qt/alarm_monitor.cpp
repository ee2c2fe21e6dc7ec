#include "alarm_monitor.h"

#include "config/settings_files.h"
#include "platform/time_formats.h"

namespace korvane {

namespace {

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

AlarmMonitor::AlarmMonitor(AlarmMonitorSetup setup, QObject* parent)
    : QObject(parent), appFolder_(std::move(setup.appFolder)), clock_(*setup.clock),
      fmt_(setup.numberFormat), engine_({}, setup.clock->utcMs()),
      notifier_(std::move(setup.notifier)), commands_(std::move(setup.commands)) {
    if (!notifier_)
        notifier_ = std::make_unique<DesktopNotifier>();
    if (!commands_)
        commands_ = std::make_unique<ProcessCommandRunner>(appFolder_);
    load();
    engine_.setSettings(settings_, now()); // nothing is active yet, so nothing changes
    updateStatus();
}

// The runner goes first, while the state its callbacks touch still exists.
AlarmMonitor::~AlarmMonitor() {
    commands_.reset();
}

void AlarmMonitor::setEventRecorder(std::function<void(const AlarmEvent&)> record) {
    record_ = std::move(record);
}

void AlarmMonitor::load() {
    settings_ = alarmSettings(loadAlarmConfig(appFolder_, fmt_), fmt_, &configProblem_);
    settings_.command = trimmed(settings_.command);
    windUnits_ = loadProgramConfig(appFolder_).WSUnits;
}

void AlarmMonitor::reload() {
    load();
    const LiveTime when = now();
    handle(engine_.setSettings(settings_, when), when);
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
    const AlarmChanges changes = engine_.packet(reading, when);
    if (!changes.empty())
        handle(changes, when);
}

void AlarmMonitor::energyAdded(double, double, const LiveTime& when) {
    const AlarmChanges changes = engine_.tick(when);
    if (!changes.empty())
        handle(changes, when);
}

void AlarmMonitor::recordLogged(const LoggedRecord&, const LiveTime&) {}

void AlarmMonitor::logBacklogChanged(std::size_t waiting, const LiveTime& when) {
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
        commands_->run(program, alarmCommandArguments(event, when.local, fmt_),
                       [this, program](const std::string& failure) {
                           if (failure.empty()) {
                               commandFailure_.clear();
                           } else {
                               const LocalDateTime t = clock_.now();
                               commandFailure_ = "Alarm command failed: " + program + ": " +
                                                 failure + " at " + hhmm(t.hour, t.minute);
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
