#pragma once

#include "history/LiveSample.h"

#include <QStringList>

class QIODevice;

namespace korvane {

class LiveHistory;

// The live-value CSV that the desktop export and `korvane-cli monitor` both
// write, made for German spreadsheet programs: UTF-8 with a byte order mark
// (so that "°C" and "Außen" survive), semicolons, decimal commas, CRLF line
// ends, local time "dd.MM.yyyy HH:mm:ss". A value the controller does not
// measure (no sensor) is an empty cell; rain and alarm are 0 or 1.
class HistoryCsvWriter {
public:
    explicit HistoryCsvWriter(QIODevice& device) : m_device(device) {}

    static QStringList columns();
    static QStringList cells(const LiveSample& sample);
    // Tenths as "21,5", "-0,5".
    static QString decimalTenths(int tenths);

    // The byte order mark and the heading line, with its line end.
    static QByteArray header();
    bool writeHeader();
    bool writeRow(const LiveSample& sample);

private:
    bool writeLine(const QStringList& cells);
    QIODevice& m_device;
};

// Whether rows may be added to `path`: a missing or empty file may take them
// (it gets the heading first), and so may a file that begins with exactly
// this heading. Anything else is some other file, which must stay as it is:
// the German reason is returned then, else an empty text.
QString historyCsvAppendProblem(const QString& path);

// The whole history into `path`, atomically: the file is replaced only when
// every row was written. On failure returns false and sets *error (German).
bool saveHistoryCsv(const LiveHistory& history, const QString& path, QString* error);

} // namespace korvane
