#include "packet_framer.h"

namespace korvane {

std::optional<std::string> PacketFramer::next() {
    const auto open = buffer_.find('[', head_);
    if (open == std::string::npos) {
        buffer_.clear();
        head_ = 0;
        return std::nullopt;
    }
    const auto close = buffer_.find(']', open + 1);
    if (close == std::string::npos) {
        buffer_.erase(0, open);
        head_ = 0;
        if (buffer_.size() > kMaxPending) {
            // Keep only a packet that may have started late in the noise.
            const auto last = buffer_.rfind('[');
            buffer_.erase(0, last);
            if (buffer_.size() > kMaxPending)
                buffer_.clear();
        }
        return std::nullopt;
    }
    std::string packet = buffer_.substr(open, close - open + 1);
    head_ = close + 1;
    return packet;
}

} // namespace korvane
