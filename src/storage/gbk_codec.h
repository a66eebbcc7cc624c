#pragma once
// The system's GBK conversion, whole texts at a time; gbk.cpp builds the rules of the content
// file on it. One implementation per system: gbk_codec_qt.cpp (Qt's codec, through ICU),
// gbk_codec_win.cpp (Windows' code page 936, which has the same mapping with 0x80 the euro sign).
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace storage {

// The GBK bytes of text; nullopt when any character of it has none (nothing is replaced).
// encodeGbk(u"房价") gives "\xB7\xBF\xBC\xDB"; encodeGbk(u"😀") gives nullopt.
std::optional<QByteArray> encodeGbk(QStringView text);

// The text of GBK bytes; nullopt when they are not valid GBK (an undefined pair, a lead byte
// without its trail byte, a GB18030 four-byte sequence).
std::optional<QString> decodeGbk(QByteArrayView bytes);

} // namespace storage
