// The real serial path: QtSerialPort on a pseudo-terminal feeding the main
// window, and the board simulator feeding the framer and decoder.

#include "app/tavrel.h"
#include "config/settings_files.h"
#include "monitor/packet_decoder.h"
#include "monitor/packet_framer.h"
#include "platform/qt/qt_serial_port.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

#include "support/event_pump.h"
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

class NoWindows final : public ChildWindows {
public:
    void programSetup(QWidget*) override {}
    void calibrate(QWidget*, std::unique_ptr<SerialPort>) override {}
    void showLogs(QWidget*) override {}
};

TEST(SerialPathEndToEnd, PacketsReachTheWindowAndATickLogsThem) {
    TempDir dir;
    saveProgramConfig(dir.path(), defaultProgramConfig()); // port 1
    saveCalibrationConfig(dir.path(), {"40", "100", "20", "6", "2"});
    auto device = std::make_unique<PtyPair>(dir.file("com1"));

    FakeClock clock({2026, 12, 8, 9, 30, 0, 0});
    FixedTimeFormats formats;
    RecordingMessageSink messages;
    NoWindows windows;
    TavrelServices s;
    s.appFolder = dir.path();
    s.makePort = [&]() -> std::unique_ptr<SerialPort> {
        return std::make_unique<QtSerialPort>(dir.path());
    };
    s.clock = &clock;
    s.timeFormats = &formats;
    s.messages = &messages;
    s.windows = &windows;
    Tavrel window(s);
    ASSERT_TRUE(window.serialPort().isOpen());

    // Split mid-field, and a burst with the start of the next packet.
    device->write("[<V>51");
    device->write("2</V><I>130</I><R>42</R><M>1</M><S>17</S>][<V>5");
    ASSERT_TRUE(pumpUntil([&] { return window.windowTitle() == "Korvane  12.8V 1.5A"; }, 3000))
        << window.windowTitle().toStdString();
    auto* list = window.findChild<QTreeWidget*>("ListView1");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "12.8");
    EXPECT_EQ(list->topLevelItem(2)->text(1), "19.2");

    window.findChild<QPushButton*>("StartLogging")->click();
    device->write("20</V><I>140</I><R>48</R><M>0</M><S>20</S>]");
    ASSERT_TRUE(pumpUntil([&] { return window.windowTitle() == "Korvane  13V 2A"; }, 3000));
    window.station().Timer1_Timer();
    EXPECT_EQ(dir.read("logs/2026_12_8.txt"),
              "<V>13</V><I>2</I><W>26</W><R>480</R><S>10</S><M>0</M><T>09:30</T>\r\n");

    // The device is pulled and comes back: decoding resumes by itself.
    device.reset();
    ASSERT_TRUE(pumpUntil([&] { return !window.serialPort().isOpen(); }, 3000));
    device = std::make_unique<PtyPair>(dir.file("com1"));
    ASSERT_TRUE(pumpUntil([&] { return window.serialPort().isOpen(); }, 9000));
    device->write("[<V>500</V><I>100</I>]");
    EXPECT_TRUE(pumpUntil([&] { return window.windowTitle() == "Korvane  12.5V 0A"; }, 3000))
        << window.windowTitle().toStdString();
}

TEST(SerialPathEndToEnd, BoardSimulatorWithFaultsDecodesPlausibly) {
    TempDir dir;
    QProcess sim;
    sim.start(KORVANE_BOARD_SIM, {"--home", QString::fromStdString(dir.path()), "--rate", "50",
                                  "--count", "150", "--fault-rate", "0.3", "--split", "--garbage",
                                  "--burst", "--bad-fields", "--binary"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(pumpUntil([&] { return std::filesystem::exists(dir.file("com1")); }, 5000));

    QtSerialPort port(dir.path());
    port.setPortNumber(1);
    port.setSettings("4800,N,8,1");
    PacketFramer framer;
    const auto cal = toCalibration(defaultCalibrationConfig(), NumberFormat{});
    Reading reading;
    int packets = 0;
    bool plausible = true;
    port.setCommEventHandler([&] {
        framer.append(port.readInput());
        while (auto p = framer.next()) {
            ++packets;
            reading = decodePacket(*p, cal, NumberFormat{}, reading);
            plausible = plausible && reading.volts >= 0 && reading.volts < 16 && reading.rpm >= 0 &&
                        reading.rpm < 3000;
        }
    });
    port.open();
    ASSERT_TRUE(pumpUntil([&] { return sim.state() == QProcess::NotRunning; }, 20000));
    pumpUntil([] { return false; }, 100);
    EXPECT_GT(packets, 100); // some are lost to faults by design, most arrive
    EXPECT_TRUE(plausible);
    EXPECT_GT(reading.volts, 11);
}

} // namespace
} // namespace korvane::test
