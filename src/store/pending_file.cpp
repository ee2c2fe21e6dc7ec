#include "pending_file.h"

#include "day_date.h"
#include "platform/files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

namespace korvane {

namespace {

// ---- writing ------------------------------------------------------------

class LineWriter {
public:
    explicit LineWriter(std::string& out, const char* kind) : out_(out) {
        out_ += "{\"kind\":\"";
        out_ += kind;
        out_ += '"';
    }
    ~LineWriter() { out_ += "}\n"; }
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    LineWriter& number(const char* key, double value) {
        // JSON has no NaN or infinity; the recorder never makes them, and a
        // 0 keeps the line readable if one slipped through.
        if (!std::isfinite(value))
            value = 0;
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, value);
        return raw(key, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
    }
    LineWriter& integer(const char* key, std::int64_t value) {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, value);
        return raw(key, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
    }
    LineWriter& boolean(const char* key, bool value) { return raw(key, value ? "true" : "false"); }
    LineWriter& text(const char* key, std::string_view value) {
        std::string quoted = "\"";
        for (const char c : value) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                quoted += '\\';
                quoted += c;
            } else if (u < 0x20 || u == 0x7f) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", u);
                quoted += esc;
            } else {
                quoted += c; // bytes above 0x7f pass as they are
            }
        }
        quoted += '"';
        return raw(key, quoted);
    }

private:
    LineWriter& raw(const char* key, std::string_view value) {
        out_ += ",\"";
        out_ += key;
        out_ += "\":";
        out_ += value;
        return *this;
    }
    std::string& out_;
};

struct SpreadKeys {
    const char* min;
    const char* mean;
    const char* max;
};
constexpr SpreadKeys kVolts{"v_min", "v_mean", "v_max"};
constexpr SpreadKeys kAmps{"a_min", "a_mean", "a_max"};
constexpr SpreadKeys kWatts{"w_min", "w_mean", "w_max"};

// ---- reading: flat objects of strings, numbers and booleans ------------

struct Value {
    bool isText = false;
    std::string text; // the string's bytes, or the literal of a number or boolean
};
using Fields = std::map<std::string, Value, std::less<>>;

class FlatReader {
public:
    explicit FlatReader(std::string_view s) : s_(s) {}

    bool read(Fields& out) {
        skipBlanks();
        if (!take('{'))
            return false;
        skipBlanks();
        if (take('}'))
            return atEnd();
        do {
            skipBlanks();
            std::string key;
            if (!string(key))
                return false;
            skipBlanks();
            if (!take(':'))
                return false;
            skipBlanks();
            Value v;
            if (peek() == '"') {
                v.isText = true;
                if (!string(v.text))
                    return false;
            } else if (!literal(v.text)) {
                return false;
            }
            out[key] = std::move(v);
            skipBlanks();
        } while (take(','));
        return take('}') && atEnd();
    }

private:
    char peek() const { return at_ < s_.size() ? s_[at_] : '\0'; }
    bool take(char c) {
        if (peek() != c || at_ >= s_.size())
            return false;
        ++at_;
        return true;
    }
    void skipBlanks() {
        while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\r'))
            ++at_;
    }
    bool atEnd() {
        skipBlanks();
        return at_ == s_.size();
    }
    bool literal(std::string& out) {
        const std::size_t from = at_;
        while (at_ < s_.size() && s_[at_] != ',' && s_[at_] != '}' && s_[at_] != ' ')
            ++at_;
        out.assign(s_.substr(from, at_ - from));
        return !out.empty();
    }
    bool string(std::string& out) {
        if (!take('"'))
            return false;
        while (at_ < s_.size()) {
            const char c = s_[at_++];
            if (c == '"')
                return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= s_.size())
                return false;
            const char e = s_[at_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned code = 0;
                if (at_ + 4 > s_.size())
                    return false;
                const auto r = std::from_chars(s_.data() + at_, s_.data() + at_ + 4, code, 16);
                if (r.ptr != s_.data() + at_ + 4 || code > 0xff)
                    return false; // this file only escapes single bytes
                out += static_cast<char>(code);
                at_ += 4;
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    std::string_view s_;
    std::size_t at_ = 0;
};

class FieldsView {
public:
    explicit FieldsView(const Fields& f) : f_(f) {}
    bool ok() const { return ok_; }

    double number(std::string_view key) {
        double v = 0;
        const std::string* t = literal(key);
        if (t && !parse(*t, v))
            ok_ = false;
        return std::isfinite(v) ? v : (ok_ = false, 0.0);
    }
    std::int64_t integer(std::string_view key) {
        std::int64_t v = 0;
        const std::string* t = literal(key);
        if (t && !parse(*t, v))
            ok_ = false;
        return v;
    }
    bool boolean(std::string_view key) {
        const std::string* t = literal(key);
        if (t && *t != "true" && *t != "false")
            ok_ = false;
        return t && *t == "true";
    }
    std::string text(std::string_view key) {
        const auto it = f_.find(key);
        if (it == f_.end() || !it->second.isText) {
            ok_ = false;
            return {};
        }
        return it->second.text;
    }

private:
    const std::string* literal(std::string_view key) {
        const auto it = f_.find(key);
        if (it == f_.end() || it->second.isText) {
            ok_ = false;
            return nullptr;
        }
        return &it->second.text;
    }
    template <class T> static bool parse(const std::string& t, T& v) {
        const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
        return r.ec == std::errc() && r.ptr == t.data() + t.size();
    }
    const Fields& f_;
    bool ok_ = true;
};

Spread readSpread(FieldsView& v, const SpreadKeys& k) {
    return {v.number(k.min), v.number(k.mean), v.number(k.max)};
}

bool readLine(std::string_view line, PendingRecords& out) {
    Fields fields;
    if (!FlatReader(line).read(fields))
        return false;
    FieldsView v(fields);
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
        LineWriter w(out, "minute");
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
        LineWriter(out, "alarm")
            .integer("ts", e.ts)
            .text("name", e.name)
            .text("state", e.state)
            .number("value", e.value);
    for (const OutboxRow& r : records.messages)
        LineWriter(out, "message")
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
