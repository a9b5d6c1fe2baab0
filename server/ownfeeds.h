#pragma once
// The own-podcast examples a user subscribes to by address: feeds in the
// three formats podcast clients meet (RSS 2.0 with iTunes tags, Atom, RSS
// 0.91 in ISO-8859-1), and an OPML 2.0 subscription file listing them.
#include "server/catalogue.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zvs {

inline constexpr const char* kSubscriptionsPath = "/flux/abonnements.opml";

// `mediaRoot` gives the enclosures their lengths; episodes are dated from `now`.
QByteArray ownFeed(
    const OwnPodcast& podcast, const QString& base, const QString& mediaRoot, const QDateTime& now);
QString ownFeedAddress(const OwnPodcast& podcast, const QString& base);
const char* ownFeedType(const OwnPodcast& podcast);

QByteArray subscriptionList(const QVector<OwnPodcast>& podcasts, const QString& base, const QDateTime& now);

} // namespace zvs
