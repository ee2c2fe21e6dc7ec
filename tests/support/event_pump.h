#pragma once
// Runs the Qt event loop in a test until a condition holds, sleeping between
// events rather than spinning, so CPU measurements stay honest.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace korvane::test {

template <typename Pred> bool pumpUntil(Pred done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

inline void pumpFor(int ms) {
    pumpUntil([] { return false; }, ms);
}

} // namespace korvane::test
