// The "Verlauf" page: its place among the tabs, the threshold lines of the
// chosen motor in the active profile, humidity only where measured, pausing
// and the CSV export.
#include "FakeLink.h"
#include "HistoryCharts.h"
#include "HistoryPage.h"
#include "MainWindow.h"
#include "params/ParameterSet.h"
#include "session/ControllerSession.h"
#include "session/ModelInfo.h"

#include <QChart>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

namespace {
constexpr qint64 kT0 = 1'765'000'000'000;
}

class TestHistoryPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tabOrder() {
        FakeLink link;
        ControllerSession session(&link);
        MainWindow window(session);
        QStringList names;
        for (int i = 0; i < window.tabs()->count(); ++i)
            names << window.tabs()->tabText(i);
        QCOMPARE(names, (QStringList{"Schaltzeiten", "Beschattungs-/D\u00E4mmer.-Autom.",
                                     "Wind-, Regen-, Feuchte", "Wintergarten-Strg.", "Logbuch",
                                     "Handsteuerung, Tast-Aut., Reversier-Aut.", " Parameter",
                                     "Verlauf"}));
    }

    void thresholdsFollowMotorProfileAndSwitch() {
        FakeLink link;
        ControllerSession session(&link);
        ParameterSet set;
        HistoryPage page(session);
        page.setClock([] { return kT0; });
        page.attachParameters(set);
        auto names = [&](HistoryChart c) {
            page.redraw();
            return page.charts()->thresholdNames(c);
        };
        BlockRecord& wind2 = set.record(BlockId::Wind, 0, 1);
        wind2.value[EW_Record::kmh] = 3;
        QVERIFY(names(HistoryChart::Wind).isEmpty()); // switched off
        wind2.value[0] = kOn;
        QVERIFY(names(HistoryChart::Wind).isEmpty()); // motor 1 chosen
        page.motorCombo()->setCurrentIndex(1);
        QCOMPARE(names(HistoryChart::Wind), QStringList{"Wind (20)"});
        QVERIFY(names(HistoryChart::Brightness).isEmpty());
        set.activeProfile = 1;
        QVERIFY(names(HistoryChart::Wind).isEmpty());
        set.record(BlockId::Humidity, 1, 1).value[0] = kOn;
        QCOMPARE(names(HistoryChart::Humidity),
                 (QStringList{"Feuchte Schwelle 1 (76)", "Feuchte Schwelle 2 (66)"}));
        // The line spans the shown range at its value.
        QLineSeries* line = nullptr;
        for (QAbstractSeries* s : page.charts()->chart(HistoryChart::Humidity)->series())
            if (s->name() == QStringLiteral("Feuchte Schwelle 1 (76)") && s->isVisible())
                line = qobject_cast<QLineSeries*>(s);
        QVERIFY(line);
        QCOMPARE(line->points(),
                 (QList<QPointF>{{double(kT0 - page.rangeMs()), 76}, {double(kT0), 76}}));
    }

    void humidityOnlyWhereMeasured() {
        FakeLink link;
        ControllerSession session(&link);
        HistoryPage page(session);
        ModelInfo model;
        model.sensor = true;
        page.applyModel(model);
        QVERIFY(!page.charts()->humidityShown());
        model.conservatory = true;
        page.applyModel(model);
        QVERIFY(page.charts()->humidityShown());
    }

    void pauseFreezesTheRange() {
        FakeLink link;
        ControllerSession session(&link);
        HistoryPage page(session);
        qint64 now = kT0;
        page.setClock([&] { return now; });
        auto timeRange = [&] {
            page.redraw();
            auto* axis = page.charts()->chart(HistoryChart::Wind)->axes(Qt::Horizontal).first();
            return qobject_cast<QDateTimeAxis*>(axis)->max().toMSecsSinceEpoch();
        };
        QCOMPARE(timeRange(), kT0);
        page.pauseButton()->setChecked(true);
        now += 5000;
        QCOMPARE(timeRange(), kT0);
        page.pauseButton()->setChecked(false);
        QCOMPARE(timeRange(), kT0 + 5000);
    }

    void savesCsv() {
        FakeLink link;
        ControllerSession session(&link);
        HistoryPage page(session);
        for (int i = 0; i < 3; ++i) {
            ReplyValues v{};
            v[0] = 100 + i;
            page.recorder().history().append(sampleFromReply(v, kT0 + i * 900));
        }
        QTemporaryDir dir;
        const QString path = dir.filePath("v.csv");
        QStringList messages;
        page.setSaveDialog([&] { return path; });
        page.setMessageSink([&](const QString& m) { messages << m; });
        page.saveButton()->click();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 5); // heading, three rows, the empty rest
        QVERIFY(lines[3].contains(";102;"));
        page.setSaveDialog([&] { return dir.filePath("missing/v.csv"); });
        page.saveButton()->click();
        QCOMPARE(messages.size(), 1);
    }
};

QTEST_MAIN(TestHistoryPage)
#include "tst_historypage.moc"
