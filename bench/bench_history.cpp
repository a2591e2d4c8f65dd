#include "BenchRegistry.h"

#include "DesktopProgram.h"
#include "HistoryPage.h"
#include "MainWindow.h"
#include "SimulatedDesktop.h"
#include "history/LiveHistory.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QtMath>

#include <malloc.h>

namespace {

using namespace korvane;
using namespace bench;

constexpr qint64 kDayMs = 24LL * 3600 * 1000;

// A day of weather at the poll rate: the sun's arc with cloud noise, gusty
// wind, slow temperatures, a few showers and a connection lost now and then.
void fillDay(LiveHistory& h, qint64 end, qint64 spanMs) {
    quint32 noise = 12345;
    auto rnd = [&] { return (noise = noise * 1103515245u + 12345u) >> 16 & 0x7fff; };
    for (qint64 t = end - spanMs; t <= end; t += 900) {
        const double day = double(t % kDayMs) / kDayMs;
        if (rnd() % 20000 == 0)
            h.markGap();
        LiveSample s;
        s.msecs = t;
        s.luxNow = qint16(std::max(0.0, 255 * qSin(day * M_PI)) * (0.7 + rnd() % 300 / 1000.0));
        s.luxMean = qint16(std::max(0.0, 230 * qSin(day * M_PI)));
        s.insideTenths = qint16(210 + 40 * qSin(day * 2 * M_PI));
        s.outsideTenths = qint16(80 + 90 * qSin(day * 2 * M_PI));
        s.wind = qint16(rnd() % 30);
        s.windMax = 45;
        s.humidity = quint8(50 + rnd() % 20);
        s.flags = quint8((int(day * 48) % 7 == 0 ? LiveSample::Rain : 0) |
                         (int(day * 48) == 30 ? LiveSample::Alarm : 0));
        h.append(s);
    }
}

void benchStore(QTextStream& out) {
    for (int hours : {24, 48}) {
        const size_t heap0 = mallinfo2().uordblks;
        auto* h = new LiveHistory;
        QElapsedTimer timer;
        timer.start();
        fillDay(*h, QDateTime::currentMSecsSinceEpoch(), hours * 3600 * 1000LL);
        const double ms = timer.nsecsElapsed() / 1e6;
        const size_t heap = mallinfo2().uordblks - heap0;
        out << QStringLiteral("history store, %1 h at 0.9 s: %2 samples, heap %3 MB measured "
                              "(%4 MB by its own count; target < 10 MB), filled in %5 ms\n")
                   .arg(hours)
                   .arg(h->size())
                   .arg(heap / 1048576.0, 0, 'f', 2)
                   .arg(h->memoryBytes() / 1048576.0, 0, 'f', 2)
                   .arg(ms, 0, 'f', 1);
        delete h;
    }
}

// Redraw of the four charts with a full day stored: building the series and
// painting the page once.
void benchRedraw(QTextStream& out) {
    QtSerialLink link;
    ControllerSession session(&link);
    HistoryPage page(session);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    page.setClock([now] { return now; });
    fillDay(page.recorder().history(), now, kDayMs);
    page.resize(800, 560);
    page.show();
    for (int range = 0; range < page.rangeCombo()->count(); ++range) {
        page.rangeCombo()->setCurrentIndex(range);
        constexpr int kRuns = 10;
        QElapsedTimer timer;
        double build = 0, paint = 0;
        for (int i = 0; i < kRuns; ++i) {
            timer.start();
            page.redraw();
            build += timer.nsecsElapsed() / 1e6;
            timer.start();
            QCoreApplication::processEvents(); // deferred chart item updates
            page.grab();
            paint += timer.nsecsElapsed() / 1e6;
        }
        out << QStringLiteral("history redraw, %1 shown of 24 h stored: %2 ms series + %3 ms "
                              "paint = %4 ms (target < 50 ms)\n")
                   .arg(page.rangeCombo()->itemText(range))
                   .arg(build / kRuns, 0, 'f', 1)
                   .arg(paint / kRuns, 0, 'f', 1)
                   .arg((build + paint) / kRuns, 0, 'f', 1);
    }
}

// The desktop program connected to the simulator with the "Verlauf" tab shown
// and a day of history: what redrawing costs while the poll goes on.
void benchIdleShown(QTextStream& out) {
    SimulatedDesktop desktop;
    if (!desktop.start(out))
        return;
    desktop.setAfternoonClock();
    DesktopProgram& program = *desktop.program;
    HistoryPage* page = program.window().historyPage();
    fillDay(page->recorder().history(), QDateTime::currentMSecsSinceEpoch() - 5000, kDayMs);
    program.window().show();
    program.window().tabs()->setCurrentIndex(MainWindow::History);
    spin(2000);
    for (int range : {0, 3}) {
        page->rangeCombo()->setCurrentIndex(range);
        spin(500);
        const IdleLoad load = measureIdle(10000);
        out << QStringLiteral("idle with Verlauf shown (%1, %2): %3 % of one core (program and "
                              "simulator together; target < 2 %)\n")
                   .arg(page->rangeCombo()->currentText())
                   .arg(program.session().isConnected() ? QStringLiteral("connected")
                                                        : QStringLiteral("NOT connected"))
                   .arg(load.percentOfOneCore(), 0, 'f', 2);
        if (!program.session().isConnected())
            bench::fail(out, QStringLiteral("not connected to the simulator"));
    }
}

KORVANE_BENCH("history store", benchStore);
KORVANE_BENCH("history redraw", benchRedraw);
KORVANE_BENCH("history idle", benchIdleShown);

} // namespace
