// The per-motor block editors driven as a user does, against the core's rows and flags.

#include "BlockEditor.h"
#include "SwitchTimePage.h"
#include "helpers/WindowHarness.h"
#include "text/SymbolText.h"

using namespace korvane;
using namespace korvane::test;

namespace {

struct Rig : WindowHarness {
    Rig() : WindowHarness(nullptr, true) {}
    BlockEditor* editor(BlockId id) {
        return find<BlockEditor>(QLatin1String(blockDescription(id).editorPrefix) + "_Editor");
    }
    BlockRecord& rec(BlockId id, int profile, int motor) {
        return params().record(id, profile, motor);
    }
    void reply(BlockId id, int profile, int motor, const BlockRecord& rec) {
        const BlockDescription& b = blockDescription(id);
        QByteArray payload = encodeBlockWrite(b, profile, motor, rec).mid(qstrlen(b.writeCommand));
        link.reply(b.replyCode, payload.replace('\r', ','));
    }
};

void clickRow(QListWidget* list, int r) {
    Q_EMIT list->clicked(rowIndex(list, r));
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
        const auto field = [&](int f) { return r.find<QComboBox>(b.fields[f].editor); };

        // Replies for motor 3 in both profiles: the list shows the active one.
        const BlockRecord shown = sampleRecord(b, 1);
        r.reply(id, profile, 2, shown);
        r.reply(id, 1 - profile, 2, sampleRecord(b, 2));
        QCOMPARE(rows(list), blockListRows(r.params(), id, profile));
        QCOMPARE(r.rec(id, profile, 2).value, shown.value);
        QCOMPARE(motor->currentIndex(), 0);
        QVERIFY(field(1)->isHidden()); // motor 1 is off

        // A list click loads the editors and marks nothing.
        r.clearFlags();
        clickRow(list, 2);
        QCOMPARE(motor->currentIndex(), 2);
        for (int f = 0; f < b.fieldCount(); ++f) {
            QCOMPARE(field(f)->currentIndex(), shown.value[f]);
            QCOMPARE(!field(f)->isHidden(), fieldVisible(b, shown, f));
            QCOMPARE(field(f)->itemText(0), symbolDisplayText(b.fields[f].itemText(0)));
        }
        QVERIFY(!r.rec(id, profile, 2).changed);

        // Choosing a motor marks that motor's record of the active profile only.
        choose(motor, 4);
        QCOMPARE((QList<bool>{r.rec(id, profile, 4).changed, r.rec(id, 1 - profile, 4).changed,
                              r.rec(id, profile, 2).changed}),
                 (QList<bool>{true, false, false}));
        QCOMPARE(list->currentRow(), 4);

        // An edit stores through the block's rule and rebuilds the rows.
        clickRow(list, 2);
        const int last = b.fieldCount() - 1;
        const int pick = (shown.value[last] + 1) % b.fields[last].itemCount;
        BlockRecord expected = shown;
        applyFieldEdit(b, expected, last, pick);
        choose(field(last), pick);
        QCOMPARE(r.rec(id, profile, 2).value, expected.value);
        QVERIFY(r.rec(id, profile, 2).changed);
        QCOMPARE(rows(list), blockListRows(r.params(), id, profile));
        for (int f = 0; f < b.fieldCount(); ++f)
            QCOMPARE(field(f)->currentIndex(), expected.value[f]);

        // A double click switches the motor off and hides its value editors.
        r.clearFlags();
        Q_EMIT list->doubleClicked(rowIndex(list, 2));
        QCOMPARE(r.rec(id, profile, 2).value[0], kOff);
        QVERIFY(r.rec(id, profile, 2).changed);
        QCOMPARE(list->item(2)->text(), blockListRows(r.params(), id, profile)[2]);
        for (int f = 1; f < b.fieldCount(); ++f)
            QVERIFY(field(f)->isHidden());
    }

    // Drop-downs that act on other editors: wind and rain share the direction.
    void linkedDropDowns() {
        Rig r;
        QListWidget* wind = r.editor(BlockId::Wind)->list();
        BlockEditor* rain = r.editor(BlockId::Rain);
        r.rec(BlockId::Wind, 0, 2).value[0] = kOn;
        r.rec(BlockId::Rain, 0, 2).value[0] = kOn;
        r.program->window().refreshPageViews();
        r.clearFlags();
        clickRow(wind, 2);
        QCOMPARE(rain->motorDropDown()->currentIndex(), 0);

        r.choose("EW_Richtung", 1); // down, for motor 3
        QCOMPARE(r.rec(BlockId::Rain, 0, 2).value[ER_Record::Richtung], 1);
        QVERIFY(r.rec(BlockId::Rain, 0, 2).changed);
        QVERIFY(wind->item(2)->text().endsWith('v'));
        QVERIFY(rain->list()->item(2)->text().endsWith('v'));

        clickRow(rain->list(), 2);
        r.choose("ER_Richtung", 0);
        QVERIFY(wind->item(2)->text().endsWith('^'));
        QCOMPARE(r.find<QComboBox>("EW_Richtung")->currentIndex(), 0);

        // The climate motor drop-downs choose the motor to rename.
        for (const char* name : {"BA_Raum", "PT_Raum", "IT_Raum", "RelF_Raum", "AT_Raum"}) {
            r.choose(name, 5);
            QCOMPARE(r.program->switchTimePage().currentMotor(), 5);
            r.choose(name, 0);
        }
        r.choose("DM_Raum", 6); // the twilight drop-downs do not
        QCOMPARE(r.program->switchTimePage().currentMotor(), 0);
    }

    // Read-only texts of the climate editors; what a deactivated outside control hides.
    void indicators() {
        using B = BlockId;
        // block, values, "name=text|...", hidden
        const std::tuple<B, const char*, const char*, const char*> cases[] = {
            {B::InsideTemp, "0 0 31 0 29 39 8 21", "IT_kl_gr=T<|IT_Ab_Auf=↓", ""},
            {B::InsideTemp, "0 1 31 1 33 39 8 21", "IT_kl_gr=T>|IT_Ab_Auf=↑", ""},
            {B::Humidity, "0 0 75 65 39 8 21", "RelF_kl_gr=F<|RelF_Ab_Auf=↓|RelF_Auf_Ab=↑", ""},
            {B::Humidity, "0 0 75 65 190 8 21", "RelF_Ab_Auf=–", ""}, // continuous
            {B::Humidity, "0 1 65 75 39 8 21", "RelF_kl_gr=F>|RelF_Ab_Auf=–", ""},
            {B::OutsideTemp, "0 11 1 14 39", "AT_gr_kl=T<|AT_kl_gr=T>|AT_Ab_Auf=↑", ""},
            {B::OutsideTemp, "0 11 2 14 39", "AT_gr_kl=T<", // deactivated
             "AT_Schwelle_2|AT_Stellzeit|AT_kl_gr|AT_Ab_Auf|AT_Label_3|AT_Label_4"},
        };
        for (const auto& [block, values, texts, hiddenNames] : cases) {
            Rig r;
            const QStringList v = QString(values).split(' ');
            for (int f = 0; f < v.size(); ++f)
                r.rec(block, 0, 1).value[f] = v[f].toInt();
            clickRow(r.editor(block)->list(), 1);
            const QStringList pairs = QString(texts).split('|');
            const QStringList hidden = QString(hiddenNames).split('|', Qt::SkipEmptyParts);
            QStringList names, seen;
            for (const QString& pair : pairs) {
                names << pair.section('=', 0, 0);
                seen << names.last() + '=' + r.text(names.last());
            }
            QCOMPARE(seen, pairs);
            QCOMPARE(r.hidden(names + hidden), hidden);
        }
    }
    // The manual page starts and ends manual mode and sends each choice, a repeat too.
    void manualControlBytes() {
        Rig r;
        QTabWidget* tabs = r.program->window().tabs();
        r.params().motorNames.setName(3, QStringLiteral("Küche"));
        r.link.written.clear();
        tabs->setCurrentIndex(MainWindow::Manual);
        QCOMPARE(r.link.written, QByteArray(" rhi\r"));
        QCOMPARE(r.text("HS_4_Label"), QStringLiteral("Küche"));
        QCOMPARE(r.find<QListWidget>("HS_1")->item(0)->text(), QStringLiteral("↑"));
        QCOMPARE(r.editor(BlockId::KeyPress)->list()->count(), 8);

        auto* hs5 = r.find<QListWidget>("HS_5");
        r.link.written.clear();
        clickItem(hs5, 2);
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

    // A port change, a transfer, closing the window or a lost port ends manual
    // mode; " rhe" is never refused for a full queue, and one that the lost
    // port could not take is the first write when the port is back.
    void manualModeEndsWhenTheLineIsReleased() {
        using P = DesktopProgram&;
        const auto link = [](P p) -> FakeLink& {
            return static_cast<FakeLink&>(p.session().link());
        };
        const std::function<void(P)> releases[] = {
            [](P p) { p.window().choosePort(2); },
            [](P p) { p.session().setActivity(Activity::ReadAll); },
            [](P p) { p.session().setActivity(Activity::Logbook); },
            [](P p) { p.window().close(); },
            [&](P p) {
                link(p).queueFull = true;
                p.window().tabs()->setCurrentIndex(MainWindow::Parameters);
            },
            [&](P p) {
                link(p).hangUp();
                QVERIFY(p.window().manualControl().isOn()); // nothing reached the line
                link(p).queueFull = true;
                p.session().setReopenInterval(1);
                QTRY_VERIFY(link(p).isOpen());
                link(p).queueFull = false;
                p.session().pollTick();
            }};
        for (const auto& release : releases) {
            Rig r;
            r.program->window().tabs()->setCurrentIndex(MainWindow::Manual);
            r.link.written.clear();
            release(*r.program);
            QVERIFY2(r.link.written.startsWith(" rhe\r"), r.link.written.constData());
            QCOMPARE(r.link.written.count(" rhe\r"), 1);
            QVERIFY(!r.program->window().manualControl().isOn());
        }
    }
};

QTEST_MAIN(TestBlockEditor)
#include "tst_blockeditor.moc"
