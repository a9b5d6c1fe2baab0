#include "portal/canaux.h"

#include "portal/textutil.h"

namespace zv {

namespace {

constexpr qsizetype MaxAddress = 1000;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Strict decimal integer in 32 bits, optional sign and surrounding blanks.
bool toInt(QByteArrayView text, int& value)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (ok)
        value = v;
    return ok;
}

} // namespace

std::vector<QByteArray> SplitLines(QByteArrayView text)
{
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.emplace_back(text.sliced(start, i - start).toByteArray());
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.emplace_back(text.sliced(start).toByteArray());
    return lines;
}

void ExtractBracketToken(const QByteArray& text, QByteArray& rest, QByteArray& token)
{
    rest = text;
    token.clear();
    const qsizetype a = text.indexOf('[');
    const qsizetype b = text.indexOf(']');
    if (a >= 0 && a < b) {
        token = text.mid(a + 1, b - a - 1);
        rest = text.left(a) + text.mid(b + 1);
    }
}

int FindTextNoCase(std::span<const char* const> table, int lastIndex, QByteArrayView key)
{
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    if (lastIndex >= int(table.size()))
        lastIndex = int(table.size()) - 1;
    for (int i = lastIndex; i >= 0; --i) {
        const QByteArrayView entry(table[size_t(i)]);
        if (entry.size() != key.size())
            continue;
        qsizetype k = 0;
        while (k < key.size() && upper(key[k]) == upper(entry[k]))
            ++k;
        if (k == key.size())
            return i;
    }
    return -1;
}

namespace {

// One record of a portal list.
ChannelRow readRecord(QByteArrayView line, ChannelIcons icons)
{
    ChannelRow row;
    // A record without "@@" reads as if the marker stood before it: empty
    // name, the address from the record's second character on.
    const qsizetype p = line.indexOf("@@");
    const QByteArrayView name = p >= 0 ? line.first(p) : QByteArrayView();
    QByteArrayView key;
    const qsizetype a = name.indexOf('[');
    const qsizetype b = name.indexOf(']');
    if (a >= 0 && a < b) {
        key = name.sliced(a + 1, b - a - 1);
        row.caption.reserve(name.size() - (b - a + 1));
        row.caption.append(name.first(a)).append(name.sliced(b + 1));
    } else {
        row.caption = name.toByteArray();
    }

    const qsizetype from = p >= 0 ? p + 2 : qMin<qsizetype>(1, line.size());
    QByteArrayView address = line.sliced(from, qMin(MaxAddress, line.size() - from));
    const qsizetype h = address.indexOf("##");
    if (h >= 0) {
        toInt(address.sliced(h + 2).first(qMin<qsizetype>(10, address.size() - h - 2)), row.data);
        address = address.first(h);
    }
    row.url = address.toByteArray();

    if (icons == ChannelIcons::Tele)
        row.imageIndex = FindTextNoCase(FlagCodes, FlagCount - 1, key);
    else if (icons == ChannelIcons::Video)
        row.imageIndex = FindTextNoCase(VideoBadgeCodes, int(std::size(VideoBadgeCodes)) - 1, key);
    return row;
}

} // namespace

std::vector<ChannelRow> ParseChannelRecords(const QByteArray& body, ChannelIcons icons)
{
    // One pass over the body: "||" ends a record like a line break does (CR LF,
    // CR or LF); a break at the very end adds no empty record.
    std::vector<ChannelRow> rows;
    const QByteArrayView text(body);
    const qsizetype n = text.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < n) {
        const char c = text[i];
        qsizetype next;
        if (c == '\n') {
            next = i + 1;
        } else if (c == '\r') {
            next = (i + 1 < n && text[i + 1] == '\n') ? i + 2 : i + 1;
        } else if (c == '|' && i + 1 < n && text[i + 1] == '|') {
            next = i + 2;
        } else {
            ++i;
            continue;
        }
        rows.push_back(readRecord(text.sliced(start, i - start), icons));
        start = i = next;
    }
    if (start < n)
        rows.push_back(readRecord(text.sliced(start), icons));
    return rows;
}

std::vector<ChannelRow> ParseM3uBouquet(const QByteArray& body)
{
    std::vector<ChannelRow> rows;
    QByteArray pending;
    // A byte order mark would hide a title on the first line.
    const QByteArrayView text
        = QByteArrayView(body).startsWith("\xEF\xBB\xBF") ? QByteArrayView(body).sliced(3) : body;
    for (const QByteArray& line : SplitLines(text)) {
        // Operators put VLC options between a title and its address: they
        // belong to that entry and keep its title.
        if (line.left(11).toUpper() == "#EXTVLCOPT:")
            continue;
        if (line.left(8).toUpper() == "#EXTINF:") {
            QByteArray s = FixUtf8Latin1(line.mid(8, MaxAddress));
            if (!s.isEmpty() && isDigit(s[0])) {
                qsizetype i = 0;
                while (i < s.size() && isDigit(s[i]))
                    ++i;
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    if (i < s.size() && isDigit(s[i]))
                        pending = s.mid(i);
                }
            }
            continue;
        }
        if (!line.startsWith('#') && !pending.isEmpty()) {
            ChannelRow row;
            row.caption = pending;
            row.url = "vlc:" + line;
            rows.push_back(std::move(row));
        }
        pending.clear();
    }
    return rows;
}

} // namespace zv
