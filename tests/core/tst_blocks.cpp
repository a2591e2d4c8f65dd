// The eleven per-motor blocks: wire writes and replies, refusals, list rows, the send step.
#include "blocks/BlockCodec.h"
#include "params/ParameterSet.h"

#include <QTest>
#include <numeric>

using namespace korvane;

namespace {

ReplyValues replyFromWrite(const BlockDescription& b, const QByteArray& write) {
    QByteArray payload = write.mid(qstrlen(b.writeCommand));
    return parseReplyValues(payload.replace('\r', ',')).value();
}

BlockRecord recordOf(BlockId id, const QList<int>& values) {
    BlockRecord rec = defaultRecord(blockDescription(id));
    std::copy(values.begin(), values.end(), rec.value.begin());
    return rec;
}

ReplyValues withSum(ReplyValues v, int n) {
    v[n] = std::accumulate(v.begin(), v.begin() + n, 0);
    return v;
}

} // namespace

class TestBlocks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Defaults switched on, motor 1 of the standard profile, unless noted: the write, and the
    // same values as a reply land in the addressed record, nowhere else.
    void writeAndReply() {
        auto check = [](BlockId id, int profile, int motor, const QList<int>& values,
                        const QByteArray& write) {
            const BlockDescription& b = blockDescription(id);
            const BlockRecord rec = recordOf(id, values);
            QCOMPARE(encodeBlockWrite(b, profile, motor, rec), write);
            ParameterSet set;
            applyChangedEvent(set, ChangedEvent::ReadAllDone);
            const ParameterSet before = set;
            const ReplyOutcome out = applyBlockReply(set, id, replyFromWrite(b, write));
            QVERIFY(out.stored && out.errorText.isEmpty());
            QCOMPARE((QList{out.profile, out.motor}), (QList{profile, motor}));
            BlockRecord expected = rec;
            expected.changed = before.record(id, profile, motor).changed; // a reply leaves Changed
            QCOMPARE(set.record(id, profile, motor), expected);
            set.record(id, profile, motor) = before.record(id, profile, motor);
            QVERIFY(set == before);
        };
        using B = BlockId;
        check(B::Shading, 0, 0, {0}, " rbp0\r1\r1\r122\r10\r20\r244\r10\r408\r");
        check(B::Shading, 1, 7, {1, 0, 0, 17, 155, 189}, " rbp1\r8\r0\r90\r5\r22\r255\r190\r571\r");
        check(B::TwilightMorning, 0, 0, {0}, " rdm0\r1\r1\r8\r110\r40\r160\r");
        check(B::TwilightEvening, 0, 0, {0, 9, 4, 190}, " rda0\r1\r1\r23\r5\r191\r221\r");
        check(B::Wind, 0, 0, {0}, " rwp0\r1\r1\r30\r32\r");
        check(B::Wind, 1, 2, {1, 18}, " rwp1\r3\r0\r95\r99\r");
        check(B::Rain, 0, 0, {0, 1}, " rrp0\r1\r1\r0\r2\r");
        check(B::Reversing, 0, 0, {0}, " rjp0\r1\r1\r4\r6\r12\r");
        check(B::KeyPress, 1, 7, {0, 39}, " rta 1\r8\r1\r40\r50\r");
        check(B::Proportional, 0, 0, {0}, " rpp0\r1\r1\r10\r22\r123\r1\r3\r40\r6\r207\r");
        check(B::Proportional, 0, 0, {0, 0, 23, 4, 1, 8, 189, 0},
              " rpp0\r1\r1\r0\r23\r105\r0\r9\r190\r2\r331\r");
        check(B::InsideTemp, 0, 0, {0}, " rip0\r1\r1\r1\r122\r1\r120\r40\r8\r21\r315\r");
        check(B::Humidity, 0, 0, {0}, " rfp0\r1\r1\r1\r76\r66\r40\r8\r21\r214\r");
        check(B::OutsideTemp, 0, 0, {0}, " rap0\r1\r1\r102\r0\r105\r40\r249\r");
        check(B::OutsideTemp, 0, 0, {0, 11, 2, 14, 39}, " rap0\r1\r1\r102\r2\r105\r40\r251\r");
    }

    // A check value one off, or a profile or motor that does not exist.
    void refusedReplies() {
        for (const BlockDescription& b : blockDescriptions()) {
            BlockRecord rec; // fields unlike the defaults and each other, inside their lists
            for (int f = 0; f < b.fieldCount(); ++f)
                rec.value[f] = (f * 7 + 12) % b.fields[f].itemCount;
            const ReplyValues base = replyFromWrite(b, encodeBlockWrite(b, 1, 2, rec));
            const int n = b.checkCount();
            // (index, value): the check value, then profile -1 and 2, motor 0 and 9.
            for (auto [i, w] : {std::pair{n, base[n] + 1}, {0, -1}, {0, 2}, {1, 0}, {1, 9}}) {
                ReplyValues v = base;
                v[i] = w;
                ParameterSet set;
                const ReplyOutcome out = applyBlockReply(set, b.id, i == n ? v : withSum(v, n));
                QVERIFY2(!out.stored,
                         qPrintable(QString("%1: %2 = %3").arg(b.recordName).arg(i).arg(w)));
                QCOMPARE(out.errorText, b.errorText.toString());
                QVERIFY(set == ParameterSet());
            }
        }
    }

    // The lowest and highest wire value of every field after on/off is
    // stored, one beyond either end is refused. x: a flag, any value.
    void wireRanges() {
        using B = BlockId;
        const int x = -1000;
        const std::pair<BlockId, QList<int>> cases[] = {
            {B::Shading, {90, 135, 5, 22, 5, 22, 100, 255, 1, 190}},
            {B::TwilightMorning, {3, 10, 1, 250, 1, 191}},
            {B::TwilightEvening, {14, 23, 1, 250, 1, 191}},
            {B::Wind, {5, 99}},
            {B::Rain, {x, x}},
            {B::Reversing, {0, 40, 0, 40}},
            {B::KeyPress, {1, 190}},
            {B::Proportional, {0, 23, 0, 23, 101, 150, x, x, 1, 9, 1, 190, 2, 9}},
            {B::InsideTemp, {x, x, 91, 150, x, x, 91, 150, 1, 191, 0, 23, 0, 23}},
            {B::Humidity, {x, x, 1, 99, 1, 99, 1, 191, 0, 23, 0, 23}},
            {B::OutsideTemp, {91, 150, 0, 2, 91, 150, 1, 191}},
        };
        for (const auto& [id, ranges] : cases) {
            const BlockDescription& b = blockDescription(id);
            QCOMPARE(ranges.size(), 2 * (b.fieldCount() - 1));
            const ReplyValues base = replyFromWrite(b, encodeBlockWrite(b, 0, 0, defaultRecord(b)));
            for (int f = 1; f < b.fieldCount(); ++f) {
                const int lo = ranges[2 * f - 2], hi = ranges[2 * f - 1];
                if (lo == x)
                    continue;
                for (auto [wire, ok] :
                     {std::pair{lo, true}, {hi, true}, {lo - 1, false}, {hi + 1, false}}) {
                    ReplyValues v = base;
                    v[2 + f] = wire;
                    ParameterSet set;
                    QVERIFY2(applyBlockReply(set, id, withSum(v, b.checkCount())).stored == ok,
                             qPrintable(QStringLiteral("%1 %2 = %3")
                                            .arg(b.recordName, b.fields[f].name)
                                            .arg(wire)));
                }
            }
        }
    }

    void wireEdgeValues() {
        ParameterSet set;
        // A wind speed that is not a multiple of 5 selects the item below.
        QVERIFY(applyBlockReply(set, BlockId::Wind, {0, 1, 1, 97, 99}).stored);
        QCOMPARE(set.record(BlockId::Wind, 0, 0).value[EW_Record::kmh], 18);
        // Any on/off value but 1 means off.
        QVERIFY(applyBlockReply(set, BlockId::Wind, {0, 1, 7, 30, 38}).stored);
        QCOMPARE(set.record(BlockId::Wind, 0, 0).value[EW_Record::Ein_Aus], kOff);
        // Twilight hours at the ends of their lists.
        QVERIFY(applyBlockReply(set, BlockId::TwilightMorning, {0, 1, 1, 3, 110, 40, 155}).stored);
        QCOMPARE(blockListRows(set, BlockId::TwilightMorning, 0)[0],
                 QStringLiteral("Motor 1       EIN    03:00   110      40s"));
        QVERIFY(applyBlockReply(set, BlockId::TwilightEvening, {0, 1, 1, 23, 110, 40, 175}).stored);
        QCOMPARE(set.record(BlockId::TwilightEvening, 0, 0).value[DA_Record::von], 9);
        // The outside reaction 2 is kept and sent back as 2.
        QVERIFY(applyBlockReply(set, BlockId::OutsideTemp, {1, 4, 1, 97, 2, 110, 191, 406}).stored);
        QCOMPARE(set.record(BlockId::OutsideTemp, 1, 3).value[AT_Record::Auf_Ab], 2);
        QCOMPARE(encodeBlockWrite(blockDescription(BlockId::OutsideTemp), 1, 3,
                                  set.record(BlockId::OutsideTemp, 1, 3)),
                 QByteArray(" rap1\r4\r1\r97\r2\r110\r191\r406\r"));
    }

    // The first row of the alternative profile; a value outside its list shows as an empty text.
    void rows() {
        auto check = [](BlockId id, const QList<int>& values, const char* row,
                        const QString& name = QStringLiteral("Motor 1")) {
            ParameterSet set, plain;
            set.motorNames.setName(0, name);
            plain.motorNames.setName(0, name);
            set.record(id, 1, 0) = recordOf(id, values);
            const QStringList rows = blockListRows(set, id, 1);
            QCOMPARE(rows.size(), 8);
            QCOMPARE(rows[0], QString::fromUtf8(row));
            // The other profile is not shown.
            QCOMPARE(blockListRows(set, id, 0)[0], blockListRows(plain, id, 0)[0]);
        };
        using B = BlockId;
        check(B::Shading, {0}, "Motor 1       EIN  22°C  10:00 - 20:00  244      10s");
        check(B::Shading, {0, 0, 0, 17, 0, 189},
              "Motor 1       EIN -10°C  05:00 - 22:00  100      999s");
        check(B::Shading, {0, 15}, "Motor 1       EIN   5°C  10:00 - 20:00  244      10s");
        check(B::Shading, {1}, "Motor 1       AUS");
        check(B::TwilightMorning, {0}, "Motor 1       EIN    08:00   110      40s");
        check(B::TwilightEvening, {0}, "Motor 1       EIN   19:00   110      40s");
        check(B::TwilightEvening, {0, 5, 4, 190}, "Motor 1       EIN   19:00   5      Dauer");
        check(B::Wind, {0}, "Motor 1       EIN    30km/h    ^");
        check(B::Rain, {0, 0}, "Motor 1       EIN      ^");
        check(B::Rain, {0, 1}, "Motor 1       EIN      v");
        check(B::Reversing, {0}, "Motor 1       EIN      0,4s          0,6s");
        check(B::Reversing, {0, 0, 40}, "Motor 1       EIN      0,0s          4,0s");
        check(B::KeyPress, {0}, "Motor 1       EIN      40s");
        check(B::KeyPress, {0, 100}, "Motor 1       EIN      110s");
        check(B::Proportional, {0}, "Motor 1       EIN  10:00 - 22:00  23°C  ^  3°C    40s    6");
        check(B::Proportional, {0, 0, 23, 4, 1, 8, 189, 7},
              "Wohnzimmer O  EIN  00:00 - 23:00   5°C  v  9°C   999s    9",
              QStringLiteral("Wohnzimmer Ost"));
        check(B::Proportional, {0, 7, 7},
              "Motor 1       EIN  07:00 - 07:00  23°C  ^  3°C    40s    6");
        check(B::InsideTemp, {0}, "Motor 1       EIN  08:00 - 21:00  T>22°C ^   T<20°C v   40s");
        check(B::InsideTemp, {0, 1, 4, 1, 19, 190, 9, 9},
              "Motor 1       EIN    ganztägig    T<-5°C v   T>10°C ^ Dauer");
        check(B::Humidity, {0}, "Motor 1       EIN  08:00 - 21:00  F>76% ^    F<66% v    40s");
        check(B::Humidity, {0, 0, 79, 69, 190, 8, 8},
              "Bad           EIN    ganztägig    F>80% ^    F<70% -  Dauer", QStringLiteral("Bad"));
        check(B::Humidity, {0, 1, 29, 39, 101, 6, 22},
              "Keller        EIN  06:00 - 22:00  F<30% ^    F>40% -   120s",
              QStringLiteral("Keller"));
        check(B::OutsideTemp, {0}, "Motor 1       EIN   T<2°C v   T>5°C ^  40s");
        check(B::OutsideTemp, {0, 6, 2}, "Motor 1       EIN   T<-3°C        deaktiv! ");
        check(B::OutsideTemp, {0, 19, 0, 24, 190},
              "Motor 1       EIN   T<10°C ^   T>15°C v  Dauer");
        // A value outside its list shows as an empty text.
        check(B::Shading, {0, 46}, "Motor 1       EIN    °C  10:00 - 20:00  244      10s");
    }

    void windRowShowsRainDirection() {
        ParameterSet set;
        set.record(BlockId::Wind, 0, 2).value[EW_Record::Ein_Aus] = kOn;
        editLinkedField(set, BlockId::Wind, 0, 2, 1); // direction down, set from the wind group
        QCOMPARE(set.record(BlockId::Rain, 0, 2).value[ER_Record::Richtung], 1);
        QVERIFY(set.record(BlockId::Rain, 0, 2).changed);
        QCOMPARE((QStringList{blockListRows(set, BlockId::Wind, 0)[2],
                              blockListRows(set, BlockId::Wind, 1)[2]}),
                 (QStringList{"Motor 3       EIN    30km/h    v", "Motor 3       AUS    "}));
    }

    void sendStep() {
        for (const BlockDescription& b : blockDescriptions()) {
            const BlockId id = b.id;
            ParameterSet set;
            applyChangedEvent(set, ChangedEvent::SendAllDone);

            // Nothing changed: only profile 1, last motor; TxCount for every position.
            BlockSendResult r = encodeBlockStep(set, id, 3);
            QCOMPARE(r.writes, QList<QByteArray>{encodeBlockWrite(b, 1, 2, set.record(id, 1, 2))});
            QCOMPARE(r.txAmount, 2 * 3 * b.txPerRecord);
            QVERIFY(set.record(id, 1, 2).changed);

            // Changed records in walk order; motors beyond the count stay unsent.
            applyChangedEvent(set, ChangedEvent::SendAllDone);
            for (auto [p, m] : {std::pair{0, 1}, {1, 0}, {0, 5}})
                set.record(id, p, m).changed = true;
            r = encodeBlockStep(set, id, 3);
            QCOMPARE(r.writes,
                     (QList<QByteArray>{encodeBlockWrite(b, 0, 1, set.record(id, 0, 1)),
                                        encodeBlockWrite(b, 1, 0, set.record(id, 1, 0)),
                                        encodeBlockWrite(b, 1, 2, set.record(id, 1, 2))}));

            // Start-up: every record of both profiles.
            ParameterSet fresh;
            r = encodeBlockStep(fresh, id, 8);
            QCOMPARE(r.writes.size(), 16);
            QVERIFY(r.writes.last().startsWith(QByteArray(b.writeCommand) + "1\r8\r"));
            QCOMPARE(r.txAmount, 16 * b.txPerRecord);
        }
    }
};

QTEST_GUILESS_MAIN(TestBlocks)
#include "tst_blocks.moc"
