// The main window following the poll cycle: model, connection, live values.
#include "helpers/WindowHarness.h"

#include "HeaderArea.h"
#include "LogoShape.h"

using namespace korvane;
using namespace korvane::test;

namespace {

// Position 9 "W" conservatory, 11 motors, 13 slots, 14 "S" sensor, 15 "T" key-press.
const QByteArray kFullModel = "RS-8000 W 8 8ST";
const QByteArray kPlainModel = "RS-8000   8 8  ";

using Values = std::array<int, 16>;
// brightness, inside 21,5 (18..24), outside 7,3 (-2..9), wind 12 (max 40),
// no alarm, dry, status wind 12, mean brightness 180, humidity 55.
constexpr Values kTypical{200, 21, 5, 18, 24, 7, 3, -2, 9, 12, 40, 0, 0, 12, 180, 55};

const QStringList kOutdoor{"GroupBox_SensorTypen", "GroupBox_AlarmSetUp"};
const QStringList kConservatory =
    QString("GroupBox_WintergStrg GroupBoxInnentemperatur GroupBoxInnentemperatur2 AktivesProfil "
            "Profil_Kopieren FeuchteSteuerung RelF_Liste RelF_Label_7")
        .split(' ');
const QStringList kKeyPress{"GroupBox_Tast_Automatik", "Tast_Label2", "Tast_Liste"};

struct Connected : WindowHarness {
    explicit Connected(const QByteArray& model = {}) {
        QVERIFY(activate());
        if (!model.isEmpty())
            connectModel(model);
    }
};

} // namespace

class TestMainWindowPoll : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void modelDecidesPagesAndGroups() {
        const QString plain = "www.vendrix.example";
        const QString wg = "www.wintergarten.vendrix.example";
        // model, the seven pages and "Verlauf" (1: visible), the widgets shown, url
        const std::tuple<QByteArray, QString, QStringList, QString> cases[] = {
            {kFullModel, "11111111", kOutdoor + kConservatory + kKeyPress, wg},
            {kPlainModel, "10001111", {}, plain},
            {"RS-8000   8 8S ", "11101111", kOutdoor, plain},
            {"RS-8000 W 4 6  ", "11111111", kOutdoor + kConservatory, wg},
            {"RS-8000   8 8 T", "10001111", kKeyPress, plain}};
        for (const auto& [model, tabs, widgets, url] : cases) {
            Connected h(model);
            QString visible;
            for (int i = 0; i < h.window->tabs()->count(); ++i)
                visible += h.window->tabs()->isTabVisible(i) ? '1' : '0';
            QCOMPARE(visible, tabs);
            QStringList shown;
            for (const QString& name : kOutdoor + kConservatory + kKeyPress) {
                QVERIFY2(h.find(name), qPrintable(name));
                if (h.shownOnPage(name))
                    shown << name;
            }
            QCOMPARE(shown, widgets);
            QCOMPARE(h.text("URL_Label"), url);
        }
    }

    void connectionLostAndRegained() {
        Connected h;
        h.session.pollTick();
        QVERIFY(!h.find("KeineVerbindung_Label")->isHidden());
        QCOMPARE(h.disabledButtons(), kConnectionButtonNames);
        h.connectModel(kFullModel);
        QCOMPARE(h.disabledButtons(), QStringList());
        h.window->tabs()->setCurrentIndex(MainWindow::Conservatory);

        // The controller falls silent: one watchdog period without a byte.
        h.session.watchdogTick();
        h.session.watchdogTick();
        h.session.pollTick();
        QCOMPARE(h.text("StatusBar1_Panel0"), QString("Keine Verbindung"));
        QVERIFY(!h.find("KeineVerbindung_Label")->isHidden());
        QCOMPARE(h.disabledButtons(), kConnectionButtonNames);
        // The pages keep what the last model allowed.
        QVERIFY(h.window->tabs()->isTabVisible(MainWindow::Conservatory));

        // A smaller model answers: found at the next tick, its hidden page left.
        h.connectModel(kPlainModel);
        QVERIFY(h.find("KeineVerbindung_Label")->isHidden());
        QCOMPARE(h.disabledButtons(), QStringList());
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

    void liveFieldsAndStatusPanels() {
        // changes to kTypical ("index=value ..."), "name=text|...", wind bar shown
        const std::tuple<const char*, QString, bool> cases[] = {
            {"",
             "IT_Aktuell=21,5°|IT_Aktuell2=21,5°|IT_Min=18°|IT_Min2=18°|IT_Max=24°|IT_Max2=24°|"
             "AT_Aktuell=7,3°|AT_Aktuell2=7,3°|AT_Min=-2°|AT_min2=-2°|AT_Max=9°|AT_Max2=9°|"
             "AktWind=12 km/h|MaxWind=40 km/h|AlarmStatus=   Kein Alarm|RegenStatus= Kein Regen|"
             "RelFeuchte=55 %|BA_LuxAktuell=180|DM_LuxAktuell=180|DA_LuxAktuell=180",
             true},
            {"9=0 11=1 12=1 15=0", // no wind, alarm, rain, no humidity
             "AktWind=0 km/h|AlarmStatus=Alarm ausgelöst|RegenStatus= Es regnet|RelFeuchte= - ",
             false},
            {"9=140", "AktWind=140 km/h", true}}; // beyond the bar
        for (const auto& [changes, expected, windBarShown] : cases) {
            Values values = kTypical;
            for (const QString& c : QString(changes).split(' ', Qt::SkipEmptyParts))
                values[c.section('=', 0, 0).toInt()] = c.section('=', 1).toInt();
            Connected h(kFullModel);
            h.link.reply("sfi", "1.08");
            h.link.reply("sdt", "05.12.26");
            h.link.reply("sti", "10:11:12");
            h.sendLiveValues(kTypical);
            h.sendLiveValues(values);
            for (int i = 0; i < 14; ++i) // the status bar mirrors the session's panels
                QCOMPARE(h.text(QStringLiteral("StatusBar1_Panel%1").arg(i)),
                         h.session.panels().text(i));
            for (const QString& pair : expected.split('|'))
                QCOMPARE(h.text(pair.section('=', 0, 0)), pair.section('=', 1));
            auto* bar = h.find<QProgressBar>("WindProgressBar");
            QCOMPARE(!bar->isHidden(), windBarShown);
            if (windBarShown)
                QCOMPARE(bar->value(), qMin(values[9], bar->maximum()));
        }
    }

    // On a poll that changes every value, only the fields that show a value, the
    // changed status panels and the blinking dot are painted, on every page;
    // nothing is laid out again (the pages, bar and window stay where they are).
    void pollRepaintsItsValuesOnly() {
        struct Watch : QObject {
            QStringList painted, laidOut;
            bool eventFilter(QObject* o, QEvent* e) override {
                if (e->type() == QEvent::Paint && !o->objectName().startsWith("StatusBar1_Panel"))
                    painted << o->objectName();
                if (e->type() == QEvent::LayoutRequest)
                    laidOut << o->objectName();
                return false;
            }
        } watch;
        const QStringList values =
            QString("Dot IT_Aktuell IT_Min IT_Max AT_Aktuell AT_Min AT_Max IT_Aktuell2 IT_Min2 "
                    "IT_Max2 AT_Aktuell2 AT_min2 AT_Max2 AktWind WindProgressBar MaxWind "
                    "RegenStatus RelFeuchte AlarmStatus BA_LuxAktuell DM_LuxAktuell DA_LuxAktuell")
                .split(' ');
        // Every value differs between the two, the wind stays above 0.
        constexpr Values kWindy{220, 22, 6, 17, 25, 8, 4, -3, 10, 30, 45, 1, 1, 30, 190, 60};
        Connected h(kFullModel);
        const auto poll = [&](int n) {
            h.link.reply("sti", QByteArray("10:11:") + QByteArray::number(10 + n));
            h.sendLiveValues(n % 2 ? kTypical : kWindy);
            h.session.pollTick();
            QTest::qWait(20);
        };
        for (int page = 0; page < h.window->tabs()->count(); ++page) {
            h.window->tabs()->setCurrentIndex(page);
            for (int n = 0; n < 2; ++n) // settle: every text has been seen once
                poll(n);
            QTest::qWait(100);
            qApp->installEventFilter(&watch);
            for (int n = 0; n < 3; ++n)
                poll(n);
            qApp->removeEventFilter(&watch);
            const QString where = QStringLiteral("page %1: ").arg(page);
            QVERIFY2(watch.painted.contains("Dot"), qPrintable(where + "nothing painted"));
            for (const QString& name : std::as_const(watch.painted))
                QVERIFY2(values.contains(name), qPrintable(where + name));
            QVERIFY2(watch.laidOut.isEmpty(), qPrintable(where + watch.laidOut.join(' ')));
            watch.painted.clear();
        }
    }

    void heartbeatDotAndLuxFields() {
        Connected h;
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

        // A click on any lux field toggles the mode of all three.
        h.window->tabs()->setCurrentIndex(MainWindow::ShadingTwilight);
        const auto labels = [&] {
            return QStringList{h.text("BA_Label5"), h.text("DM_Label4"), h.text("DA_Label4")};
        };
        QCOMPARE(labels(), QStringList(3, "Lux mittel"));
        // Clicking any of the three fields switches all; brightness 200, mean 180.
        const QList<QStringList> steps{{"BA_LuxAktuell", "Lux aktuell", "DA_LuxAktuell", "200"},
                                       {"DM_LuxAktuell", "Lux mittel", "BA_LuxAktuell", "180"}};
        for (const QStringList& step : steps) {
            QTest::mouseClick(h.find(step[0]), Qt::LeftButton);
            QCOMPARE(labels(), QStringList(3, step[1]));
            h.sendLiveValues(kTypical);
            QCOMPARE(h.text(step[2]), step[3]);
        }
    }
};

QTEST_MAIN(TestMainWindowPoll)
#include "tst_mainwindow_poll.moc"
