#include "SwitchTimePage.h"
#include "params/MotorNames.h"
#include "params/SwitchTimeLists.h"
#include "params/SwitchTimeTable.h"
#include "params/SwitchTimeTexts.h"

#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

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
    QComboBox* combo(const char* name) const {
        auto* c = page.findChild<QComboBox*>(QLatin1String(name));
        Q_ASSERT(c);
        return c;
    }
    QLabel* copyFrom() const { return page.findChild<QLabel*>(QStringLiteral("copy_from_label")); }
    QPushButton* button(const char* name) const {
        return page.findChild<QPushButton*>(QLatin1String(name));
    }
    // What a user pick does: select the item and report the activation.
    void pick(const char* name, int index) {
        QComboBox* c = combo(name);
        c->setCurrentIndex(index);
        Q_EMIT c->activated(index);
    }
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
    void typeName(const QString& ascii) {
        nameEdit()->setFocus();
        nameEdit()->selectAll();
        QTest::keyClicks(nameEdit(), ascii);
    }
    QString row(SwitchTimeListOrder order, int r) const {
        return page.list(order)->item(r)->text();
    }
};

enum class Confirm { Enter, FocusOut, OpenList };

} // namespace

Q_DECLARE_METATYPE(Confirm)

class TestSwitchTimePage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void comboItemsAndHints_data();
    void comboItemsAndHints();
    void captionsButtonsAndSignals_data();
    void captionsButtonsAndSignals();
    void listsUseFixedPitchFont();
    void startupState();
    void viewToggle();

    void storeOneDayThenWholeWeekThenSingle();
    void pickWithoutGroupOnlyMarksSlot();
    void blankSlotNumberStoresNothing();

    void rowClickToSlot_data();
    void rowClickToSlot();
    void rowClickLoadsWithoutStoring();
    void rowClickOnSeparatorTakesNextRow();

    void copyToMotor();
    void copyWithoutSourceDoesNothing();

    void rename_data();
    void rename();
    void renameOnceOnly();
    void renameAppliesToCurrentMotor();
    void renameWithUmlaut();

    void readAllResetAndEnd();
};

void TestSwitchTimePage::comboItemsAndHints_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("hint");
    QTest::newRow("day") << "CB_Wochentag" << 7 << "Mo"
                         << "So"
                         << "";
    QTest::newRow("motor") << "CB_Raum" << 8 << "Motor 1"
                           << "Motor 8"
                           << "";
    QTest::newRow("slot") << "CB_Schaltzeit_Nr" << 9 << "1"
                          << " "
                          << "";
    QTest::newRow("direction") << "CB_Up_Down" << 2 << QStringLiteral("é") << QStringLiteral("ê")
                               << "Laufrichtung";
    QTest::newRow("time") << "CB_Schaltzeit" << 1441 << "     "
                          << "23:59"
                          << "Aktivierungs-Uhrzeit";
    QTest::newRow("duration") << "CB_Dauer" << 127 << "1s"
                              << "Dau"
                              << "Laufzeit des Motors bei Aktivierung";
    QTest::newRow("group") << "CB_Gruppe" << 3 << "-"
                           << "Mo - So" << QStringLiteral("Schaltzeit gilt für mehrere Wochentage");
    QTest::newRow("function") << "CB_Funktion" << 3 << "-"
                              << "Zufall"
                              << "Zufallsfunktion, Astro-Funktion";
    QTest::newRow("copy target") << "CB_Copy_Raum" << 8 << "Motor 1"
                                 << "Motor 8"
                                 << "Ziel-Motor";
    QTest::newRow("port") << "Combo_PortNum" << 8 << "COM 1"
                          << "COM 8"
                          << "";
}

void TestSwitchTimePage::comboItemsAndHints() {
    QFETCH(QString, name);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, hint);
    Fixture f;
    QComboBox* c = f.combo(name.toLatin1().constData());
    QCOMPARE(c->count(), count);
    QCOMPARE(c->itemText(0), first);
    QCOMPARE(c->itemText(count - 1), last);
    QCOMPARE(c->toolTip(), hint);
}

void TestSwitchTimePage::captionsButtonsAndSignals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QByteArray>("signal");
    QTest::newRow("send") << "Send_Button"
                          << "Daten zur Steuerung senden"
                          << "" << QByteArray(SIGNAL(sendRequested()));
    QTest::newRow("read") << "Read_Button"
                          << "Daten von Steuerung lesen"
                          << "" << QByteArray(SIGNAL(readRequested()));
    QTest::newRow("save") << "SaveToDisk_Button" << QStringLiteral("Speichern auf Datenträger")
                          << "Schaltzeiten sowie alle weiteren Einstellungen auf Festplatte "
                             "schreiben"
                          << QByteArray(SIGNAL(saveToDiskRequested()));
    QTest::newRow("load") << "Read_From_Disk" << QStringLiteral("Lesen von Datenträger")
                          << "Schaltzeiten sowie alle weiteren Einstellungen aus Datenfile lesen"
                          << QByteArray(SIGNAL(readFromDiskRequested()));
    QTest::newRow("day order") << "TagButton"
                               << "Tag"
                               << "Liste sortieren nach Tag" << QByteArray();
    QTest::newRow("motor order") << "MotorButton"
                                 << "Motor- bzw. Raum"
                                 << "Liste sortieren nach Motor" << QByteArray();
}

void TestSwitchTimePage::captionsButtonsAndSignals() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QByteArray, signal);
    Fixture f;
    QPushButton* b = f.button(name.toLatin1().constData());
    QVERIFY(b);
    QCOMPARE(b->text(), caption);
    QCOMPARE(b->toolTip(), hint);
    if (!signal.isEmpty()) {
        QSignalSpy spy(&f.page, signal.constData());
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
    }
}

void TestSwitchTimePage::listsUseFixedPitchFont() {
    Fixture f;
    QStringList titles;
    for (auto* box : f.page.findChildren<QGroupBox*>())
        titles << box->title();
    for (const QString& t :
         {QStringLiteral("Schaltzeiten anzeigen und ändern"),
          QStringLiteral("Schaltzeiten kopieren"), QStringLiteral("Datenaustausch Steuerung"),
          QStringLiteral("Port"), QStringLiteral("Sicherung auf Datenträger")})
        QVERIFY2(titles.contains(t), qPrintable(t));
    for (auto order : {kByDay, kByMotor}) {
        QListWidget* l = f.page.list(order);
        QCOMPARE(l->count(), rowCount(order));
        QVERIFY(QFontInfo(l->font()).fixedPitch());
        QCOMPARE(l->toolTip(), QStringLiteral("Anklicken überträgt Werte in Eingabemasken (oben "
                                              "links)"));
    }
    QCOMPARE(f.page.list(kByDay)->objectName(), QStringLiteral("DatenListe_Tag"));
    QCOMPARE(f.page.list(kByMotor)->objectName(), QStringLiteral("DatenListe_Motor"));
    QCOMPARE(f.page.progressBar()->objectName(), QStringLiteral("ProgressBar"));
    QVERIFY(f.page.progressBar()->isHidden());
    QCOMPARE(f.page.lineErrorLabel()->objectName(), QStringLiteral("Label21"));
    QVERIFY(f.page.lineErrorLabel()->text().isEmpty());

    QSignalSpy port(&f.page, &SwitchTimePage::portPicked);
    f.pick("Combo_PortNum", 2);
    QCOMPARE(port.count(), 1);
    QCOMPARE(port.at(0).at(0).toInt(), 2);
}

void TestSwitchTimePage::startupState() {
    Fixture f;
    QCOMPARE(f.combo("CB_Wochentag")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Raum")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Copy_Raum")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Schaltzeit_Nr")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Up_Down")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Schaltzeit")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Dauer")->currentText(), QStringLiteral("40s"));
    QCOMPARE(f.combo("CB_Gruppe")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Funktion")->currentIndex(), 0);
    QCOMPARE(f.copyFrom()->text(), QStringLiteral("Motor 1"));
    QCOMPARE(f.page.shownOrder(), kByMotor);
    QVERIFY(f.page.list(kByDay)->isHidden());
    QCOMPARE(f.row(kByDay, 0), QStringLiteral("Mo  Motor 1 "));
    QCOMPARE(f.row(kByMotor, 7), QString(104, QLatin1Char('-')));
    QCOMPARE(f.page.currentMotor(), 0);
}

void TestSwitchTimePage::viewToggle() {
    Fixture f;
    f.table.at(0, 0, 0).time = 5;
    QTest::mouseClick(f.button("TagButton"), Qt::LeftButton);
    QVERIFY(f.page.list(kByDay)->isVisible());
    QVERIFY(f.page.list(kByMotor)->isHidden());
    QCOMPARE(f.page.shownOrder(), kByDay);
    QCOMPARE(f.row(kByDay, 0), QStringLiteral("Mo  Motor 1 ")); // nothing rebuilt
    QTest::mouseClick(f.button("MotorButton"), Qt::LeftButton);
    QVERIFY(f.page.list(kByMotor)->isVisible());
    QVERIFY(f.page.list(kByDay)->isHidden());
}

void TestSwitchTimePage::storeOneDayThenWholeWeekThenSingle() {
    Fixture f;
    f.table.setAllChanged(false);
    QSignalSpy edited(&f.page, &SwitchTimePage::edited);
    f.pick("CB_Schaltzeit", 6 * 60 + 30 + 1); // 06:30 with group "-"
    QCOMPARE(f.table.at(0, 0, 0).time, 391);
    QCOMPARE(f.table.at(0, 0, 0).group, 1);
    QCOMPARE(f.table.at(1, 0, 0).time, 0);
    QCOMPARE(f.table.changedCount(), 1);
    QVERIFY(f.row(kByMotor, 0).contains(QStringLiteral("06:30 ^ |")));
    QVERIFY(f.row(kByDay, 0).contains(QStringLiteral("06:30 ^ |")));

    f.pick("CB_Gruppe", 2); // "Mo - So"
    for (int d = 0; d < 7; ++d) {
        QCOMPARE(f.table.at(d, 0, 0).time, 391);
        QCOMPARE(f.table.at(d, 0, 0).group, 7);
        QCOMPARE(f.table.at(d, 0, 0).duration, 39);
    }
    QCOMPARE(f.table.changedCount(), 7);

    f.pick("CB_Wochentag", 2); // Wednesday: editor loads the whole-week slot
    QCOMPARE(f.combo("CB_Gruppe")->currentIndex(), 2);
    QCOMPARE(f.combo("CB_Schaltzeit")->currentIndex(), 391);
    QCOMPARE(f.page.list(kByMotor)->currentRow(), rowOf(kByMotor, 2, 0));
    f.pick("CB_Gruppe", 0); // "-"
    f.pick("CB_Schaltzeit", 900);
    const QList<int> groups{1, 1, 1, 1, 1, 2, 2};
    for (int d = 0; d < 7; ++d) {
        QCOMPARE(f.table.at(d, 0, 0).group, groups.at(d));
        QCOMPARE(f.table.at(d, 0, 0).time, d == 2 ? 900 : 391);
    }
    QCOMPARE(edited.count(), 4);
    QCOMPARE(f.combo("CB_Wochentag")->currentIndex(), 2); // editor keeps its day and motor
    QCOMPARE(f.combo("CB_Raum")->currentIndex(), 0);
}

void TestSwitchTimePage::pickWithoutGroupOnlyMarksSlot() {
    Fixture f;
    f.table.at(1, 2, 3).group = 2; // a weekend code on a Tuesday: no group item fits
    f.page.rebuildLists();
    QTest::mouseClick(f.button("TagButton"), Qt::LeftButton);
    f.clickCell(rowOf(kByDay, 1, 2), kSwitchRowSlotColumn + 3 * kSwitchRowCellWidth + 1);
    QCOMPARE(f.combo("CB_Schaltzeit_Nr")->currentIndex(), 3);
    QCOMPARE(f.combo("CB_Gruppe")->currentIndex(), -1);
    f.table.setAllChanged(false);
    const SwitchTimeTable before = f.table;
    f.pick("CB_Dauer", 70);
    QCOMPARE(f.table.changedCount(), 1);
    QCOMPARE(f.table.at(1, 2, 3).changed, 1);
    QVERIFY(f.table.at(1, 2, 3).sameValues(before.at(1, 2, 3)));
}

void TestSwitchTimePage::blankSlotNumberStoresNothing() {
    Fixture f;
    f.table.setAllChanged(false);
    const SwitchTimeTable before = f.table;
    f.pick("CB_Schaltzeit_Nr", 8);
    QCOMPARE(f.combo("CB_Schaltzeit")->currentIndex(), -1);
    f.pick("CB_Schaltzeit", 100);
    f.pick("CB_Gruppe", 2);
    QVERIFY(f.table == before);
}

void TestSwitchTimePage::rowClickToSlot_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("slot");
    QTest::newRow("day abbreviation") << 0 << 0;
    QTest::newRow("right half of first cell") << 27 << 0;
    QTest::newRow("after first bar") << 30 << 1;
    QTest::newRow("fifth minute") << 20 + 44 + 4 << 4;
    QTest::newRow("last cell") << 20 + 77 + 2 << 7;
}

void TestSwitchTimePage::rowClickToSlot() {
    QFETCH(int, column);
    QFETCH(int, slot);
    Fixture f;
    f.page.rebuildLists();
    const int row = rowOf(kByMotor, 4, 6);
    f.clickCell(row, column);
    QCOMPARE(f.combo("CB_Schaltzeit_Nr")->currentIndex(), slot);
    QCOMPARE(f.combo("CB_Wochentag")->currentIndex(), 4);
    QCOMPARE(f.combo("CB_Raum")->currentIndex(), 6);
    QCOMPARE(f.copyFrom()->text(), QStringLiteral("Motor 7"));
    QCOMPARE(f.page.list(kByMotor)->currentRow(), row);
}

void TestSwitchTimePage::rowClickLoadsWithoutStoring() {
    Fixture f;
    f.table.at(5, 3, 4) = SwitchTimeSlot{1, 391, 10, 2, 1, 0};
    f.page.rebuildLists();
    f.table.setAllChanged(false);
    const SwitchTimeTable before = f.table;
    const QString rowBefore = f.row(kByMotor, rowOf(kByMotor, 5, 3));
    f.clickCell(rowOf(kByMotor, 5, 3), kSwitchRowSlotColumn + 4 * kSwitchRowCellWidth + 2);
    QCOMPARE(f.combo("CB_Wochentag")->currentText(), QStringLiteral("Sa"));
    QCOMPARE(f.combo("CB_Schaltzeit_Nr")->currentIndex(), 4);
    QCOMPARE(f.combo("CB_Up_Down")->currentIndex(), 1);
    QCOMPARE(f.combo("CB_Schaltzeit")->currentText(), QStringLiteral("06:30"));
    QCOMPARE(f.combo("CB_Dauer")->currentText(), QStringLiteral("11s"));
    QCOMPARE(f.combo("CB_Funktion")->currentText(), QStringLiteral("Astro"));
    QCOMPARE(f.combo("CB_Gruppe")->currentText(), QStringLiteral("Sa - So"));
    QVERIFY(f.table == before);
    QCOMPARE(f.row(kByMotor, rowOf(kByMotor, 5, 3)), rowBefore);
    QCOMPARE(f.page.currentMotor(), 3);
}

void TestSwitchTimePage::rowClickOnSeparatorTakesNextRow() {
    Fixture f;
    f.page.rebuildLists();
    QTest::mouseClick(f.button("TagButton"), Qt::LeftButton);
    f.clickCell(8, 35); // separator after Monday, under slot 2
    QCOMPARE(f.combo("CB_Wochentag")->currentIndex(), 1);
    QCOMPARE(f.combo("CB_Raum")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Schaltzeit_Nr")->currentIndex(), 1);
    QCOMPARE(f.page.list(kByDay)->currentRow(), 9);
}

void TestSwitchTimePage::copyToMotor() {
    Fixture f;
    f.table.at(3, 1, 7).time = 777;
    f.table.setAllChanged(false);
    f.pick("CB_Raum", 1);
    QCOMPARE(f.copyFrom()->text(), QStringLiteral("Motor 2"));
    QSignalSpy edited(&f.page, &SwitchTimePage::edited);
    f.pick("CB_Copy_Raum", 4);
    QCOMPARE(f.table.changedCount(), 56);
    QCOMPARE(f.table.at(3, 4, 7).time, 777);
    QVERIFY(f.row(kByMotor, rowOf(kByMotor, 3, 4)).contains(timeText(777)));
    QCOMPARE(edited.count(), 1);
    QCOMPARE(f.combo("CB_Raum")->currentIndex(), 1);
}

void TestSwitchTimePage::copyWithoutSourceDoesNothing() {
    Fixture f;
    f.table.setAllChanged(false);
    f.page.resetForReadAll();
    f.pick("CB_Copy_Raum", 4);
    QCOMPARE(f.table.changedCount(), 0);
}

void TestSwitchTimePage::rename_data() {
    QTest::addColumn<Confirm>("confirm");
    QTest::newRow("enter") << Confirm::Enter;
    QTest::newRow("leaving the field") << Confirm::FocusOut;
    QTest::newRow("opening the list") << Confirm::OpenList;
}

void TestSwitchTimePage::rename() {
    QFETCH(Confirm, confirm);
    Fixture f;
    f.page.rebuildLists();
    QSignalSpy renamed(&f.page, &SwitchTimePage::motorNamesEdited);
    f.typeName(QStringLiteral("Wohnzimmer"));
    QCOMPARE(f.names.name(0), QStringLiteral("Motor 1")); // nothing before confirming
    switch (confirm) {
    case Confirm::Enter:
        QTest::keyClick(f.nameEdit(), Qt::Key_Return);
        break;
    case Confirm::FocusOut: {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(f.nameEdit(), &out);
        break;
    }
    case Confirm::OpenList:
        f.combo("CB_Raum")->showPopup();
        f.combo("CB_Raum")->hidePopup();
        break;
    }
    QCOMPARE(renamed.count(), 1);
    QCOMPARE(f.names.name(0), QStringLiteral("Wohnzimmer"));
    QCOMPARE(f.combo("CB_Raum")->itemText(0), QStringLiteral("Wohnzimmer"));
    QCOMPARE(f.combo("CB_Copy_Raum")->itemText(0), QStringLiteral("Wohnzimmer"));
    QCOMPARE(f.combo("CB_Raum")->currentIndex(), 0);
    QCOMPARE(f.copyFrom()->text(), QStringLiteral("Wohnzimmer"));
    QVERIFY(f.row(kByMotor, 0).startsWith(QStringLiteral("Mo  Wohnzimmer      ")));
}

void TestSwitchTimePage::renameOnceOnly() {
    Fixture f;
    f.typeName(QStringLiteral("Bad"));
    QTest::keyClick(f.nameEdit(), Qt::Key_Return);
    f.page.setCurrentMotor(5);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(f.nameEdit(), &out);
    QCOMPARE(f.names.name(0), QStringLiteral("Bad"));
    QCOMPARE(f.names.name(5), QStringLiteral("Motor 6"));
    // Picking an item is a selection, not a rename.
    f.pick("CB_Raum", 2);
    QCOMPARE(f.page.currentMotor(), 2);
    QCOMPARE(f.names.toList(), QStringList({"Bad", "Motor 2", "Motor 3", "Motor 4", "Motor 5",
                                            "Motor 6", "Motor 7", "Motor 8"}));
}

void TestSwitchTimePage::renameAppliesToCurrentMotor() {
    Fixture f;
    f.table.at(0, 3, 0).time = 601;
    f.page.setCurrentMotor(3); // chosen on another page
    f.typeName(QStringLiteral("Kinderzimmer Nord"));
    QTest::keyClick(f.nameEdit(), Qt::Key_Enter);
    QCOMPARE(f.names.name(3), QStringLiteral("Kinderzimmer Nord"));
    QCOMPARE(f.names.name(0), QStringLiteral("Motor 1"));
    QCOMPARE(f.combo("CB_Raum")->currentIndex(), 3);
    QCOMPARE(f.combo("CB_Schaltzeit")->currentIndex(), 601); // editor shows motor 4's slot
    QVERIFY(f.row(kByMotor, rowOf(kByMotor, 0, 3)).startsWith(QStringLiteral("Mo  Kinderzimmer")));
    QCOMPARE(f.row(kByMotor, rowOf(kByMotor, 0, 3)).size(), kSwitchRowWidth);
}

void TestSwitchTimePage::renameWithUmlaut() {
    Fixture f;
    f.typeName(QStringLiteral("K"));
    QTest::sendKeyEvent(QTest::Click, f.nameEdit(), Qt::Key_unknown, QStringLiteral("ü"),
                        Qt::NoModifier);
    QTest::keyClicks(f.nameEdit(), QStringLiteral("che"));
    QTest::keyClick(f.nameEdit(), Qt::Key_Return);
    QCOMPARE(f.names.name(0), QStringLiteral("Küche"));
    QCOMPARE(f.combo("CB_Copy_Raum")->itemText(0), QStringLiteral("Küche"));
}

void TestSwitchTimePage::readAllResetAndEnd() {
    Fixture f;
    f.pick("CB_Wochentag", 3);
    f.pick("CB_Copy_Raum", 5);
    f.page.resetForReadAll();
    for (const char* name : {"CB_Wochentag", "CB_Raum", "CB_Schaltzeit_Nr", "CB_Up_Down",
                             "CB_Schaltzeit", "CB_Dauer", "CB_Gruppe", "CB_Funktion"})
        QCOMPARE(f.combo(name)->currentIndex(), -1);
    for (auto order : {kByDay, kByMotor}) {
        QListWidget* l = f.page.list(order);
        QCOMPARE(l->count(), rowCount(order));
        QVERIFY(l->selectedItems().isEmpty());
        for (int r = 0; r < l->count(); ++r)
            QCOMPARE(f.row(order, r), r == 6 ? readAllProgressText() : QString());
    }
    f.page.setProgressRow(readAllProgressText(QStringLiteral("Schaltzeiten Di")));
    QCOMPARE(f.row(kByMotor, 6),
             QString(30, QLatin1Char(' ')) +
                 QStringLiteral("Lese Daten von Steuerung ...   Schaltzeiten Di"));

    // The replies fill the table and the names; the end of read-all selects
    // Monday, motor 1, slot 1 and shows it.
    f.table.resetForReadAll();
    f.table.at(0, 0, 0) = SwitchTimeSlot{1, 61, 5, 7, 2, 0};
    f.names.setName(0, QStringLiteral("Flur        "));
    f.page.selectAfterReadAll();
    QCOMPARE(f.combo("CB_Wochentag")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Raum")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Raum")->itemText(0), QStringLiteral("Flur        "));
    QCOMPARE(f.combo("CB_Copy_Raum")->currentIndex(), 0);
    QCOMPARE(f.combo("CB_Schaltzeit_Nr")->currentIndex(), 0);
    QCOMPARE(f.copyFrom()->text(), QStringLiteral("Flur        "));
    QCOMPARE(f.combo("CB_Schaltzeit")->currentText(), QStringLiteral("01:00"));
    QCOMPARE(f.combo("CB_Gruppe")->currentText(), QStringLiteral("Mo - So"));
    QCOMPARE(f.combo("CB_Funktion")->currentText(), QStringLiteral("Zufall"));
    QCOMPARE(f.row(kByMotor, 0), dataRowText(f.table, f.names, 0, 0));
    QCOMPARE(f.row(kByDay, 61), dataRowText(f.table, f.names, 6, 7));
}

QTEST_MAIN(TestSwitchTimePage)
#include "tst_switchtimepage.moc"
