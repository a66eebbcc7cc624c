#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// The board content file is stored in code page 936 (GBK), the ANSI code page of the
// target systems, with the Windows mapping (0x80 is the euro sign).
namespace storage {

// Every character that GBK cannot represent becomes exactly one "?": a character outside
// the Basic Multilingual Plane (a surrogate pair) gives one "?", and so does an unpaired
// surrogate, so that one character of the text is always one character of the file.
QByteArray toGbk(QStringView text);

// The first character of text that GBK cannot represent (a code point, so one or two UTF-16
// units); nullopt when GBK holds all of it.
std::optional<QString> firstCharacterOutsideGbk(QStringView text);

// nullopt when the bytes are not valid GBK: an undefined byte pair, a lead byte without
// its trail byte at the end, a GB18030 four-byte sequence. Nothing is replaced silently.
std::optional<QString> fromGbk(QByteArrayView bytes);

} // namespace storage
