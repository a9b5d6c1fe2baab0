#include "portal/canaux.h"

#include "portal/textutil.h"

#include <cstring>

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
    // Read per row of a big list: the entries are walked to their end, not measured.
    for (int i = lastIndex; i >= 0; --i) {
        const char* entry = table[size_t(i)];
        qsizetype k = 0;
        while (k < key.size() && entry[k] != '\0' && upper(key[k]) == upper(entry[k]))
            ++k;
        if (k == key.size() && entry[k] == '\0')
            return i;
    }
    return -1;
}

// ---- the table ---------------------------------------------------------------

ChannelTable::ChannelTable(Part part)
{
    if (!part.entries.empty()) {
        size_ = part.entries.size();
        parts_.push_back(std::move(part));
    }
}

const ChannelTable::Part& ChannelTable::partOf(std::size_t& i) const
{
    // Mostly one part: a list is one answer, unless answers were appended.
    for (const Part& part : parts_) {
        if (i < part.entries.size())
            return part;
        i -= part.entries.size();
    }
    Q_UNREACHABLE();
}

void ChannelTable::append(ChannelTable other)
{
    for (Part& part : other.parts_)
        parts_.push_back(std::move(part));
    size_ += other.size_;
}

QByteArray ChannelTable::caption(std::size_t i) const
{
    const Part& part = partOf(i);
    const Entry& entry = part.entries[i];
    const QByteArray& bytes = (entry.flags & CaptionRewritten) ? part.rewritten : part.answer;
    const char* head = bytes.constData() + entry.caption;
    QByteArray out;
    out.reserve(qsizetype(entry.captionHead) + qsizetype(entry.captionTail));
    out.append(head, qsizetype(entry.captionHead));
    out.append(head + qsizetype(entry.captionHead) + qsizetype(entry.keySkip), qsizetype(entry.captionTail));
    return out;
}

QByteArray ChannelTable::url(std::size_t i) const
{
    const Part& part = partOf(i);
    const Entry& entry = part.entries[i];
    const QByteArrayView address(part.answer.constData() + entry.url, qsizetype(entry.urlLength));
    if (entry.flags & VlcPrefix)
        return "vlc:" + address.toByteArray();
    return address.toByteArray();
}

int ChannelTable::data(std::size_t i) const
{
    const Part& part = partOf(i);
    return part.entries[i].data;
}

int ChannelTable::imageIndex(std::size_t i) const
{
    const Part& part = partOf(i);
    return part.entries[i].imageIndex;
}

ChannelRow ChannelTable::operator[](std::size_t i) const
{
    return ChannelRow{caption(i), url(i), data(i), imageIndex(i)};
}

namespace {

// What the readers see of an answer: offsets are 32 bits.
constexpr qsizetype MaxAnswer = qsizetype(UINT32_MAX);

qsizetype readable(const QByteArray& body)
{
    return qMin(body.size(), MaxAnswer);
}

// The rows' room, reserved at a guess above the usual count (a row's answer
// takes some 80 bytes or more); room never used is never touched.
ChannelTable::Part startPart(const QByteArray& body)
{
    ChannelTable::Part part;
    part.answer = body;
    part.entries.reserve(std::size_t(readable(body) / 64));
    return part;
}

std::uint32_t u32(qsizetype n)
{
    return std::uint32_t(n);
}

// The first c at or after from in d[0, n), n when none.
qsizetype findByte(const char* d, qsizetype n, char c, qsizetype from)
{
    if (from >= n)
        return n;
    const void* hit = std::memchr(d + from, c, std::size_t(n - from));
    return hit ? static_cast<const char*>(hit) - d : n;
}

// The first two-byte marker ("@@", "##", "||") at or after from, n when none.
qsizetype findPair(const char* d, qsizetype n, char c, qsizetype from)
{
    for (;;) {
        const qsizetype at = findByte(d, n, c, from);
        if (at + 1 >= n)
            return n;
        if (d[at + 1] == c)
            return at;
        from = at + 1;
    }
}

// The next occurrence of each separator, looked up again only once passed: a
// record list may hold millions of records.
class NextOf {
public:
    NextOf(const char* d, qsizetype n, char c, bool pair)
        : d_(d)
        , n_(n)
        , c_(c)
        , pair_(pair)
    {
    }
    qsizetype from(qsizetype pos)
    {
        if (at_ < pos)
            at_ = pair_ ? findPair(d_, n_, c_, pos) : findByte(d_, n_, c_, pos);
        return at_;
    }

private:
    const char* d_;
    qsizetype n_;
    char c_;
    bool pair_;
    qsizetype at_ = -1;
};

// Line ends as a string list sees them (CR LF, CR or LF), from each line start.
class LineEnds {
public:
    LineEnds(const char* d, qsizetype n)
        : d_(d)
        , n_(n)
        , lf_(d, n, '\n', false)
        , cr_(d, n, '\r', false)
    {
    }
    qsizetype end(qsizetype start) { return qMin(lf_.from(start), cr_.from(start)); }
    // Where the line after a break at `end` starts.
    qsizetype next(qsizetype end) const
    {
        return d_[end] == '\r' && end + 1 < n_ && d_[end + 1] == '\n' ? end + 2 : end + 1;
    }

private:
    const char* d_;
    qsizetype n_;
    NextOf lf_, cr_;
};

// One record of a portal list, d[start, end).
ChannelTable::Entry readRecord(const char* d, qsizetype start, qsizetype end, ChannelIcons icons)
{
    ChannelTable::Entry entry;
    // A record without "@@" reads as if the marker stood before it: empty
    // name, the address from the record's second character on.
    const qsizetype p = findPair(d, end, '@', start);
    const qsizetype nameEnd = p < end ? p : start;
    const qsizetype a = findByte(d, nameEnd, '[', start);
    const qsizetype b = findByte(d, nameEnd, ']', start);
    QByteArrayView key;
    entry.caption = u32(start);
    if (a < nameEnd && a < b && b < nameEnd) {
        key = QByteArrayView(d + a + 1, b - a - 1);
        entry.captionHead = u32(a - start);
        entry.keySkip = u32(b + 1 - a);
        entry.captionTail = u32(nameEnd - b - 1);
    } else {
        entry.captionHead = u32(nameEnd - start);
    }

    const qsizetype from = p < end ? p + 2 : qMin(start + 1, end);
    qsizetype addressEnd = from + qMin(MaxAddress, end - from);
    const qsizetype h = findPair(d, addressEnd, '#', from);
    if (h < addressEnd) {
        const qsizetype id = h + 2;
        toInt(QByteArrayView(d + id, qMin<qsizetype>(10, addressEnd - id)), entry.data);
        addressEnd = h;
    }
    entry.url = u32(from);
    entry.urlLength = u32(addressEnd - from);

    if (icons == ChannelIcons::Tele)
        entry.imageIndex = std::int8_t(FindTextNoCase(FlagCodes, FlagCount - 1, key));
    else if (icons == ChannelIcons::Video)
        entry.imageIndex
            = std::int8_t(FindTextNoCase(VideoBadgeCodes, int(std::size(VideoBadgeCodes)) - 1, key));
    return entry;
}

bool startsWithNoCase(QByteArrayView line, QByteArrayView tag)
{
    return line.size() >= tag.size() && line.first(tag.size()).compare(tag, Qt::CaseInsensitive) == 0;
}

} // namespace

ChannelTable ReadChannelRecords(const QByteArray& body, ChannelIcons icons)
{
    // One pass over the body: "||" ends a record like a line break does (CR LF,
    // CR or LF); a break at the very end adds no empty record.
    ChannelTable::Part part = startPart(body);
    const char* d = body.constData();
    const qsizetype n = readable(body);
    LineEnds lines(d, n);
    NextOf bars(d, n, '|', true);
    qsizetype start = 0;
    while (start < n) {
        const qsizetype lineEnd = lines.end(start);
        const qsizetype bar = bars.from(start);
        const qsizetype end = qMin(lineEnd, bar);
        part.entries.push_back(readRecord(d, start, end, icons));
        if (end == n)
            break;
        start = end == bar && bar < lineEnd ? bar + 2 : lines.next(end);
    }
    return ChannelTable(std::move(part));
}

std::vector<ChannelRow> ParseChannelRecords(const QByteArray& body, ChannelIcons icons)
{
    const ChannelTable table = ReadChannelRecords(body, icons);
    return {table.begin(), table.end()};
}

ChannelTable ReadM3uBouquet(const QByteArray& body)
{
    ChannelTable::Part part = startPart(body);
    const char* d = body.constData();
    const qsizetype n = readable(body);
    // The pending title, in the answer or in the rewritten text.
    ChannelTable::Entry pending;
    // A byte order mark would hide a title on the first line.
    qsizetype start = QByteArrayView(body).startsWith("\xEF\xBB\xBF") ? 3 : 0;
    LineEnds lines(d, n);
    while (start < n) {
        const qsizetype end = lines.end(start);
        const QByteArrayView line(d + start, end - start);
        const qsizetype next = end < n ? lines.next(end) : n;
        // Operators put VLC options between a title and its address: they
        // belong to that entry and keep its title.
        if (startsWithNoCase(line, "#EXTVLCOPT:")) {
            start = next;
            continue;
        }
        if (startsWithNoCase(line, "#EXTINF:")) {
            // At most 1000 characters after the tag: digits, a comma, then a
            // title that starts with a digit.
            const QByteArrayView s = line.sliced(8).first(qMin(MaxAddress, line.size() - 8));
            qsizetype i = 0;
            while (i < s.size() && isDigit(s[i]))
                ++i;
            if (i > 0 && i < s.size() && s[i] == ',' && i + 1 < s.size() && isDigit(s[i + 1])) {
                // Repairing UTF-8 changes no byte before the title's first
                // C3, so the checks above read the same either way.
                const QByteArrayView title = s.sliced(i + 1);
                pending = {};
                if (title.contains('\xC3')) {
                    const QByteArray fixed = FixUtf8Latin1(title.toByteArray());
                    pending.caption = u32(part.rewritten.size());
                    pending.captionHead = u32(fixed.size());
                    pending.flags = ChannelTable::CaptionRewritten;
                    part.rewritten += fixed;
                } else {
                    pending.caption = u32(title.data() - d);
                    pending.captionHead = u32(title.size());
                }
            }
            start = next;
            continue;
        }
        if (!line.startsWith('#') && pending.captionHead > 0) {
            ChannelTable::Entry row = pending;
            row.url = u32(start);
            row.urlLength = u32(line.size());
            row.flags |= ChannelTable::VlcPrefix;
            part.entries.push_back(row);
        }
        pending = {};
        start = next;
    }
    return ChannelTable(std::move(part));
}

std::vector<ChannelRow> ParseM3uBouquet(const QByteArray& body)
{
    const ChannelTable table = ReadM3uBouquet(body);
    return {table.begin(), table.end()};
}

} // namespace zv
