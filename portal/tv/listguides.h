#pragma once
// The programme guides of one list: each read at once from the index kept in
// the cache folder, fetched again from its address when stale, read off the
// window's thread (GuideLoader) and its index kept for the next time. A guide
// that fails leaves the others, the one read before, and the list, as they
// are, and is told once. No widgets here.
#include "base/background.h"
#include "portal/tv/guide.h"
#include "portal/tv/guideloader.h"
#include "portal/tv/providerfetch.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <vector>

namespace zv {

class ListGuides : public QObject {
    Q_OBJECT
public:
    explicit ListGuides(QObject* parent = nullptr);

    // Web addresses or files; a text may hold several addresses separated by
    // commas, as lists write them. Starts reading them, in order.
    void setSources(const QStringList& sources);
    const QStringList& sources() const { return sources_; }
    // Reads every guide from its address again, fresh or not (stale ones are
    // fetched again by themselves, hourly checked).
    void refresh();
    bool isBusy() const { return next_ < sources_.size(); }

    // The guides read so far, in the order of their sources.
    std::vector<std::shared_ptr<const GuideIndex>> guides() const;

    // A kept index is fetched again when it was made 12 hours ago or more,
    // or when its programmes end within 12 hours.
    static bool isStale(const GuideIndex& index, const QDateTime& madeAt, const QDateTime& now);
    // Where a guide's index is kept.
    static QString cacheFile(const QString& source);
    // The addresses in a text as lists write them ("a.xml, b.xml.gz").
    static QStringList splitSources(const QStringList& texts);

signals:
    void changed(); // a guide was read
    // Once per reading of the sources, in French, when a guide failed.
    void failed(const QString& message);

private:
    void startNext();
    void fetch();
    void read(const std::shared_ptr<const GuideIndex>& index, const QString& error);
    void done(const QString& error);
    void refreshStale();

    QStringList sources_;
    std::vector<std::shared_ptr<const GuideIndex>> guides_;
    qsizetype next_ = 0;
    bool force_ = false;
    enum class Step { Kept, Fetched, Direct } step_ = Step::Kept;
    QStringList errors_;
    GuideLoader loader_;
    ProviderFetch fetch_;
    BackgroundWork save_;
    QTimer staleCheck_;
};

} // namespace zv
