#include "portal/freedmemory.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace zv {

void keepLittleFreedMemory()
{
#if defined(__GLIBC__)
    // The C library's own threshold grows with the largest block ever freed
    // (a decoded picture, a bouquet's answer) up to 64 MB, and each thread's
    // arena keeps that much free memory at its end for reuse: with the
    // decoders' many threads, hundreds of MB that no one uses. A fixed 1 MB
    // gives it back on the free that leaves more.
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
#endif
}

void releaseFreedMemory()
{
#if defined(__GLIBC__)
    // Every arena, its free pages in the middle included.
    malloc_trim(0);
#endif
}

void releaseFreedMemorySoon()
{
    auto* app = QCoreApplication::instance();
    if (!app)
        return;
    static QPointer<QTimer> timer;
    if (!timer) {
        timer = new QTimer(app);
        timer->setSingleShot(true);
        timer->setInterval(500);
        QObject::connect(timer, &QTimer::timeout, app, [] { releaseFreedMemory(); });
    }
    timer->start();
}

} // namespace zv
