#pragma once

#include <QString>
#include <QTextStream>

namespace korvane::cli {

// Progress on a terminal: one updating line on a TTY, a line per tenth otherwise.
class ProgressPrinter {
public:
    ProgressPrinter(QTextStream& stream, QString label);
    void update(qint64 value, qint64 maximum);
    void finish();

private:
    QTextStream& m_stream;
    QString m_label;
    bool m_tty;
    int m_lastShown = -1;
};

} // namespace korvane::cli
