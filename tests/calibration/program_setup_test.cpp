// The program setup dialog driven as a user would, against real files.

#include "config/program_config.h"
#include "config/program_setup_rules.h"
#include "config/ui/program_setup.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvane {
namespace {

using test::TempDir;

constexpr const char* kFile = "Program Config File\r\n\r\n"
                              "<Port>1</Port>\r\n<Savehtml>0</Savehtml>\r\n"
                              "<SaveExcel>1</SaveExcel>\r\n<LogDelay>60</LogDelay>\r\n"
                              "<LogOn>0</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
                              "<DisplayWS>0</DisplayWS>\r\n<WSUnits>km/h</WSUnits>\r\n\r\n";

class ProgramSetupTest : public ::testing::Test {
protected:
    QLineEdit* box(ProgramSetup& d, const char* name) {
        auto* w = d.findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QCheckBox* check(ProgramSetup& d, const char* name) {
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
    void save(ProgramSetup& d) {
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    }

    TempDir dir;
    RecordingMessageSink messages;
    NumberFormat fmt{'.'};
};

TEST_F(ProgramSetupTest, ShowsTheFileAndWritesTheEditsByteExactly) {
    dir.write("prog.cfg", kFile);
    ProgramSetup d(dir.path(), fmt, messages);
    EXPECT_EQ(d.windowTitle(), "Korvane Setup");
    EXPECT_EQ(box(d, "PortNumber")->text(), "1");
    EXPECT_EQ(check(d, "Savehtml")->checkState(), Qt::Unchecked);
    EXPECT_EQ(check(d, "SaveExcel")->checkState(), Qt::Checked);
    EXPECT_EQ(box(d, "LogDelay")->text(), "60");
    EXPECT_EQ(check(d, "DisplayRPM")->checkState(), Qt::Checked);
    EXPECT_EQ(box(d, "WSUnits")->text(), "km/h");

    type(box(d, "PortNumber"), "2");
    QTest::mouseClick(check(d, "Savehtml"), Qt::LeftButton);
    QTest::mouseClick(check(d, "SaveExcel"), Qt::LeftButton);
    type(box(d, "LogDelay"), " 5");
    QTest::mouseClick(check(d, "LogOn"), Qt::LeftButton);
    type(box(d, "WSUnits"), "m/s ");
    QSignalSpy accepted(&d, &QDialog::accepted);
    save(d);

    EXPECT_EQ(accepted.count(), 1);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(dir.read("prog.cfg"), "Program Config File\r\n\r\n"
                                    "<Port>2</Port>\r\n<Savehtml>1</Savehtml>\r\n"
                                    "<SaveExcel>0</SaveExcel>\r\n<LogDelay> 5</LogDelay>\r\n"
                                    "<LogOn>1</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
                                    "<DisplayWS>0</DisplayWS>\r\n<WSUnits>m/s </WSUnits>\r\n\r\n");
}

TEST_F(ProgramSetupTest, AllTickedKeepsTheOrderOfTheLines) {
    dir.write("prog.cfg", kFile);
    ProgramSetup d(dir.path(), fmt, messages);
    for (const char* name : {"Savehtml", "SaveExcel", "LogOn", "DisplayRPM", "DisplayWS"})
        check(d, name)->setCheckState(Qt::Checked);
    save(d);
    EXPECT_EQ(dir.read("prog.cfg"), "Program Config File\r\n\r\n"
                                    "<Port>1</Port>\r\n<Savehtml>1</Savehtml>\r\n"
                                    "<SaveExcel>1</SaveExcel>\r\n<LogDelay>60</LogDelay>\r\n"
                                    "<LogOn>1</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
                                    "<DisplayWS>1</DisplayWS>\r\n<WSUnits>km/h</WSUnits>\r\n\r\n");
}

TEST_F(ProgramSetupTest, BadPortNumbersAreRefusedWithTheMessage) {
    dir.write("prog.cfg", kFile);
    for (const char* port : {"0", "9", "abc", "", "-1"}) {
        messages.messages.clear();
        ProgramSetup d(dir.path(), fmt, messages);
        type(box(d, "PortNumber"), QString::fromLatin1(port));
        QSignalSpy finished(&d, &QDialog::finished);
        save(d);
        EXPECT_EQ(finished.count(), 0) << port;
        ASSERT_EQ(messages.messages.size(), 1u) << port;
        EXPECT_EQ(messages.messages[0], kBadPortMessage);
        EXPECT_EQ(dir.read("prog.cfg"), kFile) << port;
        EXPECT_EQ(box(d, "PortNumber")->text(), QString::fromLatin1(port));
    }
}

TEST_F(ProgramSetupTest, AcceptablePortsAreSavedAsTyped) {
    for (const char* port : {"8", "1.5", "1"}) {
        dir.write("prog.cfg", kFile);
        ProgramSetup d(dir.path(), fmt, messages);
        type(box(d, "PortNumber"), QString::fromLatin1(port));
        save(d);
        EXPECT_EQ(parseProgramConfig(dir.read("prog.cfg")).Port, port);
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ProgramSetupTest, DimmedCheckBoxesKeepTheirTwoAndClicksOnlyTickOrClear) {
    std::string file = kFile;
    file.replace(file.find("<Savehtml>0"), 11, "<Savehtml>2");
    file.replace(file.find("<LogOn>0"), 8, "<LogOn>2");
    dir.write("prog.cfg", file);
    {
        ProgramSetup d(dir.path(), fmt, messages);
        EXPECT_EQ(check(d, "Savehtml")->checkState(), Qt::PartiallyChecked);
        EXPECT_EQ(check(d, "LogOn")->checkState(), Qt::PartiallyChecked);
        save(d);
        EXPECT_EQ(dir.read("prog.cfg"), file);
    }
    ProgramSetup d(dir.path(), fmt, messages);
    QCheckBox* box = check(d, "LogOn");
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->checkState(), Qt::Checked);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->checkState(), Qt::Unchecked);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->checkState(), Qt::Checked);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_EQ(box->checkState(), Qt::Unchecked);
    save(d);
    EXPECT_EQ(parseProgramConfig(dir.read("prog.cfg")).LogOn, "0");
    EXPECT_EQ(parseProgramConfig(dir.read("prog.cfg")).Savehtml, "2");
}

TEST_F(ProgramSetupTest, OddSwitchValuesShowClear) {
    std::string file = kFile;
    file.replace(file.find("<DisplayRPM>1"), 13, "<DisplayRPM>7");
    dir.write("prog.cfg", file);
    ProgramSetup d(dir.path(), fmt, messages);
    EXPECT_EQ(check(d, "DisplayRPM")->checkState(), Qt::Unchecked);
}

TEST_F(ProgramSetupTest, ClosingByTheFrameDiscardsTheEdits) {
    dir.write("prog.cfg", kFile);
    ProgramSetup d(dir.path(), fmt, messages);
    d.show();
    type(box(d, "PortNumber"), "3");
    QTest::mouseClick(check(d, "LogOn"), Qt::LeftButton);
    QSignalSpy rejected(&d, &QDialog::rejected);
    d.close();
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_EQ(dir.read("prog.cfg"), kFile);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ProgramSetupTest, MissingOrPartialFileStillOpens) {
    {
        ProgramSetup d(dir.path(), fmt, messages);
        EXPECT_EQ(box(d, "PortNumber")->text(),
                  QString::fromStdString(defaultProgramConfig().Port));
        save(d);
        EXPECT_EQ(dir.read("prog.cfg"), formatProgramConfig(defaultProgramConfig()));
    }
    dir.write("prog.cfg", "junk <WSUnits>mph</WSUnits> <Port>4");
    ProgramSetup d(dir.path(), fmt, messages);
    EXPECT_EQ(box(d, "WSUnits")->text(), "mph");
    EXPECT_EQ(box(d, "PortNumber")->text(), QString::fromStdString(defaultProgramConfig().Port));
}

TEST_F(ProgramSetupTest, UnwritableFileIsReportedAndTheDialogStaysOpen) {
    dir.mkdir("prog.cfg"); // a folder in the way: the rename onto it fails
    ProgramSetup d(dir.path(), fmt, messages);
    type(box(d, "PortNumber"), "2");
    QSignalSpy finished(&d, &QDialog::finished);
    save(d);
    EXPECT_EQ(finished.count(), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], setupSaveFailedMessage(dir.file("prog.cfg")));
    EXPECT_EQ(box(d, "PortNumber")->text(), "2");

    ASSERT_EQ(::rmdir(dir.file("prog.cfg").c_str()), 0);
    save(d);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(parseProgramConfig(dir.read("prog.cfg")).Port, "2");
}

TEST_F(ProgramSetupTest, PortNoteFollowsTheTypedNumber) {
    dir.write("prog.cfg", kFile);
    ProgramSetup d(dir.path(), fmt, messages);
    auto* note = d.findChild<QLabel*>(QStringLiteral("PortDevice"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->text().startsWith("Uses /dev/ttyS0"));
    type(box(d, "PortNumber"), "9");
    EXPECT_EQ(note->text(), "");
}

} // namespace
} // namespace korvane
