#pragma once

#include "history/HistoryView.h"
#include "history/ThresholdLines.h"

#include <QColor>
#include <QWidget>
#include <array>

class QAreaSeries;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace korvane {

// The four charts of the "Verlauf" page over one time range: brightness,
// wind, temperatures, humidity. Each shows its curves with gaps, rain and
// alarm as shaded spans and the thresholds that belong to it.
class HistoryCharts : public QWidget {
    Q_OBJECT
public:
    explicit HistoryCharts(QWidget* parent = nullptr);

    void setHumidityShown(bool shown);
    bool humidityShown() const;
    void draw(const HistoryView& view, const QList<ThresholdLine>& thresholds, qint64 from,
              qint64 to);

    QChart* chart(HistoryChart which) const;
    // Names of the threshold lines drawn on a chart (tests).
    QStringList thresholdNames(HistoryChart which) const;

private:
    struct Panel {
        QChartView* view = nullptr;
        QChart* chart = nullptr;
        QDateTimeAxis* time = nullptr;
        QValueAxis* values = nullptr;
        QStringList thresholds;
        QList<QLineSeries*> curves; // the first piece of each curve
        QAreaSeries* rain = nullptr;
        QAreaSeries* alarm = nullptr;
        QList<QLineSeries*> lines; // further pieces and thresholds; the first usedLines in use
        int usedLines = 0;
        // The plot area's edges as they would be without margins (unknown
        // until the chart was first laid out).
        double bareLeft = 0;
        double bareRight = 0;
    };
    static constexpr int kMargin = 2;
    static QLineSeries* newLine(Panel& panel);
    static QAreaSeries* newArea(Panel& panel, const QString& name, const QColor& color);
    static QLineSeries* nextLine(Panel& panel);
    static void setSpans(QAreaSeries* area, const QList<TimeSpan>& spans, double bottom,
                         double top);
    void alignPlotAreas();
    void drawPanel(Panel& panel, HistoryChart which, const HistoryView& view,
                   const QList<ThresholdLine>& thresholds, qint64 from, qint64 to);

    std::array<Panel, 4> m_panels;
};

} // namespace korvane
