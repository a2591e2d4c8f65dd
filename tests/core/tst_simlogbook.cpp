#include "SimLogbook.h"

#include "logbook/LogEntry.h"
#include "protocol/FrameReceiver.h"

#include <QSet>
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

const QDateTime kNow(QDate(2026, 12, 6), QTime(11, 0));

SimLogEvent dayEvent(int day) {
    SimLogEvent e;
    e.motor = 2;
    e.day = day;
    e.month = 1;
    return e;
}

class TestSimLogbook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptyLogAnswers();
    void readsPagesAndRestarts();
    void exportSendsEverythingNewestFirst();
    void clearEmptiesLog();
    void growthCoversEveryCause();
    void growsByItself();
    void ignoresOtherRequests();
};

void TestSimLogbook::emptyLogAnswers() {
    SimLogbook log;
    QCOMPARE(log.handle("sla"), QList<QByteArray>{"start_sla0,ende_"});
    QCOMPARE(log.handle("sld"), QList<QByteArray>{"start_sld9999,1,1,0,0,0,0,0,0,10001,ende_"});
    QCOMPARE(log.handle("slf"), QList<QByteArray>{"start_slf9999,1,1,0,0,0,0,0,0,10001,ende_"});
}

void TestSimLogbook::readsPagesAndRestarts() {
    SimLogbook log;
    log.fill(150, kNow);
    QCOMPARE(log.handle("sla\r"), QList<QByteArray>{"start_sla150,ende_"});
    QList<LogEntry> first = entriesOf(log.handle("sld"), "sld");
    QCOMPARE(first.size(), 101);
    QVERIFY(first.last().isEnd());
    first.removeLast();
    QCOMPARE(numbers(first), range(1, 100));

    QList<LogEntry> second = entriesOf(log.handle("sld"), "sld");
    second.removeLast();
    QCOMPARE(numbers(second), range(101, 150));
    QCOMPARE(numbers(entriesOf(log.handle("sld"), "sld")), QList<int>{9999});

    QVERIFY(log.handle(" slr").isEmpty());
    QCOMPARE(log.readPosition(), 0);
    QCOMPARE(numbers(entriesOf(log.handle("sld"), "sld")).first(), 1);
}

void TestSimLogbook::exportSendsEverythingNewestFirst() {
    SimLogbook log;
    log.add(dayEvent(1));
    log.add(dayEvent(2));
    log.handle("sld");
    const QList<LogEntry> all = entriesOf(log.handle("slf"), "slf");
    QCOMPARE(numbers(all), (QList<int>{1, 2, 9999}));
    QCOMPARE(all[0].day, 2);
    QCOMPARE(all[1].day, 1);
    QCOMPARE(log.readPosition(), 2); // an export does not move the read position
}

void TestSimLogbook::clearEmptiesLog() {
    SimLogbook log;
    log.fill(20, kNow);
    log.handle("sld");
    QVERIFY(log.handle("sll").isEmpty());
    QCOMPARE(log.count(), 0);
    QCOMPARE(log.readPosition(), 0);
    QCOMPARE(log.handle("sla"), QList<QByteArray>{"start_sla0,ende_"});
}

void TestSimLogbook::growthCoversEveryCause() {
    SimLogbook log;
    QDateTime at = kNow;
    for (int i = 0; i < SimLogbook::kCapacity; ++i) {
        at = at.addSecs(600);
        log.grow(at);
    }
    const QList<LogEntry> all = entriesOf(log.handle("slf"), "slf");
    QCOMPARE(all.size(), SimLogbook::kCapacity + 1);
    QSet<int> causes;
    for (const LogEntry& e : all.first(SimLogbook::kCapacity)) {
        QVERIFY(e.motor >= 1 && e.motor <= 8);
        QVERIFY(e.cause >= 0 && e.cause <= 23);
        QVERIFY(e.kind >= 0 && e.kind <= 2);
        QVERIFY(e.cause == 0 || e.kind == 0);
        causes.insert(e.cause);
    }
    QCOMPARE(causes.size(), 24);
    QCOMPARE(all.first().day, at.date().day()); // the newest first
    QCOMPARE(all.first().hour, at.time().hour());
    log.grow(at);
    QCOMPARE(log.count(), SimLogbook::kCapacity); // the oldest goes
}

void TestSimLogbook::growsByItself() {
    SimLogbook log;
    log.startGrowing(5, [] { return QDateTime(QDate(2026, 3, 29), QTime(2, 0)); });
    QTRY_VERIFY_WITH_TIMEOUT(log.count() >= 3, 2000);
    log.startGrowing(0);
    const int settled = log.count();
    QTest::qWait(30);
    QCOMPARE(log.count(), settled);
    const LogEntry newest = entriesOf(log.handle("slf"), "slf").first();
    QCOMPARE(newest.day, 29);
    QCOMPARE(newest.month, 3);
}

void TestSimLogbook::ignoresOtherRequests() {
    SimLogbook log;
    log.fill(3, kNow);
    for (const char* r : {"smn", "sfi\r", "sl", "slax", ""})
        QVERIFY2(log.handle(r).isEmpty(), r);
    QVERIFY(!SimLogbook::isLogbookRequest("smn"));
    QVERIFY(SimLogbook::isLogbookRequest(" slr"));
    QCOMPARE(log.count(), 3);
}

QTEST_GUILESS_MAIN(TestSimLogbook)
#include "tst_simlogbook.moc"
