#include "BenchRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>

namespace {

// `korvane-cli status` as a user runs it: a fresh process against a running
// korvane-sim, from start to exit.
void benchCliStatus(QTextStream& out, bool paced) {
    const QString bin = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/");
    const QString sim = bin + QStringLiteral("sim/korvane-sim");
    const QString cli = bin + QStringLiteral("cli/korvane-cli");
    if (!QFileInfo::exists(sim) || !QFileInfo::exists(cli)) {
        out << "korvane-sim or korvane-cli not built\n";
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
        out << "korvane-sim did not start\n";
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
}

KORVANE_BENCH("cli status unpaced", [](QTextStream& out) { benchCliStatus(out, false); });
KORVANE_BENCH("cli status paced", [](QTextStream& out) { benchCliStatus(out, true); });

} // namespace
