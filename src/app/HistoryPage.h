#pragma once

#include "ControllerPage.h"
#include "history/HistoryRecorder.h"

#include <QTimer>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace korvane {

class ControllerSession;
class HistoryCharts;

// The "Verlauf" page: the live values of the last 10 minutes to 24 hours as
// charts, with the thresholds of a chosen motor's automatics in the active
// profile, and the whole history as a CSV file. Recording runs whether the
// page is shown or not; the charts redraw only while it is shown and not
// paused, at most once per poll period or per pixel column of the range.
class HistoryPage : public ControllerPage {
    Q_OBJECT
public:
    using SaveDialog = std::function<QString()>; // empty: cancelled
    using MessageSink = std::function<void(const QString&)>;
    using Clock = std::function<qint64()>;

    static constexpr int kBuckets = 400;

    explicit HistoryPage(ControllerSession& session, QWidget* parent = nullptr);

    void applyModel(const ModelInfo& model) override;
    void attachParameters(ParameterSet& params) override;
    void refreshView() override;
    void enterPage() override;
    void leavePage() override;

    HistoryRecorder& recorder() { return m_recorder; }
    HistoryCharts* charts() const { return m_charts; }
    QComboBox* motorCombo() const { return m_motor; }
    QComboBox* rangeCombo() const { return m_range; }
    QPushButton* pauseButton() const { return m_pause; }
    QPushButton* saveButton() const { return m_save; }
    void setSaveDialog(SaveDialog dialog) { m_saveDialog = std::move(dialog); }
    void setMessageSink(MessageSink sink) { m_messages = std::move(sink); }
    // Now, for the end of the shown range (tests fix it).
    void setClock(Clock clock) { m_clock = std::move(clock); }
    qint64 rangeMs() const;

    // Draws the range ending now (or at the pause) at once.
    void redraw();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateTimer();
    void saveCsv();

    HistoryRecorder m_recorder;
    ParameterSet* m_params = nullptr;
    HistoryCharts* m_charts;
    QComboBox* m_motor;
    QComboBox* m_range;
    QPushButton* m_pause;
    QPushButton* m_save;
    QLabel* m_profile;
    QTimer m_redrawTimer;
    bool m_dirty = true;
    qint64 m_pausedAt = 0;
    int m_motorCount = 8;
    SaveDialog m_saveDialog;
    MessageSink m_messages;
    Clock m_clock;
};

} // namespace korvane
