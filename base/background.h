#pragma once
// Work that would stall the window (folding a million rows, reading a list),
// run on a thread of its own, its result handed back on the thread that
// started it. One piece of work at a time per runner: starting another, or
// cancel(), tells the one under way to stop and throws its result away.
#include <QMetaObject>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QThread;

namespace zv {

class BackgroundWork : public QObject {
public:
    explicit BackgroundWork(QObject* parent = nullptr);
    // Tells the work under way to stop and waits for its thread: work should
    // look at its stop flag now and then.
    ~BackgroundWork() override;

    // Runs work(stop) on a thread of its own, then done(result) here, unless
    // the work was dropped meanwhile.
    template <class Result>
    void start(std::function<Result(const std::atomic<bool>& stop)> work, std::function<void(Result)> done)
    {
        const std::shared_ptr<Job> job = begin();
        launch([this, job, work = std::move(work), done = std::move(done)] {
            auto result = std::make_shared<Result>(work(job->stop));
            if (job->stop)
                return;
            // This runner waits for its threads before it goes, so it is there
            // to receive the call.
            QMetaObject::invokeMethod(
                this,
                [this, job, result, done] {
                    if (end(job))
                        done(std::move(*result));
                },
                Qt::QueuedConnection);
        });
    }

    void cancel();
    bool isRunning() const { return current_ != nullptr; }

private:
    struct Job {
        std::atomic<bool> stop{false};
    };
    std::shared_ptr<Job> begin();
    void launch(std::function<void()> body);
    bool end(const std::shared_ptr<Job>& job);

    std::shared_ptr<Job> current_;
    std::vector<QThread*> threads_;
};

} // namespace zv
