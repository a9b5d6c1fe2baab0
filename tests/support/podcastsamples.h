#pragma once
// Podcast subscription trees and feed episodes for the tests, written out
// one line each so that a table can say what they hold, and subscription
// lists of any size in the shape podcast clients export them.
#include "portal/podcasts/feed.h"
#include "portal/podcasts/subscriptions.h"

#include <QStringList>

namespace zv::test {

// "Folder/" or "Title <address>", two spaces deeper per level.
inline void outlineLines(const std::vector<PodcastOutline>& outlines, QStringList& out, int depth = 0)
{
    for (const PodcastOutline& o : outlines) {
        const QString indent(2 * depth, u' ');
        out += o.isFolder() ? indent + o.title + u'/'
                            : indent + o.title + QStringLiteral(" <") + o.feedUrl + u'>';
        outlineLines(o.children, out, depth + 1);
    }
}

inline QStringList outlineLines(const std::vector<PodcastOutline>& outlines)
{
    QStringList out;
    outlineLines(outlines, out);
    return out;
}

// "title|address|date (UTC, ISO)|seconds|key" per episode, in order.
inline QStringList episodeLines(const FeedReading& feed)
{
    QStringList out;
    for (const FeedEpisode& e : feed.episodes)
        out += QStringList{e.title, e.url, e.published.toString(Qt::ISODate), QString::number(e.seconds),
            QString::fromUtf8(e.key)}
                   .join(u'|');
    return out;
}

// An OPML 2.0 export of `podcasts` podcasts, `perFolder` to a folder (none
// when 0), titles in several scripts.
inline QByteArray generatedSubscriptions(int podcasts, int perFolder = 0)
{
    const char* names[] = {"Les Pieds sur terre", "ラジオ日本語", "Радио Свобода", "Ελληνικά νέα", "عربي",
        "Science & Vie", "L'Heure du \"Crime\""};
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n  <head>\n"
                     "    <title>Export</title>\n  </head>\n  <body>\n";
    out.reserve(qsizetype(podcasts) * 160 + 200);
    for (int i = 0; i < podcasts; ++i) {
        if (perFolder > 0 && i % perFolder == 0) {
            if (i > 0)
                out += "    </outline>\n";
            out += "    <outline text=\"Dossier " + QByteArray::number(i / perFolder) + "\">\n";
        }
        const QByteArray n = QByteArray::number(i);
        QByteArray title = QByteArray(names[i % 7]) + " " + n;
        title.replace("&", "&amp;").replace("\"", "&quot;");
        out += "      <outline type=\"rss\" text=\"" + title + "\" xmlUrl=\"https://feeds.example/" + n
            + "/rss.xml\" htmlUrl=\"https://www.example/" + n + "\"/>\n";
    }
    if (perFolder > 0 && podcasts > 0)
        out += "    </outline>\n";
    out += "  </body>\n</opml>\n";
    return out;
}

} // namespace zv::test
