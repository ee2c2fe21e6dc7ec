#pragma once
// The one extraction rule for settings files, packets and log lines.

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

} // namespace korvane
