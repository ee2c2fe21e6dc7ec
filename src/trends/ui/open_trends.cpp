#include "open_trends.h"

#include "history/ui/graph.h"
#include "platform/qt/qt_platform.h"
#include "trends_window.h"

#include <QDir>
#include <QFileDialog>
#include <QTimer>

namespace korvane {

void openTrendsWindow(QWidget* owner, const std::string& appFolder, const Clock& clock,
                      const TimeFormats& timeFormats, NumberFormat numberFormat,
                      MessageSink& messages) {
    TrendsServices services{appFolder, numberFormat, clock, timeFormats, messages, {}, {}, {}};
    services.chooseSaveFile = [appFolder](QWidget* parent, const std::string& suggested) {
        const QString start = QDir(fromLocal8(appFolder)).filePath(fromLocal8(suggested));
        return toLocal8(QFileDialog::getSaveFileName(parent, QStringLiteral("Export CSV"), start,
                                                     QStringLiteral("CSV files (*.csv)")));
    };
    services.chooseOpenFile = [appFolder](QWidget* parent) {
        return toLocal8(QFileDialog::getOpenFileName(
            parent, QStringLiteral("Read the maker's curve"), fromLocal8(appFolder),
            QStringLiteral("CSV files (*.csv *.txt);;All files (*)")));
    };
    services.openHistoryDay = [&, appFolder, numberFormat](QWidget* parent, int date) {
        Graph graph(appFolder, numberFormat, timeFormats, clock, messages, parent);
        // The query runs once the window is up, so a "No data" message
        // comes over the history window rather than before it.
        QTimer::singleShot(0, &graph, [&graph, date] {
            graph.showDay(date / 10000, date / 100 % 100, date % 100);
        });
        graph.exec();
    };
    Trends trends(std::move(services), owner);
    trends.exec();
}

} // namespace korvane
