#include "storage/gbk_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace storage {

namespace {

constexpr auto kCodec = "GBK";

} // namespace

std::optional<QByteArray> encodeGbk(QStringView text)
{
    // Stateless and fresh for each text: an encoder keeps its error flag once set.
    QStringEncoder encoder(kCodec, QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.isValid() || encoder.hasError())
        return std::nullopt;
    // ICU puts its own substitute in for some characters without raising the error.
    if (bytes.count('?') != text.count(u'?'))
        return std::nullopt;
    return bytes;
}

std::optional<QString> decodeGbk(QByteArrayView bytes)
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
