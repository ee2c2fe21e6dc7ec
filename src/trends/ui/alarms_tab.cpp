#include "alarms_tab.h"

#include "chart_page.h"
#include "platform/qt/qt_platform.h"
#include "trends/alarm_values.h"

#include <QHeaderView>
#include <QLabel>
#include <QStackedLayout>
#include <QTreeWidget>
#include <ctime>

namespace korvane {

namespace {

// "8/12/2026 14:05" in the user's short date and 24-hour time.
QString localTimeText(std::int64_t utcSeconds, const TimeFormats& formats) {
    const std::time_t t = static_cast<std::time_t>(utcSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    const LocalDateTime when{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                             local.tm_hour,        local.tm_min,     local.tm_sec};
    return fromLocal8(formats.shortDate(when) + " " + formats.shortTime(when.hour, when.minute));
}

} // namespace

AlarmsTab::AlarmsTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("AlarmsTab"));
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("AlarmList"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Alarm"),
                            QStringLiteral("Change"), QStringLiteral("Value")});
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("AlarmsMessage"));
    message_->setAlignment(Qt::AlignCenter);
    stack_ = new QStackedLayout(this);
    stack_->addWidget(list_);
    stack_->addWidget(message_);
}

QString AlarmsTab::message() const {
    return stack_->currentWidget() == message_ ? message_->text() : QString();
}

void AlarmsTab::render(const TabContext& c) {
    list_->clear();
    const auto events = c.reader.alarms(c.range);
    if (!events) {
        message_->setText(fromLocal8(c.reader.problem()));
        stack_->setCurrentWidget(message_);
        return;
    }
    if (events->empty()) {
        message_->setText(
            QStringLiteral("No alarms from %1 to %2.")
                .arg(dateText(c.range.from, c.timeFormats), dateText(c.range.to, c.timeFormats)));
        stack_->setCurrentWidget(message_);
        return;
    }
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(events->size()));
    for (const AlarmEventRow& e : *events)
        items.append(new QTreeWidgetItem(
            {localTimeText(e.ts, c.timeFormats), fromLocal8(e.name), fromLocal8(e.state),
             fromLocal8(alarmValueWithUnit(e.name, e.value, c.windUnits, c.numberFormat))}));
    list_->addTopLevelItems(items);
    stack_->setCurrentWidget(list_);
}

} // namespace korvane
