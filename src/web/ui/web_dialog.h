#pragma once
// The "Web" dialog: edits web.cfg and shows the address to type on a phone.

// Qt's headers first: the moc of Qt 6.4 fails on <compare> (from the clock)
// unless a Qt header came before it.
#include <QDialog>

#include "platform/messages.h"
#include "web/web_config.h"

#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

// The non-loopback addresses of this computer's interfaces that are up,
// IPv4 first, as a phone on the same network would reach them.
std::vector<std::string> lanAddresses();

// Modal dialog "Web".  It reads web.cfg when created (a missing file or key
// shows its default).  The line below the fields (object name Addresses)
// says which address to type into a browser for the fields as they stand.
// "Save" refuses the first field that is not acceptable with a message
// naming it, else writes web.cfg atomically (owner-only) and closes
// (accepted).  Closing by the frame or Escape discards the edits.
//
// Controls carry their tag names as object names: Enabled, Listen, Port,
// Password, and the button Save.
class WebDialog final : public QDialog {
    Q_OBJECT
public:
    WebDialog(std::string appFolder, MessageSink& messages, QWidget* parent = nullptr);
    ~WebDialog() override;

private:
    WebConfig edited() const;
    void Form_Load();
    void Save_Click();
    void showAddresses();

    std::string appFolder_;
    MessageSink& messages_;

    QCheckBox* Enabled;
    QLineEdit* Listen;
    QLineEdit* Port;
    QLineEdit* Password;
    QPushButton* Save;
    QLabel* Addresses;
};

// Shows the dialog modally over `owner`; true when the user saved (the
// server should then be started again with the new settings).
bool openWebDialog(QWidget* owner, const std::string& appFolder, MessageSink& messages);

} // namespace korvane
