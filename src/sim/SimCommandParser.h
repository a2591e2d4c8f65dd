#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace korvane {

// How the CR-terminated fields after a command key are read.
enum class SimFieldType {
    Number, // optional '-' and decimal digits, fits 32 bits
    Text,   // any bytes up to the CR
};

// How a write block proves itself.
enum class SimCheck {
    None,
    Sum,         // the last value is the plain 32-bit sum of the others
    LastRepeats, // the last field repeats the one before it (motor names)
};

// One command the controller understands: the bytes that open it and the
// CR-terminated fields that follow. Requests have no fields ("sfi", " sdr");
// a CR after them is tolerated and dropped.
struct SimCommand {
    QByteArray key;
    int fieldCount = 0;
    SimFieldType fieldType = SimFieldType::Number;
    SimCheck check = SimCheck::None;
};

// What the parser made of the bytes the program wrote.
struct SimParsed {
    enum class Kind {
        Command,   // a complete command of the table
        Ignored,   // bytes that are no command of the table
        Abandoned, // a write whose field was not a number; its key and the
                   // fields before the bad one are dropped, the rest is read anew
    };
    Kind kind = Kind::Command;
    int command = -1;         // index into the table (Command)
    QList<QByteArray> fields; // raw field texts without their CR (Command)
    QList<qint32> values;     // the fields as numbers (Number commands)
    bool checkOk = true;      // the block's own check (Command)
    QByteArray bytes;         // Ignored / Abandoned: the bytes concerned
};

// Splits the byte stream the program writes into table commands. Keys are
// matched longest first at the head of the stream; bytes that start no key are
// collected and reported as ignored. A command whose key or fields are not yet
// complete waits for the next feed, so commands may be split across reads
// arbitrarily.
class SimCommandParser {
public:
    // A field longer than this without its CR ends the write as abandoned.
    static constexpr qsizetype kMaxFieldLength = 40;

    explicit SimCommandParser(QList<SimCommand> commands);

    QList<SimParsed> feed(QByteArrayView bytes);
    // Bytes held back because a command is not complete yet.
    const QByteArray& pending() const { return m_buffer; }
    void clear();
    const QList<SimCommand>& commands() const { return m_commands; }

private:
    enum class Step { Done, NeedMore, Progress };
    Step takeCommand(QList<SimParsed>& out);
    void flushIgnored(QList<SimParsed>& out);

    QList<SimCommand> m_commands;
    QByteArray m_buffer;
    QByteArray m_ignored;
};

// True when `text` is an optional '-' followed by 1..10 digits that fit 32 bits.
bool parseSimNumber(QByteArrayView text, qint32* value);

} // namespace korvane
