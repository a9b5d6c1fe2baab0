#pragma once
// What the program remembers for the user beyond config.ini: how far each
// partial download got and what it was checked against, where each episode
// stopped and whether it was heard, the user's own podcasts and what each
// offered at the last visit, the user's own channel lists. One SQLite database in the user's data
// folder ($XDG_DATA_HOME/zevalo-multimedia/state.sqlite), every change in a
// transaction of its own, written ahead and synced, so that a kill or a power
// cut leaves either the old state or the new one, never a broken file.
//
// Used from the user-interface thread only. A database that cannot be opened
// (a read-only home, a broken file) makes every read answer "nothing known"
// and every write do nothing: what it holds is a convenience, never a reason
// for a window to fail.

#include "portal/podcasts/subscriptions.h"

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace zv {

class UserState {
public:
    // The user's database, opened on first use.
    static UserState& instance();
    // Tests give the program a database of their own; nullptr: the user's again.
    static void setInstance(UserState* state);
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

    // The user's own podcasts: folders and podcasts in a tree, each at a
    // position among its parent's children (0 first; parent 0 is the top).
    // A feed address is listed once.
    struct OwnPodcast {
        qint64 id = 0;
        qint64 parent = 0;
        int position = 0;
        int depth = 0; // folders above it
        QString title;
        QString feedUrl; // empty for a folder
        QString siteUrl;
        QDateTime lastVisit; // invalid until the podcast is first opened
        bool isFolder() const { return feedUrl.isEmpty(); }
    };
    // Depth first, each folder before what it holds, in position order.
    std::vector<OwnPodcast> ownPodcasts() const;
    // The podcast listed with that feed address, 0 when none is.
    qint64 findOwnPodcast(const QString& feedUrl) const;
    // A podcast (a feed address) or a folder (none) at `position` among the
    // children of the folder `parent` (-1: after them). Its id; 0 when
    // nothing was added (the address is listed already, the parent is no
    // folder, no database).
    qint64 addOwnPodcast(qint64 parent, const QString& title, const QString& feedUrl = {}, int position = -1,
        const QString& siteUrl = {});
    // A folder goes with everything in it.
    bool removeOwnPodcast(qint64 id);
    bool renameOwnPodcast(qint64 id, const QString& title);
    // To `position` among the children of `parent` (-1: after them); never
    // into itself.
    bool moveOwnPodcast(qint64 id, qint64 parent, int position);
    // A subscription list added under `parent`, all or nothing: a podcast
    // listed already stays where it is, a folder of the same name in the same
    // place takes in the new one's contents. The number of podcasts added; -1
    // when nothing could be written.
    int importOwnPodcasts(qint64 parent, const std::vector<PodcastOutline>& outlines);
    // The whole tree, for a subscription list.
    std::vector<PodcastOutline> ownPodcastTree() const;

    // The last time a podcast was opened and the episodes its feed offered
    // then (their keys): the episodes not among them are new.
    struct PodcastVisit {
        QDateTime when;
        QSet<QByteArray> episodes;
    };
    std::optional<PodcastVisit> lastVisit(qint64 podcast) const;
    void markVisited(qint64 podcast, const std::vector<QByteArray>& episodeKeys,
        const QDateTime& when = QDateTime::currentDateTimeUtc());
    // The same for a podcast known by its feed address: one of the user's own
    // (then the two above), or any other, such as the portal's.
    std::optional<PodcastVisit> feedVisit(const QString& feedUrl) const;
    void markFeedVisited(const QString& feedUrl, const std::vector<QByteArray>& episodeKeys,
        const QDateTime& when = QDateTime::currentDateTimeUtc());

    // The user's own channel lists, in the order the bouquet chooser shows
    // them. An id is never given twice, so what is cached under it stays its own.
    struct OwnListDefinition {
        qint64 id = 0;
        QString name;
        QString source; // an http or https address, or a file
        QString guide; // a guide address the user gave; empty: the ones the list names
        bool operator==(const OwnListDefinition&) const = default;
    };
    std::vector<OwnListDefinition> ownLists() const;
    // Put after the others; its id, 0 when it could not be written.
    qint64 addOwnList(const OwnListDefinition& list);
    // Name, source and guide of the list with that id.
    bool updateOwnList(const OwnListDefinition& list);
    bool removeOwnList(qint64 id);
    // Moves the list to a place (0: first), the others keeping their order.
    bool moveOwnList(qint64 id, int place);

private:
    class Db;
    class PodcastTree;
    QString path_;
    std::unique_ptr<Db> db_;
};

} // namespace zv
