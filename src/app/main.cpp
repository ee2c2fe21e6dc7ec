// Korvane: live monitoring and logging of a wind-turbine charging system.

#include "alarms/qt/alarm_monitor.h"
#include "alarms/ui/alarms_dialog.h"
#include "app/log_import_runner.h"
#include "app/tavrel.h"
#include "config/settings_files.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/ui/message_box.h"
#include "publish/qt/publisher.h"
#include "publish/ui/publishing_dialog.h"
#include "recording/log_record.h"
#include "station/station.h"
#include "station/store_sink.h"
#include "store/day_date.h"
#include "store/minute_recorder.h"
#include "trends/ui/open_trends.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvane");

    const std::string folder = korvane::appFolder();
    // A new app folder gets working settings and its logs folder, so a first
    // start shows live values without any setup.
    korvane::installDefaultSettings(folder);
    korvane::ensureDirectory(korvane::joinPath(folder, "/logs"));

    korvane::SystemClock clock;
    korvane::SystemTimeFormats timeFormats;
    korvane::TavrelServices services;
    services.appFolder = folder;
    services.makePort = [folder]() -> std::unique_ptr<korvane::SerialPort> {
        return std::make_unique<korvane::QtSerialPort>(folder);
    };
    services.clock = &clock;
    services.timeFormats = &timeFormats;
    services.numberFormat = korvane::systemNumberFormat();

    // The minute-by-minute history store beside the daily logs; the day's
    // energy resumes from it.
    const std::string dbPath = korvane::joinPath(folder, "/korvane.db");
    const std::string today = korvane::dayKey(clock.now());
    korvane::MinuteRecorder recorder(dbPath, clock.utcMs(), today);
    korvane::StoreSink storeSink(recorder);
    services.sinks.push_back(&storeSink);
    services.energySoFar = [&recorder](const std::string& day) {
        return recorder.energyOfDay(day);
    };

    // Alarms follow the live data, and their raises and clears go into the
    // store beside the minutes.
    korvane::AlarmMonitorSetup alarmSetup;
    alarmSetup.appFolder = folder;
    alarmSetup.clock = &clock;
    alarmSetup.numberFormat = services.numberFormat;
    korvane::AlarmMonitor alarms(std::move(alarmSetup));
    // Publishing to an MQTT broker, off until mqtt.cfg turns it on.
    korvane::PublisherSetup publishSetup;
    publishSetup.appFolder = folder;
    publishSetup.clock = &clock;
    publishSetup.numberFormat = services.numberFormat;
    korvane::Publisher publisher(std::move(publishSetup));

    alarms.setEventRecorder([&recorder, &publisher](const korvane::AlarmEvent& e) {
        recorder.alarmEvent({e.utcSeconds, e.name, e.change, e.value}, e.utcSeconds * 1000);
        publisher.alarmEvent(e);
    });
    services.sinks.push_back(&alarms);
    services.sinks.push_back(&publisher);
    services.windowButtons.push_back({"Trends", "TrendsButton", [&](QWidget* owner) {
                                          korvane::QtMessageSink messages(owner);
                                          korvane::openTrendsWindow(
                                              owner, folder, clock, timeFormats,
                                              services.numberFormat, messages);
                                      }});
    services.windowButtons.push_back(
        {"Alarms", "AlarmsButton", [&](QWidget* owner) {
             korvane::QtMessageSink messages(owner);
             if (korvane::openAlarmsDialog(owner, folder, services.numberFormat, messages))
                 alarms.reload();
         }});
    services.windowButtons.push_back({"Publishing", "PublishingButton", [&](QWidget* owner) {
                                          korvane::QtMessageSink messages(owner);
                                          korvane::openPublishingDialog(
                                              owner, folder, services.numberFormat, messages);
                                          publisher.reload();
                                      }});

    korvane::StationServices stationServices{
        services.appFolder,    services.makePort, services.clock,      services.timeFormats,
        services.numberFormat, services.sinks,    services.energySoFar};
    korvane::Station station(std::move(stationServices));
    QObject::connect(&alarms, &korvane::AlarmMonitor::statusChanged, &station,
                     &korvane::Station::refreshSinkLines);
    QObject::connect(&publisher, &korvane::Publisher::statusChanged, &station,
                     &korvane::Station::refreshSinkLines);
    korvane::Tavrel window(station, services);
    window.show();
    korvane::LogImportRunner import(dbPath, folder, korvane::dateOfDayKey(today),
                                    services.numberFormat, &window);
    QObject::connect(&import, &korvane::LogImportRunner::done, &window,
                     [&] { storeSink.setImportProblem(import.problem()); });
    if (import.finished())
        storeSink.setImportProblem(import.problem());
    return app.exec();
}
