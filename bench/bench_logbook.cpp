#include "BenchRegistry.h"

#include "SimController.h"
#include "SimLoopbackLink.h"

#include "logbook/LogbookTransfer.h"
#include "session/ControllerSession.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>

namespace {

struct ExportRun {
    bool ok = false;
    QString message;
    qint64 bytes = 0;
    double seconds = 0;
    int entries = 0;
};

// Exports `entries` entries from the simulated controller (its names and its
// logbook, which holds exactly these and does not grow meanwhile) with
// replies arriving at `rate` bytes per second (0: as fast as the event loop
// takes them).
ExportRun exportFromSimulator(int entries, int rate) {
    korvane::SimController sim;
    sim.setClock([] { return QDateTime(QDate(2026, 12, 5), QTime(7, 5, 9)); });
    sim.logbook().startGrowing(0);
    sim.logbook().clear();
    sim.logbook().seed(entries);
    korvane::SimLoopbackLink link([&](const QByteArray& request) {
        sim.feed(request);
        return QList<QByteArray>{};
    });
    QObject::connect(&sim, &korvane::SimController::replyReady, &link,
                     &korvane::SimLoopbackLink::receive);
    link.setBytesPerSecond(rate);
    link.open(QStringLiteral("sim"), nullptr);
    korvane::ControllerSession session(&link);
    korvane::LogbookTransfer transfer(session,
                                      [](int m) { return QStringLiteral("Motor %1").arg(m); });
    QTemporaryDir dir;
    ExportRun run;
    QEventLoop loop;
    QObject::connect(&transfer, &korvane::LogbookTransfer::finished, &loop,
                     [&](bool ok, const QString& message) {
                         run.ok = ok;
                         run.message = message;
                         loop.quit();
                     });
    QElapsedTimer t;
    t.start();
    if (!transfer.startExport(dir.filePath(QStringLiteral("bench.vlf")), &run.message))
        return run;
    loop.exec();
    run.seconds = t.nsecsElapsed() / 1e9;
    run.bytes = link.deliveredBytes();
    run.entries = transfer.exportedEntries();
    // Whole means every entry: an export that left some out is no success either.
    if (run.ok && run.entries != entries) {
        run.ok = false;
        run.message = QStringLiteral("%1 of %2 entries exported").arg(run.entries).arg(entries);
    }
    return run;
}

void reportFailure(QTextStream& out, const char* what, const ExportRun& run) {
    if (!run.ok)
        bench::fail(out, QLatin1String(what) + QStringLiteral(": ") + run.message);
}

void benchLogbookExport(QTextStream& out) {
    constexpr int kEntries = 1000;
    constexpr int kLineRate = 960; // 9600 baud, 8N1

    const ExportRun fast = exportFromSimulator(kEntries, 0);
    out << QStringLiteral("unpaced export: %1 entries, %2 bytes in %3 s, %4 (target <= 0.5 s)\n")
               .arg(fast.entries)
               .arg(fast.bytes)
               .arg(fast.seconds, 0, 'f', 3)
               .arg(fast.ok ? QStringLiteral("ok") : QStringLiteral("FAILED"));
    reportFailure(out, "unpaced export", fast);
    out.flush();

    const ExportRun paced = exportFromSimulator(kEntries, kLineRate);
    const double wire = double(paced.bytes) / kLineRate;
    out << QStringLiteral("paced export at %1 B/s: %2 entries, %3 bytes, wire time %4 s, took %5 "
                          "s, overhead %6 % (target <= 3 %), %7\n")
               .arg(kLineRate)
               .arg(paced.entries)
               .arg(paced.bytes)
               .arg(wire, 0, 'f', 2)
               .arg(paced.seconds, 0, 'f', 2)
               .arg(wire > 0 ? (paced.seconds / wire - 1) * 100 : 0.0, 0, 'f', 2)
               .arg(paced.ok ? QStringLiteral("ok") : QStringLiteral("FAILED"));
    reportFailure(out, "paced export", paced);
}

} // namespace

KORVANE_BENCH("logbook_export", benchLogbookExport);
