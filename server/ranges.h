#pragma once
// Byte ranges of the media answers: which part of a file a Range header asks
// for, and whether If-Range still names the file being served.
#include <QByteArray>
#include <QDateTime>

namespace zvs {

struct ByteRange {
    enum Kind {
        Whole, // no range, or one the server ignores (malformed, another unit, several)
        Part, // first..last, both within the file
        Unsatisfiable // well formed, but nothing of the file is in it (416)
    };
    Kind kind = Whole;
    qint64 first = 0;
    qint64 last = -1;
};

// `header` is the Range value ("bytes=100-199", "bytes=500-", "bytes=-50").
ByteRange selectRange(const QByteArray& header, qint64 size);

// A strong validator of a file: its size and modification time.
QByteArray entityTag(qint64 size, const QDateTime& modified);
QByteArray httpDate(const QDateTime& time); // "Sun, 06 Nov 1994 08:49:37 GMT"

// If-Range holds when it names this very file: the same strong entity tag, or
// exactly its modification date. A weak tag never does.
bool ifRangeHolds(const QByteArray& ifRange, const QByteArray& tag, const QDateTime& modified);

} // namespace zvs
