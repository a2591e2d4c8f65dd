// The week plan: marks of the editor's motor, tips, clicks that load, edits that redraw.
#include "SwitchTimePage.h"
#include "WeekPlanView.h"
#include "helpers/WindowHarness.h"

using namespace korvane;

class TestWeekPlan : public QObject {
    Q_OBJECT
    SwitchTimeTable m_table;
    MotorNames m_names;

private Q_SLOTS:
    void init() {
        m_table = SwitchTimeTable();
        // Motor 3: Mo-Fr 06:30 up (astro) on the five workdays, Mo 20:15 down,
        // Sa 12:00 down at random. Motor 1 has one slot that must not show.
        const int d = kDefaultDuration;
        for (int day = 0; day < 5; ++day)
            m_table.at(day, 2, 0) = {kDirectionUp, 391, d, kGroupWorkdays, kFunctionAstro};
        m_table.at(0, 2, 3) = {kDirectionDown, 1216, d, kGroupSingleDay, kFunctionFixed};
        m_table.at(5, 2, 7) = {kDirectionDown, 721, d, kGroupSingleDay, kFunctionRandom};
        m_table.at(1, 0, 0) = {kDirectionUp, 600, d, kGroupSingleDay, kFunctionFixed};
        m_table.at(6, 2, 1).time = 1441; // out of range: not drawn
    }

    // Marks and labels keep to their day's row and clear of each other, crowded or
    // not; a usual week fits the room of the design size, details where there is room.
    void marksKeepToTheirRows() {
        for (int slot = 0; slot < 4; ++slot) // Monday, motor 4: four slots in 45 minutes
            m_table.at(0, 3, slot) = {slot % 2, 391 + 15 * slot, kDefaultDuration, kGroupWorkdays,
                                      kFunctionAstro};
        m_table.at(5, 3, 0) = {kDirectionDown, 1430, kDefaultDuration, kGroupSingleDay,
                               kFunctionRandom};
        WeekPlanView plan(m_table);
        for (const auto& [motor, height] : {std::pair(2, 140), {3, 140}, {3, 400}}) {
            plan.resize(770, height);
            plan.showMotor(motor);
            const QList<WeekPlanMark>& marks = plan.marks();
            const auto box = [&](int i) {
                const QPointF c = plan.markCentre(i);
                return plan.labelRect(i).united(QRectF(c.x() - 5, c.y() - 5, 10, 10));
            };
            for (int i = 0; i < marks.size(); ++i) {
                const QRectF row = plan.rowRect(marks[i].day);
                QVERIFY(box(i).top() >= row.top() && box(i).bottom() <= row.bottom());
                QVERIFY(box(i).right() <= plan.width());
                for (int j = i + 1; j < marks.size(); ++j)
                    QVERIFY(!box(i).intersects(box(j)));
            }
            QCOMPARE(plan.showsDetails(), height == 400);
        }
        plan.showMotor(2);
        QVERIFY(plan.minimumSizeHint().height() <= 140);
    }

    void marksTipsClicksAndEdits() {
        const QList<WeekPlanMark> marks = weekPlanMarks(m_table, 2);
        QCOMPARE(marks.size(), 7);
        QCOMPARE(marks[0], (WeekPlanMark{0, 0, 390, false, kDefaultDuration, kGroupWorkdays,
                                         kFunctionAstro}));
        QCOMPARE(marks[1], (WeekPlanMark{0, 3, 1215, true, kDefaultDuration, kGroupSingleDay,
                                         kFunctionFixed}));
        QCOMPARE((QList<int>{marks[6].day, marks[6].slot}), (QList<int>{5, 7}));
        QCOMPARE(weekPlanTip(marks[0], 30),
                 QStringLiteral("Mo, Nr. 1: 06:30 auf, 40s, Mo - Fr, Astro"));
        QCOMPARE(weekPlanTip(marks[6], 45),
                 QStringLiteral("Sa, Nr. 8: 12:00 ab, 40s, Zufall \u00B1 45 min"));
        QVERIFY(weekPlanMarks(m_table, 8).isEmpty());

        // A click loads the slot; edits move the marks.
        SwitchTimePage page(m_table, m_names);
        page.resize(1000, 650);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const auto combo = [&](const char* name) { return page.findChild<QComboBox*>(name); };
        const auto pick = [&](const char* name, int index) { test::choose(combo(name), index); };
        pick("CB_Raum", 2);
        page.findChild<QPushButton*>("WochenplanButton")->click();
        WeekPlanView* plan = page.weekPlan();
        QVERIFY(plan->isVisible());
        QVERIFY(!page.list(SwitchTimeListOrder::ByMotor)->isVisible());
        QCOMPARE(plan->motor(), 2);
        QCOMPARE(plan->marks().size(), 7);
        // Up and down marks sit in their day rows in time order.
        QVERIFY(plan->markCentre(0).x() < plan->markCentre(1).x());
        QVERIFY(plan->markCentre(6).y() > plan->markCentre(1).y());

        // Click the Saturday mark: the editor shows Sa, motor 3, slot 8.
        pick("CB_Wochentag", 1);
        QTest::mouseClick(plan, Qt::LeftButton, {}, plan->markCentre(6).toPoint());
        const auto at = [&](const char* name) { return combo(name)->currentIndex(); };
        const auto text = [&](const char* name) { return combo(name)->currentText(); };
        QCOMPARE((QList<int>{at("CB_Wochentag"), at("CB_Raum"), at("CB_Schaltzeit_Nr"),
                             at("CB_Schaltzeit"), at("CB_Up_Down"), page.currentMotor()}),
                 (QList<int>{5, 2, 7, 721, 1, 2}));
        QCOMPARE((QStringList{text("CB_Funktion"), text("CB_Dauer"), text("CB_Gruppe")}),
                 (QStringList{"Zufall", "40s", "-"}));
        // Nothing under the pointer: nothing loaded.
        QTest::mouseClick(plan, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(at("CB_Schaltzeit_Nr"), 7);

        // Edit the loaded slot to 13:00: the mark moves at once.
        const double before = plan->markCentre(6).x();
        pick("CB_Schaltzeit", 781);
        QCOMPARE(m_table.at(5, 2, 7).time, 781);
        QCOMPARE(plan->marks()[6].minute, 780);
        QVERIFY(plan->markCentre(6).x() > before);
        // Another motor in the editor: its week.
        pick("CB_Raum", 0);
        QCOMPARE(plan->marks().size(), 1);

        page.findChild<QPushButton*>("TagButton")->click();
        QVERIFY(!plan->isVisible());
        QVERIFY(page.list(SwitchTimeListOrder::ByDay)->isVisible());
        QCOMPARE(page.shownOrder(), SwitchTimeListOrder::ByDay);
    }
};

QTEST_MAIN(TestWeekPlan)
#include "tst_weekplan.moc"
