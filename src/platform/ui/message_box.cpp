#include "message_box.h"

#include "platform/qt/qt_platform.h"

#include <QMessageBox>

namespace korvane {

void QtMessageSink::showMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Korvane"), fromLocal8(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

} // namespace korvane
