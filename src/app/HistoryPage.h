#pragma once

#include "ControllerPage.h"
#include "history/HistoryRecorder.h"

#include <QTimer>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace korvane {

class ControllerSession;
class HistoryCharts;
class HistoryStore;

// The "Verlauf" page: the live values of 10 minutes to 1 year as charts,
// with the thresholds of a chosen motor's automatics in the active profile,
// and the range shown as a CSV file. "Früher" and "Später" move the range by
// its own length. Recording runs whether the page is shown or not; the charts
// redraw only while it is shown, live and not paused, at most once per poll
// period or per pixel column of the range.
//
// Ranges up to 24 h within the last 24 h come from memory (the fast path,
// holding even the samples not yet written); longer or earlier ones from the
// history database, where one is in use. The memory is filled from the
// database's last 24 h when the database is opened.
class HistoryPage : public ControllerPage {
    Q_OBJECT
public:
    using SaveDialog = std::function<QString()>; // empty: cancelled
    using MessageSink = std::function<void(const QString&)>;
    using Clock = std::function<qint64()>;

    static constexpr int kBuckets = 400;

    explicit HistoryPage(ControllerSession& session, QWidget* parent = nullptr);
    ~HistoryPage() override;

    // Keeps the history in the database at `path`, recording while
    // `recording` (the "Aufzeichnen" switch); reads it either way.
    void useDatabase(const QString& path, bool recording);
    HistoryStore* store() const { return m_store.get(); }

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
    QPushButton* earlierButton() const { return m_earlier; }
    QPushButton* laterButton() const { return m_later; }
    QCheckBox* recordSwitch() const { return m_record; }
    void setSaveDialog(SaveDialog dialog) { m_saveDialog = std::move(dialog); }
    void setMessageSink(MessageSink sink) { m_messages = std::move(sink); }
    // The database's problems: a non-blocking message box by default.
    void setNoticeSink(MessageSink sink) { m_notices = std::move(sink); }
    // Now, for the end of the shown range (tests fix it).
    void setClock(Clock clock) { m_clock = std::move(clock); }
    qint64 rangeMs() const;
    // The end of the range shown: now, the pause, or where "Früher" moved it.
    qint64 shownEnd() const;
    // Whether the range shown is read from the database.
    bool showsDatabase() const;

    // Draws the range shown at once.
    void redraw();

Q_SIGNALS:
    // The user switched recording on or off (the front keeps the setting).
    void recordingSwitched(bool on);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateTimer();
    void saveCsv();
    void shift(int direction);
    void openDatabase(bool recording);
    void fillMemoryFromDatabase();

    HistoryRecorder m_recorder;
    std::unique_ptr<HistoryStore> m_store;
    QString m_databasePath;
    ParameterSet* m_params = nullptr;
    HistoryCharts* m_charts;
    QComboBox* m_motor;
    QComboBox* m_range;
    QPushButton* m_pause;
    QPushButton* m_save;
    QPushButton* m_earlier;
    QPushButton* m_later;
    QCheckBox* m_record;
    QLabel* m_profile;
    QTimer m_redrawTimer;
    bool m_dirty = true;
    qint64 m_pausedAt = 0;
    qint64 m_movedEnd = 0; // 0: the range ends now (or at the pause)
    int m_motorCount = 8;
    SaveDialog m_saveDialog;
    MessageSink m_messages;
    MessageSink m_notices;
    Clock m_clock;
};

} // namespace korvane
