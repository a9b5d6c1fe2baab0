#include "portal/tv/ownlist.h"

#include "portal/tv/rowfilter.h"
#include "portal/tv/textfold.h"
#include "portal/utf8repair.h"

#include <QHash>
#include <QStringDecoder>
#include <cstring>

namespace zv {

namespace {

// Offsets are 31 bits: the high bit tells rewritten texts apart.
constexpr qsizetype MaxText = qsizetype(OwnList::Rewritten) - 1;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isKeyChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
        || c == ':' || c == '.';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// An attribute name, whatever its case; `lowerName` is in lower case.
bool sameKey(QByteArrayView key, QByteArrayView lowerName)
{
    if (key.size() != lowerName.size())
        return false;
    for (qsizetype i = 0; i < key.size(); ++i) {
        if (lower(key[i]) != lowerName[i])
            return false;
    }
    return true;
}

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (lower(text[i]) != lower(prefix[i]))
            return false;
    }
    return true;
}

} // namespace

// ---- reading ------------------------------------------------------------------

class OwnListReader {
public:
    explicit OwnListReader(OwnList& list)
        : list_(list)
    {
    }

    void read(qsizetype from)
    {
        const QByteArray& text = list_.text_;
        d_ = text.constData();
        const qsizetype n = text.size();
        list_.rows_.reserve(std::size_t((n - from) / 96));
        qsizetype pos = from;
        while (pos < n) {
            const char* nl = static_cast<const char*>(std::memchr(d_ + pos, '\n', std::size_t(n - pos)));
            qsizetype end = nl ? nl - d_ : n;
            qsizetype next = end + 1;
            // A carriage return alone ends a line too.
            if (const void* cr = std::memchr(d_ + pos, '\r', std::size_t(end - pos))) {
                const qsizetype at = static_cast<const char*>(cr) - d_;
                if (at + 1 < end)
                    next = at + 1;
                end = at;
            }
            line(pos, end);
            pos = next;
        }
    }

private:
    struct Pending {
        OwnList::Slice title, tvgId, tvgName, logo, groupTitle, extGroup;
        std::vector<OwnList::Slice> options;
    };

    void line(qsizetype begin, qsizetype end)
    {
        // Lists pasted together keep each one's byte order mark.
        while (begin < end
            && (isBlank(d_[begin]) || QByteArrayView(d_ + begin, end - begin).startsWith("\xEF\xBB\xBF")))
            begin += isBlank(d_[begin]) ? 1 : 3;
        while (end > begin && isBlank(d_[end - 1]))
            --end;
        if (begin == end)
            return;
        const QByteArrayView text(d_ + begin, end - begin);
        if (text[0] != '#')
            return address(begin, end);
        if (startsWithNoCase(text, "#EXTINF:")) {
            extinf(begin + 8, end);
        } else if (startsWithNoCase(text, "#EXTGRP:")) {
            pending_.extGroup = trimmed(begin + 8, end);
        } else if (startsWithNoCase(text, "#EXTVLCOPT:")) {
            const OwnList::Slice option = trimmed(begin + 11, end);
            if (option.length > 0)
                pending_.options.push_back(option);
        } else if (startsWithNoCase(text, "#EXTM3U")) {
            header(begin + 7, end);
        }
        // Any other "#" line is a comment: the entry it sits in keeps going.
    }

    void address(qsizetype begin, qsizetype end)
    {
        // A line with control characters is no address but binary debris;
        // the entry it interrupts is dropped with it.
        for (qsizetype i = begin; i < end; ++i) {
            if (static_cast<unsigned char>(d_[i]) < 0x20 && d_[i] != '\t') {
                pending_ = {};
                return;
            }
        }
        OwnList::Row row;
        row.url = slice(begin, end);
        row.tvgId = pending_.tvgId;
        row.tvgName = pending_.tvgName;
        row.logo = pending_.logo;
        // Attributes without a title: the name the guide knows, else the address.
        row.title = pending_.title.length > 0 ? pending_.title
            : pending_.tvgName.length > 0     ? pending_.tvgName
                                              : row.url;
        const OwnList::Slice group = pending_.groupTitle.length > 0 ? pending_.groupTitle : pending_.extGroup;
        if (group.length > 0)
            row.group = groupNumber(group);
        if (!pending_.options.empty()) {
            row.firstOption = std::uint32_t(list_.options_.size());
            row.optionCount = std::uint32_t(pending_.options.size());
            list_.options_.insert(list_.options_.end(), pending_.options.begin(), pending_.options.end());
        }
        list_.rows_.push_back(row);
        pending_.title = pending_.tvgId = pending_.tvgName = pending_.logo = {};
        pending_.groupTitle = pending_.extGroup = {};
        pending_.options.clear();
    }

    void extinf(qsizetype p, qsizetype end)
    {
        pending_.title = pending_.tvgId = pending_.tvgName = pending_.logo = pending_.groupTitle = {};
        // The duration: any number, or none.
        while (p < end && isBlank(d_[p]))
            ++p;
        if (p < end && (d_[p] == '-' || d_[p] == '+'))
            ++p;
        while (p < end && ((d_[p] >= '0' && d_[p] <= '9') || d_[p] == '.'))
            ++p;
        attributes(p, end, [this](QByteArrayView key, OwnList::Slice value) {
            if (sameKey(key, "tvg-id"))
                pending_.tvgId = value;
            else if (sameKey(key, "tvg-name"))
                pending_.tvgName = value;
            else if (sameKey(key, "tvg-logo"))
                pending_.logo = value;
            else if (sameKey(key, "group-title"))
                pending_.groupTitle = value;
        });
    }

    void header(qsizetype p, qsizetype end)
    {
        attributes(p, end, [this](QByteArrayView key, OwnList::Slice value) {
            if (!sameKey(key, "url-tvg") && !sameKey(key, "x-tvg-url") && !sameKey(key, "tvg-url"))
                return;
            for (QByteArrayView one : QByteArrayView(list_.view(value)).toByteArray().split(',')) {
                const QString address = QString::fromUtf8(one.trimmed());
                if (!address.isEmpty() && !list_.guideUrls_.contains(address))
                    list_.guideUrls_ += address;
            }
        });
    }

    // Whether "key=" starts at p.
    bool attributeAt(qsizetype p, qsizetype end) const
    {
        qsizetype k = p;
        while (k < end && isKeyChar(d_[k]))
            ++k;
        return k > p && k < end && d_[k] == '=';
    }

    // Whether the quote at q ends its value: the end of the line, the title's
    // comma or another attribute follows. A quote followed by anything else
    // belongs to the value ("Le "Direct"", doubled quotes).
    bool closesValue(qsizetype q, qsizetype end) const
    {
        qsizetype a = q + 1;
        while (a < end && isBlank(d_[a]))
            ++a;
        return a >= end || d_[a] == ',' || attributeAt(a, end);
    }

    // key=value pairs up to the first comma outside a value; what follows that
    // comma is the title.
    template <class F> void attributes(qsizetype p, qsizetype end, F&& take)
    {
        while (p < end) {
            while (p < end && isBlank(d_[p]))
                ++p;
            if (p >= end)
                return;
            if (d_[p] == ',') {
                pending_.title = trimmed(p + 1, end);
                return;
            }
            const qsizetype keyStart = p;
            while (p < end && d_[p] != '=' && d_[p] != ',' && !isBlank(d_[p]))
                ++p;
            if (p >= end || d_[p] != '=')
                continue; // a word that is no attribute
            const QByteArrayView key(d_ + keyStart, p - keyStart);
            ++p;
            qsizetype valueStart = p;
            qsizetype valueEnd = p;
            const bool quoted = p < end && (d_[p] == '"' || d_[p] == '\'');
            if (quoted) {
                const char quote = d_[p];
                qsizetype q = p + 1;
                for (;;) {
                    const void* at = std::memchr(d_ + q, quote, std::size_t(end - q));
                    q = at ? static_cast<const char*>(at) - d_ : end;
                    if (q >= end || closesValue(q, end))
                        break;
                    ++q;
                }
                if (q < end) {
                    valueStart = p + 1;
                    valueEnd = q;
                    p = q + 1;
                } else {
                    // Never closed: the value runs to the title's comma.
                    valueStart = p + 1;
                    valueEnd = p + 1;
                    while (valueEnd < end && d_[valueEnd] != ',')
                        ++valueEnd;
                    p = valueEnd;
                }
            } else {
                // Unquoted: up to the title's comma or the next attribute.
                while (p < end && d_[p] != ',') {
                    if (isBlank(d_[p])) {
                        qsizetype a = p;
                        while (a < end && isBlank(d_[a]))
                            ++a;
                        if (attributeAt(a, end))
                            break;
                    }
                    ++p;
                }
                valueEnd = p;
            }
            take(key, value(valueStart, valueEnd, quoted));
        }
    }

    // A value without blanks or pairs of quotes around it (and, unquoted,
    // without a stray quote at either end); doubled quotes inside stand for one.
    OwnList::Slice value(qsizetype begin, qsizetype end, bool quoted)
    {
        const auto isQuote = [](char c) { return c == '"' || c == '\''; };
        for (;;) {
            while (begin < end && isBlank(d_[begin]))
                ++begin;
            while (end > begin && isBlank(d_[end - 1]))
                --end;
            if (end - begin >= 2 && isQuote(d_[begin]) && d_[end - 1] == d_[begin]) {
                ++begin;
                --end;
            } else if (!quoted && begin < end && isQuote(d_[begin])) {
                ++begin;
            } else if (!quoted && begin < end && isQuote(d_[end - 1])) {
                --end;
            } else {
                break;
            }
        }
        const QByteArrayView text(d_ + begin, end - begin);
        if (!text.contains("\"\""))
            return slice(begin, end);
        QByteArray unescaped = text.toByteArray();
        unescaped.replace("\"\"", "\"");
        return rewrite(unescaped);
    }

    OwnList::Slice trimmed(qsizetype begin, qsizetype end) const
    {
        while (begin < end && isBlank(d_[begin]))
            ++begin;
        while (end > begin && isBlank(d_[end - 1]))
            --end;
        return slice(begin, end);
    }

    static OwnList::Slice slice(qsizetype begin, qsizetype end)
    {
        return {std::uint32_t(begin), std::uint32_t(end - begin)};
    }

    OwnList::Slice rewrite(const QByteArray& text)
    {
        if (list_.rewritten_.size() + text.size() > MaxText)
            return {};
        const OwnList::Slice s{
            std::uint32_t(list_.rewritten_.size()) | OwnList::Rewritten, std::uint32_t(text.size())};
        list_.rewritten_ += text;
        return s;
    }

    std::uint32_t groupNumber(OwnList::Slice group)
    {
        const QByteArrayView name = list_.view(group);
        // Entries of a group mostly follow one another.
        if (lastGroup_ != OwnList::NoGroup && name == list_.view(list_.groups_[lastGroup_]))
            return lastGroup_;
        const QByteArray key = QByteArray::fromRawData(name.data(), name.size());
        auto it = groupNumbers_.constFind(key);
        if (it == groupNumbers_.constEnd()) {
            it = groupNumbers_.insert(name.toByteArray(), std::uint32_t(list_.groups_.size()));
            list_.groups_.push_back(group);
        }
        lastGroup_ = it.value();
        return lastGroup_;
    }

    OwnList& list_;
    const char* d_ = nullptr;
    Pending pending_;
    QHash<QByteArray, std::uint32_t> groupNumbers_;
    std::uint32_t lastGroup_ = OwnList::NoGroup;
};

namespace {

bool looksLikeWebPage(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && (isBlank(text[i]) || text[i] == '\r' || text[i] == '\n'))
        ++i;
    return i < text.size() && text[i] == '<';
}

bool looksBinary(QByteArrayView text)
{
    const QByteArrayView head = text.first(qMin<qsizetype>(text.size(), 65536));
    return head.contains('\0') && !head.contains("#EXT");
}

} // namespace

OwnListReading ReadOwnList(const QByteArray& body)
{
    OwnListReading out;
    qsizetype start = 0;
    QByteArray utf16;
    if (body.startsWith("\xEF\xBB\xBF")) {
        start = 3;
    } else if (body.startsWith("\xFF\xFE") || body.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(
            body.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        utf16 = QString(decoder(QByteArrayView(body).sliced(2))).toUtf8();
    }
    const QByteArray& source = utf16.isNull() ? body : utf16;
    if (looksLikeWebPage(QByteArrayView(source).sliced(start))) {
        out.error = QStringLiteral("Cette adresse donne une page web, pas une liste de chaînes M3U.");
        return out;
    }
    if (looksBinary(QByteArrayView(source).sliced(start))) {
        out.error = QStringLiteral(
            "Ce fichier n'est pas une liste de chaînes M3U : il contient des données binaires.");
        return out;
    }
    // Valid UTF-8 is read in place; a byte order mark is skipped, not cut off.
    const bool utf8 = IsUtf8(QByteArrayView(source).sliced(start));
    out.list.text_ = utf8 ? source : RepairUtf8(source.sliced(start));
    const qsizetype textStart = utf8 ? start : 0;
    if (out.list.text_.size() > MaxText) {
        out.list.text_.clear();
        out.error = QStringLiteral("La liste de chaînes est trop grande pour être lue.");
        return out;
    }
    OwnListReader(out.list).read(textStart);
    if (out.list.empty())
        out.error = QStringLiteral("La liste ne contient aucune chaîne.");
    return out;
}

// ---- the list -----------------------------------------------------------------

QByteArrayView OwnList::view(Slice s) const
{
    const QByteArray& bytes = (s.offset & Rewritten) ? rewritten_ : text_;
    return QByteArrayView(bytes.constData() + (s.offset & ~Rewritten), qsizetype(s.length));
}

OwnListRow OwnList::operator[](std::size_t i) const
{
    return {title(i), url(i), groupOf(i), tvgId(i), tvgName(i), logo(i), options(i)};
}

QStringList OwnList::options(std::size_t i) const
{
    QStringList out;
    const Row& row = rows_[i];
    for (std::uint32_t k = 0; k < row.optionCount; ++k)
        out += text(options_[row.firstOption + k]);
    return out;
}

QString OwnList::groupName(int group) const
{
    if (group < 0 || std::size_t(group) >= groups_.size())
        return {};
    return text(groups_[std::size_t(group)]);
}

int OwnList::group(std::size_t i) const
{
    return rows_[i].group == NoGroup ? -1 : int(rows_[i].group);
}

QString OwnList::groupOf(std::size_t i) const
{
    return groupName(group(i));
}

std::shared_ptr<const SearchIndex> OwnList::searchIndex() const
{
    auto index = std::make_shared<SearchIndex>();
    index->reserve(rows_.size(), rows_.size() * 40);
    for (const Row& row : rows_) {
        const QByteArrayView group = row.group == NoGroup ? QByteArrayView() : view(groups_[row.group]);
        index->addRowUtf8({view(row.title), group});
    }
    return index;
}

std::vector<std::optional<std::size_t>> OwnList::locate(std::span<const RowIdentity> identities) const
{
    std::vector<std::optional<std::size_t>> found(identities.size());
    // One rule after the other, each over the whole list, for the identities
    // the rules before left unresolved.
    const auto pass = [&](auto wanted, auto field) {
        QHash<QByteArray, std::vector<std::size_t>> waiting;
        for (std::size_t k = 0; k < identities.size(); ++k) {
            if (found[k])
                continue;
            const QByteArray key = wanted(identities[k]);
            if (!key.isEmpty())
                waiting[key].push_back(k);
        }
        for (std::size_t i = 0; i < rows_.size() && !waiting.isEmpty(); ++i) {
            const QByteArray value = field(i);
            const auto it = waiting.constFind(value);
            if (it == waiting.constEnd())
                continue;
            for (std::size_t k : it.value())
                found[k] = i;
            waiting.erase(it);
        }
    };
    const auto raw = [](QByteArrayView v) { return QByteArray::fromRawData(v.data(), v.size()); };
    pass([](const RowIdentity& id) { return id.url.toUtf8(); },
        [&](std::size_t i) { return raw(urlUtf8(i)); });
    pass([](const RowIdentity& id) { return id.tvgId.toUtf8(); },
        [&](std::size_t i) { return raw(tvgIdUtf8(i)); });
    pass([](const RowIdentity& id) { return id.name.toUtf8(); },
        [&](std::size_t i) { return raw(titleUtf8(i)); });
    pass([](const RowIdentity& id) { return ChannelNameKey(id.name); },
        [&](std::size_t i) { return ChannelNameKeyUtf8(titleUtf8(i)); });
    return found;
}

} // namespace zv
