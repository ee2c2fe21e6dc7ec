#include "pending_file.h"

#include "day_date.h"
#include "json_line.h"
#include "platform/files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace korvane {

namespace {

struct SpreadKeys {
    const char* min;
    const char* mean;
    const char* max;
};
constexpr SpreadKeys kVolts{"v_min", "v_mean", "v_max"};
constexpr SpreadKeys kAmps{"a_min", "a_mean", "a_max"};
constexpr SpreadKeys kWatts{"w_min", "w_mean", "w_max"};

Spread readSpread(JsonFieldReader& v, const SpreadKeys& k) {
    return {v.number(k.min), v.number(k.mean), v.number(k.max)};
}

bool readLine(std::string_view line, PendingRecords& out) {
    JsonFields fields;
    if (!readJsonLine(line, fields))
        return false;
    JsonFieldReader v(fields);
    const std::string kind = v.text("kind");
    if (kind == "minute") {
        MinuteSummary m;
        m.ts = v.integer("ts");
        m.date = static_cast<int>(v.integer("date"));
        m.packets = v.integer("packets");
        m.volts = readSpread(v, kVolts);
        m.amps = readSpread(v, kAmps);
        m.watts = readSpread(v, kWatts);
        m.rpmMean = v.number("rpm_mean");
        m.rpmMax = v.number("rpm_max");
        m.windMean = v.number("wind_mean");
        m.windMax = v.number("wind_max");
        m.loadOnMs = v.integer("load_ms");
        m.wh = v.number("wh");
        if (!v.ok())
            return false;
        out.minutes.push_back(m);
        return true;
    }
    if (kind == "alarm") {
        AlarmEventRow e{v.integer("ts"), v.text("name"), v.text("state"), v.number("value")};
        if (!v.ok())
            return false;
        out.alarmEvents.push_back(std::move(e));
        return true;
    }
    if (kind == "message") {
        OutboxRow r{0, v.text("topic"), v.text("payload"), static_cast<int>(v.integer("qos")),
                    v.boolean("retain")};
        if (!v.ok())
            return false;
        out.messages.push_back(std::move(r));
        return true;
    }
    return false;
}

constexpr std::string_view kPendingInfix = "-pending-";
constexpr std::string_view kPendingSuffix = ".jsonl";

} // namespace

std::string pendingFilePath(const std::string& dbPath, std::int64_t utcMs) {
    const std::filesystem::path db(dbPath);
    return (db.parent_path() / (db.stem().string() + std::string(kPendingInfix) +
                                localFileStamp(utcMs) + std::string(kPendingSuffix)))
        .string();
}

std::string pendingLines(const PendingRecords& records) {
    std::string out;
    for (const MinuteSummary& m : records.minutes) {
        JsonLineWriter w(out, "minute");
        w.integer("ts", m.ts).integer("date", m.date).integer("packets", m.packets);
        for (const auto& [spread, keys] :
             {std::pair{&m.volts, kVolts}, std::pair{&m.amps, kAmps}, std::pair{&m.watts, kWatts}})
            w.number(keys.min, spread->min)
                .number(keys.mean, spread->mean)
                .number(keys.max, spread->max);
        w.number("rpm_mean", m.rpmMean)
            .number("rpm_max", m.rpmMax)
            .number("wind_mean", m.windMean)
            .number("wind_max", m.windMax)
            .integer("load_ms", m.loadOnMs)
            .number("wh", m.wh);
    }
    for (const AlarmEventRow& e : records.alarmEvents)
        JsonLineWriter(out, "alarm")
            .integer("ts", e.ts)
            .text("name", e.name)
            .text("state", e.state)
            .number("value", e.value);
    for (const OutboxRow& r : records.messages)
        JsonLineWriter(out, "message")
            .text("topic", r.topic)
            .text("payload", r.payload)
            .integer("qos", r.qos)
            .boolean("retain", r.retain);
    return out;
}

PendingRecords readPendingLines(std::string_view text, std::size_t* skipped) {
    PendingRecords out;
    std::size_t bad = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        // A last line without its line break is torn: its end may be missing.
        if (end == std::string_view::npos) {
            ++bad;
            break;
        }
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (line.find_first_not_of(" \t\r") == std::string_view::npos)
            continue;
        if (!readLine(line, out))
            ++bad;
    }
    if (skipped)
        *skipped = bad;
    return out;
}

int keepPending(const std::string& path, const PendingRecords& records) {
    return appendRecord(path, pendingLines(records));
}

std::vector<std::string> pendingFiles(const std::string& dbPath) {
    const std::filesystem::path db(dbPath);
    const std::string prefix = db.stem().string() + std::string(kPendingInfix);
    std::vector<std::string> out;
    std::error_code ec;
    const std::filesystem::path folder = db.parent_path().empty() ? "." : db.parent_path();
    for (std::filesystem::directory_iterator it(folder, ec), last; !ec && it != last;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > prefix.size() + kPendingSuffix.size() && name.starts_with(prefix) &&
            name.ends_with(kPendingSuffix))
            out.push_back(it->path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

PendingImport importPendingFiles(HistoryStore& store) {
    PendingImport done;
    for (const std::string& path : pendingFiles(store.path())) {
        const auto text = readWholeFile(path);
        if (!text)
            continue; // unreadable now (permissions): it waits, nothing is lost
        const PendingRecords records = readPendingLines(*text);
        const std::string name = std::filesystem::path(path).filename().string();
        bool already = false;
        done.result = store.importPending(name, records, already);
        if (!done.result.ok())
            return done;
        // Should the rename fail, the mark keeps the file from being written
        // twice and the next open renames it.  A file already marked (an
        // earlier start wrote it, then could not rename it) is not counted.
        std::rename(path.c_str(), (path + ".imported").c_str());
        if (already)
            continue;
        if (done.files++ == 0)
            done.firstName = name;
        done.minutes += records.minutes.size();
        done.alarmEvents += records.alarmEvents.size();
        done.messages += records.messages.size();
    }
    return done;
}

std::string pendingCountText(std::size_t minutes, std::size_t alarmEvents, std::size_t messages) {
    std::vector<std::string> parts;
    const auto add = [&](std::size_t n, const char* one, const char* many) {
        if (n > 0)
            parts.push_back(std::to_string(n) + " " + (n == 1 ? one : many));
    };
    add(minutes, "minute", "minutes");
    add(alarmEvents, "alarm event", "alarm events");
    add(messages, "message for the broker", "messages for the broker");
    if (parts.empty())
        return "nothing";
    std::string out = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i)
        out += (i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return out;
}

} // namespace korvane
