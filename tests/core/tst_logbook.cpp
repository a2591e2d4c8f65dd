// The logbook: row and export texts, pages, and the transfer against the simulated log.
#include "FakeLink.h"
#include "FileBytes.h"
#include "SimLogbook.h"
#include "SimLoopbackLink.h"

#include "logbook/LogExportFile.h"
#include "logbook/LogFormat.h"
#include "logbook/LogbookList.h"
#include "logbook/LogbookTransfer.h"
#include "session/ControllerSession.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

// LogEntry: number, motor, direction, day, month, cause, hour, minute, kind.

namespace {

// The transfer over a link that the simulated logbook answers in-process.
struct Rig {
    SimLogbook sim;
    // Optional: rewrites the simulator's reply frames before they go out.
    std::function<QList<QByteArray>(QList<QByteArray>)> tamper;
    SimLoopbackLink link{[this](const QByteArray& request) {
        QList<QByteArray> frames = sim.handle(request);
        if (request == "smn") // the names a transfer asks for first
            frames << nameFrames();
        return tamper ? tamper(frames) : frames;
    }};
    ControllerSession session{&link};
    LogbookTransfer transfer{session, [](int m) { return QString(m == 1 ? "Küche" : "Bad"); }};
    QSignalSpy finished{&transfer, &LogbookTransfer::finished};

    Rig() { link.open(QStringLiteral("sim"), nullptr); }

    // Waits for the running transfer and gives its error text, "<ok>" if it succeeded.
    QString failure() {
        const QString text = finished.isEmpty() && !finished.wait(5000) ? "<running>"
                             : finished.first().at(0).toBool()          ? "<ok>"
                                                               : finished.first().at(1).toString();
        finished.clear();
        return text;
    }
    bool run() { return failure() == "<ok>"; }
    QString row(int r) const { return transfer.list().row(r); }
    int shownNumber(int r) const { return row(r).left(5).trimmed().toInt(); }
    bool rowsEmpty(int from) const {
        return transfer.list().rows().mid(from).join(QString()).isEmpty();
    }
};

} // namespace

class TestLogbook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // List row and export line of one entry; an empty text is not checked (exportIsByteExact has
    // the rest). Long names are cut in the list only; restart and operator switch show no arrow,
    // a clock change neither name nor arrow in the list; codes unknown or below zero are named.
    void rowAndExportLine() {
        auto check = [](LogEntry e, int count, const QString& name, const QString& row,
                        const QString& line = {}) {
            if (!row.isEmpty())
                QCOMPARE(logListRow(e, count, name), row);
            if (!line.isEmpty())
                QCOMPARE(logExportLine(e, count, name), line);
        };
        check({248, 1, 1, 3, 12, 0, 7, 5}, 250, "Küche",
              "    3  Küche        03.12.   07:05    ^     Fest programmierte Schaltzeit");
        check({1, 2, 0, 28, 2, 1, 23, 59}, 42, "Wintergarten links",
              "   42  Wintergarten 28.02.   23:59    v     Beschattungs-Automatik",
              "42;Wintergarten links;28.02.;23:59;v;Beschattungs-Automatik");
        check({2, 1, 1, 1, 2, 9, 3, 4}, 5, "Küche",
              "    4               01.02.   03:04          Neustart nach Anlagen-Reset");
        check({1, 3, 1, 3, 3, 5, 7, 5}, 100, "Bad",
              "  100  Bad          03.03.   07:05          Abbruch durch Vorrang des "
              "Bedienschalters");
        check({1, 1, 0, 29, 3, 18, 2, 0}, 1, "Küche",
              "    1               29.03.   02:00          Umstellung MEZ -> MESZ, Astro-Zeiten "
              "angepasst");
        check({1, 2, 0, 25, 10, 19, 3, 0}, 1, "Bad", "",
              "1;Bad;25.10.;03:00;v;Umstellung MESZ -> MEZ, Astro-Zeiten angepasst");
        check({LogEntry::kEndNumber, 1}, 0, "x", "   Keine Logbucheinträge gespeichert");
        check({1, 9, 1, 1, 1, 24}, 1, "",
              "    1               01.01.   00:00    ^     Unbekannter Auslöser (Code 24)");
        check({1, 1, 1, 3, 12, 0, 7, 5, 1}, 1, "Küche",
              "    1  Küche        03.12.   07:05    ^     Programmierte Schaltzeit mit "
              "Solarfunktion");
        check({1, 1, 1, 3, 12, -3, 7, 5}, 1, "Küche", "",
              "1;Küche;03.12.;07:05;^;Unbekannter Auslöser (Code -3)");
        check({1, 1, 1, 3, 12, 0, 7, 5, -1}, 1, "Küche", "",
              "1;Küche;03.12.;07:05;^;Programmierte Schaltzeit (Art -1)");

        // Counts of up to five digits keep the columns aligned.
        const LogEntry e{1, 1, 1, 3, 12, 4, 7, 5};
        const QString reference = logListRow(e, 1, QStringLiteral("Küche"));
        for (int count : {999, 1000, 9998, 99999}) {
            const QString row = logListRow(e, count, QStringLiteral("Küche"));
            QCOMPARE(
                (QList<qsizetype>{row.size(), row.indexOf("Küche"), row.left(5).trimmed().toInt()}),
                (QList{reference.size(), reference.indexOf("Küche"), qsizetype(count)}));
            QVERIFY2(count >= 10000 || row.startsWith(QLatin1Char(' ')), qPrintable(row));
        }
        // The captions sit over their fields: motor, date, time, arrow, cause.
        const QList<int>& c = kLogListColumns;
        QCOMPARE((QStringList{reference.mid(c[1], 5), reference.mid(c[2], 6),
                              reference.mid(c[3], 5), reference.mid(c[5])}),
                 (QStringList{"Küche", "03.12.", "07:05", logCauseText(LogTextStyle::List, 4, 0)}));
        QCOMPARE(reference.indexOf('^', c[4]), 38);

        // The command line's one-line heading, in fixed pitch: every caption
        // over its field and apart from the next.
        const QString h = logListTextHeading();
        QCOMPARE(h.simplified(), kLogListCaption.simplified());
        auto at = [&](const QString& caption) { return int(h.indexOf(caption)); };
        QCOMPARE(at("Nr.") + 3, 5); // ends with the number
        QCOMPARE(at("Motor / Raum"), reference.indexOf("Küche"));
        QCOMPARE(at("Datum"), reference.indexOf("03.12."));
        QCOMPARE(at("Uhrzeit") + 7, reference.indexOf("07:05") + 5);
        QVERIFY(at("Richtung") <= 38 && 38 < at("Richtung") + 8);
        QCOMPARE(at("Ausgelöst durch"), reference.indexOf(logCauseText(LogTextStyle::List, 4, 0)));
    }

    void endFrameAfterFullPageOpensFreshPage() {
        // A read that brings no entry but the end frame opens a fresh page.
        LogbookList list;
        for (int n = 1; n <= 100; ++n)
            list.place(n, QString::number(n));
        QCOMPARE(list.placeEnd(101, QStringLiteral("end"), false), 0);
        QCOMPARE((QStringList{list.row(0), list.row(1), list.row(100)}),
                 (QStringList{"end", "", ""}));
    }

    // Pages of a hundred, newest first, from the read position; then from the start, and the
    // log cleared.
    void readPagesFromStartAndClear() {
        Rig rig;
        rig.sim.seed(149);
        rig.sim.record(LogEntry{0, 1, 1, 5, 3, 1, 7, 5});
        QSignalSpy busy(&rig.transfer, &LogbookTransfer::busyChanged);
        QVERIFY(rig.transfer.startRead(false));
        QCOMPARE(rig.session.activity(), Activity::Logbook);
        QVERIFY(rig.run());
        QCOMPARE(rig.link.written(), QByteArray("smnslasld"));
        QCOMPARE((QList{rig.transfer.logCount(), rig.shownNumber(99), rig.transfer.selectedRow(),
                        int(busy.size())}),
                 (QList{150, 51, 0, 2}));
        // The full page stays, the end frame in the spare row.
        QCOMPARE((QStringList{rig.row(0), rig.row(100),
                              rig.session.panels().text(StatusPanels::Activity)}),
                 (QStringList{"  150  Küche        05.03.   07:05    ^     Beschattungs-Automatik",
                              kLogNoEntriesText, ""}));
        QCOMPARE(rig.session.activity(), Activity::Idle);

        QVERIFY(rig.transfer.startRead(false));
        QVERIFY(rig.run());
        QCOMPARE((QList{rig.shownNumber(0), rig.shownNumber(49), rig.transfer.lastLogEntry()}),
                 (QList{50, 1, 150}));
        QCOMPARE(rig.row(50), kLogNoEntriesText);
        QVERIFY(rig.rowsEmpty(51));

        QVERIFY(rig.transfer.startRead(true));
        QVERIFY(rig.link.written().endsWith("smnslaslrsld"));
        QVERIFY(rig.run());
        QCOMPARE((QList{rig.shownNumber(0), rig.transfer.lastLogEntry()}), (QList{150, 100}));

        QSignalSpy reset(&rig.transfer, &LogbookTransfer::listReset);
        rig.transfer.clearLog();
        QVERIFY(rig.link.written().endsWith("sll"));
        QVERIFY(rig.rowsEmpty(0));
        QCOMPARE((QList{int(reset.size()), rig.transfer.lastLogEntry(), rig.sim.count()}),
                 (QList{1, 1, 0}));
        QCOMPARE(rig.session.activity(), Activity::Idle);
        QVERIFY(rig.transfer.startRead(false));
        QVERIFY(rig.run());
        QCOMPARE(rig.transfer.list().rows().count(kLogNoEntriesText), 1);
    }

    // Entry 2 arrives damaged: a check value one off, or not a number.
    void damagedEntryFailsThePage() {
        auto check = [](const QByteArray& from, const QByteArray& to, const QString& error) {
            Rig rig;
            for (int i = 0; i < 3; ++i)
                rig.sim.record(LogEntry{0, 2, 0, 10 + i, 1, 4, 8, 0});
            rig.tamper = [&](QList<QByteArray> frames) {
                for (QByteArray& f : frames)
                    if (f.startsWith("start_sld2,"))
                        f.replace(f.indexOf(from, 8), from.size(), to);
                return frames;
            };
            QVERIFY(rig.transfer.startRead(false));
            QCOMPARE(rig.failure(),
                     QStringLiteral("Logbuch unvollst\u00E4ndig, es fehlen: Eintrag Nr. 2"));
            QCOMPARE(rig.session.panels().text(StatusPanels::Error), error);
            QCOMPARE((QList<qsizetype>{rig.shownNumber(0), rig.row(1).size(), rig.shownNumber(2)}),
                     (QList<qsizetype>{3, 0, 1}));
        };
        check(",ende_", "1,ende_", QStringLiteral("LoBuFe 1"));
        check("2,", "2x,", QStringLiteral("Formatfehler sld"));
    }

    void exportIsByteExact() {
        Rig rig;
        rig.sim.record(LogEntry{0, 9, 1, 1, 1, 42});           // oldest: unknown motor and cause
        rig.sim.record(LogEntry{0, 0, 0, 1, 1, 0, 0, 0, 5});   // unknown switch-time kind
        rig.sim.record(LogEntry{0, 2, 0, 1, 2, 9, 3, 4});      // restart
        rig.sim.record(LogEntry{0, 2, 0, 2, 12, 0, 6, 30, 1}); // solar switch time
        rig.sim.record(LogEntry{0, 1, 1, 3, 12, 0, 7, 5});     // newest: Küche
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Logbuch.vlf"));
        // Longer than the export: replaced, not overwritten in place.
        QVERIFY(test::writeBytes(path, QByteArray(1000, 'x')));
        QSignalSpy progress(&rig.transfer, &LogbookTransfer::progress);
        QStringList activityTexts;
        connect(&rig.session.panels(), &StatusPanels::changed, this,
                [&](int panel, const QString& text) {
                    if (panel == StatusPanels::Activity)
                        activityTexts << text;
                });
        QVERIFY(rig.transfer.startExport(path));
        QCOMPARE(rig.link.written(), QByteArray("smnslaslf"));
        QVERIFY(rig.run());

        QCOMPARE(test::fileBytes(path),
                 "Nr;Motor/Raum;Datum;Uhrzeit;Richtung;Ausgel\xF6st durch\r\n"
                 "5;K\374che;03.12.;07:05;^;Fest programmierte Schaltzeit\r\n"
                 "4;Bad;02.12.;06:30;v;Programmierte Schaltzeit mit Astrofunktion\r\n"
                 "3;            ;01.02.;03:04; ;Neustart nach Anlagen-Reset\r\n"
                 "2;;01.01.;00:00;v;Programmierte Schaltzeit (Art 5)\r\n"
                 "1;;01.01.;00:00;^;Unbekannter Ausl\xF6ser (Code 42)\r\n"
                 "0;K\374che;00.00.;00:00;v;   Keine Logbucheintr\xE4ge gespeichert\r\n");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Logbuch.vlf"});
        QCOMPARE(progress.last(), (QList<QVariant>{5, 5}));
        QCOMPARE(rig.transfer.exportedEntries(), 5);
        for (const char* text :
             {"Logbuch Daten", "Logbuch Zeile 1", "Logbuch Zeile 5", "Logbuch Zeile 6"})
            QVERIFY2(activityTexts.contains(QLatin1String(text)), text);
        QCOMPARE(activityTexts.last(), QString());
        QCOMPARE(rig.session.activity(), Activity::Idle);
    }

    // Export passes merge by entry number while the count stays the same; a new count starts
    // over. The entries N spoilt in passes 1, 2, ...; an event logged after pass 1; the passes
    // asked for; what is missing (entries by the numbers of the file: 20 - N + 1), or the
    // clean export.
    void exportPassesMerge() {
        struct Row {
            QList<QList<int>> spoilt;
            bool newEntry;
            int passes;
            QString missing;
        };
        const Row rows[] = {
            {{{}}, false, 1, ""},
            {{{3}, {5}}, false, 2, ""},
            {{{3, 4, 5, 6, 7, 8}, {}}, false, 2, ""},
            {{{3}, {3}}, false, 2, "Eintrag Nr. 18"},
            {{{2, 3, 4, 5}, {3, 4, 5}, {4, 5}, {5}}, false, 4, "Eintrag Nr. 16"},
            {{{3}, {5}, {}}, true, 3, ""},
            {{{3}, {5}, {5}}, true, 3, "Eintrag Nr. 17"},
        };
        for (const Row& row : rows) {
            Rig rig;
            rig.sim.seed(20);
            int pass = 0;
            rig.tamper = [&](QList<QByteArray> frames) {
                if (frames.isEmpty() || !frames[0].startsWith("start_slf"))
                    return frames;
                for (int n : row.spoilt.value(pass)) {
                    QByteArray& f = frames[n - 1];
                    f.insert(f.indexOf(",ende_"), '1'); // the check value no longer fits
                }
                if (pass++ == 0 && row.newEntry)
                    rig.sim.record(LogEntry{0, 2, 0, 9, 12, 4, 8, 0});
                return frames;
            };
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("Logbuch.vlf"));
            QVERIFY(rig.transfer.startExport(path));
            const QString failure = rig.failure();
            QCOMPARE(rig.link.written().count("slf"), row.passes);
            rig.tamper = {};
            if (!row.missing.isEmpty()) {
                QCOMPARE(failure, QStringLiteral("Logbuch-Export unvollst\u00E4ndig, es fehlen: ") +
                                      row.missing +
                                      QStringLiteral(". Die Datei wurde nicht geschrieben."));
                QVERIFY(!QFile::exists(path));
                continue;
            }
            QCOMPARE(failure, QStringLiteral("<ok>"));
            const QString clean = dir.filePath(QStringLiteral("clean.vlf"));
            QVERIFY(rig.transfer.startExport(clean));
            QVERIFY(rig.run());
            QCOMPARE(test::fileBytes(path), test::fileBytes(clean));
            QCOMPARE(rig.transfer.exportedEntries(), rig.sim.count());
        }
    }

    void silenceEndsExportWithoutTouchingTarget() {
        Rig rig;
        rig.sim.seed(20);
        // The controller stops after a few entries: no end frame ever comes.
        rig.tamper = [](QList<QByteArray> frames) { return frames.mid(0, qMin(5, frames.size())); };
        rig.transfer.setSilenceTimeout(100);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Logbuch.vlf"));
        QVERIFY(test::writeBytes(path, "previous export\r\n"));
        QVERIFY(rig.transfer.startExport(path));
        QVERIFY(rig.failure().contains("nicht geschrieben"));
        QCOMPARE(test::fileBytes(path), QByteArray("previous export\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Logbuch.vlf"});
        QCOMPARE(rig.session.activity(), Activity::Idle);
        QCOMPARE(rig.session.panels().text(StatusPanels::Activity), QString());
    }

    // An export's frames that no export asked for end nothing, neither a
    // read-all nor a logbook read; a read's own end frame counts one byte more.
    void strayExportFramesEndNothing() {
        FakeLink link;
        ControllerSession session(&link);
        LogbookTransfer logbook(session, {});
        session.openDevice(QStringLiteral("/dev/fake"));
        QSignalSpy finished(&logbook, &LogbookTransfer::finished);
        const QByteArray end = frame("slf", "9999,1,0,0,0,0,0,0,0,10000,");
        session.setActivity(Activity::ReadAll);
        link.receive(end);
        QCOMPARE(session.activity(), Activity::ReadAll);
        session.setActivity(Activity::Idle);
        QVERIFY(logbook.startRead(true));
        link.receive(end);
        QVERIFY(logbook.isBusy());
        QCOMPARE(finished.size(), 0);
        link.reply("sla", "0,");
        for (char m = '1'; m <= '8'; ++m)
            link.reply("smn", QByteArray(1, m) + ",Raum");
        const int rx = session.rxCount();
        link.reply("sld", "9999,1,0,0,0,0,0,0,0,10000,");
        QCOMPARE(finished.size(), 1);
        QVERIFY(finished.first().first().toBool());
        QCOMPARE(session.rxCount(), rx + end.size() + 1);
    }

    void silentReadBlocksOthersThenTimesOut() {
        Rig rig;
        rig.sim.seed(5);
        rig.link.setMute(true);
        rig.transfer.setSilenceTimeout(50);
        QVERIFY(rig.transfer.startRead(false));
        const QByteArray sent = rig.link.written();
        QTemporaryDir dir;
        QString error;
        QVERIFY(!rig.transfer.startExport(dir.filePath("x.vlf"), &error) && !error.isEmpty());
        QVERIFY(!rig.transfer.startRead(true));
        QVERIFY(!rig.transfer.clearLog());
        QCOMPARE(rig.link.written(), sent);
        QVERIFY(QDir(dir.path()).isEmpty());

        QVERIFY(rig.failure().contains("keine Antwort"));
        QCOMPARE(rig.session.activity(), Activity::Idle);
        QVERIFY(!rig.transfer.isBusy());
        // A new read works afterwards.
        rig.link.setMute(false);
        QVERIFY(rig.transfer.startRead(true));
        QVERIFY(rig.run());

        // Another long operation of the session blocks a start as well.
        Rig other;
        other.session.setActivity(Activity::ReadAll);
        QVERIFY(!other.transfer.startRead(false));
        QVERIFY(other.link.written().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLogbook)
#include "tst_logbook.moc"
