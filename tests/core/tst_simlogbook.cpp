#include "SimLogbook.h"

#include "logbook/LogEntry.h"
#include "protocol/FrameReceiver.h"

#include <QSignalSpy>
#include <QTest>

using namespace korvane;

namespace {

// Decodes reply frames into entries; fails the test on a malformed frame.
QList<LogEntry> entriesOf(const QList<QByteArray>& frames, const QByteArray& code) {
    QList<LogEntry> out;
    FrameReceiver receiver;
    for (const QByteArray& f : frames) {
        const QList<ReceiverEvent> events = receiver.feed(f);
        if (events.size() != 1 || events[0].code != code)
            return {};
        const auto values = parseReplyValues(events[0].payload);
        const auto decoded = values ? decodeLogEntry(*values) : LogEntryDecode{};
        if (!decoded.entry)
            return {};
        out << *decoded.entry;
    }
    return out;
}

QList<int> numbers(const QList<LogEntry>& entries) {
    QList<int> out;
    for (const LogEntry& e : entries)
        out << e.number;
    return out;
}

QList<int> range(int first, int last) {
    QList<int> out;
    for (int n = first; n <= last; ++n)
        out << n;
    return out;
}

} // namespace

class TestSimLogbook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptyLogAnswers();
    void countReply();
    void readsPagesAndRestarts();
    void exportSendsEverythingNewestFirst();
    void clearEmptiesLog();
    void generatedEntriesAreValid();
    void growsByItself();
    void keepsCapacity();
    void logsEventsAtItsClock();
    void ignoresOtherRequests();
};

void TestSimLogbook::emptyLogAnswers() {
    SimLogbook log;
    QCOMPARE(log.handle("sla"), QList<QByteArray>{"start_sla0,ende_"});
    QCOMPARE(log.handle("sld"), QList<QByteArray>{"start_sld9999,1,0,0,0,0,0,0,0,10000,ende_"});
    QCOMPARE(log.handle("slf"), QList<QByteArray>{"start_slf9999,1,0,0,0,0,0,0,0,10000,ende_"});
}

void TestSimLogbook::countReply() {
    SimLogbook log;
    log.seed(250);
    QCOMPARE(log.handle("sla\r"), QList<QByteArray>{"start_sla250,ende_"});
}

void TestSimLogbook::readsPagesAndRestarts() {
    SimLogbook log;
    log.seed(150);
    QList<LogEntry> first = entriesOf(log.handle("sld"), "sld");
    QCOMPARE(first.size(), 101);
    QVERIFY(first.last().isEnd());
    first.removeLast();
    QCOMPARE(numbers(first), range(1, 100));
    QCOMPARE(log.readPosition(), 100);

    QList<LogEntry> second = entriesOf(log.handle("sld"), "sld");
    QCOMPARE(second.size(), 51);
    second.removeLast();
    QCOMPARE(numbers(second), range(101, 150));

    // At the end only the end frame comes.
    QCOMPARE(numbers(entriesOf(log.handle("sld"), "sld")), QList<int>{9999});

    QVERIFY(log.handle("slr").isEmpty());
    QCOMPARE(numbers(entriesOf(log.handle("sld"), "sld")).first(), 1);
}

void TestSimLogbook::exportSendsEverythingNewestFirst() {
    SimLogbook log;
    LogEntry older;
    older.motor = 2;
    older.day = 1;
    older.month = 1;
    LogEntry newer = older;
    newer.day = 2;
    log.record(older);
    log.record(newer);
    const QList<LogEntry> all = entriesOf(log.handle("slf"), "slf");
    QCOMPARE(numbers(all), (QList<int>{1, 2, 9999}));
    QCOMPARE(all[0].day, 2);
    QCOMPARE(all[1].day, 1);
    QCOMPARE(log.readPosition(), 0); // an export does not move the read position
}

void TestSimLogbook::clearEmptiesLog() {
    SimLogbook log;
    log.seed(20);
    log.handle("sld");
    QVERIFY(log.handle("sll").isEmpty());
    QCOMPARE(log.count(), 0);
    QCOMPARE(log.readPosition(), 0);
    QCOMPARE(log.handle("sla"), QList<QByteArray>{"start_sla0,ende_"});
}

void TestSimLogbook::generatedEntriesAreValid() {
    SimLogbook log(7);
    log.seed(2000);
    const QList<LogEntry> all = entriesOf(log.handle("slf"), "slf");
    QCOMPARE(all.size(), 2001);
    QSet<int> causes;
    for (const LogEntry& e : all.first(2000)) {
        QVERIFY(e.motor >= 1 && e.motor <= 8);
        QVERIFY(e.day >= 1 && e.day <= 31);
        QVERIFY(e.month >= 1 && e.month <= 12);
        QVERIFY(e.hour >= 0 && e.hour < 24 && e.minute >= 0 && e.minute < 60);
        QVERIFY(e.cause >= 0 && e.cause <= 23);
        QVERIFY(e.kind >= 0 && e.kind <= 2);
        QVERIFY(e.cause == 0 || e.kind == 0);
        causes.insert(e.cause);
    }
    QCOMPARE(causes.size(), 24); // every cause shows up in a long log

    SimLogbook same(7);
    same.seed(2000);
    QCOMPARE(same.handle("slf"), log.handle("slf"));
}

void TestSimLogbook::growsByItself() {
    SimLogbook log;
    log.startGrowing(5);
    QTRY_VERIFY_WITH_TIMEOUT(log.count() >= 3, 2000);
    log.startGrowing(0);
    const int settled = log.count();
    QTest::qWait(30);
    QCOMPARE(log.count(), settled);
}

void TestSimLogbook::keepsCapacity() {
    SimLogbook log;
    log.seed(SimLogbook::kCapacity);
    const LogEntry secondOldest = log.entry(SimLogbook::kCapacity - 1);
    log.seed(1);
    QCOMPARE(log.count(), SimLogbook::kCapacity);
    LogEntry oldest = log.entry(SimLogbook::kCapacity);
    oldest.number = secondOldest.number;
    QCOMPARE(oldest, secondOldest);
}

void TestSimLogbook::logsEventsAtItsClock() {
    SimLogbook log;
    log.setClock([] { return QDateTime(QDate(2026, 3, 29), QTime(2, 0)); });
    log.logEvent(18, 1, false);
    log.logEvent(4, 6, true);
    const QList<LogEntry> all = entriesOf(log.handle("slf"), "slf");
    QCOMPARE(all.size(), 3);
    QCOMPARE(all[0].cause, 4);
    QCOMPARE(all[0].motor, 6);
    QVERIFY(all[0].isUp());
    QCOMPARE(all[1].cause, 18);
    QCOMPARE(all[1].day, 29);
    QCOMPARE(all[1].month, 3);
    QCOMPARE(all[1].hour, 2);
}

void TestSimLogbook::ignoresOtherRequests() {
    SimLogbook log;
    log.seed(3);
    for (const char* r : {"smn", "sfi\r", "sl", "slax", ""})
        QVERIFY2(log.handle(r).isEmpty(), r);
    QVERIFY(!SimLogbook::isLogbookRequest("smn"));
    QVERIFY(SimLogbook::isLogbookRequest(" slr"));
    QCOMPARE(log.count(), 3);
}

QTEST_GUILESS_MAIN(TestSimLogbook)
#include "tst_simlogbook.moc"
