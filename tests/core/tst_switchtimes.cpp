// Switch times: item texts, list rows, the editor's group rules, sfs/smn replies, rfs/rmn writes.
#include "params/MotorNames.h"
#include "params/SwitchTimeEditing.h"
#include "params/SwitchTimeLists.h"
#include "params/SwitchTimeTable.h"
#include "params/SwitchTimeTexts.h"
#include "params/SwitchTimeWire.h"
#include "protocol/ReplyValues.h"

#include <QTest>

using namespace korvane;

namespace {

const QString kEmptyCell = QStringLiteral("        |  ");

ReplyValues values(const QByteArray& payload) {
    return parseReplyValues(payload).value();
}

} // namespace

class TestSwitchTimes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void itemTexts() {
        const QStringList times = timeItems(), durations = durationItems();
        QCOMPARE((QList{times.size(), durations.size()}), (QList<qsizetype>{1441, 127}));
        QCOMPARE((QStringList{times[0], times[1], times[391], times[1440], timeText(1441),
                              timeText(-3)}),
                 (QStringList{"     ", "00:00", "06:30", "23:59", "--:--", "--:--"}));
        QCOMPARE((QStringList{durations[0], durations[39], durations[98], durations[99],
                              durations[100], durations[125], durations[126]}),
                 (QStringList{"1s", "40s", "99s", "100", "110", "360", "Dau"}));
        QVERIFY(durationText(127).isEmpty());
        QCOMPARE(groupItems(4), QStringList({"-", "Mo - Fr", "Mo - So"}));
        QCOMPARE(groupItems(5), QStringList({"-", "Sa - So", "Mo - So"}));
    }

    void rows() {
        SwitchTimeTable t;
        MotorNames names;
        t.at(0, 0, 0).time = 6 * 60 + 30 + 1;
        t.at(0, 0, 1).time = 20 * 60 + 15 + 1;
        t.at(0, 0, 1).direction = 1;
        const QString expected = QStringLiteral("Mo  Motor 1") + QString(9, ' ') +
                                 QStringLiteral("06:30 ^ |  20:15 v |  ") + kEmptyCell.repeated(6);
        const QString row = dataRowText(t, names, 0, 0), sep = separatorRowText();
        const QStringList byDay = buildRows(SwitchTimeListOrder::ByDay, t, names);
        const QStringList byMotor = buildRows(SwitchTimeListOrder::ByMotor, t, names);
        QCOMPARE((QList{row.size(), byDay.size(), byMotor.size(), sep.size(), sep.count('+')}),
                 (QList<qsizetype>{kSwitchRowWidth, 62, 63, 104, 7}));
        QCOMPARE((QStringList{row, byDay[0], byMotor[0], byDay[8], byMotor[7], byDay[61].left(12),
                              byMotor[62].left(12), byMotor[8].left(12)}),
                 (QStringList{expected, expected, expected, sep, sep, "So  Motor 8 ",
                              "So  Motor 8 ", "Mo  Motor 2 "}));

        // Down without a time is an empty cell; the ends of the day.
        t.at(2, 5, 3).direction = 1;
        t.at(2, 5, 4).time = 1;
        t.at(2, 5, 5) = {1, 1440, 39, 1, 0, 1};
        const QString other = dataRowText(t, names, 2, 5);
        auto cell = [&](int k) { return other.mid(kSwitchRowSlotColumn + 11 * k, 11); };
        QCOMPARE((QStringList{cell(3), cell(4), cell(5), cell(7)}),
                 (QStringList{kEmptyCell, "00:00 ^ |  ", "23:59 v |  ", kEmptyCell}));

        // The separator's crosses sit under the cell bars.
        for (int i = 0; i < sep.size(); ++i)
            QCOMPARE(sep.at(i), QLatin1Char(row.at(i) == '|' ? '+' : '-'));

        // Before any data the rows hold only day and name.
        const QStringList startDay = startupRows(SwitchTimeListOrder::ByDay);
        const QStringList startMotor = startupRows(SwitchTimeListOrder::ByMotor);
        QCOMPARE((QList{startDay.size(), startMotor.size()}), (QList<qsizetype>{62, 63}));
        QCOMPARE(
            (QStringList{startDay[0], startDay[8], startDay[10], startMotor[1], startMotor[7]}),
            (QStringList{"Mo  Motor 1 ", QString(104, '-'), "Di  Motor 2 ", "Di  Motor 1",
                         QString(104, '-')}));
    }

    void nameCell() {
        const std::pair<QString, QString> cases[] = {{"Motor 1", "Motor 1     "},
                                                     {"", QString(12, ' ')},
                                                     {"Wohnzimmer12", "Wohnzimmer12"},
                                                     {"Wohnzimmer123", "Wohnzimmer12"},
                                                     {"Küche", "Küche       "}};
        for (const auto& [name, cell] : cases) {
            QCOMPARE(MotorNames::nameCell(name), cell);
            MotorNames names;
            QVERIFY(names.setName(2, name));
            QCOMPARE(names.name(2), name); // memory keeps the whole name
            const QString row = dataRowText(SwitchTimeTable(), names, 3, 2);
            QCOMPARE(row.left(20), "Do  " + cell + QString(4, ' '));
            QCOMPARE(row.size(), kSwitchRowWidth);
        }
    }

    // Group codes of slot 7 of motor 4, Monday to Sunday, before and after a store on `day`;
    // every slot starts with time 100 and Changed 0, the store writes time 500 to the days
    // marked 1 in `stored`.
    void groupRules() {
        auto check = [](const char* rule, const char* before, int day, const char* group,
                        const char* after, const char* stored) {
            SwitchTimeTable t;
            t.setAllChanged(false);
            for (int d = 0; d < 7; ++d)
                t.at(d, 3, 6) = {kDirectionUp, 100, kDefaultDuration, before[d] - '0', 0, 0};
            SwitchTimeTable expected = t;
            QCOMPARE(storeSwitchTime(t, day, 3, 6, groupChoiceFromText(group), {1, 500, 12, 2}),
                     *group != 0);
            for (int d = 0; d < 7; ++d) {
                SwitchTimeSlot& e = expected.at(d, 3, 6);
                e = stored[d] == '1' ? SwitchTimeSlot{1, 500, 12, 0, 2, 1} : e;
                e.group = after[d] - '0';
                QCOMPARE(t.at(d, 3, 6), e);
            }
            QVERIFY2(t == expected, rule); // no other motor or slot is touched
        };
        check("whole week from singles", "1111111", 0, "Mo - So", "7777777", "1111111");
        check("single weekday out of whole week", "7777777", 2, "-", "1111122", "0010000");
        check("single weekend day out of whole week", "7777777", 6, "-", "5555511", "0000001");
        check("single weekday leaves weekend group", "5555522", 1, "-", "1111122", "0100000");
        check("workdays over singles and week", "1717177", 3, "Mo - Fr", "5555522", "1111100");
        check("weekend out of whole week", "7777777", 5, "Sa - So", "5555522", "0000011");
        check("weekend leaves single weekdays", "1111111", 6, "Sa - So", "1111122", "0000011");
        check("no group selected", "7777777", 0, "", "7777777", "0000000");
    }

    void storeEdgeCases() {
        SwitchTimeTable t;
        QCOMPARE(t.changedCount(), kSwitchTimeSlotCount); // start-up: everything is sent
        // Only the duration has a selected item: the other fields stay.
        t.at(0, 1, 2).time = 300;
        t.at(1, 1, 2).time = 301;
        SwitchTimeEditorValues v;
        v.duration = 5;
        QVERIFY(storeSwitchTime(t, 0, 1, 2, GroupChoice::Workdays, v));
        QCOMPARE((QList{t.at(0, 1, 2).time, t.at(1, 1, 2).time, t.at(1, 1, 2).duration,
                        t.at(1, 1, 2).direction}),
                 (QList{300, 301, 5, 0}));

        // No group, the blank slot item or a bad address store nothing.
        t.setAllChanged(false);
        const SwitchTimeTable before = t;
        QVERIFY(!storeSwitchTime(t, 0, 0, 0, GroupChoice::None, {0, 5, 5, 0}));
        QVERIFY(!storeSwitchTime(t, 0, 0, 8, GroupChoice::WholeWeek, {0, 5, 5, 0}));
        QVERIFY(!storeSwitchTime(t, 7, 0, 0, GroupChoice::SingleDay, {0, 5, 5, 0}));
        QVERIFY(!storeSwitchTime(t, 0, -1, 0, GroupChoice::SingleDay, {0, 5, 5, 0}));
        QVERIFY(!markSlotChanged(t, 0, 0, 8));
        QVERIFY(t == before);
        QVERIFY(markSlotChanged(t, 4, 5, 6));
        QCOMPARE((QList{t.changedCount(), t.at(4, 5, 6).changed}), (QList{1, 1}));
    }

    // Copies all 56 slots of motor 2 to motor 5, flagged; the source stays as it was.
    void copyMotor() {
        SwitchTimeTable t;
        t.setAllChanged(false);
        for (int i = 0; i < 56; ++i)
            t.at(i / 8, 1, i % 8) = SwitchTimeSlot{i % 2, i * 7 + 1, i % 8, 7, 1, 0};
        SwitchTimeTable expected = t;
        QVERIFY(!t.copyMotor(1, 8) && !t.copyMotor(-1, 0));
        QVERIFY(t == expected);
        for (int i = 0; i < 56; ++i)
            expected.at(i / 8, 7, i % 8) = SwitchTimeSlot{i % 2, i * 7 + 1, i % 8, 7, 1, 1};
        QVERIFY(t.copyMotor(1, 7));
        QCOMPARE(t.changedCount(), 56);
        QVERIFY(t == expected);
    }

    // Replies as received, into a table reset for a read-all; where the slot is sent back
    // unchanged, the rfs write carries the same fields.
    void sfsAndRfs() {
        SwitchTimeTable reset; // slots the controller does not report: empty, unflagged
        reset.resetForReadAll();
        QCOMPARE(reset[kSwitchTimeSlotCount - 1], (SwitchTimeSlot{0, 0, 0, 1, 0, 0}));
        auto check = [&](QByteArray payload, int day, int motor, int slot, SwitchTimeSlot expected,
                         const QString& day2, bool sentBack = true) {
            SwitchTimeTable t = reset;
            const SfsOutcome out = applySfsReply(t, values(payload), 8, 8);
            QVERIFY(out.stored && out.errorText.isEmpty());
            QCOMPARE((QStringList{out.statusText, out.dayAbbrev}),
                     (QStringList{"Schaltzeiten " + day2, day2}));
            QCOMPARE(t.at(day, motor, slot), expected);
            SwitchTimeTable whole = reset; // only the addressed slot differs from the reset table
            whole.at(day, motor, slot) = expected;
            QVERIFY(t == whole);
            if (sentBack)
                QCOMPARE(encodeRfs(day, motor, slot, expected),
                         " rfs" + payload.replace(',', '\r'));
        };
        check("1,1,1,1,24,0,40,1,0,69,", 0, 0, 0, {0, 0, 39, 1, 0, 0}, "Mo");
        check("3,2,4,0,0,0,1,7,2,19,", 2, 1, 3, {1, 1, 0, 7, 2, 0}, "Mi");
        check("7,8,8,5,23,59,127,2,1,240,", 6, 7, 7, {1, 1440, 126, 2, 1, 0}, "So", false);
        check("2,3,2,1,6,30,40,5,0,89,", 1, 2, 1, {0, 391, 39, 5, 0, 0}, "Di");
        check("5,6,4,0,24,0,40,2,1,82,", 4, 5, 3, {1, 0, 39, 2, 1, 0}, "Fr");
    }

    // Refused replies change nothing; a valid day still names the status, a bad value or check
    // shows the error.
    void sfsRejects() {
        auto check = [](const char* payload, bool dayValid, bool error) {
            SwitchTimeTable t;
            const SfsOutcome out = applySfsReply(t, values(payload), 8, 8);
            QCOMPARE((QList{out.stored, out.dayValid, out.statusText.isEmpty()}),
                     (QList{false, dayValid, !dayValid}));
            QCOMPARE(out.errorText, error ? QStringLiteral("Fehler Raumnamen") : QString());
            QVERIFY(t == SwitchTimeTable());
        };
        // Wrong check; day 0 and 8; motor 9; slot 0; hour, minute, duration, group, function.
        check("3,2,4,0,0,0,1,7,2,20,", true, true);
        check("0,2,4,0,0,0,1,7,2,16,", false, false);
        check("8,2,4,0,0,0,1,7,2,24,", false, false);
        check("3,9,4,0,0,0,1,7,2,26,", true, false);
        check("3,2,0,0,0,0,1,7,2,15,", true, false);
        check("3,2,4,0,25,0,1,7,2,44,", true, true);
        check("3,2,4,0,-1,0,1,7,2,18,", true, true);
        check("3,2,4,0,0,60,1,7,2,79,", true, true);
        check("3,2,4,0,0,0,0,7,2,18,", true, true);
        check("3,2,4,0,0,0,128,7,2,146,", true, true);
        check("3,2,4,0,0,0,1,3,2,15,", true, true);
        check("3,2,4,0,0,0,1,7,3,20,", true, true);
    }

    // Only Sunday's last slot of the model's last motor ends a read-all, whatever its check.
    void sfsEndOfReadAll() {
        auto check = [](const char* payload, int motors, int slots, bool ends) {
            SwitchTimeTable t;
            QVERIFY2(applySfsReply(t, values(payload), motors, slots).endsReadAll == ends, payload);
        };
        check("7,8,8,1,6,0,40,1,0,71,", 8, 8, true);
        check("7,4,6,1,6,0,40,1,0,65,", 4, 6, true);
        check("7,4,6,1,6,0,40,1,0,1,", 4, 6, true);
        check("7,8,8,1,6,0,40,1,0,71,", 4, 6, false);
        check("6,4,6,1,6,0,40,1,0,64,", 4, 6, false);
    }

    // Motor -1: refused; every other name stays as it was.
    void smn() {
        auto check = [](const QByteArray& payload, int motor, const QString& name = {}) {
            MotorNames names;
            const SmnOutcome out = applySmnReply(names, payload);
            QCOMPARE(out.stored, motor >= 0);
            for (int m = 0; m < 8; ++m)
                QCOMPARE(names.name(m), m == motor ? name : MotorNames::defaultName(m));
            QVERIFY(!out.stored || (out.motor == motor && out.name == name));
        };
        check("3,Kueche      ", 2, "Kueche      ");
        check("1,K\374che", 0, "Küche");
        check("8,a,b", 7, "a,b");
        check("5Bad", 4, "5Bad");
        check("2,", 1);
        check("0,Name", -1);
        check("9,Name", -1);
        check("x,Name", -1);
        check("", -1);
    }

    void sendDayCountsAndForcesLastSlot() {
        SwitchTimeTable t;
        t.setAllChanged(false);
        t.at(3, 1, 2).changed = 1;
        t.at(2, 1, 2).changed = 1; // another day: not part of this send
        const QList<WireWrite> writes = sendSwitchTimeDay(t, 3, 4, 6);
        QCOMPARE(writes.size(), 24);
        QList<QByteArray> sent;
        for (const WireWrite& w : writes)
            if (!w.bytes.isEmpty())
                sent << w.bytes;
        QCOMPARE(sent, (QList<QByteArray>{encodeRfs(3, 1, 2, t.at(3, 1, 2)),
                                          encodeRfs(3, 3, 5, t.at(3, 3, 5))}));
        QCOMPARE(writes.last().bytes, sent.at(1));
        // The forced slot keeps its flag; sending clears nothing.
        QCOMPARE((QList{t.at(3, 3, 5).changed, t.at(3, 1, 2).changed, t.changedCount()}),
                 (QList{1, 1, 3}));
    }

    void motorNamesOnTheWire() {
        MotorNames names;
        names.setName(0, QStringLiteral("Wohnzimmer"));
        names.setName(2, QStringLiteral("Bad oben Süd"));
        names.setName(4, QStringLiteral("Schlafzimmer OG")); // cut to twelve characters
        names.setName(7, QString());
        const QList<QByteArray> cells = {"Wohnzimmer  ", "Motor 2     ", "Bad oben S\374d",
                                         "Motor 4     ", "Schlafzimmer", "Motor 6     ",
                                         "Motor 7     ", "            "};
        const QList<WireWrite> writes = sendMotorNames(names);
        QCOMPARE(writes.size(), 8);
        for (int m = 0; m < 8; ++m)
            QCOMPARE(writes.at(m).bytes,
                     " rmn" + QByteArray::number(m + 1) + '\r' + (cells.at(m) + '\r').repeated(2));
    }
};

QTEST_GUILESS_MAIN(TestSwitchTimes)
#include "tst_switchtimes.moc"
