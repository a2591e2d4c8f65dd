#include "SwitchTimePage.h"
#include "helpers/WindowHarness.h"
#include "params/SwitchTimeTexts.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QSignalSpy>
#include <QStyle>

using namespace korvane;

namespace {

constexpr auto kByDay = SwitchTimeListOrder::ByDay;
constexpr auto kByMotor = SwitchTimeListOrder::ByMotor;

struct Fixture {
    SwitchTimeTable table;
    MotorNames names;
    SwitchTimePage page{table, names};

    Fixture() {
        page.resize(1100, 700);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
    }
    QComboBox* combo(const char* name) const { return page.findChild<QComboBox*>(name); }
    int index(const char* name) const { return combo(name)->currentIndex(); }
    QList<int> indexes(const char* names) const {
        QList<int> indexes;
        for (const QString& name : QString(names).split(' '))
            indexes << index(qPrintable(name));
        return indexes;
    }
    QString text(const char* name) const { return combo(name)->currentText(); }
    QString copyFrom() const { return page.findChild<QLabel*>("copy_from_label")->text(); }
    void click(const char* button) {
        QTest::mouseClick(page.findChild<QPushButton*>(button), Qt::LeftButton);
    }
    void pick(const char* name, int index) { test::choose(combo(name), index); }
    // A click on character `column` of `row` in the list on show.
    void clickCell(int row, int column) {
        QListWidget* list = page.list(page.shownOrder());
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        const QRect rect = list->visualItemRect(item);
        const int margin =
            list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
        const QFontMetricsF fm(list->font());
        const QString text = item->text().leftJustified(column + 1);
        const qreal x = rect.left() + margin + fm.horizontalAdvance(text.left(column)) +
                        fm.horizontalAdvance(text.at(column)) / 2;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(int(x), rect.center().y()));
    }
    QLineEdit* nameEdit() const { return combo("CB_Raum")->lineEdit(); }
    QString row(SwitchTimeListOrder o, int r) const { return page.list(o)->item(r)->text(); }
    // Whether the list of `order` shows row `r` as the table makes it.
    bool rowFits(SwitchTimeListOrder order, int day, int motor) const {
        return row(order, rowOf(order, day, motor)) == dataRowText(table, names, day, motor);
    }
};

} // namespace

class TestSwitchTimePage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startupState() {
        Fixture f;
        for (auto order : {kByDay, kByMotor}) {
            QCOMPARE(f.page.list(order)->count(), rowCount(order));
            QVERIFY(QFontInfo(f.page.list(order)->font()).fixedPitch());
        }
        QVERIFY(f.page.progressBar()->isHidden());
        QCOMPARE(f.text("CB_Dauer"), QStringLiteral("40s"));
        QCOMPARE(f.copyFrom(), QStringLiteral("Motor 1"));
        QCOMPARE(f.page.currentMotor(), 0);

        // The motor list shows first; the buttons switch without rebuilding.
        // order, day list visible, motor list visible
        const auto shown = [&] {
            return QList<int>{int(f.page.shownOrder()), f.page.list(kByDay)->isVisible(),
                              f.page.list(kByMotor)->isVisible()};
        };
        QCOMPARE(shown(), (QList<int>{int(kByMotor), 0, 1}));
        f.table.at(0, 0, 0).time = 5;
        f.click("TagButton");
        QCOMPARE(shown(), (QList<int>{int(kByDay), 1, 0}));
        QCOMPARE(f.row(kByDay, 0), QStringLiteral("Mo  Motor 1 "));
        f.click("MotorButton");
        QCOMPARE(shown(), (QList<int>{int(kByMotor), 0, 1}));

        QSignalSpy port(&f.page, &SwitchTimePage::portPicked);
        f.pick("Combo_PortNum", 2);
        QCOMPARE(port, QList<QList<QVariant>>{{2}});
    }

    void storeOneDayThenWholeWeekThenSingle() {
        Fixture f;
        f.table.setAllChanged(false);
        QSignalSpy edited(&f.page, &SwitchTimePage::edited);
        f.pick("CB_Schaltzeit", 6 * 60 + 30 + 1); // 06:30 with group "-"
        QCOMPARE((QList<int>{f.table.at(0, 0, 0).time, f.table.at(0, 0, 0).group,
                             f.table.at(1, 0, 0).time, f.table.changedCount()}),
                 (QList<int>{391, 1, 0, 1}));
        QVERIFY(f.rowFits(kByDay, 0, 0) && f.rowFits(kByMotor, 0, 0));

        f.pick("CB_Gruppe", 2); // "Mo - So"
        QCOMPARE(f.table.changedCount(), 7);
        QCOMPARE(f.table.at(6, 0, 0).time, 391);

        f.pick("CB_Wochentag", 2); // Wednesday: editor loads the whole-week slot
        QCOMPARE(f.indexes("CB_Gruppe CB_Schaltzeit"), (QList<int>{2, 391}));
        QCOMPARE(f.page.list(kByMotor)->currentRow(), rowOf(kByMotor, 2, 0));
        f.pick("CB_Gruppe", 0); // "-"
        f.pick("CB_Schaltzeit", 900);
        for (int d = 0; d < 7; ++d)
            QCOMPARE(f.table.at(d, 0, 0).time, d == 2 ? 900 : 391);
        // The editor keeps its day and motor.
        QCOMPARE(f.indexes("CB_Wochentag CB_Raum") << int(edited.count()), (QList<int>{2, 0, 4}));
    }

    // A slot with no fitting group keeps it; a blank slot number stores nothing.
    void editsWithoutAFullTarget() {
        Fixture f;
        f.table.at(1, 2, 3).group = 2; // a weekend code on a Tuesday: no group item fits
        f.page.rebuildLists();
        f.click("TagButton");
        f.clickCell(rowOf(kByDay, 1, 2), kSwitchRowSlotColumn + 3 * kSwitchRowCellWidth + 1);
        QCOMPARE(f.indexes("CB_Schaltzeit_Nr CB_Gruppe"), (QList<int>{3, -1}));
        f.table.setAllChanged(false);
        SwitchTimeTable before = f.table;
        f.pick("CB_Dauer", 70);
        QCOMPARE(f.table.changedCount(), 1);
        QCOMPARE(f.table.at(1, 2, 3).changed, 1);
        QVERIFY(f.table.at(1, 2, 3).sameValues(before.at(1, 2, 3)));

        f.table.setAllChanged(false);
        before = f.table;
        f.pick("CB_Schaltzeit_Nr", 8);
        QCOMPARE(f.index("CB_Schaltzeit"), -1);
        f.pick("CB_Schaltzeit", 100);
        f.pick("CB_Gruppe", 2);
        QVERIFY(f.table == before);
    }

    // A cell click selects its day, motor and slot; a separator row, the row below.
    void rowClickToSlot() {
        const int r = rowOf(kByMotor, 4, 6);
        const std::tuple<bool, int, int, QList<int>> cases[] = {
            {false, r, 0, {4, 0, 6, r}},           // day abbreviation
            {false, r, 27, {4, 0, 6, r}},          // right half of first cell
            {false, r, 30, {4, 1, 6, r}},          // after first bar
            {false, r, 20 + 44 + 4, {4, 4, 6, r}}, // fifth minute
            {false, r, 20 + 77 + 2, {4, 7, 6, r}}, // last cell
            {true, 8, 35, {1, 1, 0, 9}}};          // separator
        for (const auto& [byDay, row, column, daySlotMotorRow] : cases) {
            Fixture f;
            f.page.rebuildLists();
            if (byDay)
                f.click("TagButton");
            const SwitchTimeTable before = f.table;
            f.clickCell(row, column);
            QVERIFY(f.table == before); // a click loads, it stores nothing
            QCOMPARE(f.indexes("CB_Wochentag CB_Schaltzeit_Nr CB_Raum") +
                         QList<int>{f.page.list(f.page.shownOrder())->currentRow()},
                     daySlotMotorRow);
            QCOMPARE(f.copyFrom(), QStringLiteral("Motor %1").arg(daySlotMotorRow[2] + 1));
        }
    }

    void copyToMotor() {
        Fixture f;
        f.table.at(3, 1, 7).time = 777;
        f.table.setAllChanged(false);
        f.pick("CB_Raum", 1);
        QCOMPARE(f.copyFrom(), QStringLiteral("Motor 2"));
        QSignalSpy edited(&f.page, &SwitchTimePage::edited);
        f.pick("CB_Copy_Raum", 4);
        QCOMPARE((QList<int>{f.table.changedCount(), int(edited.count()), f.index("CB_Raum")}),
                 (QList<int>{56, 1, 1}));
        QVERIFY(f.rowFits(kByMotor, 3, 4));

        // Without a source motor (during read-all) nothing is copied.
        f.table.setAllChanged(false);
        f.page.resetForReadAll();
        f.pick("CB_Copy_Raum", 4);
        QCOMPARE(f.table.changedCount(), 0);
    }

    // Typed and confirmed, a name is taken once; a focus change or pick renames nothing.
    void rename() {
        // 0: click "Speichern auf Datenträger", -1: open the list
        for (int key : {int(Qt::Key_Return), int(Qt::Key_Tab), 0, -1}) {
            Fixture f;
            f.page.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&f.page));
            QSignalSpy renamed(&f.page, &SwitchTimePage::motorNamesEdited);
            QString nameWhenSaving;
            connect(&f.page, &SwitchTimePage::saveToDiskRequested, &f.page,
                    [&] { nameWhenSaving = f.names.name(0); });
            QTest::mouseDClick(f.nameEdit(), Qt::LeftButton); // selects the word "Motor"
            QWidget* field = QApplication::focusWidget();
            QVERIFY(field == f.combo("CB_Raum") || field == f.nameEdit());
            f.nameEdit()->selectAll();
            QTest::keyClicks(field, QStringLiteral("Wohnzimmer"));
            QCOMPARE(f.names.name(0), QStringLiteral("Motor 1")); // nothing before confirming
            if (key > 0) {
                QTest::keyClick(field, Qt::Key(key));
            } else if (key == 0) {
                f.click("SaveToDisk_Button");
                QCOMPARE(nameWhenSaving, QStringLiteral("Wohnzimmer"));
            } else {
                f.combo("CB_Raum")->showPopup();
                f.combo("CB_Raum")->hidePopup();
            }
            QCOMPARE(renamed.count(), 1);
            QCOMPARE(
                (QStringList{f.combo("CB_Raum")->itemText(0), f.combo("CB_Copy_Raum")->itemText(0),
                             f.text("CB_Raum"), f.copyFrom()}),
                QStringList(4, "Wohnzimmer"));
            QVERIFY(f.row(kByMotor, 0).startsWith(QStringLiteral("Mo  Wohnzimmer      ")));

            f.page.setCurrentMotor(5);
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(f.nameEdit(), &out);
            f.pick("CB_Raum", 2); // picking an item is a selection, not a rename
            QCOMPARE(f.page.currentMotor(), 2);
            QCOMPARE(renamed.count(), 1);
            QCOMPARE(f.names.toList(), QStringList({"Wohnzimmer", "Motor 2", "Motor 3", "Motor 4",
                                                    "Motor 5", "Motor 6", "Motor 7", "Motor 8"}));
        }
    }

    void renameAppliesToCurrentMotor() {
        Fixture f;
        f.table.at(0, 3, 0).time = 601;
        f.page.setCurrentMotor(3); // chosen on another page
        f.nameEdit()->setFocus();
        f.nameEdit()->selectAll();
        QTest::keyClicks(f.nameEdit(), QStringLiteral("K"));
        QTest::sendKeyEvent(QTest::Click, f.nameEdit(), Qt::Key_unknown, QStringLiteral("ü"),
                            Qt::NoModifier);
        QTest::keyClicks(f.nameEdit(), QStringLiteral("che Nord-West"));
        QTest::keyClick(f.nameEdit(), Qt::Key_Enter);
        QCOMPARE(
            (QStringList{f.names.name(3), f.combo("CB_Copy_Raum")->itemText(3), f.names.name(0)}),
            (QStringList{"Küche Nord-West", "Küche Nord-West", "Motor 1"}));
        // The editor shows motor 4's slot.
        QCOMPARE(f.indexes("CB_Raum CB_Schaltzeit"), (QList<int>{3, 601}));
        QVERIFY(f.rowFits(kByMotor, 0, 3));
    }

    void readAllResetAndEnd() {
        Fixture f;
        f.pick("CB_Wochentag", 3);
        f.pick("CB_Copy_Raum", 5);
        f.page.resetForReadAll();
        QCOMPARE(f.indexes("CB_Wochentag CB_Raum CB_Schaltzeit_Nr CB_Up_Down CB_Schaltzeit "
                           "CB_Dauer CB_Gruppe CB_Funktion"),
                 QList<int>(8, -1));
        for (auto order : {kByDay, kByMotor}) {
            QListWidget* l = f.page.list(order);
            QVERIFY(l->selectedItems().isEmpty());
            QStringList expected(rowCount(order));
            expected[6] = readAllProgressText();
            QCOMPARE(test::rows(l), expected);
        }
        f.page.setProgressRow(readAllProgressText(QStringLiteral("Schaltzeiten Di")));
        QCOMPARE(f.row(kByMotor, 6),
                 QString(30, QLatin1Char(' ')) + QStringLiteral("Lese Daten von Steuerung ...   "
                                                                "Schaltzeiten Di"));

        // The end of read-all selects and shows Monday, motor 1, slot 1.
        f.table.resetForReadAll();
        f.table.at(0, 0, 0) = SwitchTimeSlot{1, 61, 5, 7, 2, 0};
        f.names.setName(0, QStringLiteral("Flur        "));
        f.page.selectAfterReadAll();
        QCOMPARE(f.indexes("CB_Wochentag CB_Raum CB_Copy_Raum CB_Schaltzeit_Nr"), QList<int>(4, 0));
        QCOMPARE((QStringList{f.combo("CB_Raum")->itemText(0), f.copyFrom(),
                              f.text("CB_Schaltzeit"), f.text("CB_Gruppe"), f.text("CB_Funktion")}),
                 (QStringList{"Flur        ", "Flur        ", "01:00", "Mo - So", "Zufall"}));
        QVERIFY(f.rowFits(kByMotor, 0, 0));
        QCOMPARE(f.row(kByDay, 61), dataRowText(f.table, f.names, 6, 7));
    }
};

QTEST_MAIN(TestSwitchTimePage)
#include "tst_switchtimepage.moc"
