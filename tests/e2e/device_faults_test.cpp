// A misbehaving device on a real pseudo-terminal: Korvane's main window keeps
// running, memory stays bounded, nothing spins while the device is gone, and
// decoding resumes when it returns.

#include "app/tavrel.h"
#include "config/settings_files.h"
#include "platform/qt/qt_serial_port.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

#include "support/heap_usage.h"
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <atomic>

#include "support/event_pump.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>

namespace korvane::test {
namespace {

double cpuSeconds() {
    rusage ru{};
    ::getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

class NoWindows final : public ChildWindows {
public:
    void programSetup(QWidget*) override {}
    void calibrate(QWidget*, std::unique_ptr<SerialPort>) override {}
    void showLogs(QWidget*) override {}
};

struct Rig {
    TempDir dir;
    FakeClock clock{{2026, 12, 8, 10, 0, 0, 0}};
    FixedTimeFormats formats;
    RecordingMessageSink messages;
    NoWindows windows;
    std::unique_ptr<PtyPair> device;
    std::unique_ptr<Tavrel> window;

    Rig() {
        saveProgramConfig(dir.path(), defaultProgramConfig());
        saveCalibrationConfig(dir.path(), {"40", "100", "20", "6", "2"});
        device = std::make_unique<PtyPair>(dir.file("com1"));
        TavrelServices s;
        s.appFolder = dir.path();
        s.makePort = [this]() -> std::unique_ptr<SerialPort> {
            return std::make_unique<QtSerialPort>(dir.path());
        };
        s.clock = &clock;
        s.timeFormats = &formats;
        s.messages = &messages;
        s.windows = &windows;
        window = std::make_unique<Tavrel>(s);
        window->findChild<QPushButton*>("StartLogging")->click();
    }

    std::string caption() const { return window->windowTitle().toStdString(); }
    bool captionBecomes(const std::string& text) {
        return pumpUntil([&] { return caption() == text; }, 5000);
    }
    // Writes from another thread so a large volume never blocks the event loop.
    void writeInBackground(const std::string& bytes) {
        std::atomic<bool> done{false};
        std::thread writer([&] {
            device->write(bytes);
            done = true;
        });
        pumpUntil([&] { return done.load(); }, 60000);
        writer.join();
    }
};

TEST(DeviceFaults, ByteByByteFragmentsJunkAndBurstsAllDecode) {
    Rig rig;
    for (char c : std::string("[<V>480</V><I>120</I>]"))
        rig.device->write(std::string(1, c));
    ASSERT_TRUE(rig.captionBecomes("Korvane  12V 1A")) << rig.caption();

    // Tail fragments, NUL and high bytes, then two packets in one read: the
    // first (higher volts) shows in the peaks, the second in the caption.
    rig.device->write(std::string("0</V>]]]\0\xff\x80\xfe", 12) +
                      "[<V>560</V><I>140</I>][<V>520</V><I>120</I>]");
    ASSERT_TRUE(rig.captionBecomes("Korvane  13V 1A")) << rig.caption();
    EXPECT_EQ(rig.window->intervalPeaks().volts, 14);

    // A 10,000-digit number is not a number: volts stay, amps update.
    rig.device->write("[<V>" + std::string(10000, '9') + "</V><I>160</I>]");
    ASSERT_TRUE(rig.captionBecomes("Korvane  13V 3A")) << rig.caption();
    EXPECT_TRUE(rig.messages.messages.empty());
}

TEST(DeviceFaults, MegabytesWithoutBracketsKeepMemoryFlat) {
    Rig rig;
    rig.device->write("[<V>480</V><I>100</I>]");
    ASSERT_TRUE(rig.captionBecomes("Korvane  12V 0A"));
    const std::string noise(8 << 20, 'z');
    const std::string openNoise = "[" + noise; // an opening bracket that never closes
    const std::size_t before = heapInUseBytes();
    rig.writeInBackground(noise);
    rig.writeInBackground(openNoise);
    rig.device->write("[<V>500</V><I>100</I>]");
    ASSERT_TRUE(rig.captionBecomes("Korvane  12.5V 0A")) << rig.caption();
    // The 16 MB of noise must not be held.
    EXPECT_LT(heapInUseBytes(), before + 512 * 1024);
}

TEST(DeviceFaults, HangUpCostsNoCpuAndDecodingResumes) {
    Rig rig;
    rig.device->write("[<V>480</V><I>100</I>]");
    ASSERT_TRUE(rig.captionBecomes("Korvane  12V 0A"));
    rig.device.reset();
    ASSERT_TRUE(pumpUntil([&] { return !rig.window->serialPort().isOpen(); }, 3000));
    const double cpu = cpuSeconds();
    pumpUntil([] { return false; }, 3000);
    EXPECT_LT(cpuSeconds() - cpu, 0.3) << "the program must sleep while the device is away";

    // Energy and logging carry on with the last values meanwhile.
    rig.window->station().Timer3_Timer();
    rig.window->station().Timer1_Timer();
    EXPECT_NE(rig.dir.read("logs/2026_12_8.txt").find("<V>12</V>"), std::string::npos);

    rig.device = std::make_unique<PtyPair>(rig.dir.file("com1"));
    ASSERT_TRUE(pumpUntil([&] { return rig.window->serialPort().isOpen(); }, 9000));
    rig.device->write("[<V>520</V><I>100</I>]");
    EXPECT_TRUE(rig.captionBecomes("Korvane  13V 0A")) << rig.caption();
}

} // namespace
} // namespace korvane::test
