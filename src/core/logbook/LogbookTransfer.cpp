#include "logbook/LogbookTransfer.h"

#include "session/ControllerSession.h"

#include <QPointer>

namespace korvane {
namespace {

const QString kReadPanelText = QStringLiteral("Logbuch Daten");
const QString kExportPanelText = QStringLiteral("Save Logbuch to Disk");

} // namespace

LogbookTransfer::LogbookTransfer(ControllerSession& session, MotorNameLookup motorNames,
                                 QObject* parent)
    : QObject(parent), m_session(session), m_motorNames(std::move(motorNames)) {
    m_silence.setSingleShot(true);
    m_silence.setInterval(kDefaultSilenceTimeoutMs);
    connect(&m_silence, &QTimer::timeout, this, &LogbookTransfer::onSilence);
    connect(&m_session, &ControllerSession::frameReceived, this, &LogbookTransfer::onFrame);
    // The session may outlive the transfer: the handlers check first.
    const QPointer<LogbookTransfer> self(this);
    const auto route = [self](void (LogbookTransfer::*handler)(const QByteArray&)) {
        return [self, handler](const QByteArray& payload) {
            if (self)
                (self.data()->*handler)(payload);
        };
    };
    m_session.registerHandler("sla", route(&LogbookTransfer::onSla));
    m_session.registerHandler("sld", route(&LogbookTransfer::onSld));
    m_session.registerHandler("slf", route(&LogbookTransfer::onSlf));
}

LogbookTransfer::~LogbookTransfer() = default;

void LogbookTransfer::setSilenceTimeout(int ms) {
    m_silence.setInterval(ms);
}

bool LogbookTransfer::canStart(QString* error) const {
    if (m_mode == Mode::Idle && m_session.activity() == Activity::Idle)
        return true;
    if (error)
        *error = QStringLiteral("Eine andere Übertragung läuft noch.");
    return false;
}

bool LogbookTransfer::startRead(bool fromStart) {
    if (!canStart(nullptr))
        return false;
    m_session.send("smn");
    m_session.send("sla");
    if (fromStart)
        m_session.send("slr");
    m_entriesThisRead = 0;
    m_check.begin(fromStart ? 1 : m_nextPageFirst, LogbookList::kPageSize);
    begin(Mode::Read, "sld");
    return true;
}

bool LogbookTransfer::startExport(const QString& path, QString* error) {
    if (!canStart(error))
        return false;
    if (!m_export.open(path, error))
        return false;
    m_export.writeLine(kLogExportHeader);
    m_merged.begin(1, 0);
    m_exportPasses = 0;
    m_mode = Mode::Export;
    m_session.setActivity(Activity::Logbook);
    Q_EMIT busyChanged(true);
    sendExportRequests();
    return true;
}

void LogbookTransfer::sendExportRequests() {
    m_exportedEntries = 0;
    ++m_exportPasses;
    m_check.begin(1, 0);
    m_heard = false;
    m_session.send("smn");
    m_session.send("sla");
    m_session.send("slf");
    m_silence.start();
    Q_EMIT progress(0, m_logCount);
}

void LogbookTransfer::begin(Mode mode, const QByteArray& lastRequest) {
    m_mode = mode;
    m_heard = false;
    m_session.setActivity(Activity::Logbook);
    Q_EMIT busyChanged(true);
    m_session.send(lastRequest);
    m_silence.start();
}

bool LogbookTransfer::clearLog() {
    if (isBusy())
        return false;
    m_session.send("sll");
    m_list.blank();
    m_lastLogEntry = 1;
    m_nextPageFirst = 1;
    Q_EMIT listReset();
    return true;
}

void LogbookTransfer::stop(const QString& message) {
    if (isBusy())
        finish(false, message);
}

void LogbookTransfer::finish(bool ok, QString message) {
    const Mode mode = m_mode;
    m_silence.stop();
    m_mode = Mode::Idle;
    if (mode == Mode::Export) {
        if (ok) {
            QString error;
            if (!m_export.commit(&error)) {
                ok = false;
                message = error;
            }
        } else {
            m_export.discard();
        }
    }
    m_session.panels().setText(StatusPanels::Activity, QString());
    m_session.setActivity(Activity::Idle);
    Q_EMIT busyChanged(false);
    Q_EMIT finished(ok, message);
}

void LogbookTransfer::onFrame(const QByteArray& code, const QByteArray& payload) {
    if (!isBusy())
        return;
    m_heard = true;
    m_silence.start();
    if (code == "smn" && !payload.isEmpty())
        m_check.nameArrived(payload.at(0) - '0');
}

void LogbookTransfer::endPass() {
    if (m_mode == Mode::Export) {
        endExportPass();
        return;
    }
    // The controller's read position moved on by the page either way.
    m_nextPageFirst = m_check.last() + 1;
    if (m_check.complete()) {
        m_session.addRxCount(1);
        finish(true, QString());
    } else {
        finish(false,
               QStringLiteral("Logbuch unvollst\u00E4ndig, es fehlen: ") + m_check.missing());
    }
}

void LogbookTransfer::endExportPass() {
    const bool brought = m_merged.absorb(m_check);
    if (m_merged.complete()) {
        m_session.addRxCount(1);
        writeExport();
        finish(true, QString());
        return;
    }
    // The first pass is always asked for again; later ones only while they
    // bring something that was missing.
    if (m_exportPasses < kMaxPasses && (m_exportPasses == 1 || brought)) {
        sendExportRequests();
        return;
    }
    finish(false, QStringLiteral("Logbuch-Export unvollst\u00E4ndig, es fehlen: ") +
                      m_merged.missing() + QStringLiteral(". Die Datei wurde nicht geschrieben."));
}

void LogbookTransfer::writeExport() {
    const int count = m_merged.count();
    const QList<LogEntry> entries = m_merged.entries();
    for (const LogEntry& e : entries)
        m_export.writeLine(logExportLine(e, count, logMotorName(e, m_motorNames)));
    // The end frame's line stands for the number after the oldest entry.
    LogEntry end = m_merged.endEntry();
    end.number = count + 1;
    m_export.writeLine(logExportLine(end, count, logMotorName(end, m_motorNames)));
    m_exportedEntries = int(entries.size());
}

void LogbookTransfer::onSilence() {
    if (!isBusy())
        return;
    if (m_heard) {
        endPass();
        return;
    }
    finish(false, m_mode == Mode::Export
                      ? QStringLiteral("Logbuch-Export abgebrochen: keine Antwort von der "
                                       "Steuerung. Die Datei wurde nicht geschrieben.")
                      : QStringLiteral("Logbuch lesen abgebrochen: keine Antwort von der "
                                       "Steuerung."));
}

void LogbookTransfer::onSla(const QByteArray& payload) {
    m_session.panels().setText(StatusPanels::Activity, kReadPanelText);
    const auto values = m_session.parseValues("sla", payload);
    if (!values)
        return;
    m_logCount = (*values)[0];
    m_check.countArrived(m_logCount);
    Q_EMIT logCountChanged(m_logCount);
    if (m_mode == Mode::Export)
        Q_EMIT progress(0, m_logCount);
}

std::optional<LogEntry> LogbookTransfer::takeEntry(const QByteArray& code,
                                                   const QByteArray& payload) {
    const auto values = m_session.parseValues(code, payload);
    if (!values)
        return std::nullopt;
    LogEntryDecode decoded = decodeLogEntry(*values);
    if (!decoded.entry)
        m_session.panels().setText(StatusPanels::Error, decoded.errorText);
    return decoded.entry;
}

qint64 LogbookTransfer::advance(const LogEntry& entry) {
    if (entry.isEnd())
        return qint64(m_lastLogEntry) + 1;
    m_lastLogEntry = entry.number;
    return entry.number;
}

void LogbookTransfer::onSld(const QByteArray& payload) {
    m_session.panels().setText(StatusPanels::Activity, kReadPanelText);
    const auto entry = takeEntry("sld", payload);
    if (!entry)
        return;
    const qint64 n = advance(*entry);
    LogEntry shown = *entry;
    shown.number = int(n);
    const QString text = logListRow(shown, m_logCount, logMotorName(shown, m_motorNames));
    const int row =
        entry->isEnd() ? m_list.placeEnd(n, text, m_entriesThisRead > 0) : m_list.place(n, text);
    if (row == 0)
        Q_EMIT listReset();
    Q_EMIT rowChanged(row, text);
    if (!entry->isEnd()) {
        ++m_entriesThisRead;
        m_check.entryArrived(*entry);
        Q_EMIT entryRead(shown, text);
    }
    m_selectedRow = entry->isEnd() ? 0 : row;
    Q_EMIT rowSelected(m_selectedRow);
    if (entry->isEnd() && m_mode == Mode::Read) {
        m_check.endArrived(*entry);
        endPass();
    }
}

void LogbookTransfer::onSlf(const QByteArray& payload) {
    m_session.panels().setText(StatusPanels::Activity, kExportPanelText);
    if (m_mode != Mode::Export)
        return; // no export file is open: a late frame of an abandoned export
    const auto entry = takeEntry("slf", payload);
    if (!entry)
        return;
    const qint64 n = advance(*entry);
    if (!entry->isEnd()) {
        ++m_exportedEntries;
        m_check.entryArrived(*entry);
        Q_EMIT progress(int(n), m_logCount);
    }
    m_session.panels().setText(StatusPanels::Activity,
                               QStringLiteral("Logbuch Zeile ") + QString::number(n));
    // The lines are written once the whole log is known to be there.
    if (entry->isEnd()) {
        m_check.endArrived(*entry);
        endPass();
    }
}

} // namespace korvane
