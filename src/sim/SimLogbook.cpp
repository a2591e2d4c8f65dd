#include "SimLogbook.h"

#include "SimParameters.h"

#include <QRandomGenerator>
#include <algorithm>
#include <span>

namespace korvane {
namespace {

// An event at `at` with a cause drawn from `causes` (repeats weigh more).
SimLogEvent randomEvent(QRandomGenerator& random, const QDateTime& at,
                        std::span<const int> causes) {
    SimLogEvent e;
    e.cause = causes[random.bounded(int(causes.size()))];
    e.kind = e.cause == 0 ? random.bounded(3) : 0;
    e.motor = 1 + random.bounded(8);
    e.up = at.time().hour() < 13;
    e.day = at.date().day();
    e.month = at.date().month();
    e.hour = at.time().hour();
    e.minute = at.time().minute();
    return e;
}

// Causes a quiet household produces: switch times, twilight, shading, wind,
// manual use, now and then a restart.
constexpr int kHouseholdCauses[] = {0, 0, 0, 2, 2, 1, 3, 4, 6, 21, 9};

// Everything the controller logs, switch times and automatics most often.
constexpr int kAllCauses[] = {0, 0, 0,  0,  0,  0,  1,  1,  2,  2,  3,  4,  4,  4,  5,  6,  7,
                              8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 21, 22, 23};

} // namespace

SimLogbook::SimLogbook() {
    m_growth.callOnTimeout([this] { grow(m_clock ? m_clock() : QDateTime::currentDateTime()); });
}

void SimLogbook::fill(int count, const QDateTime& now) {
    m_events.clear();
    m_readPosition = 0;
    QRandomGenerator random(7);
    QDateTime at = now;
    for (int i = 0; i < count && i < kCapacity; ++i) {
        at = at.addSecs(-qint64(600 + random.bounded(5 * 3600)));
        m_events.append(randomEvent(random, at, kHouseholdCauses));
    }
}

void SimLogbook::grow(const QDateTime& when) {
    add(randomEvent(m_random, when, kAllCauses));
}

void SimLogbook::startGrowing(int intervalMs, std::function<QDateTime()> clock) {
    m_clock = std::move(clock);
    if (intervalMs <= 0)
        m_growth.stop();
    else
        m_growth.start(intervalMs);
}

bool SimLogbook::isLogbookRequest(QByteArrayView request) {
    const QByteArrayView r = request.trimmed();
    return r == "sla" || r == "sld" || r == "slf" || r == "slr" || r == "sll";
}

QList<QByteArray> SimLogbook::handle(QByteArrayView request) {
    const QByteArrayView r = request.trimmed();
    QList<QByteArray> payloads;
    if (r == "sla")
        payloads.append(countPayload());
    else if (r == "sld")
        payloads = nextPagePayloads();
    else if (r == "slf")
        payloads = exportPayloads();
    else if (r == "slr")
        rewind();
    else if (r == "sll")
        clear();
    QList<QByteArray> frames;
    frames.reserve(payloads.size());
    for (const QByteArray& p : payloads)
        frames.append("start_" + r.toByteArray() + p + "ende_");
    return frames;
}

void SimLogbook::add(const SimLogEvent& event) {
    m_events.prepend(event);
    if (m_events.size() > kCapacity)
        m_events.removeLast();
}

void SimLogbook::clear() {
    m_events.clear();
    m_readPosition = 0;
}

QByteArray SimLogbook::countPayload() const {
    return QByteArray::number(count()) + ',';
}

QByteArray SimLogbook::entryPayload(int number, const SimLogEvent& e) {
    qint32 values[10] = {number,  e.motor, e.up ? 1 : 0, e.day,  e.month,
                         e.cause, e.hour,  e.minute,     e.kind, 0};
    for (int i = 0; i < 9; ++i)
        values[9] += values[i];
    return simValuesPayload(values);
}

QByteArray SimLogbook::endPayload() {
    // Motor 1 so that the receiver can name it; day and month 0: no entry.
    SimLogEvent none;
    none.day = 0;
    none.month = 0;
    return entryPayload(kEndNumber, none);
}

QList<QByteArray> SimLogbook::nextPagePayloads() {
    QList<QByteArray> out;
    const int end = std::min(count(), m_readPosition + kPageSize);
    for (int i = m_readPosition; i < end; ++i)
        out.append(entryPayload(i + 1, m_events[i]));
    m_readPosition = end;
    out.append(endPayload());
    return out;
}

QList<QByteArray> SimLogbook::exportPayloads() const {
    QList<QByteArray> out;
    for (int i = 0; i < count(); ++i)
        out.append(entryPayload(i + 1, m_events[i]));
    out.append(endPayload());
    return out;
}

} // namespace korvane
