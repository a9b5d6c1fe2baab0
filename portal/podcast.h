#pragma once
// The podcast catalogue (/exe/podcast.php) and the podcasts' RSS feeds, read
// as bytes. No widgets here.
#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace zv {

// The text after the first `open` up to the first `close` that follows it.
// Empty when either marker is missing. Case-sensitive.
QByteArrayView Between(QByteArrayView text, QByteArrayView open, QByteArrayView close);

// Without the first `open` ... `close` block; when `close` is missing, the text
// before the first `open`. A `close` that comes before `open` leaves the text
// unchanged.
QByteArray DropFirst(QByteArrayView text, QByteArrayView open, QByteArrayView close);

struct PodcastEntry {
    int id = 0;
    QByteArray group; // first grouping
    QByteArray subgroup; // second grouping
    QByteArray title;
    QByteArray feed; // the feed address, as given
};

struct PodcastCatalogue {
    std::vector<PodcastEntry> entries;
    // 1-based numbers of the lines left out: fewer than five fields or an id
    // that is not a whole number. Blank lines are left out silently.
    std::vector<int> badLines;
};

// One podcast per line, fields separated by tabs: id, group, subgroup, title,
// feed address.
PodcastCatalogue ParsePodcastCatalogue(QByteArrayView body);

struct PodcastEpisode {
    // Windows-1252, entities decoded. A UTF-8 feed's characters are mapped to
    // their Windows-1252 bytes ('?' outside the set); in a feed declared in a
    // single-byte set only the two-byte UTF-8 accents are repaired.
    QByteArray title;
    QByteArray url; // the enclosure's address, empty without one
};

struct PodcastFeed {
    QByteArray picture; // the channel's picture address, empty without one
    std::vector<PodcastEpisode> episodes;
};

// The channel's picture and its items, in order. Titles and addresses are the
// content of a CDATA section, without surrounding blanks. Linear in the feed's
// size.
PodcastFeed ParsePodcastFeed(QByteArrayView body);

} // namespace zv
