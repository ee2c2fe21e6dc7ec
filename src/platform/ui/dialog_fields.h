#pragma once
// The fields the settings dialogs are made of, named so tests and assistive
// tools find them.

class QCheckBox;
class QLineEdit;
class QWidget;

namespace korvane {

// A text box with object name `name`, read out as `caption`, at least
// `widthPx` wide.
QLineEdit* textBox(const char* name, const char* caption, int widthPx, QWidget* parent);
// A check box with object name `name` and `caption` beside it.
QCheckBox* checkBox(const char* name, const char* caption, QWidget* parent);

} // namespace korvane
