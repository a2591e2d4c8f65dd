#include "logbook/LogEntry.h"
#include "logbook/LogExportFile.h"
#include "logbook/LogFormat.h"
#include "logbook/LogbookList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

namespace {

LogEntry makeEntry(int n, int motor, bool up, int day, int month, int hour, int minute, int cause,
                   int kind = 0) {
    LogEntry e;
    e.number = n;
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

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestLogbookFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listRow_data();
    void listRow();
    void exportLine_data();
    void exportLine();
    void causeTextsDifferBetweenListAndExport_data();
    void causeTextsDifferBetweenListAndExport();
    void largeNumbersKeepColumnsAligned();
    void motorNameOnlyForMotorsOneToEight();
    void decodeChecksEntries();
    void encodeDecodeRoundTrip();
    void pageRows_data();
    void pageRows();
    void newPageBlanksList();
    void endFrameAfterFullPageKeepsPage();
    void exportFileIsCp1252WithCrLf();
    void exportFileReplacesTargetOnlyOnCommit();
    void exportFileThatCannotBeCreated();
};

void TestLogbookFormat::listRow_data() {
    QTest::addColumn<LogEntry>("entry");
    QTest::addColumn<int>("logCount");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("row");

    QTest::newRow("Küche, fixed switch time")
        << makeEntry(248, 1, true, 3, 12, 7, 5, 0, 0) << 250 << QStringLiteral("Küche")
        << QStringLiteral(
               "    3  Küche        03.12.   07:05    ^     Fest programmierte Schaltzeit");
    QTest::newRow("down, two-digit number, long name cut to 12")
        << makeEntry(1, 2, false, 28, 2, 23, 59, 1) << 42 << QStringLiteral("Wintergarten links")
        << QStringLiteral("   42  Wintergarten 28.02.   23:59    v     Beschattungs-Automatik");
    QTest::newRow("restart: no name, no arrow")
        << makeEntry(2, 1, true, 1, 2, 3, 4, 9) << 5 << QStringLiteral("Küche")
        << QStringLiteral(
               "    4               01.02.   03:04          Neustart nach Anlagen-Reset");
    QTest::newRow("operator switch priority: name, no arrow")
        << makeEntry(1, 3, true, 3, 3, 7, 5, 5) << 100 << QStringLiteral("Bad")
        << QStringLiteral("  100  Bad          03.03.   07:05          Abbruch durch Vorrang des "
                          "Bedienschalters");
    QTest::newRow("clock change: no name, no arrow")
        << makeEntry(1, 1, false, 29, 3, 2, 0, 18) << 1 << QStringLiteral("Küche")
        << QStringLiteral("    1               29.03.   02:00          Umstellung MEZ -> MESZ, "
                          "Astro-Zeiten angepasst");
    QTest::newRow("empty log marker")
        << makeEntry(LogEntry::kEndNumber, 1, false, 0, 0, 0, 0, 0) << 0 << QStringLiteral("x")
        << QStringLiteral("   Keine Logbucheinträge gespeichert");
    QTest::newRow("unknown cause and motor")
        << makeEntry(1, 9, true, 1, 1, 0, 0, 42) << 1 << QString()
        << QStringLiteral(
               "    1               01.01.   00:00    ^     Unbekannter Auslöser (Code 42)");
}

void TestLogbookFormat::listRow() {
    QFETCH(LogEntry, entry);
    QFETCH(int, logCount);
    QFETCH(QString, name);
    QFETCH(QString, row);
    QCOMPARE(logListRow(entry, logCount, name), row);
}

void TestLogbookFormat::exportLine_data() {
    QTest::addColumn<LogEntry>("entry");
    QTest::addColumn<int>("logCount");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("line");

    QTest::newRow("Küche") << makeEntry(248, 1, true, 3, 12, 7, 5, 0, 0) << 250
                           << QStringLiteral("Küche")
                           << QStringLiteral(
                                  "3;Küche;03.12.;07:05;^;Fest programmierte Schaltzeit");
    QTest::newRow("restart") << makeEntry(2, 1, true, 1, 2, 3, 4, 9) << 5 << QStringLiteral("Küche")
                             << QStringLiteral("4;            ;01.02.;03:04; ;Neustart nach "
                                               "Anlagen-Reset");
    QTest::newRow("alarm") << makeEntry(7, 4, false, 11, 11, 11, 11, 8) << 7 << QStringLiteral("a")
                           << QStringLiteral("1;            ;11.11.;11:11; ;Alarmkontakt wurde "
                                             "ausgelöst");
    QTest::newRow("clock change keeps name and arrow in the file")
        << makeEntry(1, 2, false, 25, 10, 3, 0, 19) << 1 << QStringLiteral("Bad")
        << QStringLiteral("1;Bad;25.10.;03:00;v;Umstellung MESZ -> MEZ, Astro-Zeiten angepasst");
    QTest::newRow("name is not padded or cut")
        << makeEntry(1, 2, false, 1, 1, 0, 0, 2) << 1 << QStringLiteral("Wintergarten links")
        << QStringLiteral("1;Wintergarten links;01.01.;00:00;v;Dämmerungs-Automatik");
    QTest::newRow("empty log marker")
        << makeEntry(1, 1, false, 0, 0, 0, 0, 0) << 0 << QStringLiteral("Motor 1")
        << QStringLiteral("0;Motor 1;00.00.;00:00;v;   Keine Logbucheinträge gespeichert");
    QTest::newRow("unknown switch-time kind")
        << makeEntry(1, 0, true, 1, 1, 0, 0, 0, 7) << 1 << QString()
        << QStringLiteral("1;;01.01.;00:00;^;Programmierte Schaltzeit (Art 7)");
}

void TestLogbookFormat::exportLine() {
    QFETCH(LogEntry, entry);
    QFETCH(int, logCount);
    QFETCH(QString, name);
    QFETCH(QString, line);
    QCOMPARE(logExportLine(entry, logCount, name), line);
}

void TestLogbookFormat::causeTextsDifferBetweenListAndExport_data() {
    QTest::addColumn<int>("cause");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("exported");

    QTest::newRow("0/1") << 0 << 1 << "Programmierte Schaltzeit mit Solarfunktion"
                         << "Programmierte Schaltzeit mit Astrofunktion";
    QTest::newRow("0/2") << 0 << 2 << "Programmierte Schaltzeit mit Zufallsfunktion"
                         << "Programmierte Schaltzeit mit Zufallsfunktion";
    QTest::newRow("7") << 7 << 0 << "Innen-Temperatursteuerung"
                       << "Innentemperatur-Automatik";
    QTest::newRow("8") << 8 << 0 << "Alarm bzw. Zentralschalter ausgelöst"
                       << "Alarmkontakt wurde ausgelöst";
    QTest::newRow("10") << 10 << 0 << "Außen-Temperatursteuerung"
                        << "Außentemperatur-Automatik";
    QTest::newRow("11") << 11 << 0 << "Durch Außen-Temper.-Strg ist Motor de-aktiviert"
                        << "Durch AT-Steuerung ist Motor de-aktiviert";
    QTest::newRow("17") << 17 << 0 << "Re-Kallibrierung der Proportionalen IT-Regelung"
                        << "Re-Kallibrierung der Proportionalen IT-Regelung";
    QTest::newRow("23") << 23 << 0 << "Luftfeuchtigkeits-Steuerung"
                        << "Luftfeuchtigkeits-Steuerung";
    QTest::newRow("24 unknown") << 24 << 0 << "Unbekannter Auslöser (Code 24)"
                                << "Unbekannter Auslöser (Code 24)";
    QTest::newRow("-3 unknown") << -3 << 0 << "Unbekannter Auslöser (Code -3)"
                                << "Unbekannter Auslöser (Code -3)";
    QTest::newRow("0 with kind -1") << 0 << -1 << "Programmierte Schaltzeit (Art -1)"
                                    << "Programmierte Schaltzeit (Art -1)";
}

void TestLogbookFormat::causeTextsDifferBetweenListAndExport() {
    QFETCH(int, cause);
    QFETCH(int, kind);
    QFETCH(QString, list);
    QFETCH(QString, exported);
    QCOMPARE(logCauseText(LogTextStyle::List, cause, kind), list);
    QCOMPARE(logCauseText(LogTextStyle::Export, cause, kind), exported);
}

void TestLogbookFormat::largeNumbersKeepColumnsAligned() {
    const LogEntry e = makeEntry(1, 1, true, 3, 12, 7, 5, 4);
    const QString reference = logListRow(e, 1, QStringLiteral("Küche"));
    for (int count : {9, 99, 999, 1000, 9998, 99999}) {
        const QString row = logListRow(e, count, QStringLiteral("Küche"));
        QCOMPARE(row.size(), reference.size());
        QCOMPARE(row.indexOf(QStringLiteral("Küche")), reference.indexOf(QStringLiteral("Küche")));
        if (count < 10000)
            QVERIFY2(row.startsWith(QLatin1Char(' ')), qPrintable(row));
        QCOMPARE(row.left(5).trimmed().toInt(), count);
    }
}

void TestLogbookFormat::motorNameOnlyForMotorsOneToEight() {
    QList<int> asked;
    const MotorNameLookup names = [&](int motor) {
        asked << motor;
        return QStringLiteral("M%1").arg(motor);
    };
    LogEntry e;
    for (int motor : {-1, 0, 1, 8, 9, 255}) {
        e.motor = motor;
        const QString name = logMotorName(e, names);
        QCOMPARE(name, (motor >= 1 && motor <= 8) ? QStringLiteral("M%1").arg(motor) : QString());
    }
    QCOMPARE(asked, (QList<int>{1, 8}));
    e.motor = 3;
    QCOMPARE(logMotorName(e, MotorNameLookup()), QString());
}

void TestLogbookFormat::decodeChecksEntries() {
    ReplyValues v{};
    const int data[] = {248, 1, 1, 3, 12, 0, 7, 5, 0};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += v[i] = data[i];
    v[9] = sum;
    const LogEntryDecode good = decodeLogEntry(v);
    QVERIFY(good.entry);
    QCOMPARE(*good.entry, makeEntry(248, 1, true, 3, 12, 7, 5, 0, 0));
    QVERIFY(good.errorText.isEmpty());

    v[9] = sum + 1;
    const LogEntryDecode bad = decodeLogEntry(v);
    QVERIFY(!bad.entry);
    QCOMPARE(bad.errorText, QStringLiteral("LoBuFe 247"));

    ReplyValues end{};
    end[0] = 9999;
    end[1] = 1;
    end[9] = 10000;
    QVERIFY(decodeLogEntry(end).entry->isEnd());
    end[9] = 9999;
    QCOMPARE(decodeLogEntry(end).errorText, QStringLiteral("LoBuFe 9998"));
}

void TestLogbookFormat::encodeDecodeRoundTrip() {
    const LogEntry e = makeEntry(17, 8, false, 31, 12, 23, 59, 0, 2);
    const QByteArray payload = encodeLogEntry(e);
    QCOMPARE(payload, QByteArray("17,8,0,31,12,0,23,59,2,152,"));
    const auto values = parseReplyValues(payload);
    QVERIFY(values);
    QCOMPARE(*decodeLogEntry(*values).entry, e);
}

void TestLogbookFormat::pageRows_data() {
    QTest::addColumn<qint64>("n");
    QTest::addColumn<int>("row");
    QTest::newRow("1") << qint64(1) << 0;
    QTest::newRow("100") << qint64(100) << 99;
    QTest::newRow("101") << qint64(101) << 0;
    QTest::newRow("250") << qint64(250) << 49;
    QTest::newRow("0") << qint64(0) << 99;
    QTest::newRow("-5") << qint64(-5) << 94;
}

void TestLogbookFormat::pageRows() {
    QFETCH(qint64, n);
    QFETCH(int, row);
    QCOMPARE(LogbookList::rowFor(n), row);
}

void TestLogbookFormat::newPageBlanksList() {
    LogbookList list;
    QCOMPARE(list.rows().size(), 101);
    for (int n = 1; n <= 100; ++n)
        QCOMPARE(list.place(n, QString::number(n)), n - 1);
    QCOMPARE(list.row(99), QStringLiteral("100"));
    QCOMPARE(list.place(101, QStringLiteral("101")), 0);
    QCOMPARE(list.row(0), QStringLiteral("101"));
    for (int r = 1; r < LogbookList::kRowCount; ++r)
        QVERIFY(list.row(r).isEmpty());
}

void TestLogbookFormat::endFrameAfterFullPageKeepsPage() {
    LogbookList list;
    for (int n = 1; n <= 100; ++n)
        list.place(n, QString::number(n));
    QCOMPARE(list.placeEnd(101, QStringLiteral("end"), true), 100);
    QCOMPARE(list.row(0), QStringLiteral("1"));
    QCOMPARE(list.row(100), QStringLiteral("end"));

    // A read that brings no entry but the end frame opens a fresh page.
    QCOMPARE(list.placeEnd(101, QStringLiteral("end"), false), 0);
    QCOMPARE(list.row(0), QStringLiteral("end"));
    QVERIFY(list.row(1).isEmpty());
    QVERIFY(list.row(100).isEmpty());

    // Mid-page the end frame takes the next row.
    QCOMPARE(list.placeEnd(6, QStringLiteral("end"), true), 5);
}

void TestLogbookFormat::exportFileIsCp1252WithCrLf() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.vlf"));
    LogExportFile file;
    QString error;
    QVERIFY2(file.open(path, &error), qPrintable(error));
    file.writeLine(kLogExportHeader);
    file.writeLine(
        logExportLine(makeEntry(248, 1, true, 3, 12, 7, 5, 0, 0), 250, QStringLiteral("Küche")));
    QVERIFY(file.commit(&error));
    QCOMPARE(readAll(path), QByteArray("Nr;Motor/Raum;Datum;Uhrzeit;Richtung;Ausgel\xF6st durch\r\n"
                                       "3;K\xFC"
                                       "che;03.12.;07:05;^;Fest programmierte Schaltzeit\r\n"));
}

void TestLogbookFormat::exportFileReplacesTargetOnlyOnCommit() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.vlf"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old export\r\n");
    }
    {
        LogExportFile file;
        QVERIFY(file.open(path, nullptr));
        file.writeLine(QStringLiteral("half"));
        QCOMPARE(readAll(path), QByteArray("old export\r\n"));
        file.discard();
    }
    QCOMPARE(readAll(path), QByteArray("old export\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("log.vlf")});

    LogExportFile file;
    QVERIFY(file.open(path, nullptr));
    file.writeLine(QStringLiteral("new"));
    QVERIFY(file.commit(nullptr));
    QCOMPARE(readAll(path), QByteArray("new\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("log.vlf")});
}

void TestLogbookFormat::exportFileThatCannotBeCreated() {
    QTemporaryDir dir;
    LogExportFile file;
    QString error;
    QVERIFY(!file.open(dir.filePath(QStringLiteral("no/such/dir/log.vlf")), &error));
    QVERIFY(error.startsWith(QStringLiteral("Kann Logbuch-File nicht anlegen")));
    QVERIFY(!file.isOpen());
    QVERIFY(!file.commit(&error));
}

QTEST_GUILESS_MAIN(TestLogbookFormat)
#include "tst_logbookformat.moc"
