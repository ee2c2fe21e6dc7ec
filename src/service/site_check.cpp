#include "site_check.h"

#include "alarms/alarm_config.h"
#include "config/settings_files.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/qt/qt_serial_port.h"
#include "publish/mqtt_config.h"
#include "trends/trends_reader.h"

#include <QSysInfo>

#include <cstdio>
#include <unistd.h>

namespace korvane {

namespace {

std::string fileState(const std::string& folder, const char* name) {
    return fileExists(joinPath(folder, name)) ? "read" : "missing: the built-in defaults are used";
}

std::string isoDate(int yyyymmdd) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", yyyymmdd / 10000, yyyymmdd / 100 % 100,
                  yyyymmdd % 100);
    return text;
}

} // namespace

std::vector<CheckLine> checkSite(const std::string& folder, const NumberFormat& fmt) {
    std::vector<CheckLine> lines;
    if (!directoryExists(folder)) {
        lines.push_back(
            {"App folder " + folder + ": missing (korvaned makes it at its start)", false});
        return lines;
    }
    const bool writable = access(folder.c_str(), W_OK | X_OK) == 0;
    lines.push_back(
        {"App folder " + folder + (writable ? ": writable" : ": not writable by this user"),
         writable});

    const ProgramConfig program = loadProgramConfig(folder);
    std::string logging = isSwitchOn(program.LogOn, fmt)
                              ? "logging starts by itself every " + program.LogDelay + " s"
                              : "logging does not start by itself (LogOn is not 1)";
    lines.push_back(
        {"prog.cfg: " + fileState(folder, "/prog.cfg") + "; port " + program.Port + "; " + logging,
         true});
    lines.push_back({"settings.cfg: " + fileState(folder, "/settings.cfg"), true});

    const std::string alarmsProblem = alarmConfigProblem(loadAlarmConfig(folder, fmt), fmt);
    lines.push_back({"alarms.cfg: " +
                         (alarmsProblem.empty() ? fileState(folder, "/alarms.cfg") : alarmsProblem),
                     alarmsProblem.empty()});
    const MqttConfig mqtt = loadMqttConfig(folder, QSysInfo::machineHostName().toStdString());
    const std::string mqttProblem = mqttConfigProblem(mqtt, fmt);
    const MqttSettings publishing =
        mqttSettings(mqtt, fmt, QSysInfo::machineHostName().toStdString());
    std::string mqttText = fileState(folder, "/mqtt.cfg");
    if (!mqttProblem.empty())
        mqttText = mqttProblem;
    else if (publishing.enabled)
        mqttText += "; publishing to " + publishing.host + ":" + std::to_string(publishing.port);
    else
        mqttText += "; publishing off";
    lines.push_back({"mqtt.cfg: " + mqttText, mqttProblem.empty()});

    TrendsReader store(folder);
    switch (store.status()) {
    case TrendsReader::Status::NoHistory:
        lines.push_back({"korvane.db: not there yet (made at the first start)", true});
        break;
    case TrendsReader::Status::Failed:
        lines.push_back({"korvane.db: " + store.problem(), false});
        break;
    case TrendsReader::Status::Ok: {
        const auto span = store.storedSpan();
        lines.push_back(
            {span ? "korvane.db: opens; days " + isoDate(span->from) + " to " + isoDate(span->to)
                  : std::string("korvane.db: opens; no minutes yet"),
             true});
        break;
    }
    }

    // The lock is only looked at, then let go: --check must not keep a
    // starting service out.
    bool serviceRunning = false;
    {
        FolderLock lock(folder, "korvaned --check");
        serviceRunning = lock.heldByOther();
        if (serviceRunning)
            lines.push_back({"Folder lock: held by " + lock.holder(), true});
        else
            lines.push_back({"Folder lock: free (no Korvane runs on this folder)", true});
    }

    const auto number = parseNumber(program.Port, fmt);
    if (!number || toInt16(*number) < 1) {
        lines.push_back({"Serial port: \"" + program.Port + "\" is not a port number", false});
        return lines;
    }
    QtSerialPort port(folder);
    port.setPortNumber(toInt16(*number));
    port.setSettings("4800,N,8,1");
    port.open();
    const bool opens = port.isOpen();
    const PortProblem problem = port.problem();
    port.close();
    const std::string lead = "Port " + std::to_string(toInt16(*number)) + ": " +
                             portDevicePath(toInt16(*number), folder);
    if (opens)
        lines.push_back({lead + ": opens", true});
    else if (serviceRunning && problem.fault == PortFault::Busy)
        lines.push_back({lead + ": in use by the Korvane that holds the folder", true});
    else
        lines.push_back({lead + ": " + portProblemText(problem), false});
    return lines;
}

} // namespace korvane
