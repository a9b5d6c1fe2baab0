#include "portal/tv/guideloader.h"

#include "portal/tv/xmltv.h"

#include <QElapsedTimer>
#include <QThread>

namespace zv {

struct GuideLoader::Job {
    std::atomic<bool> cancelled{false};
    GuideReading reading;
};

GuideLoader::GuideLoader(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<std::shared_ptr<const zv::GuideIndex>>();
}

GuideLoader::~GuideLoader()
{
    cancel();
    // A cancelled reading stops at its next piece: the wait is short.
    for (QThread* thread : threads_) {
        thread->wait();
        delete thread;
    }
}

void GuideLoader::cancel()
{
    if (current_)
        current_->cancelled = true;
    current_.reset();
}

void GuideLoader::start(const QString& fileName)
{
    run([this, fileName](const std::shared_ptr<Job>& job) {
        QElapsedTimer sinceLast;
        sinceLast.start();
        const auto told = [this, job, &sinceLast](qint64 done, qint64 total) {
            if (sinceLast.elapsed() < 100 && done != total)
                return;
            sinceLast.restart();
            QMetaObject::invokeMethod(
                this,
                [this, job, done, total] {
                    if (current_ == job)
                        emit progress(done, total);
                },
                Qt::QueuedConnection);
        };
        job->reading = ReadGuideFile(fileName, &job->cancelled, told);
    });
}

void GuideLoader::start(const QByteArray& bytes)
{
    run([bytes](const std::shared_ptr<Job>& job) { job->reading = ReadGuide(bytes, &job->cancelled); });
}

void GuideLoader::run(std::function<void(const std::shared_ptr<Job>&)> work)
{
    cancel();
    auto job = std::make_shared<Job>();
    current_ = job;
    // Threads that have ended are let go; the others end soon, cancelled.
    std::erase_if(threads_, [](QThread* thread) {
        if (!thread->isFinished())
            return false;
        delete thread;
        return true;
    });
    QThread* thread = QThread::create([this, job, work = std::move(work)] {
        work(job);
        if (job->cancelled)
            return;
        // The loader outlives its threads (its destructor waits for them),
        // so it is there to receive this; the call runs on its own thread.
        QMetaObject::invokeMethod(
            this,
            [this, job] {
                if (current_ != job)
                    return; // dropped meanwhile
                current_.reset();
                emit finished(job->reading.index, job->reading.error);
            },
            Qt::QueuedConnection);
    });
    thread->setObjectName(QStringLiteral("guide"));
    threads_.push_back(thread);
    thread->start(QThread::LowPriority);
}

} // namespace zv
