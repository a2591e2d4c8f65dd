#include "session/ControllerSession.h"

#include "serial/SerialLink.h"
#include "text/Cp1252.h"

#include <charconv>
#include <iterator>

using namespace Qt::StringLiterals;

namespace korvane {
namespace {

const QByteArray kPollRequests = QByteArrayLiteral("sfi\rsdt\rsti\rskd\rsmo\r");
const QList<QByteArray> kPollReplies = {"sfi", "sdt", "sti", "skd", "smo"};
constexpr int kPollTxAmount = 20;
constexpr int kReopenIntervalMs = 1000;
const QString kIniWriteFailed =
    QStringLiteral("    Kann Initialisierungs-File nicht schreiben    ");

// "RxD: 123": built in one go, as it is rebuilt for every receive event and
// every record sent.
QString counterText(QLatin1StringView label, qint64 count) {
    char buffer[24];
    const char* end = std::to_chars(buffer, std::end(buffer), count).ptr;
    QString text;
    text.reserve(label.size() + (end - buffer));
    text.append(label).append(QLatin1StringView(buffer, end));
    return text;
}

} // namespace

ControllerSession::ControllerSession(SerialLink* link, QObject* parent)
    : QObject(parent), m_link(link) {
    m_panels.resetToDisconnected();

    m_pollTimer.setInterval(kPollIntervalMs);
    m_watchdogTimer.setInterval(kWatchdogIntervalMs);
    m_dcfTimer.setInterval(kDcfIntervalMs);
    m_reopenTimer.setInterval(kReopenIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &ControllerSession::pollTick);
    connect(&m_watchdogTimer, &QTimer::timeout, this, &ControllerSession::watchdogTick);
    connect(&m_dcfTimer, &QTimer::timeout, this, &ControllerSession::dcfTick);
    connect(&m_reopenTimer, &QTimer::timeout, this, &ControllerSession::tryReopen);

    connect(m_link, &SerialLink::bytesArrived, this, &ControllerSession::onBytesArrived);
    connect(m_link, &SerialLink::lineError, this, &ControllerSession::lineErrorOccurred);
    connect(m_link, &SerialLink::writeRefused, this, &ControllerSession::userMessage);
    connect(m_link, &SerialLink::deviceLost, this, &ControllerSession::onDeviceLost);

    registerPollHandlers();
}

ControllerSession::~ControllerSession() = default;

// --- connection -------------------------------------------------------------

bool ControllerSession::openDevice(const QString& device) {
    m_reopenTimer.stop();
    m_link->close();
    // What the old port left half-received must not join the new port's bytes.
    m_receiver.clear();
    m_device = device;
    m_openError = m_link->open(device);
    if (m_openError.ok())
        Q_EMIT portOpened();
    else
        Q_EMIT portOpenFailed(m_openError);
    startPolling();
    return m_openError.ok();
}

bool ControllerSession::changePort(const QString& device) {
    Q_EMIT portReleasing();
    const bool ok = openDevice(device);
    Q_EMIT changedEvent(ChangedEvent::PortChanged);
    m_connected = false;
    m_panels.resetToDisconnected();
    return ok;
}

void ControllerSession::closePort() {
    Q_EMIT portReleasing();
    m_reopenTimer.stop();
    m_device.clear();
    m_link->close();
}

void ControllerSession::tryReopen() {
    if (m_device.isEmpty() || m_link->isOpen()) {
        m_reopenTimer.stop();
        return;
    }
    // The user heard about the loss when it happened.
    if (m_link->open(m_device).ok()) {
        m_reopenTimer.stop();
        m_receiver.clear();
        Q_EMIT portOpened();
    }
}

void ControllerSession::onDeviceLost(const SerialError& error) {
    // What the device left half-received must not join the next bytes.
    m_receiver.clear();
    // The loss first: its report explains the "Keine Verbindung" that follows.
    Q_EMIT portLost(error);
    markDisconnected();
    Q_EMIT pollState(false, m_model);
    if (!m_device.isEmpty())
        m_reopenTimer.start();
}

void ControllerSession::startPolling() {
    if (m_lineLent || m_activity == Activity::ReadAll || m_activity == Activity::Logbook)
        return;
    if (!m_dcfTimer.isActive() && !m_pollTimer.isActive())
        m_pollTimer.start();
    if (!m_watchdogTimer.isActive())
        m_watchdogTimer.start();
}

// --- writing ------------------------------------------------------------------

bool ControllerSession::send(const QByteArray& bytes, int txAmount) {
    const bool written = m_link->write(bytes);
    if (txAmount != 0)
        addTxCount(txAmount);
    return written;
}

bool ControllerSession::sendSafetyCommand(const QByteArray& bytes) {
    return m_link->write(bytes, SerialLink::WritePriority::Safety);
}

void ControllerSession::resetCounters() {
    m_rxCount = 0;
    m_txCount = 0;
}

void ControllerSession::addTxCount(qint64 amount) {
    m_txCount += amount;
    m_panels.setText(StatusPanels::Tx, counterText("TxD: "_L1, m_txCount));
}

void ControllerSession::addRxCount(qint64 amount) {
    m_rxCount += amount;
    m_panels.setText(StatusPanels::Rx, counterText("RxD: "_L1, m_rxCount));
}

// --- receiving ----------------------------------------------------------------

void ControllerSession::registerHandler(const QByteArray& code, Handler handler) {
    m_handlers.insert(code, std::move(handler));
}

std::optional<ReplyValues> ControllerSession::parseValues(const QByteArray& code,
                                                          const QByteArray& payload) {
    ReplyParseError error;
    auto values = parseReplyValues(payload, &error);
    if (!values) {
        m_panels.setText(StatusPanels::Error,
                         QStringLiteral("Formatfehler ") + QString::fromLatin1(code));
    }
    return values;
}

void ControllerSession::onBytesArrived() {
    if (m_lineLent)
        return;
    const QByteArray bytes = m_link->readAll();
    if (bytes.isEmpty())
        return;
    const QList<ReceiverEvent> events = m_receiver.feed(bytes);
    QList<QByteArray> acknowledgements;
    for (const ReceiverEvent& event : events) {
        switch (event.kind) {
        case ReceiverEvent::Kind::Frame:
            m_lastPayload = event.payload;
            m_panels.setText(StatusPanels::Trace, fromCp1252(event.code) + QStringLiteral("  ") +
                                                      fromCp1252(event.payload));
            // Acknowledgements run after the counters, as the send chain expects.
            if (event.code == "stc")
                acknowledgements.append(event.payload);
            else
                dispatch(event.code, event.payload);
            break;
        case ReceiverEvent::Kind::StaleEndDiscarded:
        case ReceiverEvent::Kind::JunkDiscarded:
            m_panels.setText(StatusPanels::Trace,
                             QStringLiteral(" del ") + fromCp1252(m_lastPayload));
            break;
        }
    }
    addRxCount(bytes.size());
    Q_EMIT bytesCounted(m_rxCount);
    m_panels.setText(StatusPanels::Tx, counterText("TxD: "_L1, m_txCount));
    for (const QByteArray& payload : acknowledgements)
        dispatch("stc", payload);
}

void ControllerSession::dispatch(const QByteArray& code, const QByteArray& payload) {
    const auto it = m_handlers.constFind(code);
    if (it != m_handlers.constEnd())
        (*it)(payload);
    notePollReply(code);
    Q_EMIT frameReceived(code, payload);
}

// --- activities ---------------------------------------------------------------

void ControllerSession::setActivity(Activity activity) {
    if (m_activity == activity)
        return;
    if (m_activity == Activity::Idle)
        Q_EMIT activityStarting(activity);
    m_activity = activity;
    switch (activity) {
    case Activity::ReadAll:
    case Activity::Logbook:
        m_pollTimer.stop();
        m_watchdogTimer.stop();
        break;
    case Activity::SendAll:
        break; // the poll only blinks the heartbeat, the watchdog rests
    case Activity::Idle:
        // The watchdog starts a fresh period: whatever arrived during the
        // activity counts as life.
        m_rxCountAtLastCheck = -1;
        m_pollTimer.stop();
        m_watchdogTimer.stop();
        startPolling();
        break;
    }
    Q_EMIT activityChanged(activity);
}

void ControllerSession::lendLine(bool lent) {
    if (m_lineLent == lent)
        return;
    m_lineLent = lent;
    // Nothing half-received or awaited belongs to the other side's traffic.
    m_receiver.clear();
    m_pollPending.clear();
    m_pollTimer.stop();
    m_watchdogTimer.stop();
    if (lent) {
        stopDcfIndicator();
        return;
    }
    m_rxCountAtLastCheck = -1;
    startPolling();
}

// --- poll cycle ---------------------------------------------------------------

void ControllerSession::setTimerIntervals(int pollMs, int watchdogMs, int dcfMs) {
    m_pollTimer.setInterval(pollMs);
    m_watchdogTimer.setInterval(watchdogMs);
    m_dcfTimer.setInterval(dcfMs);
}

void ControllerSession::setProgramSettingsWriter(std::function<bool()> writer) {
    m_settingsWriter = std::move(writer);
}

void ControllerSession::sendPoll() {
    // While the controller holds its input (XOFF) the previous poll, or
    // whatever else was written, still waits: another one would only pile up
    // ahead of the commands that matter.
    if (m_link->bytesToWrite() > 0)
        return;
    send(kPollRequests, kPollTxAmount);
    m_pollPending = kPollReplies;
}

void ControllerSession::requestPoll() {
    sendPoll();
}

void ControllerSession::notePollReply(const QByteArray& code) {
    if (!m_pollPending.removeOne(code) || !m_pollPending.isEmpty())
        return;
    const bool valid = applyModel();
    Q_EMIT pollAnswered(valid);
}

void ControllerSession::pollTick() {
    if (m_activity == Activity::Idle) {
        sendPoll();
        if (!isConnected()) {
            for (int panel : {StatusPanels::Version, StatusPanels::Date, StatusPanels::Time})
                m_panels.setText(panel, QString());
            Q_EMIT pollState(false, m_model);
        } else {
            applyModel();
            Q_EMIT pollState(true, m_model);
            if (!m_settingsFileWritten) {
                m_settingsFileWritten = true;
                if (m_settingsWriter && !m_settingsWriter())
                    Q_EMIT userMessage(kIniWriteFailed);
            }
            if (!m_logReadStarted) {
                send(QByteArrayLiteral("slr"));
                m_logReadStarted = true;
            }
        }
    }
    // Heartbeat: a live connection alternates a red square and a fuchsia circle.
    const bool connected = isConnected();
    m_dotFuchsia = connected && !m_dotFuchsia;
    Q_EMIT heartbeat(connected, m_dotFuchsia);
}

bool ControllerSession::applyModel() {
    const ModelParse parsed = parseModel(m_modelText, m_model);
    if (!parsed.countsValid && !m_modelFaultReported) {
        m_modelFaultReported = true;
        Q_EMIT userMessage(
            QStringLiteral("Die Modellkennung \u201E%1\u201C enth\u00E4lt keine g\u00FCltige "
                           "Motor- oder Schaltzeitenanzahl; die bisherigen Werte gelten weiter.")
                .arg(m_modelText));
    } else if (parsed.countsValid) {
        m_modelFaultReported = false;
    }
    m_model = parsed.info;
    return parsed.countsValid;
}

void ControllerSession::watchdogTick() {
    if (m_activity == Activity::SendAll)
        return;
    if (m_rxCount == m_rxCountAtLastCheck)
        markDisconnected();
    m_rxCountAtLastCheck = m_rxCount;
}

void ControllerSession::markDisconnected() {
    const bool wasConnected = m_connected;
    m_connected = false;
    m_panels.setText(StatusPanels::Model, kNoConnectionText);
    Q_EMIT changedEvent(ChangedEvent::ConnectionLost);
    if (wasConnected)
        Q_EMIT connectionLost();
}

void ControllerSession::toggleLuxMean() {
    m_luxMeanShown = !m_luxMeanShown;
    Q_EMIT luxModeChanged(m_luxMeanShown);
}

void ControllerSession::registerPollHandlers() {
    registerHandler("smo", [this](const QByteArray& p) {
        m_modelText = fromCp1252(p);
        m_connected = true;
        m_panels.setText(StatusPanels::Model, m_modelText);
    });
    registerHandler("sfi", [this](const QByteArray& p) {
        m_panels.setText(StatusPanels::Version, QStringLiteral("V") + fromCp1252(p));
    });
    registerHandler("sdt", [this](const QByteArray& p) {
        m_panels.setText(StatusPanels::Date, fromCp1252(p));
    });
    registerHandler("sti", [this](const QByteArray& p) {
        m_panels.setText(StatusPanels::Time, fromCp1252(p));
    });
    registerHandler("skd", [this](const QByteArray& p) { onLiveValues(p); });
    registerHandler("sds", [this](const QByteArray& p) {
        if (const auto v = parseValues("sds", p))
            Q_EMIT dcfLed((*v)[0] == 1);
    });
    registerHandler("sts", [this](const QByteArray&) { stopDcfIndicator(); });
}

void ControllerSession::onLiveValues(const QByteArray& payload) {
    const auto values = parseValues("skd", payload);
    if (!values)
        return;
    m_live = decodeLiveValues(*values, m_luxMeanShown, m_model.hasOutdoorAutomatics());
    if (m_live.sunPanel)
        m_panels.setText(StatusPanels::Sun, *m_live.sunPanel);
    if (m_live.windPanel)
        m_panels.setText(StatusPanels::Wind, *m_live.windPanel);
    if (m_live.insidePanel)
        m_panels.setText(StatusPanels::Inside, *m_live.insidePanel);
    if (m_live.outsidePanel)
        m_panels.setText(StatusPanels::Outside, *m_live.outsidePanel);
    Q_EMIT liveValues(m_live);
}

// --- radio-clock indicator ------------------------------------------------------

void ControllerSession::startDcfIndicator() {
    if (m_dcfTimer.isActive())
        return;
    send(QByteArrayLiteral(" sdr"));
    m_pollTimer.stop();
    m_dcfTimer.start();
    Q_EMIT dcfIndicatorChanged(true);
}

void ControllerSession::stopDcfIndicator() {
    if (!m_dcfTimer.isActive())
        return;
    m_dcfTimer.stop();
    startPolling();
    Q_EMIT dcfIndicatorChanged(false);
}

void ControllerSession::dcfTick() {
    send(QByteArrayLiteral(" sti"));
    send(QByteArrayLiteral(" sds"));
}

} // namespace korvane
