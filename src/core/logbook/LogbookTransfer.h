#pragma once

#include "logbook/LogExportFile.h"
#include "logbook/LogFormat.h"
#include "logbook/LogPassCheck.h"
#include "logbook/LogbookList.h"

#include <QObject>
#include <QTimer>

namespace korvane {

class ControllerSession;

// Reads the controller's logbook page by page into a LogbookList, exports the
// whole log to a file and clears it. Owns the "sla", "sld" and "slf" reply
// handlers of the session. While a read or export runs the session's activity
// is Logbook (no polling); the end frame (N = 9999), or a silence longer than
// the time-out, brings it back to Idle.
//
// A transfer succeeds only when everything it covers arrived intact: the
// entry count, the motor names, every entry number of the page (a read) or of
// the whole log (an export) and the end frame. An incomplete export is asked
// for again, and the passes are merged by entry number while the count stays
// the same (a new count starts the gathering over). It is asked for at most
// kMaxPasses times, and only while each further pass brings something that
// was missing; then it fails without touching the file. An incomplete page
// read fails naming what is missing.
class LogbookTransfer : public QObject {
    Q_OBJECT
public:
    enum class Mode { Idle, Read, Export };

    // At 9600 baud one entry frame takes about 45 ms on the wire. Five seconds
    // without any reply (two watchdog periods, over a hundred frame times)
    // means the controller is not going to finish the transfer.
    static constexpr int kDefaultSilenceTimeoutMs = 5000;
    // Passes over the whole log that an export (or a caller gathering pages)
    // makes at most before it gives up.
    static constexpr int kMaxPasses = 4;

    LogbookTransfer(ControllerSession& session, MotorNameLookup motorNames,
                    QObject* parent = nullptr);
    ~LogbookTransfer() override;

    void setMotorNames(MotorNameLookup motorNames) { m_motorNames = std::move(motorNames); }
    void setSilenceTimeout(int ms);
    int silenceTimeout() const { return m_silence.interval(); }

    // "Logbuch lesen" (the next 100 entries) or "Ab Anfang". Returns false,
    // sending nothing, while another long operation runs.
    bool startRead(bool fromStart);
    // "Save to Disk" into `path`. The file is created before anything is sent;
    // when that fails (or another operation runs) returns false with the user
    // text in *error and changes nothing.
    bool startExport(const QString& path, QString* error = nullptr);
    // "Logbuch löschen": clears the controller's log and the list. Refused
    // (false, nothing sent) while a read or export runs.
    bool clearLog();
    // Ends a running read or export at once as a failure with `message`; an
    // export leaves its file untouched. Does nothing while idle.
    void stop(const QString& message);

    Mode mode() const { return m_mode; }
    bool isBusy() const { return m_mode != Mode::Idle; }
    int logCount() const { return m_logCount; }
    int lastLogEntry() const { return m_lastLogEntry; }
    const LogbookList& list() const { return m_list; }
    int selectedRow() const { return m_selectedRow; }
    // The last page read reached the oldest entry.
    bool readReachedEnd() const { return m_check.countKnown() && m_check.last() >= m_logCount; }
    // Entries written by the running or last export (header and the end
    // frame's line not counted).
    int exportedEntries() const { return m_exportedEntries; }
    // What the running or last page read (or export pass) brought.
    const LogPassCheck& lastCheck() const { return m_check; }
    // Any frame arrived during the running or last transfer.
    bool heardAnything() const { return m_heard; }

Q_SIGNALS:
    // A read or export started (true) or ended (false): the buttons and the
    // page control follow it.
    void busyChanged(bool busy);
    // Every row of list() may have changed (a new page, a clear).
    void listReset();
    void rowChanged(int row, const QString& text);
    void rowSelected(int row);
    // An entry (not the end frame) of a read was put into the list.
    void entryRead(const korvane::LogEntry& entry, const QString& rowText);
    void logCountChanged(int count);
    // Export progress: entry number `value` of `maximum` (LogCount).
    void progress(int value, int maximum);
    // A read or export ended: with its end frame (ok), or by a time-out or a
    // file error with a user text.
    void finished(bool ok, const QString& message);

private:
    bool canStart(QString* error) const;
    void begin(Mode mode, const QByteArray& lastRequest);
    void finish(bool ok, QString message);
    void onSla(const QByteArray& payload);
    void onSld(const QByteArray& payload);
    void onSlf(const QByteArray& payload);
    void onFrame(const QByteArray& code, const QByteArray& payload);
    void onSilence();
    // The end frame came, or the line fell silent after some frames.
    void endPass();
    // Merges the export pass that ended; writes, asks again or gives up.
    void endExportPass();
    void sendExportRequests();
    void writeExport();
    // Parses and checks an entry payload; reports failures in panel 5.
    std::optional<LogEntry> takeEntry(const QByteArray& code, const QByteArray& payload);
    // The entry number the frame stands for: its own, or LastLogEntry + 1 for the end frame.
    qint64 advance(const LogEntry& entry);

    ControllerSession& m_session;
    MotorNameLookup m_motorNames;
    LogbookList m_list;
    LogExportFile m_export;
    QTimer m_silence;
    Mode m_mode = Mode::Idle;
    int m_logCount = 0;
    int m_lastLogEntry = 0;
    int m_selectedRow = 0;
    int m_entriesThisRead = 0;
    int m_exportedEntries = 0;

    LogPassCheck m_check;  // the running page read or export pass
    LogPassCheck m_merged; // the export's passes together
    bool m_heard = false;  // a frame arrived during this transfer
    int m_exportPasses = 0;
    int m_nextPageFirst = 1;
};

} // namespace korvane
