#pragma once
// The own-list example that a user adds by its address: an extended M3U of
// the demo's channels with groups and logos, and the XMLTV guide of those
// channels, generated around the given time.
#include "server/catalogue.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zvs {

inline constexpr const char* kOwnListPath = "/listes/zevalo.m3u";
inline constexpr const char* kGuidePath = "/guide/zevalo.xml"; // and the same with ".gz"

QByteArray ownListPlaylist(const OwnList& list, const QString& base); // UTF-8

// Each channel's daily grid, yesterday, today and tomorrow in its own time
// zone, its times written with their offset. UTF-8.
QByteArray programmeGuide(const OwnList& list, const QString& base, const QDateTime& now);

QByteArray gzipped(const QByteArray& data); // a .gz file's bytes

} // namespace zvs
