#pragma once
// Reads a programme guide on a worker thread and hands the index back on the
// thread that asked, so the window never waits for a guide. No widgets here.
#include "base/background.h"
#include "portal/tv/guide.h"
#include "portal/tv/xmltv.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

namespace zv {

class GuideLoader : public QObject {
    Q_OBJECT
public:
    // Going, it stops the reading under way and waits for its thread.
    explicit GuideLoader(QObject* parent = nullptr);

    // Reads a guide file (XMLTV, gzip-compressed or not, or a cache file
    // written from GuideIndex::save()), or a guide already in memory. A
    // reading under way is dropped: only the last one started finishes.
    void start(const QString& fileName);
    void start(const QByteArray& bytes);
    // Drops the reading under way: it ends soon and says nothing.
    void cancel();
    bool isRunning() const { return work_.isRunning(); }

signals:
    // On the thread that started it. `index` is never null; `error` is empty
    // when the whole guide was read, else a French message (a damaged guide
    // keeps what could be read).
    void finished(std::shared_ptr<const zv::GuideIndex> index, const QString& error);
    void progress(qint64 done, qint64 total);

private:
    // Runs reading on a thread of its own, with a progress that reaches this
    // loader's thread while that reading is the latest.
    void read(
        std::function<GuideReading(const std::atomic<bool>& cancelled, const GuideProgress& told)> reading);

    BackgroundWork work_;
    // Counts the readings started and dropped: progress told by one that is
    // no longer the latest is not passed on.
    int generation_ = 0;
};

} // namespace zv

Q_DECLARE_METATYPE(std::shared_ptr<const zv::GuideIndex>)
