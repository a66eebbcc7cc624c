#include "storage/gbk_codec.h"

#include <windows.h>

namespace storage {

namespace {

// Windows' own GBK, present whatever the system's locale (also under Wine).
constexpr UINT kCodePage = 936;

} // namespace

std::optional<QByteArray> encodeGbk(QStringView text)
{
    if (text.isEmpty())
        return QByteArray();
    const auto* units = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = int(text.size());
    // No best fit: "ä" must not quietly become "a". A character without GBK bytes (a surrogate
    // pair, an unpaired surrogate, one GBK lacks) takes the default character, which is reported.
    BOOL replaced = FALSE;
    const int size = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, length, nullptr, 0, nullptr, &replaced);
    if (size <= 0 || replaced)
        return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    if (::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, length, bytes.data(), size, nullptr, &replaced)
            != size
        || replaced)
        return std::nullopt;
    return bytes;
}

std::optional<QString> decodeGbk(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int length = int(bytes.size());
    const int size = ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    QString text(size, Qt::Uninitialized);
    if (::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), length,
                              reinterpret_cast<wchar_t*>(text.data()), size)
        != size)
        return std::nullopt;
    return text;
}

} // namespace storage
