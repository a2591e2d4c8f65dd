// Rate of the simulator's paced line: replies and requests should move at
// about 960 bytes per second, as on a 9600-baud line. Prints figures only.

#include "BenchRegistry.h"

#include "Simulator.h"
#include "serial/QtSerialLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

using namespace korvane;

namespace {

void waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

void benchSimPacing(QTextStream& out) {
    Simulator sim(SimModel(SimModel::Variant::Basic, 2, 4));
    if (!sim.start()) {
        bench::fail(out, QStringLiteral("no pseudo-terminal"));
        return;
    }
    sim.setPaced(true);
    QtSerialLink link;
    QString error;
    if (!link.open(sim.slavePath(), &error)) {
        bench::fail(out, error);
        return;
    }
    qint64 received = 0;
    QObject::connect(&link, &SerialLink::bytesArrived,
                     [&](qsizetype) { received += link.readAll().size(); });

    // Replies: 56 switch-time frames.
    QElapsedTimer t;
    t.start();
    link.write("sfs");
    const qint64 expected = [&] {
        qint64 n = 0;
        // Count what the controller produces for the request, unpaced.
        SimController c(SimModel(SimModel::Variant::Basic, 2, 4));
        QObject::connect(&c, &SimController::replyReady,
                         [&](const QByteArray& f) { n += f.size(); });
        c.feed("sfs");
        return n;
    }();
    waitUntil([&] { return received >= expected; }, 30000);
    const double replySeconds = t.elapsed() / 1000.0;
    out << "sim paced replies: " << received << " bytes in " << replySeconds
        << " s = " << (replySeconds > 0 ? received / replySeconds : 0) << " bytes/s (line 960)"
        << Qt::endl;
    if (received < expected)
        bench::fail(out,
                    QStringLiteral("%1 of %2 reply bytes arrived").arg(received).arg(expected));

    // Requests: 200 poll requests in one burst; their replies tell when the
    // last one was read.
    received = 0;
    QByteArray burst;
    for (int i = 0; i < 200; ++i)
        burst += "sfi\r";
    const qint64 replyBytes = 200 * QByteArray("start_sfi3.12ende_").size();
    t.restart();
    link.write(burst);
    waitUntil([&] { return received >= replyBytes; }, 30000);
    const double requestSeconds = t.elapsed() / 1000.0;
    out << "sim paced requests: " << burst.size() << " bytes in, " << received << " bytes out in "
        << requestSeconds << " s (line-limited by the larger direction: "
        << std::max<qint64>(burst.size(), replyBytes) / 960.0 << " s)" << Qt::endl;
    if (received < replyBytes)
        bench::fail(out,
                    QStringLiteral("%1 of %2 reply bytes arrived").arg(received).arg(replyBytes));
}

} // namespace

KORVANE_BENCH("sim_pacing", benchSimPacing);
