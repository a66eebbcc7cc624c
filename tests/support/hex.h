#pragma once
// Expected bytes are written as hex text copied from the protocol description, e.g.
// "02 00 09 FF"; everything that is not a hex digit is skipped.
#include <QByteArray>

namespace testsupport {

inline QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text));
}

} // namespace testsupport
