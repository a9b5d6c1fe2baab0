#pragma once
// Reads a programme guide on a worker thread and hands the index back on the
// thread that asked, so the window never waits for a guide. No widgets here.
#include "portal/tv/guide.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QThread;

namespace zv {

class GuideLoader : public QObject {
    Q_OBJECT
public:
    explicit GuideLoader(QObject* parent = nullptr);
    // Stops the reading under way and waits for its thread.
    ~GuideLoader() override;

    // Reads a guide file (XMLTV, gzip-compressed or not, or a cache file
    // written from GuideIndex::save()), or a guide already in memory. A
    // reading under way is dropped: only the last one started finishes.
    void start(const QString& fileName);
    void start(const QByteArray& bytes);
    // Drops the reading under way: it ends soon and says nothing.
    void cancel();
    bool isRunning() const { return current_ != nullptr; }

signals:
    // On the thread that started it. `index` is never null; `error` is empty
    // when the whole guide was read, else a French message (a damaged guide
    // keeps what could be read).
    void finished(std::shared_ptr<const zv::GuideIndex> index, const QString& error);
    void progress(qint64 done, qint64 total);

private:
    struct Job;
    void run(std::function<void(const std::shared_ptr<Job>&)> work);

    std::shared_ptr<Job> current_;
    std::vector<QThread*> threads_;
};

} // namespace zv

Q_DECLARE_METATYPE(std::shared_ptr<const zv::GuideIndex>)
