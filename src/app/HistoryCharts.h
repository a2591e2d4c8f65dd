#pragma once

#include "history/HistoryView.h"
#include "history/ThresholdLines.h"

#include <QWidget>
#include <array>

class QChart;
class QChartView;
class QDateTimeAxis;
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
    };
    void drawPanel(Panel& panel, HistoryChart which, const HistoryView& view,
                   const QList<ThresholdLine>& thresholds, qint64 from, qint64 to);

    std::array<Panel, 4> m_panels;
};

} // namespace korvane
