#pragma once
// The one extraction rule for settings files, packets and log lines.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// The text between the end of the first `openTag` and the start of the first
// `closeTag`, both searched from the start of `text`, case-sensitively.
// Absent when either tag is missing or the first closing tag stands before
// the first opening tag.  Present text may be empty.
std::optional<std::string_view> taggedText(std::string_view text, std::string_view openTag,
                                           std::string_view closeTag);

// taggedText with the tags "<key>" and "</key>".
std::optional<std::string_view> tagValue(std::string_view text, std::string_view key);

// The fields of single-letter tags ("<V>".."</V>") in one text, found in one
// pass over its "<" characters instead of one search per tag.  Each field is
// exactly what taggedText gives for "<X>" and "</X>".  Used for packets and
// log lines, where the same few tags are read from every one of many texts.
class LetterTags {
public:
    static constexpr std::size_t kMaxLetters = 8;

    // `letters`: the upper-case tag letters of interest, at most kMaxLetters.
    LetterTags(std::string_view text, std::string_view letters);

    // Absent for a letter not asked for.
    std::optional<std::string_view> field(char letter) const;

private:
    int index(char letter) const {
        return letter >= 'A' && letter <= 'Z' ? index_[static_cast<std::size_t>(letter - 'A')] : -1;
    }

    std::string_view text_;
    std::array<signed char, 26> index_; // upper-case letter -> slot, -1 when not asked for
    std::array<std::size_t, kMaxLetters> open_;
    std::array<std::size_t, kMaxLetters> close_;
};

} // namespace korvane
