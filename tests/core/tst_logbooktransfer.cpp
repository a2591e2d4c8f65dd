#include "SimLogbook.h"
#include "SimLoopbackLink.h"

#include "logbook/LogbookTransfer.h"
#include "session/ControllerSession.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

namespace {

LogEntry logEvent(int motor, bool up, int day, int month, int hour, int minute, int cause,
                  int kind = 0) {
    LogEntry e;
    e.motor = motor;
    e.direction = up ? 1 : 0;
    e.day = day;
    e.month = month;
    e.hour = hour;
    e.minute = minute;
    e.cause = cause;
    e.kind = kind;
    return e;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The logbook transfer against a session whose link is answered in-process
// by the simulated controller's logbook.
struct Rig {
    SimLogbook sim;
    // Optional: rewrites the simulator's reply frames before they go out.
    std::function<QList<QByteArray>(QList<QByteArray>)> tamper;
    SimLoopbackLink link{[this](const QByteArray& request) {
        QList<QByteArray> frames = sim.handle(request);
        return tamper ? tamper(frames) : frames;
    }};
    ControllerSession session{&link};
    QStringList names{QStringLiteral("Küche"),   QStringLiteral("Bad"),
                      QStringLiteral("Motor 3"), QStringLiteral("Motor 4"),
                      QStringLiteral("Motor 5"), QStringLiteral("Motor 6"),
                      QStringLiteral("Motor 7"), QStringLiteral("Motor 8")};
    LogbookTransfer transfer{session, [this](int motor) { return names.value(motor - 1); }};
    QSignalSpy finished{&transfer, &LogbookTransfer::finished};

    Rig() { link.open(QStringLiteral("sim"), nullptr); }

    bool waitFinished() { return !finished.isEmpty() || finished.wait(5000); }
    QString row(int r) const { return transfer.list().row(r); }
    int shownNumber(int r) const { return row(r).left(5).trimmed().toInt(); }
};

} // namespace

class TestLogbookTransfer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readNumbersNewestFirst();
    void readFullPagesThenFromStart();
    void emptyLog();
    void clearLog();
    void badCheckValueSkipsEntry_data();
    void badCheckValueSkipsEntry();
    void exportEmptyLog();
    void exportIsByteExact();
    void exportUnknownMotorAndCause();
    void exportFileThatCannotBeCreated();
    void silenceEndsRead();
    void silenceEndsExportWithoutTouchingTarget();
    void refusesSecondTransfer();
    void strayExportFrameWhileIdle();
};

void TestLogbookTransfer::readNumbersNewestFirst() {
    Rig rig;
    for (int i = 1; i <= 5; ++i)
        rig.sim.record(logEvent(1, true, i, 3, 7, 5, 1));
    QSignalSpy busy(&rig.transfer, &LogbookTransfer::busyChanged);
    QVERIFY(rig.transfer.startRead(false));
    QCOMPARE(rig.session.activity(), Activity::Logbook);
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.finished.first().at(0).toBool(), true);

    QCOMPARE(rig.link.written(), QByteArray("smnslasld"));
    QCOMPARE(rig.transfer.logCount(), 5);
    QCOMPARE(rig.transfer.lastLogEntry(), 5);
    for (int r = 0; r < 5; ++r)
        QCOMPARE(rig.shownNumber(r), 5 - r);
    // The newest entry (day 5) comes first.
    QCOMPARE(rig.row(0),
             QStringLiteral("    5  Küche        05.03.   07:05    ^     Beschattungs-Automatik"));
    QCOMPARE(rig.row(5), kLogNoEntriesText); // the end frame
    QCOMPARE(rig.transfer.selectedRow(), 0);
    QCOMPARE(rig.session.activity(), Activity::Idle);
    QCOMPARE(busy.size(), 2);
    QCOMPARE(rig.session.panels().text(StatusPanels::Activity), QString());
}

void TestLogbookTransfer::readFullPagesThenFromStart() {
    Rig rig;
    rig.sim.seed(150);
    QVERIFY(rig.transfer.startRead(false));
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.shownNumber(0), 150);
    QCOMPARE(rig.shownNumber(99), 51);
    QCOMPARE(rig.row(100), kLogNoEntriesText); // the full page stays

    rig.finished.clear();
    QVERIFY(rig.transfer.startRead(false));
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.shownNumber(0), 50);
    QCOMPARE(rig.shownNumber(49), 1);
    QCOMPARE(rig.row(50), kLogNoEntriesText);
    for (int r = 51; r <= 100; ++r)
        QVERIFY(rig.row(r).isEmpty());
    QCOMPARE(rig.transfer.lastLogEntry(), 150);

    rig.finished.clear();
    QVERIFY(rig.transfer.startRead(true));
    QVERIFY(rig.link.written().endsWith("smnslaslrsld"));
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.shownNumber(0), 150);
    QCOMPARE(rig.transfer.lastLogEntry(), 100);
}

void TestLogbookTransfer::emptyLog() {
    Rig rig;
    QVERIFY(rig.transfer.startRead(false));
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.row(0), kLogNoEntriesText);
    for (int r = 1; r <= 100; ++r)
        QVERIFY(rig.row(r).isEmpty());
    QCOMPARE(rig.transfer.logCount(), 0);
}

void TestLogbookTransfer::clearLog() {
    Rig rig;
    rig.sim.seed(30);
    QVERIFY(rig.transfer.startRead(false));
    QVERIFY(rig.waitFinished());
    QSignalSpy reset(&rig.transfer, &LogbookTransfer::listReset);
    rig.transfer.clearLog();
    QVERIFY(rig.link.written().endsWith("sll"));
    QCOMPARE(reset.size(), 1);
    for (int r = 0; r <= 100; ++r)
        QVERIFY(rig.row(r).isEmpty());
    QCOMPARE(rig.transfer.lastLogEntry(), 1);
    QCOMPARE(rig.session.activity(), Activity::Idle);
    QCOMPARE(rig.sim.count(), 0);

    rig.finished.clear();
    QVERIFY(rig.transfer.startRead(false));
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.transfer.list().rows().count(kLogNoEntriesText), 1);
}

void TestLogbookTransfer::badCheckValueSkipsEntry_data() {
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("error");
    QTest::newRow("check value off")
        << QByteArray(",ende_") << QByteArray("1,ende_") << QStringLiteral("LoBuFe 1");
    QTest::newRow("not a number") << QByteArray("2,") << QByteArray("2x,")
                                  << QStringLiteral("Formatfehler sld");
}

void TestLogbookTransfer::badCheckValueSkipsEntry() {
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, error);
    Rig rig;
    for (int i = 0; i < 3; ++i)
        rig.sim.record(logEvent(2, false, 10 + i, 1, 8, 0, 4));
    rig.tamper = [&](QList<QByteArray> frames) {
        for (QByteArray& f : frames) {
            if (f.startsWith("start_sld2,")) // entry 2 arrives damaged
                f.replace(f.indexOf(from, 8), from.size(), to);
        }
        return frames;
    };
    QVERIFY(rig.transfer.startRead(false));
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.session.panels().text(StatusPanels::Error), error);
    QCOMPARE(rig.shownNumber(0), 3);
    QVERIFY(rig.row(1).isEmpty());
    QCOMPARE(rig.shownNumber(2), 1);
    QCOMPARE(rig.finished.first().at(0).toBool(), true);
}

void TestLogbookTransfer::exportEmptyLog() {
    Rig rig;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("leer.vlf"));
    QVERIFY(rig.transfer.startExport(path));
    QVERIFY(rig.waitFinished());
    QCOMPARE(readFile(path),
             QByteArray("Nr;Motor/Raum;Datum;Uhrzeit;Richtung;Ausgel\xF6st durch\r\n"
                        "0;K\xFC"
                        "che;00.00.;00:00;v;   Keine Logbucheintr\xE4ge "
                        "gespeichert\r\n"));
    QCOMPARE(rig.transfer.exportedEntries(), 0);
}

void TestLogbookTransfer::exportIsByteExact() {
    Rig rig;
    rig.sim.record(logEvent(2, false, 1, 2, 3, 4, 9));      // oldest: restart
    rig.sim.record(logEvent(2, false, 2, 12, 6, 30, 0, 1)); // solar switch time
    rig.sim.record(logEvent(1, true, 3, 12, 7, 5, 0, 0));   // newest: Küche
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Logbuch.vlf"));
    QSignalSpy progress(&rig.transfer, &LogbookTransfer::progress);
    QStringList activityTexts;
    connect(&rig.session.panels(), &StatusPanels::changed, this,
            [&](int panel, const QString& text) {
                if (panel == StatusPanels::Activity)
                    activityTexts << text;
            });
    QString error;
    QVERIFY(rig.transfer.startExport(path, &error));
    QCOMPARE(rig.link.written(), QByteArray("smnslaslf"));
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.finished.first().at(0).toBool(), true);

    QCOMPARE(readFile(path),
             QByteArray("Nr;Motor/Raum;Datum;Uhrzeit;Richtung;Ausgel\xF6st durch\r\n"
                        "3;K\xFC"
                        "che;03.12.;07:05;^;Fest programmierte Schaltzeit\r\n"
                        "2;Bad;02.12.;06:30;v;Programmierte Schaltzeit mit "
                        "Astrofunktion\r\n"
                        "1;            ;01.02.;03:04; ;Neustart nach Anlagen-Reset\r\n"
                        "0;K\xFC"
                        "che;00.00.;00:00;v;   Keine Logbucheintr\xE4ge "
                        "gespeichert\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Logbuch.vlf")});
    QCOMPARE(progress.last(), (QList<QVariant>{3, 3}));
    QCOMPARE(rig.transfer.exportedEntries(), 3);
    QVERIFY(activityTexts.contains(QStringLiteral("Logbuch Daten"))); // the count
    for (const char* text : {"Logbuch Zeile 1", "Logbuch Zeile 3", "Logbuch Zeile 4"})
        QVERIFY2(activityTexts.contains(QLatin1String(text)), text);
    QCOMPARE(activityTexts.last(), QString());
    QCOMPARE(rig.session.activity(), Activity::Idle);
}

void TestLogbookTransfer::exportUnknownMotorAndCause() {
    Rig rig;
    rig.sim.record(logEvent(9, true, 1, 1, 0, 0, 42));
    rig.sim.record(logEvent(0, false, 1, 1, 0, 0, 0, 5));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.vlf"));
    QVERIFY(rig.transfer.startExport(path));
    QVERIFY(rig.waitFinished());
    const QList<QByteArray> lines = readFile(path).split('\n');
    QCOMPARE(lines.value(1), QByteArray("2;;01.01.;00:00;v;Programmierte Schaltzeit (Art 5)\r"));
    QCOMPARE(lines.value(2), QByteArray("1;;01.01.;00:00;^;Unbekannter Ausl\xF6ser (Code 42)\r"));
}

void TestLogbookTransfer::exportFileThatCannotBeCreated() {
    Rig rig;
    rig.sim.seed(3);
    QSignalSpy busy(&rig.transfer, &LogbookTransfer::busyChanged);
    QTemporaryDir dir;
    QString error;
    QVERIFY(!rig.transfer.startExport(dir.filePath(QStringLiteral("missing/x.vlf")), &error));
    QVERIFY(error.contains(QStringLiteral("Kann Logbuch-File nicht anlegen")));
    QVERIFY(rig.link.written().isEmpty());
    QCOMPARE(rig.session.activity(), Activity::Idle);
    QVERIFY(busy.isEmpty());
    QVERIFY(!rig.transfer.isBusy());
}

void TestLogbookTransfer::silenceEndsRead() {
    Rig rig;
    rig.sim.seed(3);
    rig.link.setMute(true);
    rig.transfer.setSilenceTimeout(50);
    QVERIFY(rig.transfer.startRead(false));
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.finished.first().at(0).toBool(), false);
    QVERIFY(rig.finished.first().at(1).toString().contains(QStringLiteral("keine Antwort")));
    QCOMPARE(rig.session.activity(), Activity::Idle);
    QVERIFY(!rig.transfer.isBusy());
    // A new read works afterwards.
    rig.link.setMute(false);
    rig.finished.clear();
    QVERIFY(rig.transfer.startRead(true));
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.finished.first().at(0).toBool(), true);
}

void TestLogbookTransfer::silenceEndsExportWithoutTouchingTarget() {
    Rig rig;
    rig.sim.seed(20);
    // The controller stops after a few entries: no end frame ever comes.
    rig.tamper = [](QList<QByteArray> frames) { return frames.mid(0, qMin(5, frames.size())); };
    rig.transfer.setSilenceTimeout(100);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Logbuch.vlf"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous export\r\n");
    }
    QVERIFY(rig.transfer.startExport(path));
    QVERIFY(rig.waitFinished());
    QCOMPARE(rig.finished.first().at(0).toBool(), false);
    QVERIFY(rig.finished.first().at(1).toString().contains(QStringLiteral("nicht geschrieben")));
    QCOMPARE(readFile(path), QByteArray("previous export\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Logbuch.vlf")});
    QCOMPARE(rig.session.activity(), Activity::Idle);
    QCOMPARE(rig.session.panels().text(StatusPanels::Activity), QString());
}

void TestLogbookTransfer::refusesSecondTransfer() {
    Rig rig;
    rig.sim.seed(5);
    rig.link.setMute(true);
    QVERIFY(rig.transfer.startRead(false));
    const QByteArray sent = rig.link.written();
    QTemporaryDir dir;
    QString error;
    QVERIFY(!rig.transfer.startExport(dir.filePath(QStringLiteral("x.vlf")), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!rig.transfer.startRead(true));
    QVERIFY(!rig.transfer.clearLog());
    QCOMPARE(rig.link.written(), sent);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.vlf"))));

    // Another long operation of the session blocks a start as well.
    Rig other;
    other.session.setActivity(Activity::ReadAll);
    QVERIFY(!other.transfer.startRead(false));
    QVERIFY(other.link.written().isEmpty());
}

void TestLogbookTransfer::strayExportFrameWhileIdle() {
    Rig rig;
    rig.sim.seed(2);
    // An export's frames arriving with no export running write nothing and
    // change no state.
    QSignalSpy frames(&rig.session, &ControllerSession::frameReceived);
    for (const QByteArray& f : rig.sim.handle("slf"))
        rig.link.receive(f);
    QTRY_COMPARE(frames.size(), 3);
    QCOMPARE(rig.transfer.lastLogEntry(), 0);
    QCOMPARE(rig.transfer.exportedEntries(), 0);
    QVERIFY(!rig.transfer.isBusy());
}

QTEST_GUILESS_MAIN(TestLogbookTransfer)
#include "tst_logbooktransfer.moc"
