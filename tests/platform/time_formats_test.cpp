// The long time and the short date of real locales, from the format strings
// Qt 6.4 gives for them: the zone name leaves no punctuation behind, and the
// short date names the web history file.

#include "platform/qt/qt_platform.h"
#include "recording/web_outputs.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace korvane {
namespace {

struct LocaleCase {
    const char* name;
    const char* qtLongTime;  // QLocale::timeFormat(QLocale::LongFormat)
    const char* qtShortDate; // QLocale::dateFormat(QLocale::ShortFormat)
    const char* longTimeFormat;
    const char* longTime;    // 13:05:09
    const char* historyFile; // 4 July 2006
};

const LocaleCase kLocales[] = {
    {"en_US", "h:mm:ss AP t", "M/d/yy", "h:mm:ss AP", "1:05:09 PM", "history7_4_06.txt"},
    {"en_GB", "HH:mm:ss t", "dd/MM/yyyy", "HH:mm:ss", "13:05:09", "history04_07_2006.txt"},
    {"de_DE", "HH:mm:ss t", "dd.MM.yy", "HH:mm:ss", "13:05:09", "history04.07.06.txt"},
    {"fr_FR", "HH:mm:ss t", "dd/MM/yyyy", "HH:mm:ss", "13:05:09", "history04_07_2006.txt"},
    {"ja_JP", "H時mm分ss秒 t", "yyyy/MM/dd", "H時mm分ss秒", "13時05分09秒",
     "history2006_07_04.txt"},
    {"C", "HH:mm:ss t", "d MMM yyyy", "HH:mm:ss", "13:05:09", "history4 Jul 2006.txt"},
    // The zone in brackets, after a comma, in front, or after an abbreviation
    // whose full stop is part of the time.
    {"es_ES", "H:mm:ss (t)", "d/M/yy", "H:mm:ss", "13:05:09", "history4_7_06.txt"},
    {"be_BY", "HH:mm:ss, t", "d.MM.yy", "HH:mm:ss", "13:05:09", "history4.07.06.txt"},
    {"zh_CN", "t HH:mm:ss", "yyyy/M/d", "HH:mm:ss", "13:05:09", "history2006_7_4.txt"},
    {"bg_BG", "H:mm:ss 'ч'. t", "d.MM.yy 'г'.", "H:mm:ss 'ч'.", "13:05:09 ч.",
     "history4.07.06 г..txt"},
};

TEST(LocaleTimeFormats, KnownAnswersAreWhatThisQtGives) {
    for (const LocaleCase& c : kLocales) {
        const QLocale locale(QString::fromLatin1(c.name));
        EXPECT_EQ(toLocal8(locale.timeFormat(QLocale::LongFormat)), c.qtLongTime) << c.name;
        EXPECT_EQ(toLocal8(locale.dateFormat(QLocale::ShortFormat)), c.qtShortDate) << c.name;
    }
}

TEST(LocaleTimeFormats, ZoneNameGoesWithItsPunctuation) {
    for (const LocaleCase& c : kLocales)
        EXPECT_EQ(removeTimeZoneField(c.qtLongTime), c.longTimeFormat) << c.name;
}

TEST(LocaleTimeFormats, LongTimeAndHistoryFileOfEachLocale) {
    const LocalDateTime t{2006, 7, 4, 13, 5, 9, 0};
    for (const LocaleCase& c : kLocales) {
        const SystemTimeFormats formats{QLocale(QString::fromLatin1(c.name))};
        EXPECT_EQ(formats.longTime(t), c.longTime) << c.name;
        EXPECT_EQ(historyFileName(formats.shortDate(t)), c.historyFile) << c.name;
    }
}

} // namespace
} // namespace korvane
