// The " Parameter" page: the five system parameters, the profile switch and
// copy, and the alarm setup, against replies and the parameter set.

#include "helpers/WindowHarness.h"

using namespace korvane;

namespace {

// The desktop program over a fake link that is open from the start.
struct Rig : test::WindowHarness {
    Rig() { session.openDevice(QStringLiteral("/dev/fake")); }
    bool alternativeLabelsShown() {
        int shown = 0;
        for (const char* name : {"AP_Label1", "AP_Label2", "AP_Label3"})
            shown += find(name)->isHidden() ? 0 : 1;
        return shown == 3;
    }
};

} // namespace

class TestParameterPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void repliesSelectTheirItems_data() {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* tag, const char* code, const char* payload,
                            const char* editor, const char* shown) {
            QTest::addRow("%s", tag)
                << QByteArray(code) << QByteArray(payload) << QString(editor) << QString(shown);
        };
        row("random span", "szz", "30,", "ZufallsZeitspanne", "± 30 min");
        row("hysteresis", "sbh", "50,", "BeschattungsHysterese", "50");
        row("outside offset", "soa", "97,", "OffsetAussentemperatur", "- 3 °C");
        row("inside offset", "soi", "100,", "OffsetInnentemperatur", "0 °C");
        row("profile", "ssp", "1,", "AktivesProfil", "Alternativ");
    }

    void repliesSelectTheirItems() {
        QFETCH(QByteArray, code);
        QFETCH(QByteArray, payload);
        QFETCH(QString, editor);
        QFETCH(QString, shown);
        Rig r;
        r.link.reply(code, payload);
        QCOMPARE(r.find<QComboBox>(editor)->currentText(), shown);
        QCOMPARE(r.alternativeLabelsShown(), code == "ssp");
        QCOMPARE(r.params().activeProfile, code == "ssp" ? 1 : 0);
    }

    void profileChoiceSwitchesEveryPage() {
        Rig r;
        r.params().record(BlockId::Shading, 1, 0).value[0] = kOn;
        auto* profile = r.find<QComboBox>("AktivesProfil");
        profile->setCurrentIndex(1);
        Q_EMIT profile->activated(1);
        QCOMPARE(r.params().activeProfile, 1);
        QCOMPARE(r.params().param(SystemParam::StoredProfile), 1);
        QVERIFY(r.alternativeLabelsShown());
        QVERIFY(r.find<QListWidget>("BA_Liste")->item(0)->text().contains("EIN"));

        profile->setCurrentIndex(0);
        Q_EMIT profile->activated(0);
        QVERIFY(!r.alternativeLabelsShown());
        QVERIFY(r.find<QListWidget>("BA_Liste")->item(0)->text().contains("AUS"));
    }

    void copyCarriesTheStandardProfileToTheNextSend() {
        Rig r;
        ParameterSet& p = r.params();
        r.clearFlags();
        p.record(BlockId::Wind, 0, 2).value[EW_Record::kmh] = 12;
        ParameterSet expected = p;
        copyStandardToAlternative(expected);
        QTest::mouseClick(r.find<QPushButton>("Profil_Kopieren"), Qt::LeftButton);
        QVERIFY(p == expected);
        QCOMPARE(p.record(BlockId::Wind, 1, 2).value[EW_Record::kmh], 12);
    }

    void enteringSelectsStoredValuesWithoutActingOnThem() {
        Rig r;
        r.params().param(SystemParam::StoredProfile) = 1; // as a loaded file leaves it
        r.params().alarmSetup[2] = 2;
        r.params().motorNames.setName(2, QStringLiteral("Bad"));
        r.program->window().tabs()->setCurrentIndex(MainWindow::Parameters);
        QCOMPARE(r.find<QComboBox>("AktivesProfil")->currentIndex(), 1);
        QCOMPARE(r.params().activeProfile, 0);
        QCOMPARE(r.find<QListWidget>("AS_3")->currentRow(), 2);
        QCOMPARE(r.find<QLabel>("AS_3_Label")->text(), QStringLiteral("Bad"));

        auto* as5 = r.find<QListWidget>("AS_5");
        QCOMPARE(as5->item(0)->text(), QStringLiteral("↑"));
        as5->setCurrentRow(0);
        Q_EMIT as5->itemClicked(as5->item(0));
        QCOMPARE(r.params().alarmSetup[4], 0);
        r.link.reply("sas", "6,2,");
        QCOMPARE(r.find<QListWidget>("AS_6")->currentRow(), 2);
    }
};

QTEST_MAIN(TestParameterPage)
#include "tst_parameterpage.moc"
