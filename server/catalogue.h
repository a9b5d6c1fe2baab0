#pragma once
// The demo portal's catalogue: every channel, clip, game, podcast, track and
// video it lists, read from catalogue.json in the content folder. The media
// generator reads the same file to know what to make.
#include <QString>
#include <QStringList>
#include <QVector>

namespace zvs {

struct Channel { // TV channel, radio or clip
    int id = 0; // content id counted by vu.php; 0 = sent without one
    QString name;
    QString key; // flag code ("fr") or badge ("new"), may be empty
    QString file; // media path under /media/
    QString engine; // "", "vlc", "ra" or "wmp": prefix written before the address
    QString colour; // background of the generated picture
};

struct BouquetEntry {
    int number = 0;
    QString name;
    QString file;
};

struct Bouquet {
    QString name; // file name without ".m3u"
    bool utf8 = false; // written as UTF-8, as some boxes do; otherwise Windows-1252
    QVector<BouquetEntry> entries;
};

struct Game {
    int id = 0;
    QString name;
    QString category;
    QString kind; // "swf" or "html"
    QString file; // swf: media path; html: page path under the content folder
    int width = 550;
    int height = 400;
    QString description;
    QString background; // swf background, "#rrggbb"
    QString colour; // swf shape colour
};

struct Episode {
    QString title;
    QString file;
    bool closedEnclosure = true; // <enclosure ...></enclosure> or <enclosure .../>
};

struct Podcast {
    int id = 0;
    QString group1;
    QString group2;
    QString title;
    QString slug; // feed at /podcasts/<slug>.xml
    QString imageStyle; // "url", "itunes", "itunes-closed", "both" or "none"
    QString image; // media path of the picture
    bool entities = false; // accents in titles written as character references
    QString description;
    QVector<Episode> episodes;
};

struct Track {
    QString title;
    QString artist;
    QString genre;
    QString file;
    int seconds = 8;
};

struct Video {
    QString title;
    QString keywords;
    QString file;
    QString thumbnail;
    int seconds = 6;
    QString engine;
};

// A programme of a channel's daily grid, in the channel's local time; it
// runs until the next one starts.
struct GuideSlot {
    QString start; // "HH:MM"
    QString title;
    QString category;
    QString description;
};

// A channel of the own-list example (an extended M3U) and of its guide.
struct ListChannel {
    QString id; // tvg-id, and the guide's channel id
    QString name; // tvg-name
    QString title; // the title after the attributes
    QString group;
    bool groupLine = false; // the group in an #EXTGRP line rather than group-title
    QString option; // an #EXTVLCOPT option, may be empty
    QString file; // media path of the stream
    QString logo; // media path of the logo, made by the generator
    QString colour; // the logo's background
    QString zone; // IANA time zone of the guide's times
    QVector<GuideSlot> grid;
};

struct OwnList {
    QString name;
    QVector<ListChannel> channels;
};

struct OwnEpisode {
    QString title;
    QString file;
    int seconds = 0;
    int daysAgo = 0; // published that many days before today
    QString description;
};

// A feed of the own-podcast examples, in one of the formats podcast clients
// meet: "rss2", "atom" or "rss091".
struct OwnPodcast {
    QString slug; // feed at /flux/<slug>.xml
    QString format;
    QString title;
    QString folder; // where the subscription file files it ("Musique/Découvertes"), may be empty
    QString description;
    QString image; // media path
    QVector<OwnEpisode> episodes;
};

struct Catalogue {
    QVector<Channel> tv;
    QVector<Channel> radios;
    QVector<Channel> clips;
    QVector<Bouquet> bouquets;
    QVector<Game> games;
    QVector<Podcast> podcasts;
    QVector<Track> tracks;
    QVector<Video> videos;
    OwnList ownList;
    QVector<OwnPodcast> ownPodcasts;

    QStringList categories() const; // in order of first appearance
    const Game* findGame(const QString& name) const; // case-insensitive
    bool hasCategory(const QString& name, QString* exact = nullptr) const;
    bool knownContentId(int id) const;
};

// Throws std::runtime_error with a readable reason when the file is missing or
// malformed.
Catalogue loadCatalogue(const QString& path);

} // namespace zvs
