#pragma once

#include <QMetaType>
#include <QString>

namespace korvane {

// Why a serial device could not be opened, or why an open one was lost: a
// small kind for the program to act on, and the OS error number behind it (0
// when the OS gave none), as libserialport reports a result code and the last
// error code.
struct SerialError {
    enum class Kind {
        None,       // opened
        NotFound,   // no such device (ENOENT, ENODEV, ENXIO)
        Busy,       // in use by another program
        Permission, // no right to open it (EACCES, EPERM)
        Io,         // any other failure of the device or its setup
        Lost,       // the open device went away (adapter unplugged, far end hung up)
    };
    Kind kind = Kind::None;
    int osError = 0;
    QString device;

    bool ok() const { return kind == Kind::None; }
    // The kind that an OS error number of a failed open stands for.
    static SerialError fromOsError(const QString& device, int osError);

    friend bool operator==(const SerialError&, const SerialError&) = default;
};

// The program's own German text for an error, naming the device, e.g.
// "Serielle Schnittstelle /dev/ttyUSB0 nicht gefunden." or, for a lost
// device, "Verbindung zur Steuerung verloren: die Schnittstelle /dev/ttyUSB0
// wurde getrennt."
QString serialErrorText(const SerialError& error);

// The desktop's error report for a failed open, in the words of the port
// module it has always shown: "Specified device not found (<device>)." or
// "Can't open specified device <device> (Error <n>, <OS text>)", the latter
// with a hint on the dialout group for a missing permission. Other kinds get
// serialErrorText().
QString serialOpenErrorReport(const SerialError& error);

} // namespace korvane

Q_DECLARE_METATYPE(korvane::SerialError)
