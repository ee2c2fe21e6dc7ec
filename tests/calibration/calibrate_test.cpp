// The calibration dialog with a fake serial control: its layout, the live
// sums, "Zero" and the three ways out.

#include "calibration/calibration_settings.h"
#include "calibration/ui/calibrate.h"
#include "platform/fake_serial_port.h"
#include "platform/qt/qt_platform.h"
#include "support/temp_dir.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvane {
namespace {

using test::TempDir;

constexpr const char* kProg = "Program Config File\r\n\r\n<Port>3</Port>\r\n"
                              "<Savehtml>0</Savehtml>\r\n<SaveExcel>0</SaveExcel>\r\n"
                              "<LogDelay>60</LogDelay>\r\n<LogOn>0</LogOn>\r\n"
                              "<DisplayRPM>1</DisplayRPM>\r\n<DisplayWS>1</DisplayWS>\r\n"
                              "<WSUnits>km/h</WSUnits>\r\n\r\n";
constexpr const char* kSettings = "Calibration Settings\r\n\r\n\r\n"
                                  "<VoltDivider>40.0</VoltDivider>\r\n"
                                  "<VoltOffset>100.30</VoltOffset>\r\n"
                                  "<AmpDivider>20</AmpDivider>\r\n<RPMDivider>6</RPMDivider>\r\n"
                                  "<WSDivider>2.50</WSDivider>\r\n";
constexpr const char* kPacket = "[<V>512</V><I>130.3</I><R>42</R><M>1</M><S>17</S>]";

class CalibrateTest : public ::testing::Test {
protected:
    CalibrateTest() {
        dir.write("prog.cfg", kProg);
        dir.write("settings.cfg", kSettings);
    }

    std::unique_ptr<Calibrate> open() {
        auto fake = std::make_unique<FakeSerialPort>();
        port = fake.get();
        auto d = std::make_unique<Calibrate>(dir.path(), std::move(fake), fmt, messages);
        d->show();
        return d;
    }
    template <typename W = QLabel> W* child(Calibrate& d, const char* name) {
        auto* w = d.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(Calibrate& d, const char* name) { return child(d, name)->text(); }
    void type(Calibrate& d, const char* box, const QString& value) {
        auto* edit = child<QLineEdit>(d, box);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, value);
    }
    void click(Calibrate& d, const char* button) {
        QTest::mouseClick(child<QPushButton>(d, button), Qt::LeftButton);
    }

    TempDir dir;
    RecordingMessageSink messages;
    NumberFormat fmt{'.'};
    FakeSerialPort* port = nullptr;
};

TEST_F(CalibrateTest, OpensThePortNamedInProgCfg) {
    auto d = open();
    EXPECT_EQ(d->windowTitle(), "Calibration");
    EXPECT_EQ(port->portNumber(), 3);
    EXPECT_EQ(port->settings(), "4800,N,8,1");
    EXPECT_EQ(port->inputLength(), 0);
    EXPECT_TRUE(port->isOpen());
}

TEST_F(CalibrateTest, PortThatIsNotANumberIsNotOpened) {
    dir.write("prog.cfg", "<Port>com1</Port>");
    auto d = open();
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(port->openCount, 0);
    EXPECT_EQ(text(*d, "PortState"), "No port: \"com1\" is not a port number");
    click(*d, "Command1"); // still saves
    EXPECT_EQ(d->result(), QDialog::Accepted);
}

TEST_F(CalibrateTest, PortStateSaysWhyThePortIsNotOpen) {
    auto fake = std::make_unique<FakeSerialPort>();
    fake->failOpensWith({PortFault::Busy, "Device or resource busy"});
    port = fake.get();
    Calibrate d(dir.path(), std::move(fake), fmt, messages);
    d.show();
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(text(d, "PortState"), "Port 3: in use by another program");
    EXPECT_EQ(child(d, "PortState")->toolTip(), "Port 3: in use by another program");

    // The other program lets go and the port opens: the state follows
    // within its one-second refresh.
    port->failOpensWith({});
    port->open();
    QTest::qWait(1200);
    EXPECT_EQ(text(d, "PortState"), "Port 3 open");
}

TEST_F(CalibrateTest, PortStateTooLongForItsCornerKeepsTheReasonAndDropsTheAdvice) {
    auto fake = std::make_unique<FakeSerialPort>();
    fake->failOpensWith({PortFault::NoPermission, "Permission denied"});
    Calibrate d(dir.path(), std::move(fake), fmt, messages);
    d.show();
    auto* state = child(d, "PortState");
    EXPECT_EQ(state->toolTip(),
              "Port 3: no permission: add your user to the dialout group, then log in again");
    EXPECT_EQ(state->text(), "Port 3: no permission");
    const QRect needed = state->fontMetrics().boundingRect(
        state->contentsRect(), Qt::TextWordWrap | state->alignment(), state->text());
    EXPECT_LE(needed.height(), state->contentsRect().height());
}

TEST_F(CalibrateTest, PortBelowOneOpensNothingAndSaysSo) {
    for (const char* number : {"0", "-2", "0.4"}) {
        SCOPED_TRACE(number);
        dir.write("prog.cfg", std::string("<Port>") + number + "</Port>");
        auto d = open();
        EXPECT_EQ(port->openCount, 0);
        EXPECT_EQ(text(*d, "PortState"),
                  QString("No port: \"%1\" is not a port number").arg(number));
    }
    dir.write("prog.cfg", kProg);
    auto d = open();
    EXPECT_EQ(text(*d, "PortState"), "Port 3 open");
}

TEST_F(CalibrateTest, EveryControlSitsAtItsPlaceWithItsText) {
    auto d = open();
    EXPECT_EQ(d->size(), QSize(twips(5430), twips(4620)));
    const struct {
        const char* name;
        int left, top;
        const char* text; // nullptr: not a text control
    } controls[] = {
        {"Label8", 45, 120, "Step 1. Set Voltage"},
        {"Label2", 180, 360, "Measure your battery voltage, and then adjust"},
        {"Label9", 180, 600, "this value until the correct battery voltage"},
        {"Label10", 180, 840, "is displayed"},
        {"txtBattV", 3780, 150, "0"},
        {"Picture1", 4080, 150, nullptr},
        {"BatteryVolts", 4290, 90, nullptr},
        {"Label6", 3780, 480, "="},
        {"txtBattVadjusted", 4020, 510, ""},
        {"Label11", 45, 1200, "Step 2. Set Current"},
        {"Label7", 180, 1440, "With no current flowing, press the Zero button.."},
        {"Label12", 180, 1680, "Apply a charging current, and adjust this"},
        {"Label13", 150, 1920, "value until the correct amps is displayed."},
        {"Command2", 3750, 1140, nullptr},
        {"OffsetV", 4470, 1170, "100.3"},
        {"Label1", 4920, 1170, "Offset"},
        {"txtShuntV", 3750, 1560, "0"},
        {"Picture2", 4110, 1560, nullptr},
        {"BatteryCurrent", 4290, 1500, nullptr},
        {"Label20", 3720, 1860, "="},
        {"txtBattAadjusted", 3960, 1890, ""},
        {"Label14", 45, 2370, "Step 3. Set RPM"},
        {"Label3", 180, 2610, "How many pulses per revolution?"},
        {"Label15", 180, 2850, "ie, for a Fisher/Paykel, type in 14."},
        {"txtPulsess", 3750, 2400, "0"},
        {"Picture3", 4110, 2430, nullptr},
        {"PulseDivider", 4290, 2370, nullptr},
        {"Label16", 3720, 2700, "="},
        {"txtWindmillRPM", 3930, 2730, ""},
        {"Label21", 45, 3330, "Step 4. Set Wind Speed"},
        {"Label23", 150, 3570, "How many pulses per km/h?"},
        {"txtPulsess2", 3720, 3360, "0"},
        {"Picture4", 4080, 3390, nullptr},
        {"Pulse2Divider", 4260, 3330, nullptr},
        {"Label4", 3690, 3690, "="},
        {"txtWindSpeed", 3900, 3720, ""},
        {"Command6", 1440, 4200, nullptr},
        {"Command1", 3120, 4200, nullptr},
    };
    for (const auto& c : controls) {
        auto* w = child<QWidget>(*d, c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->pos(), QPoint(twips(c.left), twips(c.top))) << c.name;
        if (c.text) {
            EXPECT_EQ(text(*d, c.name), QString::fromLatin1(c.text)) << c.name;
        }
    }
    EXPECT_EQ(child<QPushButton>(*d, "Command2")->text(), "Zero");
    EXPECT_EQ(child<QPushButton>(*d, "Command6")->text(), "Exit ( dont save )");
    EXPECT_EQ(child<QPushButton>(*d, "Command1")->text(), "Save Calibration");
    // Loaded numbers in their shortest form, the wind divider as read.
    EXPECT_EQ(child<QLineEdit>(*d, "BatteryVolts")->text(), "40");
    EXPECT_EQ(child<QLineEdit>(*d, "BatteryCurrent")->text(), "20");
    EXPECT_EQ(child<QLineEdit>(*d, "PulseDivider")->text(), "6");
    EXPECT_EQ(child<QLineEdit>(*d, "Pulse2Divider")->text(), "2.50");
}

TEST_F(CalibrateTest, DivisionSignsAreTheEightByTenBitmap) {
    auto d = open();
    for (const char* name : {"Picture1", "Picture2", "Picture3", "Picture4"}) {
        auto* picture = child(*d, name);
        ASSERT_NE(picture, nullptr);
        const QImage sign = picture->pixmap().toImage();
        ASSERT_EQ(sign.size(), QSize(8, 10)) << name;
        EXPECT_EQ(picture->size(), QSize(8, 10)) << name;
        EXPECT_EQ(qAlpha(sign.pixel(0, 0)), 0);     // background
        EXPECT_EQ(sign.pixel(0, 4), qRgb(0, 0, 0)); // bar, full width
        EXPECT_EQ(sign.pixel(7, 5), qRgb(0, 0, 0));
        EXPECT_EQ(sign.pixel(3, 1), qRgb(0, 0, 0)); // dot above
        EXPECT_EQ(sign.pixel(4, 8), qRgb(0, 0, 0)); // dot below
        EXPECT_EQ(qAlpha(sign.pixel(3, 3)), 0);     // gap between dot and bar
    }
}

// Where a control puts ink: the glyphs of a label's text as the label draws
// them, the whole of any other control.
QImage inkOf(const QWidget* w, QSize area) {
    QImage image(area, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const auto* label = qobject_cast<const QLabel*>(w);
    if (label && label->pixmap().isNull()) {
        painter.setFont(label->font());
        painter.setPen(Qt::black);
        painter.drawText(label->contentsRect().translated(label->pos()),
                         static_cast<int>(label->alignment()), label->text());
    } else {
        painter.fillRect(w->geometry(), Qt::black);
    }
    return image;
}

// Text that is cut off or controls whose ink runs into each other would make
// the sums unreadable, whatever the values.
void expectNothingClippedOrOverlapping(Calibrate& d, const std::string& when) {
    const QSize area = d.size();
    std::vector<const QWidget*> owner(static_cast<std::size_t>(area.width() * area.height()));
    for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const std::string name = w->objectName().toStdString();
        if (qobject_cast<QFrame*>(w) && !qobject_cast<QLabel*>(w))
            continue; // the separator lines span the width on their own rows
        if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << name << " " << when;
        }
        EXPECT_TRUE(d.rect().contains(w->geometry())) << name << " " << when;
        const QImage ink = inkOf(w, area);
        for (int y = 0; y < area.height(); ++y)
            for (int x = 0; x < area.width(); ++x) {
                if (qAlpha(ink.pixel(x, y)) < 96)
                    continue;
                const QWidget*& o = owner[static_cast<std::size_t>(y * area.width() + x)];
                if (o) {
                    ADD_FAILURE() << o->objectName().toStdString() << " and " << name
                                  << " overlap at " << x << "," << y << " " << when;
                    return;
                }
                o = w;
            }
    }
}

TEST_F(CalibrateTest, SumsStayReadableWithLongValues) {
    auto d = open();
    expectNothingClippedOrOverlapping(*d, "at open");
    port->receive(kPacket);
    expectNothingClippedOrOverlapping(*d, "with a packet");
    port->receive("[<V>1023.75</V><I>1023.75</I><R>102375</R><S>102375</S>]");
    click(*d, "Command2");
    expectNothingClippedOrOverlapping(*d, "with long values");
    // A long value keeps its right edge at the division sign.
    auto* raw = child(*d, "txtShuntV");
    EXPECT_EQ(raw->text(), "1023.75");
    EXPECT_LT(raw->geometry().right(), child(*d, "Picture2")->x());
    // Too long for its place: elided, never shown as a different number.
    port->receive("[<I>-123456789.25</I>]");
    click(*d, "Command2");
    expectNothingClippedOrOverlapping(*d, "with absurd values");
    auto* offset = child(*d, "OffsetV");
    EXPECT_TRUE(offset->text().endsWith(QChar(0x2026))) << offset->text().toStdString();
    EXPECT_EQ(offset->toolTip(), "-123456789.25");
}

TEST_F(CalibrateTest, LongUnitNamesAreElidedNotRunIntoTheSums) {
    dir.write("prog.cfg",
              "<Port>1</Port><WSUnits>nautical miles per hour at the mast head</WSUnits>");
    auto d = open();
    port->receive(kPacket);
    expectNothingClippedOrOverlapping(*d, "with a long unit");
    EXPECT_EQ(child(*d, "Label23")->toolTip(),
              "How many pulses per nautical miles per hour at the mast head?");
    EXPECT_EQ(child(*d, "txtWindSpeed")->toolTip(), "6.8 nautical miles per hour at the mast head");
}

TEST_F(CalibrateTest, EachPacketShowsRawValuesAndTheTypedDividersResults) {
    auto d = open();
    port->receive(kPacket);
    EXPECT_EQ(text(*d, "txtBattV"), "512");
    EXPECT_EQ(text(*d, "txtShuntV"), "130.3");
    EXPECT_EQ(text(*d, "txtPulsess"), "42");
    EXPECT_EQ(text(*d, "txtPulsess2"), "17");
    EXPECT_EQ(text(*d, "txtBattVadjusted"), "12.8 Volts");
    EXPECT_EQ(text(*d, "txtBattAadjusted"), "1.5 Amps");
    EXPECT_EQ(text(*d, "txtWindmillRPM"), "420 RPM");
    EXPECT_EQ(text(*d, "txtWindSpeed"), "6.8 km/h");

    // Edits take effect with the next packet, not before.
    type(*d, "BatteryVolts", "32");
    type(*d, "PulseDivider", "");
    EXPECT_EQ(text(*d, "txtBattVadjusted"), "12.8 Volts");
    port->receive(kPacket);
    EXPECT_EQ(text(*d, "txtBattVadjusted"), "16 Volts");
    EXPECT_EQ(text(*d, "txtWindmillRPM"), "1 RPM");
}

TEST_F(CalibrateTest, PacketSplitAcrossReadsWithTheNextOneStarting) {
    auto d = open();
    port->receive("[<V>512</V><I>1");
    EXPECT_EQ(text(*d, "txtBattV"), "0");
    port->receive("30.3</I>][<V>520</V><I>14");
    EXPECT_EQ(text(*d, "txtShuntV"), "130.3");
    click(*d, "Command2");
    EXPECT_EQ(text(*d, "OffsetV"), "130.3");
    port->receive("0.3</I>]");
    EXPECT_EQ(text(*d, "txtBattV"), "520");
    EXPECT_EQ(text(*d, "txtBattAadjusted"), "0.5 Amps");
}

TEST_F(CalibrateTest, ZeroThenSaveWritesTheFileAndClosesThePort) {
    auto d = open();
    port->receive("[<V>512</V><I>99.995</I>]");
    click(*d, "Command2");
    EXPECT_EQ(text(*d, "OffsetV"), "100");
    type(*d, "BatteryVolts", "14.0");
    QSignalSpy accepted(d.get(), &QDialog::accepted);
    click(*d, "Command1");
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_FALSE(port->isOpen());
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(dir.read("settings.cfg"), "Calibration Settings\r\n\r\n\r\n"
                                        "<VoltDivider>14.0</VoltDivider>\r\n"
                                        "<VoltOffset>100</VoltOffset>\r\n"
                                        "<AmpDivider>20</AmpDivider>\r\n"
                                        "<RPMDivider>6</RPMDivider>\r\n"
                                        "<WSDivider>2.50</WSDivider>\r\n");
}

TEST_F(CalibrateTest, SavingUntouchedWritesTheLoadedValuesInShortestForm) {
    auto d = open();
    click(*d, "Command1");
    EXPECT_EQ(dir.read("settings.cfg"), "Calibration Settings\r\n\r\n\r\n"
                                        "<VoltDivider>40</VoltDivider>\r\n"
                                        "<VoltOffset>100.3</VoltOffset>\r\n"
                                        "<AmpDivider>20</AmpDivider>\r\n"
                                        "<RPMDivider>6</RPMDivider>\r\n"
                                        "<WSDivider>2.50</WSDivider>\r\n");
}

TEST_F(CalibrateTest, ZeroBeforeAnyPacketTakesZero) {
    auto d = open();
    click(*d, "Command2");
    EXPECT_EQ(text(*d, "OffsetV"), "0");
    click(*d, "Command1");
    EXPECT_NE(dir.read("settings.cfg").find("<VoltOffset>0</VoltOffset>"), std::string::npos);
}

TEST_F(CalibrateTest, LeavingWithoutSavingWritesNothingAndReleasesThePort) {
    for (const bool byCloseBox : {false, true}) {
        auto d = open();
        port->receive(kPacket);
        click(*d, "Command2");
        type(*d, "BatteryVolts", "99");
        QSignalSpy rejected(d.get(), &QDialog::rejected);
        if (byCloseBox)
            d->close();
        else
            click(*d, "Command6");
        EXPECT_EQ(rejected.count(), 1);
        // Released before exec() returns, not only when the dialog is destroyed.
        EXPECT_FALSE(port->isOpen());
        EXPECT_EQ(dir.read("settings.cfg"), kSettings);
    }
}

TEST_F(CalibrateTest, EnterInADividerBoxDoesNotEndTheDialog) {
    auto d = open();
    auto* box = child<QLineEdit>(*d, "BatteryVolts");
    box->setFocus();
    QSignalSpy finished(d.get(), &QDialog::finished);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(finished.count(), 0);
}

TEST_F(CalibrateTest, UnwritableFileIsReportedAndTheDialogStaysLive) {
    ::unlink(dir.file("settings.cfg").c_str());
    dir.mkdir("settings.cfg");
    auto d = open();
    QSignalSpy finished(d.get(), &QDialog::finished);
    click(*d, "Command1");
    EXPECT_EQ(finished.count(), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], calibrationSaveFailedMessage(dir.file("settings.cfg")));
    EXPECT_TRUE(port->isOpen());
    port->receive(kPacket);
    EXPECT_EQ(text(*d, "txtBattV"), "512");
}

} // namespace
} // namespace korvane
