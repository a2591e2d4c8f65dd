#include "BenchRegistry.h"

#include "MainWindow.h"
#include "SimulatedDesktop.h"

namespace {

using namespace bench;

// The desktop program polling a connected controller with its real 900 ms
// and 2500 ms timers. The simulator runs in the same process, so the figure
// is an upper bound for the program alone. Its weather is the same on every
// run: a fixed seed and a clock that starts at the same summer afternoon.
// "calm" is the simulator's weather model (a few values move per poll),
// "windy" changes every live value on every poll.
void benchIdle(QTextStream& out, bool windy) {
    SimulatedDesktop desktop;
    if (!desktop.start(out))
        return;
    desktop.setAfternoonClock();
    desktop.sim.controller().weather().setEveryValueMoving(windy);
    korvane::DesktopProgram& program = *desktop.program;
    program.window().show();
    spin(2000); // connect and settle
    const bool connected = program.session().isConnected();
    const IdleLoad load = measureIdle(15000);
    out << QStringLiteral("idle polling %1, %2: %3 s CPU in %4 s = %5 % of one core "
                          "(program and simulator together; target < 1 %)\n")
               .arg(windy ? QStringLiteral("windy") : QStringLiteral("calm"))
               .arg(connected ? QStringLiteral("connected") : QStringLiteral("NOT connected"))
               .arg(load.cpu, 0, 'f', 3)
               .arg(load.seconds, 0, 'f', 1)
               .arg(load.percentOfOneCore(), 0, 'f', 2);
    if (!connected || !program.session().isConnected())
        bench::fail(out, QStringLiteral("not connected to the simulator"));
}

KORVANE_BENCH("idle polling calm", [](QTextStream& out) { benchIdle(out, false); });
KORVANE_BENCH("idle polling windy", [](QTextStream& out) { benchIdle(out, true); });

} // namespace
