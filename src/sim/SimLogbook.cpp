#include "SimLogbook.h"

#include <vector>

namespace korvane {
namespace {

// Event kinds and how often the simulated controller logs them (weights).
struct EventKind {
    int weight;
    std::vector<int> causes;
};

const EventKind kEventKinds[] = {
    {30, {0}},                                             // switch times firing
    {30, {1, 2, 3, 6, 7, 10, 14, 15, 16, 17, 21, 22, 23}}, // automatics
    {15, {4, 5}},                                          // manual moves
    {6, {11, 12, 13}},                                     // motor deactivated
    {3, {9}},                                              // restarts
    {4, {8, 20}},                                          // alarms
    {2, {18, 19}},                                         // clock changes
};

} // namespace

SimLogbook::SimLogbook(quint32 randomSeed, QObject* parent)
    : QObject(parent), m_random(randomSeed), m_seedClock(QDate(2026, 1, 5), QTime(6, 0)) {
    connect(&m_growth, &QTimer::timeout, this, [this] { record(generate(now())); });
}

QDateTime SimLogbook::now() const {
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void SimLogbook::logEvent(int cause, int motor, bool up, int kind) {
    record(stamped(cause, motor, up, kind, now()));
}

LogEntry SimLogbook::stamped(int cause, int motor, bool up, int kind, const QDateTime& when) {
    LogEntry e;
    e.cause = cause;
    e.kind = kind;
    e.motor = motor;
    e.direction = up ? 1 : 0;
    e.day = when.date().day();
    e.month = when.date().month();
    e.hour = when.time().hour();
    e.minute = when.time().minute();
    return e;
}

void SimLogbook::logEventAt(const QDateTime& when, int cause, int motor, bool up, int kind) {
    record(stamped(cause, motor, up, kind, when));
}

bool SimLogbook::isLogbookRequest(QByteArrayView request) {
    const QByteArrayView r = request.trimmed();
    return r == "sla" || r == "sld" || r == "slf" || r == "slr" || r == "sll";
}

QList<QByteArray> SimLogbook::handle(QByteArrayView request) {
    const QByteArrayView r = request.trimmed();
    QList<QByteArray> out;
    if (r == "sla") {
        out.append(frame("sla", QByteArray::number(count()) + ','));
    } else if (r == "sld") {
        const int first = qMin(m_readPosition, count()) + 1;
        const int last = qMin(first + kEntriesPerRead - 1, count());
        appendEntryFrames(out, "sld", first, last);
        m_readPosition = qMax(last, first - 1);
    } else if (r == "slf") {
        appendEntryFrames(out, "slf", 1, count());
    } else if (r == "slr") {
        m_readPosition = 0;
    } else if (r == "sll") {
        clear();
    }
    return out;
}

void SimLogbook::appendEntryFrames(QList<QByteArray>& out, const char* code, int first,
                                   int last) const {
    out.reserve(out.size() + qMax(0, last - first + 1) + 1);
    for (int n = first; n <= last; ++n)
        out.append(frame(code, encodeLogEntry(entry(n))));
    out.append(frame(code, encodeLogEntry(endEntry())));
}

QByteArray SimLogbook::frame(const char* code, const QByteArray& payload) const {
    return QByteArray("start_") + code + payload + "ende_";
}

LogEntry SimLogbook::entry(int n) const {
    LogEntry e = m_entries.value(count() - n);
    e.number = n;
    return e;
}

LogEntry SimLogbook::endEntry() {
    LogEntry e;
    e.number = LogEntry::kEndNumber;
    e.motor = 1;
    return e;
}

void SimLogbook::seed(int count) {
    for (int i = 0; i < count; ++i) {
        m_seedClock = m_seedClock.addSecs(60 * (1 + m_random.bounded(240)));
        record(generate(m_seedClock));
    }
}

void SimLogbook::clear() {
    m_entries.clear();
    m_readPosition = 0;
}

void SimLogbook::record(const LogEntry& event) {
    if (m_entries.size() >= kCapacity)
        m_entries.removeFirst();
    m_entries.append(event);
}

void SimLogbook::startGrowing(int intervalMs) {
    if (intervalMs <= 0) {
        m_growth.stop();
        return;
    }
    m_growth.start(intervalMs);
}

LogEntry SimLogbook::generate(const QDateTime& when) {
    int total = 0;
    for (const EventKind& k : kEventKinds)
        total += k.weight;
    int pick = int(m_random.bounded(total));
    const EventKind* kind = &kEventKinds[0];
    for (const EventKind& k : kEventKinds) {
        if (pick < k.weight) {
            kind = &k;
            break;
        }
        pick -= k.weight;
    }
    const int cause = kind->causes[m_random.bounded(int(kind->causes.size()))];
    const int switchKind = cause == 0 ? int(m_random.bounded(3)) : 0;
    const int motor = 1 + int(m_random.bounded(8));
    const bool up = m_random.bounded(2) == 1;
    return stamped(cause, motor, up, switchKind, when);
}

} // namespace korvane
