#pragma once
// The portal's text answers, built from the catalogue. Each returns the bytes
// the client parses: Windows-1252 unless said otherwise. `base` is the
// server's own address as the client reached it ("http://127.0.0.1:8631").
#include "server/catalogue.h"

#include <QByteArray>
#include <QString>

namespace zvs {

inline constexpr int kMp3ResultsPerAnswer = 20;
inline constexpr int kVideoResultsPerPage = 12;

QByteArray mediaUrl(const QString& base, const QString& file, const QString& engine = {});

// "[fr]Nom@@url##42" records, separated by `separator`.
QByteArray channelRecords(const QVector<Channel>& list, const QString& base, const QByteArray& separator);
QByteArray bouquetPlaylist(const Bouquet& bouquet, const QString& base);

QByteArray gameCategories(const Catalogue& cat);
QByteArray gamesOfCategory(const Catalogue& cat, const QString& category); // empty when unknown
QByteArray gameLaunch(const Game& game, const QString& base);
QString gameAddress(const Game& game, const QString& base);

QByteArray podcastCatalogue(const Catalogue& cat, const QString& base);
QByteArray podcastFeed(const Podcast& podcast, const QString& base); // UTF-8 RSS

// From `position` on (the number of results the client already has).
QByteArray mp3Search(const Catalogue& cat, const QString& base, const QString& keywords, long position);
// Page 1 is the first twelve results. Titles travel as UTF-8, as the outside
// site sends them.
QByteArray videoSearch(const Catalogue& cat, const QString& base, const QString& keywords, long page);
QString videoDuration(int seconds);

QByteArray popupSchedule(const QString& base);

} // namespace zvs
