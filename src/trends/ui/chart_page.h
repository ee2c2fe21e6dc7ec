#pragma once
// A chart area that is either a chart or a plain sentence in its place
// ("No data from ... to ...", or why the store cannot be read).

#include <QChartView>
#include <QWidget>

class QLabel;
class QStackedLayout;

namespace korvane {

class ChartPage : public QWidget {
    Q_OBJECT
public:
    explicit ChartPage(const QString& name, QWidget* parent = nullptr);

    QChart* chart() const { return view_->chart(); }
    QChartView* view() const { return view_; }

    // An empty chart in place of the old, ready for a new drawing; chart()
    // afterwards is the new one.
    void clear();
    void showChart();
    void showMessage(const QString& text);
    bool showingMessage() const;
    QString message() const;

private:
    QChartView* view_ = nullptr;
    QLabel* message_ = nullptr;
    QStackedLayout* stack_ = nullptr;
};

// Days-since-epoch serial of a date as the milliseconds a QDateTimeAxis
// wants: local midnight of that date.
qint64 localMidnightMs(int date);

// The date as the user writes it ("8/12/2026" by the short date format).
QString dateText(int date, const class TimeFormats& formats);

// A range in few words, the year only when it is not this year's:
// "1-30 Jun", "12 May-3 Jun", "1 Jun-30 Jun 2025", "3 Dec 2025-8 Jan 2026".
QString rangeText(const struct DateRange& range, int today = 0);

} // namespace korvane
