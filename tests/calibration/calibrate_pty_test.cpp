// The calibration dialog end to end: its own serial control on a real
// pseudo-terminal standing in for the board.

#include "calibration/ui/calibrate.h"
#include "platform/qt/qt_serial_port.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

#include "support/event_pump.h"
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::pumpUntil;

TEST(CalibratePty, ReadsTheBoardZeroesAndSaves) {
    test::TempDir dir;
    dir.write("prog.cfg", "<Port>3</Port><WSUnits>mph</WSUnits>");
    dir.write("settings.cfg", "<VoltDivider>40</VoltDivider><VoltOffset>100</VoltOffset>"
                              "<AmpDivider>20</AmpDivider><RPMDivider>12</RPMDivider>"
                              "<WSDivider>2</WSDivider>");
    test::PtyPair board(dir.file("com3"));

    auto serial = std::make_unique<QtSerialPort>(dir.path());
    QtSerialPort* port = serial.get();
    RecordingMessageSink messages;
    Calibrate d(dir.path(), std::move(serial), NumberFormat{'.'}, messages);
    d.show();
    ASSERT_TRUE(port->isOpen());
    EXPECT_EQ(port->devicePath(), dir.file("com3"));

    auto* raw = d.findChild<QLabel*>(QStringLiteral("txtShuntV"));
    auto* volts = d.findChild<QLabel*>(QStringLiteral("txtBattVadjusted"));
    auto* wind = d.findChild<QLabel*>(QStringLiteral("txtWindSpeed"));
    ASSERT_TRUE(raw && volts && wind);

    // The board's packet arrives in two writes; the second carries the
    // start of the next packet, which must wait for its end.
    board.write("[<V>512</V><I>104</I><R>84");
    board.write("</R><M>0</M><S>17</S>][<V>520</V><I>1");
    ASSERT_TRUE(pumpUntil([&] { return volts->text() == "12.8 Volts"; }, 3000))
        << volts->text().toStdString();
    EXPECT_EQ(raw->text(), "104");
    EXPECT_EQ(wind->text(), "8.5 mph");

    QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    board.write("24</I>]");
    ASSERT_TRUE(pumpUntil([&] { return raw->text() == "124"; }, 3000));
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("txtBattAadjusted"))->text(), "1 Amps");

    auto* divider = d.findChild<QLineEdit*>(QStringLiteral("BatteryCurrent"));
    divider->selectAll();
    QTest::keyClicks(divider, "19.5");
    QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);

    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(dir.read("settings.cfg"), "Calibration Settings\r\n\r\n\r\n"
                                        "<VoltDivider>40</VoltDivider>\r\n"
                                        "<VoltOffset>104</VoltOffset>\r\n"
                                        "<AmpDivider>19.5</AmpDivider>\r\n"
                                        "<RPMDivider>12</RPMDivider>\r\n"
                                        "<WSDivider>2</WSDivider>\r\n");
}

} // namespace
} // namespace korvane
