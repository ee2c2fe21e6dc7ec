#pragma once
// Qt-side helpers of the platform layer (Qt Core only): the user's locale,
// the app folder, 8-bit text at the Qt boundary and twips.

#include "platform/numbers.h"
#include "platform/time_formats.h"

#include <QLocale>
#include <QString>
#include <optional>
#include <string>

namespace korvane {

NumberFormat systemNumberFormat();

// Short date, long time and short time of the system locale as it stands at
// each call, or of one given locale.
class SystemTimeFormats final : public TimeFormats {
public:
    SystemTimeFormats() = default;
    explicit SystemTimeFormats(const QLocale& locale) : locale_(locale) {}

    std::string shortDate(const LocalDateTime& t) const override;
    std::string longTime(const LocalDateTime& t) const override;
    std::string shortTime(int hour, int minute) const override;

private:
    QLocale locale() const { return locale_ ? *locale_ : QLocale::system(); }
    std::optional<QLocale> locale_;
};

// KORVANE_HOME, or the folder of the running executable.
std::string appFolder();

// Files and the serial line carry 8-bit text in the system code page.
inline QString fromLocal8(const std::string& s) {
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string toLocal8(const QString& s) {
    return s.toLocal8Bit().toStdString();
}

// 15 twips make one pixel at 96 dpi; Qt scales for high-dpi screens itself.
constexpr int twips(int t) {
    return (t + 7) / 15;
}

} // namespace korvane
