#include "portal/metafile.h"

#include "portal/canaux.h"

#include <QByteArrayView>
#include <algorithm>

namespace zv {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

QByteArray withoutBom(const QByteArray& bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
}

QByteArray unescapeXml(QByteArray text)
{
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&apos;", "'");
    return text.replace("&amp;", "&");
}

// The href of the tag that starts at `from` (just after its name), up to its '>'.
QByteArray hrefOf(const QByteArray& text, qsizetype from, qsizetype end)
{
    qsizetype i = from;
    while (i < end) {
        while (i < end && (isSpace(text[i]) || text[i] == '/'))
            ++i;
        const qsizetype nameStart = i;
        while (i < end && !isSpace(text[i]) && text[i] != '=' && text[i] != '/')
            ++i;
        const QByteArray name = text.mid(nameStart, i - nameStart).toLower();
        while (i < end && isSpace(text[i]))
            ++i;
        if (i >= end || text[i] != '=')
            continue; // a name alone
        ++i;
        while (i < end && isSpace(text[i]))
            ++i;
        QByteArray value;
        if (i < end && (text[i] == '"' || text[i] == '\'')) {
            const char quote = text[i++];
            const qsizetype close = text.indexOf(quote, i);
            const qsizetype stop = close < 0 || close > end ? end : close;
            value = text.mid(i, stop - i);
            i = stop + 1;
        } else {
            const qsizetype valueStart = i;
            while (i < end && !isSpace(text[i]))
                ++i;
            value = text.mid(valueStart, i - valueStart);
        }
        if (name == "href")
            return unescapeXml(value.trimmed());
    }
    return {};
}

// Windows Media XML: every <ref href> and <entryref href>, in document order;
// the other links (<moreinfo>, <logo>, <banner>) are not streams. Written by
// hand and often not well-formed, so read tag by tag.
std::vector<QByteArray> asxEntries(const QByteArray& text)
{
    std::vector<QByteArray> entries;
    qsizetype i = 0;
    while ((i = text.indexOf('<', i)) >= 0) {
        if (text.mid(i, 4) == "<!--") {
            const qsizetype end = text.indexOf("-->", i + 4);
            if (end < 0)
                break;
            i = end + 3;
            continue;
        }
        qsizetype end = text.indexOf('>', i);
        if (end < 0)
            end = text.size();
        qsizetype nameEnd = i + 1;
        while (nameEnd < end && !isSpace(text[nameEnd]) && text[nameEnd] != '/')
            ++nameEnd;
        const QByteArray name = text.mid(i + 1, nameEnd - i - 1).toLower();
        if (name == "ref" || name == "entryref") {
            const QByteArray href = hrefOf(text, nameEnd, end);
            if (!href.isEmpty())
                entries.push_back(href);
        }
        i = end;
    }
    return entries;
}

} // namespace

std::vector<QByteArray> MetafileEntries(const QByteArray& bytes)
{
    const QByteArray text = withoutBom(bytes);
    const QByteArray start = text.trimmed().left(11).toLower();
    if (start.startsWith('<'))
        return asxEntries(text);
    const bool references = start == "[reference]";
    std::vector<QByteArray> entries;
    for (const QByteArray& raw : SplitLines(text)) {
        const QByteArray line = raw.trimmed();
        if (references) {
            // "Ref1=http://...": the key is "Ref" and a number.
            const qsizetype eq = line.indexOf('=');
            const QByteArray key = line.left(eq).trimmed().toLower();
            bool numbered = false;
            key.mid(3).toInt(&numbered);
            if (eq > 0 && key.startsWith("ref") && numbered && !line.mid(eq + 1).trimmed().isEmpty())
                entries.push_back(line.mid(eq + 1).trimmed());
            continue;
        }
        // RealPlayer ends its list at "--stop--"; '#' starts a comment or an
        // extended M3U line.
        if (line == "--stop--")
            break;
        if (!line.isEmpty() && !line.startsWith('#'))
            entries.push_back(line);
    }
    return entries;
}

QUrl FirstPlayableEntry(const QByteArray& bytes, const QUrl& base)
{
    static const QByteArray kNetworkSchemes[]
        = {"http", "https", "rtsp", "rtspu", "rtspt", "mms", "mmsh", "mmst", "pnm", "ftp"};
    const bool localList = base.isLocalFile();
    for (const QByteArray& entry : MetafileEntries(bytes)) {
        if (std::any_of(entry.begin(), entry.end(), [](char c) { return uchar(c) < 0x20 || c == 0x7F; }))
            continue; // not text
        QUrl url = QUrl::fromEncoded(entry, QUrl::TolerantMode);
        if (!url.isValid())
            continue;
        if (url.scheme().isEmpty())
            url = base.resolved(url);
        const QByteArray scheme = url.scheme().toLower().toLatin1();
        if (scheme == "file") {
            if (localList && !url.toLocalFile().isEmpty())
                return url;
            continue;
        }
        if (url.host().isEmpty())
            continue;
        for (const QByteArray& known : kNetworkSchemes) {
            if (scheme == known)
                return url;
        }
    }
    return {};
}

} // namespace zv
