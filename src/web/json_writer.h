#pragma once
// A small streaming JSON writer: commas are placed by the writer, numbers
// have at most 15 significant digits (0.1 + 0.2 is 0.3), and a value that
// is not finite is written as null, so no reply ever holds NaN or infinity.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

class JsonWriter {
public:
    explicit JsonWriter(std::string& out) : out_(out) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The key of the next value inside an object.
    JsonWriter& key(std::string_view name);

    JsonWriter& value(double v);
    JsonWriter& value(std::int64_t v);
    JsonWriter& value(int v) { return value(static_cast<std::int64_t>(v)); }
    JsonWriter& value(bool v);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(const std::string& text) { return value(std::string_view(text)); }
    JsonWriter& value(const std::optional<double>& v);
    JsonWriter& null();

    // key(name).value(v) in one call.
    template <typename T> JsonWriter& field(std::string_view name, const T& v) {
        key(name);
        return value(v);
    }

private:
    void separate();
    std::string& out_;
    bool needComma_ = false;
};

// Appends a JSON string literal: quotes, backslashes and control characters
// escaped; bytes that are not valid UTF-8 replaced by U+FFFD.
void appendJsonString(std::string& out, std::string_view text);

// "2026-12-09T14:05:00Z" for seconds since 1970 UTC.
std::string isoUtcSeconds(std::int64_t utcSeconds);

// The local day key ("2026_12_9") and local "HH:MM" of a UTC time, in the
// machine's time zone.
std::string localDayKey(std::int64_t utcSeconds);
std::string localHourMinute(std::int64_t utcSeconds);
// The local date (yyyymmdd) of a UTC time.
int localDateOf(std::int64_t utcSeconds);

} // namespace korvane
