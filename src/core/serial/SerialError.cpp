#include "serial/SerialError.h"

#include <cerrno>
#include <cstring>

namespace korvane {

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
        return QStringLiteral("Specified device not found (%1).").arg(e.device);
    case SerialError::Kind::Busy:
    case SerialError::Kind::Permission:
    case SerialError::Kind::Io:
        break;
    }
    QString text = QStringLiteral("Can't open specified device %1").arg(e.device) +
                   QStringLiteral(" (Error %1, %2)")
                       .arg(e.osError)
                       .arg(QString::fromLocal8Bit(std::strerror(e.osError)));
    if (e.kind == SerialError::Kind::Permission)
        text += QStringLiteral(
            "\nKeine Berechtigung: Benutzer in die Gruppe \u201Edialout\u201C aufnehmen "
            "(sudo usermod -aG dialout $USER) und neu anmelden.");
    return text;
}

} // namespace korvane
