#pragma once

#include "storage/board_content.h"

#include <QByteArrayView>
#include <QString>

// The board content file "VorFjp.ini" (where it lives: content_location.h): the content
// record as its first line, in GBK, ended by CR LF.
namespace storage {

inline constexpr auto kContentFileName = "VorFjp.ini";

// Files larger than this are refused unread: a real content file is one line of
// 548 characters, at most 1098 bytes with its line end.
constexpr qint64 kMaxContentFileBytes = 64 * 1024;

QString contentFilePath(const QString& folder); // folder + "/" + kContentFileName

// Reads the first line and decodes it. The line ends at CR LF, at LF, or at a CR on its
// own (files from editors that end lines with CR only); a last line without a line end
// is taken whole. Further lines are ignored and need not be valid GBK.
// Fails, with a Chinese message that names the file and what is wrong, when the file is
// missing, a directory or another non-regular file, unreadable, empty, larger than
// kMaxContentFileBytes, starts with a Unicode byte-order mark, holds a NUL byte in its
// first line, the first line is not valid GBK, or a number field is not a number.
DecodeResult loadContentFile(const QString& path);

// The checks and decoding of loadContentFile on bytes already read from `path`
// (named in the messages only).
DecodeResult decodeContentBytes(const QString& path, QByteArrayView bytes);

struct SaveResult {
    bool ok = false;
    QString error; // Chinese: why it failed and what to do; empty on success
};

// Writes the record and CR LF in GBK atomically: the new content goes to a temporary
// file beside the target, which then replaces the target. A save that fails at any
// point leaves the previous file exactly as it was.
SaveResult saveContentFile(const QString& path, const BoardContent& content);
// The same for a record already built (kRecordLength characters or fewer).
SaveResult saveContentRecord(const QString& path, const QString& record);

} // namespace storage
