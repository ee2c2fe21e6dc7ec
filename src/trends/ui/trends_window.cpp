#include "trends_window.h"

#include "alarms_tab.h"

#include "battery_tab.h"
#include "config/settings_files.h"
#include "energy_tab.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "power_curve_tab.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedLayout>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvane {

namespace {

// The combo's entries, in RangePreset order, then the one shown once the
// user picks dates of their own.
constexpr const char* kPresetNames[] = {"Last 7 days", "Last 30 days", "This year", "All"};
constexpr int kChosenDates = 4;

QDate qdateOf(int date) {
    return {date / 10000, date / 100 % 100, date % 100};
}

int dateOf(const QDate& d) {
    return dateNumber(d.year(), d.month(), d.day());
}

} // namespace

Trends::Trends(TrendsServices services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)) {
    setObjectName(QStringLiteral("Trends"));
    setWindowTitle(QStringLiteral("Trends"));
    setModal(true);
    resize(960, 600);
    windUnits_ = loadProgramConfig(services_.appFolder).WSUnits;
    turbineConfig_ = loadTurbineConfig(services_.appFolder);
    turbine_ = turbineSettings(turbineConfig_);

    Preset = new QComboBox(this);
    Preset->setObjectName(QStringLiteral("Preset"));
    for (const char* name : kPresetNames)
        Preset->addItem(QString::fromLatin1(name));
    Preset->addItem(QStringLiteral("Chosen dates"));
    FromDate = new QDateEdit(this);
    FromDate->setObjectName(QStringLiteral("FromDate"));
    ToDate = new QDateEdit(this);
    ToDate->setObjectName(QStringLiteral("ToDate"));
    for (QDateEdit* e : {FromDate, ToDate}) {
        e->setCalendarPopup(true);
        e->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    }
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Range:"), this));
    controls->addWidget(Preset);
    controls->addSpacing(12);
    controls->addWidget(new QLabel(QStringLiteral("From"), this));
    controls->addWidget(FromDate);
    controls->addWidget(new QLabel(QStringLiteral("to"), this));
    controls->addWidget(ToDate);
    controls->addStretch(1);
    controls->addWidget(close);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("Tabs"));
    energy_ = new EnergyTab(tabs_);
    powerCurve_ = new PowerCurveTab(tabs_);
    battery_ = new BatteryTab(tabs_);
    days_ = new DaysTab(services_.chooseSaveFile, services_.messages, tabs_);
    tabs_->addTab(energy_, QStringLiteral("Energy"));
    tabs_->addTab(powerCurve_, QStringLiteral("Power curve"));
    tabs_->addTab(battery_, QStringLiteral("Battery"));
    tabs_->addTab(days_, QStringLiteral("Days"));
    alarms_ = new AlarmsTab(tabs_);
    tabs_->addTab(alarms_, QStringLiteral("Alarms"));
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("StoreProblem"));
    problem_->setAlignment(Qt::AlignCenter);
    problem_->setWordWrap(true);
    auto* area = new QWidget(this);
    stack_ = new QStackedLayout(area);
    stack_->addWidget(tabs_);
    stack_->addWidget(problem_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(area, 1);

    energy_->onDayChosen = [this](int date) {
        if (services_.openHistoryDay)
            services_.openHistoryDay(this, date);
    };
    energy_->onRangeChosen = [this](DateRange r) { chooseDates(r.from, r.to); };
    powerCurve_->onTurbineChanged = [this](const TurbineConfig& c) { saveTurbine(c); };
    powerCurve_->onEditTurbine = [this] { editTurbine(); };

    reader_ = std::make_unique<TrendsReader>(services_.appFolder);
    if (reader_->status() != TrendsReader::Status::Ok) {
        problem_->setText(fromLocal8(reader_->problem()));
        stack_->setCurrentWidget(problem_);
        for (QWidget* w : std::initializer_list<QWidget*>{Preset, FromDate, ToDate})
            w->setEnabled(false);
        return;
    }

    connect(Preset, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < kChosenDates)
            choosePreset(static_cast<RangePreset>(index));
    });
    const auto datesEdited = [this] {
        chooseDates(dateOf(FromDate->date()), dateOf(ToDate->date()));
    };
    connect(FromDate, &QDateEdit::dateChanged, this, datesEdited);
    connect(ToDate, &QDateEdit::dateChanged, this, datesEdited);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { drawCurrentTab(); });

    {
        const QSignalBlocker block(Preset);
        Preset->setCurrentIndex(static_cast<int>(RangePreset::Last30Days));
    }
    setRange(presetRange(RangePreset::Last30Days, today(), std::nullopt));
}

Trends::~Trends() = default;

int Trends::today() const {
    const LocalDateTime now = services_.clock.now();
    return dateNumber(now.year, now.month, now.day);
}

QString Trends::storeProblem() const {
    return stack_->currentWidget() == problem_ ? problem_->text() : QString();
}

void Trends::choosePreset(RangePreset preset) {
    {
        const QSignalBlocker block(Preset);
        Preset->setCurrentIndex(static_cast<int>(preset));
    }
    const std::optional<DateRange> stored =
        preset == RangePreset::All ? reader_->storedSpan() : std::nullopt;
    setRange(presetRange(preset, today(), stored));
}

void Trends::chooseDates(int from, int to) {
    {
        const QSignalBlocker block(Preset);
        Preset->setCurrentIndex(kChosenDates);
    }
    setRange(orderedRange(from, to));
}

void Trends::setRange(DateRange range) {
    if (!reader_ || reader_->status() != TrendsReader::Status::Ok)
        return;
    range_ = range;
    {
        const QSignalBlocker blockFrom(FromDate);
        const QSignalBlocker blockTo(ToDate);
        FromDate->setDate(qdateOf(range.from));
        ToDate->setDate(qdateOf(range.to));
    }
    drawn_.fill(false);
    drawCurrentTab();
}

void Trends::drawCurrentTab() {
    if (!reader_ || reader_->status() != TrendsReader::Status::Ok)
        return;
    const int tab = tabs_->currentIndex();
    if (tab < 0 || tab >= static_cast<int>(drawn_.size()) || drawn_[static_cast<std::size_t>(tab)])
        return;
    drawn_[static_cast<std::size_t>(tab)] = true;
    const TabContext c{*reader_,
                       range_,
                       services_.numberFormat,
                       services_.timeFormats,
                       windUnits_,
                       today(),
                       toLocal8(QLocale().groupSeparator()),
                       turbineConfig_,
                       turbine_};
    switch (tab) {
    case EnergyPage:
        energy_->render(c);
        break;
    case PowerCurvePage:
        powerCurve_->render(c);
        break;
    case BatteryPage:
        battery_->render(c);
        break;
    case DaysPage:
        days_->render(c);
        break;
    case AlarmsPage:
        alarms_->render(c);
        break;
    default:
        break;
    }
}

bool Trends::saveTurbine(const TurbineConfig& changed) {
    if (const int error = saveTurbineConfig(services_.appFolder, changed); error != 0) {
        services_.messages.showMessage("The turbine settings could not be saved to " +
                                       joinPath(services_.appFolder, kTurbineConfigFile) + " (" +
                                       errorText(error) + ").\nThe file was left as it was.");
        // The tab shows what the file still says.
        drawn_[PowerCurvePage] = false;
        drawCurrentTab();
        return false;
    }
    turbineConfig_ = changed;
    turbine_ = turbineSettings(turbineConfig_);
    drawn_[PowerCurvePage] = false;
    drawn_[DaysPage] = false;
    drawCurrentTab();
    return true;
}

void Trends::editTurbine(const std::function<void(TurbineDialog&)>& prepare) {
    TurbineDialog dialog(
        turbineConfig_,
        {services_.numberFormat, windUnits_, services_.messages, services_.chooseOpenFile,
         [this](const TurbineConfig& c) { return saveTurbineConfig(services_.appFolder, c); },
         joinPath(services_.appFolder, kTurbineConfigFile)},
        this);
    if (prepare)
        prepare(dialog);
    else
        dialog.exec();
    if (dialog.result() == QDialog::Accepted && dialog.config() != turbineConfig_) {
        turbineConfig_ = dialog.config();
        turbine_ = turbineSettings(turbineConfig_);
        drawn_[PowerCurvePage] = false;
        drawn_[DaysPage] = false;
        drawCurrentTab();
    }
}

} // namespace korvane
