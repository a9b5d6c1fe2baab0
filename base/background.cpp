#include "base/background.h"

#include <QThread>

namespace zv {

BackgroundWork::BackgroundWork(QObject* parent)
    : QObject(parent)
{
}

BackgroundWork::~BackgroundWork()
{
    cancel();
    for (QThread* thread : threads_) {
        thread->wait();
        delete thread;
    }
}

void BackgroundWork::cancel()
{
    if (current_)
        current_->stop = true;
    current_.reset();
}

std::shared_ptr<BackgroundWork::Job> BackgroundWork::begin()
{
    cancel();
    current_ = std::make_shared<Job>();
    return current_;
}

void BackgroundWork::launch(std::function<void()> body)
{
    // Threads that have ended are let go; the others were told to stop.
    std::erase_if(threads_, [](QThread* thread) {
        if (!thread->isFinished())
            return false;
        delete thread;
        return true;
    });
    QThread* thread = QThread::create(std::move(body));
    thread->setObjectName(QStringLiteral("background"));
    threads_.push_back(thread);
    thread->start(QThread::LowPriority);
}

bool BackgroundWork::end(const std::shared_ptr<Job>& job)
{
    if (current_ != job)
        return false;
    current_.reset();
    return true;
}

} // namespace zv
