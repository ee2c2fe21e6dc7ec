#pragma once
// The history window in a test: a temporary app folder with a logs folder
// and prog.cfg, the window opened on a fixed day, and helpers that type,
// press "Display", read labels and the table, and drive the mouse on the
// plot in its user units.

#include "config/program_config.h"
#include "history/ui/graph.h"
#include "history/ui/history_plot.h"
#include "platform/qt/qt_platform.h"
#include "recording/log_record.h"
#include "support/temp_dir.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace korvane {

inline constexpr NumberFormat kPoint{'.'};

inline std::string record(double volts, int mode, int hour, int minute) {
    return formatLogRecord({volts, volts / 10, volts * 2, volts * 100, volts / 2},
                           static_cast<std::int16_t>(mode), hour, minute, kPoint);
}

// Records with volts 1, 2, 3, ... one a minute from 00:01 on (up to 1,438).
inline std::string numberedDay(int count) {
    std::string text;
    text.reserve(static_cast<std::size_t>(count) * 80);
    for (int i = 1; i <= count; ++i)
        text += record(i, 0, i / 60, i % 60);
    return text;
}

class GraphWindow : public ::testing::Test {
protected:
    GraphWindow() {
        dir.mkdir("logs");
        config(defaultProgramConfig());
    }

    void config(const ProgramConfig& c) { dir.write("prog.cfg", formatProgramConfig(c)); }
    void writeDay(const std::string& text) { dir.write("logs/2006_12_9.txt", text); }

    Graph& open() {
        graph = std::make_unique<Graph>(dir.path(), kPoint, times, clock, messages);
        return *graph;
    }
    template <typename T> T* child(const char* name) const {
        T* w = graph->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* name) const {
        if (auto* l = graph->findChild<QLabel*>(QString::fromLatin1(name)))
            return l->text();
        return child<QLineEdit>(name)->text();
    }
    void type(const char* name, const char* value) { child<QLineEdit>(name)->setText(value); }
    void display() { child<QPushButton>("Command1")->click(); }
    HistoryPlot* plot() const { return child<HistoryPlot>("Plot"); }
    QAbstractItemModel* table() const { return child<QTableView>("ListView1")->model(); }
    QString cell(int row, int column) const {
        return table()->data(table()->index(row, column)).toString();
    }
    std::vector<SeriesId> drawnSeries() const {
        std::vector<SeriesId> ids;
        for (const auto& t : plot()->drawing().traces)
            ids.push_back(t.id);
        return ids;
    }

    // Mouse events at user X on the plot (the pointer may be outside it).
    void mouse(QEvent::Type type, float userX) {
        HistoryPlot* p = plot();
        const QPointF at(p->toPixelX(userX), p->height() / 2.0);
        const bool press = type == QEvent::MouseButtonPress;
        QMouseEvent event(type, at, p->mapToGlobal(at), Qt::LeftButton,
                          press ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(p, &event);
    }
    void drag(float fromX, float toX) {
        mouse(QEvent::MouseButtonPress, fromX);
        mouse(QEvent::MouseMove, toX);
        mouse(QEvent::MouseButtonRelease, toX);
    }

    test::TempDir dir;
    FixedTimeFormats times;
    FakeClock clock{LocalDateTime{2006, 12, 9, 18, 30, 0, 0}};
    RecordingMessageSink messages;
    std::unique_ptr<Graph> graph;
};

} // namespace korvane
