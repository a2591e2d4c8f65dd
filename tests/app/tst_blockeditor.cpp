// The per-motor block editors on the automatics, climate and manual pages,
// driven as a user drives them, against the rows and flags the core computes.

#include "BlockEditor.h"
#include "SwitchTimePage.h"
#include "blocks/BlockCodec.h"
#include "helpers/WindowHarness.h"
#include "text/SymbolText.h"

#include <functional>

using namespace korvane;

namespace {

// The desktop program over a fake link that is open from the start.
struct Rig : test::WindowHarness {
    Rig() { session.openDevice(QStringLiteral("/dev/fake")); }
    BlockEditor* editor(BlockId id) {
        return find<BlockEditor>(QLatin1String(blockDescription(id).editorPrefix) + "_Editor");
    }
    // The reply the controller sends for one record (motor 0..7).
    void reply(BlockId id, int profile, int motor, const BlockRecord& rec) {
        const BlockDescription& b = blockDescription(id);
        QByteArray payload = encodeBlockWrite(b, profile, motor, rec).mid(qstrlen(b.writeCommand));
        payload.replace('\r', ',');
        link.reply(b.replyCode, payload);
    }
};

QStringList listRows(QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

void choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

QModelIndex row(QListWidget* list, int r) {
    return list->model()->index(r, 0);
}

// A switched-on record whose values differ from the defaults in every field.
BlockRecord sampleRecord(const BlockDescription& b, int seed) {
    BlockRecord rec = defaultRecord(b);
    rec.value[0] = kOn;
    for (int f = 1; f < b.fieldCount(); ++f)
        rec.value[f] = (b.fields[f].defaultIndex + seed + f) % b.fields[f].itemCount;
    return rec;
}

} // namespace

class TestBlockEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void walkEveryBlock_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("profile");
        for (const BlockDescription& b : blockDescriptions())
            for (int profile : {0, 1})
                QTest::addRow("%s/%d", b.recordName, profile) << int(b.id) << profile;
    }

    void walkEveryBlock() {
        QFETCH(int, block);
        QFETCH(int, profile);
        const auto id = BlockId(block);
        const BlockDescription& b = blockDescription(id);
        Rig r;
        r.params().activeProfile = profile;
        r.program->window().refreshPageViews();
        BlockEditor* editor = r.editor(id);
        QVERIFY(editor);
        QListWidget* list = editor->list();
        QComboBox* motor = editor->motorDropDown();

        // Replies for motor 3 in both profiles: the list shows the active one,
        // the editors keep showing motor 1.
        const BlockRecord shown = sampleRecord(b, 1);
        r.reply(id, profile, 2, shown);
        r.reply(id, 1 - profile, 2, sampleRecord(b, 2));
        QCOMPARE(listRows(list), blockListRows(r.params(), id, profile));
        QCOMPARE(r.params().record(id, profile, 2).value, shown.value);
        QCOMPARE(motor->currentIndex(), 0);
        QVERIFY(r.find(b.fields[1].editor)->isHidden()); // motor 1 is off

        // A list click loads the editors and marks nothing.
        r.clearFlags();
        Q_EMIT list->clicked(row(list, 2));
        QCOMPARE(motor->currentIndex(), 2);
        for (int f = 0; f < b.fieldCount(); ++f) {
            auto* combo = r.find<QComboBox>(b.fields[f].editor);
            QCOMPARE(combo->currentIndex(), shown.value[f]);
            QCOMPARE(!combo->isHidden(), fieldVisible(b, shown, f));
            QCOMPARE(combo->itemText(0), symbolDisplayText(b.fields[f].itemText(0)));
        }
        QVERIFY(!r.params().record(id, profile, 2).changed);

        // Choosing a motor marks that motor's record of the active profile only.
        choose(motor, 4);
        QVERIFY(r.params().record(id, profile, 4).changed);
        QVERIFY(!r.params().record(id, 1 - profile, 4).changed);
        QVERIFY(!r.params().record(id, profile, 2).changed);
        QCOMPARE(list->currentRow(), 4);

        // An edit stores through the block's rule and rebuilds the rows.
        Q_EMIT list->clicked(row(list, 2));
        const int field = b.fieldCount() - 1;
        auto* combo = r.find<QComboBox>(b.fields[field].editor);
        const int pick = (shown.value[field] + 1) % b.fields[field].itemCount;
        BlockRecord expected = shown;
        applyFieldEdit(b, expected, field, pick);
        choose(combo, pick);
        QCOMPARE(r.params().record(id, profile, 2).value, expected.value);
        QVERIFY(r.params().record(id, profile, 2).changed);
        QCOMPARE(listRows(list), blockListRows(r.params(), id, profile));
        for (int f = 0; f < b.fieldCount(); ++f)
            QCOMPARE(r.find<QComboBox>(b.fields[f].editor)->currentIndex(), expected.value[f]);

        // A double click switches the motor off and hides its value editors.
        r.clearFlags();
        Q_EMIT list->doubleClicked(row(list, 2));
        QCOMPARE(r.params().record(id, profile, 2).value[0], kOff);
        QVERIFY(r.params().record(id, profile, 2).changed);
        QCOMPARE(list->item(2)->text(), blockListRows(r.params(), id, profile)[2]);
        for (int f = 1; f < b.fieldCount(); ++f)
            QVERIFY(r.find(b.fields[f].editor)->isHidden());
    }

    void windAndRainShareTheDirection() {
        Rig r;
        BlockEditor* rain = r.editor(BlockId::Rain);
        r.params().record(BlockId::Wind, 0, 2).value[0] = kOn;
        r.params().record(BlockId::Rain, 0, 2).value[0] = kOn;
        r.program->window().refreshPageViews();
        r.clearFlags();
        Q_EMIT r.editor(BlockId::Wind)->list()->clicked(row(r.editor(BlockId::Wind)->list(), 2));
        QCOMPARE(rain->motorDropDown()->currentIndex(), 0);

        choose(r.find<QComboBox>("EW_Richtung"), 1); // down, for motor 3
        QCOMPARE(r.params().record(BlockId::Rain, 0, 2).value[ER_Record::Richtung], 1);
        QVERIFY(r.params().record(BlockId::Rain, 0, 2).changed);
        QVERIFY(r.editor(BlockId::Wind)->list()->item(2)->text().endsWith('v'));
        QVERIFY(rain->list()->item(2)->text().endsWith('v'));

        // And back from the rain group.
        Q_EMIT rain->list()->clicked(row(rain->list(), 2));
        choose(r.find<QComboBox>("ER_Richtung"), 0);
        QVERIFY(r.editor(BlockId::Wind)->list()->item(2)->text().endsWith('^'));
        QCOMPARE(r.find<QComboBox>("EW_Richtung")->currentIndex(), 0);
    }

    // The read-only comparison and direction texts of the climate editors,
    // and what the outside control hides when it is deactivated.
    void indicators_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QStringList>("texts"); // name=text
        QTest::addColumn<QStringList>("hidden");
        using B = BlockId;
        QTest::addRow("inside T> up")
            << int(B::InsideTemp) << QList<int>{0, 0, 31, 0, 29, 39, 8, 21}
            << QStringList{"IT_kl_gr=T<", "IT_Ab_Auf=↓"} << QStringList{};
        QTest::addRow("inside T< down")
            << int(B::InsideTemp) << QList<int>{0, 1, 31, 1, 33, 39, 8, 21}
            << QStringList{"IT_kl_gr=T>", "IT_Ab_Auf=↑"} << QStringList{};
        QTest::addRow("humidity F> moves")
            << int(B::Humidity) << QList<int>{0, 0, 75, 65, 39, 8, 21}
            << QStringList{"RelF_kl_gr=F<", "RelF_Ab_Auf=↓", "RelF_Auf_Ab=↑"} << QStringList{};
        QTest::addRow("humidity continuous")
            << int(B::Humidity) << QList<int>{0, 0, 75, 65, 190, 8, 21}
            << QStringList{"RelF_Ab_Auf=–"} << QStringList{};
        QTest::addRow("humidity F<")
            << int(B::Humidity) << QList<int>{0, 1, 65, 75, 39, 8, 21}
            << QStringList{"RelF_kl_gr=F>", "RelF_Ab_Auf=–"} << QStringList{};
        QTest::addRow("outside down")
            << int(B::OutsideTemp) << QList<int>{0, 11, 1, 14, 39}
            << QStringList{"AT_gr_kl=T<", "AT_kl_gr=T>", "AT_Ab_Auf=↑"} << QStringList{};
        QTest::addRow("outside deactivated")
            << int(B::OutsideTemp) << QList<int>{0, 11, 2, 14, 39} << QStringList{"AT_gr_kl=T<"}
            << QStringList{"AT_Schwelle_2", "AT_Stellzeit", "AT_kl_gr",
                           "AT_Ab_Auf",     "AT_Label_3",   "AT_Label_4"};
    }

    void indicators() {
        QFETCH(int, block);
        QFETCH(QList<int>, values);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, hidden);
        Rig r;
        BlockRecord& rec = r.params().record(BlockId(block), 0, 1);
        for (int f = 0; f < values.size(); ++f)
            rec.value[f] = values[f];
        BlockEditor* editor = r.editor(BlockId(block));
        Q_EMIT editor->list()->clicked(row(editor->list(), 1));
        for (const QString& pair : texts) {
            const QStringList nameText = pair.split('=');
            QCOMPARE(r.find<QLineEdit>(nameText[0])->text(), nameText[1]);
            QVERIFY2(!r.find(nameText[0])->isHidden(), qPrintable(nameText[0]));
        }
        for (const QString& name : hidden)
            QVERIFY2(r.find(name)->isHidden(), qPrintable(name));
    }

    void climateMotorDropDownsChooseTheMotorToRename() {
        Rig r;
        for (const char* name : {"BA_Raum", "PT_Raum", "IT_Raum", "RelF_Raum", "AT_Raum"}) {
            choose(r.find<QComboBox>(name), 5);
            QCOMPARE(r.program->switchTimePage().currentMotor(), 5);
            choose(r.find<QComboBox>(name), 0);
        }
        choose(r.find<QComboBox>("DM_Raum"), 6); // the twilight drop-downs do not
        QCOMPARE(r.program->switchTimePage().currentMotor(), 0);
    }

    // The manual page shows the motor names, starts and ends manual mode and
    // sends each choice, the same one again too.
    void manualControlBytes() {
        Rig r;
        QTabWidget* tabs = r.program->window().tabs();
        r.params().motorNames.setName(3, QStringLiteral("Küche"));
        r.link.written.clear();
        tabs->setCurrentIndex(MainWindow::Manual);
        QCOMPARE(r.link.written, QByteArray(" rhi\r"));
        QCOMPARE(r.find<QLabel>("HS_4_Label")->text(), QStringLiteral("Küche"));
        QCOMPARE(r.find<QListWidget>("HS_1")->item(0)->text(), QStringLiteral("↑"));
        QCOMPARE(r.editor(BlockId::KeyPress)->list()->count(), 8);

        auto* hs5 = r.find<QListWidget>("HS_5");
        r.link.written.clear();
        hs5->setCurrentRow(2);
        Q_EMIT hs5->itemClicked(hs5->item(2));
        Q_EMIT hs5->itemClicked(hs5->item(0));
        Q_EMIT hs5->itemClicked(hs5->item(1)); // the same choice again sends again
        Q_EMIT hs5->itemClicked(hs5->item(1));
        QCOMPARE(r.link.written, QByteArray(" rhb5\rdown\r694\r + sti\r"
                                            " rhb5\rup\r694\r + sti\r"
                                            " rhb5\roff\r694\r + sti\r"
                                            " rhb5\roff\r694\r + sti\r"));

        r.link.written.clear();
        tabs->setCurrentIndex(MainWindow::Parameters);
        QCOMPARE(r.link.written, QByteArray(" rhe\r"));
        QCOMPARE(hs5->currentRow(), 1);
    }

    // The controller must not stay in manual mode when the program lets go
    // of the line: a port change, a transfer or closing the window ends it.
    void manualModeEndsWhenTheLineIsReleased_data() {
        QTest::addColumn<std::function<void(DesktopProgram&)>>("release");
        using P = DesktopProgram&;
        QTest::addRow("port change") << std::function([](P p) { p.window().choosePort(2); });
        QTest::addRow("read-all") << std::function(
            [](P p) { p.session().setActivity(Activity::ReadAll); });
        QTest::addRow("logbook") << std::function(
            [](P p) { p.session().setActivity(Activity::Logbook); });
        QTest::addRow("window closed") << std::function([](P p) { p.window().close(); });
    }

    void manualModeEndsWhenTheLineIsReleased() {
        QFETCH(std::function<void(DesktopProgram&)>, release);
        Rig r;
        r.program->window().tabs()->setCurrentIndex(MainWindow::Manual);
        r.link.written.clear();
        release(*r.program);
        QVERIFY2(r.link.written.startsWith(" rhe\r"), r.link.written.constData());
        QCOMPARE(r.link.written.count(" rhe\r"), 1);
        QVERIFY(!r.program->window().manualControl().isOn());
    }
};

QTEST_MAIN(TestBlockEditor)
#include "tst_blockeditor.moc"
