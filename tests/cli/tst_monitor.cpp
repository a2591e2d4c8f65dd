// `monitor --csv`: one row per live-values reply as sent, and no writes.
#include "helpers/SimRig.h"

#include "MonitorCommand.h"
#include "StatusCommand.h"

#include "history/HistoryCsv.h"
#include "protocol/ReplyValues.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QTimer>
#include <csignal>

using namespace korvane;

class TestMonitor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void csvRowsMatchTheSimulatorAndStopOnSignal() {
        SimRig rig;
        // The weather moves a minute per reply so that rows differ.
        QDateTime simTime(QDate(2026, 6, 21), QTime(6, 0));
        rig.sim.setClock([&] { return simTime = simTime.addSecs(60); });
        rig.session.setTimerIntervals(100, 2500, 100);
        QList<ReplyValues> sent;
        QObject::connect(&rig.sim, &SimController::replyReady, [&](const QByteArray& frame) {
            if (frame.startsWith("start_skd"))
                sent << *parseReplyValues(frame.mid(9, frame.size() - 9 - 5));
        });
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.csv"));
        QCOMPARE(
            cli::runMonitorCommand(rig.session, {path, 2, 5}, rig.out, rig.err, [] { return 0; }),
            0);

        QList<QByteArray> lines = fileBytes(path).split('\n');
        QVERIFY(lines.takeLast().isEmpty()); // ends with a line break
        QVERIFY(lines.takeFirst().startsWith("\xEF\xBB\xBFZeit;Helligkeit aktuell (Lux);"));
        QVERIFY2(sent.size() >= 10, qPrintable(QString::number(sent.size())));
        // A reply still on its way when the time was up is not logged.
        QVERIFY(sent.size() - lines.size() <= 1);
        // Row i is reply i, as the shared CSV writer makes it, at the i-th tick.
        QSet<QByteArray> distinct;
        for (int i = 0; i < lines.size(); ++i) {
            const QStringList cells = QString::fromUtf8(lines[i].chopped(1)).split(u';');
            QCOMPARE(cells, HistoryCsvWriter::cells(sampleFromReply(sent[i], i)));
            distinct.insert(lines[i].mid(lines[i].indexOf(';')));
        }
        QVERIFY(distinct.size() > 1);
        // Only the poll requests went out: no logbook rewind, no write.
        QByteArray written = rig.link.written();
        for (const char* poll : {"sfi\r", "sdt\r", "sti\r", "skd\r", "smo\r"})
            written.replace(poll, "");
        QCOMPARE(written, QByteArray());

        // SIGINT ends an open-ended monitor: exit 0, every row complete.
        const QString endless = dir.filePath("endless.csv");
        cli::clearStopRequest();
        cli::installStopSignals();
        QTimer::singleShot(1000, [] { std::raise(SIGINT); });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(cli::runMonitorCommand(rig.session, {endless, 0, 5}, rig.out, rig.err), 0);
        QVERIFY(clock.elapsed() < 5000);
        cli::clearStopRequest();
        std::signal(SIGINT, SIG_DFL);
        const QByteArray text = fileBytes(endless);
        QVERIFY(text.endsWith("\r\n"));
        QVERIFY(text.count('\n') >= 3);
    }

    // A wait wakes for what it waits on, not to look at its condition: a month of
    // monitoring must not cost a hundred wake-ups a second.
    void waitsWithoutWakingUp() {
        int wakeUps = 0;
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                         [&] { ++wakeUps; });
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(300);
        QVERIFY(cli::runUntil(5, [&] { return ticks == 3; })); // ends on the third tick
        QVERIFY2(wakeUps < 10, qPrintable(QString::number(wakeUps)));
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
