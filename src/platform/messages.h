#pragma once
// User messages go through one seam: title "Korvane", the exact text, an OK
// button.  Windows show them; tests record them so nothing blocks.

#include <string>
#include <vector>

namespace korvane {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const std::string& text) = 0;
};

class RecordingMessageSink final : public MessageSink {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

} // namespace korvane
