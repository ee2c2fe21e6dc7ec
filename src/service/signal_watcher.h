#pragma once
// SIGTERM, SIGINT and SIGHUP as Qt signals on the event loop.  The handler
// itself only writes the signal's number to a socket pair (all a signal
// handler may safely do); the loop reads it and the slots run as any other
// event, between packets and ticks, never in the middle of one.

#include <QObject>

class QSocketNotifier;

namespace korvane {

class SignalWatcher final : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminate(int signal); // SIGTERM or SIGINT
    void reload();              // SIGHUP

private:
    void readSignals();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace korvane
