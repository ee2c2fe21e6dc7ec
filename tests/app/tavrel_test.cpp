#include "tavrel_fixture.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string_view>
#include <thread>

namespace korvane::test {
namespace {

constexpr const char* kPacket = "[<V>512</V><I>130</I><R>42</R><M>1</M><S>17</S>]";

TEST(MainWindowStartUp, WaitsForSignalWithThePortOpenAtTheLineSettings) {
    MainWindowFixture f(programWith([](ProgramConfig& c) { c.Port = "2.5"; }));
    f.start();
    EXPECT_EQ(f.caption(), "Korvane - Waiting for Signal");
    EXPECT_TRUE(f.port->isOpen());
    EXPECT_EQ(f.port->portNumber(), 2); // 2.5 rounds half to even
    EXPECT_EQ(f.port->settings(), "4800,N,8,1");
    EXPECT_EQ(f.port->inputLength(), 0);
    EXPECT_FALSE(f.button("StopLogging")->isEnabled());
    EXPECT_TRUE(f.timer("Timer3")->isActive());
    EXPECT_EQ(f.timer("Timer3")->interval(), 5000);
    EXPECT_EQ(f.timer("Timer1")->timerType(), Qt::PreciseTimer); // 10.5 s is not 10 s
    for (const auto& [value, label] : f.rows())
        EXPECT_EQ(value, "0.0") << label.toStdString();
}

TEST(MainWindowStartUp, AutomaticLoggingClampsTheIntervalText) {
    struct Case {
        const char* logOn;
        const char* logDelay;
        bool running;
        const char* shown;
        int periodMs;
    } cases[] = {
        {"1", "700", true, "600", 600000},  {"1", "5", true, "10", 10000},
        {"1", "600", true, "600", 600000},  {"1", "10", true, "10", 10000},
        {"1", "10.5", true, "10.5", 10500}, {"1", "abc", false, "abc", 0},
        {"0", "60", false, "60", 0},        {"yes", "60", false, "60", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.logOn) + " / " + c.logDelay);
        MainWindowFixture f(programWith([&](ProgramConfig& p) {
            p.LogOn = c.logOn;
            p.LogDelay = c.logDelay;
        }));
        f.start();
        EXPECT_EQ(f.timer("Timer1")->isActive(), c.running);
        EXPECT_EQ(f.delayText().toStdString(), c.shown);
        if (c.running) {
            EXPECT_EQ(f.timer("Timer1")->interval(), c.periodMs);
        }
        EXPECT_EQ(f.button("StartLogging")->isEnabled(), !c.running);
        EXPECT_EQ(f.button("StopLogging")->isEnabled(), c.running);
        EXPECT_EQ(f.child<QLineEdit>("delay")->isEnabled(), !c.running);
        EXPECT_TRUE(f.messages.messages.empty());
    }
}

TEST(MainWindowStartUp, APortThatIsNotANumberLeavesTheWindowRunningWithoutAPort) {
    MainWindowFixture f(programWith([](ProgramConfig& c) { c.Port = "com1"; }));
    f.start();
    EXPECT_FALSE(f.port->isOpen());
    EXPECT_TRUE(f.child<QLabel>("PortStatus")->text().contains("not a port number"));
    EXPECT_TRUE(f.timer("Timer3")->isActive());
}

TEST(MainWindowPackets, UpdateListCaptionAndModeLabel) {
    MainWindowFixture f(programWith([](ProgramConfig& c) {
        c.DisplayRPM = "1";
        c.DisplayWS = "1";
    }));
    f.start();
    f.port->receive(kPacket);
    using Rows = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(f.rows(), (Rows{{"12.8", "Volts"},
                              {"1.5", "Amps"},
                              {"19.2", "Watts"},
                              {"0", "WattHours"},
                              {"420", "RPM"},
                              {"8.5", "km/h"}}));
    EXPECT_EQ(f.caption(), "Korvane  12.8V 1.5A");
    EXPECT_EQ(f.child<QLabel>("txtMode")->text(), "On Load");
    EXPECT_EQ(f.child<QTreeWidget>("ListView1")->font().pointSize(), 18);

    f.port->receive("[<V>512</V>]"); // no I: amps (0 - 100) / 20; no M: mode 0
    EXPECT_EQ(f.caption(), "Korvane  12.8V -5A");
    EXPECT_EQ(f.child<QLabel>("txtMode")->text(), "");
}

TEST(MainWindowPackets, SplitAndBurstReadsDecodeEveryPacketInOrder) {
    MainWindowFixture f;
    f.start();
    f.port->receive("junk[<V>4");
    EXPECT_EQ(f.caption(), "Korvane - Waiting for Signal");
    f.port->receive("80</V>][<V>520</V>][<V>5");
    EXPECT_EQ(f.caption(), "Korvane  13V -5A");
    f.port->receive("00</V>]");
    EXPECT_EQ(f.caption(), "Korvane  12.5V -5A");
}

TEST(MainWindowPackets, LampsLightAndTimer2TurnsBothBackToTheButtonFace) {
    MainWindowFixture f(programWith([](ProgramConfig& c) {
        c.LogOn = "1";
        c.LogDelay = "10";
    }));
    f.start();
    const QColor red(255, 0, 0);
    const QColor face = QPalette().color(QPalette::Button);
    ASSERT_NE(face, red);
    auto* data = f.button("BlinkData");
    auto* log = f.button("BlinkLog");
    f.port->receive(kPacket);
    EXPECT_EQ(data->palette().color(QPalette::Button), red);
    EXPECT_TRUE(f.timer("Timer2")->isActive());
    EXPECT_EQ(f.timer("Timer2")->interval(), 250);
    const int remaining = f.timer("Timer2")->remainingTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    // A second packet and a log tick do not restart the lamp timer: the
    // lamps go out 250 ms after the first event, whatever follows.
    f.port->receive(kPacket);
    f.window->station().Timer1_Timer();
    EXPECT_EQ(log->palette().color(QPalette::Button), red);
    EXPECT_LE(f.timer("Timer2")->remainingTime(), remaining - 40);
    f.window->Timer2_Timer();
    for (auto* lamp : {data, log}) {
        EXPECT_EQ(lamp->palette().color(QPalette::Button), face)
            << lamp->objectName().toStdString();
        EXPECT_EQ(lamp->palette().color(QPalette::Window), face);
    }
    EXPECT_FALSE(f.timer("Timer2")->isActive());
}

TEST(MainWindowEnergy, SeventyTwoWattsForAMinuteAddsOnePointTwo) {
    MainWindowFixture f(defaultProgramConfig(), {"1", "0", "1", "6", "2"});
    f.start();
    f.port->receive("[<V>12</V><I>6</I>]"); // 72 W
    for (int i = 0; i < 12; ++i) {
        f.window->station().Timer3_Timer();
        f.clock.advanceSeconds(5);
    }
    EXPECT_NEAR(f.window->wattHours(), 1.2, 1e-9);
    f.port->receive("[<V>12</V><I>6</I>]");
    EXPECT_EQ(f.rows()[3].first, "1.2");
}

TEST(MainWindowEnergy, RestartsAfterMidnightAndAfterAMissedMidnight) {
    MainWindowFixture f(defaultProgramConfig(), {"1", "0", "1", "6", "2"});
    f.clock.set({2026, 12, 8, 23, 59, 58, 0});
    f.start();
    f.port->receive("[<V>12</V><I>6</I>]");
    f.window->station().Timer3_Timer();
    EXPECT_NEAR(f.window->wattHours(), 0.1, 1e-9);
    f.clock.advanceSeconds(5); // 00:00:03
    f.window->station().Timer3_Timer();
    EXPECT_NEAR(f.window->wattHours(), 0.1, 1e-9); // cleared, then one share
    f.clock.advanceSeconds(10);
    f.window->station().Timer3_Timer();
    EXPECT_NEAR(f.window->wattHours(), 0.2, 1e-9);
    // Asleep from the evening to the next morning: no tick near midnight.
    f.clock.set({2026, 12, 9, 22, 0, 0, 0});
    f.window->station().Timer3_Timer();
    f.clock.set({2026, 12, 10, 6, 30, 0, 0});
    f.window->station().Timer3_Timer();
    EXPECT_NEAR(f.window->wattHours(), 0.1, 1e-9);
}

TEST(MainWindowLogging, StartStopStatesMessageAndPeakReset) {
    MainWindowFixture f;
    f.start();
    auto* delay = f.child<QLineEdit>("delay");
    delay->setText("ten");
    f.button("StartLogging")->click();
    EXPECT_EQ(
        f.messages.messages,
        std::vector<std::string>{"Invalid delay period, needs to be a number between 10 and 600"});
    EXPECT_FALSE(f.timer("Timer1")->isActive());
    EXPECT_EQ(delay->text(), "ten");

    f.port->receive(kPacket); // logging stopped: peaks do not move
    EXPECT_EQ(f.window->intervalPeaks(), IntervalPeaks{});

    delay->setText(" 12.5 ");
    f.button("StartLogging")->click();
    EXPECT_TRUE(f.timer("Timer1")->isActive());
    EXPECT_EQ(f.timer("Timer1")->interval(), 12500);
    EXPECT_EQ(delay->text(), " 12.5 ");
    EXPECT_FALSE(delay->isEnabled());
    EXPECT_FALSE(f.button("StartLogging")->isEnabled());
    EXPECT_TRUE(f.button("StopLogging")->isEnabled());

    f.port->receive(kPacket);
    EXPECT_EQ(f.window->intervalPeaks(), (IntervalPeaks{12.8, 1.5, 19.2, 420, 8.5}));
    f.button("StopLogging")->click();
    EXPECT_FALSE(f.timer("Timer1")->isActive());
    EXPECT_TRUE(delay->isEnabled());
    f.button("StartLogging")->click();
    EXPECT_EQ(f.window->intervalPeaks(), IntervalPeaks{}); // a restart starts from zero
}

TEST(MainWindowLogging, TickWritesTheExactRecordAndResetsThePeaks) {
    MainWindowFixture f(programWith([](ProgramConfig& c) {
        c.LogOn = "1";
        c.LogDelay = "10";
    }));
    f.clock.set({2026, 7, 4, 14, 5, 30, 0});
    f.start();
    f.port->receive("[<V>540.8</V><I>182</I><R>58.4</R><M>1</M><S>24.6</S>]");
    f.port->receive("[<V>500</V><I>120</I><R>10</R><M>0</M><S>2</S>]");
    f.window->station().Timer1_Timer();
    EXPECT_EQ(f.dir.read("logs/2026_7_4.txt"),
              "<V>13.52</V><I>4.1</I><W>55.43</W><R>584</R><S>12.3</S><M>0</M><T>14:05</T>\r\n");
    EXPECT_EQ(f.window->intervalPeaks(), IntervalPeaks{});
    EXPECT_EQ(f.button("BlinkLog")->palette().color(QPalette::Button), QColor(255, 0, 0));

    // An interval without packets records zeros and the last mode.
    f.clock.advanceSeconds(10);
    f.window->station().Timer1_Timer();
    const std::string log = f.dir.read("logs/2026_7_4.txt");
    EXPECT_EQ(log.substr(log.find('\n') + 1),
              "<V>0</V><I>0</I><W>0</W><R>0</R><S>0</S><M>0</M><T>14:05</T>\r\n");
}

TEST(MainWindowLogging, ReloadRewritesTheIntervalBoxButNotTheRunningRate) {
    MainWindowFixture f(programWith([](ProgramConfig& c) {
        c.LogOn = "1";
        c.LogDelay = "30";
    }));
    f.start();
    f.windows.onSetup = [&] {
        saveProgramConfig(f.dir.path(), programWith([](ProgramConfig& c) { c.LogDelay = "90"; }));
    };
    f.button("Setup")->click();
    EXPECT_EQ(f.delayText(), "90");
    EXPECT_EQ(f.timer("Timer1")->interval(), 30000);
    EXPECT_TRUE(f.timer("Timer1")->isActive());
}

TEST(MainWindowDialogs, SetupClosesThePortAndReopensOnTheNewNumber) {
    MainWindowFixture f;
    f.start();
    f.port->receive(kPacket);
    f.windows.onSetup = [&] {
        EXPECT_FALSE(f.port->isOpen());
        saveProgramConfig(f.dir.path(), programWith([](ProgramConfig& c) {
                              c.Port = "2";
                              c.DisplayRPM = "1";
                          }));
    };
    f.button("Setup")->click();
    EXPECT_EQ(f.windows.setupCount, 1);
    EXPECT_TRUE(f.port->isOpen());
    EXPECT_EQ(f.port->portNumber(), 2);
    ASSERT_EQ(f.rows().size(), 5u);
    for (const auto& [value, label] : f.rows())
        EXPECT_EQ(value, "0.0");
    EXPECT_EQ(f.window->liveReading().volts, 12.8); // kept behind the placeholders
}

TEST(MainWindowDialogs, CalibrateHandsOverThePortAndReopensTheOldNumber) {
    MainWindowFixture f;
    f.start();
    f.windows.onCalibrate = [&](SerialPort& own) {
        EXPECT_FALSE(f.port->isOpen()); // only one control holds the port
        EXPECT_NE(&own, f.port);
        saveProgramConfig(f.dir.path(), programWith([](ProgramConfig& c) { c.Port = "5"; }));
        saveCalibrationConfig(f.dir.path(), {"20", "100", "20", "6", "2"});
    };
    f.button("CalibrateButton")->click();
    EXPECT_TRUE(f.port->isOpen());
    EXPECT_EQ(f.port->portNumber(), 1);
    f.port->receive(kPacket);
    EXPECT_EQ(f.caption(), "Korvane  25.6V 1.5A"); // new calibration in force
}

TEST(MainWindowDialogs, ShowLogsKeepsThePortOpenAndExitClosesIt) {
    MainWindowFixture f;
    f.start();
    f.windows.onShowLogs = [&] { EXPECT_TRUE(f.port->isOpen()); };
    f.button("ShowLogs")->click();
    EXPECT_EQ(f.windows.showLogsCount, 1);
    f.window->show();
    f.button("Exit")->click();
    EXPECT_FALSE(f.port->isOpen());
    EXPECT_FALSE(f.window->isVisible());
}

TEST(MainWindowLocale, DecimalCommaInTheListCaptionAndLog) {
    MainWindowFixture f(programWith([](ProgramConfig& c) {
        c.LogOn = "1";
        c.LogDelay = "12,5";
    }));
    f.start(NumberFormat{','});
    EXPECT_EQ(f.timer("Timer1")->interval(), 12500);
    f.port->receive("[<V>514</V><I>130</I>]");
    EXPECT_EQ(f.caption(), "Korvane  12,85V 1,5A");
    f.window->station().Timer1_Timer();
    EXPECT_EQ(f.dir.read("logs/2026_12_8.txt").substr(0, 27), "<V>12,85</V><I>1,5</I><W>19");
}

} // namespace
} // namespace korvane::test

namespace korvane::test {
namespace {

TEST(MainWindowBadFiles, AnySettingsFileStartsAWorkingWindow) {
    // string_view literals keep the NUL bytes of the junk cases.
    using namespace std::string_view_literals;
    struct Case {
        const char* name;
        std::optional<std::string_view> prog;     // nothing: no file
        std::optional<std::string_view> settings; // nothing: no file
        bool portOpen;
        bool logging;
    } cases[] = {
        {"missing files", std::nullopt, std::nullopt, true, false},
        {"empty files", "", "", true, false},
        {"truncated", "Program Config File\r\n\r\n<Port>1</Port>\r\n<LogOn>1</Lo", "<VoltDiv", true,
         false},
        {"tags reversed", "</Port>2<Port></LogOn>1<LogOn>", "</VoltDivider>0<VoltDivider>", true,
         false},
        {"huge values", "<Port>1</Port><LogOn>1</LogOn><LogDelay>1e308</LogDelay>",
         "<VoltDivider>1e308</VoltDivider><AmpDivider>-1e-308</AmpDivider>", true, true},
        {"binary junk", "\x01\x02\xff\xfe<Port>\x80</Port>"sv,
         "\x00\xff<VoltDivider>\x00</VoltDivider><AmpDivider>0\x00</AmpDivider>"sv, false, false},
        {"port out of range", "<Port>99999</Port>", std::nullopt, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f;
        std::filesystem::remove(f.dir.file("prog.cfg"));
        std::filesystem::remove(f.dir.file("settings.cfg"));
        if (c.prog)
            f.dir.write("prog.cfg", std::string(*c.prog));
        if (c.settings) {
            f.dir.write("settings.cfg", std::string(*c.settings));
            ASSERT_EQ(f.dir.read("settings.cfg").size(), c.settings->size());
        }
        f.start();
        EXPECT_EQ(f.port->isOpen(), c.portOpen);
        EXPECT_EQ(f.timer("Timer1")->isActive(), c.logging);
        f.port->receive("[<V>512</V><I>130</I><R>42</R><M>1</M><S>17</S>]");
        f.window->station().Timer3_Timer();
        f.window->station().Timer1_Timer();
        for (double v : {f.window->liveReading().volts, f.window->liveReading().amps,
                         f.window->liveReading().watts, f.window->wattHours()})
            EXPECT_TRUE(std::isfinite(v));
        EXPECT_TRUE(f.messages.messages.empty());
    }
}

} // namespace
} // namespace korvane::test

namespace korvane::test {
namespace {

TEST(MainWindowBattery, SaysWhichWayTheCurrentFlowsOnceDataCame) {
    MainWindowFixture f;
    f.start();
    auto* line = f.child<QLabel>("BatteryState");
    EXPECT_FALSE(line->isVisibleTo(f.window.get())); // nothing known before a packet
    f.port->receive("[<V>512</V><I>130</I>]");
    EXPECT_TRUE(line->isVisibleTo(f.window.get()));
    EXPECT_EQ(line->text().toStdString(), "Charging: 1.5 A in, battery good");
    f.port->receive("[<V>480</V><I>92</I>]"); // 12 V, -0.4 A
    EXPECT_EQ(line->text().toStdString(), "Discharging: 0.4 A out, battery part charged");
}

TEST(MainWindowPainting, ListDrawsEachValueAndTheBatteryLineSpansTheWindow) {
    MainWindowFixture f;
    f.start();
    f.window->show();
    auto* list = f.child<QTreeWidget>("ListView1");
    const QRect volts = list->visualRect(list->model()->index(0, 1));
    const auto voltsCell = [&](const char* packet) {
        f.port->receive(packet);
        return list->viewport()->grab(volts).toImage();
    };
    const QImage v128 = voltsCell("[<V>512</V><I>130</I>]");
    int inked = 0;
    for (int y = 0; y < v128.height(); ++y)
        for (int x = 0; x < v128.width(); ++x)
            inked += qGray(v128.pixel(x, y)) < 100;
    EXPECT_GT(inked, 20); // the digits are there
    const QImage v120 = voltsCell("[<V>480</V><I>130</I>]");
    EXPECT_NE(v120, v128);
    // Back to a value drawn before: the same picture as the first time.
    EXPECT_EQ(voltsCell("[<V>512</V><I>130</I>]"), v128);

    auto* line = f.child<QLabel>("BatteryState");
    EXPECT_GT(line->width(), list->width());
    EXPECT_EQ(line->width(), line->parentWidget()->width());
}

} // namespace
} // namespace korvane::test
