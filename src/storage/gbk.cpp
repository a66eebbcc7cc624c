#include "storage/gbk.h"

#include "storage/gbk_codec.h"

namespace storage {

namespace {

// The units of the character at i: a surrogate pair is one character, so is an unpaired
// surrogate.
qsizetype characterUnits(QStringView text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

} // namespace

QByteArray toGbk(QStringView text)
{
    if (std::optional<QByteArray> whole = encodeGbk(text))
        return *whole;

    // Only texts with an unrepresentable character take the slow path, where each
    // character is encoded on its own so that it becomes exactly one "?".
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = characterUnits(text, i);
        bytes += encodeGbk(text.mid(i, units)).value_or(QByteArrayLiteral("?"));
        i += units;
    }
    return bytes;
}

std::optional<QString> firstCharacterOutsideGbk(QStringView text)
{
    // Character by character: the texts checked are one field's, at most a hundred characters.
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = characterUnits(text, i);
        const QStringView character = text.mid(i, units);
        const std::optional<QByteArray> bytes = encodeGbk(character);
        if (!bytes || bytes->isEmpty())
            return character.toString();
        i += units;
    }
    return std::nullopt;
}

std::optional<QString> fromGbk(QByteArrayView bytes)
{
    return decodeGbk(bytes);
}

} // namespace storage
