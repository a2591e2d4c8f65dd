// The pure parsers of the line, without a session: the frame receiver cuts
// frames out of bytes arriving in any pieces, and each frame's payload goes
// through the reply-value parser.
//
// - The receiver keeps at most one frame's worth of bytes, never an end
//   marker, and before a start marker only what may be the beginning of one.
// - Every frame is the bytes it came from: fed alone, "start_" + code +
//   payload + "ende_" gives the same frame back.
// - How the bytes are cut into receive events does not change the frames of
//   an input that fits one frame.
// - A payload is accepted exactly when each comma-terminated field (the first
//   16) is a trimmed decimal integer with an optional sign that fits 32 bits,
//   and then holds their values; a refusal names the first bad field.
//
// Input: byte 0 seeds the sizes of the receive events (1 to 64 bytes), the
// rest is the line.

#include "FuzzSupport.h"

#include "protocol/FrameReceiver.h"
#include "protocol/ReplyValues.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

using namespace korvane;

namespace {

struct Frame {
    QByteArray code;
    QByteArray payload;
    bool operator==(const Frame&) const = default;
};

void checkPending(const FrameReceiver& receiver) {
    const QByteArray& pending = receiver.pending();
    FUZZ_CHECK(pending.size() <= FrameReceiver::kMaxFrameLength);
    FUZZ_CHECK(!pending.contains("ende_"));
    FUZZ_CHECK(pending.startsWith("start_") || pending.size() <= 5);
}

QList<Frame> framesOf(const QList<ReceiverEvent>& events) {
    QList<Frame> frames;
    for (const ReceiverEvent& e : events) {
        if (e.kind != ReceiverEvent::Kind::Frame) {
            FUZZ_CHECK(e.discarded > 0);
            continue;
        }
        FUZZ_CHECK(e.code.size() <= 3 && (e.code.size() == 3 || e.payload.isEmpty()));
        FUZZ_CHECK(!e.payload.contains("ende_"));
        frames.append({e.code, e.payload});
    }
    return frames;
}

// One field as the controller writes it: optional blanks, an optional sign,
// digits, a value that fits 32 bits.
std::optional<qint32> referenceValue(QByteArrayView field) {
    QByteArrayView t = field.trimmed();
    const bool negative = t.startsWith('-');
    if (negative || t.startsWith('+'))
        t = t.sliced(1);
    if (t.isEmpty() ||
        !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(t.begin(), t.end(), magnitude);
    if (ec != std::errc() || end != t.end() ||
        magnitude > (negative ? 2147483648ULL : 2147483647ULL))
        return std::nullopt;
    return qint32(negative ? -int64_t(magnitude) : int64_t(magnitude));
}

void checkReplyValues(const QByteArray& payload) {
    ReplyParseError error;
    const std::optional<ReplyValues> values = parseReplyValues(payload, &error);
    ReplyValues expected{};
    qsizetype pos = 0;
    for (int slot = 0; slot < kReplyValueCount; ++slot) {
        const qsizetype comma = payload.indexOf(',', pos);
        if (comma < 0)
            break;
        const QByteArrayView field = QByteArrayView(payload).sliced(pos, comma - pos);
        const std::optional<qint32> v = referenceValue(field);
        if (!v) {
            FUZZ_CHECK(!values);
            FUZZ_CHECK(error.field == slot && error.text == field.toByteArray());
            return;
        }
        expected[slot] = *v;
        pos = comma + 1;
    }
    FUZZ_CHECK(values && *values == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const QByteArrayView line(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    uint32_t state = data[0] * 2654435761u + 1;
    FrameReceiver pieces;
    QList<Frame> frames;
    for (qsizetype at = 0; at < line.size();) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const qsizetype n = std::min<qsizetype>(1 + state % 64, line.size() - at);
        frames += framesOf(pieces.feed(line.sliced(at, n)));
        checkPending(pieces);
        at += n;
    }

    for (const Frame& f : std::as_const(frames)) {
        FrameReceiver alone;
        const QList<Frame> again = framesOf(alone.feed("start_" + f.code + f.payload + "ende_"));
        FUZZ_CHECK(again.size() == 1 && again.first() == f && alone.pending().isEmpty());
        checkReplyValues(f.payload);
    }

    // Within one frame's length the receiver never gives up on a frame, so the
    // pieces cannot matter.
    if (line.size() <= FrameReceiver::kMaxFrameLength) {
        FrameReceiver whole;
        FUZZ_CHECK(framesOf(whole.feed(line)) == frames);
        FUZZ_CHECK(whole.pending() == pieces.pending());
    }
    return 0;
}
