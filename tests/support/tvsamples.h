#pragma once
// Own channel lists and programme guides in the shapes providers write, of
// any size, for the tests and the benches. Header only: the benches include
// it without the test library.
#include <QByteArray>
#include <QDateTime>
#include <QRandomGenerator>
#include <QTimeZone>
#include <zlib.h>

namespace zv::test {

// An extended M3U list as IPTV providers serve it: a header naming a guide,
// entries with tvg attributes, logos and groups (each group's entries
// together), addresses with credentials.
inline QByteArray generatedList(int entries, int groups = 40)
{
    const int perGroup = qMax(1, entries / groups);
    QByteArray out
        = "#EXTM3U url-tvg=\"http://epg.example/guide.xml.gz\" x-tvg-url=\"http://epg.example/b.xml\"\n";
    out.reserve(qsizetype(entries) * 190 + 100);
    const char* names[] = {"Météo", "Info", "Sport", "Cinéma", "Jeunesse", "Musique", "Découverte", "Séries"};
    for (int i = 0; i < entries; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray group
            = "Pays " + QByteArray::number(i / perGroup) + " | " + names[(i / perGroup) % 8];
        out += "#EXTINF:-1 tvg-id=\"chan" + n + ".fr\" tvg-name=\"Chaîne " + n
            + "\" tvg-logo=\"http://logo.example/" + n + ".png\" group-title=\"" + group + "\",Zevalo "
            + names[(i / 3) % 8] + " " + n + " HD\n" + "http://stream.example:8080/live/user/pass/" + n
            + ".ts\n";
    }
    return out;
}

// An XMLTV guide of `channels` channels over `days` days from `start` (UTC),
// programmes of 15 minutes to two hours with titles, sub-titles and
// descriptions, times written with the channel's own offset.
inline QByteArray generatedGuide(int channels, int days, const QDateTime& start, quint32 seed = 1)
{
    QRandomGenerator rng(seed);
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
                     "<tv generator-info-name=\"zevalo-tests\">\n";
    for (int c = 0; c < channels; ++c) {
        const QByteArray n = QByteArray::number(c);
        out += "  <channel id=\"chan" + n + ".fr\">\n    <display-name lang=\"fr\">Chaîne " + n
            + "</display-name>\n    <display-name>C" + n
            + "</display-name>\n    <icon src=\"http://logo.example/" + n + ".png\" />\n  </channel>\n";
    }
    const int minutes[] = {15, 30, 45, 60, 90, 120};
    for (int c = 0; c < channels; ++c) {
        const QByteArray n = QByteArray::number(c);
        const int offset = (c % 5 - 2) * 3600; // -0200 to +0200
        const QTimeZone zone = QTimeZone(offset);
        const QByteArray zoneText = (offset < 0 ? "-" : "+")
            + QByteArray::number(qAbs(offset) / 3600).rightJustified(2, '0') + "00";
        QDateTime t = start.toTimeZone(zone);
        const QDateTime end = start.addDays(days);
        for (int k = 0; t < end; ++k) {
            const QDateTime stop = t.addSecs(60 * minutes[rng.bounded(6)]);
            out += "  <programme start=\"" + t.toString(u"yyyyMMddHHmmss").toLatin1() + " " + zoneText
                + "\" stop=\"" + stop.toString(u"yyyyMMddHHmmss").toLatin1() + " " + zoneText
                + "\" channel=\"chan" + n + ".fr\">\n    <title lang=\"fr\">Émission "
                + QByteArray::number(rng.bounded(500)) + "</title>\n    <sub-title lang=\"fr\">Épisode "
                + QByteArray::number(k) + "</sub-title>\n    <desc lang=\"fr\">Une émission de la chaîne " + n
                + " avec ses invités &amp; ses chroniqueurs.</desc>\n  </programme>\n";
            t = stop;
        }
    }
    return out + "</tv>\n";
}

// Bytes in gzip form, as guides are served.
inline QByteArray gzipped(const QByteArray& data)
{
    z_stream z{};
    deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

} // namespace zv::test
