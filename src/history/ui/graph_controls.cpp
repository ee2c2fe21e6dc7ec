// The controls of the history window at their places, in twips, and the
// fixed lines that frame the labels.

#include "graph.h"

#include "history/plot_colours.h"
#include "history_plot.h"
#include "platform/qt/qt_platform.h"
#include "record_table_model.h"
#include "switch_box.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTableView>

namespace korvane {

namespace {

QColor qColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

template <typename W> W* place(W* widget, const char* name, QRect geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// A caption in `text` colour straight on the window's grey.
QLabel* label(QWidget* parent, const char* name, const QString& caption, QRect geometry,
              Rgb text = colours::kWhiteText) {
    auto* l = place(new QLabel(caption, parent), name, geometry);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, qColor(text));
    l->setPalette(p);
    return l;
}

QLineEdit* textBox(QWidget* parent, const char* name, const QString& text, int left, int top,
                   int width) {
    return place(new QLineEdit(text, parent), name, twipsRect(left, top, width, 285));
}

QCheckBox* switchBox(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                     QColor background, QColor text) {
    auto* box = place(new SwitchBox(caption, parent), name, geometry);
    QPalette p = box->palette();
    // A button fills its background with the Button role.
    p.setColor(QPalette::Button, background);
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    box->setPalette(p);
    box->setAutoFillBackground(true);
    return box;
}

} // namespace

void Graph::createControls() {
    setWindowTitle(QStringLiteral("Graph"));
    setFixedSize(twips(13830), twips(5640));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8);
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Window, qColor(colours::kWindowBackground));
    setPalette(p);
    setAutoFillBackground(true);

    Label15 = label(this, "Label15", QStringLiteral("Log History"), twipsRect(45, 45, 2700, 375));
    QFont title = font;
    title.setPointSizeF(13.5);
    Label15->setFont(title);
    Label1 = label(this, "Label1", QStringLiteral("Date"), twipsRect(45, 495, 555, 240));
    DateY1 = textBox(this, "DateY1", QStringLiteral("2006"), 630, 450, 465);
    Label13 = label(this, "Label13", QStringLiteral("/"), twipsRect(1125, 495, 120, 240));
    DateM1 = textBox(this, "DateM1", QStringLiteral("1"), 1260, 450, 330);
    Label14 = label(this, "Label14", QStringLiteral("/"), twipsRect(1620, 495, 120, 240));
    DateD1 = textBox(this, "DateD1", QStringLiteral("1"), 1755, 450, 405);
    Label12 = label(this, "Label12", QStringLiteral("YYYY/MM/DD"), twipsRect(2205, 495, 1300, 240));
    Label2 = label(this, "Label2", QStringLiteral("From"), twipsRect(90, 855, 525, 240));
    Time1h = textBox(this, "Time1h", QStringLiteral("00"), 630, 810, 375);
    Label4 = label(this, "Label4", QStringLiteral(":"), twipsRect(1035, 855, 60, 240));
    Time1m = textBox(this, "Time1m", QStringLiteral("00"), 1080, 810, 375);
    Label3 = label(this, "Label3", QStringLiteral("To"), twipsRect(90, 1125, 525, 240));
    Time2h = textBox(this, "Time2h", QStringLiteral("23"), 630, 1125, 375);
    Label5 = label(this, "Label5", QStringLiteral(":"), twipsRect(1035, 1170, 60, 240));
    Time2m = textBox(this, "Time2m", QStringLiteral("59"), 1080, 1125, 375);
    Command1 = place(new QPushButton(QStringLiteral("Display"), this), "Command1",
                     twipsRect(1575, 810, 1335, 600));
    Command1->setDefault(true);
    Command2 = place(new QPushButton(QStringLiteral("Exit"), this), "Command2",
                     twipsRect(3105, 1035, 1005, 375));

    records_ = new RecordTableModel(this);
    ListView1 = place(new QTableView(this), "ListView1", twipsRect(90, 1485, 4110, 4065));
    ListView1->setModel(records_);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setShowGrid(false);
    ListView1->setWordWrap(false);
    ListView1->verticalHeader()->hide();
    // Fixed row heights: sizing rows to their contents costs seconds on a
    // full day.
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 2);
    ListView1->horizontalHeader()->setMinimumSectionSize(1);
    ListView1->horizontalHeader()->setStretchLastSection(false);
    ListView1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Plot = place(new HistoryPlot(this), "Plot", twipsRect(4320, 270, 7035, 5235));

    const QColor black(Qt::black);
    const QColor white(Qt::white);
    Check1 = switchBox(this, "Check1", QStringLiteral("Volts"), twipsRect(13005, 1800, 795, 390),
                       qColor(colours::kVoltsSwitch), black);
    Check2 = switchBox(this, "Check2", QStringLiteral("Amps"), twipsRect(13005, 2205, 795, 390),
                       qColor(colours::kAmpsSwitch), black);
    Check3 = switchBox(this, "Check3", QStringLiteral("Watts"), twipsRect(13005, 2610, 795, 390),
                       qColor(colours::kWattsSwitch), black);
    Check4 = switchBox(this, "Check4", QStringLiteral("RPM"), twipsRect(13005, 3015, 795, 390),
                       qColor(colours::kRpmSwitch), black);
    // No colour of its own: the usual button face.
    Check5 = switchBox(this, "Check5", QStringLiteral("Wind Speed"),
                       twipsRect(13005, 3420, 795, 390), QPalette().color(QPalette::Button), black);
    Check6 = switchBox(this, "Check6", QStringLiteral("Ref V to 0v"),
                       twipsRect(11610, 3915, 1305, 285), qColor(colours::kRefVoltsSwitch), white);

    stime = label(this, "stime", QStringLiteral("Start"), twipsRect(4410, 45, 1005, 285));
    ftime = label(this, "ftime", QStringLiteral("Finish"), twipsRect(10350, 45, 870, 240));
    VMax1 = label(this, "VMax1", QStringLiteral("0"), twipsRect(11790, 450, 1230, 240),
                  colours::kVoltsText);
    AMax1 = label(this, "AMax1", QStringLiteral("0"), twipsRect(11790, 630, 1410, 240),
                  colours::kAmpsText);
    WMax1 = label(this, "WMax1", QStringLiteral("0"), twipsRect(11790, 810, 1365, 240),
                  colours::kWattsText);
    RMax1 = label(this, "RMax1", QStringLiteral("0"), twipsRect(11790, 990, 1365, 240),
                  colours::kRpmText);
    SMax1 = label(this, "SMax1", QStringLiteral("0"), twipsRect(11790, 1170, 1365, 240));
    SMin1 = label(this, "SMin1", QStringLiteral("0"), twipsRect(11745, 4500, 1230, 240));
    RMin1 = label(this, "RMin1", QStringLiteral("0"), twipsRect(11745, 4680, 1320, 240),
                  colours::kRpmText);
    WMin1 = label(this, "WMin1", QStringLiteral("0"), twipsRect(11745, 4860, 1320, 195),
                  colours::kWattsText);
    AMin1 = label(this, "AMin1", QStringLiteral("0"), twipsRect(11745, 5040, 1275, 195),
                  colours::kAmpsText);
    VMin1 = label(this, "VMin1", QStringLiteral("0"), twipsRect(11745, 5220, 1185, 195),
                  colours::kVoltsText);

    vt = label(this, "vt", {}, twipsRect(11610, 1890, 1230, 195));
    vv = label(this, "vv", {}, twipsRect(11610, 2295, 1230, 195));
    av = label(this, "av", {}, twipsRect(11610, 2610, 1230, 195));
    wv = label(this, "wv", {}, twipsRect(11610, 2925, 1230, 195));
    rv = label(this, "rv", {}, twipsRect(11610, 3240, 1230, 195));
    sv = label(this, "sv", {}, twipsRect(11610, 3555, 1230, 195));
}

void Graph::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 0));
    auto line = [&](int x0, int y0, int x1, int y1) {
        painter.drawLine(twips(x0), twips(y0), twips(x1), twips(y1));
    };
    // Ticks beside the time labels and towards the volts scale labels.
    line(4320, 45, 4320, 315);
    line(11340, 45, 11340, 315);
    line(11385, 450, 11700, 450);
    line(11385, 5400, 11655, 5400);
    // The frame of the readout, with the rule under the time.
    painter.drawRect(QRect(QPoint(twips(11475), twips(1800)), QPoint(twips(12915), twips(3825))));
    line(11475, 2205, 12915, 2205);
}

} // namespace korvane
