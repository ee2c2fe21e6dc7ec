// The controls of the calibration dialog at their fixed places.  Places are
// in twips, the unit the layout was drawn in; twips() turns them into pixels.

#include "calibrate.h"
#include "division_sign.h"
#include "platform/qt/qt_platform.h"
#include "value_label.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvane {

namespace {

constexpr int kClientWidth = 5430;
constexpr int kClientHeight = 4620;
constexpr int kBoxWidth = 975;
constexpr int kBoxHeight = 315;
constexpr int kButtonHeight = 345;
// How far a raw value may grow left of its place before it would reach the
// guidance text of its step.
constexpr int kValueGrowPx = 60;

enum class Style { Plain, Bold, Equals };

QFont dialogFont(Style style) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(style == Style::Equals ? 12 : 8);
    font.setBold(style != Style::Plain);
    return font;
}

// A fixed text, sized to fit it.
QLabel* textLabel(QWidget* parent, const char* name, const char* text, int left, int top,
                  Style style = Style::Plain) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(dialogFont(style));
    label->move(twips(left), twips(top));
    label->adjustSize();
    return label;
}

// A value whose text changes, reaching to `right`.
QLabel* resultLabel(QWidget* parent, const char* name, int left, int top, int right) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(dialogFont(Style::Plain));
    label->setGeometry(twips(left), twips(top), twips(right) - twips(left),
                       label->fontMetrics().height());
    return label;
}

// A raw value left of a division sign (or of a caption) at `right`.
ValueLabel* valueLabel(QWidget* parent, const char* name, int left, int top, int right,
                       int leftLimitPx) {
    const int rightPx = twips(right) - 2;
    auto* label = new ValueLabel(twips(left), twips(top), rightPx, leftLimitPx, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(dialogFont(Style::Plain));
    label->setValueText(QStringLiteral("0"));
    return label;
}

QLabel* picture(QWidget* parent, const char* name, int left, int top) {
    static const QPixmap sign = divisionSignPixmap();
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setPixmap(sign);
    label->setGeometry(twips(left), twips(top), sign.width(), sign.height());
    return label;
}

QLineEdit* textBox(QWidget* parent, const char* name, const char* text, int left, int top) {
    auto* box = new QLineEdit(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFont(dialogFont(Style::Plain));
    box->setGeometry(twips(left), twips(top), twips(kBoxWidth), twips(kBoxHeight));
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const char* text, int left, int top,
                    int width) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFont(dialogFont(Style::Plain));
    // Enter while typing a divider must not end the dialog.
    b->setAutoDefault(false);
    b->setGeometry(twips(left), twips(top), twips(width), twips(kButtonHeight));
    return b;
}

void separator(QWidget* parent, int top) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(0, twips(top), twips(kClientWidth), 2);
}

} // namespace

void Calibrate::createControls() {
    setFont(dialogFont(Style::Plain));
    setFixedSize(twips(kClientWidth), twips(kClientHeight));

    Label8 = textLabel(this, "Label8", "Step 1. Set Voltage", 45, 120, Style::Bold);
    Label2 = textLabel(this, "Label2", "Measure your battery voltage, and then adjust", 180, 360);
    Label9 = textLabel(this, "Label9", "this value until the correct battery voltage", 180, 600);
    Label10 = textLabel(this, "Label10", "is displayed", 180, 840);
    txtBattV = valueLabel(this, "txtBattV", 3780, 150, 4080, twips(4080) - kValueGrowPx);
    Picture1 = picture(this, "Picture1", 4080, 150);
    BatteryVolts = textBox(this, "BatteryVolts", "0", 4290, 90);
    Label6 = textLabel(this, "Label6", "=", 3780, 480, Style::Equals);
    txtBattVadjusted = resultLabel(this, "txtBattVadjusted", 4020, 510, 5400);
    separator(this, 1080);

    Label11 = textLabel(this, "Label11", "Step 2. Set Current", 45, 1200, Style::Bold);
    Label7 =
        textLabel(this, "Label7", "With no current flowing, press the Zero button..", 180, 1440);
    Label12 = textLabel(this, "Label12", "Apply a charging current, and adjust this", 180, 1680);
    Label13 = textLabel(this, "Label13", "value until the correct amps is displayed.", 150, 1920);
    // "Zero" is kept narrow to leave OffsetV room to grow for a long offset.
    Command2 = button(this, "Command2", "Zero", 3750, 1140, 540);
    OffsetV = valueLabel(this, "OffsetV", 4470, 1170, 4920, twips(3750 + 540) + 2);
    Label1 = textLabel(this, "Label1", "Offset", 4920, 1170);
    txtShuntV = valueLabel(this, "txtShuntV", 3750, 1560, 4110, twips(4110) - kValueGrowPx);
    Picture2 = picture(this, "Picture2", 4110, 1560);
    BatteryCurrent = textBox(this, "BatteryCurrent", "0", 4290, 1500);
    Label20 = textLabel(this, "Label20", "=", 3720, 1860, Style::Equals);
    txtBattAadjusted = resultLabel(this, "txtBattAadjusted", 3960, 1890, 5400);
    separator(this, 2220);

    Label14 = textLabel(this, "Label14", "Step 3. Set RPM", 45, 2370, Style::Bold);
    Label3 = textLabel(this, "Label3", "How many pulses per revolution?", 180, 2610);
    Label15 = textLabel(this, "Label15", "ie, for a Fisher/Paykel, type in 14.", 180, 2850);
    txtPulsess = valueLabel(this, "txtPulsess", 3750, 2400, 4110, twips(4110) - kValueGrowPx);
    Picture3 = picture(this, "Picture3", 4110, 2430);
    PulseDivider = textBox(this, "PulseDivider", "1", 4290, 2370);
    Label16 = textLabel(this, "Label16", "=", 3720, 2700, Style::Equals);
    txtWindmillRPM = resultLabel(this, "txtWindmillRPM", 3930, 2730, 5400);
    separator(this, 3180);

    Label21 = textLabel(this, "Label21", "Step 4. Set Wind Speed", 45, 3330, Style::Bold);
    Label23 = textLabel(this, "Label23", "How many pulses per revolution?", 150, 3570);
    txtPulsess2 = valueLabel(this, "txtPulsess2", 3720, 3360, 4080, twips(4080) - kValueGrowPx);
    Picture4 = picture(this, "Picture4", 4080, 3390);
    Pulse2Divider = textBox(this, "Pulse2Divider", "1", 4260, 3330);
    Label4 = textLabel(this, "Label4", "=", 3690, 3690, Style::Equals);
    txtWindSpeed = resultLabel(this, "txtWindSpeed", 3900, 3720, 5400);
    separator(this, 4080);

    Command6 = button(this, "Command6", "Exit ( dont save )", 1440, 4200, 1575);
    Command1 = button(this, "Command1", "Save Calibration", 3120, 4200, 1575);

    // The free corner left of the buttons says whether live values can come.
    PortState = new QLabel(this);
    PortState->setObjectName(QStringLiteral("PortState"));
    QFont small = dialogFont(Style::Plain);
    small.setPointSize(7);
    PortState->setFont(small);
    PortState->setWordWrap(true);
    PortState->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PortState->setGeometry(twips(45), twips(4200), twips(1350), twips(kButtonHeight));
}

} // namespace korvane
