// What the logging tick hands to the optional outputs, and the status lines
// at the foot of the main window.

#include "tavrel_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace korvane::test {
namespace {

TEST(MainWindowOutputs, TheTickPassesTotalPeaksAndUnitsToEveryOutput) {
    MainWindowFixture f(programWith([](ProgramConfig& c) {
                            c.Savehtml = "1";
                            c.SaveExcel = "1";
                            c.WSUnits = "mph";
                        }),
                        {"1", "0", "1", "6", "2"});
    f.clock.set({2026, 7, 4, 14, 5, 9, 0});
    f.dir.write("html/template.asp", "<VV>|<II>|<WW>|<WH>|<RR>|<SS>|<MM>|<TT>");
    f.start();
    f.port->receive("[<V>12</V><I>6</I><R>60</R><S>10</S><M>1</M>]"); // 72 W
    f.window->station().Timer3_Timer();
    f.clock.advanceSeconds(5);
    f.window->station().Timer3_Timer(); // two shares of 72 W: 0.2 Wh
    f.button("StartLogging")->click();  // peaks count from here
    f.port->receive("[<V>13</V><I>2</I><R>30</R><S>4</S><M>1</M>]");
    f.port->receive("[<V>12</V><I>6</I><R>60</R><S>10</S><M>1</M>]");
    f.window->station().Timer1_Timer();

    // Volts peaked in the first packet, everything else in the second.
    EXPECT_EQ(f.dir.read("html/log.asp"), "13|6|72|0.2|600|5|Load On|14:05:14\r\n");
    EXPECT_EQ(f.dir.read("html/history4_07_2026.txt"),
              "13V\t\t6A\t\t72W\t\t600RPM\t\t5mph\t\tLoad On\t\t14:05:14\r\n");
    const std::string sheet = f.dir.read("Excel/2026_7_4.xls");
    EXPECT_NE(sheet.find("<td><b>mph</b></td>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<tr><td>13</td><td>6</td><td>72</td><td>600</td><td>5</td><td>Load On"
                         "</td><td>14:05:14</td></tr>"),
              std::string::npos)
        << sheet;
    EXPECT_EQ(f.child<QLabel>("LogStatus")->text(), "");
}

TEST(MainWindowOutputs, LogStatusSaysWhatWaitsAndClearsItself) {
    MainWindowFixture f(programWith([](ProgramConfig& c) {
        c.LogOn = "1";
        c.LogDelay = "10";
    }));
    f.dir.mkdir("logs/2026_12_8.txt"); // a folder where today's log should be
    f.start();
    auto* status = f.child<QLabel>("LogStatus");
    f.window->station().Timer1_Timer();
    f.window->station().Timer1_Timer();
    EXPECT_EQ(status->text(),
              QString::fromStdString("Log not written: " + f.dir.file("logs/2026_12_8.txt") +
                                     ": Is a directory; 2 records waiting"));
    EXPECT_TRUE(f.messages.messages.empty());

    // Freed while logging is stopped: the energy timer's retry writes them.
    f.button("StopLogging")->click();
    std::filesystem::remove(f.dir.file("logs/2026_12_8.txt"));
    f.window->station().Timer3_Timer();
    EXPECT_EQ(status->text(), "");
    const std::string log = f.dir.read("logs/2026_12_8.txt");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

TEST(MainWindowOutputs, PortLineSaysWhenADialogHoldsThePort) {
    MainWindowFixture f;
    f.start();
    auto* status = f.child<QLabel>("PortStatus");
    QString duringSetup, duringCalibration;
    f.windows.onSetup = [&] {
        f.window->station().Timer3_Timer(); // the line refreshes while the dialog is open
        duringSetup = status->text();
    };
    f.windows.onCalibrate = [&](SerialPort&) {
        f.window->station().Timer3_Timer();
        duringCalibration = status->text();
    };
    f.button("Setup")->click();
    f.button("CalibrateButton")->click();
    EXPECT_TRUE(duringSetup.endsWith("(closed while Program Setup is open)"))
        << duringSetup.toStdString();
    EXPECT_TRUE(duringCalibration.endsWith("(handed to the calibration dialog)"))
        << duringCalibration.toStdString();
    EXPECT_TRUE(status->text().endsWith("(open)"));
}

TEST(MainWindowPortLine, SaysWhyThePortIsNotOpen) {
    const struct {
        PortProblem problem;
        const char* says;
    } cases[] = {
        {{PortFault::NoDevice, ""}, "(waiting for the device)"},
        {{PortFault::NoPermission, ""},
         "(no permission: add your user to the dialout group, then log in again)"},
        {{PortFault::Busy, ""}, "(in use by another program)"},
        {{PortFault::Other, "Input/output error"}, "(Input/output error)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        MainWindowFixture f;
        f.makePort = [&c](FakeSerialPort& p) { p.failOpensWith(c.problem); };
        f.start();
        EXPECT_EQ(f.child<QLabel>("PortStatus")->text(), QString("Port 1: /dev/ttyS0 ") + c.says);
    }
}

TEST(MainWindowPortLine, AnOpenButSilentPortIsNotCalledOpenAndItsValuesGoGrey) {
    MainWindowFixture f;
    f.start();
    auto* status = f.child<QLabel>("PortStatus");
    auto* list = f.child<QTreeWidget>("ListView1");
    const auto valueColour = [&] { return list->topLevelItem(0)->foreground(1).color(); };
    f.port->receive("[<V>512</V><I>130</I>]");
    const QColor live = valueColour();
    f.clock.advanceSeconds(9);
    f.window->station().Timer3_Timer();
    EXPECT_EQ(status->text(), "Port 1: /dev/ttyS0 (open)");
    const auto rowsBefore = f.rows();
    const int widthBefore = f.window->sizeHint().width();
    f.clock.advanceSeconds(3);
    f.window->station().Timer3_Timer();
    EXPECT_EQ(status->text(),
              "Port 1: /dev/ttyS0 (open, nothing received for 12 s: check the board's power and "
              "wiring, and that this is the right port)");
    EXPECT_EQ(valueColour(), QColor(150, 150, 150));
    EXPECT_EQ(f.rows(), rowsBefore);                      // only the colour changes
    EXPECT_EQ(f.window->sizeHint().width(), widthBefore); // the long line wraps

    f.port->receive("[<V>512</V><I>130</I>]");
    EXPECT_EQ(status->text(), "Port 1: /dev/ttyS0 (open)");
    EXPECT_EQ(valueColour(), live);
}

} // namespace
} // namespace korvane::test
