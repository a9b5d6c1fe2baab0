// What a thread freed goes back to the system: at once, and half a second
// after a burst of requests, as one release. Memory is read from the kernel's
// own count of this process's resident pages.
#include "portal/freedmemory.h"

#include <QFile>
#include <QTest>
#include <memory>
#include <thread>
#include <vector>

namespace {

qint64 residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

constexpr qint64 kFreedKb = 96 * 1024;

// A decoder's way: a thread fills its arena with buffers, keeps a few small
// ones between them (so the arena cannot just shrink from its end) and frees
// the rest before it stops.
std::vector<std::unique_ptr<char[]>> fragmentAndFree()
{
    std::vector<std::unique_ptr<char[]>> kept;
    std::thread worker([&kept] {
        std::vector<std::unique_ptr<char[]>> buffers;
        for (qint64 i = 0; i < kFreedKb / 8; ++i) {
            buffers.emplace_back(new char[8 * 1024 - 64]);
            std::fill_n(buffers.back().get(), 8 * 1024 - 64, char(i));
            if (i % 64 == 0) {
                kept.emplace_back(new char[32]);
                kept.back()[0] = 1;
            }
        }
    });
    worker.join();
    return kept;
}

} // namespace

class TestFreedMemory : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer's allocator, not the C library's, serves this build");
#endif
    }

    void releasedAtOnce()
    {
        const auto kept = fragmentAndFree();
        const qint64 before = residentKb();
        zv::releaseFreedMemory();
        const qint64 after = residentKb();
        QVERIFY2(before - after > kFreedKb / 2, qPrintable(QStringLiteral("%1 -> %2 kB").arg(before).arg(after)));
    }

    void releasedOnceAfterABurst()
    {
        const auto kept = fragmentAndFree();
        const qint64 before = residentKb();
        for (int i = 0; i < 5; ++i)
            zv::releaseFreedMemorySoon();
        // Nothing before the event loop runs...
        QVERIFY(before - residentKb() < kFreedKb / 2);
        // ...then the release.
        QTRY_VERIFY2(before - residentKb() > kFreedKb / 2, qPrintable(QString::number(residentKb())));
    }
};

QTEST_GUILESS_MAIN(TestFreedMemory)
#include "tst_freedmemory.moc"
