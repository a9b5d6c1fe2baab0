#include "portal/podcast.h"

#include "portal/canaux.h"
#include "portal/textutil.h"

namespace zv {

QByteArrayView Between(QByteArrayView text, QByteArrayView open, QByteArrayView close)
{
    const qsizetype p = text.indexOf(open);
    if (p < 0)
        return {};
    const qsizetype start = p + open.size();
    const qsizetype q = text.indexOf(close, start);
    if (q < 0)
        return {};
    return text.sliced(start, q - start);
}

QByteArray DropFirst(QByteArrayView text, QByteArrayView open, QByteArrayView close)
{
    const qsizetype p = text.indexOf(open);
    if (p < 0)
        return text.toByteArray();
    const qsizetype q = text.indexOf(close);
    if (q < 0)
        return text.first(p).toByteArray();
    if (q < p)
        return text.toByteArray();
    return text.first(p).toByteArray() + text.sliced(q + close.size()).toByteArray();
}

PodcastCatalogue ParsePodcastCatalogue(QByteArrayView body)
{
    PodcastCatalogue out;
    const std::vector<QByteArray> lines = SplitLines(body);
    out.entries.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.trimmed().isEmpty())
            continue;
        const QByteArrayList fields = line.split('\t');
        bool ok = false;
        const int id = fields.size() >= 5 ? fields[0].trimmed().toInt(&ok) : 0;
        if (!ok) {
            out.badLines.push_back(int(i + 1));
            continue;
        }
        out.entries.push_back({id, fields[1], fields[2], fields[3], fields[4]});
    }
    return out;
}

namespace {

QByteArrayView PictureAddress(QByteArrayView channel)
{
    if (QByteArrayView block = Between(channel, "<image", "</image"); !block.isEmpty()) {
        if (QByteArrayView url = Between(block, "<url>", "</url>"); !url.isEmpty())
            return url;
    }
    if (QByteArrayView block = Between(channel, "<itunes:image", "</itunes:image"); !block.isEmpty()) {
        if (QByteArrayView url = Between(block, "href=\"", "\""); !url.isEmpty())
            return url;
    }
    if (QByteArrayView block = Between(channel, "<itunes:image", "/>"); !block.isEmpty())
        return Between(block, "href=\"", "\"");
    return {};
}

} // namespace

PodcastFeed ParsePodcastFeed(QByteArrayView body)
{
    PodcastFeed out;
    const QByteArrayView channel = Between(body, "<channel", "</channel");
    out.picture = PictureAddress(channel).toByteArray();

    // Each pass starts after the item just read, so a stray "</item" before
    // the first "<item" cannot stall the walk, and nothing is copied.
    static constexpr QByteArrayView open = "<item";
    static constexpr QByteArrayView close = "</item";
    qsizetype pos = 0;
    for (;;) {
        const qsizetype p = channel.indexOf(open, pos);
        if (p < 0)
            break;
        const qsizetype start = p + open.size();
        const qsizetype q = channel.indexOf(close, start);
        if (q <= start)
            break;
        const QByteArrayView item = channel.sliced(start, q - start);
        pos = q + close.size();

        QByteArrayView enclosure = Between(item, "<enclosure", "</enclosure");
        if (enclosure.isEmpty())
            enclosure = Between(item, "<enclosure", "/>");
        out.episodes.push_back(
            {DecodeEntities(FixUtf8Latin1(Between(item, "<title>", "</title>").toByteArray())),
                Between(enclosure, "url=\"", "\"").toByteArray()});
    }
    return out;
}

} // namespace zv
