#include "portal/podcasts/feed.h"

#include "portal/podcasts/feedtext.h"

#include <QDate>
#include <QSet>
#include <QUrl>
#include <algorithm>

namespace zv {

// ---- dates and durations ----------------------------------------------------------

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || uchar(c) >= 0x80;
}

// Digits from `at`: their value and how many there were (at most `most`).
int readNumber(QByteArrayView s, qsizetype& at, int most, int& count)
{
    int v = 0;
    count = 0;
    while (at < s.size() && isDigit(s[at]) && count < most) {
        v = v * 10 + (s[at++] - '0');
        ++count;
    }
    return v;
}

std::optional<qint64> utcMs(int year, int month, int day, int hour, int minute, int second, int ms)
{
    const QDate date(year, month, day);
    if (!date.isValid() || hour > 24 || minute > 59 || second > 60 || (hour == 24 && (minute || second)))
        return std::nullopt;
    const qint64 days = date.toJulianDay() - 2440588; // 1970-01-01
    return ((days * 24 + hour) * 60 + minute) * 60000 + qint64(std::min(second, 59)) * 1000 + ms;
}

// "+01:00", "-0500", "+01", "Z": minutes east of UTC.
std::optional<int> numericOffset(QByteArrayView z)
{
    if (z.compare("Z", Qt::CaseInsensitive) == 0)
        return 0;
    if (z.size() < 3 || (z[0] != '+' && z[0] != '-'))
        return std::nullopt;
    const int sign = z[0] == '-' ? -1 : 1;
    qsizetype at = 1;
    int count = 0;
    const int hours = readNumber(z, at, 2, count);
    if (count != 2)
        return std::nullopt;
    int minutes = 0;
    if (at < z.size()) {
        if (z[at] == ':')
            ++at;
        minutes = readNumber(z, at, 2, count);
        if (count != 2 || at != z.size())
            return std::nullopt;
    }
    if (hours > 23 || minutes > 59)
        return std::nullopt;
    return sign * (hours * 60 + minutes);
}

std::optional<int> zoneOffset(QByteArrayView z)
{
    if (const std::optional<int> numeric = numericOffset(z))
        return numeric;
    static const std::pair<const char*, int> names[]
        = {{"GMT", 0}, {"UT", 0}, {"UTC", 0}, {"EST", -300}, {"EDT", -240}, {"CST", -360}, {"CDT", -300},
            {"MST", -420}, {"MDT", -360}, {"PST", -480}, {"PDT", -420}, {"CET", 60}, {"CEST", 120},
            {"BST", 60}, {"WET", 0}, {"WEST", 60}, {"EET", 120}, {"EEST", 180}};
    for (const auto& [name, minutes] : names) {
        if (z.compare(name, Qt::CaseInsensitive) == 0)
            return minutes;
    }
    // "GMT+1", "UTC+01:00"
    for (const char* prefix : {"GMT", "UTC"}) {
        if (z.size() > 3 && z.first(3).compare(prefix, Qt::CaseInsensitive) == 0) {
            const QByteArrayView rest = z.sliced(3);
            if (const std::optional<int> n = numericOffset(rest))
                return n;
            if (rest.size() >= 2 && (rest[0] == '+' || rest[0] == '-') && rest.size() <= 3) {
                qsizetype at = 1;
                int count = 0;
                const int hours = readNumber(rest, at, 2, count);
                if (at == rest.size() && hours <= 23)
                    return (rest[0] == '-' ? -60 : 60) * hours;
            }
        }
    }
    return std::nullopt;
}

int monthNumber(QByteArrayView word)
{
    // English and French, whole or shortened, with or without accents.
    static const std::pair<const char16_t*, int> names[] = {{u"jan", 1}, {u"january", 1}, {u"janv", 1},
        {u"janvier", 1}, {u"feb", 2}, {u"february", 2}, {u"fév", 2}, {u"fev", 2}, {u"févr", 2}, {u"fevr", 2},
        {u"février", 2}, {u"fevrier", 2}, {u"mar", 3}, {u"march", 3}, {u"mars", 3}, {u"apr", 4},
        {u"april", 4}, {u"avr", 4}, {u"avril", 4}, {u"may", 5}, {u"mai", 5}, {u"jun", 6}, {u"june", 6},
        {u"juin", 6}, {u"jul", 7}, {u"july", 7}, {u"juil", 7}, {u"juillet", 7}, {u"aug", 8}, {u"august", 8},
        {u"aoû", 8}, {u"aou", 8}, {u"août", 8}, {u"aout", 8}, {u"sep", 9}, {u"sept", 9}, {u"september", 9},
        {u"septembre", 9}, {u"oct", 10}, {u"october", 10}, {u"octobre", 10}, {u"nov", 11}, {u"november", 11},
        {u"novembre", 11}, {u"dec", 12}, {u"december", 12}, {u"déc", 12}, {u"décembre", 12},
        {u"decembre", 12}};
    if (word.endsWith('.'))
        word.chop(1);
    if (word.isEmpty() || word.size() > 12)
        return 0;
    const QString lower = QString::fromUtf8(word).toLower();
    for (const auto& [name, month] : names) {
        if (lower == QStringView(name))
            return month;
    }
    return 0;
}

std::optional<qint64> rfc3339(QByteArrayView s)
{
    qsizetype at = 0;
    int count = 0;
    const int year = readNumber(s, at, 4, count);
    if (count != 4 || at >= s.size() || s[at++] != '-')
        return std::nullopt;
    const int month = readNumber(s, at, 2, count);
    if (count < 1 || at >= s.size() || s[at++] != '-')
        return std::nullopt;
    const int day = readNumber(s, at, 2, count);
    if (count < 1)
        return std::nullopt;
    int hour = 0, minute = 0, second = 0, ms = 0;
    int offset = 0;
    if (at < s.size()) {
        if (s[at] != 'T' && s[at] != 't' && s[at] != ' ')
            return std::nullopt;
        ++at;
        hour = readNumber(s, at, 2, count);
        if (count != 2 || at >= s.size() || s[at++] != ':')
            return std::nullopt;
        minute = readNumber(s, at, 2, count);
        if (count != 2)
            return std::nullopt;
        if (at < s.size() && s[at] == ':') {
            ++at;
            second = readNumber(s, at, 2, count);
            if (count != 2)
                return std::nullopt;
            if (at < s.size() && (s[at] == '.' || s[at] == ',')) {
                ++at;
                int digits = 0;
                const int fraction = readNumber(s, at, 3, digits);
                ms = digits == 0 ? 0 : fraction * (digits == 1 ? 100 : digits == 2 ? 10 : 1);
                while (at < s.size() && isDigit(s[at]))
                    ++at;
            }
        }
        const QByteArrayView zone = s.sliced(at).trimmed();
        if (!zone.isEmpty()) {
            const std::optional<int> z = zoneOffset(zone);
            if (!z)
                return std::nullopt;
            offset = *z;
        }
    }
    const std::optional<qint64> t = utcMs(year, month, day, hour, minute, second, ms);
    if (!t)
        return std::nullopt;
    return *t - qint64(offset) * 60000;
}

std::optional<qint64> rfc822(QByteArrayView s)
{
    QList<QByteArrayView> words;
    for (qsizetype at = 0; at < s.size();) {
        while (at < s.size() && (s[at] == ' ' || s[at] == ',' || s[at] == '\t'))
            ++at;
        const qsizetype start = at;
        while (at < s.size() && s[at] != ' ' && s[at] != ',' && s[at] != '\t')
            ++at;
        if (at > start)
            words.append(s.sliced(start, at - start));
    }
    // A day's name first, in any language ("mar." is Tuesday in French).
    const auto isNumber = [](QByteArrayView w) { return std::all_of(w.begin(), w.end(), isDigit); };
    if (words.size() >= 3 && isLetter(words[0][0])
        && (monthNumber(words[0]) == 0 || (isNumber(words[1]) && monthNumber(words[2]) > 0)))
        words.removeFirst();
    if (words.size() < 3)
        return std::nullopt;
    // "09 Mar 2024", or "Mar 09 2024".
    QByteArrayView dayWord = words[0];
    QByteArrayView monthWord = words[1];
    if (monthNumber(dayWord) > 0)
        std::swap(dayWord, monthWord);
    qsizetype at = 0;
    int count = 0;
    const int day = readNumber(dayWord, at, 2, count);
    if (count == 0 || at != dayWord.size())
        return std::nullopt;
    const int month = monthNumber(monthWord);
    at = 0;
    int year = readNumber(words[2], at, 4, count);
    if (at != words[2].size() || (count != 2 && count != 4))
        return std::nullopt;
    if (count == 2)
        year += year < 50 ? 2000 : 1900;

    int hour = 0, minute = 0, second = 0;
    qsizetype next = 3;
    if (words.size() > 3 && words[3].contains(':')) {
        const QByteArrayView t = words[3];
        at = 0;
        hour = readNumber(t, at, 2, count);
        if (count == 0 || at >= t.size() || t[at++] != ':')
            return std::nullopt;
        minute = readNumber(t, at, 2, count);
        if (count != 2)
            return std::nullopt;
        if (at < t.size()) {
            if (t[at++] != ':')
                return std::nullopt;
            second = readNumber(t, at, 2, count);
            if (count != 2)
                return std::nullopt;
            if (at < t.size() && t[at] == '.') // a fraction, which RFC 822 has not
                while (++at < t.size() && isDigit(t[at])) { }
            if (at != t.size())
                return std::nullopt;
        }
        next = 4;
    }
    int offset = 0;
    if (words.size() > next) {
        // A zone it does not know (a military letter, a name of its own) counts as UTC.
        offset = zoneOffset(words[next]).value_or(0);
    }
    const std::optional<qint64> t = utcMs(year, month, day, hour, minute, second, 0);
    if (!t)
        return std::nullopt;
    return *t - qint64(offset) * 60000;
}

} // namespace

std::optional<qint64> ParseFeedDate(QByteArrayView text)
{
    const QByteArrayView s = text.trimmed();
    if (s.size() < 8 || s.size() > 80)
        return std::nullopt;
    if (s.size() >= 5 && isDigit(s[0]) && isDigit(s[1]) && isDigit(s[2]) && isDigit(s[3]) && s[4] == '-')
        return rfc3339(s);
    return rfc822(s);
}

int ParseFeedDuration(QByteArrayView text)
{
    const QByteArrayView s = text.trimmed();
    if (s.isEmpty() || s.size() > 20)
        return -1;
    qint64 seconds = 0;
    int fields = 0;
    qsizetype at = 0;
    for (;;) {
        int count = 0;
        const int n = readNumber(s, at, 9, count);
        if (count == 0)
            return -1;
        // Minutes and seconds after the first field stay below 60.
        if (fields > 0 && n > 59)
            return -1;
        seconds = seconds * 60 + n;
        ++fields;
        if (at == s.size())
            break;
        if (s[at] == ':' && fields < 3) {
            ++at;
            continue;
        }
        if (s[at] == '.' || s[at] == ',') {
            // A fraction of a second ends it.
            while (++at < s.size() && isDigit(s[at])) { }
            if (at != s.size())
                return -1;
            break;
        }
        return -1;
    }
    if (seconds <= 0 || seconds > 1000 * 3600)
        return -1;
    return int(seconds);
}

// ---- feeds -----------------------------------------------------------------------

namespace {

constexpr qsizetype LongestTitle = 500;
constexpr qsizetype LongestAddress = 8192;
constexpr qsizetype LongestField = 4 * LongestAddress;
constexpr std::size_t MostEpisodes = 100000;

// What a link to a file to play ends with.
bool looksLikeMedia(const QString& address)
{
    static const char* const extensions[] = {".mp3", ".m4a", ".m4b", ".aac", ".ogg", ".oga", ".opus", ".flac",
        ".wav", ".wma", ".mp4", ".m4v", ".mov", ".webm", ".mkv", ".avi", ".wmv", ".flv", ".mpg", ".mpeg",
        ".ra", ".rm", ".ram", ".asx", ".m3u", ".m3u8"};
    const QString path = QUrl(address).path().toLower();
    return std::any_of(std::begin(extensions), std::end(extensions),
        [&](const char* e) { return path.endsWith(QLatin1String(e)); });
}

bool playableType(QByteArrayView type)
{
    return type.isEmpty() || type.startsWith("audio/") || type.startsWith("video/")
        || type == "application/ogg" || type == "application/x-mpegURL"
        || type == "application/vnd.apple.mpegurl";
}

class FeedParser {
public:
    FeedParser(FeedReading& out, const QString& feedUrl)
        : out_(out)
        , feedUrl_(feedUrl)
        , base_(feedUrl)
    {
    }

    XmlScanner& xml() { return xml_; }

    // False when the document is not a feed.
    bool start()
    {
        const int depth = xml_.depth();
        const QByteArrayView name = xml_.name();
        const QByteArrayView local = LocalName(name);
        if (depth == 1) {
            atom_ = local == "feed";
            return atom_ || local == "rss" || local == "RDF" || local == "channel";
        }
        if (itemDepth_ == 0) {
            if (local == (atom_ ? "entry" : "item")) {
                overflow_ = full();
                itemDepth_ = depth;
                item_ = {};
            } else if (!atom_ && name == "channel" && channelDepth_ == 0) {
                channelDepth_ = depth;
            } else if (depth == imageDepth_ + 1 && name == "url") {
                capture(Field::Picture);
            } else if (feedLevel(depth)) {
                feedElement(name, local, depth);
            }
            return true;
        }
        const int r = depth - itemDepth_;
        if (r == 1)
            itemElement(name, local);
        else if (r == 2 && inMediaGroup_ && name == "media:content")
            mediaContent();
        return true;
    }

    void end()
    {
        const int depth = xml_.depth() + 1;
        if (field_ != Field::None && depth == fieldDepth_)
            endField();
        if (depth == itemDepth_) {
            itemDepth_ = 0;
            // An item cut short by the end of the data may lack what follows.
            if (xml_.fault() != XmlScanner::Fault::Truncated)
                endItem();
        } else if (depth == imageDepth_) {
            imageDepth_ = -1;
        } else if (depth == channelDepth_) {
            channelDepth_ = 0;
        } else if (itemDepth_ > 0 && depth == itemDepth_ + 1 && xml_.name() == "media:group") {
            inMediaGroup_ = false;
        }
    }

    void text()
    {
        if (field_ != Field::None)
            xml_.appendText(text_, LongestField);
    }

    bool full() const { return out_.episodes.size() >= MostEpisodes; }
    // An item started once the list was full.
    bool overflowed() const { return overflow_; }

    void finish()
    {
        if (out_.picture.isEmpty())
            out_.picture = itunesPicture_;
        if (out_.picture.isEmpty())
            out_.picture = atomIcon_;
        std::stable_sort(
            out_.episodes.begin(), out_.episodes.end(), [](const FeedEpisode& a, const FeedEpisode& b) {
                if (a.published.isValid() != b.published.isValid())
                    return a.published.isValid();
                return a.published > b.published;
            });
    }

private:
    enum class Field {
        None,
        Title,
        Picture,
        Icon,
        Logo,
        Site,
        ItemTitle,
        Guid,
        Date,
        OtherDate,
        Link,
        Duration
    };

    struct Item {
        QString title;
        QByteArray guid;
        std::optional<qint64> date;
        std::optional<qint64> otherDate;
        QString enclosure; // the first that plays
        QString otherEnclosure; // the first of any other type
        QString media; // Media RSS
        QString link; // when it names a file to play
        int seconds = -1;
        int mediaSeconds = -1;
        bool htmlTitle = false;
    };

    bool feedLevel(int depth) const
    {
        return atom_ ? depth == 2 : (depth == channelDepth_ + 1 || depth == 2);
    }

    void feedElement(QByteArrayView name, QByteArrayView local, int depth)
    {
        if (atom_) {
            if (local == "title")
                capture(Field::Title);
            else if (local == "logo")
                capture(Field::Logo);
            else if (local == "icon")
                capture(Field::Icon);
            else if (local == "link" && out_.siteUrl.isEmpty()) {
                const QByteArray rel = xml_.attribute("rel");
                if (rel.isEmpty() || rel == "alternate")
                    out_.siteUrl = address(xml_.attribute("href"));
            }
        } else if (name == "title") {
            capture(Field::Title);
        } else if (name == "image" && imageDepth_ < 0) {
            imageDepth_ = depth;
        } else if (name == "link") {
            capture(Field::Site);
        }
        if (name == "itunes:image" && itunesPicture_.isEmpty())
            itunesPicture_ = address(xml_.attribute("href"));
    }

    void itemElement(QByteArrayView name, QByteArrayView local)
    {
        if (atom_ ? local == "title" : name == "title") {
            const QByteArray type = xml_.attribute("type");
            item_.htmlTitle = atom_ && (type == "html" || type == "text/html");
            capture(Field::ItemTitle);
        } else if (atom_ ? local == "id" : name == "guid") {
            capture(Field::Guid);
        } else if (name == "pubDate" || local == "published") {
            capture(Field::Date);
        } else if (name == "dc:date" || local == "updated" || local == "issued" || local == "modified") {
            capture(Field::OtherDate);
        } else if (name == "enclosure"
            || (atom_ && local == "link" && xml_.attribute("rel") == "enclosure")) {
            offerEnclosure(xml_.attribute(atom_ ? "href" : "url"), xml_.attribute("type"));
        } else if (atom_ && local == "link") {
            const QByteArray rel = xml_.attribute("rel");
            if (rel.isEmpty() || rel == "alternate")
                offerLink(xml_.attribute("href"));
        } else if (name == "link") {
            capture(Field::Link);
        } else if (name == "itunes:duration") {
            capture(Field::Duration);
        } else if (name == "media:content") {
            mediaContent();
        } else if (name == "media:group") {
            inMediaGroup_ = true;
        }
    }

    void capture(Field field)
    {
        field_ = field;
        fieldDepth_ = xml_.depth();
        text_.truncate(0);
    }

    void endField()
    {
        switch (field_) {
        case Field::Title:
            if (out_.title.isEmpty())
                out_.title = titleText(false);
            break;
        case Field::Picture:
            if (out_.picture.isEmpty())
                out_.picture = address(text_);
            break;
        case Field::Logo: out_.picture = address(text_); break;
        case Field::Icon:
            if (atomIcon_.isEmpty())
                atomIcon_ = address(text_);
            break;
        case Field::Site:
            if (out_.siteUrl.isEmpty())
                out_.siteUrl = address(text_);
            break;
        case Field::ItemTitle: item_.title = titleText(item_.htmlTitle); break;
        case Field::Guid: item_.guid = QByteArrayView(text_).trimmed().toByteArray(); break;
        case Field::Date: item_.date = ParseFeedDate(text_); break;
        case Field::OtherDate:
            if (!item_.otherDate)
                item_.otherDate = ParseFeedDate(text_);
            break;
        case Field::Link: offerLink(text_); break;
        case Field::Duration: item_.seconds = ParseFeedDuration(text_); break;
        case Field::None: break;
        }
        field_ = Field::None;
    }

    // Feeds escape their titles once more than they should ("&amp;eacute;");
    // an Atom title may be HTML.
    QString titleText(bool html)
    {
        QByteArray t = text_;
        if (html) {
            QByteArray plain;
            for (qsizetype i = 0; i < t.size(); ++i) {
                if (t[i] == '<') {
                    const qsizetype close = t.indexOf('>', i);
                    if (close > i) {
                        i = close;
                        continue;
                    }
                }
                plain += t[i];
            }
            t = plain;
        }
        if (t.contains('&')) {
            QByteArray decoded;
            AppendXmlDecoded(decoded, t, LongestField);
            t = decoded;
        }
        return FoldedText(t, LongestTitle);
    }

    QString address(QByteArrayView raw) const
    {
        const QString text = QString::fromUtf8(raw.trimmed());
        if (text.isEmpty() || text.size() > LongestAddress)
            return {};
        QUrl url(text, QUrl::TolerantMode);
        if (url.isRelative()) {
            if (!base_.isValid() || base_.isRelative())
                return {};
            url = base_.resolved(url);
        }
        const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
        if (!url.isValid() || (web && url.host().isEmpty()))
            return {};
        return url.toString(QUrl::FullyEncoded);
    }

    void offerEnclosure(const QByteArray& href, const QByteArray& type)
    {
        const QString url = address(href);
        if (url.isEmpty())
            return;
        QString& slot = playableType(type) ? item_.enclosure : item_.otherEnclosure;
        if (slot.isEmpty())
            slot = url;
    }

    void offerLink(QByteArrayView href)
    {
        const QString url = address(href);
        if (item_.link.isEmpty() && looksLikeMedia(url))
            item_.link = url;
    }

    void mediaContent()
    {
        if (!playableType(xml_.attribute("type")))
            return;
        const QString url = address(xml_.attribute("url"));
        if (url.isEmpty() || !item_.media.isEmpty())
            return;
        item_.media = url;
        item_.mediaSeconds = ParseFeedDuration(xml_.attribute("duration"));
    }

    void endItem()
    {
        const QString& url = !item_.enclosure.isEmpty() ? item_.enclosure
            : !item_.media.isEmpty()                    ? item_.media
            : !item_.link.isEmpty()                     ? item_.link
                                                        : item_.otherEnclosure;
        if (url.isEmpty() || full())
            return;
        FeedEpisode e;
        e.title = item_.title.isEmpty() ? QUrl(url).fileName() : item_.title;
        e.url = url;
        if (const std::optional<qint64> t = item_.date ? item_.date : item_.otherDate)
            e.published = QDateTime::fromMSecsSinceEpoch(*t, Qt::UTC);
        e.seconds = item_.seconds > 0 ? item_.seconds : item_.mediaSeconds;
        e.key = key(item_.guid, url);
        if (keys_.contains(e.key))
            return;
        keys_.insert(e.key);
        out_.episodes.push_back(std::move(e));
    }

    QByteArray key(const QByteArray& guid, const QString& url) const
    {
        if (guid.isEmpty() || guid.size() > LongestAddress)
            return url.toUtf8();
        if (feedUrl_.isEmpty() || guid.contains(':') || guid.size() >= 16)
            return guid;
        return feedUrl_.toUtf8() + '#' + guid;
    }

    FeedReading& out_;
    QString feedUrl_;
    QUrl base_;
    XmlScanner xml_;
    bool atom_ = false;
    int channelDepth_ = 0;
    int imageDepth_ = -1;
    int itemDepth_ = 0;
    bool inMediaGroup_ = false;
    Field field_ = Field::None;
    int fieldDepth_ = 0;
    QByteArray text_;
    Item item_;
    QString itunesPicture_;
    QString atomIcon_;
    QSet<QByteArray> keys_;
    bool overflow_ = false;
};

} // namespace

FeedReading ReadFeed(const QByteArray& bytes, const QString& feedUrl)
{
    FeedReading out;
    if (bytes.trimmed().isEmpty()) {
        out.error = QStringLiteral("Le flux du podcast est vide.");
        return out;
    }
    FeedParser parser(out, feedUrl);
    XmlScanner& xml = parser.xml();
    FeedWhole(xml, bytes);
    bool feed = true;
    bool cut = false;
    for (bool more = true; more;) {
        switch (xml.next()) {
        case XmlScanner::Token::StartElement:
            more = feed = parser.start();
            if (parser.overflowed()) {
                cut = true;
                more = false;
            }
            break;
        case XmlScanner::Token::EndElement: parser.end(); break;
        case XmlScanner::Token::Text: parser.text(); break;
        case XmlScanner::Token::NeedData:
        case XmlScanner::Token::End: more = false; break;
        }
    }
    if (!feed || !xml.sawRoot()) {
        out = {};
        out.error = IsWebPageRoot(xml.rootName())
            ? QStringLiteral("Cette adresse donne une page web, pas un flux de podcast.")
            : QStringLiteral("Ce fichier n'est pas un flux de podcast RSS ou Atom.");
        return out;
    }
    parser.finish();
    if (cut)
        out.error
            = QStringLiteral("Ce podcast compte trop d'épisodes : seuls les 100 000 premiers ont été lus.");
    else if (xml.fault() == XmlScanner::Fault::Truncated)
        out.error
            = QStringLiteral("Le flux du podcast est incomplet : seuls les épisodes reçus ont été lus.");
    else if (xml.fault() == XmlScanner::Fault::TooLong)
        out.error = QStringLiteral("Le flux du podcast est abîmé à la ligne %1 : seuls les épisodes qui "
                                   "précèdent ont été lus.")
                        .arg(xml.faultLine());
    else if (out.episodes.empty())
        out.error = QStringLiteral("Ce podcast ne propose aucun épisode à écouter.");
    return out;
}

} // namespace zv
