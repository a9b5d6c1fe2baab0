#include "portal/tv/listguides.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>

namespace zv {

ListGuides::ListGuides(QObject* parent)
    : QObject(parent)
    , loader_(this)
    , fetch_(this)
    , save_(this)
{
    ProviderFetch::Limits limits;
    limits.maxBytes = 2048LL * 1024 * 1024;
    fetch_.setLimits(limits);
    connect(&loader_, &GuideLoader::finished, this, &ListGuides::read);
    // A guide running out is fetched again while the program runs.
    staleCheck_.setInterval(3600 * 1000);
    connect(&staleCheck_, &QTimer::timeout, this, &ListGuides::refreshStale);
    staleCheck_.start();
    connect(&fetch_, &ProviderFetch::finished, this, [this](const QString& error) {
        if (!error.isEmpty())
            return done(QStringLiteral("Le guide des programmes n'a pas pu être chargé : %1.").arg(error));
        step_ = Step::Fetched;
        loader_.start(cacheFile(sources_[next_]) + QStringLiteral(".xml"));
    });
}

QStringList ListGuides::splitSources(const QStringList& texts)
{
    QStringList out;
    for (const QString& text : texts)
        for (const QString& part : text.split(u',', Qt::SkipEmptyParts))
            if (const QString source = part.trimmed(); !source.isEmpty() && !out.contains(source))
                out << source;
    return out;
}

QString ListGuides::cacheFile(const QString& source)
{
    return CacheFolder(QStringLiteral("guides")) + u'/' + CacheName(source);
}

bool ListGuides::isStale(const GuideIndex& index, const QDateTime& madeAt, const QDateTime& now)
{
    constexpr qint64 halfDay = 12 * 3600;
    return !madeAt.isValid() || madeAt.secsTo(now) >= halfDay || index.totalProgrammes() == 0
        || index.lastStop() - now.toSecsSinceEpoch() < halfDay;
}

void ListGuides::setSources(const QStringList& sources)
{
    const QStringList split = splitSources(sources);
    if (split == sources_ && !guides_.empty())
        return;
    loader_.cancel();
    fetch_.abort();
    sources_ = split;
    guides_.assign(std::size_t(sources_.size()), nullptr);
    force_ = false;
    next_ = -1;
    errors_.clear();
    startNext();
}

void ListGuides::refresh()
{
    loader_.cancel();
    fetch_.abort();
    force_ = true;
    next_ = -1;
    errors_.clear();
    startNext();
}

std::vector<std::shared_ptr<const GuideIndex>> ListGuides::guides() const
{
    std::vector<std::shared_ptr<const GuideIndex>> out;
    for (const auto& guide : guides_)
        if (guide)
            out.push_back(guide);
    return out;
}

void ListGuides::startNext()
{
    ++next_;
    if (next_ >= sources_.size()) {
        if (!errors_.isEmpty())
            emit failed(errors_.join(u' '));
        errors_.clear();
        return;
    }
    const QString& source = sources_[next_];
    if (!IsWebAddress(source)) {
        // A file of the user's is read where it is, each time.
        step_ = Step::Direct;
        loader_.start(source.startsWith(u"file:") ? QUrl(source).toLocalFile() : source);
        return;
    }
    const QString kept = cacheFile(source) + QStringLiteral(".guide");
    if (!force_ && QFileInfo::exists(kept)) {
        step_ = Step::Kept;
        loader_.start(kept);
        return;
    }
    fetch();
}

void ListGuides::fetch()
{
    step_ = Step::Fetched;
    fetch_.get(sources_[next_], cacheFile(sources_[next_]) + QStringLiteral(".xml"));
}

void ListGuides::read(const std::shared_ptr<const GuideIndex>& index, const QString& error)
{
    const bool hasProgrammes = index && index->totalProgrammes() > 0;
    const QString base = cacheFile(sources_[next_]);
    if (step_ == Step::Kept) {
        if (hasProgrammes) {
            guides_[std::size_t(next_)] = index;
            emit changed();
        }
        // A damaged or stale index is made again from the guide's address.
        const QDateTime madeAt = QFileInfo(base + QStringLiteral(".guide")).lastModified();
        if (!hasProgrammes || isStale(*index, madeAt, QDateTime::currentDateTime()))
            return fetch();
        return startNext();
    }
    if (step_ == Step::Fetched)
        QFile::remove(base + QStringLiteral(".xml"));
    if (hasProgrammes) {
        guides_[std::size_t(next_)] = index;
        emit changed();
        if (step_ == Step::Fetched) {
            // Kept as an index for the next time, written off the window's
            // thread. A later save does not stop this one (it never looks at
            // its stop flag), it only goes unheard.
            const QString kept = base + QStringLiteral(".guide");
            save_.start<bool>(
                [index, kept](const std::atomic<bool>&) {
                    const QByteArray bytes = index->save();
                    QFile file(kept + QStringLiteral(".part"));
                    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                        || file.write(bytes) != bytes.size() || !file.flush()) {
                        file.remove();
                        return false;
                    }
                    file.close();
                    return ::rename(QFile::encodeName(file.fileName()).constData(),
                               QFile::encodeName(kept).constData())
                        == 0;
                },
                [](bool) {});
        }
    }
    done(error);
}

void ListGuides::done(const QString& error)
{
    if (!error.isEmpty() && !errors_.contains(error))
        errors_ << error;
    startNext();
}

void ListGuides::refreshStale()
{
    if (isBusy())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    for (qsizetype i = 0; i < sources_.size(); ++i) {
        const auto& guide = guides_[std::size_t(i)];
        const QDateTime madeAt = QFileInfo(cacheFile(sources_[i]) + QStringLiteral(".guide")).lastModified();
        if (IsWebAddress(sources_[i]) && (!guide || isStale(*guide, madeAt, now)))
            return refresh();
    }
}

} // namespace zv
