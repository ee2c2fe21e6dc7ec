#include "alarms_dialog.h"

#include "alarms/alarm_config.h"
#include "alarms/alarm_text.h"
#include "config/settings_files.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "platform/ui/dialog_fields.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

QLineEdit* textBox(std::string_view name, int widthPx, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    box->setFixedWidth(widthPx);
    // Assistive tools read the same words as the messages about the field.
    const std::string_view caption = alarmFieldCaption(name);
    box->setAccessibleName(
        QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())));
    return box;
}

QLabel* note(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// "Test: exit code 0, last line: sent", "Test: cannot start: ..., no output."
std::string testResultText(const CommandOutcome& outcome) {
    std::string text = "Test: " + (outcome.failure.empty() ? "exit code 0" : outcome.failure);
    text += outcome.lastLine.empty() ? ", no output." : ", last line: " + outcome.lastLine;
    return text;
}

} // namespace

Alarms::Alarms(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
               QWidget* parent)
    : QDialog(parent), appFolder_(std::move(appFolder)), fmt_(numberFormat), messages_(messages) {
    setObjectName(QStringLiteral("Alarms"));
    setWindowTitle(QStringLiteral("Alarms"));

    namespace k = alarm_keys;
    const int level = twips(900);
    LowVoltsOn = checkBox("LowVoltsOn", "Battery low", this);
    LowVolts = textBox(k::LowVolts, level, this);
    LowVoltsClear = textBox(k::LowVoltsClear, level, this);
    HighVoltsOn = checkBox("HighVoltsOn", "Battery high", this);
    HighVolts = textBox(k::HighVolts, level, this);
    HighVoltsClear = textBox(k::HighVoltsClear, level, this);
    HighAmpsOn = checkBox("HighAmpsOn", "Current high", this);
    HighAmps = textBox(k::HighAmps, level, this);
    HighAmpsClear = textBox(k::HighAmpsClear, level, this);
    HighRPMOn = checkBox("HighRPMOn", "RPM high", this);
    HighRPM = textBox(k::HighRPM, level, this);
    HighRPMClear = textBox(k::HighRPMClear, level, this);
    HighWindOn = checkBox("HighWindOn", "Wind high", this);
    HighWind = textBox(k::HighWind, level, this);
    HighWindClear = textBox(k::HighWindClear, level, this);
    OutputLowOn = checkBox("OutputLowOn", "Turbine output low", this);
    OutputLow = textBox(k::OutputLow, level, this);
    OutputLowClear = textBox(k::OutputLowClear, level, this);
    NoDataOn = checkBox("NoDataOn", "No data", this);
    NoDataMinutes = textBox(k::NoDataMinutes, level, this);
    HoldSeconds = textBox(k::HoldSeconds, level, this);
    Command = textBox(k::Command, twips(4800), this);
    BatteryLow = textBox(k::BatteryLow, level, this);
    BatteryGood = textBox(k::BatteryGood, level, this);
    BatteryFull = textBox(k::BatteryFull, level, this);
    IdleBand = textBox(k::IdleBand, level, this);
    TestCommand = new QPushButton(QStringLiteral("Test command"), this);
    TestCommand->setObjectName(QStringLiteral("TestCommand"));
    TestCommand->setAutoDefault(false); // Enter in a box still means Save
    TestResult = note(QString(), this);
    TestResult->setObjectName(QStringLiteral("TestResult"));
    TestResult->setWordWrap(true);
    TestResult->setTextInteractionFlags(Qt::TextSelectableByMouse);

    const QString wind = fromLocal8(loadProgramConfig(appFolder_).WSUnits);
    struct Row {
        QCheckBox* on;
        const char* side;
        QLineEdit* set;
        QString unit;
        QLineEdit* clear;
    };
    const Row rows[] = {
        {LowVoltsOn, "below", LowVolts, QStringLiteral("V"), LowVoltsClear},
        {HighVoltsOn, "above", HighVolts, QStringLiteral("V"), HighVoltsClear},
        {HighAmpsOn, "above", HighAmps, QStringLiteral("A"), HighAmpsClear},
        {HighRPMOn, "above", HighRPM, QStringLiteral("RPM"), HighRPMClear},
        {HighWindOn, "above", HighWind, wind, HighWindClear},
        {OutputLowOn, "below", OutputLow, QStringLiteral("%"), OutputLowClear},
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(twips(120));
    grid->setVerticalSpacing(twips(90));
    int row = 0;
    for (const Row& r : rows) {
        grid->addWidget(r.on, row, 0);
        grid->addWidget(note(QString::fromLatin1(r.side), this), row, 1);
        grid->addWidget(r.set, row, 2);
        grid->addWidget(note(r.unit, this), row, 3);
        grid->addWidget(note(QStringLiteral("clears at"), this), row, 4);
        grid->addWidget(r.clear, row, 5);
        grid->addWidget(note(r.unit, this), row, 6);
        ++row;
    }
    grid->addWidget(note(QStringLiteral("of its curve over the last 7 days, judged at the start "
                                        "and once a day"),
                         this),
                    row, 1, 1, 6);
    ++row;
    grid->addWidget(NoDataOn, row, 0);
    grid->addWidget(note(QStringLiteral("after"), this), row, 1);
    grid->addWidget(NoDataMinutes, row, 2);
    grid->addWidget(note(QStringLiteral("minutes without a packet"), this), row, 3, 1, 4);
    ++row;
    grid->addWidget(note(QStringLiteral("Log not written"), this), row, 0);
    grid->addWidget(note(QStringLiteral("always on: records held because a log file cannot be "
                                        "written"),
                         this),
                    row, 1, 1, 6);
    ++row;
    auto* holdLabel = note(QStringLiteral("Hold"), this);
    holdLabel->setBuddy(HoldSeconds);
    grid->addWidget(holdLabel, row, 0);
    grid->addWidget(HoldSeconds, row, 2);
    grid->addWidget(note(QStringLiteral("seconds a level must be passed before it alarms"), this),
                    row, 3, 1, 4);
    ++row;
    auto* commandLabel = note(QStringLiteral("Command"), this);
    commandLabel->setBuddy(Command);
    grid->addWidget(commandLabel, row, 0);
    grid->addWidget(Command, row, 1, 1, 6);
    ++row;
    grid->addWidget(note(QStringLiteral("Run on every raise and clear with: name, raised or "
                                        "cleared, value, unit, time (HH:mm)"),
                         this),
                    row, 1, 1, 6);
    ++row;
    grid->addWidget(TestCommand, row, 1, 1, 2);
    grid->addWidget(TestResult, row, 3, 1, 4);

    // The battery line's levels: not alarms, but read from the same file.
    auto* battery = new QGroupBox(QStringLiteral("Battery levels"), this);
    battery->setObjectName(QStringLiteral("BatteryLevels"));
    auto* levels = new QGridLayout(battery);
    levels->setHorizontalSpacing(twips(120));
    struct LevelRow {
        const char* before;
        QLineEdit* box;
        const char* after;
    };
    const LevelRow levelRows[] = {
        {"Low below", BatteryLow, "V"},
        {"Good above", BatteryGood, "V"},
        {"Nearly full above", BatteryFull, "V while charging"},
        {"Idle within \u00b1", IdleBand, "A"},
    };
    int cell = 0;
    for (const LevelRow& r : levelRows) {
        const int line = cell / 2;
        const int column = cell % 2 * 3;
        auto* label = note(QString::fromUtf8(r.before), battery);
        label->setBuddy(r.box);
        levels->addWidget(label, line, column);
        levels->addWidget(r.box, line, column + 1);
        levels->addWidget(note(QString::fromLatin1(r.after), battery), line, column + 2);
        ++cell;
    }

    Save = new QPushButton(QStringLiteral("Save"), this);
    Save->setObjectName(QStringLiteral("Save"));
    Save->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(twips(120));
    layout->addWidget(battery);
    layout->addSpacing(twips(120));
    layout->addWidget(Save, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Save, &QPushButton::clicked, this, [this] { Save_Click(); });
    connect(TestCommand, &QPushButton::clicked, this, [this] { TestCommand_Click(); });
    Form_Load();
}

// A test still running is ended with the dialog, before the controls it
// reports to are gone.
Alarms::~Alarms() {
    tests_.reset();
}

std::array<Alarms::TextField, 19> Alarms::textFields() const {
    using C = AlarmConfig;
    return {{{LowVolts, &C::LowVolts},
             {LowVoltsClear, &C::LowVoltsClear},
             {HighVolts, &C::HighVolts},
             {HighVoltsClear, &C::HighVoltsClear},
             {HighAmps, &C::HighAmps},
             {HighAmpsClear, &C::HighAmpsClear},
             {HighRPM, &C::HighRPM},
             {HighRPMClear, &C::HighRPMClear},
             {HighWind, &C::HighWind},
             {HighWindClear, &C::HighWindClear},
             {OutputLow, &C::OutputLow},
             {OutputLowClear, &C::OutputLowClear},
             {NoDataMinutes, &C::NoDataMinutes},
             {HoldSeconds, &C::HoldSeconds},
             {Command, &C::Command},
             {BatteryLow, &C::BatteryLow},
             {BatteryGood, &C::BatteryGood},
             {BatteryFull, &C::BatteryFull},
             {IdleBand, &C::IdleBand}}};
}

std::array<Alarms::SwitchField, 7> Alarms::switchFields() const {
    using C = AlarmConfig;
    return {{{LowVoltsOn, &C::LowVoltsOn},
             {HighVoltsOn, &C::HighVoltsOn},
             {HighAmpsOn, &C::HighAmpsOn},
             {HighRPMOn, &C::HighRPMOn},
             {HighWindOn, &C::HighWindOn},
             {OutputLowOn, &C::OutputLowOn},
             {NoDataOn, &C::NoDataOn}}};
}

void Alarms::Form_Load() {
    const AlarmConfig config = loadAlarmConfig(appFolder_, fmt_);
    for (const TextField& f : textFields())
        f.box->setText(fromLocal8(config.*f.text));
    for (const SwitchField& f : switchFields())
        f.box->setChecked(isSwitchOn(config.*f.text, fmt_));
}

void Alarms::Save_Click() {
    AlarmConfig config;
    for (const TextField& f : textFields())
        config.*f.text = toLocal8(f.box->text());
    for (const SwitchField& f : switchFields())
        config.*f.text = f.box->isChecked() ? "1" : "0";
    const std::string problem = alarmConfigProblem(config, fmt_);
    if (!problem.empty()) {
        messages_.showMessage(problem);
        return;
    }
    if (const int error = saveAlarmConfig(appFolder_, config)) {
        messages_.showMessage(
            alarmsSaveFailedMessage(joinPath(appFolder_, kAlarmConfigFile), error));
        return;
    }
    accept();
}

void Alarms::TestCommand_Click() {
    const std::string program = trimmed(toLocal8(Command->text()));
    if (program.empty()) {
        TestResult->setText(QStringLiteral("Test: type a command in the Command box first."));
        return;
    }
    if (!tests_)
        tests_ = std::make_unique<ProcessCommandRunner>(appFolder_);
    AlarmCommandCall call = testAlarmCall(clock_.now(), clock_.utcMs(), fmt_);
    TestCommand->setEnabled(false);
    TestResult->setText(QStringLiteral("Test: running ") + fromLocal8(program) +
                        QStringLiteral(" ..."));
    tests_->run({program, std::move(call.args), std::move(call.env)},
                [this](const CommandOutcome& outcome) {
                    TestResult->setText(fromLocal8(testResultText(outcome)));
                    TestCommand->setEnabled(true);
                });
}

bool openAlarmsDialog(QWidget* owner, const std::string& appFolder, NumberFormat numberFormat,
                      MessageSink& messages) {
    Alarms dialog(appFolder, numberFormat, messages, owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace korvane
