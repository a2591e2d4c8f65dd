#include "params/MotorNames.h"
#include "params/SwitchTimeEditing.h"
#include "params/SwitchTimeLists.h"
#include "params/SwitchTimeTable.h"
#include "params/SwitchTimeTexts.h"

#include <QTest>

using namespace korvane;

namespace {

const QString kEmptyCell = QStringLiteral("        |  ");

QString blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

using Groups = QList<int>;
using DayMask = QList<bool>;

} // namespace

class TestSwitchTimes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startupDefaultsAndReadAllReset();
    void itemTexts();

    void rowMapping_data();
    void rowMapping();
    void workedExampleRow();
    void nameCell_data();
    void nameCell();
    void slotCells();
    void separatorAlignsWithCellBars();
    void startupRowsShowDefaultNames();
    void characterColumnToSlot_data();
    void characterColumnToSlot();

    void groupRules_data();
    void groupRules();
    void storeKeepsFieldsWithoutSelection();
    void storeRejectsNoGroupAndBadAddress();
    void copyMotor();
};

void TestSwitchTimes::startupDefaultsAndReadAllReset() {
    SwitchTimeTable t;
    QCOMPARE(t.slots().size(), size_t(448));
    for (const SwitchTimeSlot& s : t.slots()) {
        QCOMPARE(s.direction, 0);
        QCOMPARE(s.time, 0);
        QCOMPARE(s.duration, 39);
        QCOMPARE(s.group, 1);
        QCOMPARE(s.function, 0);
        QCOMPARE(s.changed, 1);
    }
    t.at(3, 4, 5).time = 77;
    t.resetForReadAll();
    for (const SwitchTimeSlot& s : t.slots()) {
        QCOMPARE(s.time, 0);
        QCOMPARE(s.duration, 0);
        QCOMPARE(s.group, 1);
        QCOMPARE(s.changed, 0);
    }
    QCOMPARE(slotIndex(6, 7, 7), 447);
    QCOMPARE(slotIndex(1, 2, 3), 64 + 16 + 3);
    QVERIFY(!isValidSlotAddress(7, 0, 0));
    QVERIFY(!isValidSlotAddress(0, 8, 0));
    QVERIFY(!isValidSlotAddress(0, 0, -1));
}

void TestSwitchTimes::itemTexts() {
    const QStringList times = timeItems();
    QCOMPARE(times.size(), 1441);
    QCOMPARE(times.at(0), QStringLiteral("     "));
    QCOMPARE(times.at(1), QStringLiteral("00:00"));
    QCOMPARE(times.at(6 * 60 + 30 + 1), QStringLiteral("06:30"));
    QCOMPARE(times.at(1440), QStringLiteral("23:59"));
    QCOMPARE(timeText(1441), QStringLiteral("--:--"));
    QCOMPARE(timeText(-3), QStringLiteral("--:--"));

    const QStringList durations = durationItems();
    QCOMPARE(durations.size(), 127);
    QCOMPARE(durations.at(0), QStringLiteral("1s"));
    QCOMPARE(durations.at(39), QStringLiteral("40s"));
    QCOMPARE(durations.at(98), QStringLiteral("99s"));
    QCOMPARE(durations.at(99), QStringLiteral("100"));
    QCOMPARE(durations.at(100), QStringLiteral("110"));
    QCOMPARE(durations.at(125), QStringLiteral("360"));
    QCOMPARE(durations.at(126), QStringLiteral("Dau"));
    QVERIFY(durationText(127).isEmpty());

    QCOMPARE(dayAbbreviations(), QStringList({"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"}));
    QCOMPARE(slotNumberItems().size(), 9);
    QCOMPARE(slotNumberItems().last(), QStringLiteral(" "));
    QCOMPARE(groupItems(4), QStringList({"-", "Mo - Fr", "Mo - So"}));
    QCOMPARE(groupItems(5), QStringList({"-", "Sa - So", "Mo - So"}));
    for (int d = 0; d < 7; ++d)
        QCOMPARE(paddedWeekdayName(d).size(), 10);
}

void TestSwitchTimes::rowMapping_data() {
    QTest::addColumn<SwitchTimeListOrder>("order");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("separator");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("motor");
    const auto byDay = SwitchTimeListOrder::ByDay;
    const auto byMotor = SwitchTimeListOrder::ByMotor;
    QTest::newRow("day list first") << byDay << 0 << false << 0 << 0;
    QTest::newRow("day list row 7") << byDay << 7 << false << 0 << 7;
    QTest::newRow("day list row 8 separator") << byDay << 8 << true << 0 << 0;
    QTest::newRow("day list row 9") << byDay << 9 << false << 1 << 0;
    QTest::newRow("day list last") << byDay << 61 << false << 6 << 7;
    QTest::newRow("motor list row 6") << byMotor << 6 << false << 6 << 0;
    QTest::newRow("motor list row 7 separator") << byMotor << 7 << true << 0 << 0;
    QTest::newRow("motor list row 8") << byMotor << 8 << false << 0 << 1;
    QTest::newRow("motor list last") << byMotor << 62 << false << 6 << 7;
}

void TestSwitchTimes::rowMapping() {
    QFETCH(SwitchTimeListOrder, order);
    QFETCH(int, row);
    QFETCH(bool, separator);
    QFETCH(int, day);
    QFETCH(int, motor);
    const SwitchTimeRowPosition pos = rowPosition(order, row);
    QCOMPARE(pos.separator, separator);
    if (!separator) {
        QCOMPARE(pos.day, day);
        QCOMPARE(pos.motor, motor);
        QCOMPARE(rowOf(order, day, motor), row);
    }
}

void TestSwitchTimes::workedExampleRow() {
    SwitchTimeTable t;
    MotorNames names;
    t.at(0, 0, 0).time = 6 * 60 + 30 + 1;
    t.at(0, 0, 1).time = 20 * 60 + 15 + 1;
    t.at(0, 0, 1).direction = 1;
    const QString expected = QStringLiteral("Mo  Motor 1") + blanks(9) +
                             QStringLiteral("06:30 ^ |  ") + QStringLiteral("20:15 v |  ") +
                             kEmptyCell.repeated(6);
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
}

void TestSwitchTimes::nameCell_data() {
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

void TestSwitchTimes::nameCell() {
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

void TestSwitchTimes::slotCells() {
    SwitchTimeTable t;
    MotorNames names;
    t.at(2, 5, 3).direction = 1; // down, no time: empty cell
    t.at(2, 5, 4).time = 1;      // 00:00 up
    t.at(2, 5, 5).time = 1440;   // 23:59
    t.at(2, 5, 5).direction = 1; // down
    const QString row = dataRowText(t, names, 2, 5);
    auto cell = [&](int k) { return row.mid(kSwitchRowSlotColumn + 11 * k, 11); };
    QCOMPARE(cell(3), kEmptyCell);
    QCOMPARE(cell(4), QStringLiteral("00:00 ^ |  "));
    QCOMPARE(cell(5), QStringLiteral("23:59 v |  "));
    QCOMPARE(cell(7), kEmptyCell);
}

void TestSwitchTimes::separatorAlignsWithCellBars() {
    const QString sep = separatorRowText();
    QCOMPARE(sep.size(), 104);
    QCOMPARE(sep.count(QLatin1Char('+')), 7);
    const QString row = dataRowText(SwitchTimeTable(), MotorNames(), 0, 0);
    for (int i = 0; i < sep.size(); ++i) {
        if (sep.at(i) == QLatin1Char('+'))
            QCOMPARE(row.at(i), QLatin1Char('|'));
        else
            QCOMPARE(sep.at(i), QLatin1Char('-'));
    }
}

void TestSwitchTimes::startupRowsShowDefaultNames() {
    const QStringList byDay = startupRows(SwitchTimeListOrder::ByDay);
    const QStringList byMotor = startupRows(SwitchTimeListOrder::ByMotor);
    QCOMPARE(byDay.size(), 62);
    QCOMPARE(byMotor.size(), 63);
    QCOMPARE(byDay.at(0), QStringLiteral("Mo  Motor 1 "));
    QCOMPARE(byDay.at(8), QString(104, QLatin1Char('-')));
    QCOMPARE(byDay.at(10), QStringLiteral("Di  Motor 2 "));
    QCOMPARE(byMotor.at(1), QStringLiteral("Di  Motor 1"));
    QCOMPARE(byMotor.at(7), QString(104, QLatin1Char('-')));
}

void TestSwitchTimes::characterColumnToSlot_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("slot");
    QTest::newRow("left of everything") << -4 << 0;
    QTest::newRow("name column") << 5 << 0;
    QTest::newRow("first time digit") << 20 << 0;
    QTest::newRow("first bar") << 28 << 0;
    QTest::newRow("blank after first bar") << 29 << 1;
    QTest::newRow("second time") << 31 << 1;
    QTest::newRow("second bar") << 39 << 1;
    QTest::newRow("fourth time minute") << 20 + 33 + 4 << 3;
    QTest::newRow("last bar") << 105 << 7;
    QTest::newRow("row end") << 107 << 7;
    QTest::newRow("beyond the row") << 300 << 7;
}

void TestSwitchTimes::characterColumnToSlot() {
    QFETCH(int, column);
    QFETCH(int, slot);
    QCOMPARE(slotForCharacterColumn(column), slot);
}

// Initial group codes of the seven days of one slot; every slot starts with
// time 100 and Changed 0, the store writes time 500.
void TestSwitchTimes::groupRules_data() {
    QTest::addColumn<Groups>("before");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("groupText");
    QTest::addColumn<Groups>("after");
    QTest::addColumn<DayMask>("stored");

    const DayMask none{false, false, false, false, false, false, false};
    QTest::newRow("whole week from singles")
        << Groups{1, 1, 1, 1, 1, 1, 1} << 0 << "Mo - So" << Groups{7, 7, 7, 7, 7, 7, 7}
        << DayMask{true, true, true, true, true, true, true};
    QTest::newRow("single weekday out of whole week")
        << Groups{7, 7, 7, 7, 7, 7, 7} << 2 << "-" << Groups{1, 1, 1, 1, 1, 2, 2}
        << DayMask{false, false, true, false, false, false, false};
    QTest::newRow("single weekend day out of whole week")
        << Groups{7, 7, 7, 7, 7, 7, 7} << 6 << "-" << Groups{5, 5, 5, 5, 5, 1, 1}
        << DayMask{false, false, false, false, false, false, true};
    QTest::newRow("single weekday leaves weekend group")
        << Groups{5, 5, 5, 5, 5, 2, 2} << 1 << "-" << Groups{1, 1, 1, 1, 1, 2, 2}
        << DayMask{false, true, false, false, false, false, false};
    QTest::newRow("workdays over singles and whole week")
        << Groups{1, 7, 1, 7, 1, 7, 7} << 3 << "Mo - Fr" << Groups{5, 5, 5, 5, 5, 2, 2}
        << DayMask{true, true, true, true, true, false, false};
    QTest::newRow("weekend out of whole week")
        << Groups{7, 7, 7, 7, 7, 7, 7} << 5 << "Sa - So" << Groups{5, 5, 5, 5, 5, 2, 2}
        << DayMask{false, false, false, false, false, true, true};
    QTest::newRow("weekend leaves single weekdays")
        << Groups{1, 1, 1, 1, 1, 1, 1} << 6 << "Sa - So" << Groups{1, 1, 1, 1, 1, 2, 2}
        << DayMask{false, false, false, false, false, true, true};
    QTest::newRow("no group selected")
        << Groups{7, 7, 7, 7, 7, 7, 7} << 0 << "" << Groups{7, 7, 7, 7, 7, 7, 7} << none;
}

void TestSwitchTimes::groupRules() {
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
    // No other motor or slot is touched.
    for (int i = 0; i < kSwitchTimeSlotCount; ++i) {
        if (i % 64 / 8 == motor && i % 8 == slot)
            continue;
        QCOMPARE(t[i], untouched[i]);
    }
}

void TestSwitchTimes::storeKeepsFieldsWithoutSelection() {
    SwitchTimeTable t;
    t.at(0, 1, 2).time = 300;
    t.at(1, 1, 2).time = 301;
    SwitchTimeEditorValues v;
    v.duration = 5; // only the duration has a selected item
    QVERIFY(storeSwitchTime(t, 0, 1, 2, GroupChoice::Workdays, v));
    QCOMPARE(t.at(0, 1, 2).time, 300);
    QCOMPARE(t.at(1, 1, 2).time, 301);
    QCOMPARE(t.at(1, 1, 2).duration, 5);
    QCOMPARE(t.at(1, 1, 2).direction, 0);
}

void TestSwitchTimes::storeRejectsNoGroupAndBadAddress() {
    SwitchTimeTable t;
    t.setAllChanged(false);
    const SwitchTimeTable before = t;
    QVERIFY(!storeSwitchTime(t, 0, 0, 0, GroupChoice::None, {0, 5, 5, 0}));
    QVERIFY(!storeSwitchTime(t, 0, 0, 8, GroupChoice::WholeWeek, {0, 5, 5, 0})); // item " "
    QVERIFY(!storeSwitchTime(t, 7, 0, 0, GroupChoice::SingleDay, {0, 5, 5, 0}));
    QVERIFY(!storeSwitchTime(t, 0, -1, 0, GroupChoice::SingleDay, {0, 5, 5, 0}));
    QVERIFY(!markSlotChanged(t, 0, 0, 8));
    QVERIFY(t == before);
    QVERIFY(markSlotChanged(t, 4, 5, 6));
    QCOMPARE(t.changedCount(), 1);
    QCOMPARE(t.at(4, 5, 6).changed, 1);
}

void TestSwitchTimes::copyMotor() {
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
    SwitchTimeTable same = before;
    QVERIFY(same.copyMotor(2, 2));
    QCOMPARE(same.changedCount(), 56);
    for (int d = 0; d < 7; ++d)
        QVERIFY(same.at(d, 2, 0).sameValues(before.at(d, 2, 0)));
    SwitchTimeTable bad = before;
    QVERIFY(!bad.copyMotor(1, 8));
    QVERIFY(!bad.copyMotor(-1, 0));
    QVERIFY(bad == before);
}

QTEST_GUILESS_MAIN(TestSwitchTimes)
#include "tst_switchtimes.moc"
