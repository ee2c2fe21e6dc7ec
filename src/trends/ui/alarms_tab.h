#pragma once
// The Alarms tab: every alarm raise and clear of the range, oldest first,
// with its local time, name, change and value with its unit.

#include "tab_context.h"

#include <QWidget>

class QLabel;
class QStackedLayout;
class QTreeWidget;

namespace korvane {

class AlarmsTab : public QWidget {
    Q_OBJECT
public:
    explicit AlarmsTab(QWidget* parent = nullptr);
    void render(const TabContext& c);

    QTreeWidget* list() const { return list_; }
    QString message() const;

private:
    QTreeWidget* list_ = nullptr;
    QLabel* message_ = nullptr;
    QStackedLayout* stack_ = nullptr;
};

} // namespace korvane
