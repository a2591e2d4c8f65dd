#include "HistoryPage.h"

#include "HistoryCharts.h"
#include "history/HistoryCsv.h"
#include "history/HistoryQuery.h"
#include "history/HistoryStore.h"
#include "history/HistoryView.h"
#include "history/ThresholdLines.h"
#include "params/ParameterSet.h"
#include "session/ModelInfo.h"

#include <QCheckBox>
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
constexpr qint64 kDay = 24 * 60 * kMinute;
const qint64 kRanges[] = {10 * kMinute, 60 * kMinute, 6 * 60 * kMinute, kDay,
                          7 * kDay,     30 * kDay,    365 * kDay};
constexpr int kRangeCount = int(std::size(kRanges));

} // namespace

HistoryPage::HistoryPage(ControllerSession& session, QWidget* parent)
    : ControllerPage(QStringLiteral("Verlauf_Maske"), parent), m_recorder(session),
      m_charts(new HistoryCharts), m_motor(new QComboBox), m_range(new QComboBox),
      m_pause(new QPushButton(QStringLiteral("Anhalten"))),
      m_save(new QPushButton(QStringLiteral("Als CSV speichern\u2026"))),
      m_earlier(new QPushButton(QStringLiteral("Fr\u00FCher"))),
      m_later(new QPushButton(QStringLiteral("Sp\u00E4ter"))),
      m_record(new QCheckBox(QStringLiteral("Aufzeichnen"))), m_profile(new QLabel),
      m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    m_motor->setObjectName(QStringLiteral("Verlauf_Motor"));
    m_range->setObjectName(QStringLiteral("Verlauf_Zeitraum"));
    m_range->addItems({QStringLiteral("10 min"), QStringLiteral("1 h"), QStringLiteral("6 h"),
                       QStringLiteral("24 h"), QStringLiteral("7 Tage"), QStringLiteral("30 Tage"),
                       QStringLiteral("1 Jahr")});
    m_range->setCurrentIndex(1);
    m_pause->setCheckable(true);
    m_later->setEnabled(false);
    m_record->setObjectName(QStringLiteral("Verlauf_Aufzeichnen"));
    m_record->setToolTip(QStringLiteral("Den Verlauf auf dem Datentr\u00E4ger speichern"));
    m_record->setEnabled(false); // until a database is in use

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Schwellen von")));
    controls->addWidget(m_motor);
    controls->addWidget(m_profile);
    controls->addStretch(1);
    controls->addWidget(new QLabel(QStringLiteral("Zeitraum")));
    controls->addWidget(m_range);
    controls->addWidget(m_earlier);
    controls->addWidget(m_later);
    controls->addWidget(m_pause);
    controls->addWidget(m_save);
    controls->addWidget(m_record);
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
    m_notices = [this](const QString& text) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Korvane"), text,
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
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
    connect(m_earlier, &QPushButton::clicked, this, [this] { shift(-1); });
    connect(m_later, &QPushButton::clicked, this, [this] { shift(1); });
    connect(m_record, &QCheckBox::toggled, this, [this](bool on) {
        openDatabase(on);
        Q_EMIT recordingSwitched(on);
    });
}

HistoryPage::~HistoryPage() = default;

qint64 HistoryPage::rangeMs() const {
    return kRanges[std::clamp(m_range->currentIndex(), 0, kRangeCount - 1)];
}

qint64 HistoryPage::shownEnd() const {
    if (m_movedEnd)
        return m_movedEnd;
    return m_pausedAt ? m_pausedAt : m_clock();
}

bool HistoryPage::showsDatabase() const {
    if (!m_store || !m_store->isReadable())
        return false;
    return rangeMs() > kDay || shownEnd() - rangeMs() < m_clock() - kDay;
}

// Moves the range by its length; back at the present it follows the clock again.
void HistoryPage::shift(int direction) {
    const qint64 end = shownEnd() + direction * rangeMs();
    m_movedEnd = end >= m_clock() ? 0 : end;
    m_later->setEnabled(m_movedEnd != 0);
    updateTimer();
    redraw();
}

void HistoryPage::useDatabase(const QString& path, bool recording) {
    m_databasePath = path;
    m_record->setEnabled(true);
    const QSignalBlocker blocker(m_record);
    m_record->setChecked(recording);
    openDatabase(recording);
}

void HistoryPage::openDatabase(bool recording) {
    m_store.reset(); // writes what is pending and gives the lock up
    m_store = std::make_unique<HistoryStore>();
    connect(m_store.get(), &HistoryStore::problem, this, [this](const QString& text) {
        if (m_notices)
            m_notices(text);
    });
    connect(&m_recorder, &HistoryRecorder::sampleAdded, m_store.get(), &HistoryStore::append);
    connect(&m_recorder, &HistoryRecorder::gapMarked, m_store.get(), &HistoryStore::markGap);
    if (recording)
        m_store->open(m_databasePath);
    else
        m_store->openForReading(m_databasePath);
    fillMemoryFromDatabase();
    m_dirty = true;
}

// The day before the program started, so that the short ranges show it too.
void HistoryPage::fillMemoryFromDatabase() {
    LiveHistory& memory = m_recorder.history();
    if (!m_store->isReadable() || !memory.isEmpty())
        return;
    const qint64 now = m_clock();
    QString error;
    forEachStoredSample(
        m_store->database(), now - kDay, now,
        [&](const LiveSample& s) {
            if (s.startsSegment())
                memory.markGap();
            memory.append(s);
        },
        &error);
    memory.markGap(); // the program was not running since
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
    if (!isVisible() || m_pause->isChecked() || m_movedEnd) {
        m_redrawTimer.stop();
        return;
    }
    m_redrawTimer.start(int(std::max<qint64>(900, rangeMs() / kBuckets)));
}

void HistoryPage::redraw() {
    const qint64 to = shownEnd();
    const qint64 from = to - rangeMs();
    const QList<ThresholdLine> lines =
        m_params ? thresholdLines(*m_params, m_params->activeProfile, m_motor->currentIndex())
                 : QList<ThresholdLine>{};
    std::optional<HistoryView> view;
    if (showsDatabase()) {
        QString error;
        view = loadHistoryView(m_store->database(), from, to + 1, kBuckets, &error);
        if (!view && m_notices)
            m_notices(QStringLiteral("Der Verlauf kann nicht gelesen werden: %1").arg(error));
    }
    if (!view)
        view = buildHistoryView(m_recorder.history(), from, to + 1, kBuckets);
    m_charts->draw(*view, lines, from, to);
    m_dirty = false;
}

void HistoryPage::saveCsv() {
    const QString path = m_saveDialog ? m_saveDialog() : QString();
    if (path.isEmpty())
        return;
    const qint64 to = shownEnd() + 1;
    const qint64 from = to - 1 - rangeMs();
    QString error;
    bool ok;
    if (showsDatabase()) {
        if (m_store->isRecording())
            m_store->flush(); // the last seconds too
        ok = saveStoredHistoryCsv(m_store->database(), from, to, path, &error);
    } else {
        ok = saveHistoryCsv(m_recorder.history(), path, &error, from, to);
    }
    if (!ok && m_messages)
        m_messages(error);
}

} // namespace korvane
