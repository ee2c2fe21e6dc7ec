#pragma once
// The log history window "Graph": pick a day and a time range, read that
// day's log, plot volts, amps, watts, RPM and wind speed against record
// number, list the records, and read values under the mouse.
//
// Choices of this window:
//  - prog.cfg that is missing or lacks DisplayRPM, DisplayWS or WSUnits
//    gives the program's defaults for them (RPM and wind speed unticked,
//    "km/h"), so the window always opens.
//  - After the "Over 10,000 records, ..." message the window is empty and
//    ready for a narrower query: no records loaded (RecordCount 0), the view
//    at 0..0, not zoomed, the plot, the table and the readout cleared, and
//    the time and scale labels back to "Start", "Finish" and "0".  Nothing
//    of the refused query is drawn, and the switches do not redraw.
//  - A log that cannot be appended to or read (no logs folder, no rights)
//    answers "No data for that date"; the logs folder is never created here.
//  - The mouse: the readout past the loaded records shows what the slots
//    hold, limited only to the arrays' slots 0..10000; zoom releases beyond
//    the loaded records are limited to them (see history/cursor_readout.h),
//    and a release that would leave an empty view does not zoom.
//  - Load-on bands fill the plot's full height, under the series.
//  - A day whose log holds no record (logging was off, or the log was
//    moved) but whose minutes are in korvane.db is drawn from the store:
//    one record a minute with the minute's highest values and its load
//    state, the caption saying so.  The time range, switches, cursor, zoom
//    and table work as for a log.  A log with records is always what is
//    drawn; no store is created when there is none.

#include "history/history_buffer.h"
#include "history/history_query.h"
#include "history/plot_model.h"
#include "history/time_of_day.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/time_formats.h"

#include <QDialog>
#include <array>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace korvane {

class HistoryPlot;
class RecordTableModel;

class Graph : public QDialog {
    Q_OBJECT
public:
    // Reads prog.cfg from `appFolder` and today's date from `clock`; message
    // boxes go to `messages`.  The references must outlive the window.
    Graph(std::string appFolder, NumberFormat numberFormat, const TimeFormats& timeFormats,
          const Clock& clock, MessageSink& messages, QWidget* parent = nullptr);
    ~Graph() override;

    // Fills the date fields with the day and runs the query as "Display"
    // does (the time fields are left as they are).
    void showDay(int year, int month, int day);

    // The loaded records and the view, read-only.
    int recordCount() const { return RecordCount; }
    double firstIndex() const { return FirstIndex; }
    double lastIndex() const { return LastIndex; }
    bool zoomed() const { return ZoomState == 1; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    void connectControls();
    void Form_Load();
    void Command1_Click();
    // Draws the day from the store's minutes when its log holds no record;
    // false when it drew nothing.
    bool showStoredDay(const QueryFields& fields, const QueryRange& range);
    void switchClicked(int& value, bool checked);
    void Plot_MouseDown(float x);
    void Plot_MouseMove(float x);
    void Plot_MouseUp(float x);
    void RenderHistory();
    void showLabels(const PlotLabels& labels);
    void clearView();
    SeriesSwitches switches() const;
    HistoryTextForms textForms() const;

    // Services.
    std::string appFolder_;
    NumberFormat numberFormat_;
    const TimeFormats& timeFormats_;
    const Clock& clock_;
    MessageSink& messages_;

    // Controls.
    QLabel* Label15 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* DateY1 = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* DateM1 = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* DateD1 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Time1h = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Time1m = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Time2h = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Time2m = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QTableView* ListView1 = nullptr;
    RecordTableModel* records_ = nullptr;
    HistoryPlot* Plot = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr;
    QCheckBox* Check5 = nullptr;
    QCheckBox* Check6 = nullptr;
    QLabel* stime = nullptr;
    QLabel* ftime = nullptr;
    QLabel* VMax1 = nullptr;
    QLabel* AMax1 = nullptr;
    QLabel* WMax1 = nullptr;
    QLabel* RMax1 = nullptr;
    QLabel* SMax1 = nullptr;
    QLabel* SMin1 = nullptr;
    QLabel* RMin1 = nullptr;
    QLabel* WMin1 = nullptr;
    QLabel* AMin1 = nullptr;
    QLabel* VMin1 = nullptr;
    QLabel* vt = nullptr;
    QLabel* vv = nullptr;
    QLabel* av = nullptr;
    QLabel* wv = nullptr;
    QLabel* rv = nullptr;
    QLabel* sv = nullptr;

    // Window state.
    korvane::HistoryBuffer HistoryBuffer;
    TimeOfDay RangeStart;
    TimeOfDay RangeFinish;
    int RecordCount = 0;
    std::array<double, 8> SeriesRange{}; // V, A, W, RPM maxima and minima of the last render
    double FirstIndex = 0;
    double LastIndex = 0;
    int ButtonDown = 0;
    std::string WSUnits;
    std::string DisplayRPM;
    std::string DisplayWS;
    int ZoomState = 0;
    int RefVoltsToZero = 0;
    int ShowVolts = 0;
    int ShowAmps = 0;
    int ShowWatts = 0;
    int ShowRpm = 0;
    int ShowWindSpeed = 0;
};

} // namespace korvane
