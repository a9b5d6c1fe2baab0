#include "server/ownfeeds.h"

#include "server/charset.h"

#include <QFileInfo>
#include <QLocale>
#include <QTimeZone>

namespace zvs {

namespace {

QTimeZone feedZone()
{
    const QTimeZone paris("Europe/Paris");
    return paris.isValid() ? paris : QTimeZone::utc();
}

// Seven thirty in the morning, `daysAgo` days before `now`'s day.
QDateTime published(const OwnEpisode& e, const QDateTime& now)
{
    const QTimeZone zone = feedZone();
    return QDateTime(now.toTimeZone(zone).date().addDays(-e.daysAgo), QTime(7, 30), zone);
}

QString offset(const QDateTime& t, const QString& separator)
{
    const int minutes = t.offsetFromUtc() / 60;
    return (minutes < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        + QStringLiteral("%1%2%3")
              .arg(std::abs(minutes) / 60, 2, 10, QLatin1Char('0'))
              .arg(separator)
              .arg(std::abs(minutes) % 60, 2, 10, QLatin1Char('0'));
}

QString rfc822(const QDateTime& t) // "Sat, 09 Mar 2024 07:30:00 +0100"
{
    return QLocale::c().toString(t, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss ")) + offset(t, {});
}

QString rfc3339(const QDateTime& t) // "2024-03-09T07:30:00+01:00"
{
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + offset(t, QStringLiteral(":"));
}

// The three ways feeds write a duration: "01:02:30", "2:30" and "150".
QString duration(int seconds, qsizetype index)
{
    const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    switch (index % 3) {
    case 0:
        return two(seconds / 3600) + QLatin1Char(':') + two(seconds / 60 % 60) + QLatin1Char(':')
            + two(seconds % 60);
    case 1: return QString::number(seconds / 60) + QLatin1Char(':') + two(seconds % 60);
    default: return QString::number(seconds);
    }
}

QString mediaType(const QString& file)
{
    return file.endsWith(QLatin1String(".mp4")) ? QStringLiteral("video/mp4") : QStringLiteral("audio/mpeg");
}

QString media(const QString& base, const QString& file)
{
    return htmlEscapeText(base + QStringLiteral("/media/") + file);
}

QByteArray rss2(const OwnPodcast& p, const QString& base, const QString& mediaRoot, const QDateTime& now)
{
    QString x
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
                         "xmlns:atom=\"http://www.w3.org/2005/Atom\">\n<channel>\n");
    x += QStringLiteral("  <title>%1</title>\n  <link>%2/</link>\n").arg(htmlEscapeText(p.title), base);
    x += QStringLiteral("  <atom:link href=\"%1\" rel=\"self\" type=\"application/rss+xml\"/>\n")
             .arg(htmlEscapeText(ownFeedAddress(p, base)));
    x += QStringLiteral("  <language>fr</language>\n  <description>%1</description>\n")
             .arg(htmlEscapeText(p.description));
    if (!p.episodes.isEmpty())
        x += QStringLiteral("  <lastBuildDate>%1</lastBuildDate>\n")
                 .arg(rfc822(published(p.episodes.first(), now)));
    x += QStringLiteral("  <itunes:author>Zevalo Multimédia</itunes:author>\n");
    x += QStringLiteral("  <itunes:image href=\"%1\"/>\n").arg(media(base, p.image));
    for (qsizetype i = 0; i < p.episodes.size(); ++i) {
        const OwnEpisode& e = p.episodes[i];
        x += QStringLiteral("  <item>\n    <title>%1</title>\n    <description>%2</description>\n")
                 .arg(htmlEscapeText(e.title), htmlEscapeText(e.description));
        x += QStringLiteral("    <guid isPermaLink=\"false\">%1-%2</guid>\n")
                 .arg(p.slug)
                 .arg(p.episodes.size() - i);
        x += QStringLiteral("    <pubDate>%1</pubDate>\n").arg(rfc822(published(e, now)));
        x += QStringLiteral("    <enclosure url=\"%1\" length=\"%2\" type=\"%3\"/>\n")
                 .arg(media(base, e.file))
                 .arg(QFileInfo(mediaRoot + QLatin1Char('/') + e.file).size())
                 .arg(mediaType(e.file));
        x += QStringLiteral("    <itunes:duration>%1</itunes:duration>\n  </item>\n")
                 .arg(duration(e.seconds, i));
    }
    x += QStringLiteral("</channel>\n</rss>\n");
    return x.toUtf8();
}

// Oldest entry first, as some feeds write them.
QByteArray atom(const OwnPodcast& p, const QString& base, const QString& mediaRoot, const QDateTime& now)
{
    QString x
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                         "<feed xmlns=\"http://www.w3.org/2005/Atom\" "
                         "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" xml:lang=\"fr\">\n");
    x += QStringLiteral("  <title>%1</title>\n  <subtitle>%2</subtitle>\n")
             .arg(htmlEscapeText(p.title), htmlEscapeText(p.description));
    x += QStringLiteral("  <id>urn:zevalo:flux:%1</id>\n").arg(p.slug);
    if (!p.episodes.isEmpty())
        x += QStringLiteral("  <updated>%1</updated>\n").arg(rfc3339(published(p.episodes.first(), now)));
    x += QStringLiteral(
        "  <link rel=\"self\" href=\"%1\"/>\n  <link rel=\"alternate\" type=\"text/html\" href=\"%2/\"/>\n")
             .arg(htmlEscapeText(ownFeedAddress(p, base)), base);
    x += QStringLiteral("  <author><name>Zevalo Musique</name></author>\n  <logo>%1</logo>\n")
             .arg(media(base, p.image));
    for (qsizetype i = p.episodes.size() - 1; i >= 0; --i) {
        const OwnEpisode& e = p.episodes[i];
        const QString date = rfc3339(published(e, now));
        x += QStringLiteral("  <entry>\n    <title>%1</title>\n    <id>urn:zevalo:flux:%2:%3</id>\n")
                 .arg(htmlEscapeText(e.title), p.slug)
                 .arg(p.episodes.size() - i);
        x += QStringLiteral("    <published>%1</published>\n    <updated>%1</updated>\n").arg(date);
        x += QStringLiteral("    <summary>%1</summary>\n").arg(htmlEscapeText(e.description));
        x += QStringLiteral("    <link rel=\"enclosure\" type=\"%1\" length=\"%2\" href=\"%3\"/>\n")
                 .arg(mediaType(e.file))
                 .arg(QFileInfo(mediaRoot + QLatin1Char('/') + e.file).size())
                 .arg(media(base, e.file));
        x += QStringLiteral("    <itunes:duration>%1</itunes:duration>\n  </entry>\n")
                 .arg(duration(e.seconds, i));
    }
    x += QStringLiteral("</feed>\n");
    return x.toUtf8();
}

// RSS 0.91 as it was written: ISO-8859-1, no dates, no enclosures (each item
// links to its sound).
QByteArray rss091(const OwnPodcast& p, const QString& base)
{
    QString x = QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                               "<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" "
                               "\"http://my.netscape.com/publish/formats/rss-0.91.dtd\">\n"
                               "<rss version=\"0.91\">\n<channel>\n");
    x += QStringLiteral(
        "<title>%1</title>\n<link>%2/</link>\n<description>%3</description>\n<language>fr</language>\n")
             .arg(htmlEscapeText(p.title), base, htmlEscapeText(p.description));
    x += QStringLiteral("<image>\n<title>%1</title>\n<url>%2</url>\n<link>%3/</link>\n</image>\n")
             .arg(htmlEscapeText(p.title), media(base, p.image), base);
    for (const OwnEpisode& e : p.episodes) {
        x += QStringLiteral(
            "<item>\n<title>%1</title>\n<link>%2</link>\n<description>%3</description>\n</item>\n")
                 .arg(htmlEscapeText(e.title), media(base, e.file), htmlEscapeText(e.description));
    }
    x += QStringLiteral("</channel>\n</rss>\n");
    QString latin1;
    for (QChar ch : x) {
        if (ch.unicode() > 0xFF)
            latin1 += QStringLiteral("&#%1;").arg(ch.unicode());
        else
            latin1 += ch;
    }
    return latin1.toLatin1();
}

struct Folder {
    QString name;
    QVector<const OwnPodcast*> feeds;
    QVector<Folder> folders;
};

void writeFolder(const Folder& f, const QString& base, const QString& indent, QString& x)
{
    for (const OwnPodcast* p : f.feeds) {
        x += indent
            + QStringLiteral(
                "<outline type=\"rss\" text=\"%1\" title=\"%1\" xmlUrl=\"%2\" htmlUrl=\"%3/\"%4/>\n")
                  .arg(htmlEscapeText(p->title), htmlEscapeText(ownFeedAddress(*p, base)), base,
                      p->format == QLatin1String("rss2")         ? QStringLiteral(" version=\"RSS2\"")
                          : p->format == QLatin1String("rss091") ? QStringLiteral(" version=\"RSS\"")
                                                                 : QString());
    }
    for (const Folder& sub : f.folders) {
        x += indent + QStringLiteral("<outline text=\"%1\" title=\"%1\">\n").arg(htmlEscapeText(sub.name));
        writeFolder(sub, base, indent + QStringLiteral("  "), x);
        x += indent + QStringLiteral("</outline>\n");
    }
}

} // namespace

QString ownFeedAddress(const OwnPodcast& podcast, const QString& base)
{
    return base + QStringLiteral("/flux/") + podcast.slug + QStringLiteral(".xml");
}

const char* ownFeedType(const OwnPodcast& podcast)
{
    if (podcast.format == QLatin1String("atom"))
        return "application/atom+xml; charset=utf-8";
    if (podcast.format == QLatin1String("rss091"))
        return "application/rss+xml; charset=iso-8859-1";
    return "application/rss+xml; charset=utf-8";
}

QByteArray ownFeed(
    const OwnPodcast& podcast, const QString& base, const QString& mediaRoot, const QDateTime& now)
{
    if (podcast.format == QLatin1String("atom"))
        return atom(podcast, base, mediaRoot, now);
    if (podcast.format == QLatin1String("rss091"))
        return rss091(podcast, base);
    return rss2(podcast, base, mediaRoot, now);
}

QByteArray subscriptionList(const QVector<OwnPodcast>& podcasts, const QString& base, const QDateTime& now)
{
    Folder root;
    for (const OwnPodcast& p : podcasts) {
        Folder* f = &root;
        for (const QString& name : p.folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            auto it = std::find_if(
                f->folders.begin(), f->folders.end(), [&](const Folder& s) { return s.name == name; });
            if (it == f->folders.end()) {
                f->folders.append({name, {}, {}});
                it = f->folders.end() - 1;
            }
            f = &*it;
        }
        f->feeds.append(&p);
    }
    QString x
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n  <head>\n");
    x += QStringLiteral("    <title>Mes podcasts Zevalo</title>\n    <dateCreated>%1</dateCreated>\n")
             .arg(rfc822(now.toTimeZone(feedZone())));
    x += QStringLiteral("    <ownerName>Zevalo Multimédia</ownerName>\n  </head>\n  <body>\n");
    writeFolder(root, base, QStringLiteral("    "), x);
    x += QStringLiteral("  </body>\n</opml>\n");
    return x.toUtf8();
}

} // namespace zvs
