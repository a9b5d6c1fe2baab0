#include "portal/userstate.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
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

    // One statement with its values, in a transaction of its own.
    bool write(const char* sql, std::initializer_list<QVariant> values)
    {
        if (!open_)
            return false;
        QSqlDatabase db = database();
        if (!db.transaction())
            return false;
        QSqlQuery q(db);
        q.prepare(QString::fromLatin1(sql));
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (!q.exec()) {
            db.rollback();
            return false;
        }
        return db.commit();
    }

    std::optional<QSqlQuery> read(const char* sql, const QVariant& key) const
    {
        if (!open_)
            return std::nullopt;
        QSqlQuery q(database());
        q.prepare(QString::fromLatin1(sql));
        q.addBindValue(key);
        if (!q.exec() || !q.next())
            return std::nullopt;
        return q;
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

UserState& UserState::instance()
{
    static UserState state(defaultPath());
    return state;
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
    auto q = db_->read("SELECT url, etag, last_modified, total FROM partial_download WHERE part_path = ?", partPath);
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


} // namespace zv
