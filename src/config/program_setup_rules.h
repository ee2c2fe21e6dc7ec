#pragma once
// The rules of the program setup dialog, kept free of Qt so they are tested
// without a window.

#include "platform/numbers.h"

#include <string>
#include <string_view>

namespace korvane {

inline constexpr std::string_view kBadPortMessage =
    "There is a bad number for Port Number. Must be between 1 and 8 ( 1 or 2 most common )";

// A port text is accepted when it is numeric and its value lies in 1..8
// ("1.5" passes and is saved as typed; the main window rounds it to 2).
bool isValidPortText(std::string_view text, const NumberFormat& fmt);

// Check box values: 0 clear, 1 ticked, 2 dimmed.  A prog.cfg text is read as
// a 16-bit integer (halves to even); anything that is not 0, 1 or 2 after
// that, or not a number at all, shows as clear, which is also how the main
// window treats it (only 1 is on).
int checkBoxValue(std::string_view text, const NumberFormat& fmt);

// The digit written to prog.cfg for a check box value.
std::string checkBoxText(int value);

// Where a port number leads on this machine, for the note beside "Com port":
// "Uses com1 -> /dev/ttyUSB0" for a link in the app folder, "Uses /dev/ttyS0"
// otherwise, with " (not found)" when the device is not there now.  Empty when
// the text is not an acceptable port number.
std::string portDeviceNote(std::string_view portText, const std::string& appFolder,
                           const NumberFormat& fmt);

// Shown when prog.cfg cannot be replaced; the dialog then stays open.
std::string setupSaveFailedMessage(const std::string& path);

} // namespace korvane
