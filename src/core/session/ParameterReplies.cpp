// The reply handlers of the parameter set.
#include "session/ParameterTransfer.h"

#include "params/SwitchTimeLists.h"
#include "params/SwitchTimeWire.h"

namespace korvane {

void ParameterTransfer::showReading(const QString& text) {
    m_session.panels().setText(StatusPanels::Activity, text);
    Q_EMIT readingRow(readAllProgressText(text));
}

void ParameterTransfer::registerReplyHandlers() {
    for (const BlockDescription& block : blockDescriptions()) {
        const BlockId id = block.id;
        const QByteArray code(block.replyCode);
        m_session.registerHandler(code, [this, id, code](const QByteArray& payload) {
            const BlockDescription& b = blockDescription(id);
            showReading(b.readingText.toString());
            const auto values = m_session.parseValues(code, payload);
            if (!values)
                return;
            const ReplyOutcome outcome = applyBlockReply(m_params, id, *values);
            if (outcome.stored)
                m_checklist.arrived(
                    code, ReadAllChecklist::recordKey(outcome.profile, outcome.motor + 1));
            if (!outcome.errorText.isEmpty())
                m_session.panels().setText(StatusPanels::Error, outcome.errorText);
            Q_EMIT blockChanged(id);
        });
    }

    for (const SystemParamDescription& param : systemParamDescriptions()) {
        const SystemParam id = param.id;
        const QByteArray code(param.replyCode);
        m_session.registerHandler(code, [this, id, code](const QByteArray& payload) {
            const auto values = m_session.parseValues(code, payload);
            if (!values)
                return;
            const ReplyOutcome outcome = applySystemParamReply(m_params, id, *values);
            if (outcome.stored)
                m_checklist.arrived(code, 0);
            if (!outcome.errorText.isEmpty())
                m_session.panels().setText(StatusPanels::Error, outcome.errorText);
            Q_EMIT systemParamsChanged();
        });
    }

    m_session.registerHandler("sas", [this](const QByteArray& payload) {
        showReading(kAlarmReadingText.toString());
        const auto values = m_session.parseValues("sas", payload);
        if (!values)
            return;
        const ReplyOutcome outcome = applyAlarmReply(m_params.alarmSetup, *values);
        if (outcome.stored)
            m_checklist.arrived("sas", outcome.motor + 1);
        if (!outcome.errorText.isEmpty())
            m_session.panels().setText(StatusPanels::Error, outcome.errorText);
        Q_EMIT alarmSetupChanged();
    });

    m_session.registerHandler("smn", [this](const QByteArray& payload) {
        m_session.panels().setText(StatusPanels::Activity, smnStatusText());
        Q_EMIT namesReading();
        const SmnOutcome outcome = applySmnReply(m_params.motorNames, payload);
        if (outcome.stored) {
            m_checklist.arrived("smn", outcome.motor + 1);
            Q_EMIT motorNameChanged(outcome.motor);
        }
    });

    m_session.registerHandler("sfs", [this](const QByteArray& payload) { onSfs(payload); });
    m_session.registerHandler("stc", [this](const QByteArray& payload) { onAcknowledge(payload); });
}

void ParameterTransfer::onSfs(const QByteArray& payload) {
    const auto values = m_session.parseValues("sfs", payload);
    if (!values)
        return;
    const ModelInfo& model = m_session.model();
    const SfsOutcome outcome =
        applySfsReply(m_params.switchTimes, *values, model.motorCount, model.slotsPerMotor);
    if (outcome.dayValid)
        showReading(outcome.statusText);
    if (outcome.stored)
        m_checklist.arrived("sfs",
                            ReadAllChecklist::slotKey((*values)[0], (*values)[1], (*values)[2]));
    if (!outcome.errorText.isEmpty())
        m_session.panels().setText(StatusPanels::Error, outcome.errorText);
    // The read-all round ends after this frame's dispatch (afterReadFrame).
    m_lastSlotSeen = m_lastSlotSeen || outcome.endsReadAll;
}

} // namespace korvane
