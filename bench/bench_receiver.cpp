#include "BenchRegistry.h"

#include "protocol/FrameReceiver.h"
#include "session/ControllerSession.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

namespace {

// A stream of realistic replies with junk between them, cut into reads of
// varying size as a serial driver would hand them over.
QList<QByteArray> makeReads(qsizetype totalBytes) {
    QRandomGenerator rng(42);
    QByteArray stream;
    const QList<QByteArray> frames = {
        "start_skd250,21,5,18,24,12,3,9,14,8,20,0,0,7,240,55,ende_",
        "start_sbp0,1,1,122,10,20,244,10,408,ende_",
        "start_sfs1,1,1,1,6,30,40,5,0,85,ende_",
        "start_smoVX-4000 W 8 8STende_",
        "start_sti12:34:56ende_",
    };
    while (stream.size() < totalBytes) {
        stream += frames[rng.bounded(frames.size())];
        if (rng.bounded(4) == 0)
            stream += QByteArray(rng.bounded(1, 40), 'x'); // junk
        if (rng.bounded(50) == 0)
            stream += "ende_"; // a stale end marker
    }
    QList<QByteArray> reads;
    for (qsizetype pos = 0; pos < stream.size();) {
        const qsizetype n = qMin<qsizetype>(rng.bounded(1, 256), stream.size() - pos);
        reads << stream.mid(pos, n);
        pos += n;
    }
    return reads;
}

void benchReceiver(QTextStream& out) {
    const QList<QByteArray> reads = makeReads(64 * 1024 * 1024);
    qsizetype bytes = 0;
    for (const auto& r : reads)
        bytes += r.size();

    korvane::FrameReceiver rx;
    qsizetype frames = 0;
    QElapsedTimer t;
    t.start();
    for (const auto& r : reads)
        frames += rx.feed(r).size();
    const double seconds = t.nsecsElapsed() / 1e9;
    out << QStringLiteral(
               "mixed frames and junk: %1 MB in %2 s = %3 MB/s (%4 events; target >= 20 MB/s)\n")
               .arg(bytes / 1e6, 0, 'f', 1)
               .arg(seconds, 0, 'f', 3)
               .arg(bytes / 1e6 / seconds, 0, 'f', 1)
               .arg(frames);

    // Junk only, in growing amounts: cost per byte must stay flat.
    for (qsizetype size : {1 << 20, 8 << 20, 32 << 20}) {
        korvane::FrameReceiver junkRx;
        const QByteArray chunk(4096, 'j');
        QElapsedTimer tj;
        tj.start();
        for (qsizetype done = 0; done < size; done += chunk.size())
            junkRx.feed(chunk);
        out << QStringLiteral("junk only %1 MB: %2 ns/byte, %3 bytes left buffered\n")
                   .arg(size >> 20)
                   .arg(double(tj.nsecsElapsed()) / size, 0, 'f', 2)
                   .arg(junkRx.pending().size());
    }
}

KORVANE_BENCH("frame receiver", benchReceiver);

} // namespace
