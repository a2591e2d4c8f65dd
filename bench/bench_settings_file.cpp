#include "BenchRegistry.h"

#include "files/SettingsFile.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

namespace {

korvane::ParameterSet busySet() {
    using namespace korvane;
    ParameterSet set;
    for (int m = 0; m < MotorNames::kCount; ++m)
        set.motorNames.setName(m, QStringLiteral("Zimmer Süd %1").arg(m + 1));
    for (int i = 0; i < kSwitchTimeSlotCount; ++i)
        set.switchTimes[i].time = 1 + (i * 97) % 1440;
    return set;
}

void benchSettingsFile(QTextStream& out) {
    using namespace korvane;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.vts"));
    const ParameterSet set = busySet();
    constexpr int kRounds = 50;

    QElapsedTimer t;
    qint64 worstSave = 0;
    qint64 totalSave = 0;
    for (int i = 0; i < kRounds; ++i) {
        t.start();
        if (!saveSettingsFile(path, set).ok) {
            bench::fail(out, QStringLiteral("save failed"));
            return;
        }
        const qint64 ns = t.nsecsElapsed();
        worstSave = qMax(worstSave, ns);
        totalSave += ns;
    }

    qint64 worstLoad = 0;
    qint64 totalLoad = 0;
    for (int i = 0; i < kRounds; ++i) {
        ParameterSet loaded;
        t.start();
        if (!loadSettingsFile(path, loaded).ok()) {
            bench::fail(out, QStringLiteral("load failed"));
            return;
        }
        const qint64 ns = t.nsecsElapsed();
        worstLoad = qMax(worstLoad, ns);
        totalLoad += ns;
    }

    t.start();
    qsizetype bytes = 0;
    for (int i = 0; i < kRounds; ++i)
        bytes += settingsFileBytes(set).size();
    const qint64 imageNs = t.nsecsElapsed() / kRounds;

    const auto ms = [](qint64 ns) { return QString::number(ns / 1e6, 'f', 2); };
    out << QStringLiteral("settings file (4779 lines), %1 rounds; target <= 50 ms each\n")
               .arg(kRounds);
    out << QStringLiteral("  save: mean %1 ms, worst %2 ms\n")
               .arg(ms(totalSave / kRounds), ms(worstSave));
    out << QStringLiteral("  of which building the %1-byte image: %2 ms\n")
               .arg(bytes / kRounds)
               .arg(ms(imageNs));
    out << QStringLiteral("  load: mean %1 ms, worst %2 ms\n")
               .arg(ms(totalLoad / kRounds), ms(worstLoad));
}

KORVANE_BENCH("settings-file", benchSettingsFile);

} // namespace
