#include "portal/podcast.h"

#include "portal/canaux.h"
#include "portal/cp1252.h"
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

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether the feed's bytes are UTF-8: what its XML declaration says, UTF-8
// when it says nothing (the XML default).
bool writtenInUtf8(QByteArrayView body)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return true;
    qsizetype i = 0;
    while (i < body.size() && isBlank(body[i]))
        ++i;
    if (!body.sliced(i).startsWith("<?xml"))
        return true;
    QByteArrayView declaration = body.sliced(i, qMin<qsizetype>(200, body.size() - i));
    if (const qsizetype end = declaration.indexOf("?>"); end >= 0)
        declaration = declaration.first(end);
    qsizetype p = declaration.indexOf("encoding");
    if (p < 0)
        return true;
    p += 8;
    while (p < declaration.size() && (isBlank(declaration[p]) || declaration[p] == '='))
        ++p;
    if (p >= declaration.size() || (declaration[p] != '"' && declaration[p] != '\''))
        return true;
    const char quote = declaration[p++];
    const qsizetype q = declaration.indexOf(quote, p);
    const QByteArray name
        = declaration.sliced(p, (q < 0 ? declaration.size() : q) - p).toByteArray().toLower();
    return name == "utf-8" || name == "utf8";
}

// An element's text: a CDATA section stands for its content, taken as it is;
// one cut short by the end of the text runs to that end. Blanks around the
// text (generated feeds indent it on lines of its own) are dropped.
QByteArray ElementText(QByteArrayView raw)
{
    static constexpr QByteArrayView open = "<![CDATA[";
    static constexpr QByteArrayView close = "]]>";
    qsizetype p = raw.indexOf(open);
    if (p < 0)
        return raw.trimmed().toByteArray();
    QByteArray out;
    out.reserve(raw.size());
    qsizetype pos = 0;
    while (p >= 0) {
        out += raw.sliced(pos, p - pos);
        const qsizetype start = p + open.size();
        const qsizetype q = raw.indexOf(close, start);
        if (q < 0) {
            out += raw.sliced(start);
            return out.trimmed();
        }
        out += raw.sliced(start, q - start);
        pos = q + close.size();
        p = raw.indexOf(open, pos);
    }
    out += raw.sliced(pos);
    return out.trimmed();
}

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
    out.picture = ElementText(PictureAddress(channel));
    const bool utf8 = writtenInUtf8(body);

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
        const QByteArray title = ElementText(Between(item, "<title>", "</title>"));
        out.episodes.push_back({DecodeEntities(utf8 ? utf8ToCp1252(title) : FixUtf8Latin1(title)),
            ElementText(Between(enclosure, "url=\"", "\""))});
    }
    return out;
}

} // namespace zv
