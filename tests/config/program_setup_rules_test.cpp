// Rules of the program setup dialog: the port check, check box values and
// the note that says where a port number leads.

#include "config/program_setup_rules.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace korvane {
namespace {

const NumberFormat kPoint{'.'};

TEST(ProgramSetupRules, PortMustBeANumberFromOneToEight) {
    const struct {
        const char* text;
        bool ok;
    } cases[] = {
        {"1", true},  {"8", true},  {"1.5", true},   {" 2 ", true}, {"1e0", true},
        {"0", false}, {"9", false}, {"8.01", false}, {"-1", false}, {"abc", false},
        {"", false},  {" ", false}, {"1,5", false},  {"2x", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidPortText(c.text, kPoint), c.ok) << '"' << c.text << '"';
    EXPECT_TRUE(isValidPortText("1,5", NumberFormat{','}));
    EXPECT_FALSE(isValidPortText("1.5", NumberFormat{','}));
}

TEST(ProgramSetupRules, CheckBoxValuesFromTheFile) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"0", 0},   {"1", 1}, {"2", 2},  {" 1 ", 1}, {"1.5", 2}, {"0.5", 0},
        {"2.5", 2}, {"3", 0}, {"-1", 0}, {"", 0},    {"yes", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkBoxValue(c.text, kPoint), c.value) << '"' << c.text << '"';
    EXPECT_EQ(checkBoxText(2), "2");
}

TEST(ProgramSetupRules, PortNoteShowsTheDeviceAndWhetherItIsThere) {
    test::TempDir dir;
    dir.write("adapter", "");
    ASSERT_EQ(::symlink(dir.file("adapter").c_str(), dir.file("com3").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("unplugged").c_str(), dir.file("com4").c_str()), 0);

    EXPECT_EQ(portDeviceNote("3", dir.path(), kPoint), "Uses com3 -> " + dir.file("adapter"));
    EXPECT_EQ(portDeviceNote("3.4", dir.path(), kPoint), "Uses com3 -> " + dir.file("adapter"));
    EXPECT_EQ(portDeviceNote("4", dir.path(), kPoint),
              "Uses com4 -> " + dir.file("unplugged") + " (not found)");
    EXPECT_EQ(portDeviceNote("7", dir.path(), kPoint).rfind("Uses /dev/ttyS6", 0), 0u);
    EXPECT_EQ(portDeviceNote("9", dir.path(), kPoint), "");
    EXPECT_EQ(portDeviceNote("", dir.path(), kPoint), "");
}

TEST(ProgramSetupRules, SaveFailureNamesTheFile) {
    const std::string text = setupSaveFailedMessage("/opt/korvane/prog.cfg");
    EXPECT_NE(text.find("/opt/korvane/prog.cfg"), std::string::npos);
}

} // namespace
} // namespace korvane
