#include "protocol/FrameReceiver.h"

namespace korvane {
namespace {

constexpr QByteArrayView kStart("start_");
constexpr QByteArrayView kEnd("ende_");
constexpr qsizetype kCodeLength = 3;
// Bytes kept at the end of junk because they may be the beginning of "start_".
constexpr qsizetype kKeepForPartialStart = 5;

} // namespace

QList<ReceiverEvent> FrameReceiver::feed(QByteArrayView bytes) {
    QList<ReceiverEvent> events;
    m_buffer.append(bytes);

    qsizetype pos = 0; // everything before pos is consumed
    while (pos < m_buffer.size()) {
        const qsizetype start = m_buffer.indexOf(kStart, pos);
        // Only look for the end marker up to the start (stale marker) or after it.
        const qsizetype end = m_buffer.indexOf(kEnd, pos);

        if (end >= 0 && (start < 0 || end < start)) {
            // An end marker with no start before it: drop it and what precedes it,
            // so the frame that follows is not lost.
            const qsizetype cut = end + kEnd.size();
            events.append({ReceiverEvent::Kind::StaleEndDiscarded, {}, {}, cut - pos});
            pos = cut;
            continue;
        }
        if (start < 0) {
            // No frame can start in here except from the last few bytes.
            const qsizetype keep = qMin(kKeepForPartialStart, m_buffer.size() - pos);
            const qsizetype drop = m_buffer.size() - pos - keep;
            if (drop > 0) {
                events.append({ReceiverEvent::Kind::JunkDiscarded, {}, {}, drop});
                pos += drop;
            }
            break;
        }
        if (end < 0) {
            // Incomplete frame: wait for more, unless it has grown beyond any real frame.
            if (m_buffer.size() - start > kMaxFrameLength) {
                const qsizetype next = m_buffer.indexOf(kStart, start + 1);
                const qsizetype cut = next >= 0 ? next : m_buffer.size() - kKeepForPartialStart;
                events.append({ReceiverEvent::Kind::JunkDiscarded, {}, {}, cut - pos});
                pos = cut;
                continue;
            }
            pos = start; // junk before a start marker goes quietly, as with a frame

            break;
        }
        // start < end: a frame, with junk before it going along with it. A start
        // marker whose code would overlap the end marker still yields a frame:
        // its code is what stands there, its payload empty.
        const qsizetype codeAt = start + kStart.size();
        const qsizetype payloadAt = qMin(codeAt + kCodeLength, end);
        ReceiverEvent frame;
        frame.code = m_buffer.sliced(codeAt, qMin(kCodeLength, end - codeAt));
        frame.payload = m_buffer.sliced(payloadAt, end - payloadAt);
        events.append(std::move(frame));
        pos = end + kEnd.size();
    }
    m_buffer.remove(0, pos);
    return events;
}

} // namespace korvane
