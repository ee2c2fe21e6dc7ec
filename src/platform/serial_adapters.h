#pragma once
// The serial adapters this machine has, as the setup dialog lists them.  The
// list itself comes from the system (QtSerialAdapterList) or, in tests, from
// a fixed list.

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct SerialAdapter {
    // The name to link com<n> to: the stable /dev/serial/by-id name when the
    // system gives the adapter one (it survives replugging), else the device.
    std::string path;
    std::string device; // the kernel's device, such as /dev/ttyUSB0
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
    bool operator==(const SerialAdapter&) const = default;
};

class SerialAdapterList {
public:
    virtual ~SerialAdapterList() = default;
    // What is plugged in now; called when the dialog opens and every couple
    // of seconds while it is open, so it must be quick.
    virtual std::vector<SerialAdapter> adapters() const = 0;
};

// A list that holds what it is given (tests, screenshots).
class FixedSerialAdapterList final : public SerialAdapterList {
public:
    FixedSerialAdapterList() = default;
    explicit FixedSerialAdapterList(std::vector<SerialAdapter> list) : list_(std::move(list)) {}
    std::vector<SerialAdapter> adapters() const override { return list_; }
    void set(std::vector<SerialAdapter> list) { list_ = std::move(list); }

private:
    std::vector<SerialAdapter> list_;
};

inline constexpr std::string_view kNoAdaptersText =
    "No serial adapters found: plug one in, or link com1 by hand (see README)";

// The link in byIdFolder (normally /dev/serial/by-id) that leads to device,
// or device itself when there is none.
std::string stableAdapterPath(const std::string& device,
                              const std::string& byIdFolder = "/dev/serial/by-id");

// Adapters with a stable name (USB adapters) first, then the rest, each part
// by path, so the list does not reshuffle between refreshes.
void sortAdapters(std::vector<SerialAdapter>& adapters);

// An entry of the list: the path, then on a second line what is known of the
// adapter, e.g. "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0\nFT232R USB
// UART, FTDI, serial A10K3QZ, /dev/ttyUSB0".  Just the path when nothing is.
std::string adapterLabel(const SerialAdapter& adapter);

// 0 when this process may open path for reading and writing, else the errno
// (EACCES, ENOENT ...).  Uses the effective ids and capabilities, as open()
// does, and never opens the device.
int deviceAccessError(const std::string& path);

} // namespace korvane
