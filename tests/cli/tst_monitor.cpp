// `monitor --csv`: one row per live-values reply as sent, rows added to the
// file, no writes; a sensor the controller does not have is an empty cell.
#include "helpers/SimRig.h"

#include "MonitorCommand.h"
#include "StatusCommand.h"

#include "history/HistoryCsv.h"
#include "history/HistoryRecorder.h"
#include "protocol/ReplyValues.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>
#include <csignal>

using namespace korvane;

namespace {

// An open-ended monitor on `rig` (to `csv`, or to the terminal) stopped by
// SIGINT after `ms`; the exit code.
int monitorFor(SimRig& rig, const QString& csv, int ms) {
    cli::clearStopRequest();
    cli::installStopSignals();
    QTimer stop; // gone with the run, should it end before
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [] { std::raise(SIGINT); });
    stop.start(ms);
    const int code = cli::runMonitorCommand(rig.session, {csv, 0, 5}, rig.out, rig.err);
    cli::clearStopRequest();
    std::signal(SIGINT, SIG_DFL);
    return code;
}

} // namespace

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
            QCOMPARE(cells,
                     HistoryCsvWriter::cells(sampleFromReply(sent[i], rig.session.model(), i)));
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

    // A second run adds its rows after the first's; a file that is no such
    // CSV is refused and kept; a row cut off by a killed run keeps its line.
    void addsRowsAndKeepsOtherFiles() {
        SimRig rig;
        rig.session.setTimerIntervals(100, 2500, 100);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("wetter.csv"));
        auto run = [&](const QString& file) {
            rig.errText.clear();
            const int code = monitorFor(rig, file, 400);
            static const QRegularExpression count(QStringLiteral("^(\\d+) Zeilen in"));
            const auto m = count.match(rig.errText);
            return code == 0 && m.hasMatch() ? m.captured(1).toInt() : -code;
        };
        const int first = run(path);
        const int second = run(path);
        QVERIFY(first > 0 && second > 0);
        const QByteArray text = fileBytes(path);
        QVERIFY(text.startsWith(HistoryCsvWriter::header()));
        QCOMPARE(text.count("\r\n"), 1 + first + second);
        QCOMPARE(text.count("\xEF\xBB\xBF"), 1);

        const std::pair<QByteArray, int> others[] = {
            {"Datum;Betrag\r\n01.12.2026;5,00\r\n", 3},                 // someone else's CSV
            {HistoryCsvWriter::header().replace("Regen", "Schnee"), 3}, // other columns
            {HistoryCsvWriter::header() + "05.12.2026 07:05:09;18", 0}, // cut off mid-row
            {QByteArray(), 0}};                                         // empty: gets the heading
        for (const auto& [bytes, exitCode] : others) {
            const QString other = dir.filePath(QStringLiteral("andere.csv"));
            QVERIFY(writeBytes(other, bytes));
            const int rows = run(other);
            QCOMPARE(rows > 0 ? 0 : -rows, exitCode);
            const QByteArray after = fileBytes(other);
            if (exitCode != 0) {
                QCOMPARE(after, bytes);
                QVERIFY(rig.errText.contains(QStringLiteral("bleibt unver\u00E4ndert")));
                continue;
            }
            // The new rows follow on lines of their own.
            const QByteArray before = bytes.isEmpty() ? HistoryCsvWriter::header() : bytes + "\r\n";
            QVERIFY(after.startsWith(before));
            const QList<QByteArray> added = after.mid(before.size()).split('\n');
            QCOMPARE(added.size(), rows + 1);
            for (const QByteArray& row : added.first(rows))
                QCOMPARE(row.count(';'), 9);
        }
    }

    // Which cells each of the simulator's models fills ('x') and leaves empty
    // ('.'), in the CSV (also the desktop history's), the terminal lines and
    // status --json: brightness now and mean, inside, outside, wind, maximum
    // wind, rain, alarm, humidity. Rain and the alarm are on.
    void missingSensorsAreEmptyPerModel() {
        const std::pair<SimModel::Variant, QString> models[] = {
            {SimModel::Variant::Basic, "........."},
            {SimModel::Variant::Sensor, "xx.xxxxx."},
            {SimModel::Variant::SensorKeyPress, "xx.xxxxx."},
            {SimModel::Variant::Conservatory, "xxxxxxxxx"}};
        for (const auto& [variant, filled] : models) {
            SimRig rig{SimModel(variant)};
            rig.sim.weather().setAlarm(true);
            rig.sim.weather().setRain(true);
            rig.session.setTimerIntervals(100, 2500, 100);
            HistoryRecorder recorder(rig.session);
            auto pattern = [](QStringList cells) {
                cells.removeFirst(); // the time
                QString p;
                for (const QString& c : cells)
                    p += c.isEmpty() ? u'.' : u'x';
                return p;
            };
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("werte.csv"));
            QCOMPARE(monitorFor(rig, path, 600), 0);
            QList<QByteArray> lines = fileBytes(path).split('\n');
            lines.removeFirst();
            lines.removeLast();
            QVERIFY(lines.size() >= 2);
            for (const QByteArray& line : lines)
                QCOMPARE(pattern(QString::fromUtf8(line.chopped(1)).split(u';')), filled);
            QVERIFY(recorder.history().size() >= 2);
            for (int i = 0; i < recorder.history().size(); ++i)
                QCOMPARE(pattern(HistoryCsvWriter::cells(recorder.history().at(i))), filled);

            QCOMPARE(monitorFor(rig, QString(), 300), 0);
            const QString firstLine = rig.outText.section(u'\n', 0, 0);
            static const QRegularExpression blanks(QStringLiteral("[\\s()]+"));
            QCOMPARE(firstLine.split(blanks).count(QStringLiteral("-")), filled.count(u'.'));

            rig.outText.clear();
            QCOMPARE(rig.run(QStringLiteral("status --json"), QString(), 5), 0);
            const QJsonObject o = QJsonDocument::fromJson(rig.outText.toUtf8()).object();
            QString json;
            for (const char* key :
                 {"brightness", "brightnessMean", "insideTemperature", "outsideTemperature",
                  "windKmh", "windMaxKmh", "rain", "alarm", "humidityPercent"})
                json += o.value(QLatin1String(key)).isNull() ? u'.' : u'x';
            QCOMPARE(json, filled);
            QCOMPARE(o.value("alarm").toBool(), filled != ".........");
        }
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
