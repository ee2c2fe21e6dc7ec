#pragma once
// A serial port for tests: the test pushes input and fires comm events.

#include "serial_port.h"

#include <string>

namespace korvane {

class FakeSerialPort final : public SerialPort {
public:
    void setPortNumber(int number) override { port_ = number; }
    int portNumber() const override { return port_; }
    bool setSettings(std::string_view text) override {
        if (!parseLineSettings(text))
            return false;
        settings_ = std::string(text);
        return true;
    }
    void setInputLength(int length) override { inputLength_ = length; }
    void open() override {
        ++openCount;
        open_ = problem_.fault == PortFault::None;
    }
    void close() override {
        ++closeCount;
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    PortProblem problem() const override { return open_ ? PortProblem{} : problem_; }
    std::string readInput() override {
        std::string out;
        out.swap(pending_);
        return out;
    }
    void discardInput() override { pending_.clear(); }
    void setCommEventHandler(std::function<void()> handler) override {
        handler_ = std::move(handler);
    }

    // Test side: bytes arrive and the port notifies, as a real one would.
    // Nothing arrives while the port is closed.
    void receive(std::string_view bytes) {
        if (!open_)
            return;
        pending_ += bytes;
        if (handler_)
            handler_();
    }
    const std::string& settings() const { return settings_; }
    int inputLength() const { return inputLength_; }

    // Test side: the next open() fails for this reason (None: it succeeds).
    void failOpensWith(PortProblem problem) { problem_ = std::move(problem); }

    int openCount = 0;
    int closeCount = 0;

private:
    int port_ = 0;
    std::string settings_;
    int inputLength_ = -1;
    bool open_ = false;
    PortProblem problem_;
    std::string pending_;
    std::function<void()> handler_;
};

} // namespace korvane
