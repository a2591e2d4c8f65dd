#pragma once

#include "BenchRegistry.h"
#include "DesktopProgram.h"
#include "Simulator.h"
#include "serial/QtSerialLink.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <sys/resource.h>

// What the desktop benchmarks share: the event loop run for a while, the
// process's CPU time, and the desktop program connected as COM 1 to a
// conservatory controller simulated in the same process.
namespace bench {

using korvane::DesktopProgram;
using korvane::QtSerialLink;
using korvane::SimModel;
using korvane::Simulator;

inline void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU seconds spent (program and simulator share the process) while the
// event loop runs for `ms` milliseconds, and the wall seconds it took.
struct IdleLoad {
    double cpu = 0;
    double seconds = 0;
    double percentOfOneCore() const { return cpu / seconds * 100; }
};

inline IdleLoad measureIdle(int ms) {
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    spin(ms);
    return {cpuSeconds() - cpu0, wall.nsecsElapsed() / 1e9};
}

struct SimulatedDesktop {
    Simulator sim{SimModel(SimModel::Variant::Conservatory, 8, 8)};
    QTemporaryDir dir;
    QtSerialLink link;
    std::unique_ptr<DesktopProgram> program;

    // False, with a line on `out`, when the simulator or Korvane.ini fails.
    bool start(QTextStream& out) {
        QFile ini(dir.filePath(QStringLiteral("Korvane.ini")));
        if (!sim.start() || !ini.open(QIODevice::WriteOnly)) {
            bench::fail(out, QStringLiteral("simulator or Korvane.ini could not be set up"));
            return false;
        }
        ini.write("1\r\nCOM1=" + sim.slavePath().toLocal8Bit() + "\r\n");
        ini.close();
        program = std::make_unique<DesktopProgram>(link, ini.fileName());
        return true;
    }

    // The simulated controller's clock starts at the same summer afternoon on
    // every run and goes on in real time: with the weather's fixed seed, every
    // run sees the same weather.
    void setAfternoonClock() {
        QElapsedTimer running;
        running.start();
        sim.controller().setClock([running] {
            return QDateTime(QDate(2026, 6, 21), QTime(14, 0)).addMSecs(running.elapsed());
        });
    }
};

} // namespace bench
