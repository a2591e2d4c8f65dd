#pragma once

#include <QByteArray>
#include <QList>

namespace korvane {

// What the receiver made of the bytes of one receive event.
struct ReceiverEvent {
    enum class Kind {
        Frame,             // a complete reply: code and payload
        StaleEndDiscarded, // an "ende_" before any "start_" was dropped with what preceded it
        JunkDiscarded,     // bytes that can never become a frame were dropped
    };
    Kind kind = Kind::Frame;
    QByteArray code;
    QByteArray payload;
    qsizetype discarded = 0; // bytes dropped (StaleEndDiscarded, JunkDiscarded)
};

// Cuts reply frames "start_" + 3-letter code + payload + "ende_" out of the
// received byte stream. Every complete frame of a read is returned, in order.
// The buffer is bounded: junk that holds no "start_" and a "start_" that no
// "ende_" follows within kMaxFrameLength bytes are discarded. Cost is linear in
// the bytes fed.
class FrameReceiver {
public:
    static constexpr qsizetype kMaxFrameLength = 512;

    QList<ReceiverEvent> feed(QByteArrayView bytes);
    const QByteArray& pending() const { return m_buffer; }
    void clear() { m_buffer.clear(); }

private:
    QByteArray m_buffer;
};

} // namespace korvane
