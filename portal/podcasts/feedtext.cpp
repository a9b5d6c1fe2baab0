#include "portal/podcasts/feedtext.h"

#include "portal/cp1252.h"

namespace zv {

QString FoldedText(QByteArrayView utf8, qsizetype limit)
{
    QString out;
    out.reserve(std::min(utf8.size(), limit));
    bool blank = false;
    for (QChar c : QString::fromUtf8(utf8)) {
        // Files that say ISO-8859-1 are written in Windows-1252: its
        // characters where Latin-1 has control codes.
        if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
            c = fromCp1252(QByteArray(1, char(c.unicode())))[0];
        if (c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            continue; // no character, and not one XML may hold
        if (c.isSpace() || c.category() == QChar::Other_Control) {
            blank = !out.isEmpty();
            continue;
        }
        if (out.size() + (blank ? 2 : 1) > limit)
            break;
        if (blank)
            out += u' ';
        blank = false;
        out += c;
    }
    if (!out.isEmpty() && out.back().isHighSurrogate())
        out.chop(1); // cut inside a pair
    return out;
}

QByteArrayView LocalName(QByteArrayView name)
{
    const qsizetype colon = name.lastIndexOf(':');
    return colon < 0 ? name : name.sliced(colon + 1);
}

void FeedWhole(XmlScanner& xml, const QByteArray& bytes)
{
    XmlUtf8Stream text;
    xml.addData(text.take(bytes));
    xml.addData(text.end());
    xml.endOfData();
}

bool IsWebPageRoot(QByteArrayView root)
{
    return root.compare("html", Qt::CaseInsensitive) == 0;
}

} // namespace zv
