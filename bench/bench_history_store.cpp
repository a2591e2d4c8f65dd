#include "BenchRegistry.h"

#include "HistoryPage.h"
#include "MainWindow.h"
#include "SimulatedDesktop.h"

#include "history/HistoryQuery.h"
#include "history/HistoryStore.h"
#include "history/LiveHistory.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtMath>

#include <ctime>

namespace {

using namespace korvane;

constexpr qint64 kHourMs = 3600LL * 1000;
constexpr qint64 kDayMs = 24 * kHourMs;
constexpr qint64 kStepMs = 900;

// The weather at `t`: the sun's arc with cloud noise, gusty wind, slow
// temperatures, showers now and then.
LiveSample weather(qint64 t, quint32& noise) {
    auto rnd = [&] { return (noise = noise * 1103515245u + 12345u) >> 16 & 0x7fff; };
    const double day = double(t % kDayMs) / kDayMs;
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
    return s;
}

// CPU milliseconds of this process: the machine is shared, so wall times
// also count the waits for a core.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

qint64 filesBytes(const QString& path) {
    qint64 total = 0;
    for (const char* suffix : {"", "-wal", "-shm"})
        total += QFileInfo(path + QLatin1String(suffix)).size();
    return total;
}

// write_bytes (what reached the block layer) and wchar (what the process
// handed to write()) of this process so far.
std::pair<qint64, qint64> ioCounters() {
    QFile f(QStringLiteral("/proc/self/io"));
    qint64 written = 0, chars = 0;
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.startsWith("write_bytes:"))
                written = line.mid(12).trimmed().toLongLong();
            else if (line.startsWith("wchar:"))
                chars = line.mid(6).trimmed().toLongLong();
        }
    return {written, chars};
}

// Records `days` of samples at the poll rate on a simulated clock ending now,
// one transaction per simulated day (this disk's fsync is slow), pruning as
// it goes.
qint64 record(HistoryStore& store, qint64 end, qint64 days, QTextStream& out) {
    quint32 noise = 12345;
    qint64 count = 0;
    QElapsedTimer lap;
    lap.start();
    for (qint64 t = end - days * kDayMs; t <= end; t += kStepMs) {
        if (t % (20 * kDayMs) < kStepMs) // a lost connection now and then
            store.markGap();
        store.append(weather(t, noise));
        if (++count % (kDayMs / kStepMs) == 0)
            store.flush();
        if (count % (30 * kDayMs / kStepMs) == 0) {
            out << QStringLiteral("  ... %1 days in %2 s\n")
                       .arg(count * kStepMs / kDayMs)
                       .arg(lap.elapsed() / 1000.0, 0, 'f', 1);
            out.flush();
        }
    }
    store.flush(true);
    return count;
}

void benchYear(QTextStream& out) {
    const qint64 days = qEnvironmentVariableIntValue("KORVANE_BENCH_HISTORY_DAYS") > 0
                            ? qEnvironmentVariableIntValue("KORVANE_BENCH_HISTORY_DAYS")
                            : 365;
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/history-bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const qint64 end = QDateTime::currentMSecsSinceEpoch() / kHourMs * kHourMs;
    HistoryStore::Options options;
    options.batchMs = 24 * kHourMs; // flushed once per simulated hour
    {
        HistoryStore store(path, options);
        QElapsedTimer timer;
        timer.start();
        const double cpu0 = cpuMs();
        const qint64 count = record(store, end, days, out);
        out << QStringLiteral("history database, %1 days at 0.9 s (simulated clock, one "
                              "transaction per day): %2 samples in %3 s (%4 s CPU), file %5 MB "
                              "with WAL (target <= 150 MB)\n")
                   .arg(days)
                   .arg(count)
                   .arg(timer.elapsed() / 1000.0, 0, 'f', 1)
                   .arg((cpuMs() - cpu0) / 1000.0, 0, 'f', 1)
                   .arg(filesBytes(path) / 1e6, 0, 'f', 1);
    }
    out << QStringLiteral("history database closed: %1 MB\n")
               .arg(filesBytes(path) / 1e6, 0, 'f', 1);

    QElapsedTimer timer;
    timer.start();
    double cpu0 = cpuMs();
    HistoryStore store(path, options);
    out << QStringLiteral("history database opened for recording (lock, checks): %1 ms (%2 ms "
                          "CPU)\n")
               .arg(timer.nsecsElapsed() / 1e6, 0, 'f', 1)
               .arg(cpuMs() - cpu0, 0, 'f', 1);
    for (const auto& [name, span] :
         {std::pair{"24 h", kDayMs}, std::pair{"7 days", 7 * kDayMs},
          std::pair{"30 days", 30 * kDayMs}, std::pair{"1 year", 365 * kDayMs}}) {
        constexpr int kRuns = 5;
        int points = 0;
        QString error;
        timer.start();
        cpu0 = cpuMs();
        for (int i = 0; i < kRuns; ++i) {
            const auto view = loadHistoryView(store.database(), end - span, end + 1, 400, &error);
            points = 0;
            for (const auto& piece :
                 view ? view->curve(HistoryChannel::Wind) : QList<QList<QPointF>>{})
                points += int(piece.size());
        }
        out << QStringLiteral("history chart load, %1 in 400 columns: %2 ms (%3 ms CPU; %4 wind "
                              "points; target < 100 ms)\n")
                   .arg(QLatin1String(name))
                   .arg(timer.nsecsElapsed() / 1e6 / kRuns, 0, 'f', 1)
                   .arg((cpuMs() - cpu0) / kRuns, 0, 'f', 1)
                   .arg(points);
    }
    LiveHistory memory;
    timer.start();
    cpu0 = cpuMs();
    QString error;
    forEachStoredSample(
        store.database(), end - kDayMs, end + 1,
        [&](const LiveSample& s) {
            if (s.startsSegment())
                memory.markGap();
            memory.append(s);
        },
        &error);
    out << QStringLiteral("history: last 24 h of samples into memory: %1 ms (%2 ms CPU), %3 "
                          "samples\n")
               .arg(timer.nsecsElapsed() / 1e6, 0, 'f', 1)
               .arg(cpuMs() - cpu0, 0, 'f', 1)
               .arg(memory.size());
}

// One hour of recording as the programs do it: a transaction every 10 s.
void benchWrites(QTextStream& out) {
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/history-bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    HistoryStore::Options options;
    options.batchMs = 24 * kHourMs;
    HistoryStore store(path, options);
    quint32 noise = 1;
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - 2 * kHourMs;
    qint64 t = start;
    // A first hour to reach the steady state (pages allocated, first checkpoint).
    for (int round = 0; round < 2; ++round) {
        const auto [written0, chars0] = ioCounters();
        QElapsedTimer timer;
        timer.start();
        const qint64 end = t + kHourMs;
        for (int n = 1; t < end; t += kStepMs, ++n) {
            store.append(weather(t, noise));
            if (n % 11 == 0) // 9.9 s
                store.flush();
        }
        store.flush();
        const auto [written, chars] = ioCounters();
        if (round == 1)
            out << QStringLiteral("history recording, one hour in 10 s batches: %1 MB written "
                                  "to disk (write_bytes), %2 MB handed to write(), %3 s CPU "
                                  "(target < 5 MB/h)\n")
                       .arg((written - written0) / 1e6, 0, 'f', 2)
                       .arg((chars - chars0) / 1e6, 0, 'f', 2)
                       .arg(timer.elapsed() / 1000.0, 0, 'f', 2);
    }
}

// The desktop polling the simulated controller with the "Verlauf" tab hidden,
// recording into a database (a batch every 10 s) or not.
void benchIdleRecording(QTextStream& out) {
    for (bool recording : {false, true}) {
        bench::SimulatedDesktop desktop;
        if (!desktop.start(out))
            return;
        DesktopProgram& program = *desktop.program;
        const QString path = desktop.dir.filePath(QStringLiteral("history.sqlite"));
        program.window().historyPage()->useDatabase(path, recording);
        program.window().show();
        bench::spin(2000);
        const bench::IdleLoad load = bench::measureIdle(30000);
        out << QStringLiteral("idle polling, recording %1, %2: %3 % of one core over 30 s "
                              "(program and simulator together; target < 1 %)\n")
                   .arg(recording ? QStringLiteral("on") : QStringLiteral("off"))
                   .arg(program.session().isConnected() ? QStringLiteral("connected")
                                                        : QStringLiteral("NOT connected"))
                   .arg(load.percentOfOneCore(), 0, 'f', 2);
    }
}

KORVANE_BENCH("history database year", benchYear);
KORVANE_BENCH("history database idle", benchIdleRecording);
KORVANE_BENCH("history database writes", benchWrites);

} // namespace
