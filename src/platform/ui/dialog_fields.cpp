#include "dialog_fields.h"

#include <QCheckBox>
#include <QLineEdit>

namespace korvane {

QLineEdit* textBox(const char* name, const char* caption, int widthPx, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(QString::fromLatin1(caption));
    box->setMinimumWidth(widthPx);
    return box;
}

QCheckBox* checkBox(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace korvane
