#include "portal/tv/guide.h"

#include "portal/tv/textfold.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_set>

namespace zv {

// ---- times --------------------------------------------------------------------

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
qint64 daysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int digitsAt(QByteArrayView s, qsizetype at, int count)
{
    int v = 0;
    for (int k = 0; k < count; ++k)
        v = v * 10 + (s[at + k] - '0');
    return v;
}

} // namespace

std::optional<qint64> ParseXmltvTime(QStringView text)
{
    return ParseXmltvTime(QByteArrayView(text.toLatin1()));
}

std::optional<qint64> ParseXmltvTime(QByteArrayView text)
{
    const QByteArrayView s = text.trimmed();
    qsizetype n = 0;
    while (n < s.size() && isDigit(s[n]))
        ++n;
    if (n != 8 && n != 10 && n != 12 && n != 14)
        return std::nullopt;
    const int year = digitsAt(s, 0, 4);
    const int month = digitsAt(s, 4, 2);
    const int day = digitsAt(s, 6, 2);
    const int hour = n >= 10 ? digitsAt(s, 8, 2) : 0;
    const int minute = n >= 12 ? digitsAt(s, 10, 2) : 0;
    const int second = n >= 14 ? digitsAt(s, 12, 2) : 0;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;

    qint64 offset = 0;
    QByteArrayView zone = s.sliced(n).trimmed();
    if (!zone.isEmpty() && (zone[0] == '+' || zone[0] == '-')) {
        const int sign = zone[0] == '-' ? -1 : 1;
        zone = zone.sliced(1);
        qsizetype d = 0;
        while (d < zone.size() && isDigit(zone[d]))
            ++d;
        int hours = 0;
        int minutes = 0;
        if (d == 4) {
            hours = digitsAt(zone, 0, 2);
            minutes = digitsAt(zone, 2, 2);
        } else if (d == 2 && zone.size() >= 5 && zone[2] == ':' && isDigit(zone[3]) && isDigit(zone[4])) {
            hours = digitsAt(zone, 0, 2);
            minutes = digitsAt(zone, 3, 2);
        } else if (d == 2 || d == 1) {
            hours = digitsAt(zone, 0, int(d));
        } else {
            return std::nullopt;
        }
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offset = sign * (qint64(hours) * 3600 + qint64(minutes) * 60);
    } else if (zone.size() > 5
        || !std::all_of(zone.begin(), zone.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
        // "Z", "UTC", "GMT" and other zone names read as UTC; anything else is no time.
        return std::nullopt;
    }
    return daysFromCivil(year, unsigned(month), unsigned(day)) * 86400 + qint64(hour) * 3600
        + qint64(minute) * 60 + second - offset;
}

// ---- the index ----------------------------------------------------------------

QString GuideIndex::channelId(int channel) const
{
    return channel < 0 || channel >= channelCount() ? QString() : text(channels_[std::size_t(channel)].id);
}

QStringList GuideIndex::displayNames(int channel) const
{
    if (channel < 0 || channel >= channelCount())
        return {};
    const Channel& c = channels_[std::size_t(channel)];
    QStringList out;
    for (std::uint32_t k = 0; k < c.nameCount; ++k)
        out += text(names_[c.firstName + k]);
    return out;
}

bool GuideIndex::declared(int channel) const
{
    return channel >= 0 && channel < channelCount() && channels_[std::size_t(channel)].declared != 0;
}

int GuideIndex::channelForId(QStringView id) const
{
    if (id.isEmpty())
        return -1;
    const QByteArray utf8 = id.toUtf8();
    if (const auto it = byId_.constFind(utf8); it != byId_.constEnd())
        return it.value();
    return byFoldedId_.value(id.toString().toCaseFolded().toUtf8(), -1);
}

int GuideIndex::channelForName(QStringView name) const
{
    const QByteArray key = ChannelNameKey(name);
    return key.isEmpty() ? -1 : byName_.value(key, -1);
}

int GuideIndex::matchRow(QStringView tvgId, QStringView tvgName, QStringView title) const
{
    int channel = channelForId(tvgId);
    if (channel < 0)
        channel = channelForName(tvgName);
    if (channel < 0)
        channel = channelForName(title);
    return channel;
}

const GuideIndex::Programme* GuideIndex::begin(int channel) const
{
    return programmes_.data() + channels_[std::size_t(channel)].firstProgramme;
}

const GuideIndex::Programme* GuideIndex::end(int channel) const
{
    return begin(channel) + channels_[std::size_t(channel)].programmeCount;
}

int GuideIndex::programmeCount(int channel) const
{
    return channel < 0 || channel >= channelCount() ? 0 : int(channels_[std::size_t(channel)].programmeCount);
}

GuideProgramme GuideIndex::toProgramme(const Programme& p) const
{
    return {p.start, p.stop, text(p.title), text(p.subTitle), text(p.description)};
}

GuideProgramme GuideIndex::programme(int channel, int i) const
{
    if (i < 0 || i >= programmeCount(channel))
        return {};
    return toProgramme(begin(channel)[i]);
}

NowNext GuideIndex::nowNext(int channel, qint64 utcSeconds) const
{
    NowNext out;
    if (channel < 0 || channel >= channelCount())
        return out;
    const Programme* b = begin(channel);
    const Programme* e = end(channel);
    const Programme* after
        = std::upper_bound(b, e, utcSeconds, [](qint64 t, const Programme& p) { return t < p.start; });
    if (after != b && utcSeconds < after[-1].stop) {
        const Programme& now = after[-1];
        out.now = toProgramme(now);
        out.progress = double(utcSeconds - now.start) / double(now.stop - now.start);
    }
    if (after != e)
        out.next = toProgramme(*after);
    return out;
}

std::vector<GuideProgramme> GuideIndex::day(int channel, QDate date, const QTimeZone& zone) const
{
    std::vector<GuideProgramme> out;
    if (channel < 0 || channel >= channelCount() || !date.isValid())
        return out;
    const QTimeZone where = zone.isValid() ? zone : QTimeZone::utc();
    const qint64 from = QDateTime(date, QTime(0, 0), where).toSecsSinceEpoch();
    const qint64 to = QDateTime(date.addDays(1), QTime(0, 0), where).toSecsSinceEpoch();
    const Programme* b = begin(channel);
    const Programme* e = end(channel);
    const Programme* it
        = std::lower_bound(b, e, from, [](const Programme& p, qint64 t) { return p.start < t; });
    if (it != b && it[-1].stop > from)
        --it;
    for (; it != e && it->start < to; ++it)
        out.push_back(toProgramme(*it));
    return out;
}

void GuideIndex::buildLookups()
{
    byId_.clear();
    byFoldedId_.clear();
    byName_.clear();
    for (int c = 0; c < channelCount(); ++c) {
        const Channel& ch = channels_[std::size_t(c)];
        const QByteArray id = view(ch.id).toByteArray();
        byId_.insert(id, c);
        const QByteArray folded = QString::fromUtf8(id).toCaseFolded().toUtf8();
        if (!byFoldedId_.contains(folded))
            byFoldedId_.insert(folded, c);
        for (std::uint32_t k = 0; k < ch.nameCount; ++k) {
            const QByteArray key = ChannelNameKeyUtf8(view(names_[ch.firstName + k]));
            if (!key.isEmpty() && !byName_.contains(key))
                byName_.insert(key, c);
        }
    }
}

std::size_t GuideIndex::memoryUse() const
{
    const std::size_t lookups = std::size_t(byId_.size() + byFoldedId_.size() + byName_.size()) * 64;
    return std::size_t(text_.capacity()) + channels_.capacity() * sizeof(Channel)
        + names_.capacity() * sizeof(Text) + programmes_.capacity() * sizeof(Programme) + lookups;
}

// ---- cache form ---------------------------------------------------------------

namespace {

constexpr char Magic[8] = {'Z', 'V', 'G', 'U', 'I', 'D', 'E', '1'};
constexpr std::uint32_t ByteOrder = 0x01020304;

struct SavedHeader {
    char magic[8];
    std::uint32_t byteOrder;
    std::uint32_t channels;
    std::uint32_t names;
    std::uint32_t reserved;
    std::uint64_t programmes;
    std::uint64_t text;
    qint64 firstStart;
    qint64 lastStop;
};

template <class T> void appendArray(QByteArray& out, const std::vector<T>& items)
{
    out.append(reinterpret_cast<const char*>(items.data()), qsizetype(items.size() * sizeof(T)));
}

template <class T> bool takeArray(QByteArrayView& in, std::vector<T>& items, std::uint64_t count)
{
    if (count > std::uint64_t(in.size()) / sizeof(T))
        return false;
    items.resize(std::size_t(count));
    if (count > 0)
        std::memcpy(items.data(), in.data(), std::size_t(count) * sizeof(T));
    in = in.sliced(qsizetype(count * sizeof(T)));
    return true;
}

} // namespace

bool GuideIndex::isSaved(QByteArrayView head)
{
    return head.size() >= qsizetype(sizeof Magic) && std::memcmp(head.data(), Magic, sizeof Magic) == 0;
}

QByteArray GuideIndex::save() const
{
    static_assert(sizeof(Channel) == 28 && sizeof(Text) == 8 && sizeof(Programme) == 40);
    SavedHeader h{};
    std::memcpy(h.magic, Magic, sizeof Magic);
    h.byteOrder = ByteOrder;
    h.channels = std::uint32_t(channels_.size());
    h.names = std::uint32_t(names_.size());
    h.programmes = programmes_.size();
    h.text = std::uint64_t(text_.size());
    h.firstStart = firstStart_;
    h.lastStop = lastStop_;
    QByteArray out;
    out.reserve(qsizetype(sizeof h + channels_.size() * sizeof(Channel) + names_.size() * sizeof(Text)
        + programmes_.size() * sizeof(Programme) + std::size_t(text_.size())));
    out.append(reinterpret_cast<const char*>(&h), sizeof h);
    appendArray(out, channels_);
    appendArray(out, names_);
    appendArray(out, programmes_);
    out += text_;
    return out;
}

std::optional<GuideIndex> GuideIndex::load(QByteArrayView bytes)
{
    SavedHeader h;
    if (bytes.size() < qsizetype(sizeof h))
        return std::nullopt;
    std::memcpy(&h, bytes.data(), sizeof h);
    if (std::memcmp(h.magic, Magic, sizeof Magic) != 0 || h.byteOrder != ByteOrder)
        return std::nullopt;
    QByteArrayView in = bytes.sliced(sizeof h);
    GuideIndex g;
    if (!takeArray(in, g.channels_, h.channels) || !takeArray(in, g.names_, h.names)
        || !takeArray(in, g.programmes_, h.programmes) || std::uint64_t(in.size()) != h.text)
        return std::nullopt;
    g.text_ = in.toByteArray();
    g.firstStart_ = h.firstStart;
    g.lastStop_ = h.lastStop;

    const auto textOk = [&](Text t) { return std::uint64_t(t.offset) + t.length <= h.text; };
    for (const Text& t : g.names_) {
        if (!textOk(t))
            return std::nullopt;
    }
    for (const Programme& p : g.programmes_) {
        if (!textOk(p.title) || !textOk(p.subTitle) || !textOk(p.description) || p.stop < p.start)
            return std::nullopt;
    }
    for (const Channel& c : g.channels_) {
        if (!textOk(c.id) || std::uint64_t(c.firstName) + c.nameCount > g.names_.size()
            || std::uint64_t(c.firstProgramme) + c.programmeCount > g.programmes_.size())
            return std::nullopt;
        // What the reader promises, and the queries rely on: programmes by
        // start, each over before the next begins.
        const Programme* p = g.programmes_.data() + c.firstProgramme;
        for (std::uint32_t k = 1; k < c.programmeCount; ++k) {
            if (p[k].start <= p[k - 1].start || p[k - 1].stop > p[k].start)
                return std::nullopt;
        }
    }
    g.buildLookups();
    return g;
}

// ---- building -----------------------------------------------------------------

namespace {

using Text = GuideIndex::Text;

constexpr qint64 NoStop = std::numeric_limits<qint64>::min();

// Texts kept once however often the guide repeats them (titles of daily
// shows, descriptions of reruns), by their place in the text.
struct TextHash {
    const QByteArray* text;
    std::size_t operator()(Text t) const
    {
        return std::hash<std::string_view>()(std::string_view(text->constData() + t.offset, t.length));
    }
};
struct TextEqual {
    const QByteArray* text;
    bool operator()(Text a, Text b) const
    {
        return a.length == b.length
            && std::memcmp(text->constData() + a.offset, text->constData() + b.offset, a.length) == 0;
    }
};

} // namespace

struct GuideBuilder::Data {
    struct Channel {
        Text id;
        std::vector<Text> names;
        bool declared = false;
    };
    struct Programme {
        qint64 start;
        qint64 stop;
        std::uint32_t channel;
        bool hasStop;
        Text title, subTitle, description;
    };

    Data()
        : interned(1024, TextHash{&text}, TextEqual{&text})
    {
    }

    Text intern(QByteArrayView utf8)
    {
        if (utf8.isEmpty())
            return {};
        if (std::uint64_t(text.size()) + std::uint64_t(utf8.size()) > UINT32_MAX)
            return {};
        const Text t{std::uint32_t(text.size()), std::uint32_t(utf8.size())};
        text.append(utf8);
        const auto [it, added] = interned.insert(t);
        if (!added)
            text.truncate(qsizetype(t.offset));
        return *it;
    }

    std::uint32_t channel(QByteArrayView id, bool declare)
    {
        if (!lastId.isNull() && id == lastId && !declare)
            return lastChannel;
        const QByteArray key = id.toByteArray();
        auto it = channelIds.constFind(key);
        if (it == channelIds.constEnd()) {
            it = channelIds.insert(key, std::uint32_t(channels.size()));
            channels.push_back({intern(id), {}, false});
        }
        lastId = key;
        lastChannel = it.value();
        return lastChannel;
    }

    QByteArray text;
    std::unordered_set<Text, TextHash, TextEqual> interned;
    std::vector<Channel> channels;
    QHash<QByteArray, std::uint32_t> channelIds;
    std::vector<Programme> programmes;
    QByteArray lastId;
    std::uint32_t lastChannel = 0;
};

GuideBuilder::GuideBuilder()
    : d_(std::make_unique<Data>())
{
}

GuideBuilder::~GuideBuilder() = default;

void GuideBuilder::addChannel(QByteArrayView id, const std::vector<QByteArray>& displayNames)
{
    Data::Channel& c = d_->channels[d_->channel(id, true)];
    c.declared = true;
    for (const QByteArray& name : displayNames) {
        const Text t = d_->intern(name.trimmed());
        if (t.length > 0
            && std::none_of(c.names.begin(), c.names.end(), [&](Text n) { return n.offset == t.offset; }))
            c.names.push_back(t);
    }
}

void GuideBuilder::addProgramme(QByteArrayView channel, qint64 start, std::optional<qint64> stop,
    QByteArrayView title, QByteArrayView subTitle, QByteArrayView description)
{
    if (d_->channels.size() >= UINT32_MAX - 1)
        return;
    d_->programmes.push_back({start, stop.value_or(start), d_->channel(channel, false), stop.has_value(),
        d_->intern(title), d_->intern(subTitle), d_->intern(description)});
}

std::size_t GuideBuilder::programmeCount() const
{
    return d_->programmes.size();
}

GuideIndex GuideBuilder::finish()
{
    Data& d = *d_;
    GuideIndex g;
    // Guides mostly list each channel's programmes together and in order.
    const auto before = [](const Data::Programme& a, const Data::Programme& b) {
        return a.channel != b.channel ? a.channel < b.channel : a.start < b.start;
    };
    if (!std::is_sorted(d.programmes.begin(), d.programmes.end(), before))
        std::stable_sort(d.programmes.begin(), d.programmes.end(), before);
    g.programmes_.reserve(d.programmes.size());
    g.channels_.reserve(d.channels.size());
    std::size_t p = 0;
    bool any = false;
    for (std::uint32_t c = 0; c < d.channels.size(); ++c) {
        const Data::Channel& from = d.channels[c];
        GuideIndex::Channel to;
        to.id = from.id;
        to.declared = from.declared ? 1 : 0;
        to.firstName = std::uint32_t(g.names_.size());
        to.nameCount = std::uint32_t(from.names.size());
        g.names_.insert(g.names_.end(), from.names.begin(), from.names.end());
        to.firstProgramme = std::uint32_t(g.programmes_.size());
        // A repeat (the same start again) keeps the first one read.
        const std::size_t first = p;
        for (; p < d.programmes.size() && d.programmes[p].channel == c; ++p) {
            const Data::Programme& q = d.programmes[p];
            if (p > first && q.start == d.programmes[p - 1].start)
                continue;
            GuideIndex::Programme kept{
                q.start, q.hasStop && q.stop > q.start ? q.stop : NoStop, q.title, q.subTitle, q.description};
            g.programmes_.push_back(kept);
        }
        GuideIndex::Programme* b = g.programmes_.data() + to.firstProgramme;
        GuideIndex::Programme* e = g.programmes_.data() + g.programmes_.size();
        for (GuideIndex::Programme* it = b; it != e; ++it) {
            const bool last = it + 1 == e;
            if (it->stop == NoStop)
                it->stop = last ? it->start : it[1].start;
            else if (!last && it->stop > it[1].start)
                it->stop = it[1].start;
        }
        to.programmeCount = std::uint32_t(e - b);
        if (b != e) {
            g.firstStart_ = any ? std::min(g.firstStart_, b->start) : b->start;
            g.lastStop_ = any ? std::max(g.lastStop_, e[-1].stop) : e[-1].stop;
            any = true;
        }
        g.channels_.push_back(to);
    }
    g.text_ = std::move(d.text);
    d_ = std::make_unique<Data>();
    g.buildLookups();
    return g;
}

} // namespace zv
