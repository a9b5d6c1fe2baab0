#pragma once
// Reading an XMLTV programme guide into a GuideIndex: streamed, plain or
// gzip-compressed (told by its first bytes, not its name), in the encoding
// its XML declaration names; the cache form GuideIndex::save() writes is
// taken back as it is. Runs on any thread; GuideLoader runs it on a worker.
#include "portal/tv/guide.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QIODevice;

namespace zv {

struct GuideReading {
    // Never null: what could be read, possibly nothing.
    std::shared_ptr<const GuideIndex> index;
    // Empty when the whole guide was read; otherwise a French message (a
    // truncated or damaged guide keeps what came before the fault).
    QString error;
    bool cancelled = false;
};

// Called now and then with the bytes read so far and the total (-1 unknown).
using GuideProgress = std::function<void(qint64 done, qint64 total)>;

// Reads until the end of `in` or until *cancel becomes true.
GuideReading ReadGuide(
    QIODevice& in, const std::atomic<bool>* cancel = nullptr, const GuideProgress& progress = {});
GuideReading ReadGuide(const QByteArray& bytes, const std::atomic<bool>* cancel = nullptr);
GuideReading ReadGuideFile(
    const QString& path, const std::atomic<bool>* cancel = nullptr, const GuideProgress& progress = {});

} // namespace zv
