#pragma once
// The feeds of the podcasts a user subscribes to: RSS 2.0 (with the iTunes
// and Media RSS tags), RSS 0.91 to 1.0 and Atom, in any encoding their XML
// declaration names. The portal's own podcasts keep their reader in
// portal/podcast.h. No widgets here.
#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace zv {

struct FeedEpisode {
    QString title;
    QString url; // the sound or picture to play
    QDateTime published; // UTC; invalid when the feed gives no date
    int seconds = -1; // its length; -1 when the feed does not say
    // What identifies the episode for remembered positions and marks: its
    // guid (Atom: its id), else its address. A short guid that names nothing
    // by itself ("12") is taken within its feed's address, so that two feeds
    // that number their episodes never share a key.
    QByteArray key;

    bool operator==(const FeedEpisode&) const = default;
};

struct FeedReading {
    QString title;
    QString picture; // empty without one
    QString siteUrl; // the podcast's web page, empty without one
    // Newest first; episodes without a date after those with one, in the
    // feed's order. Items with nothing to play are left out, and an episode
    // listed twice (same key) is kept once.
    std::vector<FeedEpisode> episodes;
    // Empty when the feed was read; otherwise a French message: why there is
    // nothing to show, or that what arrived was cut short (what came before
    // is kept).
    QString error;
};

// `feedUrl` (the address the feed came from) resolves relative addresses and
// scopes short guids; without it relative addresses are left out.
FeedReading ReadFeed(const QByteArray& bytes, const QString& feedUrl = {});

// RFC 822 ("Sat, 09 Mar 2024 07:30:00 +0100", zone names, two-digit years,
// English or French month names) and RFC 3339 ("2024-03-09T07:30:00.5+01:00",
// a date alone): milliseconds since the epoch, nothing when it is neither.
std::optional<qint64> ParseFeedDate(QByteArrayView text);

// "150", "2:30", "01:02:30" (a fraction of a second allowed) in seconds; -1
// when it is none of those or zero.
int ParseFeedDuration(QByteArrayView text);

} // namespace zv
