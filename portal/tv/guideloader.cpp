#include "portal/tv/guideloader.h"

#include <QElapsedTimer>

namespace zv {

GuideLoader::GuideLoader(QObject* parent)
    : QObject(parent)
    , work_(this)
{
    qRegisterMetaType<std::shared_ptr<const zv::GuideIndex>>();
}

void GuideLoader::cancel()
{
    ++generation_;
    work_.cancel();
}

void GuideLoader::start(const QString& fileName)
{
    read([fileName](const std::atomic<bool>& cancelled, const GuideProgress& told) {
        return ReadGuideFile(fileName, &cancelled, told);
    });
}

void GuideLoader::start(const QByteArray& bytes)
{
    read([bytes](const std::atomic<bool>& cancelled, const GuideProgress&) {
        return ReadGuide(bytes, &cancelled);
    });
}

void GuideLoader::read(std::function<GuideReading(const std::atomic<bool>&, const GuideProgress&)> reading)
{
    const int generation = ++generation_;
    const auto work = [this, generation, reading = std::move(reading)](const std::atomic<bool>& cancelled) {
        QElapsedTimer sinceLast;
        sinceLast.start();
        const auto told = [this, generation, &sinceLast](qint64 done, qint64 total) {
            if (sinceLast.elapsed() < 100 && done != total)
                return;
            sinceLast.restart();
            // The loader outlives its threads (its work waits for them as it
            // goes), so it is there to receive this, on its own thread.
            QMetaObject::invokeMethod(
                this,
                [this, generation, done, total] {
                    if (generation_ == generation && work_.isRunning())
                        emit progress(done, total);
                },
                Qt::QueuedConnection);
        };
        return reading(cancelled, told);
    };
    work_.start<GuideReading>(
        work, [this](GuideReading done) { emit finished(std::move(done.index), done.error); });
}

} // namespace zv
