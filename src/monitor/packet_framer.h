#pragma once
// Cuts device packets ("[" up to the first "]" after it) out of the serial
// byte stream.  Bytes in, packets out; the read sizes never matter.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

class PacketFramer {
public:
    // A real packet is about 50 characters.  An unfinished packet longer than
    // this is noise; it is dropped so memory stays flat on a stream of garbage.
    // The bound is generous so that even a packet with absurdly long fields
    // (10,000-digit numbers) is still framed and decoded field by field.
    static constexpr std::size_t kMaxPending = 64 * 1024;

    void append(std::string_view bytes) { buffer_.append(bytes); }

    // The next complete packet, oldest first, or nothing when none is
    // complete.  Text before a "[" is dropped, including the tail of a packet
    // whose start was missed; the unfinished rest is kept for the next read.
    std::optional<std::string> next();

    // What is waiting to be framed (the receive buffer).
    std::string_view pending() const { return std::string_view(buffer_).substr(head_); }

private:
    std::string buffer_;
    std::size_t head_ = 0; // start of the unframed text; avoids quadratic erases
};

} // namespace korvane
