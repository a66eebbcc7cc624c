#pragma once
// Every writer of the content file (the window after a send, vorfjp-send set, vorfjp-web) changes
// it here: under one lock, from the file as it stands, and only in the fields it changes, so that
// two writers never lose each other's change and the file is always one whole record.
//
// The lock is the writers' lock (storage/writer_lock.h), held from reading the file to putting
// the new one in place. A writer holds it for the time of one small file write.
//
// Example: vorfjp-send set rooms.1=688
//   updateContentFile(path, [](const BoardContent* current) {
//       BoardContent wanted = *current;   // (set refuses a file it cannot read)
//       wanted.fjValues[0] = "688";
//       return wanted;
//   });
// rewrites characters 125-128 of the record as " 688" and leaves every other character as it was.
#include "storage/board_content.h"
#include "storage/content_file.h"
#include "storage/writer_lock.h"

#include <QString>

#include <functional>
#include <optional>

namespace storage {

// Which file stands at a path now: every writer puts a whole new file in place, so a new one
// differs here from the last one read or written, also within one tick of the file system's clock
// (the new file has its own inode).
struct ContentStamp {
    qint64 inode = -1;
    qint64 size = -1;
    qint64 modifiedNs = -1;
    friend bool operator==(const ContentStamp&, const ContentStamp&) = default;
};
ContentStamp contentStamp(const QString& path);

// What the writer wants the file to hold, given what it holds now (null when it cannot be read:
// missing, unreadable or broken; the writer's content then becomes the whole file).
using ContentChange = std::function<std::optional<BoardContent>(const BoardContent* current)>;

struct UpdateResult {
    std::optional<BoardContent> content; // the file after the update; empty: see error
    bool written = false;                // false when no field differed, or the writer withdrew
    QString error;                       // Chinese: why the file could not be changed, what to do
    ContentStamp stamp;                  // the file as the update left it, taken under the lock
};

// The fields of `wanted` whose values differ from `current` are written into the record in
// their own characters; the rest of the record keeps its characters, reserved ones and
// hand-written number forms (" 40 ") included. Nothing is written when nothing differs, or
// when the change gives nullopt.
UpdateResult updateContentFile(const QString& path, const ContentChange& change);

// Whether the two contents hold different values in the field: numbers as numbers, texts as
// their characters.
bool fieldDiffers(const BoardContent& a, const BoardContent& b, Field field);

} // namespace storage
