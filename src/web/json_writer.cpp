#include "json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace korvane {

void JsonWriter::separate() {
    if (needComma_)
        out_ += ',';
    needComma_ = true;
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    out_ += '{';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    out_ += '}';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    separate();
    out_ += '[';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    out_ += ']';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    separate();
    appendJsonString(out_, name);
    out_ += ':';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::value(double v) {
    separate();
    if (!std::isfinite(v)) {
        out_ += "null";
        return *this;
    }
    if (v == 0)
        v = 0; // -0 reads oddly on a dashboard
    // 15 significant digits, as the program writes numbers everywhere: sums
    // of watt-hours then read 2.27325, not 2.2732499999999995.
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    out_.append(buf, r.ptr);
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t v) {
    separate();
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out_.append(buf, r.ptr);
    return *this;
}

JsonWriter& JsonWriter::value(bool v) {
    separate();
    out_ += v ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    separate();
    appendJsonString(out_, text);
    return *this;
}

JsonWriter& JsonWriter::value(const std::optional<double>& v) {
    return v ? value(*v) : null();
}

JsonWriter& JsonWriter::null() {
    separate();
    out_ += "null";
    return *this;
}

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0 when it is not one.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n = 0;
    unsigned lo = 0x80, hi = 0xbf;
    if (c >= 0xc2 && c <= 0xdf)
        n = 2;
    else if (c >= 0xe0 && c <= 0xef) {
        n = 3;
        if (c == 0xe0)
            lo = 0xa0;
        if (c == 0xed)
            hi = 0x9f;
    } else if (c >= 0xf0 && c <= 0xf4) {
        n = 4;
        if (c == 0xf0)
            lo = 0x90;
        if (c == 0xf4)
            hi = 0x8f;
    } else
        return 0;
    if (i + n > s.size())
        return 0;
    if (b(i + 1) < lo || b(i + 1) > hi)
        return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xbf)
            return 0;
    return n;
}

} // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t n = utf8Length(text, i)) {
            out.append(text.substr(i, n));
            i += n;
        } else {
            out += "\xef\xbf\xbd";
            ++i;
        }
    }
    out += '"';
}

std::string isoUtcSeconds(std::int64_t utcSeconds) {
    const auto t = static_cast<std::time_t>(utcSeconds);
    std::tm tm{};
    if (!::gmtime_r(&t, &tm))
        return "1970-01-01T00:00:00Z";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

namespace {

std::tm localOf(std::int64_t utcSeconds) {
    const auto t = static_cast<std::time_t>(utcSeconds);
    std::tm tm{};
    if (!::localtime_r(&t, &tm)) {
        tm = std::tm{};
        tm.tm_mday = 1;
        tm.tm_year = 70;
    }
    return tm;
}

} // namespace

std::string localDayKey(std::int64_t utcSeconds) {
    const std::tm tm = localOf(utcSeconds);
    return std::to_string(tm.tm_year + 1900) + "_" + std::to_string(tm.tm_mon + 1) + "_" +
           std::to_string(tm.tm_mday);
}

std::string localHourMinute(std::int64_t utcSeconds) {
    const std::tm tm = localOf(utcSeconds);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d", tm.tm_hour, tm.tm_min);
    return buf;
}

int localDateOf(std::int64_t utcSeconds) {
    const std::tm tm = localOf(utcSeconds);
    return (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
}

} // namespace korvane
