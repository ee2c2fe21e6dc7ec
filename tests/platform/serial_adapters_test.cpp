// How adapters are named, ordered and described in the setup dialog's list.

#include "platform/serial_adapters.h"
#include "support/temp_dir.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

TEST(SerialAdapters, StableNameIsTheByIdLinkLeadingToTheDevice) {
    test::TempDir dir;
    dir.write("dev/ttyUSB0", "");
    dir.write("dev/ttyUSB1", "");
    dir.mkdir("by-id");
    // Two names for USB0 (as for a two-interface adapter): the first by name
    // wins, so refreshes agree.  Relative targets, as udev makes them.
    ASSERT_EQ(::symlink("../dev/ttyUSB0", dir.file("by-id/usb-B-port0").c_str()), 0);
    ASSERT_EQ(::symlink("../dev/ttyUSB0", dir.file("by-id/usb-A-port0").c_str()), 0);
    ASSERT_EQ(::symlink("../dev/ttyUSB7", dir.file("by-id/usb-gone").c_str()), 0);

    const std::string byId = dir.file("by-id");
    EXPECT_EQ(stableAdapterPath(dir.file("dev/ttyUSB0"), byId), dir.file("by-id/usb-A-port0"));
    EXPECT_EQ(stableAdapterPath(dir.file("dev/ttyUSB1"), byId), dir.file("dev/ttyUSB1"));
    EXPECT_EQ(stableAdapterPath("/dev/ttyS0", dir.file("no-such-folder")), "/dev/ttyS0");
}

TEST(SerialAdapters, AdaptersWithAStableNameComeFirst) {
    std::vector<SerialAdapter> list = {
        {"/dev/ttyS0", "/dev/ttyS0", "", "", ""},
        {"/dev/serial/by-id/usb-Z", "/dev/ttyUSB0", "", "", ""},
        {"/dev/ttyACM0", "/dev/ttyACM0", "", "", ""},
        {"/dev/serial/by-id/usb-A", "/dev/ttyUSB1", "", "", ""},
    };
    sortAdapters(list);
    std::vector<std::string> paths;
    for (const auto& a : list)
        paths.push_back(a.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"/dev/serial/by-id/usb-A", "/dev/serial/by-id/usb-Z",
                                               "/dev/ttyACM0", "/dev/ttyS0"}));
}

TEST(SerialAdapters, LabelSaysWhatIsKnown) {
    const struct {
        SerialAdapter adapter;
        const char* label;
    } cases[] = {
        {{"/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0", "/dev/ttyUSB0", "FT232R USB UART",
          "FTDI", "A10K"},
         "/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0\nFT232R USB UART, FTDI, serial A10K, "
         "/dev/ttyUSB0"},
        {{"/dev/ttyACM0", "/dev/ttyACM0", "", "Arduino", ""}, "/dev/ttyACM0\nArduino"},
        {{"/dev/ttyS0", "/dev/ttyS0", "", "", ""}, "/dev/ttyS0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(adapterLabel(c.adapter), c.label);
}

TEST(SerialAdapters, AccessCheckGivesTheErrno) {
    test::TempDir dir;
    dir.write("dev", "");
    EXPECT_EQ(deviceAccessError(dir.file("dev")), 0);
    EXPECT_EQ(deviceAccessError(dir.file("missing")), ENOENT);
    // Mode 000 is refused to anyone without CAP_DAC_OVERRIDE; root keeps it.
    ASSERT_EQ(::chmod(dir.file("dev").c_str(), 0), 0);
    EXPECT_EQ(deviceAccessError(dir.file("dev")), ::geteuid() == 0 ? 0 : EACCES);
}

} // namespace
} // namespace korvane
