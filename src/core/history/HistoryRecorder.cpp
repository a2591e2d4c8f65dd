#include "history/HistoryRecorder.h"

#include "session/ControllerSession.h"

#include <QDateTime>

namespace korvane {

HistoryRecorder::HistoryRecorder(ControllerSession& session, QObject* parent)
    : QObject(parent), m_session(session),
      m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    connect(&session, &ControllerSession::liveValues, this, &HistoryRecorder::onLiveValues);
    connect(&session, &ControllerSession::connectionLost, this, &HistoryRecorder::markGap);
    connect(&session, &ControllerSession::portReleasing, this, &HistoryRecorder::markGap);
}

void HistoryRecorder::markGap() {
    m_history.markGap();
    Q_EMIT gapMarked();
}

void HistoryRecorder::onLiveValues(const LiveDisplay& display) {
    if (!m_session.isConnected())
        return;
    const LiveSample sample = sampleFromReply(display.raw, m_session.model(), m_clock());
    if (m_history.append(sample))
        Q_EMIT sampleAdded(m_history.last());
}

} // namespace korvane
