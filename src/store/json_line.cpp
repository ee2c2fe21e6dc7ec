#include "json_line.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace korvane {

JsonLineWriter::JsonLineWriter(std::string& out, const char* kind) : out_(out) {
    out_ += "{\"kind\":\"";
    out_ += kind;
    out_ += '"';
}

JsonLineWriter::~JsonLineWriter() {
    out_ += "}\n";
}

JsonLineWriter& JsonLineWriter::number(const char* key, double value) {
    if (!std::isfinite(value))
        value = 0;
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return raw(key, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

JsonLineWriter& JsonLineWriter::integer(const char* key, std::int64_t value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return raw(key, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

JsonLineWriter& JsonLineWriter::boolean(const char* key, bool value) {
    return raw(key, value ? "true" : "false");
}

JsonLineWriter& JsonLineWriter::text(const char* key, std::string_view value) {
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
            quoted += c;
        }
    }
    quoted += '"';
    return raw(key, quoted);
}

JsonLineWriter& JsonLineWriter::raw(const char* key, std::string_view value) {
    out_ += ",\"";
    out_ += key;
    out_ += "\":";
    out_ += value;
    return *this;
}

namespace {

class Parser {
public:
    explicit Parser(std::string_view s) : s_(s) {}

    bool object(JsonFields& out) {
        blanks();
        if (!take('{'))
            return false;
        blanks();
        if (take('}'))
            return atEnd();
        do {
            blanks();
            std::string key;
            if (!string(key))
                return false;
            blanks();
            if (!take(':'))
                return false;
            blanks();
            JsonValue v;
            v.isText = peek() == '"';
            if (!(v.isText ? string(v.text) : literal(v.text)))
                return false;
            out[key] = std::move(v);
            blanks();
        } while (take(','));
        return take('}') && atEnd();
    }

private:
    char peek() const { return at_ < s_.size() ? s_[at_] : '\0'; }
    bool take(char c) {
        if (at_ >= s_.size() || s_[at_] != c)
            return false;
        ++at_;
        return true;
    }
    void blanks() {
        while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\r'))
            ++at_;
    }
    bool atEnd() {
        blanks();
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
            if (!escape(out))
                return false;
        }
        return false; // the line ends inside the string: torn
    }
    bool escape(std::string& out) {
        if (at_ >= s_.size())
            return false;
        const char e = s_[at_++];
        switch (e) {
        case '"':
        case '\\':
        case '/':
            out += e;
            return true;
        case 'n':
            out += '\n';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'u': {
            unsigned code = 0;
            if (at_ + 4 > s_.size())
                return false;
            const auto r = std::from_chars(s_.data() + at_, s_.data() + at_ + 4, code, 16);
            // The writer escapes single bytes only.
            if (r.ptr != s_.data() + at_ + 4 || code > 0xff)
                return false;
            out += static_cast<char>(code);
            at_ += 4;
            return true;
        }
        default:
            return false;
        }
    }

    std::string_view s_;
    std::size_t at_ = 0;
};

template <class T> bool parseAll(const std::string& t, T& v) {
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

} // namespace

bool readJsonLine(std::string_view line, JsonFields& out) {
    return Parser(line).object(out);
}

const std::string* JsonFieldReader::literal(std::string_view key) {
    const auto it = fields_.find(key);
    if (it == fields_.end() || it->second.isText) {
        ok_ = false;
        return nullptr;
    }
    return &it->second.text;
}

double JsonFieldReader::number(std::string_view key) {
    double v = 0;
    const std::string* t = literal(key);
    if (t && (!parseAll(*t, v) || !std::isfinite(v))) {
        ok_ = false;
        v = 0;
    }
    return v;
}

std::int64_t JsonFieldReader::integer(std::string_view key) {
    std::int64_t v = 0;
    const std::string* t = literal(key);
    if (t && !parseAll(*t, v)) {
        ok_ = false;
        v = 0;
    }
    return v;
}

bool JsonFieldReader::boolean(std::string_view key) {
    const std::string* t = literal(key);
    if (t && *t != "true" && *t != "false")
        ok_ = false;
    return t && *t == "true";
}

std::string JsonFieldReader::text(std::string_view key) {
    const auto it = fields_.find(key);
    if (it == fields_.end() || !it->second.isText) {
        ok_ = false;
        return {};
    }
    return it->second.text;
}

} // namespace korvane
