#include "qt_platform.h"

#include "platform/app_folder.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QTime>
#include <cstdlib>

namespace korvane {

NumberFormat systemNumberFormat() {
    const QString point = QLocale::system().decimalPoint();
    NumberFormat fmt;
    if (point.size() == 1 && point.at(0).unicode() < 128)
        fmt.decimal = static_cast<char>(point.at(0).unicode());
    return fmt;
}

std::string SystemTimeFormats::shortDate(const LocalDateTime& t) const {
    return toLocal8(locale().toString(QDate(t.year, t.month, t.day), QLocale::ShortFormat));
}

std::string SystemTimeFormats::longTime(const LocalDateTime& t) const {
    const QLocale l = locale();
    const std::string format = removeTimeZoneField(toLocal8(l.timeFormat(QLocale::LongFormat)));
    return toLocal8(l.toString(QTime(t.hour, t.minute, t.second), fromLocal8(format)));
}

std::string SystemTimeFormats::shortTime(int hour, int minute) const {
    const char sep = timeSeparator(toLocal8(locale().timeFormat(QLocale::ShortFormat)));
    std::string out = hhmm(hour, minute);
    out[2] = sep;
    return out;
}

std::string appFolder() {
    return resolveAppFolder(std::getenv("KORVANE_HOME"),
                            toLocal8(QCoreApplication::applicationDirPath()));
}

} // namespace korvane
