#pragma once
// What korvaned says about the station as it runs: the port opened, lost and
// back with the reason, logging started and stopped, each log, store and
// broker problem and its recovery, one line each; never a line per packet.
// It also keeps systemd's STATUS= line (port state and the day's energy).

#include "service_log.h"
#include "station/station.h"
#include "systemd_notifier.h"

#include <QObject>

#include <string>
#include <vector>

namespace korvane {

// A status line with its numbers taken out, so "nothing received for 15 s"
// and "... 20 s", or "next try in 8 s" and "... 7 s", count as one state
// and are written once.
std::string withoutNumbers(std::string_view line);

// "Port 1: /dev/ttyUSB0 (open); 120.5 Wh today"
std::string serviceStatusLine(const PortState& port, double wattHours, const NumberFormat& fmt);

class ServiceReporter final : public QObject {
    Q_OBJECT
public:
    ServiceReporter(Station& station, ServiceLog& log, SystemdNotifier& notifier,
                    QObject* parent = nullptr);

    // The STATUS= line as it stands now.
    std::string statusLine() const;

private:
    void portChanged();
    void loggingChanged(bool running);
    void logStatusChanged();
    void sinkLinesChanged();

    Station& station_;
    ServiceLog& log_;
    SystemdNotifier& notifier_;
    std::string port_;      // the port line last written, without numbers
    std::string logStatus_; // likewise for the log line
    struct SinkLine {
        std::string key; // without numbers
        std::string text;
        bool problem = false;
    };
    std::vector<SinkLine> sinkLines_;
};

} // namespace korvane
