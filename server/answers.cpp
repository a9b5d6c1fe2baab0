#include "server/answers.h"

#include "server/charset.h"
#include "server/query.h"

namespace zvs {

namespace {

QByteArray joined(const QList<QByteArray>& parts, const QByteArray& separator)
{
    QByteArray out;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += separator;
        out += parts[i];
    }
    return out;
}

// Every word must occur in the text, accents and case aside.
bool matchesAll(const QString& haystack, const QStringList& words)
{
    const QString folded = foldForSearch(haystack);
    for (const QString& w : words) {
        if (!folded.contains(foldForSearch(w)))
            return false;
    }
    return true;
}

// Names are written in the answers without the characters that the grammars
// use as separators.
QString clean(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString xmlText(const QString& text, bool entities)
{
    QString escaped = htmlEscapeText(text);
    if (!entities)
        return escaped;
    QString out;
    for (QChar ch : escaped) {
        if (ch.unicode() >= 0x80)
            out += QStringLiteral("&#%1;").arg(ch.unicode());
        else
            out += ch;
    }
    return out;
}

} // namespace

QByteArray mediaUrl(const QString& base, const QString& file, const QString& engine)
{
    QString url = base + QStringLiteral("/media/") + file;
    if (!engine.isEmpty())
        url = engine + QLatin1Char(':') + url;
    return toCp1252(url);
}

QByteArray channelRecords(const QVector<Channel>& list, const QString& base, const QByteArray& separator)
{
    QList<QByteArray> records;
    for (const Channel& c : list) {
        QByteArray r;
        if (!c.key.isEmpty())
            r += '[' + toCp1252(c.key) + ']';
        r += toCp1252(clean(c.name)).replace("@@", "@").replace("||", "|");
        r += "@@" + mediaUrl(base, c.file, c.engine);
        if (c.id != 0)
            r += "##" + QByteArray::number(c.id);
        records.append(r);
    }
    return joined(records, separator);
}

QByteArray bouquetPlaylist(const Bouquet& bouquet, const QString& base)
{
    QString text = QStringLiteral("#EXTM3U\r\n");
    for (const BouquetEntry& e : bouquet.entries) {
        text += QStringLiteral("#EXTINF:0,%1 - %2\r\n").arg(e.number).arg(clean(e.name));
        text += base + QStringLiteral("/media/") + e.file + QStringLiteral("\r\n");
    }
    return bouquet.utf8 ? text.toUtf8() : toCp1252(text);
}

QByteArray gameCategories(const Catalogue& cat)
{
    QList<QByteArray> names;
    for (const QString& c : cat.categories())
        names.append(toCp1252(accentEscape(clean(c))));
    return joined(names, "##");
}

QByteArray gamesOfCategory(const Catalogue& cat, const QString& category)
{
    QString exact;
    if (!cat.hasCategory(category, &exact))
        return {};
    QList<QByteArray> entries;
    for (const Game& g : cat.games) {
        if (g.category != exact)
            continue;
        QByteArray e = toCp1252(accentEscape(clean(g.name)));
        if (g.id != 0)
            e += "##" + QByteArray::number(g.id);
        entries.append(e);
    }
    return joined(entries, "||");
}

QString gameAddress(const Game& game, const QString& base)
{
    if (game.kind == QLatin1String("swf"))
        return base + QStringLiteral("/media/") + game.file;
    return base + QLatin1Char('/') + game.file;
}

QByteArray gameLaunch(const Game& game, const QString& base)
{
    return toCp1252(gameAddress(game, base)) + "##width=" + QByteArray::number(game.width)
        + " height=" + QByteArray::number(game.height);
}

QByteArray podcastCatalogue(const Catalogue& cat, const QString& base)
{
    QList<QByteArray> lines;
    for (const Podcast& p : cat.podcasts) {
        lines.append(QByteArray::number(p.id) + '\t' + toCp1252(clean(p.group1)) + '\t'
            + toCp1252(clean(p.group2)) + '\t' + toCp1252(clean(p.title)) + '\t'
            + toCp1252(base + QStringLiteral("/podcasts/") + p.slug + QStringLiteral(".xml")));
    }
    return joined(lines, "\r\n");
}

QByteArray podcastFeed(const Podcast& p, const QString& base)
{
    const QString image = base + QStringLiteral("/media/") + p.image;
    QString x;
    x += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    x += QStringLiteral(
        "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">\n");
    x += QStringLiteral("<channel>\n");
    x += QStringLiteral("  <title>%1</title>\n").arg(xmlText(p.title, p.entities));
    x += QStringLiteral("  <link>%1/</link>\n").arg(base);
    x += QStringLiteral("  <language>fr</language>\n");
    x += QStringLiteral("  <description>%1</description>\n").arg(xmlText(p.description, p.entities));
    if (p.imageStyle == QLatin1String("url") || p.imageStyle == QLatin1String("both")) {
        x += QStringLiteral(
            "  <image>\n    <url>%1</url>\n    <title>%2</title>\n    <link>%3/</link>\n  </image>\n")
                 .arg(image, xmlText(p.title, p.entities), base);
    }
    if (p.imageStyle == QLatin1String("both"))
        x += QStringLiteral("  <itunes:image href=\"%1/media/podcasts/autre.png\"/>\n").arg(base);
    if (p.imageStyle == QLatin1String("itunes"))
        x += QStringLiteral("  <itunes:image href=\"%1\"/>\n").arg(image);
    if (p.imageStyle == QLatin1String("itunes-closed"))
        x += QStringLiteral("  <itunes:image href=\"%1\"></itunes:image>\n").arg(image);
    int n = 0;
    for (const Episode& e : p.episodes) {
        const QString url = base + QStringLiteral("/media/") + e.file;
        const QString type = e.file.endsWith(QLatin1String(".mp4")) ? QStringLiteral("video/mp4")
                                                                    : QStringLiteral("audio/mpeg");
        x += QStringLiteral("  <item>\n    <title>%1</title>\n").arg(xmlText(e.title, p.entities));
        x += QStringLiteral("    <guid isPermaLink=\"false\">%1-%2</guid>\n").arg(p.slug).arg(++n);
        if (e.closedEnclosure)
            x += QStringLiteral("    <enclosure url=\"%1\" length=\"0\" type=\"%2\"></enclosure>\n")
                     .arg(url, type);
        else
            x += QStringLiteral("    <enclosure url=\"%1\" length=\"0\" type=\"%2\" />\n").arg(url, type);
        x += QStringLiteral("  </item>\n");
    }
    x += QStringLiteral("</channel>\n</rss>\n");
    return x.toUtf8();
}

QByteArray mp3Search(const Catalogue& cat, const QString& base, const QString& keywords, long position)
{
    const QStringList words = keywordWords(keywords);
    QList<QByteArray> lines;
    long index = 0;
    for (const Track& t : cat.tracks) {
        if (!matchesAll(t.artist + QLatin1Char(' ') + t.title + QLatin1Char(' ') + t.genre, words))
            continue;
        if (index++ < position)
            continue;
        lines.append(
            mediaUrl(base, t.file) + '\t' + toCp1252(clean(t.artist + QStringLiteral(" - ") + t.title)));
        if (lines.size() == kMp3ResultsPerAnswer)
            break;
    }
    return joined(lines, "\r\n");
}

QString videoDuration(int seconds)
{
    return QStringLiteral("%1 : %2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QByteArray videoSearch(const Catalogue& cat, const QString& base, const QString& keywords, long page)
{
    const QStringList words = keywordWords(keywords);
    if (page < 1)
        page = 1;
    const long first = (page - 1) * kVideoResultsPerPage;
    QList<QByteArray> lines;
    long index = 0;
    for (const Video& v : cat.videos) {
        if (!matchesAll(v.title + QLatin1Char(' ') + v.keywords, words))
            continue;
        if (index++ < first)
            continue;
        lines.append(clean(v.title).toUtf8() + '\t' + toCp1252(videoDuration(v.seconds)) + '\t'
            + mediaUrl(base, v.thumbnail) + '\t' + mediaUrl(base, v.file, v.engine));
        if (lines.size() == kVideoResultsPerPage)
            break;
    }
    return joined(lines, "\r\n");
}

QByteArray popupSchedule(const QString& base)
{
    QList<QByteArray> lines;
    lines.append(toCp1252(
        QStringLiteral("delai=1,actif=OUI,url=%1/pages/popup.htm,largeur=300,hauteur=200").arg(base)));
    // Shown only by the agent's step-through test mode.
    lines.append(toCp1252(
        QStringLiteral("delai=2,actif=TEST,url=%1/pages/popup_test.htm,largeur=250,hauteur=150").arg(base)));
    return joined(lines, "\r\n");
}

} // namespace zvs
