// A logbook entry reply of any content: decoding refuses what does not check,
// and a decoded entry gives a list row and an export line that the export
// file's 8-bit character set can hold, with exactly its six fields.
//
// Input: bytes 0-1 the log count, the rest the reply payload.

#include "FuzzSupport.h"

#include "logbook/LogFormat.h"
#include "text/Cp1252.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int logCount = data[0] | data[1] << 8;
    const auto values = parseReplyValues(
        QByteArrayView(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2)));
    if (!values)
        return 0;
    const LogEntryDecode decoded = decodeLogEntry(*values);
    FUZZ_CHECK(decoded.entry.has_value() == decoded.errorText.isEmpty());
    if (!decoded.entry)
        return 0;
    const LogEntry& entry = *decoded.entry;
    FUZZ_CHECK(encodeLogEntry(entry).startsWith(QByteArray::number(entry.number) + ','));

    const QString name = logMotorName(entry, [](int m) { return MotorNames::defaultName(m - 1); });
    const QString row = logListRow(entry, logCount, name);
    const QString line = logExportLine(entry, logCount, name);
    FUZZ_CHECK(line.count(QLatin1Char(';')) == 5);
    FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
    FUZZ_CHECK(fromCp1252(toCp1252(line)) == line);
    FUZZ_CHECK(fromCp1252(toCp1252(row)) == row);
    return 0;
}
