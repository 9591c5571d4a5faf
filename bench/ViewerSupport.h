#pragma once

// What the viewer's benchmarks share: the application on Qt's offscreen
// platform, the process's resident size, and the longest wait of the
// interface thread's events while a collection loads.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "document/KiroDoc.h"

inline QApplication& Application()
{
    static int argc = 1;
    static char name[] = "lumo_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: at exit Qt's own globals may already be gone.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

// The resident size of the process in bytes.
inline double ResidentBytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// What a load in the viewer took: seconds to its last entry, and the longest
// gap between two ticks of a 1 ms timer on the interface thread meanwhile;
// and the entries it made.
struct LoadTimes {
    double seconds = 0;
    double longestGapMs = 0;
    int entries = 0;
};

// Runs the interface thread's events until `document`'s load ends; `start`
// begins the load, from within the event loop.
template <typename Start>
LoadTimes RunLoad(CKiroDoc& document, Start start)
{
    LoadTimes times;
    QEventLoop loop;
    QElapsedTimer sinceStart;
    QElapsedTimer sinceTick;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        times.longestGapMs = std::max(times.longestGapMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.start();
        if (!document.IsLoading()) {
            times.seconds = static_cast<double>(sinceStart.nsecsElapsed()) / 1e9;
            loop.quit();
        }
    });
    sinceStart.start();
    start();
    sinceTick.start();
    ticks.start();
    loop.exec();
    return times;
}
