#pragma once

// Finds board frames in a byte stream that may arrive in any split and may carry
// line noise. Used by the virtual board and by tests that watch a line.
//
// A frame is accepted when its start byte, its length field (at least 9, at most
// the decoder's maximum), its end byte, its check byte and its marker all agree.
// Anything else is reported as a rejected run of bytes with the reason, and the
// scan resumes at the byte after the rejected start byte, so that a good frame
// hidden inside noise is still found. Every byte pushed ends up, exactly once,
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

struct DecodedFrame {
    QByteArray bytes;     // the whole frame, start to end byte
    quint8 address = 0;   // offset 3 of a sent frame (the device number), offset 4 of a reply
    quint8 command = 0;   // offset 5
    QByteArray payload;   // offsets 6 .. N-3
};

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
    enum class Verdict { Frame, Reject, NeedMore };
    // What is wrong at the head; the text is only made for bytes that are rejected, so that
    // waiting for the rest of a frame costs no allocation per pushed chunk.
    enum class Problem { None, NoLengthYet, TooShort, TooLong, CutShort, WrongEnd, WrongCheck, NoMarker };
    struct Examination {
        Verdict verdict;
        int length = 0;
        Problem problem = Problem::None;
        quint8 found = 0;
        quint8 expected = 0;
    };

    std::vector<DecodedItem> scan(bool giveUp);
    QString describe(const Examination& exam) const;
    Examination examineAtHead() const;
    void addNoise(QByteArrayView bytes, const QString& reason, std::vector<DecodedItem>& out);
    void closeRun(std::vector<DecodedItem>& out);

    FrameShape m_shape;
    int m_maxFrameLength;
    QByteArray m_buffer;
    QByteArray m_runningXor;               // [i]: XOR of m_buffer[0..i]
    qsizetype m_head = 0;                  // bytes before m_head are consumed
    std::optional<RejectedRun> m_openRun;  // noise not yet ended by a start byte
};

} // namespace protocol
