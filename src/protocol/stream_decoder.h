#pragma once

// Finds board frames in a byte stream that may arrive in any split and may carry
// line noise. Used by the virtual board and by tests that watch a line.
//
// A frame is accepted when the frame parser (frame.h) passes it: its start byte,
// its length field (at least 9, at most the decoder's maximum), its end byte, its
// check byte and its marker all agree. Anything else is reported as a rejected run
// of bytes with the reason, and the scan resumes at the byte after the rejected
// start byte, so that a good frame hidden inside noise is still found. Every byte pushed ends up, exactly once,
// either in a frame or in a rejected run; a long stretch of noise comes in runs
// of at most 4096 bytes.

#include "protocol/display_data.h"
#include "protocol/frame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <variant>
#include <vector>

namespace protocol {

struct RejectedRun {
    QByteArray bytes;
    QString reason;       // English, for developers
};

using DecodedItem = std::variant<DecodedFrame, RejectedRun>;

// The longest frame the program builds: a display-data frame of 9999 cells. A
// longer length field is noise; waiting for its bytes would stall the decoder.
inline constexpr int kLongestProgramFrame = kMaxAreaField + kDisplayDataHeader + kFrameOverhead;

class StreamDecoder {
public:
    // maxFrameLength is kept within 9 .. 65535, what the length field can say.
    explicit StreamDecoder(FrameShape shape = FrameShape::Sent, int maxFrameLength = kLongestProgramFrame);

    // Takes the next bytes of the stream; returns the frames and rejected runs that
    // they complete, in stream order. Bytes that may still begin a frame, and noise
    // that has not yet been ended by a start byte, are kept for the next call.
    std::vector<DecodedItem> push(QByteArrayView bytes);

    // Gives up on everything kept: to be called when the line has been idle for a
    // while. A frame still waiting for bytes is rejected as incomplete (its start
    // byte only; what follows is scanned again), so the decoder never waits for
    // ever on a length field it cannot verify. Afterwards nothing is kept.
    std::vector<DecodedItem> flush();

    // Number of bytes kept back, waiting for more.
    qsizetype pendingBytes() const;

private:
    std::vector<DecodedItem> scan(bool giveUp);
    void addNoise(QByteArrayView bytes, const QString& reason, std::vector<DecodedItem>& out);
    void closeRun(std::vector<DecodedItem>& out);

    FrameShape m_shape;
    int m_maxFrameLength;
    QByteArray m_buffer;
    // [i]: XOR of m_buffer[0..i] and of bytes dropped from its front since the last clear;
    // only the XOR of two entries is used, so the dropped part cancels out.
    QByteArray m_runningXor;
    qsizetype m_head = 0;                  // bytes before m_head are consumed
    std::optional<RejectedRun> m_openRun;  // noise not yet ended by a start byte
};

} // namespace protocol
