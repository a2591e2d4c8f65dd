#pragma once

#include <QByteArray>
#include <QString>

namespace korvane {

// The controller, the settings file and the logbook export all speak 8-bit
// Windows-1252. Convert at the edges only; inside, text is QString.
QString fromCp1252(QByteArrayView bytes);

// Characters that Windows-1252 cannot hold become '?'.
QByteArray toCp1252(QStringView text);

} // namespace korvane
