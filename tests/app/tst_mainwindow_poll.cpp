// The main window following the poll cycle: model, connection, live values.
#include "helpers/WindowHarness.h"

#include "HeaderArea.h"
#include "LogoShape.h"

#include <QTabWidget>

using namespace korvane;
using namespace korvane::test;

namespace {

// Model texts: position 9 "W" conservatory, 11 motors, 13 slots, 14 "S"
// sensor, 15 "T" key-press automatic.
const QByteArray kFullModel = "RS-8000 W 8 8ST";
const QByteArray kPlainModel = "RS-8000   8 8  ";

using Values = std::array<int, 16>;
// brightness, inside 21,5 (18..24), outside 7,3 (-2..9), wind 12 (max 40),
// no alarm, dry, status wind 12, mean brightness 180, humidity 55.
constexpr Values kTypical{200, 21, 5, 18, 24, 7, 3, -2, 9, 12, 40, 0, 0, 12, 180, 55};

const QStringList kOutdoor{"GroupBox_SensorTypen", "GroupBox_AlarmSetUp"};
const QStringList kConservatory{"GroupBox_WintergStrg",
                                "GroupBoxInnentemperatur",
                                "GroupBoxInnentemperatur2",
                                "AktivesProfil",
                                "Profil_Kopieren",
                                "FeuchteSteuerung",
                                "RelF_Liste",
                                "RelF_Label_7"};
const QStringList kKeyPress{"GroupBox_Tast_Automatik", "Tast_Label2", "Tast_Liste"};

bool buttonsEnabled(const WindowHarness& h, bool expected) {
    for (const QString& name : kConnectionButtonNames) {
        if (h.find(name)->isEnabled() != expected)
            return false;
    }
    return true;
}

} // namespace

class TestMainWindowPoll : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void modelDecidesPagesAndGroups_data() {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QList<bool>>("tabs");         // seven pages and "Verlauf", in order
        QTest::addColumn<QStringList>("shownWidgets"); // of the model-dependent ones
        QTest::addColumn<QString>("url");
        const QString plainUrl = "www.vendrix.example";
        const QString conservatoryUrl = "www.wintergarten.vendrix.example";
        QTest::newRow("all letters") << kFullModel << QList<bool>{1, 1, 1, 1, 1, 1, 1, 1}
                                     << kOutdoor + kConservatory + kKeyPress << conservatoryUrl;
        QTest::newRow("no letters")
            << kPlainModel << QList<bool>{1, 0, 0, 0, 1, 1, 1, 1} << QStringList{} << plainUrl;
        QTest::newRow("sensor") << QByteArray("RS-8000   8 8S ")
                                << QList<bool>{1, 1, 1, 0, 1, 1, 1, 1} << kOutdoor << plainUrl;
        QTest::newRow("conservatory")
            << QByteArray("RS-8000 W 4 6  ") << QList<bool>{1, 1, 1, 1, 1, 1, 1, 1}
            << kOutdoor + kConservatory << conservatoryUrl;
        QTest::newRow("key-press") << QByteArray("RS-8000   8 8 T")
                                   << QList<bool>{1, 0, 0, 0, 1, 1, 1, 1} << kKeyPress << plainUrl;
    }

    void modelDecidesPagesAndGroups() {
        QFETCH(QByteArray, model);
        QFETCH(QList<bool>, tabs);
        QFETCH(QStringList, shownWidgets);
        QFETCH(QString, url);
        WindowHarness h;
        QVERIFY(h.activate());
        h.connectModel(model);
        QTabWidget* pages = h.window->tabs();
        QCOMPARE(pages->count(), tabs.size());
        for (int i = 0; i < pages->count(); ++i)
            QVERIFY2(pages->isTabVisible(i) == tabs[i], qPrintable(pages->tabText(i)));
        for (const QString& name : kOutdoor + kConservatory + kKeyPress) {
            QVERIFY2(h.find(name), qPrintable(name));
            QVERIFY2(h.shownOnPage(name) == shownWidgets.contains(name), qPrintable(name));
        }
        QCOMPARE(h.text("URL_Label"), url);
        QVERIFY(h.find("KeineVerbindung_Label")->isHidden());
        QVERIFY(buttonsEnabled(h, true));
    }

    void connectionLostAndRegained() {
        WindowHarness h;
        QVERIFY(h.activate());
        h.session.pollTick();
        QVERIFY(!h.find("KeineVerbindung_Label")->isHidden());
        QVERIFY(buttonsEnabled(h, false));
        h.connectModel(kFullModel);
        QVERIFY(buttonsEnabled(h, true));
        h.window->tabs()->setCurrentIndex(MainWindow::Conservatory);

        // The controller falls silent: one watchdog period without a byte.
        h.session.watchdogTick();
        h.session.watchdogTick();
        h.session.pollTick();
        QCOMPARE(h.text("StatusBar1_Panel0"), QString("Keine Verbindung"));
        QVERIFY(!h.find("KeineVerbindung_Label")->isHidden());
        QVERIFY(buttonsEnabled(h, false));
        // The pages keep what the last model allowed.
        QVERIFY(h.window->tabs()->isTabVisible(MainWindow::Conservatory));

        // A smaller model answers: the next tick finds it without any user
        // action and leaves the page that is now hidden.
        h.connectModel(kPlainModel);
        QVERIFY(h.find("KeineVerbindung_Label")->isHidden());
        QVERIFY(buttonsEnabled(h, true));
        QVERIFY(!h.window->tabs()->isTabVisible(MainWindow::Conservatory));
        QVERIFY(h.window->tabs()->currentIndex() != MainWindow::Conservatory);
        QVERIFY(!h.shownOnPage("Tast_Liste"));
        QCOMPARE(h.text("URL_Label"), QString("www.vendrix.example"));

        // A line error shows until the end; a poll answer does not reset it.
        QCOMPARE(h.text("Label21"), QString());
        h.link.raiseLineError();
        QCOMPARE(h.text("Label21"), QString("Fehler RS232"));
        h.connectModel(kFullModel);
        QCOMPARE(h.text("Label21"), QString("Fehler RS232"));
    }

    void statusPanelsMirrorSession() {
        WindowHarness h;
        QVERIFY(h.activate());
        h.link.reply("sfi", "1.08");
        h.link.reply("sdt", "05.12.26");
        h.link.reply("sti", "10:11:12");
        h.connectModel(kFullModel);
        h.sendLiveValues(kTypical);
        for (int i = 0; i < 14; ++i) {
            QCOMPARE(h.text(QStringLiteral("StatusBar1_Panel%1").arg(i)),
                     h.session.panels().text(i));
        }
    }

    void liveFields_data() {
        QTest::addColumn<Values>("values");
        QTest::addColumn<QString>("expected"); // "name=text" pairs, split by '|'
        QTest::addColumn<bool>("windBarShown");
        QTest::newRow("typical")
            << kTypical
            << QString(
                   "IT_Aktuell=21,5°|IT_Aktuell2=21,5°|IT_Min=18°|IT_Min2=18°|IT_Max=24°|"
                   "IT_Max2=24°|AT_Aktuell=7,3°|AT_Aktuell2=7,3°|AT_Min=-2°|AT_min2=-2°|AT_Max=9°|"
                   "AT_Max2=9°|AktWind=12 km/h|MaxWind=40 km/h|AlarmStatus=   Kein Alarm|"
                   "RegenStatus= Kein Regen|RelFeuchte=55 %|BA_LuxAktuell=180|DM_LuxAktuell=180|"
                   "DA_LuxAktuell=180")
            << true;
        Values v = kTypical;
        v[9] = 0;
        v[11] = 1;
        v[12] = 1;
        v[15] = 0;
        QTest::newRow("calm, alarm, rain, no humidity")
            << v
            << QString("AktWind=0 km/h|AlarmStatus=Alarm ausgelöst|RegenStatus= Es "
                       "regnet|RelFeuchte= - ")
            << false;
        v = kTypical;
        v[9] = 140;
        QTest::newRow("storm beyond the bar") << v << QString("AktWind=140 km/h") << true;
    }

    void liveFields() {
        QFETCH(Values, values);
        QFETCH(QString, expected);
        QFETCH(bool, windBarShown);
        WindowHarness h;
        QVERIFY(h.activate());
        h.connectModel(kFullModel);
        h.sendLiveValues(kTypical);
        h.sendLiveValues(values);
        for (const QString& pair : expected.split('|'))
            QCOMPARE(h.text(pair.section('=', 0, 0)), pair.section('=', 1));
        auto* bar = h.find<QProgressBar>("WindProgressBar");
        QCOMPARE(!bar->isHidden(), windBarShown);
        if (windBarShown)
            QCOMPARE(bar->value(), qMin(values[9], bar->maximum()));
    }

    void heartbeatDot() {
        WindowHarness h;
        QVERIFY(h.activate());
        auto* dot = h.find<LogoShape>("Dot");
        h.session.pollTick();
        QCOMPARE(dot->color(), HeaderArea::kDotRed);

        h.connectModel(kFullModel);
        QList<std::pair<QColor, LogoShape::Form>> seen;
        for (int tick = 0; tick < 4; ++tick) {
            seen.append({dot->color(), dot->form()});
            h.connectModel(kFullModel);
        }
        for (int i = 1; i < seen.size(); ++i) {
            QVERIFY(seen[i] != seen[i - 1]);
            const bool fuchsia = seen[i].first == HeaderArea::kDotFuchsia;
            QCOMPARE(seen[i].second, fuchsia ? LogoShape::Form::Circle : LogoShape::Form::Square);
            QVERIFY(fuchsia || seen[i].first == HeaderArea::kDotRed);
        }
    }

    void luxFieldClickTogglesMode() {
        WindowHarness h;
        QVERIFY(h.activate());
        h.window->tabs()->setCurrentIndex(MainWindow::ShadingTwilight);
        const QStringList labels{"BA_Label5", "DM_Label4", "DA_Label4"};
        for (const QString& l : labels)
            QCOMPARE(h.text(l), QString("Lux mittel"));
        // Clicking any of the three fields switches all; brightness 200, mean 180.
        const QList<QStringList> steps{{"BA_LuxAktuell", "Lux aktuell", "DA_LuxAktuell", "200"},
                                       {"DM_LuxAktuell", "Lux mittel", "BA_LuxAktuell", "180"}};
        for (const QStringList& step : steps) {
            QTest::mouseClick(h.find(step[0]), Qt::LeftButton);
            for (const QString& l : labels)
                QCOMPARE(h.text(l), step[1]);
            h.sendLiveValues(kTypical);
            QCOMPARE(h.text(step[2]), step[3]);
        }
    }
};

QTEST_MAIN(TestMainWindowPoll)
#include "tst_mainwindow_poll.moc"
