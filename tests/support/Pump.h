// Running the UI thread's events from a test: a few rounds, or until a condition holds.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

namespace ms::test {

inline void Pump(int rounds = 4) {
    for (int i = 0; i < rounds; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Processes events until `done` or a generous deadline (a hang guard, not a timing check).
template <class F>
bool PumpUntil(F done, std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs a real event loop for `ms`: unlike processEvents, it waits for events, so the loop goes
// idle as an application's does (quiet-point handlers run).
inline void RunIdleLoop(int ms = 30) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace ms::test
