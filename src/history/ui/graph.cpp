#include "graph.h"

#include "config/settings_files.h"
#include "history/cursor_readout.h"
#include "history/history_query.h"
#include "history/stored_day.h"
#include "history_plot.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "record_table_model.h"
#include "recording/log_record.h"
#include "stored_day_reader.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace korvane {

Graph::Graph(std::string appFolder, NumberFormat numberFormat, const TimeFormats& timeFormats,
             const Clock& clock, MessageSink& messages, QWidget* parent)
    : QDialog(parent), appFolder_(std::move(appFolder)), numberFormat_(numberFormat),
      timeFormats_(timeFormats), clock_(clock), messages_(messages) {
    setModal(true);
    createControls();
    connectControls();
    Form_Load();
}

Graph::~Graph() = default;

void Graph::connectControls() {
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { close(); });
    // toggled, not clicked: ticking a box from code runs its click behaviour.
    const std::pair<QCheckBox*, int*> switches[] = {
        {Check1, &ShowVolts}, {Check2, &ShowAmps},      {Check3, &ShowWatts},
        {Check4, &ShowRpm},   {Check5, &ShowWindSpeed}, {Check6, &RefVoltsToZero}};
    for (const auto& [box, value] : switches)
        connect(box, &QCheckBox::toggled, this,
                [this, value = value](bool checked) { switchClicked(*value, checked); });
    connect(Plot, &HistoryPlot::mousePressed, this, [this](float x) { Plot_MouseDown(x); });
    connect(Plot, &HistoryPlot::mouseMoved, this, [this](float x) { Plot_MouseMove(x); });
    connect(Plot, &HistoryPlot::mouseReleased, this, [this](float x) { Plot_MouseUp(x); });
}

void Graph::Form_Load() {
    const LocalDateTime today = clock_.now();
    DateY1->setText(QString::number(today.year));
    DateM1->setText(QString::number(today.month));
    DateD1->setText(QString::number(today.day));
    FirstIndex = 0;
    LastIndex = 0;
    ButtonDown = 0;

    const ProgramConfig config = loadProgramConfig(appFolder_);
    DisplayRPM = config.DisplayRPM;
    DisplayWS = config.DisplayWS;
    WSUnits = config.WSUnits;

    Check1->setChecked(true);
    Check2->setChecked(true);
    Check3->setChecked(true);
    Check6->setChecked(true);
    RefVoltsToZero = 1;

    records_->setTitles({QString(), QStringLiteral("Mode"), QStringLiteral("Volts"),
                         QStringLiteral("Amps"), QStringLiteral("Watts"), QStringLiteral("RPM"),
                         fromLocal8(WSUnits), QStringLiteral("Time")});
    records_->setRows({}, textForms());
    const int widths[RecordTableModel::kColumns] = {1, 600, 700, 700, 700, 700, 700, 800};
    for (int c = 0; c < RecordTableModel::kColumns; ++c)
        ListView1->horizontalHeader()->resizeSection(c, std::max(1, twips(widths[c])));

    ShowVolts = 1;
    ShowAmps = 1;
    ShowWatts = 1;
    if (isSwitchOn(DisplayRPM, numberFormat_)) {
        Check4->setChecked(true);
        ShowRpm = 1;
    }
    if (isSwitchOn(DisplayWS, numberFormat_)) {
        Check5->setChecked(true);
        ShowWindSpeed = 1;
    }
}

void Graph::showDay(int year, int month, int day) {
    DateY1->setText(QString::number(year));
    DateM1->setText(QString::number(month));
    DateD1->setText(QString::number(day));
    Command1_Click();
}

void Graph::Command1_Click() {
    const QueryFields fields{toLocal8(DateY1->text()), toLocal8(DateM1->text()),
                             toLocal8(DateD1->text()), toLocal8(Time1h->text()),
                             toLocal8(Time1m->text()), toLocal8(Time2h->text()),
                             toLocal8(Time2m->text())};
    const QueryResult result = runHistoryQuery(appFolder_, fields, numberFormat_, HistoryBuffer);
    switch (result.outcome) {
    case QueryOutcome::BadStartTime:
    case QueryOutcome::BadFinishTime:
    case QueryOutcome::BadDate:
        messages_.showMessage(queryMessage(result.outcome));
        return;
    case QueryOutcome::NoData:
    case QueryOutcome::TooManyRecords:
    case QueryOutcome::Loaded:
        break;
    }
    if (result.outcome == QueryOutcome::NoData && showStoredDay(fields, result.range))
        return;
    RangeStart = result.range.start;
    RangeFinish = result.range.finish;
    RecordCount = result.recordCount;
    ZoomState = 0;
    if (result.outcome == QueryOutcome::NoData) {
        // The plot and table keep the previous result; with no records
        // loaded the switches and the mouse leave them alone.
        RecordCount = 0;
        messages_.showMessage(queryMessage(result.outcome));
        return;
    }
    if (result.outcome == QueryOutcome::TooManyRecords) {
        // Cleared before the message so the user reads it over an empty
        // window rather than over a view of a different query.
        clearView();
        messages_.showMessage(queryMessage(result.outcome));
        return;
    }
    setWindowTitle(QStringLiteral("Graph"));
    FirstIndex = 1;
    LastIndex = RecordCount;
    RenderHistory();
}

bool Graph::showStoredDay(const QueryFields& fields, const QueryRange& range) {
    const auto date = parseDayFirstDate(fields.day + "/" + fields.month + "/" + fields.year);
    if (!date)
        return false;
    // A log with records under the typed name or under the day's own name
    // ("01" for a month names another file) is the day's record: it is
    // never replaced by the store's.
    const std::string own = std::to_string(date->year) + "_" + std::to_string(date->month) + "_" +
                            std::to_string(date->day);
    for (const std::string& path : {queryLogPath(appFolder_, fields), logFilePath(appFolder_, own)})
        if (const auto text = readWholeFile(path); text && logHoldsRecords(*text))
            return false;
    const auto minutes = readStoredDay(appFolder_, date->year, date->month, date->day);
    if (!minutes || minutes->empty())
        return false;
    const LoadResult loaded = loadStoredMinutes(*minutes, range, HistoryBuffer);
    if (loaded.outcome != QueryOutcome::Loaded)
        return false;
    RangeStart = range.start;
    RangeFinish = range.finish;
    RecordCount = loaded.recordCount;
    ZoomState = 0;
    setWindowTitle(QStringLiteral("Graph - from the minute store (no log for this day)"));
    FirstIndex = 1;
    LastIndex = RecordCount;
    RenderHistory();
    return true;
}

void Graph::clearView() {
    setWindowTitle(QStringLiteral("Graph"));
    RecordCount = 0;
    ZoomState = 0;
    FirstIndex = 0;
    LastIndex = 0;
    RenderHistory();
    stime->setText(QStringLiteral("Start"));
    ftime->setText(QStringLiteral("Finish"));
    for (QLabel* l : {VMax1, VMin1, AMax1, AMin1, WMax1, WMin1, RMax1, RMin1, SMax1, SMin1})
        l->setText(QStringLiteral("0"));
    for (QLabel* l : {vt, vv, av, wv, rv, sv})
        l->clear();
}

void Graph::switchClicked(int& value, bool checked) {
    value = checked ? 1 : 0;
    if (RecordCount > 1)
        RenderHistory();
}

void Graph::Plot_MouseDown(float x) {
    ButtonDown = 1;
    if (ZoomState == 0 && RecordCount > 1)
        FirstIndex = x;
}

void Graph::Plot_MouseMove(float x) {
    const auto readout = readoutAt(HistoryBuffer, x, FirstIndex, RecordCount, textForms());
    if (!readout)
        return;
    vt->setText(fromLocal8(readout->vt));
    vv->setText(fromLocal8(readout->vv));
    av->setText(fromLocal8(readout->av));
    wv->setText(fromLocal8(readout->wv));
    rv->setText(fromLocal8(readout->rv));
    sv->setText(fromLocal8(readout->sv));
    if (ZoomState == 0 && ButtonDown == 1)
        Plot->drawSelectionLine(FirstIndex, x);
}

void Graph::Plot_MouseUp(float x) {
    ButtonDown = 0;
    if (ZoomState != 0)
        return;
    if (const auto last = zoomLastIndex(FirstIndex, x, RecordCount)) {
        LastIndex = *last;
        ZoomState = 1;
        RenderHistory();
    }
}

void Graph::RenderHistory() {
    PlotModel model =
        buildPlotModel(HistoryBuffer, {FirstIndex, LastIndex}, switches(), textForms());
    Plot->setDrawing(std::move(model.drawing));
    records_->setRows(std::move(model.rows), textForms());
    if (!model.drawn)
        return;
    for (int s = 0; s < kSeriesCount - 1; ++s) {
        SeriesRange[static_cast<std::size_t>(2 * s)] =
            model.scales[static_cast<std::size_t>(s)].max;
        SeriesRange[static_cast<std::size_t>(2 * s + 1)] =
            model.scales[static_cast<std::size_t>(s)].min;
    }
    showLabels(model.labels);
}

void Graph::showLabels(const PlotLabels& l) {
    stime->setText(fromLocal8(l.stime));
    ftime->setText(fromLocal8(l.ftime));
    VMax1->setText(fromLocal8(l.VMax1));
    VMin1->setText(fromLocal8(l.VMin1));
    AMax1->setText(fromLocal8(l.AMax1));
    AMin1->setText(fromLocal8(l.AMin1));
    WMax1->setText(fromLocal8(l.WMax1));
    WMin1->setText(fromLocal8(l.WMin1));
    RMax1->setText(fromLocal8(l.RMax1));
    RMin1->setText(fromLocal8(l.RMin1));
    SMax1->setText(fromLocal8(l.SMax1));
    SMin1->setText(fromLocal8(l.SMin1));
}

SeriesSwitches Graph::switches() const {
    return {ShowVolts == 1, ShowAmps == 1,      ShowWatts == 1,
            ShowRpm == 1,   ShowWindSpeed == 1, RefVoltsToZero == 1};
}

HistoryTextForms Graph::textForms() const {
    return {numberFormat_, &timeFormats_, WSUnits};
}

} // namespace korvane
