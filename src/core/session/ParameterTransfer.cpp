#include "session/ParameterTransfer.h"

#include "params/SwitchTimeLists.h"
#include "params/SwitchTimeWire.h"
#include "session/TransferNames.h"

namespace korvane {
namespace {

constexpr int kLastStep = 18;
constexpr int kHumidityStep = 121;
const QString kDateNotSet = QStringLiteral("01.01.00");

// What one step of the send chain sends.
enum class StepKind { SwitchTimeDay, MotorNames, Block, Param, Alarm, End };

struct SendStep {
    int step;
    StepKind kind;
    BlockId block = BlockId::Shading;
    SystemParam param = SystemParam::RandomSpan;
};

// The chain in the order of its step numbers; the successor is decided by
// nextStep() because it depends on the model.
constexpr SendStep kSendSteps[] = {
    {0, StepKind::SwitchTimeDay},
    {1, StepKind::MotorNames},
    {2, StepKind::Block, BlockId::Reversing},
    {3, StepKind::Block, BlockId::Shading},
    {4, StepKind::Block, BlockId::TwilightMorning},
    {5, StepKind::Block, BlockId::TwilightEvening},
    {6, StepKind::Block, BlockId::Wind},
    {7, StepKind::Block, BlockId::Rain},
    {8, StepKind::Param, BlockId::Shading, SystemParam::OutsideOffset},
    {9, StepKind::Param, BlockId::Shading, SystemParam::ShadingHysteresis},
    {10, StepKind::Alarm},
    {11, StepKind::Block, BlockId::Proportional},
    {12, StepKind::Block, BlockId::InsideTemp},
    {kHumidityStep, StepKind::Block, BlockId::Humidity},
    {13, StepKind::Block, BlockId::OutsideTemp},
    {14, StepKind::Param, BlockId::Shading, SystemParam::StoredProfile},
    {15, StepKind::Param, BlockId::Shading, SystemParam::InsideOffset},
    {16, StepKind::Block, BlockId::KeyPress},
    {17, StepKind::Param, BlockId::Shading, SystemParam::RandomSpan},
    {kLastStep, StepKind::End},
};

const SendStep* findStep(int step) {
    for (const SendStep& s : kSendSteps) {
        if (s.step == step)
            return &s;
    }
    return nullptr;
}

int nextStep(int step, int txDay, const ModelInfo& model) {
    switch (step) {
    case 0:
        return txDay >= 7 ? 1 : 0;
    case 1:
        return model.hasOutdoorAutomatics() ? 2 : 16;
    case 10:
        return model.conservatory ? 11 : model.keyAutomatic ? 16 : 17;
    case 12:
        return kHumidityStep;
    case kHumidityStep:
        return 13;
    case kLastStep:
        return kLastStep;
    default:
        return step + 1;
    }
}

// The name of a send-all step in the message about refused steps.
QString stepTitle(const SendStep& s, int day) {
    switch (s.kind) {
    case StepKind::SwitchTimeDay:
        return sendSwitchTimeDayStatusText(day).mid(3).trimmed(); // without "Tx "
    case StepKind::MotorNames:
        return QStringLiteral("Motornamen");
    case StepKind::Block:
        return blockTitle(s.block);
    case StepKind::Param:
        return paramTitle(s.param);
    case StepKind::Alarm:
        return QStringLiteral("Alarm Setup");
    case StepKind::End:
        break;
    }
    return QString();
}

// Copies the Changed flags of what step `s` sends from `from` into `to`.
void copyStepChangedFlags(const SendStep& s, int day, const ParameterSet& from, ParameterSet& to) {
    switch (s.kind) {
    case StepKind::SwitchTimeDay:
        for (int m = 0; m < kSwitchMotors; ++m)
            for (int slot = 0; slot < kSlotsPerMotor; ++slot)
                to.switchTimes.at(day, m, slot).changed = from.switchTimes.at(day, m, slot).changed;
        break;
    case StepKind::Block:
        for (int p = 0; p < kProfileCount; ++p)
            for (int m = 0; m < kMotorCount; ++m)
                to.record(s.block, p, m).changed = from.record(s.block, p, m).changed;
        break;
    default:
        break; // names, single values and the alarm setup are always sent whole
    }
}

} // namespace

ParameterTransfer::ParameterTransfer(ControllerSession& session, ParameterSet& params,
                                     QObject* parent)
    : QObject(parent), m_session(session), m_params(params) {
    m_silence.setSingleShot(true);
    connect(&m_silence, &QTimer::timeout, this, &ParameterTransfer::onSilence);
    connect(&m_session, &ControllerSession::changedEvent, this,
            [this](ChangedEvent event) { applyChangedEvent(m_params, event); });
    // Any frame during a read-all shows that the controller is still talking.
    connect(&m_session, &ControllerSession::frameReceived, this, [this](const QByteArray& code) {
        if (m_session.activity() == Activity::ReadAll)
            afterReadFrame(code);
    });
    connect(&m_session, &ControllerSession::bytesCounted, this, [this](qint64 rx) {
        if (m_session.activity() == Activity::ReadAll)
            Q_EMIT progress(int(qMin<qint64>(rx, m_progressMax)), m_progressMax, true);
    });
    connect(&m_session, &ControllerSession::portLost, this, &ParameterTransfer::onPortLost);
    registerReplyHandlers();
}

void ParameterTransfer::setTimeouts(int readSilenceMs, int ackGraceMs, int lineBytesPerSecond) {
    m_readSilenceMs = readSilenceMs;
    m_ackGraceMs = ackGraceMs;
    m_lineBytesPerSecond = lineBytesPerSecond;
}

int ParameterTransfer::readProgressMaximum() const {
    const ModelInfo& m = m_session.model();
    const int s = m.slotsPerMotor * m.motorCount;
    // A conservatory controller answers the climate blocks too, whatever
    // other letters its model text carries.
    if (m.conservatory)
        return s * 296 + 3671 + 2172 + 270;
    if (m.sensor)
        return s * 296 + 3671 + 270;
    return s * 296 + 270;
}

int ParameterTransfer::sendProgressMaximum() const {
    const ModelInfo& m = m_session.model();
    const int s = m.slotsPerMotor * m.motorCount;
    if (m.conservatory)
        return s * 203 + 2298 + 1534;
    if (m.sensor)
        return s * 203 + 2298;
    return s * 203;
}

// --- read-all -------------------------------------------------------------------

bool ParameterTransfer::startReadAll() {
    if (m_session.activity() != Activity::Idle)
        return false;
    m_beforeRead = m_params;
    m_params.switchTimes.resetForReadAll();
    Q_EMIT readAllStarted();
    Q_EMIT readingRow(readAllProgressText());

    m_session.setActivity(Activity::ReadAll);
    m_progressMax = readProgressMaximum();
    Q_EMIT progress(0, m_progressMax, true);
    m_session.resetCounters();

    m_checklist.expect(m_session.model());
    m_readRound = 0;
    sendReadRequests(ReadAllChecklist::requests(m_session.model()));
    return true;
}

void ParameterTransfer::sendReadRequests(const QList<QByteArray>& requests) {
    m_roundEnd = requests.last();
    m_roundHeard = false;
    m_lastSlotSeen = false;
    m_session.send(requests.join());
    m_silence.start(m_readSilenceMs);
}

void ParameterTransfer::afterReadFrame(const QByteArray& code) {
    m_roundHeard = true;
    m_silence.start(m_readSilenceMs);
    // The controller answers the requests in order: the answer to the last
    // one ends the round (for "sfs" its last record, whether or not intact).
    if (code == m_roundEnd && (code != "sfs" || m_lastSlotSeen))
        endReadRound();
}

void ParameterTransfer::endReadRound() {
    if (m_checklist.complete()) {
        finishReadAll();
        return;
    }
    if (m_readRound >= kReadRetryRounds) {
        failReadAll(m_checklist.incompleteMessage());
        return;
    }
    ++m_readRound;
    // "szz" answers with one frame: asked last, it marks the end of a round
    // that does not ask for the switch times again.
    QList<QByteArray> again;
    for (const QByteArray& code : m_checklist.incompleteRequests()) {
        if (code != "szz" && code != "sfs")
            again << code;
    }
    again << "szz";
    if (m_checklist.incompleteRequests().contains("sfs"))
        again << "sfs";
    sendReadRequests(again);
}

void ParameterTransfer::failReadAll(const QString& message) {
    m_silence.stop();
    // The table reset before reading must not cost the user data.
    m_params = m_beforeRead;
    m_session.panels().setText(StatusPanels::Activity, message);
    Q_EMIT progress(0, m_progressMax, false);
    m_session.setActivity(Activity::Idle);
    Q_EMIT readAllFinished(false, message);
}

void ParameterTransfer::finishReadAll() {
    m_silence.stop();
    applyChangedEvent(m_params, ChangedEvent::ReadAllDone);
    m_session.panels().setText(StatusPanels::Activity, QString());
    Q_EMIT progress(0, m_progressMax, false);
    m_session.addRxCount(1);
    m_session.setActivity(Activity::Idle);
    Q_EMIT readAllFinished(true, QString());
}

// --- send-all ---------------------------------------------------------------------

bool ParameterTransfer::startSendAll() {
    if (m_session.activity() != Activity::Idle)
        return false;
    if (m_session.panels().text(StatusPanels::Date) == kDateNotSet) {
        Q_EMIT m_session.userMessage(kDateNotSetMessage);
        return false;
    }
    m_session.setActivity(Activity::SendAll);
    m_progressMax = sendProgressMaximum();
    Q_EMIT progress(0, m_progressMax, true);
    m_session.panels().setText(StatusPanels::Error, QString());
    m_session.resetCounters();

    m_txDay = 1;
    m_refused.clear();
    m_pendingScope = {0, 0};
    const qsizetype bytes = sendSwitchTimes(0);
    m_txStep = 0;
    armAckTimer(bytes);
    return true;
}

void ParameterTransfer::onAcknowledge(const QByteArray& payload) {
    // Acknowledgements outside a send-all belong to nothing the program did.
    if (m_session.activity() != Activity::SendAll)
        return;
    const auto values = m_session.parseValues("stc", payload);
    if (values && (*values)[0] != 0)
        m_session.panels().setText(StatusPanels::Error,
                                   QStringLiteral("Fehler ") + QString::number(m_txStep));
    // An acknowledgement that is not a clear 0 leaves the step's data unsent.
    if (!values || (*values)[0] != 0)
        m_refused.append(m_pendingScope);
    runStep(m_txStep);
}

qsizetype ParameterTransfer::sendWrites(std::span<const QByteArray> writes, int txAmount) {
    qsizetype bytes = 0;
    for (const QByteArray& w : writes) {
        m_session.send(w);
        bytes += w.size();
    }
    m_session.addTxCount(txAmount);
    Q_EMIT progress(int(qMin<qint64>(m_session.txCount(), m_progressMax)), m_progressMax, true);
    return bytes;
}

qsizetype ParameterTransfer::sendSwitchTimes(int day) {
    m_session.panels().setText(StatusPanels::Activity, sendSwitchTimeDayStatusText(day));
    const ModelInfo& m = m_session.model();
    qsizetype bytes = 0;
    for (const WireWrite& w :
         sendSwitchTimeDay(m_params.switchTimes, day, m.motorCount, m.slotsPerMotor))
        bytes += sendWrites({&w.bytes, 1}, w.txAmount);
    return bytes;
}

void ParameterTransfer::runStep(int step) {
    const SendStep* s = findStep(step);
    if (!s)
        return;
    const ModelInfo& model = m_session.model();
    StatusPanels& panels = m_session.panels();
    qsizetype bytes = 0;
    auto send = [&](std::span<const QByteArray> writes, int txAmount) {
        bytes += sendWrites(writes, txAmount);
    };

    switch (s->kind) {
    case StepKind::SwitchTimeDay:
        m_txDay += 1;
        bytes = sendSwitchTimes(m_txDay - 1);
        break;
    case StepKind::MotorNames:
        panels.setText(StatusPanels::Activity, sendMotorNamesStatusText());
        for (const WireWrite& w : sendMotorNames(m_params.motorNames))
            send({&w.bytes, 1}, w.txAmount);
        break;
    case StepKind::Block: {
        panels.setText(StatusPanels::Activity, blockDescription(s->block).sendingText.toString());
        const BlockSendResult r = encodeBlockStep(m_params, s->block, model.motorCount);
        send(r.writes, r.txAmount);
        break;
    }
    case StepKind::Param: {
        panels.setText(StatusPanels::Activity,
                       systemParamDescription(s->param).sendingText.toString());
        const BlockSendResult r = encodeSystemParamStep(m_params, s->param);
        send(r.writes, r.txAmount);
        break;
    }
    case StepKind::Alarm: {
        panels.setText(StatusPanels::Activity, kAlarmSendingText.toString());
        const BlockSendResult r = encodeAlarmStep(m_params.alarmSetup, model.motorCount);
        send(r.writes, r.txAmount);
        break;
    }
    case StepKind::End:
        finishSendAll();
        return;
    }
    m_pendingScope = {step, m_txDay - 1};
    m_txStep = nextStep(step, m_txDay, model);
    armAckTimer(bytes);
}

void ParameterTransfer::finishSendAll() {
    m_silence.stop();
    m_session.panels().setText(StatusPanels::Activity, QString());
    Q_EMIT progress(0, m_progressMax, false);
    m_session.addRxCount(1);
    const ParameterSet sent = m_params;
    applyChangedEvent(m_params, ChangedEvent::SendAllDone);
    QStringList refused;
    for (const StepScope& r : std::as_const(m_refused)) {
        const SendStep& s = *findStep(r.step);
        copyStepChangedFlags(s, r.day, sent, m_params);
        refused << stepTitle(s, r.day);
    }
    m_session.setActivity(Activity::Idle);
    if (refused.isEmpty()) {
        Q_EMIT sendAllFinished(true, QString());
        return;
    }
    refused.removeDuplicates();
    const QString message = QStringLiteral("Senden unvollständig, von der Steuerung abgelehnt: ") +
                            refused.join(QStringLiteral(", "));
    m_session.panels().setText(StatusPanels::Activity, message);
    Q_EMIT sendAllFinished(false, message);
}

// --- stalls ------------------------------------------------------------------------

void ParameterTransfer::armAckTimer(qsizetype bytesSent) {
    const qsizetype wireMs = m_lineBytesPerSecond > 0 ? bytesSent * 1000 / m_lineBytesPerSecond : 0;
    m_silence.start(m_ackGraceMs + int(wireMs));
}

void ParameterTransfer::onSilence() {
    switch (m_session.activity()) {
    case Activity::ReadAll:
        // A controller that answered once but not the end of this round is
        // done with the round all the same.
        if (m_roundHeard || m_readRound > 0)
            endReadRound();
        else
            failReadAll(kReadTimeoutText);
        break;
    case Activity::SendAll:
        abandonSendAll(kSendTimeoutText);
        break;
    default:
        break;
    }
}

void ParameterTransfer::abandonSendAll(const QString& message) {
    m_silence.stop();
    // The Changed flags stay set: the next send-all sends everything again.
    m_session.panels().setText(StatusPanels::Activity, message);
    Q_EMIT progress(0, m_progressMax, false);
    m_session.setActivity(Activity::Idle);
    Q_EMIT sendAllFinished(false, message);
}

void ParameterTransfer::onPortLost(const SerialError& error) {
    // Nothing more can come: end at once rather than after the silence.
    switch (m_session.activity()) {
    case Activity::ReadAll:
        failReadAll(serialErrorText(error));
        break;
    case Activity::SendAll:
        abandonSendAll(serialErrorText(error));
        break;
    default:
        break;
    }
}

} // namespace korvane
