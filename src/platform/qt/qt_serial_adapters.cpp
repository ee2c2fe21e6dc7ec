#include "qt_serial_adapters.h"

#include <QSerialPortInfo>

namespace korvane {

std::vector<SerialAdapter> QtSerialAdapterList::adapters() const {
    std::vector<SerialAdapter> list;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialAdapter adapter;
        adapter.device = info.systemLocation().toLocal8Bit().toStdString();
        adapter.path = stableAdapterPath(adapter.device, byIdFolder_);
        adapter.description = info.description().toLocal8Bit().toStdString();
        adapter.manufacturer = info.manufacturer().toLocal8Bit().toStdString();
        adapter.serialNumber = info.serialNumber().toLocal8Bit().toStdString();
        list.push_back(std::move(adapter));
    }
    sortAdapters(list);
    return list;
}

} // namespace korvane
