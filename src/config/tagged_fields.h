#pragma once
// The settings files as tables of (key, member) pairs: one way to read and
// one way to write every tagged text field.

#include "tag_value.h"

#include <string>
#include <string_view>

namespace korvane {

template <typename Config> struct TaggedField {
    std::string_view key;
    std::string Config::*member;
};

// Each key's text by the tag rule; a key that is absent keeps the text it has
// in `config` (the defaults).
template <typename Config, std::size_t N>
Config readTaggedFields(std::string_view text, Config config,
                        const TaggedField<Config> (&fields)[N]) {
    for (const auto& f : fields)
        if (auto v = tagValue(text, f.key))
            config.*f.member = std::string(*v);
    return config;
}

// One "<key>value</key>" CR LF line per field, in table order.
template <typename Config, std::size_t N>
void writeTaggedLines(std::string& out, const Config& config,
                      const TaggedField<Config> (&fields)[N]) {
    for (const auto& f : fields) {
        out += '<';
        out += f.key;
        out += '>';
        out += config.*f.member;
        out += "</";
        out += f.key;
        out += ">\r\n";
    }
}

// The newer settings files (alarms.cfg, mqtt.cfg, web.cfg, turbine.cfg) may
// hold texts a user typed freely, such as a password: their values are
// written with "&", "<" and ">" as "&amp;", "&lt;" and "&gt;", so no value can
// end its own tag early or smuggle another tag in.  Reading turns exactly
// those three entities back and leaves any other "&" as it stands, so files
// written before escaping read as they did.  prog.cfg and settings.cfg keep
// their bytes and are never escaped.
std::string escapeTagText(std::string_view text);
std::string unescapeTagText(std::string_view text);

template <typename Config, std::size_t N>
Config readEscapedTaggedFields(std::string_view text, Config config,
                               const TaggedField<Config> (&fields)[N]) {
    for (const auto& f : fields)
        if (auto v = tagValue(text, f.key))
            config.*f.member = unescapeTagText(*v);
    return config;
}

template <typename Config, std::size_t N>
void writeEscapedTaggedLines(std::string& out, const Config& config,
                             const TaggedField<Config> (&fields)[N]) {
    for (const auto& f : fields) {
        out += '<';
        out += f.key;
        out += '>';
        out += escapeTagText(config.*f.member);
        out += "</";
        out += f.key;
        out += ">\r\n";
    }
}

} // namespace korvane
