#include "serial/SerialError.h"

#include <cerrno>
#include <cstring>

namespace korvane {
namespace {

const QString kDialoutHint = QStringLiteral(
    "Benutzer in die Gruppe \u201Edialout\u201C aufnehmen (sudo usermod -aG dialout $USER) "
    "und neu anmelden.");

QString osText(int osError) {
    return QString::fromLocal8Bit(std::strerror(osError));
}

// Why a device that exists does not open, in German for the errors a wrong
// path gives; the OS text for the rest.
QString ioReason(int osError) {
    switch (osError) {
    case EISDIR:
        return QStringLiteral("das ist ein Ordner");
    case ENOTTY:
        return QStringLiteral("das ist keine serielle Schnittstelle");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler");
    default:
        return QStringLiteral("Fehler %1, %2").arg(osError).arg(osText(osError));
    }
}

} // namespace

SerialError SerialError::fromOsError(const QString& device, int osError) {
    Kind kind = Kind::Io;
    switch (osError) {
    case 0:
        return {Kind::None, 0, device};
    case ENOENT:
    case ENODEV:
    case ENXIO:
        kind = Kind::NotFound;
        break;
    case EBUSY:
    case EAGAIN: // a lock held by another program
        kind = Kind::Busy;
        break;
    case EACCES:
    case EPERM:
        kind = Kind::Permission;
        break;
    default:
        break;
    }
    return {kind, osError, device};
}

QString serialErrorText(const SerialError& e) {
    switch (e.kind) {
    case SerialError::Kind::None:
        return {};
    case SerialError::Kind::NotFound:
        return QStringLiteral("Serielle Schnittstelle %1 nicht gefunden.").arg(e.device);
    case SerialError::Kind::Busy:
        return QStringLiteral("Serielle Schnittstelle %1 ist belegt: ein anderes Programm hat "
                              "sie ge\u00F6ffnet oder gesperrt.")
            .arg(e.device);
    case SerialError::Kind::Permission:
        return QStringLiteral("Keine Berechtigung f\u00FCr die serielle Schnittstelle %1: ")
                   .arg(e.device) +
               kDialoutHint;
    case SerialError::Kind::Io:
        return QStringLiteral("Serielle Schnittstelle %1 l\u00E4sst sich nicht \u00F6ffnen: %2.")
            .arg(e.device, ioReason(e.osError));
    case SerialError::Kind::Lost:
        return QStringLiteral(
                   "Verbindung zur Steuerung verloren: die Schnittstelle %1 wurde getrennt.")
            .arg(e.device);
    }
    return {};
}

QString serialOpenErrorReport(const SerialError& e) {
    switch (e.kind) {
    case SerialError::Kind::NotFound:
        return QStringLiteral("Specified device not found (%1).").arg(e.device);
    case SerialError::Kind::Busy:
    case SerialError::Kind::Permission:
    case SerialError::Kind::Io:
        break;
    case SerialError::Kind::None:
    case SerialError::Kind::Lost:
        return serialErrorText(e);
    }
    QString text = QStringLiteral("Can't open specified device %1").arg(e.device) +
                   QStringLiteral(" (Error %1, %2)").arg(e.osError).arg(osText(e.osError));
    if (e.kind == SerialError::Kind::Permission)
        text += QStringLiteral("\nKeine Berechtigung: ") + kDialoutHint;
    return text;
}

} // namespace korvane
