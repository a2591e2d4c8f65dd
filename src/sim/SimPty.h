#pragma once

#include "SimFaults.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QTimer>
#include <deque>

class QSocketNotifier;

namespace korvane {

// The simulator's end of the serial line: a pseudo-terminal whose slave side
// the program opens like a serial port. The slave is kept open here as well,
// so the master sees no hang-up while the program closes and reopens it.
//
// Optional pacing holds both directions to 960 bytes per second, the speed of
// a 9600-baud line: replies are queued and released at that rate, and received
// bytes are handed on no faster. XOFF from the program holds the replies until
// XON. The transport also plays the line faults of
// SimFaults (junk, split frames, silence, a hang-up) and can be unplugged and
// replugged.
//
// The hang-up fault closes both ends that the simulator holds once the set
// number of bytes has been sent, so the program's end reports the lost device
// like an unplugged USB adapter; the link, if any, goes with it. kReplugMs
// later a fresh pseudo-terminal takes its place (a new slavePath()) and the
// link points to it.
class SimPty : public QObject {
    Q_OBJECT
public:
    static constexpr int kBytesPerSecond = 960;
    static constexpr int kPaceTickMs = 10;
    static constexpr char kXon = '\x11';
    static constexpr char kXoff = '\x13';
    static constexpr int kReplugMs = 1000;

    explicit SimPty(QObject* parent = nullptr);
    ~SimPty() override;

    // Creates the pseudo-terminal. On failure returns false with *error set.
    bool open(QString* error = nullptr);
    void close();
    bool isOpen() const { return m_master >= 0; }
    // The device path the program opens, e.g. /dev/pts/3.
    QString slavePath() const { return m_slavePath; }

    // A symbolic link to the slave (an existing link is replaced, any other file
    // is left alone and reported). Removed on close() when it still points here.
    bool createLink(const QString& path, QString* error = nullptr);
    QString linkPath() const { return m_linkPath; }

    void setPaced(bool paced);
    bool paced() const { return m_paced; }
    // Arms the hang-up, if any, counting from the bytes sent so far.
    void setFaults(const SimFaults& faults);
    const SimFaults& faults() const { return m_faults; }

    // false: the cable is pulled: incoming bytes are dropped unread by anyone,
    // queued and further replies are discarded. true: plugged in again.
    void setAnswering(bool answering);
    bool answering() const { return m_answering; }

    // One reply frame to send; junk and splitting apply per frame.
    void sendFrame(const QByteArray& frame);
    // Raw bytes, no fault shaping.
    void sendRaw(const QByteArray& bytes);
    qsizetype queuedOutput() const;
    qsizetype queuedInput() const { return m_input.size(); }
    qint64 bytesSent() const { return m_bytesSent; }
    qint64 bytesReceived() const { return m_bytesReceived; }

Q_SIGNALS:
    // Bytes from the program, at line speed when paced.
    void received(const QByteArray& bytes);
    // Every queued byte has been written to the line.
    void outputDrained();
    // The line hung up (hang-up fault); replugged() follows on the new device.
    void hungUp();
    void replugged();

private:
    struct Chunk {
        QByteArray bytes;
        int pauseBeforeMs = 0; // idle time before the chunk starts
    };
    void readMaster();
    void pump();
    void schedulePump(int ms);
    qsizetype writeMaster(const char* data, qsizetype size);
    void releaseInput();
    QByteArray takeFlowControl(QByteArray bytes);
    QByteArray junk();
    void hangUp();

    int m_master = -1;
    int m_slaveKeeper = -1;
    QString m_slavePath;
    QString m_linkPath;
    QSocketNotifier* m_notifier = nullptr;

    bool m_paced = false;
    bool m_answering = true;
    SimFaults m_faults;
    QRandomGenerator m_random{12345};

    std::deque<Chunk> m_output;
    bool m_pausing = false;       // the front chunk's pause is running
    bool m_stoppedByPeer = false; // XOFF received, no XON yet
    QTimer m_pumpTimer;
    QElapsedTimer m_outClock; // pacing budget of the output
    double m_outBudget = 0;
    QByteArray m_input; // received, not yet handed on (paced)
    QTimer m_inputTimer;
    QElapsedTimer m_inClock;
    double m_inBudget = 0;
    qint64 m_bytesSent = 0;
    qint64 m_bytesReceived = 0;
    qint64 m_hangupAt = -1; // m_bytesSent at which the line hangs up; -1: never
};

} // namespace korvane
