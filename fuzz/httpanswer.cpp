// The answer head reader, the URL split and the request lines over arbitrary
// bytes: the head must read the same whatever the split of its bytes, and no
// URL may produce a request whose head ends early.
#include "portal/httpanswer.h"

#include <cstddef>
#include <cstdint>

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype step = 1 + data[0] % 17; // how the bytes arrive
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    zv::HttpAnswerHead whole;
    const qsizetype usedWhole = whole.feed(bytes);
    check(usedWhole >= 0 && usedWhole <= bytes.size());
    check(!whole.complete() || !whole.tooLarge());

    zv::HttpAnswerHead pieces;
    qsizetype used = 0;
    for (qsizetype at = 0; at < bytes.size() && !pieces.complete() && !pieces.tooLarge(); at += step)
        used += pieces.feed(bytes.mid(at, step));
    check(used == usedWhole);
    check(pieces.complete() == whole.complete());
    check(pieces.status() == whole.status());
    check(pieces.text() == whole.text());
    check(pieces.contentLength() == whole.contentLength());
    check(pieces.location() == whole.location());
    check(whole.contentLength() >= 0);

    const QByteArray url = bytes.left(bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n'));
    const zv::HttpTarget target = zv::splitHttpUrl(url);
    check(target.path.startsWith('/'));
    check(target.port >= 0 && target.port <= 65535);
    const QByteArray request
        = zv::requestBytes(zv::composeRequestLines(target, whole.location(), "s=1; t=2"));
    check(request.endsWith("\r\n\r\n"));
    check(request.indexOf("\r\n\r\n") == request.size() - 4);
    check(request.count('\n') == request.count("\r\n"));
    const QByteArray requestLine = request.left(request.indexOf("\r\n"));
    check(requestLine.count(' ') == 2); // the path holds no blank

    const QByteArray next = zv::redirectTarget(whole.location(), target.hostPort);
    check(!next.isEmpty());
    return 0;
}
