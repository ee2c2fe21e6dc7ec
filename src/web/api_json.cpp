#include "api_json.h"

#include "alarms/alarm_text.h"
#include "json_writer.h"
#include "store/day_date.h"
#include "trends/daily_energy.h"
#include "trends/days_table.h"

#include <array>

namespace korvane {

namespace {

void rangeFields(JsonWriter& j, DateRange range) {
    j.field("from", isoDate(range.from)).field("to", isoDate(range.to));
}

JsonWriter& optionalInt(JsonWriter& j, std::string_view name,
                        const std::optional<std::int64_t>& v) {
    j.key(name);
    return v ? j.value(*v) : j.null();
}

} // namespace

std::string liveJson(const LiveSnapshot& s, std::int64_t nowUtcMs) {
    std::string out;
    out.reserve(640);
    JsonWriter j(out);
    j.beginObject().field("schema", kApiSchema);
    j.field("seq", static_cast<std::int64_t>(s.seq)).field("has_data", s.hasData);
    j.field("volts", s.volts).field("amps", s.amps).field("watts", s.watts);
    j.field("rpm", s.rpm).field("wind", s.wind).field("mode", s.mode).field("load_on", s.mode == 1);
    j.field("energy_today_wh", s.wattHoursToday).field("day", s.dayKey);
    j.key("last_packet");
    if (s.lastPacketUtcMs > 0) {
        j.value(isoUtcSeconds(s.lastPacketUtcMs / 1000));
        j.field("last_packet_local", localHourMinute(s.lastPacketUtcMs / 1000));
        j.field("age_s", static_cast<double>(nowUtcMs - s.lastPacketUtcMs) / 1000.0);
    } else {
        j.null().key("last_packet_local").null().key("age_s").null();
    }
    j.field("time", isoUtcSeconds((s.takenUtcMs > 0 ? s.takenUtcMs : nowUtcMs) / 1000));
    j.field("port", s.portState).field("port_open", s.portOpen);
    j.key("alarms").beginArray();
    for (const std::string& line : s.alarms)
        j.value(line);
    j.endArray();
    j.field("wind_unit", s.windUnits).field("show_rpm", s.showRpm).field("show_wind", s.showWind);
    j.field("output_index_7d", s.outputIndex7d).field("version", s.version);
    j.endObject();
    return out;
}

std::string minutesJson(DateRange range, const std::vector<MinuteSummary>& rows,
                        std::int64_t bucketSeconds, std::int64_t minutesInRange) {
    std::string out;
    out.reserve(320 * rows.size() + 200);
    JsonWriter j(out);
    j.beginObject().field("schema", kApiSchema);
    rangeFields(j, range);
    j.field("minutes", minutesInRange).field("bucket_s", bucketSeconds);
    j.field("thinned", bucketSeconds > 60);
    j.key("rows").beginArray();
    for (const MinuteSummary& m : rows) {
        j.beginObject();
        j.field("time", isoUtcSeconds(m.ts)).field("day", dayKeyOfDate(m.date));
        j.field("packets", m.packets);
        if (m.packets > 0) {
            j.field("volts_min", m.volts.min).field("volts_mean", m.volts.mean);
            j.field("volts_max", m.volts.max).field("amps_min", m.amps.min);
            j.field("amps_mean", m.amps.mean).field("amps_max", m.amps.max);
            j.field("watts_min", m.watts.min).field("watts_mean", m.watts.mean);
            j.field("watts_max", m.watts.max).field("rpm_mean", m.rpmMean);
            j.field("rpm_max", m.rpmMax).field("wind_mean", m.windMean);
            j.field("wind_max", m.windMax);
        } else {
            static constexpr std::array<const char*, 13> kStats = {
                "volts_min", "volts_mean", "volts_max",  "amps_min",  "amps_mean",
                "amps_max",  "watts_min",  "watts_mean", "watts_max", "rpm_mean",
                "rpm_max",   "wind_mean",  "wind_max"};
            for (const char* name : kStats)
                j.key(name).null();
        }
        j.field("load_on_s", static_cast<double>(m.loadOnMs) / 1000.0).field("wh", m.wh);
        j.endObject();
    }
    j.endArray().endObject();
    return out;
}

std::string daysJson(DateRange range, const std::vector<DayTotal>& days) {
    const EnergySummary summary = summariseEnergy(days, range);
    std::string out;
    out.reserve(300 * days.size() + 300);
    JsonWriter j(out);
    j.beginObject().field("schema", kApiSchema);
    rangeFields(j, range);
    j.field("total_wh", summary.totalWh).field("mean_wh", summary.meanWh);
    j.field("known_days", summary.knownDays).field("unknown_days", summary.unknownDays);
    j.key("rows").beginArray();
    for (const DayTotal& d : days) {
        j.beginObject().field("date", isoDate(d.date)).field("day", dayKeyOfDate(d.date));
        j.key("first");
        d.firstTs ? j.value(isoUtcSeconds(*d.firstTs)) : j.null();
        j.key("last");
        d.lastTs ? j.value(isoUtcSeconds(*d.lastTs)) : j.null();
        j.field("minutes", d.minutes);
        optionalInt(j, "packets", d.packets);
        j.field("wh", d.wh).field("volts_min", d.voltsMin).field("volts_max", d.voltsMax);
        j.field("watts_max", d.wattsMax).field("wind_max", d.windMax);
        j.field("load_on_min", d.loadOnMinutes);
        j.endObject();
    }
    j.endArray().endObject();
    return out;
}

std::string powerCurveJson(DateRange range, double binWidth, const std::vector<CurveBin>& bins,
                           const std::vector<WindPowerPoint>& scatter, std::int64_t minutes,
                           std::string_view windUnits) {
    std::string out;
    out.reserve(100 * bins.size() + 30 * scatter.size() + 300);
    JsonWriter j(out);
    j.beginObject().field("schema", kApiSchema);
    rangeFields(j, range);
    j.field("bin", binWidth).field("wind_unit", windUnits).field("minutes", minutes);
    j.field("reliable_minutes", kReliableBin);
    j.key("bins").beginArray();
    for (const CurveBin& b : bins) {
        j.beginObject().field("wind_from", b.windFrom).field("wind_to", b.windTo);
        j.field("minutes", b.minutes).field("mean_watts", b.meanWatts);
        j.field("reliable", b.reliable).endObject();
    }
    j.endArray();
    j.key("points").beginArray();
    for (const WindPowerPoint& p : scatter)
        j.beginArray().value(p.wind).value(p.watts).endArray();
    j.endArray().endObject();
    return out;
}

std::string alarmsJson(DateRange range, const std::vector<AlarmEventRow>& events,
                       std::string_view windUnits) {
    std::string out;
    out.reserve(160 * events.size() + 200);
    JsonWriter j(out);
    j.beginObject().field("schema", kApiSchema);
    rangeFields(j, range);
    j.key("events").beginArray();
    for (const AlarmEventRow& e : events) {
        std::string_view unit;
        for (std::size_t k = 0; k < kAlarmKindCount; ++k) {
            const auto kind = static_cast<AlarmKind>(k);
            if (alarmName(kind) == e.name)
                unit = alarmUnit(kind, windUnits);
        }
        j.beginObject().field("time", isoUtcSeconds(e.ts)).field("day", localDayKey(e.ts));
        j.field("local_time", localHourMinute(e.ts));
        j.field("alarm", e.name).field("state", e.state).field("value", e.value);
        j.field("unit", unit).endObject();
    }
    j.endArray().endObject();
    return out;
}

std::string errorJson(std::string_view message, std::string_view parameter) {
    std::string out;
    JsonWriter j(out);
    j.beginObject().field("schema", kApiSchema).field("error", message);
    if (!parameter.empty())
        j.field("parameter", parameter);
    j.endObject();
    return out;
}

} // namespace korvane
