#pragma once
// The alarms as a live sink: evaluates every packet, energy tick and log
// backlog, keeps the banner and status lines, records the events, sends the
// desktop notifications and runs the alarm command.

// Qt's headers first: the moc of Qt 6.4 fails on <compare> (from the clock)
// unless a Qt header came before it.
#include <QObject>

#include "alarm_command_runner.h"
#include "alarm_notifier.h"
#include "alarms/alarm_config.h"
#include "alarms/alarm_rules.h"
#include "alarms/alarm_text.h"
#include "alarms/battery_line.h"
#include "monitor/live_sink.h"
#include "platform/clock.h"
#include "platform/numbers.h"
#include "store/history_store.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// The turbine's output index over the 7 days up to `now`, in percent of its
// curve; nullopt when there was not enough wind to say.
using OutputIndexSource = std::function<std::optional<double>(const LiveTime& now)>;

struct AlarmMonitorSetup {
    std::string appFolder;        // alarms.cfg and prog.cfg (for WSUnits) are read from here
    const Clock* clock = nullptr; // required: the start of the no-data count, failure times
    NumberFormat numberFormat;
    std::unique_ptr<AlarmNotifier> notifier;      // null: DesktopNotifier on the session bus
    std::unique_ptr<AlarmCommandRunner> commands; // null: ProcessCommandRunner, 30 s, 2 at once
    // The latest event of each alarm in the history store
    // (latestAlarmEvents): the alarms raised when Korvane last stopped are
    // active again at once, without a second raise.
    std::vector<AlarmEventRow> lastEvents;
    // For Turbine output low, asked at the start and then once a day (at the
    // first energy tick of each new local date); null: never raised.
    OutputIndexSource outputIndex;
};

class AlarmMonitor final : public QObject, public LiveSink {
    Q_OBJECT
public:
    // Reads alarms.cfg and prog.cfg now and restores the alarms of
    // `lastEvents`, so bannerText() and activeAlarms() show them at once.
    // No data counts from this moment (or, restored, from before its raise).
    explicit AlarmMonitor(AlarmMonitorSetup setup, QObject* parent = nullptr);
    ~AlarmMonitor() override;

    // Called with every raise and clear, after the banner was updated and
    // before the notification and the command go out.
    void setEventRecorder(std::function<void(const AlarmEvent&)> record);

    // Re-reads alarms.cfg and prog.cfg's WSUnits (after the Alarms dialog
    // saved).  Alarms switched off clear now; the others keep their state.
    void reload();

    const AlarmEngine& engine() const { return engine_; }
    // Which alarms are active now, indexed by AlarmKind (restored ones too).
    std::array<bool, kAlarmKindCount> activeAlarms() const;
    // The battery line's levels from alarms.cfg, as of the last (re)load.
    const BatteryLevels& batteryLevels() const { return batteryLevels_; }

    // The first evaluation after a restart: restored alarms now switched
    // off, and Log not written, clear (with this time); Turbine output low
    // is judged.  Also done by the first packet or tick if start never came.
    void started(double totalWh, const LiveTime& when) override;
    void packetDecoded(const Reading& reading, const LiveTime& when) override;
    void energyAdded(double addedWh, double totalWh, const LiveTime& when) override;
    void recordLogged(const LoggedRecord& record, const LiveTime& when) override;
    void logBacklogChanged(std::size_t waiting, const LiveTime& when) override;
    void exiting(const LiveTime& when) override;
    // The last alarm command failure ("Alarm command failed: <program>:
    // <reason> at 14:05", until a command succeeds again) and a field of
    // alarms.cfg that could not be used; empty while all is well.
    std::string statusText() const override { return status_; }
    // alarmBanner: the active alarms on one line, three blanks apart.
    std::string bannerText() const override { return banner_; }

signals:
    // The status line changed outside a sink call (a command ended, a
    // reload): the window may ask for statusText() and bannerText() again.
    void statusChanged();

private:
    void load();
    void handle(const AlarmChanges& changes, const LiveTime& when);
    void restore(const std::vector<AlarmEventRow>& events);
    void settleOnce(const LiveTime& when);
    void judgeOutput(const LiveTime& when);
    void updateStatus();
    LiveTime now() const;

    std::string appFolder_;
    const Clock& clock_;
    NumberFormat fmt_;
    std::string windUnits_;
    AlarmSettings settings_;
    BatteryLevels batteryLevels_;
    std::string configProblem_;
    std::string commandFailure_;
    std::string status_;
    std::string banner_;
    AlarmEngine engine_;
    std::function<void(const AlarmEvent&)> record_;
    std::unique_ptr<AlarmNotifier> notifier_;
    std::unique_ptr<AlarmCommandRunner> commands_;
    OutputIndexSource outputIndex_;
    bool settled_ = false;
    std::optional<LocalDateTime> outputJudged_; // when the index was last asked
};

} // namespace korvane
