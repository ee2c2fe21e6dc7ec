// The setup dialog's serial adapters, driven as a new user would: pick the
// adapter, "Use for port", and a real port then reads the board through the
// link.  A pseudo-terminal stands in for the adapter; the system does not
// list ptys, so a fixed list names it.

#include "config/program_config.h"
#include "config/program_setup_rules.h"
#include "config/ui/program_setup.h"
#include "platform/qt/qt_serial_port.h"
#include "support/event_pump.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::pumpUntil;
using test::TempDir;

constexpr const char* kFile = "Program Config File\r\n\r\n"
                              "<Port>1</Port>\r\n<Savehtml>0</Savehtml>\r\n"
                              "<SaveExcel>1</SaveExcel>\r\n<LogDelay>60</LogDelay>\r\n"
                              "<LogOn>0</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
                              "<DisplayWS>0</DisplayWS>\r\n<WSUnits>km/h</WSUnits>\r\n\r\n";
constexpr const char* kPacket = "[<V>512</V><I>130.3</I><R>42</R><M>1</M><S>17</S>]";

std::string linkTarget(const std::string& path) {
    std::error_code ec;
    const auto target = std::filesystem::read_symlink(path, ec);
    return ec ? "<not a link>" : target.string();
}

class SetupAdaptersTest : public ::testing::Test {
protected:
    SetupAdaptersTest() {
        dir.write("prog.cfg", kFile);
        dir.mkdir("by-id");
    }
    std::unique_ptr<ProgramSetup> openDialog() {
        auto d = std::make_unique<ProgramSetup>(dir.path(), fmt, messages, adapters);
        d->show();
        return d;
    }
    template <typename W> W* child(ProgramSetup& d, const char* name) {
        auto* w = d.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QListWidget* list(ProgramSetup& d) { return child<QListWidget>(d, "Adapters"); }
    QStringList rows(ProgramSetup& d) {
        QStringList out;
        for (int i = 0; i < list(d)->count(); ++i)
            out << list(d)->item(i)->text();
        return out;
    }
    void pick(ProgramSetup& d, int row) {
        QListWidget* l = list(d);
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                          l->visualItemRect(l->item(row)).center());
    }
    void typePort(ProgramSetup& d, const QString& text) {
        auto* edit = child<QLineEdit>(d, "PortNumber");
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    void click(ProgramSetup& d, const char* button) {
        QTest::mouseClick(child<QPushButton>(d, button), Qt::LeftButton);
    }
    // The adapter as the system would list it: a by-id name and its device.
    SerialAdapter adapter(const std::string& byIdName, const std::string& device) {
        return {dir.file("by-id/" + byIdName), device, "FT232R USB UART", "FTDI", "A10K"};
    }
    // What the main window's port would do with the settings.
    std::unique_ptr<QtSerialPort> boardPort(int number) {
        auto port = std::make_unique<QtSerialPort>(dir.path());
        port->setPortNumber(number);
        port->setSettings("4800,N,8,1");
        port->setCommEventHandler([this, p = port.get()] { received += p->readInput(); });
        port->open();
        return port;
    }

    TempDir dir;
    RecordingMessageSink messages;
    NumberFormat fmt{'.'};
    FixedSerialAdapterList adapters;
    std::string received;
};

TEST_F(SetupAdaptersTest, PickUseForPortAndTheBoardIsReadThroughTheLink) {
    test::PtyPair pty(dir.file("by-id/usb-FTDI_FT232R_A10K-if00-port0"));
    adapters.set({adapter("usb-FTDI_FT232R_A10K-if00-port0", pty.devicePath())});
    auto d = openDialog();
    ASSERT_EQ(rows(*d).size(), 1);
    EXPECT_EQ(rows(*d)[0].toStdString(), dir.file("by-id/usb-FTDI_FT232R_A10K-if00-port0") +
                                             "\nFT232R USB UART, FTDI, serial A10K, " +
                                             pty.devicePath());

    typePort(*d, "2");
    pick(*d, 0);
    click(*d, "UseForPort");

    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(linkTarget(dir.file("com2")), dir.file("by-id/usb-FTDI_FT232R_A10K-if00-port0"));
    EXPECT_EQ(dir.read("prog.cfg"), kFile); // "Use for port" saves nothing
    EXPECT_EQ(child<QLabel>(*d, "PortDevice")->text().toStdString(),
              "Uses com2 -> " + dir.file("by-id/usb-FTDI_FT232R_A10K-if00-port0"));
    EXPECT_EQ(child<QLabel>(*d, "AdapterNote")->text().toStdString(),
              "com2 now leads to " + dir.file("by-id/usb-FTDI_FT232R_A10K-if00-port0") +
                  ". Press \"Save Setings\" to use port 2.");
    EXPECT_TRUE(d->isVisible());

    // Enter in a box still means "Save Setings", though a panel button was
    // the last one pressed.
    QSignalSpy accepted(d.get(), &QDialog::accepted);
    QTest::keyClick(child<QLineEdit>(*d, "PortNumber"), Qt::Key_Return);
    ASSERT_EQ(accepted.count(), 1);
    std::string saved = kFile;
    saved.replace(saved.find("<Port>1"), 7, "<Port>2");
    EXPECT_EQ(dir.read("prog.cfg"), saved);

    auto port = boardPort(2);
    ASSERT_TRUE(port->isOpen()) << portProblemText(port->problem());
    EXPECT_EQ(port->devicePath(), dir.file("com2"));
    pty.write(kPacket);
    EXPECT_TRUE(pumpUntil([&] { return received == kPacket; }, 3000)) << received;
}

TEST_F(SetupAdaptersTest, AnUnpluggedAdapterCanBeLinkedAndIsPickedUpWhenPlugged) {
    adapters.set({adapter("usb-Prolific-port0", "/dev/ttyUSB-not-plugged")});
    auto d = openDialog();
    pick(*d, 0);
    click(*d, "UseForPort"); // port 1, as prog.cfg has it
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(linkTarget(dir.file("com1")), dir.file("by-id/usb-Prolific-port0"));
    EXPECT_EQ(child<QLabel>(*d, "AdapterNote")->text().toStdString(),
              "com1 now leads to " + dir.file("by-id/usb-Prolific-port0") + ".");
    d->close();

    auto port = boardPort(1);
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(portProblemText(port->problem()), "waiting for the device");

    test::PtyPair pty(dir.file("by-id/usb-Prolific-port0")); // plugged in
    ASSERT_TRUE(pumpUntil([&] { return port->isOpen(); }, 2500));
    EXPECT_EQ(port->problem(), PortProblem{});
    pty.write(kPacket);
    EXPECT_TRUE(pumpUntil([&] { return received == kPacket; }, 3000)) << received;
}

TEST_F(SetupAdaptersTest, AnAdapterAnotherProgramHoldsIsReportedBusy) {
    test::PtyPair pty(dir.file("by-id/usb-CH340-port0"));
    adapters.set({adapter("usb-CH340-port0", pty.devicePath())});
    auto d = openDialog();
    pick(*d, 0);
    click(*d, "UseForPort");
    ASSERT_EQ(linkTarget(dir.file("com1")), dir.file("by-id/usb-CH340-port0"));

    // Another program (here a second Korvane) has com1 open already.
    QtSerialPort other(dir.path());
    other.setPortNumber(1);
    other.open();
    ASSERT_TRUE(other.isOpen());

    auto port = boardPort(1);
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(port->problem().fault, PortFault::Busy) << port->problem().systemText;
    EXPECT_EQ(portProblemText(port->problem()), "in use by another program");

    other.close(); // let go: the waiting port takes over on its next retry
    ASSERT_TRUE(pumpUntil([&] { return port->isOpen(); }, 2500));
    EXPECT_EQ(port->problem(), PortProblem{});
}

TEST_F(SetupAdaptersTest, UseForPortChecksTheNumberAsSavingDoes) {
    adapters.set({adapter("usb-A", "/dev/ttyUSB0")});
    auto d = openDialog();
    pick(*d, 0);
    for (const char* port : {"0", "abc"}) {
        SCOPED_TRACE(port);
        messages.messages.clear();
        typePort(*d, QString::fromLatin1(port));
        click(*d, "UseForPort");
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0], kBadPortMessage);
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.file("com0"))));
    EXPECT_EQ(dir.read("prog.cfg"), kFile);

    // 1.5 is accepted and is port 2, as the main window rounds it.
    messages.messages.clear();
    typePort(*d, "1.5");
    click(*d, "UseForPort");
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(linkTarget(dir.file("com2")), dir.file("by-id/usb-A"));
}

TEST_F(SetupAdaptersTest, AFileNamedLikeThePortIsNeverOverwritten) {
    dir.write("com1", "my notes");
    adapters.set({adapter("usb-A", "/dev/ttyUSB0")});
    auto d = openDialog();
    pick(*d, 0);
    click(*d, "UseForPort");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], dir.file("com1") +
                                        " is a file, not a link, so it was left as it is.\nMove "
                                        "or rename it, then press \"Use for port\" again.");
    EXPECT_EQ(dir.read("com1"), "my notes");
    EXPECT_TRUE(d->isVisible());
}

TEST_F(SetupAdaptersTest, EmptyListSaysHowToProceedAndAPluggedAdapterShowsUp) {
    auto d = openDialog();
    EXPECT_EQ(rows(*d), QStringList{"No serial adapters found:\nplug one in, or link com1 by "
                                    "hand (see README)"});
    EXPECT_FALSE(child<QPushButton>(*d, "UseForPort")->isEnabled());
    pick(*d, 0); // the hint is not an adapter
    EXPECT_FALSE(child<QPushButton>(*d, "UseForPort")->isEnabled());

    adapters.set({adapter("usb-B", "/dev/ttyUSB1")});
    click(*d, "RefreshAdapters");
    ASSERT_EQ(rows(*d).size(), 1);
    EXPECT_TRUE(rows(*d)[0].startsWith(QString::fromStdString(dir.file("by-id/usb-B"))));
    // The only adapter is taken as picked.
    EXPECT_TRUE(child<QPushButton>(*d, "UseForPort")->isEnabled());

    // A second one plugged in shows up by itself; the pick stays on usb-B.
    adapters.set({adapter("usb-A", "/dev/ttyUSB0"), adapter("usb-B", "/dev/ttyUSB1")});
    ASSERT_TRUE(pumpUntil([&] { return rows(*d).size() == 2; }, 3000));
    click(*d, "UseForPort");
    EXPECT_EQ(linkTarget(dir.file("com1")), dir.file("by-id/usb-B"));

    adapters.set({});
    click(*d, "RefreshAdapters");
    EXPECT_EQ(rows(*d).size(), 1);
    EXPECT_FALSE(child<QPushButton>(*d, "UseForPort")->isEnabled());
}

TEST_F(SetupAdaptersTest, AdaptersSitBesideTheSettingsWithoutMovingThem) {
    adapters.set({adapter("usb-A", "/dev/ttyUSB0")});
    auto d = openDialog();
    auto* panel = child<QWidget>(*d, "AdapterPanel");
    auto* port = child<QLineEdit>(*d, "PortNumber");
    EXPECT_EQ(panel->y(), port->y()); // level with "Com port"
    for (QWidget* w : d->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w == panel || !w->isVisible())
            continue;
        SCOPED_TRACE(w->objectName().toStdString() + " " +
                     w->property("text").toString().toStdString());
        EXPECT_LT(w->geometry().right(), panel->x());
        EXPECT_TRUE(d->rect().contains(w->geometry()));
    }
    EXPECT_TRUE(d->rect().contains(panel->geometry()));
}

} // namespace
} // namespace korvane
