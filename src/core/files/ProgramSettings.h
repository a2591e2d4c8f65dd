#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace korvane {

// Korvane.ini: line 1 holds the COM port number 1..8, as older files have it.
// Further lines "COM<n>=<device path>" map a port to a device on this system;
// without one, COM n opens /dev/ttyS<n-1>. Unknown lines are kept as they are.
class ProgramSettings {
public:
    static constexpr int kPortCount = 8;
    static inline const QString kFileName = QStringLiteral("Korvane.ini");

    // Where the file lives: in the working directory when it is there or the
    // directory is writable; otherwise (an installed program started where it
    // may not write) in the user's configuration folder, `fallback` set so
    // that the user can be told.
    struct Location {
        QString path;
        bool fallback = false;
    };
    static Location locate();

    // Reads `path`; lines may end in CR LF, LF or CR. A missing file gives
    // COM 1 and no warning; one that cannot be read (a folder, a FIFO, no
    // permission, above 1 MB) gives COM 1 and says why in *warning. A first
    // line that is no port number gives COM 1 (a mapping line there still
    // maps); it and every other line that is no mapping are named in *warning
    // for the user, and so is every further mapping of a port already mapped,
    // with the line that counts (the first).
    static ProgramSettings load(const QString& path, QString* warning = nullptr);
    static ProgramSettings fromBytes(QByteArrayView bytes, QString* warning = nullptr);

    int port() const { return m_port; }
    void setPort(int port) { m_port = port; }
    QString deviceFor(int port) const;
    // The device a mapping line names for `port`; empty without one.
    QString mappedDevice(int port) const;
    void setDevice(int port, const QString& device);
    // The ports a new mapping line would give a device to, lowest first: no
    // line maps them yet, and their /dev/ttyS device is none of the
    // `systemPorts` (the serial ports the system has).
    QList<int> freePorts(const QStringList& systemPorts) const;

    // Rewrites the file with the current port on line 1 and every other line
    // kept. Returns false when the file cannot be written.
    bool save(const QString& path) const;
    QByteArray toBytes() const;

private:
    int m_port = 1;
    QStringList m_otherLines; // everything after line 1, mapping lines included
};

} // namespace korvane
