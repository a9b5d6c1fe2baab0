#include "portal/userstate.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <iterator>

namespace zv {

namespace {

// Each schema step runs once, in order; user_version counts the steps done.
const char* const Schema[] = {
    "CREATE TABLE partial_download ("
    " part_path TEXT PRIMARY KEY, url BLOB NOT NULL, etag BLOB, last_modified BLOB, total INTEGER)",
    "CREATE TABLE playback ("
    " key BLOB PRIMARY KEY, position_ms INTEGER NOT NULL, length_ms INTEGER NOT NULL,"
    " heard INTEGER NOT NULL, updated INTEGER NOT NULL)",
    "CREATE TABLE named_value (key BLOB PRIMARY KEY, value BLOB)",
    // The user's own podcasts; a folder has no feed address. Parent NULL is the top.
    "CREATE TABLE own_podcast ("
    " id INTEGER PRIMARY KEY, parent INTEGER, position INTEGER NOT NULL, title TEXT NOT NULL,"
    " feed_url TEXT UNIQUE, site_url TEXT, last_visit INTEGER)",
    "CREATE INDEX own_podcast_place ON own_podcast (parent, position)",
    // The episodes each podcast offered at its last visit.
    "CREATE TABLE podcast_seen ("
    " podcast INTEGER NOT NULL, episode BLOB NOT NULL, PRIMARY KEY (podcast, episode)) WITHOUT ROWID",
    // The same for podcasts known only by their feed address (the portal's).
    "CREATE TABLE feed_visit (feed_url TEXT PRIMARY KEY, last_visit INTEGER NOT NULL)",
    "CREATE TABLE feed_seen ("
    " feed_url TEXT NOT NULL, episode BLOB NOT NULL, PRIMARY KEY (feed_url, episode)) WITHOUT ROWID",
    // The user's own channel lists; AUTOINCREMENT so an id is never given twice.
    "CREATE TABLE own_list (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL, source TEXT NOT NULL,"
    " guide TEXT NOT NULL DEFAULT '', place INTEGER NOT NULL)",
};

} // namespace

class UserState::Db {
public:
    explicit Db(const QString& path)
        : name_(QStringLiteral("zv-userstate-%1").arg(++counter()))
    {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
            return;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        // Another copy of the program may hold the lock for a moment.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        if (!db.open())
            return;
        // Written ahead and synced at each commit: a kill or a power cut keeps
        // every committed change and never leaves a half-written page.
        if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=FULL") || !migrate()) {
            db.close();
            return;
        }
        open_ = true;
    }

    ~Db()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }

    bool isOpen() const { return open_; }
    QSqlDatabase database() const { return QSqlDatabase::database(name_, false); }

    bool exec(const char* sql)
    {
        QSqlQuery q(database());
        return q.exec(QString::fromLatin1(sql));
    }

    // One statement with its values, run; nothing when it failed.
    std::optional<QSqlQuery> run(QByteArrayView sql, std::initializer_list<QVariant> values) const
    {
        if (!open_)
            return std::nullopt;
        QSqlQuery q(database());
        q.prepare(QString::fromLatin1(sql));
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (!q.exec())
            return std::nullopt;
        return q;
    }

    // Changes made by `work` (true when all went well), in one transaction:
    // all of them or none.
    template <typename Work> bool transaction(Work&& work)
    {
        if (!open_)
            return false;
        QSqlDatabase db = database();
        if (!db.transaction())
            return false;
        if (!work() || !db.commit()) {
            db.rollback();
            return false;
        }
        return true;
    }

    // One statement with its values, in a transaction of its own.
    bool write(const char* sql, std::initializer_list<QVariant> values)
    {
        return transaction([&] { return run(sql, values).has_value(); });
    }

    // The episodes seen at the last visit of `podcast` (a value of `column`
    // in `table`) become episodeKeys; inside a transaction.
    bool replaceSeen(const char* table, const char* column, const QVariant& podcast,
        const std::vector<QByteArray>& episodeKeys)
    {
        const QString t = QLatin1String(table), c = QLatin1String(column);
        if (!run(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(t, c).toLatin1(), {podcast}))
            return false;
        QSqlQuery add(database());
        add.prepare(QStringLiteral("INSERT OR IGNORE INTO %1 (%2, episode) VALUES (?, ?)").arg(t, c));
        for (const QByteArray& key : episodeKeys) {
            add.addBindValue(podcast);
            add.addBindValue(key);
            if (!add.exec())
                return false;
        }
        return true;
    }

    // The first row of an answer.
    std::optional<QSqlQuery> read(const char* sql, const QVariant& key) const
    {
        std::optional<QSqlQuery> q = run(sql, {key});
        if (!q || !q->next())
            return std::nullopt;
        return q;
    }

    // The last visit of `podcast`: when it was (whenSql's one value; none
    // while it is null) and the episodes seen then (seenSql's rows).
    std::optional<PodcastVisit> visit(const char* whenSql, const char* seenSql, const QVariant& podcast) const
    {
        auto when = read(whenSql, podcast);
        if (!when || when->value(0).isNull())
            return std::nullopt;
        PodcastVisit visit;
        visit.when = QDateTime::fromMSecsSinceEpoch(when->value(0).toLongLong(), Qt::UTC);
        if (auto q = run(seenSql, {podcast})) {
            while (q->next())
                visit.episodes.insert(q->value(0).toByteArray());
        }
        return visit;
    }

private:
    static std::atomic<int>& counter()
    {
        static std::atomic<int> n{0};
        return n;
    }

    bool migrate()
    {
        QSqlDatabase db = database();
        QSqlQuery version(db);
        if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next())
            return false;
        const int done = version.value(0).toInt();
        const int steps = int(std::size(Schema));
        if (done > steps)
            return true; // written by a newer program: the tables it knows are kept
        for (int i = done; i < steps; ++i) {
            if (!db.transaction())
                return false;
            QSqlQuery q(db);
            if (!q.exec(QString::fromLatin1(Schema[i]))
                || !q.exec(QStringLiteral("PRAGMA user_version=%1").arg(i + 1)) || !db.commit()) {
                db.rollback();
                return false;
            }
        }
        return true;
    }

    QString name_;
    bool open_ = false;
};

namespace {
UserState* standIn = nullptr;
}

UserState& UserState::instance()
{
    if (standIn)
        return *standIn;
    static UserState state(defaultPath());
    return state;
}

void UserState::setInstance(UserState* state)
{
    standIn = state;
}

QString UserState::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/zevalo-multimedia/state.sqlite");
}

UserState::UserState(const QString& path)
    : path_(path)
    , db_(std::make_unique<Db>(path))
{
}

UserState::~UserState() = default;

bool UserState::isOpen() const
{
    return db_->isOpen();
}

std::optional<UserState::PartialDownload> UserState::partialDownload(const QString& partPath) const
{
    auto q = db_->read(
        "SELECT url, etag, last_modified, total FROM partial_download WHERE part_path = ?", partPath);
    if (!q)
        return std::nullopt;
    PartialDownload p;
    p.url = q->value(0).toByteArray();
    p.etag = q->value(1).toByteArray();
    p.lastModified = q->value(2).toByteArray();
    p.total = q->value(3).isNull() ? -1 : q->value(3).toLongLong();
    return p;
}

void UserState::setPartialDownload(const QString& partPath, const PartialDownload& p)
{
    db_->write("INSERT OR REPLACE INTO partial_download (part_path, url, etag, last_modified, total)"
               " VALUES (?, ?, ?, ?, ?)",
        {partPath, p.url, p.etag, p.lastModified, p.total < 0 ? QVariant() : QVariant(p.total)});
}

void UserState::forgetPartialDownload(const QString& partPath)
{
    db_->write("DELETE FROM partial_download WHERE part_path = ?", {partPath});
}

std::optional<UserState::Playback> UserState::playback(const QByteArray& key) const
{
    auto q = db_->read("SELECT position_ms, length_ms, heard FROM playback WHERE key = ?", key);
    if (!q)
        return std::nullopt;
    return Playback{q->value(0).toLongLong(), q->value(1).toLongLong(), q->value(2).toBool()};
}

void UserState::setPlayback(const QByteArray& key, const Playback& p)
{
    db_->write("INSERT OR REPLACE INTO playback (key, position_ms, length_ms, heard, updated)"
               " VALUES (?, ?, ?, ?, strftime('%s','now'))",
        {key, p.positionMs, p.lengthMs, p.heard ? 1 : 0});
}

QByteArray UserState::value(const QByteArray& key) const
{
    auto q = db_->read("SELECT value FROM named_value WHERE key = ?", key);
    return q ? q->value(0).toByteArray() : QByteArray();
}

void UserState::setValue(const QByteArray& key, const QByteArray& value)
{
    db_->write("INSERT OR REPLACE INTO named_value (key, value) VALUES (?, ?)", {key, value});
}

// ---- own podcasts ----------------------------------------------------------------

namespace {

// The top of the tree is parent NULL; a place is compared with "parent IS ?".
QVariant parentValue(qint64 parent)
{
    return parent == 0 ? QVariant(QMetaType::fromType<qint64>()) : QVariant(parent);
}

// NULL for an empty address; a title is never NULL.
QVariant textValue(const QString& text)
{
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

QVariant titleValue(const QString& title)
{
    return title.isNull() ? QVariant(QStringLiteral("")) : QVariant(title);
}

// A statement over "sub": the row whose id is its first value and every row
// below it (a cycle, which no change of ours makes, ends the walk).
QByteArray subtree(const char* statement)
{
    return QByteArray("WITH RECURSIVE sub(id) AS (SELECT ? UNION"
                      " SELECT o.id FROM own_podcast o JOIN sub ON o.parent = sub.id) ")
        + statement;
}

} // namespace

class UserState::PodcastTree {
public:
    explicit PodcastTree(Db& db)
        : db_(db)
    {
    }

    // Whether `parent` may hold things: the top, or a folder.
    bool isFolder(qint64 parent) const
    {
        if (parent == 0)
            return true;
        auto q = db_.read("SELECT feed_url IS NULL FROM own_podcast WHERE id = ?", parent);
        return q && q->value(0).toBool();
    }

    // Where a new last child of `parent` goes (positions have no gaps).
    std::optional<int> endPosition(qint64 parent) const
    {
        auto q = db_.read(
            "SELECT COALESCE(MAX(position) + 1, 0) FROM own_podcast WHERE parent IS ?", parentValue(parent));
        if (!q)
            return std::nullopt;
        return q->value(0).toInt();
    }

    // Room at `position` (clamped; -1 the end) among parent's children, other
    // than `except`: the position made.
    std::optional<int> makeRoom(qint64 parent, int position, qint64 except = 0)
    {
        const std::optional<int> end = endPosition(parent);
        if (!end)
            return std::nullopt;
        const auto moved = except != 0 ? place(except) : std::nullopt;
        const int others = *end - (moved && moved->first == parent && moved->second >= 0 ? 1 : 0);
        const int at = position < 0 || position > others ? others : position;
        if (at < others
            && !db_.run("UPDATE own_podcast SET position = position + 1"
                        " WHERE parent IS ? AND position >= ? AND id != ?",
                {parentValue(parent), at, except}))
            return std::nullopt;
        return at;
    }

    // Closes the gap a row leaves at its place.
    bool closeGap(qint64 parent, int position)
    {
        return db_
            .run("UPDATE own_podcast SET position = position - 1 WHERE parent IS ? AND position > ?",
                {parentValue(parent), position})
            .has_value();
    }

    qint64 insert(
        qint64 parent, int position, const QString& title, const QString& feedUrl, const QString& siteUrl)
    {
        const std::optional<int> at = makeRoom(parent, position);
        if (!at)
            return 0;
        auto q = db_.run("INSERT INTO own_podcast (parent, position, title, feed_url, site_url)"
                         " VALUES (?, ?, ?, ?, ?)",
            {parentValue(parent), *at, titleValue(title), textValue(feedUrl), textValue(siteUrl)});
        return q ? q->lastInsertId().toLongLong() : 0;
    }

    // Its parent and position.
    std::optional<std::pair<qint64, int>> place(qint64 id) const
    {
        auto q = db_.read("SELECT parent, position FROM own_podcast WHERE id = ?", id);
        if (!q)
            return std::nullopt;
        return std::pair{q->value(0).toLongLong(), q->value(1).toInt()};
    }

    qint64 findFeed(const QString& feedUrl) const
    {
        auto q = db_.read("SELECT id FROM own_podcast WHERE feed_url = ?", feedUrl);
        return q ? q->value(0).toLongLong() : 0;
    }

    // Adds what a subscription list holds under `parent`; false on a failure.
    bool import(qint64 parent, const std::vector<PodcastOutline>& outlines, int& added)
    {
        for (const PodcastOutline& o : outlines) {
            if (!o.isFolder()) {
                if (findFeed(o.feedUrl) != 0)
                    continue;
                if (insert(parent, -1, o.title, o.feedUrl, o.siteUrl) == 0)
                    return false;
                ++added;
                continue;
            }
            auto same
                = db_.run("SELECT id FROM own_podcast WHERE parent IS ? AND feed_url IS NULL AND title = ?"
                          " ORDER BY position LIMIT 1",
                    {parentValue(parent), titleValue(o.title)});
            if (!same)
                return false;
            qint64 folder = same->next() ? same->value(0).toLongLong() : 0;
            same.reset();
            if (folder == 0)
                folder = insert(parent, -1, o.title, {}, {});
            if (folder == 0 || !import(folder, o.children, added))
                return false;
        }
        return true;
    }

private:
    Db& db_;
};

std::vector<UserState::OwnPodcast> UserState::ownPodcasts() const
{
    std::vector<OwnPodcast> rows;
    auto q = db_->run("SELECT id, parent, position, title, feed_url, site_url, last_visit FROM own_podcast"
                      " ORDER BY parent, position, id",
        {});
    if (!q)
        return rows;
    QHash<qint64, std::vector<OwnPodcast>> children;
    while (q->next()) {
        OwnPodcast p;
        p.id = q->value(0).toLongLong();
        p.parent = q->value(1).toLongLong();
        p.position = q->value(2).toInt();
        p.title = q->value(3).toString();
        p.feedUrl = q->value(4).toString();
        p.siteUrl = q->value(5).toString();
        if (!q->value(6).isNull())
            p.lastVisit = QDateTime::fromMSecsSinceEpoch(q->value(6).toLongLong(), Qt::UTC);
        children[p.parent].push_back(std::move(p));
    }
    // Depth first from the top, without recursion.
    std::vector<std::pair<const std::vector<OwnPodcast>*, std::size_t>> stack;
    if (children.contains(0))
        stack.push_back({&children[0], 0});
    while (!stack.empty()) {
        auto& [list, next] = stack.back();
        if (next == list->size()) {
            stack.pop_back();
            continue;
        }
        OwnPodcast row = (*list)[next++];
        row.depth = int(stack.size()) - 1;
        const auto inside = children.constFind(row.id);
        rows.push_back(std::move(row));
        if (inside != children.constEnd() && rows.back().isFolder())
            stack.push_back({&*inside, 0});
    }
    return rows;
}

std::vector<PodcastOutline> UserState::ownPodcastTree() const
{
    std::vector<PodcastOutline> top;
    std::vector<std::vector<PodcastOutline>*> open{&top};
    for (const OwnPodcast& row : ownPodcasts()) {
        open.resize(std::size_t(row.depth) + 1);
        open.back()->push_back({row.title, row.feedUrl, row.siteUrl, {}});
        if (row.isFolder())
            open.push_back(&open.back()->back().children);
    }
    return top;
}

qint64 UserState::findOwnPodcast(const QString& feedUrl) const
{
    return feedUrl.isEmpty() ? 0 : PodcastTree(*db_).findFeed(feedUrl);
}

qint64 UserState::addOwnPodcast(
    qint64 parent, const QString& title, const QString& feedUrl, int position, const QString& siteUrl)
{
    PodcastTree tree(*db_);
    qint64 id = 0;
    const bool added = db_->transaction([&] {
        if (!tree.isFolder(parent) || (!feedUrl.isEmpty() && tree.findFeed(feedUrl) != 0))
            return false;
        id = tree.insert(parent, position, title, feedUrl, siteUrl);
        return id != 0;
    });
    return added ? id : 0;
}

bool UserState::removeOwnPodcast(qint64 id)
{
    PodcastTree tree(*db_);
    return db_->transaction([&] {
        const auto place = tree.place(id);
        return place && db_->run(subtree("DELETE FROM podcast_seen WHERE podcast IN sub"), {id})
            && db_->run(subtree("DELETE FROM own_podcast WHERE id IN sub"), {id})
            && tree.closeGap(place->first, place->second);
    });
}

bool UserState::renameOwnPodcast(qint64 id, const QString& title)
{
    return db_->transaction([&] {
        auto q = db_->run("UPDATE own_podcast SET title = ? WHERE id = ?", {titleValue(title), id});
        return q && q->numRowsAffected() == 1;
    });
}

bool UserState::moveOwnPodcast(qint64 id, qint64 parent, int position)
{
    PodcastTree tree(*db_);
    return db_->transaction([&] {
        const auto place = tree.place(id);
        if (!place || !tree.isFolder(parent))
            return false;
        auto inside = db_->run(subtree("SELECT 1 FROM sub WHERE id = ?"), {id, parent});
        if (!inside || inside->next())
            return false; // into itself or what it holds
        inside.reset();
        if (!tree.closeGap(place->first, place->second))
            return false;
        // Out of the way while room is made where it goes.
        if (!db_->run(
                "UPDATE own_podcast SET parent = ?, position = -1 WHERE id = ?", {parentValue(parent), id}))
            return false;
        const std::optional<int> at = tree.makeRoom(parent, position, id);
        return at && db_->run("UPDATE own_podcast SET position = ? WHERE id = ?", {*at, id});
    });
}

int UserState::importOwnPodcasts(qint64 parent, const std::vector<PodcastOutline>& outlines)
{
    PodcastTree tree(*db_);
    int added = 0;
    const bool done
        = db_->transaction([&] { return tree.isFolder(parent) && tree.import(parent, outlines, added); });
    return done ? added : -1;
}

std::optional<UserState::PodcastVisit> UserState::lastVisit(qint64 podcast) const
{
    return db_->visit("SELECT last_visit FROM own_podcast WHERE id = ?",
        "SELECT episode FROM podcast_seen WHERE podcast = ?", podcast);
}

void UserState::markVisited(qint64 podcast, const std::vector<QByteArray>& episodeKeys, const QDateTime& when)
{
    db_->transaction([&] {
        auto visited = db_->run(
            "UPDATE own_podcast SET last_visit = ? WHERE id = ?", {when.toMSecsSinceEpoch(), podcast});
        return visited && visited->numRowsAffected() == 1
            && db_->replaceSeen("podcast_seen", "podcast", podcast, episodeKeys);
    });
}

std::optional<UserState::PodcastVisit> UserState::feedVisit(const QString& feedUrl) const
{
    if (feedUrl.isEmpty())
        return std::nullopt;
    if (const qint64 own = findOwnPodcast(feedUrl))
        return lastVisit(own);
    return db_->visit("SELECT last_visit FROM feed_visit WHERE feed_url = ?",
        "SELECT episode FROM feed_seen WHERE feed_url = ?", feedUrl);
}

void UserState::markFeedVisited(
    const QString& feedUrl, const std::vector<QByteArray>& episodeKeys, const QDateTime& when)
{
    if (feedUrl.isEmpty())
        return;
    if (const qint64 own = findOwnPodcast(feedUrl)) {
        markVisited(own, episodeKeys, when);
        return;
    }
    db_->transaction([&] {
        return db_->run("INSERT OR REPLACE INTO feed_visit (feed_url, last_visit) VALUES (?, ?)",
                   {feedUrl, when.toMSecsSinceEpoch()})
            && db_->replaceSeen("feed_seen", "feed_url", feedUrl, episodeKeys);
    });
}

// ---- own channel lists ---------------------------------------------------------

std::vector<UserState::OwnListDefinition> UserState::ownLists() const
{
    std::vector<OwnListDefinition> lists;
    auto q = db_->run("SELECT id, name, source, guide FROM own_list ORDER BY place, id", {});
    if (!q)
        return lists;
    while (q->next())
        lists.push_back({q->value(0).toLongLong(), q->value(1).toString(), q->value(2).toString(),
            q->value(3).toString()});
    return lists;
}

qint64 UserState::addOwnList(const OwnListDefinition& list)
{
    qint64 id = 0;
    db_->transaction([&] {
        auto q = db_->run("INSERT INTO own_list (name, source, guide, place)"
                          " VALUES (?, ?, ?, (SELECT COALESCE(MAX(place), -1) + 1 FROM own_list))",
            {titleValue(list.name), titleValue(list.source), titleValue(list.guide)});
        id = q ? q->lastInsertId().toLongLong() : 0;
        return id > 0;
    });
    return id;
}

bool UserState::updateOwnList(const OwnListDefinition& list)
{
    return db_->transaction([&] {
        auto q = db_->run("UPDATE own_list SET name = ?, source = ?, guide = ? WHERE id = ?",
            {titleValue(list.name), titleValue(list.source), titleValue(list.guide), list.id});
        return q && q->numRowsAffected() == 1;
    });
}

bool UserState::removeOwnList(qint64 id)
{
    return db_->transaction([&] {
        auto q = db_->run("DELETE FROM own_list WHERE id = ?", {id});
        return q && q->numRowsAffected() == 1;
    });
}

bool UserState::moveOwnList(qint64 id, int place)
{
    const std::vector<OwnListDefinition> lists = ownLists();
    std::vector<qint64> order;
    for (const OwnListDefinition& list : lists)
        if (list.id != id)
            order.push_back(list.id);
    if (order.size() == lists.size())
        return false; // no such list
    order.insert(order.begin() + std::clamp<qsizetype>(place, 0, qsizetype(order.size())), id);
    return db_->transaction([&] {
        for (std::size_t i = 0; i < order.size(); ++i)
            if (!db_->run("UPDATE own_list SET place = ? WHERE id = ?", {qint64(i), order[i]}))
                return false;
        return true;
    });
}

} // namespace zv
