#include "tavrel.h"

#include "app/readings_delegate.h"

#include "platform/qt/qt_platform.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvane {

namespace {

const QColor kGrey(128, 128, 128);

QLabel* whiteLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(p);
    return label;
}

QPushButton* makeButton(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

// A box whose children fill it, with no layout to redo when they change.
class FillBox final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void resizeEvent(QResizeEvent*) override {
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->setGeometry(rect());
    }
};

} // namespace

void Tavrel::buildControls() {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kGrey);
    setPalette(pal);
    setAutoFillBackground(true);

    Setup = makeButton("Setup", "Program Setup", this);
    CalibrateButton = makeButton("CalibrateButton", "Calibrate", this);
    ShowLogs = makeButton("ShowLogs", "Show Logs", this);
    Exit = makeButton("Exit", "Exit", this);
    StartLogging = makeButton("StartLogging", "Start", this);
    StopLogging = makeButton("StopLogging", "Stop", this);
    delay = new QLineEdit("60", this);
    delay->setObjectName("delay");
    delay->setFixedWidth(twips(700));

    for (QPushButton** lamp : {&BlinkData, &BlinkLog}) {
        *lamp = new QPushButton(this);
        (*lamp)->setFixedSize(twips(150), twips(150));
        (*lamp)->setFlat(true);
        (*lamp)->setAutoFillBackground(true);
        (*lamp)->setFocusPolicy(Qt::NoFocus);
        setLampColour(*lamp, Qt::white);
    }
    BlinkData->setObjectName("BlinkData");
    BlinkData->setToolTip("Flashes for each packet from the board");
    BlinkLog->setObjectName("BlinkLog");
    BlinkLog->setToolTip("Flashes for each log record");

    ListView1 = new ReadingsList(this);
    ListView1->setObjectName("ListView1");
    ListView1->setRootIsDecorated(false);
    ListView1->setIndentation(0);
    ListView1->setSelectionMode(QAbstractItemView::NoSelection);
    ListView1->setFocusPolicy(Qt::NoFocus);
    ListView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListView1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListView1->setItemDelegate(new ReadingsDelegate(ListView1));
    ListView1->setUniformRowHeights(true);

    txtMode = new QLabel(this);
    txtMode->setObjectName("txtMode");
    QFont modeFont = txtMode->font();
    modeFont.setBold(true);
    modeFont.setPointSizeF(13.5);
    txtMode->setFont(modeFont);
    QPalette modePal = txtMode->palette();
    modePal.setColor(QPalette::WindowText, Qt::red);
    txtMode->setPalette(modePal);
    // A fixed size: the text comes and goes with the load, and must not make
    // the window lay itself out again each time.
    txtMode->setFixedSize(QFontMetrics(modeFont).boundingRect("On Load").size() + QSize(8, 4));

    // The strip holds the line without a layout: a label asks its parent to
    // lay out again whenever its text changes, which is every packet here,
    // and the strip has nothing to lay out.  The window keeps its layout.
    batteryStrip_ = new FillBox(this);
    BatteryState = new QLabel(batteryStrip_);
    BatteryState->setObjectName("BatteryState");
    BatteryState->setToolTip("From the amps and the volts; the levels are set under Alarms");
    BatteryState->setAutoFillBackground(true);
    QPalette strip = BatteryState->palette();
    strip.setColor(QPalette::Window, QColor(40, 40, 40));
    BatteryState->setPalette(strip);
    QFont stripFont = BatteryState->font();
    stripFont.setBold(true);
    BatteryState->setFont(stripFont);
    BatteryState->setContentsMargins(6, 2, 6, 2);
    // As wide as the window and of a fixed height.
    batteryStrip_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    batteryStrip_->setFixedHeight(QFontMetrics(stripFont).height() + 6);
    batteryStrip_->hide();

    auto* title = whiteLabel("Korvane", this);
    title->setObjectName("Title");
    QFont titleFont("Palatino Linotype", 18);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    title->setFont(titleFont);

    auto* logging = whiteLabel("Logging", this);
    QFont loggingFont = logging->font();
    loggingFont.setBold(true);
    loggingFont.setPointSizeF(9.75);
    logging->setFont(loggingFont);
    auto* interval = whiteLabel("Interval", this);
    auto* seconds = whiteLabel("Seconds", this);
    WebAddress = whiteLabel(QString(), this);
    WebAddress->setObjectName("WebAddress");
    WebAddress->setTextInteractionFlags(Qt::TextSelectableByMouse);
    PortStatus = whiteLabel(QString(), this);
    PortStatus->setObjectName("PortStatus");
    QFont small = PortStatus->font();
    small.setPointSizeF(8);
    PortStatus->setFont(small);
    // Says while records wait because a log or output file cannot be
    // written; empty while all is well.  No message box: nobody may be there.
    LogStatus = whiteLabel(QString(), this);
    LogStatus->setObjectName("LogStatus");
    LogStatus->setFont(small);
    LogStatus->setWordWrap(true);
    QPalette alert = LogStatus->palette();
    // Light yellow reads well on the window's grey and stands apart from the
    // white port line.
    alert.setColor(QPalette::WindowText, QColor(255, 240, 150));
    LogStatus->setPalette(alert);
    SinkStatus = whiteLabel(QString(), this);
    SinkStatus->setObjectName("SinkStatus");
    SinkStatus->setFont(small);
    SinkStatus->setWordWrap(true);
    SinkStatus->setPalette(alert);
    SinkStatus->hide();
    // A long reason wraps within the window instead of widening it.
    for (QLabel* line : {PortStatus, LogStatus, SinkStatus}) {
        line->setWordWrap(true);
        line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    AlarmBanner = new QLabel(this);
    AlarmBanner->setObjectName("AlarmBanner");
    AlarmBanner->setWordWrap(true);
    AlarmBanner->setStyleSheet("QLabel { background: rgb(200, 0, 0); color: white; "
                               "font-weight: bold; padding: 3px; }");
    AlarmBanner->hide();

    // Left: title, the readings with the data lamp, the mode label.
    auto* readings = new QHBoxLayout;
    readings->addWidget(ListView1);
    readings->addWidget(BlinkData, 0, Qt::AlignTop);
    auto* left = new QVBoxLayout;
    left->addWidget(title);
    left->addLayout(readings, 1);
    left->addWidget(txtMode);

    // Right: the commands.
    auto* right = new QVBoxLayout;
    for (QPushButton* b : {Setup, CalibrateButton, ShowLogs})
        right->addWidget(b);
    for (const WindowButton& extra : services_.windowButtons) {
        auto* b = new QPushButton(extra.caption, this);
        b->setObjectName(extra.objectName);
        right->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, open = extra.open] { open(this); });
    }
    right->addStretch(1);
    right->addWidget(Exit);

    // Bottom: the logging group.
    auto* log = new QGridLayout;
    log->addWidget(logging, 0, 0);
    log->addWidget(StartLogging, 0, 1);
    log->addWidget(StopLogging, 0, 2);
    log->addWidget(BlinkLog, 0, 3, Qt::AlignVCenter);
    log->addWidget(interval, 1, 0);
    log->addWidget(delay, 1, 1);
    log->addWidget(seconds, 1, 2);
    log->setColumnStretch(4, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addSpacing(12);
    top->addLayout(right);
    auto* root = new QVBoxLayout(this);
    root->addWidget(AlarmBanner);
    root->addLayout(top, 1);
    root->addWidget(batteryStrip_);
    root->addLayout(log);
    root->addWidget(WebAddress);
    root->addWidget(PortStatus);
    root->addWidget(LogStatus);
    root->addWidget(SinkStatus);

    Timer2.setObjectName("Timer2");
    Timer2.setParent(this);
    Timer2.setInterval(250);
    Timer2.setSingleShot(true);

    connect(Setup, &QPushButton::clicked, this, &Tavrel::Setup_Click);
    connect(CalibrateButton, &QPushButton::clicked, this, &Tavrel::CalibrateButton_Click);
    connect(ShowLogs, &QPushButton::clicked, this, &Tavrel::ShowLogs_Click);
    connect(Exit, &QPushButton::clicked, this, &Tavrel::Exit_Click);
    connect(StartLogging, &QPushButton::clicked, this, &Tavrel::StartLogging_Click);
    connect(StopLogging, &QPushButton::clicked, this, &Tavrel::StopLogging_Click);
    connect(&Timer2, &QTimer::timeout, this, &Tavrel::Timer2_Timer);
}

} // namespace korvane
