// The whole load path of the content file after reading: size and byte-order
// checks, the first line, GBK decoding and the record's number fields. Whatever
// loads must save to a record that loads again to the same content.
#include "storage/board_content.h"
#include "storage/content_file.h"
#include "storage/gbk.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const storage::DecodeResult loaded = storage::decodeContentBytes(QStringLiteral("VorFjp.ini"), bytes);
    if (!loaded.content) {
        if (loaded.error.isEmpty())
            std::abort();
        return 0;
    }
    const QString record = storage::encodeRecord(*loaded.content);
    if (record.size() != storage::kRecordLength)
        std::abort();
    const std::optional<QString> roundTrip = storage::fromGbk(storage::toGbk(record));
    if (!roundTrip)
        std::abort();
    const storage::DecodeResult reloaded = storage::decodeRecord(*roundTrip);
    if (!reloaded.content || storage::encodeRecord(*reloaded.content) != record)
        std::abort();
    return 0;
}
