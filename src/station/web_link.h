#pragma once
// The dashboard's side of a running Korvane: after every event the station
// reports, a snapshot of the live state goes on the board the web server's
// threads read; web.cfg says whether, where and how the server listens.
// Also a live sink, for its one status line: what keeps the server from
// listening ("Web: port 8470 is in use by another program").

// Qt's headers first: the moc of Qt 6.4 fails on <compare> (from the clock)
// unless a Qt header came before it.
#include <QObject>

#include "monitor/live_sink.h"
#include "web/live_snapshot.h"
#include "web/web_server.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvane {

class Station;

class WebLink final : public QObject, public LiveSink {
    Q_OBJECT
public:
    // `outputIndex`: the turbine's 7-day output index (may be null).
    WebLink(std::string appFolder, std::string dbPath,
            std::function<std::optional<double>()> outputIndex, QObject* parent = nullptr);
    ~WebLink() override;

    // Follows `station` from now on.
    void attach(Station& station);
    // Reads web.cfg and starts, restarts or stops the server as it says.
    void reload();
    // The addresses to type into a browser while the server runs.
    std::vector<std::string> urls() const;
    const SnapshotBoard& board() const { return board_; }

    void packetDecoded(const Reading&, const LiveTime&) override {}
    void energyAdded(double, double, const LiveTime&) override {}
    void recordLogged(const LoggedRecord&, const LiveTime&) override {}
    void logBacklogChanged(std::size_t, const LiveTime&) override {}
    void exiting(const LiveTime&) override;
    std::string statusText() const override { return problem_; }

signals:
    void statusChanged();

private:
    void publish();

    std::string appFolder_;
    std::string dbPath_;
    std::function<std::optional<double>()> outputIndex_;
    Station* station_ = nullptr;
    SnapshotBoard board_;
    WebServer server_;
    WebSettings running_;
    std::string problem_;
    // The station's 8-bit texts as last converted, so a packet converts
    // only what changed.
    std::vector<std::pair<std::string, std::string>> utf8Cache_;
    const std::string& utf8(const std::string& local);
};

} // namespace korvane
