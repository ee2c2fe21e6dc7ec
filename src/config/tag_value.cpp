#include "tag_value.h"

namespace korvane {

std::optional<std::string_view> taggedText(std::string_view text, std::string_view openTag,
                                           std::string_view closeTag) {
    const auto o = text.find(openTag);
    if (o == std::string_view::npos)
        return std::nullopt;
    const auto c = text.find(closeTag);
    // A closing tag before the opening one would give a negative length:
    // treated as absent, as the packet reader does.
    if (c == std::string_view::npos || c < o + openTag.size())
        return std::nullopt;
    return text.substr(o + openTag.size(), c - o - openTag.size());
}

std::optional<std::string_view> tagValue(std::string_view text, std::string_view key) {
    // Keys are short; building the tags on the stack keeps this allocation-free.
    char open[64];
    char close[65];
    if (key.size() + 3 > sizeof open)
        return std::nullopt;
    open[0] = '<';
    close[0] = '<';
    close[1] = '/';
    key.copy(open + 1, key.size());
    key.copy(close + 2, key.size());
    open[key.size() + 1] = '>';
    close[key.size() + 2] = '>';
    return taggedText(text, std::string_view(open, key.size() + 2),
                      std::string_view(close, key.size() + 3));
}

} // namespace korvane
