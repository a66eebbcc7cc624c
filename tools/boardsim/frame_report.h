#pragma once

// What a received frame or a rejected run of bytes means, as one JSON object
// (the headless output) and as one line of text (the window's log).

#include "board_layout.h"
#include "protocol/board_model.h"
#include "protocol/stream_decoder.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace boardsim {

// "02 00 09 FF": upper-case hex, one space between bytes.
QString hexBytes(QByteArrayView bytes);

// The 16 rows of the matrix, '#' a lit dot, '.' a dark one, leftmost dot first.
QStringList dotRows(const protocol::DotMatrix& dots);

// Keys: time, kind, bytes, device, command and, by kind,
//   display-data:    address, count, cells (hex), text (as the digits read), area (when known)
//   clock:           datetime ("yyyy-MM-ddTHH:mm:ss")
//   dots:            rows (16 strings)
//   connection-test: reply (hex)
//   ignored, malformed, unknown-command: reason
// and a reason on display-data when cells fell past the end of memory.
QJsonObject frameJson(const protocol::DecodedFrame& frame, const protocol::FrameEffect& effect, const QDateTime& at,
                      const BoardLayout& layout);

// Keys: time, kind "rejected", bytes, reason.
QJsonObject rejectJson(const protocol::RejectedRun& run, const QDateTime& at);

// One line saying what the frame did, for the log.
QString frameSummary(const protocol::FrameEffect& effect, const BoardLayout& layout);

} // namespace boardsim
