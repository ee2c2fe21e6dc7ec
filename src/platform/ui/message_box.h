#pragma once
// Message boxes titled "Korvane" with an OK button only: the one way a window
// tells the user something went wrong.

#include "platform/messages.h"

#include <string>

class QWidget;

namespace korvane {

class QtMessageSink final : public MessageSink {
public:
    explicit QtMessageSink(QWidget* parent) : parent_(parent) {}
    void showMessage(const std::string& text) override;

private:
    QWidget* parent_;
};

} // namespace korvane
