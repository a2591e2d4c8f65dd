#include "BenchRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace {

// `korvane-cli status` as a user runs it: a fresh process against a running
// korvane-sim, from start to exit.
void benchCliStatus(QTextStream& out, bool paced) {
    const QString bin = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/");
    const QString sim = bin + QStringLiteral("sim/korvane-sim");
    const QString cli = bin + QStringLiteral("cli/korvane-cli");
    if (!QFileInfo::exists(sim) || !QFileInfo::exists(cli)) {
        bench::fail(out, QStringLiteral("korvane-sim or korvane-cli not built"));
        return;
    }
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("tty"));
    QProcess simulator;
    QStringList simArgs{QStringLiteral("--link"), link};
    if (paced)
        simArgs << QStringLiteral("--paced");
    simulator.start(sim, simArgs);
    for (int i = 0; i < 100 && !QFileInfo::exists(link); ++i)
        QThread::msleep(20);
    if (!QFileInfo::exists(link)) {
        bench::fail(out, QStringLiteral("korvane-sim did not start"));
        return;
    }
    constexpr int kRuns = 10;
    QList<double> ms;
    int failures = 0;
    for (int i = 0; i < kRuns; ++i) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(cli, {QStringLiteral("--port"), link, QStringLiteral("status")});
        p.waitForFinished(30000);
        ms << t.nsecsElapsed() / 1e6;
        failures += p.exitCode() != 0;
    }
    simulator.terminate();
    simulator.waitForFinished(3000);
    std::sort(ms.begin(), ms.end());
    out << QStringLiteral("korvane-cli status %1: median %2 ms, max %3 ms over %4 runs%5\n")
               .arg(paced ? QStringLiteral("paced 960 B/s") : QStringLiteral("unpaced"))
               .arg(ms[kRuns / 2], 0, 'f', 1)
               .arg(ms.last(), 0, 'f', 1)
               .arg(kRuns)
               .arg(failures ? QStringLiteral(", %1 FAILED").arg(failures) : QString());
    if (failures)
        bench::fail(out,
                    QStringLiteral("%1 of %2 runs did not exit with 0").arg(failures).arg(kRuns));
}

// CPU time of a process so far, in seconds (the scheduler's nanosecond count).
double processCpuSeconds(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().split(' ').value(0).toDouble() / 1e9;
}

// `korvane-cli monitor` printing a line per poll, as a bridge would run it for
// months: its CPU share between 5 and 25 s after its start (start-up left out).
void benchCliMonitor(QTextStream& out) {
    const QString bin = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/");
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("tty"));
    QProcess simulator;
    simulator.start(bin + QStringLiteral("sim/korvane-sim"), {QStringLiteral("--link"), link});
    for (int i = 0; i < 100 && !QFileInfo::exists(link); ++i)
        QThread::msleep(20);
    if (!QFileInfo::exists(link)) {
        bench::fail(out, QStringLiteral("korvane-sim did not start"));
        return;
    }
    QProcess monitor;
    monitor.setWorkingDirectory(dir.path());
    monitor.start(bin + QStringLiteral("cli/korvane-cli"),
                  {QStringLiteral("--port"), link, QStringLiteral("monitor"),
                   QStringLiteral("--duration"), QStringLiteral("30")});
    const auto waitSeconds = [](int s) {
        QEventLoop loop;
        QTimer::singleShot(s * 1000, &loop, &QEventLoop::quit);
        loop.exec();
    };
    waitSeconds(5);
    const double cpu0 = processCpuSeconds(monitor.processId());
    QElapsedTimer wall;
    wall.start();
    waitSeconds(20);
    const double cpu = processCpuSeconds(monitor.processId()) - cpu0;
    const double seconds = wall.nsecsElapsed() / 1e9;
    const int lines = monitor.readAllStandardOutput().count('\n');
    monitor.terminate();
    monitor.waitForFinished(5000);
    simulator.terminate();
    simulator.waitForFinished(3000);
    out << QStringLiteral("korvane-cli monitor: %1 s CPU in %2 s = %3 % of one core, %4 lines "
                          "printed (target < 0.2 %)\n")
               .arg(cpu, 0, 'f', 4)
               .arg(seconds, 0, 'f', 1)
               .arg(cpu / seconds * 100, 0, 'f', 3)
               .arg(lines);
    if (cpu0 < 0 || cpu < 0 || lines < 20 || monitor.exitCode() != 0)
        bench::fail(out, QStringLiteral("the monitor did not run through (exit code %1, %2 lines)")
                             .arg(monitor.exitCode())
                             .arg(lines));
}

KORVANE_BENCH("cli monitor", benchCliMonitor);
KORVANE_BENCH("cli status unpaced", [](QTextStream& out) { benchCliStatus(out, false); });
KORVANE_BENCH("cli status paced", [](QTextStream& out) { benchCliStatus(out, true); });

} // namespace
