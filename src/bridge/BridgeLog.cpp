#include "BridgeLog.h"

#include <QDateTime>
#include <cstdio>

namespace korvane::bridge {

void logEvent(const QString& line) {
    static const bool journal = qEnvironmentVariableIsSet("JOURNAL_STREAM");
    QByteArray text;
    if (!journal)
        text = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() + ' ';
    // One event, one line: a line break inside (a motor name, a broker text)
    // would split it.
    QString flat = line;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    text += flat.toUtf8() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

} // namespace korvane::bridge
