// The " Parameter" page: system parameters, profile switch and copy, alarm setup.

#include "helpers/WindowHarness.h"

using namespace korvane;
using namespace korvane::test;

namespace {

const QStringList kAlternativeLabels{"AP_Label1", "AP_Label2", "AP_Label3"};

struct Rig : WindowHarness {
    Rig() : WindowHarness(nullptr, true) {}
    bool alternativeLabelsShown() { return hidden(kAlternativeLabels).isEmpty(); }
};

} // namespace

class TestParameterPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void repliesSelectTheirItems() {
        const std::array<const char*, 4> cases[] = {
            {"szz", "30,", "ZufallsZeitspanne", "± 30 min"},
            {"sbh", "50,", "BeschattungsHysterese", "50"},
            {"soa", "97,", "OffsetAussentemperatur", "- 3 °C"},
            {"soi", "100,", "OffsetInnentemperatur", "0 °C"},
            {"ssp", "1,", "AktivesProfil", "Alternativ"}};
        for (const auto& [code, payload, editor, shown] : cases) {
            Rig r;
            r.link.reply(code, payload);
            QCOMPARE(r.find<QComboBox>(editor)->currentText(), QString(shown));
            QCOMPARE(r.alternativeLabelsShown(), qstrcmp(code, "ssp") == 0);
            QCOMPARE(r.params().activeProfile, qstrcmp(code, "ssp") == 0 ? 1 : 0);
        }
    }

    void profileChoiceAndCopy() {
        Rig r;
        r.params().record(BlockId::Shading, 1, 0).value[0] = kOn;
        r.choose("AktivesProfil", 1);
        QCOMPARE(r.params().activeProfile, 1);
        QCOMPARE(r.params().param(SystemParam::StoredProfile), 1);
        QVERIFY(r.alternativeLabelsShown());
        QVERIFY(r.find<QListWidget>("BA_Liste")->item(0)->text().contains("EIN"));

        r.choose("AktivesProfil", 0);
        QCOMPARE(r.hidden(kAlternativeLabels), kAlternativeLabels);
        QVERIFY(r.find<QListWidget>("BA_Liste")->item(0)->text().contains("AUS"));

        // The copy carries the standard profile to the next send.
        ParameterSet& p = r.params();
        r.clearFlags();
        p.record(BlockId::Wind, 0, 2).value[EW_Record::kmh] = 12;
        ParameterSet expected = p;
        copyStandardToAlternative(expected);
        QTest::mouseClick(r.find<QPushButton>("Profil_Kopieren"), Qt::LeftButton);
        QVERIFY(p == expected);
        QCOMPARE(p.record(BlockId::Wind, 1, 2).value[EW_Record::kmh], 12);

        // Entering the page selects stored values without acting on them.
        r.params().param(SystemParam::StoredProfile) = 1; // as a loaded file leaves it
        r.params().alarmSetup[2] = 2;
        r.params().motorNames.setName(2, QStringLiteral("Bad"));
        r.program->window().tabs()->setCurrentIndex(MainWindow::Parameters);
        QCOMPARE(r.find<QComboBox>("AktivesProfil")->currentIndex(), 1);
        QCOMPARE(r.params().activeProfile, 0);
        QCOMPARE(r.find<QListWidget>("AS_3")->currentRow(), 2);
        QCOMPARE(r.text("AS_3_Label"), QStringLiteral("Bad"));

        auto* as5 = r.find<QListWidget>("AS_5");
        QCOMPARE(as5->item(0)->text(), QStringLiteral("↑"));
        clickItem(as5, 0);
        QCOMPARE(r.params().alarmSetup[4], 0);
        r.link.reply("sas", "6,2,");
        QCOMPARE(r.find<QListWidget>("AS_6")->currentRow(), 2);
    }
};

QTEST_MAIN(TestParameterPage)
#include "tst_parameterpage.moc"
