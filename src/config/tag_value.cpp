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

LetterTags::LetterTags(std::string_view text, std::string_view letters) : text_(text) {
    // A table, not a search of `letters`, because this runs for every "<" of
    // every packet and log line.
    index_.fill(-1);
    for (std::size_t k = 0; k < letters.size() && k < kMaxLetters; ++k)
        if (letters[k] >= 'A' && letters[k] <= 'Z')
            index_[static_cast<std::size_t>(letters[k] - 'A')] = static_cast<signed char>(k);
    open_.fill(std::string_view::npos);
    close_.fill(std::string_view::npos);
    const std::size_t n = text.size();
    for (auto i = text.find('<'); i != std::string_view::npos && i + 2 < n;
         i = text.find('<', i + 1)) {
        if (text[i + 1] == '/') {
            if (i + 3 < n && text[i + 3] == '>')
                if (const int k = index(text[i + 2]); k >= 0 && close_[k] == std::string_view::npos)
                    close_[k] = i;
        } else if (text[i + 2] == '>') {
            if (const int k = index(text[i + 1]); k >= 0 && open_[k] == std::string_view::npos)
                open_[k] = i;
        }
    }
}

std::optional<std::string_view> LetterTags::field(char letter) const {
    const int k = index(letter);
    if (k < 0)
        return std::nullopt;
    const auto o = open_[k];
    const auto c = close_[k];
    if (o == std::string_view::npos || c == std::string_view::npos || c < o + 3)
        return std::nullopt;
    return text_.substr(o + 3, c - o - 3);
}

} // namespace korvane
