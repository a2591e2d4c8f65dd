// The pure parsers of the line, without a session: the frame receiver cuts
// frames out of bytes arriving in any pieces, and each frame's payload goes
// through the reply-value parser.
//
// - The receiver keeps at most one frame's worth of bytes, never an end
//   marker, and before a start marker only what may be the beginning of one.
// - A frame has a code of three bytes (fewer only when the end marker follows
//   at once) and no end marker in its payload.
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

void checkPending(const FrameReceiver& receiver) {
    const QByteArray& pending = receiver.pending();
    FUZZ_CHECK(pending.size() <= FrameReceiver::kMaxFrameLength);
    FUZZ_CHECK(!pending.contains("ende_"));
    FUZZ_CHECK(pending.startsWith("start_") || pending.size() <= 5);
}

// True for a frame (which must be well formed), false for discarded bytes.
bool checkEvent(const ReceiverEvent& e) {
    if (e.kind != ReceiverEvent::Kind::Frame) {
        FUZZ_CHECK(e.discarded > 0);
        return false;
    }
    FUZZ_CHECK(e.code.size() <= 3 && (e.code.size() == 3 || e.payload.isEmpty()));
    FUZZ_CHECK(!e.payload.contains("ende_"));
    return true;
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
    // Within one frame's length the receiver never gives up on a frame, so the
    // pieces cannot matter: the frames of the whole line at once are expected.
    const bool oneFrameLong = line.size() <= FrameReceiver::kMaxFrameLength;
    FrameReceiver whole;
    const QList<ReceiverEvent> expected = oneFrameLong ? whole.feed(line) : QList<ReceiverEvent>();
    qsizetype next = 0; // the next frame expected among `expected`
    const auto nextExpected = [&]() -> const ReceiverEvent* {
        while (next < expected.size() && expected[next].kind != ReceiverEvent::Kind::Frame)
            ++next;
        return next < expected.size() ? &expected[next++] : nullptr;
    };

    uint32_t state = data[0] * 2654435761u + 1;
    FrameReceiver pieces;
    for (qsizetype at = 0; at < line.size();) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const qsizetype n = std::min<qsizetype>(1 + state % 64, line.size() - at);
        for (const ReceiverEvent& e : pieces.feed(line.sliced(at, n))) {
            if (!checkEvent(e))
                continue;
            if (oneFrameLong) {
                const ReceiverEvent* same = nextExpected();
                FUZZ_CHECK(same && same->code == e.code && same->payload == e.payload);
            }
            checkReplyValues(e.payload);
        }
        checkPending(pieces);
        at += n;
    }
    if (oneFrameLong) {
        FUZZ_CHECK(!nextExpected());
        FUZZ_CHECK(whole.pending() == pieces.pending());
    }
    return 0;
}
