#include "SimCommandParser.h"

#include <algorithm>
#include <limits>

namespace korvane {

namespace {

// Line filler that a request may carry after it; dropped without a trace when
// it stands alone between commands.
bool isFiller(char c) {
    return c == '\r' || c == '\n' || c == '\0' || c == '\x11' || c == '\x13';
}

bool checkPasses(const SimCommand& command, const SimParsed& parsed) {
    switch (command.check) {
    case SimCheck::None:
        return true;
    case SimCheck::Sum: {
        if (parsed.values.isEmpty())
            return false;
        quint32 sum = 0; // the controller adds in 32 bits and lets it wrap
        for (qsizetype i = 0; i + 1 < parsed.values.size(); ++i)
            sum += static_cast<quint32>(parsed.values[i]);
        return static_cast<qint32>(sum) == parsed.values.last();
    }
    case SimCheck::LastRepeats:
        return parsed.fields.size() >= 2 &&
               parsed.fields.last() == parsed.fields[parsed.fields.size() - 2];
    }
    return false;
}

} // namespace

bool parseSimNumber(QByteArrayView text, qint32* value) {
    qsizetype i = 0;
    bool negative = false;
    if (!text.isEmpty() && text[0] == '-') {
        negative = true;
        i = 1;
    }
    const qsizetype digits = text.size() - i;
    if (digits < 1 || digits > 10)
        return false;
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        return false;
    *value = static_cast<qint32>(v);
    return true;
}

SimCommandParser::SimCommandParser(QList<SimCommand> commands) : m_commands(std::move(commands)) {}

void SimCommandParser::clear() {
    m_buffer.clear();
    m_ignored.clear();
}

QList<SimParsed> SimCommandParser::feed(QByteArrayView bytes) {
    m_buffer.append(bytes);
    QList<SimParsed> out;
    while (!m_buffer.isEmpty()) {
        const Step step = takeCommand(out);
        if (step == Step::NeedMore)
            break;
    }
    flushIgnored(out);
    return out;
}

void SimCommandParser::flushIgnored(QList<SimParsed>& out) {
    if (m_ignored.isEmpty())
        return;
    SimParsed item;
    item.kind = SimParsed::Kind::Ignored;
    item.bytes = m_ignored;
    out.append(item);
    m_ignored.clear();
}

SimCommandParser::Step SimCommandParser::takeCommand(QList<SimParsed>& out) {
    // Longest key that the head matches, and whether a longer key could still
    // match once more bytes arrive.
    int matched = -1;
    bool couldGrow = false;
    for (int i = 0; i < m_commands.size(); ++i) {
        const QByteArray& key = m_commands[i].key;
        if (m_buffer.startsWith(key)) {
            if (matched < 0 || key.size() > m_commands[matched].key.size())
                matched = i;
        } else if (key.size() > m_buffer.size() && key.startsWith(m_buffer)) {
            couldGrow = true;
        }
    }
    if (couldGrow)
        return Step::NeedMore;
    if (matched < 0) {
        const char c = m_buffer.front();
        if (!(isFiller(c) && m_ignored.isEmpty()))
            m_ignored.append(c);
        m_buffer.remove(0, 1);
        return Step::Progress;
    }

    const SimCommand& command = m_commands[matched];
    SimParsed parsed;
    parsed.command = matched;
    qsizetype pos = command.key.size();
    for (int f = 0; f < command.fieldCount; ++f) {
        const qsizetype cr = m_buffer.indexOf('\r', pos);
        const qsizetype available = (cr < 0 ? m_buffer.size() : cr) - pos;
        bool bad = available > kMaxFieldLength;
        if (cr < 0 && !bad)
            return Step::NeedMore;
        const QByteArray text = m_buffer.mid(pos, std::min(available, kMaxFieldLength));
        if (!bad && command.fieldType == SimFieldType::Number) {
            qint32 v = 0;
            bad = !parseSimNumber(text, &v);
            if (!bad)
                parsed.values.append(v);
        }
        if (bad) {
            // Read what follows the last good field anew: a lost value should
            // cost this write only, not the requests behind it.
            flushIgnored(out);
            SimParsed abandoned;
            abandoned.kind = SimParsed::Kind::Abandoned;
            abandoned.command = matched;
            abandoned.bytes = m_buffer.left(pos);
            out.append(abandoned);
            m_buffer.remove(0, pos);
            return Step::Progress;
        }
        parsed.fields.append(text);
        pos = cr + 1;
    }
    flushIgnored(out);
    parsed.checkOk = checkPasses(command, parsed);
    out.append(parsed);
    m_buffer.remove(0, pos);
    return Step::Progress;
}

} // namespace korvane
