#pragma once
// The serial port as the windows see it: the operations of a classic comm
// control, one "comm event" callback, nothing else.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

enum class Parity { None, Odd, Even, Mark, Space };

struct LineSettings {
    int baud = 4800;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1; // 1 or 2
    bool operator==(const LineSettings&) const = default;
};

// Parses "4800,N,8,1": baud, parity letter (N O E M S, either case), data bits
// 5..8, stop bits 1 or 2.  Blanks around the parts are allowed.
std::optional<LineSettings> parseLineSettings(std::string_view text);

// The device that port number n stands for on Linux: <appFolder>/com<n> when
// that name exists (a link the user made to the adapter or a pseudo-terminal,
// even while its target is unplugged), else /dev/ttyS<n-1>.
std::string portDevicePath(int portNumber, const std::string& appFolder);

// Why a port that should be open is not, from the error the system gave.
enum class PortFault { None, NoDevice, NoPermission, Busy, Other };
struct PortProblem {
    PortFault fault = PortFault::None;
    std::string systemText; // the system's own words, for PortFault::Other
    bool operator==(const PortProblem&) const = default;
};

// What the status lines say of a problem: "waiting for the device", "no
// permission: add your user to the dialout group, then log in again", "in
// use by another program", or the system's text.
std::string portProblemText(const PortProblem& problem);

class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    // False (settings unchanged) when the text cannot be parsed.
    virtual bool setSettings(std::string_view text) = 0;
    // 0: a read returns everything waiting.
    virtual void setInputLength(int length) = 0;

    // Opens the port.  A port that cannot be opened now is not an error the
    // caller must handle: the port keeps trying quietly until close().
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Why the last attempt to open failed; PortFault::None while open, and
    // before any attempt.
    virtual PortProblem problem() const { return {}; }

    // Everything waiting to be read (up to the input length, when set).
    virtual std::string readInput() = 0;
    // Drops whatever is still waiting.
    virtual void discardInput() = 0;

    // Called on the UI thread when input or a line event arrives.
    virtual void setCommEventHandler(std::function<void()> handler) = 0;
};

} // namespace korvane

namespace korvane {

// Delay before the n-th attempt (n >= 1) to reopen a port that failed:
// 1 s, 2 s, then every 5 s, so a pulled adapter costs nothing while away.
int reopenDelayMs(int attempt);

} // namespace korvane

#include <memory>

namespace korvane {

// Makes a new, closed serial control (one per window that talks to the board).
using SerialPortFactory = std::function<std::unique_ptr<SerialPort>()>;

} // namespace korvane
