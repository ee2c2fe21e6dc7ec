#pragma once
// The system's serial adapters, from QSerialPortInfo.

#include "platform/serial_adapters.h"

namespace korvane {

class QtSerialAdapterList final : public SerialAdapterList {
public:
    // byIdFolder: where the stable names are looked for.
    explicit QtSerialAdapterList(std::string byIdFolder = "/dev/serial/by-id")
        : byIdFolder_(std::move(byIdFolder)) {}
    std::vector<SerialAdapter> adapters() const override;

private:
    std::string byIdFolder_;
};

} // namespace korvane
