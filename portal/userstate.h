#pragma once
// What the program remembers for the user beyond config.ini: how far each
// partial download got and what it was checked against, where each episode
// stopped and whether it was heard. One SQLite database in the user's data
// folder ($XDG_DATA_HOME/zevalo-multimedia/state.sqlite), every change in a
// transaction of its own, written ahead and synced, so that a kill or a power
// cut leaves either the old state or the new one, never a broken file.
//
// Used from the user-interface thread only. A database that cannot be opened
// (a read-only home, a broken file) makes every read answer "nothing known"
// and every write do nothing: what it holds is a convenience, never a reason
// for a window to fail.

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace zv {

class UserState {
public:
    // The user's database, opened on first use.
    static UserState& instance();
    // The file it lives in: $XDG_DATA_HOME/zevalo-multimedia/state.sqlite.
    static QString defaultPath();

    explicit UserState(const QString& path);
    ~UserState();
    UserState(const UserState&) = delete;
    UserState& operator=(const UserState&) = delete;

    bool isOpen() const;
    const QString& path() const { return path_; }

    // A download cut before its end: the address asked, the validator of the
    // answer whose bytes the .part holds (a strong ETag, else Last-Modified),
    // and the whole file's length (-1 when the server did not say).
    struct PartialDownload {
        QByteArray url;
        QByteArray etag;
        QByteArray lastModified;
        qint64 total = -1;
    };
    std::optional<PartialDownload> partialDownload(const QString& partPath) const;
    void setPartialDownload(const QString& partPath, const PartialDownload& partial);
    void forgetPartialDownload(const QString& partPath);

    // Where playback of a media item stopped, in milliseconds, and whether it
    // was heard to its end. Keyed by what identifies the item (its address, or
    // a feed's episode key).
    struct Playback {
        qint64 positionMs = 0;
        qint64 lengthMs = 0;
        bool heard = false;
    };
    std::optional<Playback> playback(const QByteArray& key) const;
    void setPlayback(const QByteArray& key, const Playback& playback);

    // Small named values (the folder a download was last saved to, …); empty when unknown.
    QByteArray value(const QByteArray& key) const;
    void setValue(const QByteArray& key, const QByteArray& value);

private:
    class Db;
    QString path_;
    std::unique_ptr<Db> db_;
};

} // namespace zv
