#pragma once
// Text that should be UTF-8 and may not quite be: lists and guides written
// in Latin-1 or Windows-1252, or pieced together from both. Valid UTF-8 stays
// as it is; every other byte is read as Windows-1252.
#include <QByteArray>
#include <QByteArrayView>

namespace zv {

bool IsUtf8(QByteArrayView text);
// The text as UTF-8; the same bytes (shared, not copied) when they are UTF-8.
QByteArray RepairUtf8(const QByteArray& text);

// The same over a text that arrives in pieces: a sequence cut by the end of
// one piece is completed by the next.
class Utf8Repairer {
public:
    QByteArray take(const QByteArray& piece);
    // What is left once the last piece is in.
    QByteArray end();

private:
    QByteArray carry_;
};

} // namespace zv
