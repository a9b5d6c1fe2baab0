#pragma once
// What the fetch component's tests share: one Get as a caller sees it, the
// request lines every request carries, and the scripted server's bodies.
#include "base/errors.h"
#include "portal/nmhttp.h"
#include "support/scriptedserver.h"

#include <QTimer>
#include <functional>

Q_DECLARE_METATYPE(zv::test::Reply)

namespace zv::test {

inline const QByteArray Accepts
    = "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
      "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";

// What one Get did, as a caller sees it.
struct Result {
    QString error; // text of the zv::Error thrown, empty if none
    bool aborted = false; // zv::Abort thrown
    int successes = 0;
    int failures = 0;
};

inline Result get(TNMHTTP& nmh, const QByteArray& url)
{
    Result r;
    nmh.OnSuccess = [&r](int) { ++r.successes; };
    nmh.OnFailure = [&r](int) { ++r.failures; };
    try {
        nmh.Get(url);
    } catch (const zv::Error& e) {
        r.error = e.message();
    } catch (const zv::Abort&) {
        r.aborted = true;
    }
    return r;
}

// Runs fn from the event loop after ms, errors kept away from the loop.
inline void later(int ms, QObject* context, std::function<void()> fn)
{
    QTimer::singleShot(ms, context, [fn = std::move(fn)] { zv::guarded(fn); });
}

// The body of Reply::generated(size).
inline QByteArray generated(qint64 size)
{
    QByteArray out(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        out[i] = generatedByte(i);
    return out;
}

} // namespace zv::test
