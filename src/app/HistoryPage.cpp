#include "HistoryPage.h"

#include "HistoryCharts.h"
#include "history/HistoryCsv.h"
#include "history/HistoryView.h"
#include "history/ThresholdLines.h"
#include "params/ParameterSet.h"
#include "session/ModelInfo.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {
namespace {

constexpr qint64 kMinute = 60 * 1000;
const qint64 kRanges[] = {10 * kMinute, 60 * kMinute, 6 * 60 * kMinute, 24 * 60 * kMinute};

} // namespace

HistoryPage::HistoryPage(ControllerSession& session, QWidget* parent)
    : ControllerPage(QStringLiteral("Verlauf_Maske"), parent), m_recorder(session),
      m_charts(new HistoryCharts), m_motor(new QComboBox), m_range(new QComboBox),
      m_pause(new QPushButton(QStringLiteral("Anhalten"))),
      m_save(new QPushButton(QStringLiteral("Als CSV speichern\u2026"))), m_profile(new QLabel),
      m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    m_motor->setObjectName(QStringLiteral("Verlauf_Motor"));
    m_range->setObjectName(QStringLiteral("Verlauf_Zeitraum"));
    m_range->addItems({QStringLiteral("10 min"), QStringLiteral("1 h"), QStringLiteral("6 h"),
                       QStringLiteral("24 h")});
    m_range->setCurrentIndex(1);
    m_pause->setCheckable(true);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Schwellen von")));
    controls->addWidget(m_motor);
    controls->addWidget(m_profile);
    controls->addStretch(1);
    controls->addWidget(new QLabel(QStringLiteral("Zeitraum")));
    controls->addWidget(m_range);
    controls->addWidget(m_pause);
    controls->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(controls);
    layout->addWidget(m_charts, 1);

    m_saveDialog = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Verlauf speichern"),
                                            QStringLiteral("Verlauf.csv"),
                                            QStringLiteral("CSV-Dateien (*.csv)"));
    };
    m_messages = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Korvane"), text);
    };

    m_redrawTimer.setSingleShot(false);
    connect(&m_redrawTimer, &QTimer::timeout, this, [this] {
        if (m_dirty)
            redraw();
    });
    connect(&m_recorder, &HistoryRecorder::sampleAdded, this, [this] { m_dirty = true; });
    connect(m_motor, &QComboBox::currentIndexChanged, this, &HistoryPage::redraw);
    connect(m_range, &QComboBox::currentIndexChanged, this, [this] {
        updateTimer();
        redraw();
    });
    connect(m_pause, &QPushButton::toggled, this, [this](bool paused) {
        m_pause->setText(paused ? QStringLiteral("Weiter") : QStringLiteral("Anhalten"));
        m_pausedAt = paused ? m_clock() : 0;
        updateTimer();
        redraw();
    });
    connect(m_save, &QPushButton::clicked, this, &HistoryPage::saveCsv);
}

qint64 HistoryPage::rangeMs() const {
    return kRanges[std::clamp(m_range->currentIndex(), 0, 3)];
}

void HistoryPage::applyModel(const ModelInfo& model) {
    m_charts->setHumidityShown(model.conservatory);
    if (model.motorCount > 0 && model.motorCount != m_motorCount) {
        m_motorCount = model.motorCount;
        refreshView();
    }
}

void HistoryPage::attachParameters(ParameterSet& params) {
    m_params = &params;
    refreshView();
}

void HistoryPage::refreshView() {
    if (m_params) {
        const QSignalBlocker blocker(m_motor);
        const int current = std::max(0, m_motor->currentIndex());
        m_motor->clear();
        for (int m = 0; m < std::min(m_motorCount, kMotorCount); ++m)
            m_motor->addItem(m_params->motorNames.name(m).trimmed());
        m_motor->setCurrentIndex(std::min(current, m_motor->count() - 1));
        m_profile->setText(m_params->activeProfile == 1 ? QStringLiteral("(Profil Alternativ)")
                                                        : QStringLiteral("(Profil Standard)"));
    }
    redraw();
}

void HistoryPage::enterPage() {
    refreshView();
}

void HistoryPage::leavePage() {
    m_redrawTimer.stop();
}

void HistoryPage::showEvent(QShowEvent* event) {
    ControllerPage::showEvent(event);
    updateTimer();
    if (m_dirty)
        redraw();
}

void HistoryPage::hideEvent(QHideEvent* event) {
    ControllerPage::hideEvent(event);
    m_redrawTimer.stop();
}

// New samples reach the charts once per poll period in the short ranges and
// once per pixel column (range / kBuckets) in the long ones.
void HistoryPage::updateTimer() {
    if (!isVisible() || m_pause->isChecked()) {
        m_redrawTimer.stop();
        return;
    }
    m_redrawTimer.start(int(std::max<qint64>(900, rangeMs() / kBuckets)));
}

void HistoryPage::redraw() {
    const qint64 to = m_pausedAt ? m_pausedAt : m_clock();
    const qint64 from = to - rangeMs();
    const QList<ThresholdLine> lines =
        m_params ? thresholdLines(*m_params, m_params->activeProfile, m_motor->currentIndex())
                 : QList<ThresholdLine>{};
    m_charts->draw(buildHistoryView(m_recorder.history(), from, to + 1, kBuckets), lines, from, to);
    m_dirty = false;
}

void HistoryPage::saveCsv() {
    const QString path = m_saveDialog ? m_saveDialog() : QString();
    if (path.isEmpty())
        return;
    QString error;
    if (!saveHistoryCsv(m_recorder.history(), path, &error) && m_messages)
        m_messages(error);
}

} // namespace korvane
