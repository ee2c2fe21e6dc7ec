#pragma once
// One JSON object a line, as the pending files hold them: flat objects of
// strings, numbers and booleans.  Numbers are written with every digit a
// double needs; strings escape '"', '\' and the control bytes (as \u00XX)
// and pass every other byte as it is, so 8-bit text comes back byte for byte.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace korvane {

// Appends {"kind":"<kind>", ...} and a line break to `out`: the fields in
// the order they are added, the closing brace when the writer goes out of
// scope.  A number that is not finite is written as 0 (JSON has no NaN).
class JsonLineWriter {
public:
    JsonLineWriter(std::string& out, const char* kind);
    ~JsonLineWriter();
    JsonLineWriter(const JsonLineWriter&) = delete;
    JsonLineWriter& operator=(const JsonLineWriter&) = delete;

    JsonLineWriter& number(const char* key, double value);
    JsonLineWriter& integer(const char* key, std::int64_t value);
    JsonLineWriter& boolean(const char* key, bool value);
    JsonLineWriter& text(const char* key, std::string_view value);

private:
    JsonLineWriter& raw(const char* key, std::string_view value);
    std::string& out_;
};

// A field's value: the string's bytes, or the literal of a number or boolean.
struct JsonValue {
    bool isText = false;
    std::string text;
};
using JsonFields = std::map<std::string, JsonValue, std::less<>>;

// The fields of one line's object; false when the line is not one whole
// flat object (torn, or not JSON).
bool readJsonLine(std::string_view line, JsonFields& out);

// The fields of a line by key and type.  A field that is missing, of another
// type or out of range reads as 0 (or empty) and makes ok() false.
class JsonFieldReader {
public:
    explicit JsonFieldReader(const JsonFields& fields) : fields_(fields) {}
    bool ok() const { return ok_; }

    double number(std::string_view key);
    std::int64_t integer(std::string_view key);
    bool boolean(std::string_view key);
    std::string text(std::string_view key);

private:
    const std::string* literal(std::string_view key);
    const JsonFields& fields_;
    bool ok_ = true;
};

} // namespace korvane
