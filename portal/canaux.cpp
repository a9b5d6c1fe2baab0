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
    const QByteArray upper = key.toByteArray().toUpper();
    if (lastIndex >= int(table.size()))
        lastIndex = int(table.size()) - 1;
    for (int i = lastIndex; i >= 0; --i) {
        if (QByteArray(table[i]).toUpper() == upper)
            return i;
    }
    return -1;
}

std::vector<ChannelRow> ParseChannelRecords(const QByteArray& body, ChannelIcons icons)
{
    QByteArray text = body;
    text.replace("||", "\r\n");
    std::vector<QByteArray> lines = SplitLines(text);
    std::vector<ChannelRow> rows;
    rows.reserve(lines.size());
    for (const QByteArray& line : lines) {
        ChannelRow row;
        // A record without "@@" reads as if the marker stood before it: empty
        // name, the address from the record's second character on.
        const qsizetype p = line.indexOf("@@");
        const QByteArray name = p >= 0 ? line.left(p) : QByteArray();
        QByteArray key;
        ExtractBracketToken(name, row.caption, key);

        QByteArray address = p >= 0 ? line.mid(p + 2, MaxAddress) : line.mid(1, MaxAddress);
        const qsizetype h = address.indexOf("##");
        if (h >= 0) {
            toInt(QByteArrayView(address).sliced(h + 2).first(qMin<qsizetype>(10, address.size() - h - 2)),
                row.data);
            address.truncate(h);
        }
        row.url = address;

        if (icons == ChannelIcons::Tele)
            row.imageIndex = FindTextNoCase(FlagCodes, FlagCount - 1, key);
        else if (icons == ChannelIcons::Video)
            row.imageIndex = FindTextNoCase(VideoBadgeCodes, int(std::size(VideoBadgeCodes)) - 1, key);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<ChannelRow> ParseM3uBouquet(const QByteArray& body)
{
    std::vector<ChannelRow> rows;
    QByteArray pending;
    for (const QByteArray& line : SplitLines(body)) {
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
