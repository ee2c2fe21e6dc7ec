// The Alarms dialog driven as a user would, against real files.

#include "alarms/alarm_config.h"
#include "alarms/ui/alarms_dialog.h"
#include "platform/files.h"
#include "support/event_pump.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvane {
namespace {

using test::pumpUntil;
using test::TempDir;

class AlarmsDialogTest : public ::testing::Test {
protected:
    QLineEdit* box(Alarms& d, const char* name) {
        auto* w = d.findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QCheckBox* check(Alarms& d, const char* name) {
        d.show(); // lays the rows out, so a click lands on the box
        auto* w = d.findChild<QCheckBox*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    void save(Alarms& d) {
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Save")), Qt::LeftButton);
    }

    TempDir dir;
    RecordingMessageSink messages;
    NumberFormat fmt{'.'};
};

TEST_F(AlarmsDialogTest, ShowsTheDefaultsAndSavesTheEdits) {
    Alarms d(dir.path(), fmt, messages);
    EXPECT_EQ(d.objectName(), "Alarms");
    EXPECT_EQ(d.windowTitle(), "Alarms");
    EXPECT_EQ(box(d, "LowVolts")->text(), "11.5");
    EXPECT_EQ(box(d, "HighVoltsClear")->text(), "14.2");
    EXPECT_EQ(box(d, "NoDataMinutes")->text(), "5");
    EXPECT_EQ(box(d, "Command")->text(), "");
    EXPECT_FALSE(check(d, "LowVoltsOn")->isChecked());

    QTest::mouseClick(check(d, "LowVoltsOn"), Qt::LeftButton);
    QTest::mouseClick(check(d, "NoDataOn"), Qt::LeftButton);
    type(box(d, "LowVolts"), "11.8");
    type(box(d, "HighRPM"), "1700");
    type(box(d, "HoldSeconds"), "30");
    type(box(d, "Command"), "/home/me/alarm \"x\".sh");
    QSignalSpy accepted(&d, &QDialog::accepted);
    save(d);

    EXPECT_EQ(accepted.count(), 1);
    EXPECT_TRUE(messages.messages.empty());
    AlarmConfig expected = defaultAlarmConfig(fmt);
    expected.LowVoltsOn = "1";
    expected.NoDataOn = "1";
    expected.LowVolts = "11.8";
    expected.HighRPM = "1700";
    expected.HoldSeconds = "30";
    expected.Command = "/home/me/alarm \"x\".sh";
    EXPECT_EQ(dir.read("alarms.cfg"), formatAlarmConfig(expected));
    EXPECT_NE(
        dir.read("alarms.cfg").find("<LowVoltsOn>1</LowVoltsOn>\r\n<LowVolts>11.8</LowVolts>"),
        std::string::npos);
}

TEST_F(AlarmsDialogTest, ShowsTheFileItReads) {
    dir.write("alarms.cfg", "<HighAmpsOn>1</HighAmpsOn><HighAmps>40</HighAmps>"
                            "<Command>/bin/true</Command>");
    Alarms d(dir.path(), fmt, messages);
    EXPECT_TRUE(check(d, "HighAmpsOn")->isChecked());
    EXPECT_FALSE(check(d, "HighRPMOn")->isChecked());
    EXPECT_EQ(box(d, "HighAmps")->text(), "40");
    EXPECT_EQ(box(d, "HighAmpsClear")->text(), "25");
    EXPECT_EQ(box(d, "Command")->text(), "/bin/true");
}

TEST_F(AlarmsDialogTest, RefusesBadFieldsNamingThemAndKeepsTheFile) {
    const std::string original = "<LowVoltsOn>1</LowVoltsOn>";
    struct Case {
        const char* field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"LowVolts", "11.5V", "Battery low level must be a number."},
        {"HighWindClear", "", "Wind high clear level must be a number."},
        {"LowVoltsClear", "11",
         "Battery low clear level must be at or above the Battery low level, so the alarm "
         "clears on the safe side."},
        {"HighAmpsClear", "31",
         "Current high clear level must be at or below the Current high level, so the alarm "
         "clears on the safe side."},
        {"NoDataMinutes", "-5", "No data minutes must be a number above 0."},
        {"OutputLowClear", "80",
         "Turbine output low clear level must be at or above the Turbine output low level, so "
         "the alarm clears on the safe side."},
        {"BatteryGood", "12.4 V", "Battery level good must be a number."},
        {"BatteryFull", "12", "Battery level nearly full must be above the Battery level good."},
        {"BatteryGood", "11.7", "Battery level good must be above the Battery level low."},
        {"IdleBand", "-1", "Idle band must be a number, 0 or more."},
    };
    for (const Case& c : cases) {
        dir.write("alarms.cfg", original);
        messages.messages.clear();
        Alarms d(dir.path(), fmt, messages);
        type(box(d, c.field), QString::fromLatin1(c.text));
        QSignalSpy finished(&d, &QDialog::finished);
        save(d);
        EXPECT_EQ(finished.count(), 0) << c.field;
        EXPECT_EQ(messages.messages, std::vector<std::string>{c.message}) << c.field;
        EXPECT_EQ(dir.read("alarms.cfg"), original) << c.field;
        EXPECT_EQ(box(d, c.field)->text(), QString::fromLatin1(c.text));
    }
}

TEST_F(AlarmsDialogTest, UsesTheLocaleSeparator) {
    const NumberFormat comma{','};
    Alarms d(dir.path(), comma, messages);
    EXPECT_EQ(box(d, "LowVolts")->text(), "11,5");
    type(box(d, "HighVolts"), "15.1");
    save(d);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Battery high level must be a number."});
    type(box(d, "HighVolts"), "15,1");
    save(d);
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(loadAlarmConfig(dir.path(), comma).HighVolts, "15,1");
}

TEST_F(AlarmsDialogTest, AFailedSaveNamesTheFileAndStaysOpen) {
    const std::string folder = dir.file("gone");
    Alarms d(folder, fmt, messages);
    type(box(d, "HighRPM"), "1600");
    QSignalSpy finished(&d, &QDialog::finished);
    save(d);
    EXPECT_EQ(finished.count(), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0],
              "The alarm settings could not be saved to " + folder +
                  "/alarms.cfg (No such file or directory).\nThe file was left as it was. Check "
                  "that the folder exists and can be written to, then press \"Save\" again.");
    EXPECT_EQ(box(d, "HighRPM")->text(), "1600");
}

TEST_F(AlarmsDialogTest, ClosingByTheFrameDiscardsTheEdits) {
    Alarms d(dir.path(), fmt, messages);
    d.show();
    QTest::mouseClick(check(d, "HighVoltsOn"), Qt::LeftButton);
    type(box(d, "HighVolts"), "16");
    QSignalSpy rejected(&d, &QDialog::rejected);
    d.close();
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_FALSE(fileExists(dir.file("alarms.cfg")));
}

TEST_F(AlarmsDialogTest, TurbineOutputLowAndTheBatteryLevelsAreEditedLikeTheRest) {
    Alarms d(dir.path(), fmt, messages);
    EXPECT_FALSE(check(d, "OutputLowOn")->isChecked());
    EXPECT_EQ(check(d, "OutputLowOn")->text(), "Turbine output low");
    EXPECT_EQ(box(d, "OutputLow")->text(), "85");
    EXPECT_EQ(box(d, "OutputLowClear")->text(), "90");
    const char* levels[] = {"BatteryLow", "BatteryGood", "BatteryFull", "IdleBand"};
    const char* shown[] = {"11.8", "12.4", "13.8", "0.1"};
    auto* group = d.findChild<QGroupBox*>(QStringLiteral("BatteryLevels"));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), "Battery levels");
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(box(d, levels[i])->text(), shown[i]) << levels[i];
        EXPECT_EQ(box(d, levels[i])->parentWidget(), group) << levels[i];
    }
    EXPECT_EQ(box(d, "IdleBand")->accessibleName(), "Idle band");

    QTest::mouseClick(check(d, "OutputLowOn"), Qt::LeftButton);
    type(box(d, "OutputLow"), "80");
    type(box(d, "BatteryLow"), "23.6");
    type(box(d, "BatteryGood"), "24.8");
    type(box(d, "BatteryFull"), "27.6");
    save(d);
    EXPECT_TRUE(messages.messages.empty());
    const AlarmConfig saved = loadAlarmConfig(dir.path(), fmt);
    EXPECT_EQ(alarmSettings(saved, fmt).outputLow, (LevelAlarm{true, 80, 90}));
    EXPECT_EQ(batteryLevels(saved, fmt), (BatteryLevels{23.6, 24.8, 27.6, 0.1}));
}

class TestCommandTest : public AlarmsDialogTest {
protected:
    QPushButton* button(Alarms& d) {
        return d.findChild<QPushButton*>(QStringLiteral("TestCommand"));
    }
    QString result(Alarms& d) { return d.findChild<QLabel*>(QStringLiteral("TestResult"))->text(); }
    void script(const std::string& name, const std::string& body) {
        dir.write(name, "#!/bin/sh\n" + body);
        chmod(dir.file(name).c_str(), 0755);
    }
};

TEST_F(TestCommandTest, RunsTheTypedCommandOnceAndShowsHowItEnded) {
    script("hook.sh",
           "printf '%s|' \"$@\" > \"$0.args\"\necho \"$KORVANE_ALARM_ID\" >> \"$0.args\"\n"
           "sleep 0.3\necho 'texted 2 phones'\n");
    script("fails.sh", "echo 'no modem' >&2\nexit 4\n");
    struct Case {
        const char* command;
        const char* result; // a prefix of the line shown
    };
    const Case cases[] = {
        {" ./hook.sh ", "Test: exit code 0, last line: texted 2 phones"},
        {"./fails.sh", "Test: exit code 4, last line: no modem"},
        {"./missing.sh", "Test: cannot start: "},
        {"  ", "Test: type a command in the Command box first."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        Alarms d(dir.path(), fmt, messages);
        d.show();
        type(box(d, "Command"), QString::fromLatin1(c.command));
        QTest::mouseClick(button(d), Qt::LeftButton);
        // The click returned while the command runs: the loop keeps going.
        ASSERT_TRUE(pumpUntil([&] { return button(d)->isEnabled(); }, 10000));
        EXPECT_TRUE(result(d).startsWith(QString::fromLatin1(c.result))) << result(d).toStdString();
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_FALSE(fileExists(dir.file("alarms.cfg"))) << "a test saved the settings";
    }
    // The five arguments of a test alarm, the time being now's.
    const std::string args = dir.read("hook.sh.args");
    const std::string start = "Test alarm|raised|12.5|V|";
    ASSERT_EQ(args.substr(0, start.size()), start);
    EXPECT_EQ(args.size(), start.size() + 6 + 5) << args; // "HH:mm|" then "test\n"
    EXPECT_EQ(args.substr(args.size() - 5), "test\n");
}

TEST_F(TestCommandTest, TheDialogStaysLiveWhileATestRuns) {
    script("slow.sh", "sleep 2\necho done\n");
    Alarms d(dir.path(), fmt, messages);
    d.show();
    type(box(d, "Command"), QStringLiteral("./slow.sh"));
    QTest::mouseClick(button(d), Qt::LeftButton);
    EXPECT_FALSE(button(d)->isEnabled());
    EXPECT_EQ(result(d), "Test: running ./slow.sh ...");
    // Timers fire and edits land while it runs.
    bool fired = false;
    QTimer::singleShot(50, [&] { fired = true; });
    ASSERT_TRUE(pumpUntil([&] { return fired; }, 1000));
    type(box(d, "HighRPM"), "1600");
    EXPECT_EQ(box(d, "HighRPM")->text(), "1600");
    EXPECT_FALSE(button(d)->isEnabled());
    ASSERT_TRUE(pumpUntil([&] { return button(d)->isEnabled(); }, 10000));
    EXPECT_EQ(result(d), "Test: exit code 0, last line: done");
}

} // namespace
} // namespace korvane
