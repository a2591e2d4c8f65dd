#pragma once

#include "history/LiveHistory.h"

#include <QObject>
#include <functional>

namespace korvane {

class ControllerSession;
struct LiveDisplay;

// Feeds a LiveHistory from a session: every live-values reply becomes a
// sample stamped by `clock`; a lost connection or a port change opens a gap.
// A reply that comes before the controller has named its model (in each poll
// the live values come before the model text) is left out, since the model
// decides which values are measured.
// The store outlives reconnections; only clear() empties it.
class HistoryRecorder : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // UTC milliseconds since the epoch

    explicit HistoryRecorder(ControllerSession& session, QObject* parent = nullptr);

    LiveHistory& history() { return m_history; }
    const LiveHistory& history() const { return m_history; }
    void setClock(Clock clock) { m_clock = std::move(clock); }

Q_SIGNALS:
    void sampleAdded(const korvane::LiveSample& sample);
    // A lost connection or a port change: the next sample follows a gap.
    void gapMarked();

private:
    void onLiveValues(const LiveDisplay& display);
    void markGap();

    ControllerSession& m_session;
    LiveHistory m_history;
    Clock m_clock;
};

} // namespace korvane
