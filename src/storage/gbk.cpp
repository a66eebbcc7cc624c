#include "storage/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace storage {

namespace {

constexpr auto kCodec = "GBK";

// Encodes one character (one code point, one or two UTF-16 units) with a fresh encoder:
// an encoder keeps its error flag once set, so a failure must not leak into the next
// character.
QByteArray encodeCharacter(QStringView character)
{
    QStringEncoder encoder(kCodec, QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(character);
    if (encoder.hasError() || bytes.isEmpty())
        return QByteArrayLiteral("?");
    return bytes;
}

} // namespace

QByteArray toGbk(QStringView text)
{
    QStringEncoder whole(kCodec, QStringEncoder::Flag::Stateless);
    QByteArray bytes = whole.encode(text);
    if (!whole.hasError())
        return bytes;

    // Only texts with an unrepresentable character take the slow path, where each
    // character is encoded on its own so that it becomes exactly one "?".
    bytes.clear();
    for (qsizetype i = 0; i < text.size();) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        bytes += encodeCharacter(text.mid(i, units));
        i += units;
    }
    return bytes;
}

std::optional<QString> firstCharacterOutsideGbk(QStringView text)
{
    // Character by character: the texts checked are one field's, at most a hundred characters.
    for (qsizetype i = 0; i < text.size();) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const QStringView character = text.mid(i, units);
        QStringEncoder one(kCodec, QStringEncoder::Flag::Stateless);
        const QByteArray bytes = one.encode(character);
        if (one.hasError() || bytes.isEmpty() || (bytes == "?" && character != u"?"))
            return character.toString();
        i += units;
    }
    return std::nullopt;
}

std::optional<QString> fromGbk(QByteArrayView bytes)
{
    // Stateless: a lead byte left over at the end counts as an error instead of waiting
    // for more input.
    QStringDecoder decoder(kCodec, QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace storage
