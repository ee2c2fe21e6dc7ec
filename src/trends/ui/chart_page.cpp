#include "chart_page.h"

#include "platform/qt/qt_platform.h"
#include "platform/time_formats.h"
#include "trends/date_range.h"

#include <QDate>
#include <QDateTime>
#include <QLabel>
#include <QStackedLayout>

namespace korvane {

namespace {

QChart* newChart() {
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

} // namespace

ChartPage::ChartPage(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    view_ = new QChartView(newChart(), this);
    view_->setObjectName(name + QStringLiteral("View"));
    view_->setRenderHint(QPainter::Antialiasing);
    message_ = new QLabel(this);
    message_->setObjectName(name + QStringLiteral("Message"));
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(view_);
    stack_->addWidget(message_);
}

void ChartPage::clear() {
    // A fresh chart each time: axes removed from a chart that stays can
    // leave their labels painted under the new ones (seen with Qt 6.4 on a
    // change from a bar a month to a bar a week).  The old one may be the
    // sender of the signal that brought us here, so it goes later.
    QChart* old = view_->chart();
    view_->setChart(newChart());
    old->deleteLater();
}

void ChartPage::showChart() {
    stack_->setCurrentWidget(view_);
}

void ChartPage::showMessage(const QString& text) {
    clear();
    message_->setText(text);
    stack_->setCurrentWidget(message_);
}

bool ChartPage::showingMessage() const {
    return stack_->currentWidget() == message_;
}

QString ChartPage::message() const {
    return showingMessage() ? message_->text() : QString();
}

qint64 localMidnightMs(int date) {
    return QDate(date / 10000, date / 100 % 100, date % 100).startOfDay().toMSecsSinceEpoch();
}

QString dateText(int date, const TimeFormats& formats) {
    LocalDateTime t;
    t.year = date / 10000;
    t.month = date / 100 % 100;
    t.day = date % 100;
    return fromLocal8(formats.shortDate(t));
}

QString rangeText(const DateRange& range, int today) {
    const QDate from(range.from / 10000, range.from / 100 % 100, range.from % 100);
    const QDate to(range.to / 10000, range.to / 100 % 100, range.to % 100);
    const int thisYear = today > 0 ? today / 10000 : QDate::currentDate().year();
    const QLocale locale;
    const QString year = to.year() == thisYear ? QString() : QStringLiteral(" %1").arg(to.year());
    if (from.year() != to.year())
        return locale.toString(from, QStringLiteral("d MMM yyyy")) + QLatin1Char('-') +
               locale.toString(to, QStringLiteral("d MMM yyyy"));
    if (from == to)
        return locale.toString(to, QStringLiteral("d MMM")) + year;
    if (from.month() == to.month())
        return QStringLiteral("%1-%2 ").arg(from.day()).arg(to.day()) +
               locale.toString(to, QStringLiteral("MMM")) + year;
    return locale.toString(from, QStringLiteral("d MMM")) + QLatin1Char('-') +
           locale.toString(to, QStringLiteral("d MMM")) + year;
}

} // namespace korvane
