#include "params/MotorNames.h"
#include "params/SwitchTimeTable.h"
#include "params/SwitchTimeWire.h"
#include "protocol/ReplyValues.h"

#include <QTest>

using namespace korvane;

namespace {

ReplyValues values(const QByteArray& payload) {
    const auto v = parseReplyValues(payload);
    Q_ASSERT(v);
    return *v;
}

// An " rfs" block turned back into the comma form of an "sfs" reply.
QByteArray asSfsPayload(const QByteArray& rfs) {
    QByteArray p = rfs.mid(4);
    p.replace('\r', ',');
    return p;
}

} // namespace

class TestSwitchTimeWire : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sfsStores_data();
    void sfsStores();
    void sfsRejects_data();
    void sfsRejects();
    void sfsEndOfReadAll_data();
    void sfsEndOfReadAll();

    void smn_data();
    void smn();

    void rfsBytes_data();
    void rfsBytes();
    void rfsRoundTrip();
    void sendDayCountsAndForcesLastSlot();
    void sendDayLimits_data();
    void sendDayLimits();

    void rmnBytes_data();
    void rmnBytes();
    void sendMotorNamesSendsAllEight();
};

void TestSwitchTimeWire::sfsStores_data() {
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("motor");
    QTest::addColumn<int>("slot");
    QTest::addColumn<SwitchTimeSlot>("expected");
    QTest::addColumn<QString>("status");
    QTest::newRow("up, no time") << QByteArray("1,1,1,1,24,0,40,1,0,69,") << 0 << 0 << 0
                                 << SwitchTimeSlot{0, 0, 39, 1, 0, 0} << "Schaltzeiten Mo";
    QTest::newRow("down at 00:00") << QByteArray("3,2,4,0,0,0,1,7,2,19,") << 2 << 1 << 3
                                   << SwitchTimeSlot{1, 1, 0, 7, 2, 0} << "Schaltzeiten Mi";
    QTest::newRow("other direction is down, 23:59, Dau")
        << QByteArray("7,8,8,5,23,59,127,2,1,240,") << 6 << 7 << 7
        << SwitchTimeSlot{1, 1440, 126, 2, 1, 0} << "Schaltzeiten So";
    QTest::newRow("06:30") << QByteArray("2,3,2,1,6,30,40,5,0,89,") << 1 << 2 << 1
                           << SwitchTimeSlot{0, 391, 39, 5, 0, 0} << "Schaltzeiten Di";
}

void TestSwitchTimeWire::sfsStores() {
    QFETCH(QByteArray, payload);
    QFETCH(int, day);
    QFETCH(int, motor);
    QFETCH(int, slot);
    QFETCH(SwitchTimeSlot, expected);
    QFETCH(QString, status);
    SwitchTimeTable t;
    t.resetForReadAll();
    const SfsOutcome out = applySfsReply(t, values(payload), 8, 8);
    QVERIFY(out.stored);
    QVERIFY(out.errorText.isEmpty());
    QCOMPARE(out.statusText, status);
    QCOMPARE(out.dayAbbrev, status.right(2));
    QCOMPARE(t.at(day, motor, slot), expected);
    // Exactly one slot differs from the reset table.
    SwitchTimeTable reset;
    reset.resetForReadAll();
    int differing = 0;
    for (int i = 0; i < kSwitchTimeSlotCount; ++i)
        differing += t[i] == reset[i] ? 0 : 1;
    QCOMPARE(differing, expected == reset.at(day, motor, slot) ? 0 : 1);
}

void TestSwitchTimeWire::sfsRejects_data() {
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("dayValid");
    QTest::addColumn<QString>("error");
    const QString err = QStringLiteral("Fehler Raumnamen");
    QTest::newRow("wrong check") << QByteArray("3,2,4,0,0,0,1,7,2,20,") << true << err;
    QTest::newRow("day 0") << QByteArray("0,2,4,0,0,0,1,7,2,16,") << false << "";
    QTest::newRow("day 8") << QByteArray("8,2,4,0,0,0,1,7,2,24,") << false << "";
    QTest::newRow("motor 9") << QByteArray("3,9,4,0,0,0,1,7,2,26,") << true << "";
    QTest::newRow("slot 0") << QByteArray("3,2,0,0,0,0,1,7,2,15,") << true << "";
    QTest::newRow("hour 25") << QByteArray("3,2,4,0,25,0,1,7,2,44,") << true << err;
    QTest::newRow("hour -1") << QByteArray("3,2,4,0,-1,0,1,7,2,18,") << true << err;
    QTest::newRow("minute 60") << QByteArray("3,2,4,0,0,60,1,7,2,79,") << true << err;
    QTest::newRow("duration 0") << QByteArray("3,2,4,0,0,0,0,7,2,18,") << true << err;
    QTest::newRow("duration 128") << QByteArray("3,2,4,0,0,0,128,7,2,146,") << true << err;
    QTest::newRow("group 3") << QByteArray("3,2,4,0,0,0,1,3,2,15,") << true << err;
    QTest::newRow("function 3") << QByteArray("3,2,4,0,0,0,1,7,3,20,") << true << err;
}

void TestSwitchTimeWire::sfsRejects() {
    QFETCH(QByteArray, payload);
    QFETCH(bool, dayValid);
    QFETCH(QString, error);
    SwitchTimeTable t;
    const SwitchTimeTable before = t;
    const SfsOutcome out = applySfsReply(t, values(payload), 8, 8);
    QVERIFY(!out.stored);
    QCOMPARE(out.dayValid, dayValid);
    QCOMPARE(out.statusText.isEmpty(), !dayValid);
    QCOMPARE(out.errorText, error);
    QVERIFY(t == before);
}

void TestSwitchTimeWire::sfsEndOfReadAll_data() {
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("motorCount");
    QTest::addColumn<int>("slotsPerMotor");
    QTest::addColumn<bool>("ends");
    QTest::newRow("last of 8x8") << QByteArray("7,8,8,1,6,0,40,1,0,71,") << 8 << 8 << true;
    QTest::newRow("last of 4x6") << QByteArray("7,4,6,1,6,0,40,1,0,65,") << 4 << 6 << true;
    QTest::newRow("bad check still ends") << QByteArray("7,4,6,1,6,0,40,1,0,1,") << 4 << 6 << true;
    QTest::newRow("past the model's slots")
        << QByteArray("7,8,8,1,6,0,40,1,0,71,") << 4 << 6 << false;
    QTest::newRow("saturday") << QByteArray("6,4,6,1,6,0,40,1,0,64,") << 4 << 6 << false;
}

void TestSwitchTimeWire::sfsEndOfReadAll() {
    QFETCH(QByteArray, payload);
    QFETCH(int, motorCount);
    QFETCH(int, slotsPerMotor);
    QFETCH(bool, ends);
    SwitchTimeTable t;
    QCOMPARE(applySfsReply(t, values(payload), motorCount, slotsPerMotor).endsReadAll, ends);
}

void TestSwitchTimeWire::smn_data() {
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("motor");
    QTest::addColumn<QString>("name");
    QTest::newRow("padded name kept")
        << QByteArray("3,Kueche      ") << 2 << QStringLiteral("Kueche      ");
    QTest::newRow("umlaut byte") << QByteArray("1,K\xfc"
                                               "che")
                                 << 0 << QStringLiteral("Küche");
    QTest::newRow("comma in name") << QByteArray("8,a,b") << 7 << QStringLiteral("a,b");
    QTest::newRow("no comma") << QByteArray("5Bad") << 4 << QStringLiteral("5Bad");
    QTest::newRow("empty name") << QByteArray("2,") << 1 << QString();
    QTest::newRow("motor 0") << QByteArray("0,Name") << -1 << QString();
    QTest::newRow("motor 9") << QByteArray("9,Name") << -1 << QString();
    QTest::newRow("not a digit") << QByteArray("x,Name") << -1 << QString();
    QTest::newRow("empty payload") << QByteArray() << -1 << QString();
}

void TestSwitchTimeWire::smn() {
    QFETCH(QByteArray, payload);
    QFETCH(int, motor);
    QFETCH(QString, name);
    MotorNames names;
    const SmnOutcome out = applySmnReply(names, payload);
    QCOMPARE(out.stored, motor >= 0);
    for (int m = 0; m < 8; ++m)
        QCOMPARE(names.name(m), m == motor ? name : MotorNames::defaultName(m));
    if (out.stored) {
        QCOMPARE(out.motor, motor);
        QCOMPARE(out.name, name);
    }
}

void TestSwitchTimeWire::rfsBytes_data() {
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("motor");
    QTest::addColumn<int>("slot");
    QTest::addColumn<SwitchTimeSlot>("s");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Tuesday 06:30") << 1 << 2 << 1 << SwitchTimeSlot{0, 391, 39, 5, 0, 1}
                                   << QByteArray(" rfs2\r3\r2\r1\r6\r30\r40\r5\r0\r89\r");
    QTest::newRow("00:00 down") << 0 << 0 << 0 << SwitchTimeSlot{1, 1, 0, 1, 0, 1}
                                << QByteArray(" rfs1\r1\r1\r0\r0\r0\r1\r1\r0\r5\r");
    QTest::newRow("23:59") << 6 << 7 << 7 << SwitchTimeSlot{0, 1440, 126, 7, 2, 1}
                           << QByteArray(" rfs7\r8\r8\r1\r23\r59\r127\r7\r2\r242\r");
    QTest::newRow("no time") << 4 << 5 << 3 << SwitchTimeSlot{1, 0, 39, 2, 1, 1}
                             << QByteArray(" rfs5\r6\r4\r0\r24\r0\r40\r2\r1\r82\r");
}

void TestSwitchTimeWire::rfsBytes() {
    QFETCH(int, day);
    QFETCH(int, motor);
    QFETCH(int, slot);
    QFETCH(SwitchTimeSlot, s);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeRfs(day, motor, slot, s), bytes);
}

void TestSwitchTimeWire::rfsRoundTrip() {
    // Every slot written and read back arrives unchanged.
    SwitchTimeTable sent;
    for (int i = 0; i < kSwitchTimeSlotCount; ++i)
        sent[i] = SwitchTimeSlot{
            i % 2, (i * 37) % 1441, (i * 11) % 127, QList<int>{1, 2, 5, 7}.at(i % 4), i % 3, 0};
    SwitchTimeTable received;
    received.resetForReadAll();
    for (int d = 0; d < 7; ++d)
        for (int m = 0; m < 8; ++m)
            for (int k = 0; k < 8; ++k) {
                const QByteArray rfs = encodeRfs(d, m, k, sent.at(d, m, k));
                QVERIFY(applySfsReply(received, values(asSfsPayload(rfs)), 8, 8).stored);
            }
    QVERIFY(sent == received);
}

void TestSwitchTimeWire::sendDayCountsAndForcesLastSlot() {
    SwitchTimeTable t;
    t.setAllChanged(false);
    t.at(3, 1, 2).changed = 1;
    t.at(2, 1, 2).changed = 1; // another day: not part of this send
    const QList<WireWrite> writes = sendSwitchTimeDay(t, 3, 4, 6);
    QCOMPARE(writes.size(), 24);
    int tx = 0;
    QList<QByteArray> sent;
    for (const WireWrite& w : writes) {
        tx += w.txAmount;
        if (!w.bytes.isEmpty())
            sent << w.bytes;
    }
    QCOMPARE(tx, 672);
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(0), encodeRfs(3, 1, 2, t.at(3, 1, 2)));
    QCOMPARE(sent.at(1), encodeRfs(3, 3, 5, t.at(3, 3, 5)));
    QCOMPARE(writes.last().bytes, sent.at(1));
    QCOMPARE(t.at(3, 3, 5).changed, 1); // the forced slot keeps its flag
    QCOMPARE(t.at(3, 1, 2).changed, 1); // sending clears nothing
    QCOMPARE(t.changedCount(), 3);
}

void TestSwitchTimeWire::sendDayLimits_data() {
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("motorCount");
    QTest::addColumn<int>("slotsPerMotor");
    QTest::addColumn<int>("positions");
    QTest::newRow("no motors") << 0 << 0 << 8 << 0;
    QTest::newRow("no slots") << 0 << 8 << 0 << 0;
    QTest::newRow("negative") << 0 << -1 << 8 << 0;
    QTest::newRow("bad day") << 7 << 8 << 8 << 0;
    QTest::newRow("full") << 6 << 8 << 8 << 64;
    QTest::newRow("counts above the table") << 0 << 9 << 9 << 64;
}

void TestSwitchTimeWire::sendDayLimits() {
    QFETCH(int, day);
    QFETCH(int, motorCount);
    QFETCH(int, slotsPerMotor);
    QFETCH(int, positions);
    SwitchTimeTable t;
    t.setAllChanged(false);
    const QList<WireWrite> writes = sendSwitchTimeDay(t, day, motorCount, slotsPerMotor);
    QCOMPARE(writes.size(), positions);
    QCOMPARE(t.changedCount(), positions > 0 ? 1 : 0);
    if (positions > 0)
        QVERIFY(writes.last().bytes.startsWith(" rfs"));
}

void TestSwitchTimeWire::rmnBytes_data() {
    QTest::addColumn<int>("motor");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ten characters")
        << 0 << "Wohnzimmer" << QByteArray(" rmn1\rWohnzimmer  \rWohnzimmer  \r");
    QTest::newRow("fifteen characters")
        << 4 << "Schlafzimmer OG" << QByteArray(" rmn5\rSchlafzimmer\rSchlafzimmer\r");
    QTest::newRow("empty") << 7 << "" << QByteArray(" rmn8\r            \r            \r");
    QTest::newRow("umlaut") << 2 << QStringLiteral("Bad oben Süd")
                            << QByteArray(" rmn3\rBad oben S\xfc"
                                          "d\rBad oben S\xfc"
                                          "d\r");
}

void TestSwitchTimeWire::rmnBytes() {
    QFETCH(int, motor);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeRmn(motor, name), bytes);
}

void TestSwitchTimeWire::sendMotorNamesSendsAllEight() {
    MotorNames names;
    names.setName(6, QStringLiteral("Garage"));
    const QList<WireWrite> writes = sendMotorNames(names);
    QCOMPARE(writes.size(), 8);
    int tx = 0;
    for (int m = 0; m < 8; ++m) {
        QCOMPARE(writes.at(m).bytes, encodeRmn(m, names.name(m)));
        tx += writes.at(m).txAmount;
    }
    QCOMPARE(tx, 176);
    QCOMPARE(writes.at(6).bytes, QByteArray(" rmn7\rGarage      \rGarage      \r"));
}

QTEST_GUILESS_MAIN(TestSwitchTimeWire)
#include "tst_switchtimes_wire.moc"
