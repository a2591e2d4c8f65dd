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

QString blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

ReplyValues values(const QByteArray& payload) {
    const auto v = parseReplyValues(payload);
    Q_ASSERT(v);
    return *v;
}

using Groups = QList<int>;
using DayMask = QList<bool>;

} // namespace

class TestSwitchTimes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void itemTexts() {
        const QStringList times = timeItems();
        QCOMPARE(times.size(), 1441);
        QCOMPARE((QStringList{times[0], times[1], times[391], times[1440], timeText(1441),
                              timeText(-3)}),
                 (QStringList{"     ", "00:00", "06:30", "23:59", "--:--", "--:--"}));
        const QStringList durations = durationItems();
        QCOMPARE(durations.size(), 127);
        QCOMPARE((QStringList{durations.at(0), durations.at(39), durations.at(98), durations.at(99),
                              durations.at(100), durations.at(125), durations.at(126)}),
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
        const QString expected = QStringLiteral("Mo  Motor 1") + blanks(9) +
                                 QStringLiteral("06:30 ^ |  20:15 v |  ") + kEmptyCell.repeated(6);
        const QString row = dataRowText(t, names, 0, 0);
        QCOMPARE(row, expected);
        QCOMPARE(row.size(), kSwitchRowWidth);
        const QStringList byDay = buildRows(SwitchTimeListOrder::ByDay, t, names);
        const QStringList byMotor = buildRows(SwitchTimeListOrder::ByMotor, t, names);
        QCOMPARE(byDay.size(), 62);
        QCOMPARE(byMotor.size(), 63);
        QCOMPARE(byDay.at(0), expected);
        QCOMPARE(byMotor.at(0), expected);
        QCOMPARE(byDay.at(8), separatorRowText());
        QCOMPARE(byMotor.at(7), separatorRowText());
        QVERIFY(byDay.at(61).startsWith(QStringLiteral("So  Motor 8 ")));
        QVERIFY(byMotor.at(62).startsWith(QStringLiteral("So  Motor 8 ")));
        QVERIFY(byMotor.at(8).startsWith(QStringLiteral("Mo  Motor 2 ")));

        // Down without a time is an empty cell; the ends of the day.
        t.at(2, 5, 3).direction = 1;
        t.at(2, 5, 4).time = 1;
        t.at(2, 5, 5) = {1, 1440, 39, 1, 0, 1};
        const QString other = dataRowText(t, names, 2, 5);
        auto cell = [&](int k) { return other.mid(kSwitchRowSlotColumn + 11 * k, 11); };
        QCOMPARE(cell(3), kEmptyCell);
        QCOMPARE(cell(4), QStringLiteral("00:00 ^ |  "));
        QCOMPARE(cell(5), QStringLiteral("23:59 v |  "));
        QCOMPARE(cell(7), kEmptyCell);

        // The separator's crosses sit under the cell bars.
        const QString sep = separatorRowText();
        QCOMPARE(sep.size(), 104);
        QCOMPARE(sep.count(QLatin1Char('+')), 7);
        for (int i = 0; i < sep.size(); ++i) {
            if (sep.at(i) == QLatin1Char('+'))
                QCOMPARE(row.at(i), QLatin1Char('|'));
            else
                QCOMPARE(sep.at(i), QLatin1Char('-'));
        }

        // Before any data the rows hold only day and name.
        const QStringList startDay = startupRows(SwitchTimeListOrder::ByDay);
        const QStringList startMotor = startupRows(SwitchTimeListOrder::ByMotor);
        QCOMPARE(startDay.size(), 62);
        QCOMPARE(startMotor.size(), 63);
        QCOMPARE(startDay.at(0), QStringLiteral("Mo  Motor 1 "));
        QCOMPARE(startDay.at(8), QString(104, QLatin1Char('-')));
        QCOMPARE(startDay.at(10), QStringLiteral("Di  Motor 2 "));
        QCOMPARE(startMotor.at(1), QStringLiteral("Di  Motor 1"));
        QCOMPARE(startMotor.at(7), QString(104, QLatin1Char('-')));
    }

    void nameCell_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("cell");
        QTest::newRow("default") << "Motor 1"
                                 << "Motor 1     ";
        QTest::newRow("empty") << "" << blanks(12);
        QTest::newRow("twelve") << "Wohnzimmer12"
                                << "Wohnzimmer12";
        QTest::newRow("thirteen") << "Wohnzimmer123"
                                  << "Wohnzimmer12";
        QTest::newRow("umlaut") << QStringLiteral("Küche") << QStringLiteral("Küche       ");
    }

    void nameCell() {
        QFETCH(QString, name);
        QFETCH(QString, cell);
        QCOMPARE(MotorNames::nameCell(name), cell);
        MotorNames names;
        QVERIFY(names.setName(2, name));
        QCOMPARE(names.name(2), name); // memory keeps the whole name
        const QString row = dataRowText(SwitchTimeTable(), names, 3, 2);
        QCOMPARE(row.left(20), QStringLiteral("Do  ") + cell + blanks(4));
        QCOMPARE(row.size(), kSwitchRowWidth);
    }

    // Group codes of the seven days of one slot before the store; every slot
    // starts with time 100 and Changed 0, the store writes time 500.
    void groupRules_data() {
        QTest::addColumn<Groups>("before");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("groupText");
        QTest::addColumn<Groups>("after");
        QTest::addColumn<DayMask>("stored");
        const Groups week{7, 7, 7, 7, 7, 7, 7};
        const Groups singles{1, 1, 1, 1, 1, 1, 1};
        const Groups split{1, 1, 1, 1, 1, 2, 2};
        const Groups workdays{5, 5, 5, 5, 5, 2, 2};
        const bool o = true;
        const bool _ = false;
        QTest::newRow("whole week from singles")
            << singles << 0 << "Mo - So" << week << DayMask{o, o, o, o, o, o, o};
        QTest::newRow("single weekday out of whole week")
            << week << 2 << "-" << split << DayMask{_, _, o, _, _, _, _};
        QTest::newRow("single weekend day out of whole week")
            << week << 6 << "-" << Groups{5, 5, 5, 5, 5, 1, 1} << DayMask{_, _, _, _, _, _, o};
        QTest::newRow("single weekday leaves weekend group")
            << workdays << 1 << "-" << split << DayMask{_, o, _, _, _, _, _};
        QTest::newRow("workdays over singles and whole week")
            << Groups{1, 7, 1, 7, 1, 7, 7} << 3 << "Mo - Fr" << workdays
            << DayMask{o, o, o, o, o, _, _};
        QTest::newRow("weekend out of whole week")
            << week << 5 << "Sa - So" << workdays << DayMask{_, _, _, _, _, o, o};
        QTest::newRow("weekend leaves single weekdays")
            << singles << 6 << "Sa - So" << split << DayMask{_, _, _, _, _, o, o};
        QTest::newRow("no group selected")
            << week << 0 << "" << week << DayMask{_, _, _, _, _, _, _};
    }

    void groupRules() {
        QFETCH(Groups, before);
        QFETCH(int, day);
        QFETCH(QString, groupText);
        QFETCH(Groups, after);
        QFETCH(DayMask, stored);
        const int motor = 3;
        const int slot = 6;
        SwitchTimeTable t;
        t.setAllChanged(false);
        for (int d = 0; d < 7; ++d) {
            t.at(d, motor, slot).time = 100;
            t.at(d, motor, slot).group = before.at(d);
        }
        const SwitchTimeTable untouched = t;
        SwitchTimeEditorValues v{1, 500, 12, 2};
        const bool ok = storeSwitchTime(t, day, motor, slot, groupChoiceFromText(groupText), v);
        QCOMPARE(ok, !groupText.isEmpty());
        for (int d = 0; d < 7; ++d) {
            const SwitchTimeSlot& s = t.at(d, motor, slot);
            QCOMPARE(s.group, after.at(d));
            QCOMPARE(s.time, stored.at(d) ? 500 : 100);
            QCOMPARE(s.changed, stored.at(d) ? 1 : 0);
            if (stored.at(d)) {
                QCOMPARE(s.direction, 1);
                QCOMPARE(s.duration, 12);
                QCOMPARE(s.function, 2);
            }
        }
        for (int i = 0; i < kSwitchTimeSlotCount; ++i) // no other motor or slot is touched
            if (i % 64 / 8 != motor || i % 8 != slot)
                QCOMPARE(t[i], untouched[i]);
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
        QCOMPARE(t.at(0, 1, 2).time, 300);
        QCOMPARE(t.at(1, 1, 2).time, 301);
        QCOMPARE(t.at(1, 1, 2).duration, 5);
        QCOMPARE(t.at(1, 1, 2).direction, 0);

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
        QCOMPARE(t.changedCount(), 1);
        QCOMPARE(t.at(4, 5, 6).changed, 1);
    }

    void copyMotor() {
        SwitchTimeTable t;
        t.setAllChanged(false);
        for (int d = 0; d < 7; ++d)
            for (int k = 0; k < 8; ++k)
                t.at(d, 1, k) = SwitchTimeSlot{d % 2, d * 100 + k + 1, k, 7, 1, 0};
        const SwitchTimeTable before = t;
        QVERIFY(t.copyMotor(1, 4));
        QCOMPARE(t.changedCount(), 56);
        for (int d = 0; d < 7; ++d) {
            for (int k = 0; k < 8; ++k) {
                QVERIFY(t.at(d, 4, k).sameValues(t.at(d, 1, k)));
                QCOMPARE(t.at(d, 4, k).changed, 1);
                QCOMPARE(t.at(d, 1, k), before.at(d, 1, k)); // source untouched
            }
        }
        SwitchTimeTable bad = before;
        QVERIFY(!bad.copyMotor(1, 8));
        QVERIFY(!bad.copyMotor(-1, 0));
        QVERIFY(bad == before);
    }

    // Replies as received; where the slot is sent back unchanged, the rfs
    // write carries the same fields.
    void sfsAndRfs_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("motor");
        QTest::addColumn<int>("slot");
        QTest::addColumn<SwitchTimeSlot>("expected");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("sentBack");
        auto row = [](const char* tag, const char* p, int d, int m, int k, SwitchTimeSlot s,
                      const char* status, bool sentBack = true) {
            QTest::newRow(tag) << QByteArray(p) << d << m << k << s << QString(status) << sentBack;
        };
        row("up, no time", "1,1,1,1,24,0,40,1,0,69,", 0, 0, 0, {0, 0, 39, 1, 0, 0},
            "Schaltzeiten Mo");
        row("down at 00:00", "3,2,4,0,0,0,1,7,2,19,", 2, 1, 3, {1, 1, 0, 7, 2, 0},
            "Schaltzeiten Mi");
        row("other direction is down, 23:59, Dau", "7,8,8,5,23,59,127,2,1,240,", 6, 7, 7,
            {1, 1440, 126, 2, 1, 0}, "Schaltzeiten So", false);
        row("Tuesday 06:30", "2,3,2,1,6,30,40,5,0,89,", 1, 2, 1, {0, 391, 39, 5, 0, 0},
            "Schaltzeiten Di");
        row("down, no time", "5,6,4,0,24,0,40,2,1,82,", 4, 5, 3, {1, 0, 39, 2, 1, 0},
            "Schaltzeiten Fr");
    }

    void sfsAndRfs() {
        QFETCH(QByteArray, payload);
        QFETCH(int, day);
        QFETCH(int, motor);
        QFETCH(int, slot);
        QFETCH(SwitchTimeSlot, expected);
        QFETCH(QString, status);
        QFETCH(bool, sentBack);
        SwitchTimeTable reset; // slots the controller does not report: empty, unflagged
        reset.resetForReadAll();
        QCOMPARE(reset[kSwitchTimeSlotCount - 1], (SwitchTimeSlot{0, 0, 0, 1, 0, 0}));
        SwitchTimeTable t = reset;
        const SfsOutcome out = applySfsReply(t, values(payload), 8, 8);
        QVERIFY(out.stored && out.errorText.isEmpty());
        QCOMPARE(out.statusText, status);
        QCOMPARE(out.dayAbbrev, status.right(2));
        QCOMPARE(t.at(day, motor, slot), expected);
        int differing = 0; // exactly the addressed slot differs from the reset table
        for (int i = 0; i < kSwitchTimeSlotCount; ++i)
            differing += t[i] == reset[i] ? 0 : 1;
        QCOMPARE(differing, expected == reset.at(day, motor, slot) ? 0 : 1);
        if (sentBack)
            QCOMPARE(encodeRfs(day, motor, slot, expected), " rfs" + payload.replace(',', '\r'));
    }

    void sfsRejects_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("dayValid");
        QTest::addColumn<QString>("error");
        auto row = [](const char* tag, const char* p, bool dayValid, bool error) {
            QTest::newRow(tag) << QByteArray(p) << dayValid
                               << (error ? QStringLiteral("Fehler Raumnamen") : QString());
        };
        row("wrong check", "3,2,4,0,0,0,1,7,2,20,", true, true);
        row("day 0", "0,2,4,0,0,0,1,7,2,16,", false, false);
        row("day 8", "8,2,4,0,0,0,1,7,2,24,", false, false);
        row("motor 9", "3,9,4,0,0,0,1,7,2,26,", true, false);
        row("slot 0", "3,2,0,0,0,0,1,7,2,15,", true, false);
        row("hour 25", "3,2,4,0,25,0,1,7,2,44,", true, true);
        row("hour -1", "3,2,4,0,-1,0,1,7,2,18,", true, true);
        row("minute 60", "3,2,4,0,0,60,1,7,2,79,", true, true);
        row("duration 0", "3,2,4,0,0,0,0,7,2,18,", true, true);
        row("duration 128", "3,2,4,0,0,0,128,7,2,146,", true, true);
        row("group 3", "3,2,4,0,0,0,1,3,2,15,", true, true);
        row("function 3", "3,2,4,0,0,0,1,7,3,20,", true, true);
    }

    void sfsRejects() {
        QFETCH(QByteArray, payload);
        SwitchTimeTable t;
        const SwitchTimeTable before = t;
        const SfsOutcome out = applySfsReply(t, values(payload), 8, 8);
        QVERIFY(!out.stored);
        QTEST(out.dayValid, "dayValid");
        QCOMPARE(out.statusText.isEmpty(), !out.dayValid);
        QTEST(out.errorText, "error");
        QVERIFY(t == before);
    }

    // Only Sunday's last slot of the model's last motor ends a read-all, whatever its check.
    void sfsEndOfReadAll() {
        const struct {
            const char* payload;
            int motors, slots;
            bool ends;
        } rows[] = {{"7,8,8,1,6,0,40,1,0,71,", 8, 8, true},
                    {"7,4,6,1,6,0,40,1,0,65,", 4, 6, true},
                    {"7,4,6,1,6,0,40,1,0,1,", 4, 6, true},
                    {"7,8,8,1,6,0,40,1,0,71,", 4, 6, false},
                    {"6,4,6,1,6,0,40,1,0,64,", 4, 6, false}};
        for (const auto& r : rows) {
            SwitchTimeTable t;
            QVERIFY2(applySfsReply(t, values(r.payload), r.motors, r.slots).endsReadAll == r.ends,
                     r.payload);
        }
    }

    void smn_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("motor"); // -1: refused
        QTest::addColumn<QString>("name");
        QTest::newRow("padded name kept") << QByteArray("3,Kueche      ") << 2 << "Kueche      ";
        QTest::newRow("umlaut byte") << QByteArray("1,K\xfc"
                                                   "che")
                                     << 0 << QStringLiteral("Küche");
        QTest::newRow("comma in name") << QByteArray("8,a,b") << 7 << "a,b";
        QTest::newRow("no comma") << QByteArray("5Bad") << 4 << "5Bad";
        QTest::newRow("empty name") << QByteArray("2,") << 1 << QString();
        QTest::newRow("motor 0") << QByteArray("0,Name") << -1 << QString();
        QTest::newRow("motor 9") << QByteArray("9,Name") << -1 << QString();
        QTest::newRow("not a digit") << QByteArray("x,Name") << -1 << QString();
        QTest::newRow("empty payload") << QByteArray() << -1 << QString();
    }

    void smn() {
        QFETCH(QByteArray, payload);
        QFETCH(int, motor);
        QFETCH(QString, name);
        MotorNames names;
        const SmnOutcome out = applySmnReply(names, payload);
        QCOMPARE(out.stored, motor >= 0);
        for (int m = 0; m < 8; ++m)
            QCOMPARE(names.name(m), m == motor ? name : MotorNames::defaultName(m));
        QVERIFY(!out.stored || (out.motor == motor && out.name == name));
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
        QCOMPARE(t.at(3, 3, 5).changed, 1); // the forced slot keeps its flag
        QCOMPARE(t.at(3, 1, 2).changed, 1); // sending clears nothing
        QCOMPARE(t.changedCount(), 3);
    }

    void motorNamesOnTheWire() {
        MotorNames names;
        names.setName(0, QStringLiteral("Wohnzimmer"));
        names.setName(2, QStringLiteral("Bad oben Süd"));
        names.setName(4, QStringLiteral("Schlafzimmer OG")); // cut to twelve characters
        names.setName(7, QString());
        const QList<QByteArray> cells = {"Wohnzimmer  ",
                                         "Motor 2     ",
                                         "Bad oben S\xfc"
                                         "d",
                                         "Motor 4     ",
                                         "Schlafzimmer",
                                         "Motor 6     ",
                                         "Motor 7     ",
                                         "            "};
        const QList<WireWrite> writes = sendMotorNames(names);
        QCOMPARE(writes.size(), 8);
        for (int m = 0; m < 8; ++m) {
            const QByteArray cell = cells.at(m) + '\r';
            QCOMPARE(writes.at(m).bytes, " rmn" + QByteArray::number(m + 1) + '\r' + cell + cell);
        }
    }
};

QTEST_GUILESS_MAIN(TestSwitchTimes)
#include "tst_switchtimes.moc"
