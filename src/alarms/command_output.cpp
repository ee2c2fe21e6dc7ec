#include "command_output.h"

namespace korvane {

namespace {

// Each of the two lines may take half, so together they stay within the cap.
constexpr std::size_t kLineCap = CommandOutputTail::kMaxHeldBytes / 2;

bool blank(std::string_view line) {
    return line.find_first_not_of(" \t\v\f") == std::string_view::npos;
}

} // namespace

void CommandOutputTail::append(std::string_view bytes) {
    seen_ += bytes.size();
    for (const char c : bytes) {
        if (c == '\n' || c == '\r') {
            if (!blank(current_))
                last_.swap(current_);
            current_.clear();
        } else if (current_.size() < kLineCap) {
            current_ += c;
        }
    }
}

std::string CommandOutputTail::lastLine() const {
    const std::string& line = blank(current_) ? last_ : current_;
    std::string out;
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        out += u < 0x20 || u == 0x7f ? ' ' : c;
    }
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    out = out.substr(first, out.find_last_not_of(' ') - first + 1);
    if (out.size() > kMaxShownBytes) {
        // Cut before a character's first byte, so a UTF-8 letter is not halved.
        std::size_t n = kMaxShownBytes - 3;
        while (n > 0 && (static_cast<unsigned char>(out[n]) & 0xC0) == 0x80)
            --n;
        out.resize(n);
        out += "...";
    }
    return out;
}

} // namespace korvane
