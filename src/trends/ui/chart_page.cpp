#include "chart_page.h"

#include "platform/qt/qt_platform.h"
#include "platform/time_formats.h"

#include <QAbstractAxis>
#include <QAbstractSeries>
#include <QDate>
#include <QDateTime>
#include <QLabel>
#include <QStackedLayout>

namespace korvane {

ChartPage::ChartPage(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    view_ = new QChartView(chart, this);
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
    QChart* c = chart();
    c->removeAllSeries();
    for (QAbstractAxis* axis : c->axes()) {
        c->removeAxis(axis);
        delete axis;
    }
    c->zoomReset();
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

} // namespace korvane
