#pragma once
// What Korvane keeps of an alarm command's output: only its last line, for
// a status line, so a chatty or runaway command cannot fill the memory.

#include <cstddef>
#include <string>
#include <string_view>

namespace korvane {

class CommandOutputTail {
public:
    // At most this many bytes of output are held at any time (the line being
    // written); the rest is read and dropped.
    static constexpr std::size_t kMaxHeldBytes = 64 * 1024;
    // The last line is shown cut to this many bytes, ending in "...".
    static constexpr std::size_t kMaxShownBytes = 160;

    // Bytes as the command wrote them (stdout and stderr together), in any
    // pieces; lines end in LF, CR LF or CR.
    void append(std::string_view bytes);

    // The last line that holds more than blanks, without its line end and
    // the blanks around it, control characters shown as blanks, cut to
    // kMaxShownBytes; empty when there was none.  A final line without a
    // line end counts.
    std::string lastLine() const;

    // Every byte given to append(), held or dropped.
    std::size_t bytesSeen() const { return seen_; }
    // What is held now (never above kMaxHeldBytes).
    std::size_t bytesHeld() const { return current_.size() + last_.size(); }

private:
    std::string current_; // the line being written, its first kMaxHeldBytes / 2
    std::string last_;    // the last finished line with more than blanks, likewise cut
    std::size_t seen_ = 0;
};

} // namespace korvane
