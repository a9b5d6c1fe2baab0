#pragma once
// Brings an own list to the window: the copy kept in the cache folder first
// (so a list shows at once, even offline), then its source when asked, when
// no copy is kept, or when the copy is a day old. Reading and copying run off the window's thread. A new copy
// replaces the kept one only when it reads as a list: a refresh that fails, or
// that brings a web page, keeps the list the user had. No widgets here.
#include "base/background.h"
#include "portal/tv/ownlist.h"
#include "portal/tv/providerfetch.h"
#include "portal/userstate.h"

#include <QObject>
#include <memory>

namespace zv {

class OwnListLoader : public QObject {
    Q_OBJECT
public:
    explicit OwnListLoader(QObject* parent = nullptr);

    // Where a list's copy is kept.
    static QString cacheFile(qint64 id);
    // Forgets the copy of a removed list.
    static void forget(qint64 id);

    // The kept copy when there is one, else the source; with refresh, the
    // source (the kept copy when the source fails). Drops a loading under way.
    void load(const UserState::OwnListDefinition& list, bool refresh = false);
    void cancel();
    bool isRunning() const { return fetch_.isRunning() || work_.isRunning(); }

    // A kept copy older than this is fetched again after it is shown.
    static constexpr qint64 RefreshAfterSeconds = 24 * 3600;
    // The largest list read, in bytes.
    static constexpr qint64 MaxListBytes = 1024LL * 1024 * 1024;

signals:
    // The list to show (never empty).
    void loaded(qint64 id, std::shared_ptr<const zv::OwnList> list);
    // What went wrong, in French; whether a kept copy is shown is said too.
    void failed(qint64 id, const QString& message);
    void progress(qint64 id, qint64 received, qint64 total);

private:
    struct Result {
        std::shared_ptr<const OwnList> list;
        QString error; // why the file read gave nothing
        bool fromCopy = false; // the kept copy was read instead
    };
    // Reads `file`; when it gives a list, makes it the kept copy (unless it is
    // the copy); otherwise reads the kept copy, when asked to.
    void read(const QString& file, bool fallBack, const QString& fetchError);

    UserState::OwnListDefinition list_;
    ProviderFetch fetch_;
    BackgroundWork work_;
};

} // namespace zv

Q_DECLARE_METATYPE(std::shared_ptr<const zv::OwnList>)
