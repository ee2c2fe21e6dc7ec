// The Alarms dialog driven as a user would, against real files.

#include "alarms/alarm_config.h"
#include "alarms/ui/alarms_dialog.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace korvane {
namespace {

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

} // namespace
} // namespace korvane
