#include "server/ownlist.h"

#include "server/charset.h"

#include <QTimeZone>
#include <stdexcept>
#include <zlib.h>

namespace zvs {

namespace {

// Attribute values end at a double quote: none may hold one.
QString attribute(QString value)
{
    return value.replace(QLatin1Char('"'), QLatin1Char('\''));
}

// "20240309065500 +0100"
QString xmltvTime(const QDateTime& t)
{
    const int offset = t.offsetFromUtc() / 60;
    return t.toString(QStringLiteral("yyyyMMddHHmmss ")) + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        + QStringLiteral("%1%2")
              .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
              .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'));
}

QTimeZone zoneOf(const ListChannel& c)
{
    const QTimeZone zone(c.zone.toLatin1());
    return zone.isValid() ? zone : QTimeZone::utc(); // no time zone data on the machine
}

// The language of a channel's texts, from its country.
QString languageOf(const ListChannel& c)
{
    if (c.id.endsWith(QLatin1String(".uk")))
        return QStringLiteral("en");
    if (c.id.endsWith(QLatin1String(".it")))
        return QStringLiteral("it");
    if (c.id.endsWith(QLatin1String(".jp")))
        return QStringLiteral("ja");
    return QStringLiteral("fr");
}

} // namespace

QByteArray ownListPlaylist(const OwnList& list, const QString& base)
{
    QString m3u = QStringLiteral("#EXTM3U url-tvg=\"%1%2.gz\"\n").arg(base, QLatin1String(kGuidePath));
    for (const ListChannel& c : list.channels) {
        m3u += QStringLiteral("#EXTINF:-1 tvg-id=\"%1\" tvg-name=\"%2\" tvg-logo=\"%3/media/%4\"")
                   .arg(attribute(c.id), attribute(c.name), base, c.logo);
        if (!c.groupLine)
            m3u += QStringLiteral(" group-title=\"%1\"").arg(attribute(c.group));
        m3u += QLatin1Char(',') + c.title + QLatin1Char('\n');
        if (c.groupLine)
            m3u += QStringLiteral("#EXTGRP:%1\n").arg(c.group);
        if (!c.option.isEmpty())
            m3u += QStringLiteral("#EXTVLCOPT:%1\n").arg(c.option);
        m3u += base + QStringLiteral("/media/") + c.file + QLatin1Char('\n');
    }
    return m3u.toUtf8();
}

QByteArray programmeGuide(const OwnList& list, const QString& base, const QDateTime& now)
{
    QString x
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n");
    x += QStringLiteral(
        "<tv date=\"%1\" source-info-name=\"Zevalo Multimédia\" generator-info-name=\"zevalo-portal\">\n")
             .arg(xmltvTime(now.toUTC()));
    for (const ListChannel& c : list.channels) {
        x += QStringLiteral("  <channel id=\"%1\">\n    <display-name lang=\"%2\">%3</display-name>\n")
                 .arg(htmlEscapeText(c.id), languageOf(c), htmlEscapeText(c.name));
        x += QStringLiteral("    <icon src=\"%1/media/%2\"/>\n  </channel>\n").arg(base, c.logo);
    }
    for (const ListChannel& c : list.channels) {
        if (c.grid.isEmpty())
            continue;
        const QTimeZone zone = zoneOf(c);
        const QDate today = now.toTimeZone(zone).date();
        // Every start from yesterday's first to the first of the day after tomorrow.
        QVector<std::pair<QDateTime, const GuideSlot*>> starts;
        for (int day = -1; day <= 2; ++day) {
            for (const GuideSlot& slot : c.grid) {
                starts.append({QDateTime(today.addDays(day),
                                   QTime::fromString(slot.start, QStringLiteral("HH:mm")), zone),
                    &slot});
                if (day == 2)
                    break;
            }
        }
        for (qsizetype i = 0; i + 1 < starts.size(); ++i) {
            const GuideSlot& s = *starts[i].second;
            const QString lang = languageOf(c);
            x += QStringLiteral("  <programme start=\"%1\" stop=\"%2\" channel=\"%3\">\n")
                     .arg(xmltvTime(starts[i].first), xmltvTime(starts[i + 1].first), htmlEscapeText(c.id));
            x += QStringLiteral("    <title lang=\"%1\">%2</title>\n").arg(lang, htmlEscapeText(s.title));
            if (!s.description.isEmpty())
                x += QStringLiteral("    <desc lang=\"%1\">%2</desc>\n")
                         .arg(lang, htmlEscapeText(s.description));
            if (!s.category.isEmpty())
                x += QStringLiteral("    <category lang=\"%1\">%2</category>\n")
                         .arg(lang, htmlEscapeText(s.category));
            x += QStringLiteral("  </programme>\n");
        }
    }
    x += QStringLiteral("</tv>\n");
    return x.toUtf8();
}

QByteArray gzipped(const QByteArray& data)
{
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib cannot compress");
    QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int status = deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    if (status != Z_STREAM_END)
        throw std::runtime_error("zlib cannot compress");
    return out;
}

} // namespace zvs
