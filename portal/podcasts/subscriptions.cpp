#include "portal/podcasts/subscriptions.h"

#include "portal/podcasts/feedtext.h"

#include <QLocale>
#include <QSet>

namespace zv {

namespace {

constexpr qsizetype LongestTitle = 500;
constexpr qsizetype LongestAddress = 8192;
// Folders deeper than this hold what lies below them.
constexpr int DeepestFolder = 32;
constexpr int MostPodcasts = 100000;

bool sameName(QByteArrayView name, QByteArrayView wanted)
{
    return name.compare(wanted, Qt::CaseInsensitive) == 0;
}

// Clients write the attribute's name in several cases.
QByteArray anyCaseAttribute(const XmlScanner& xml, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        QByteArray value = xml.attribute(name);
        if (!value.isNull())
            return value;
    }
    return {};
}

QString plural(int n, const char* one, const char* many)
{
    return QString::fromUtf8(n == 1 ? one : many).arg(n);
}

class OutlineReader {
public:
    OutlineReader(SubscriptionReading& out, const QUrl& base)
        : out_(out)
        , base_(base)
    {
        open_.push_back({&out.outlines, false, 0});
    }

    // An outline starts: where its own outlines go.
    void start()
    {
        Frame& parent = open_.back();
        ++parent.outlines;
        const QByteArray type = xml().attribute("type");
        const QByteArray rawAddress = anyCaseAttribute(xml(), {"xmlUrl", "xmlurl", "xmlURL", "XMLURL"});
        // The title attribute first: some clients write the description as the text.
        QString title = FoldedText(xml().attribute("title"), LongestTitle);
        if (title.isEmpty())
            title = FoldedText(xml().attribute("text"), LongestTitle);

        if (!rawAddress.isNull()) {
            if (type.isEmpty() || sameName(type, "rss"))
                addPodcast(title, rawAddress);
            open_.push_back({parent.list, false, 0}); // what it holds goes beside it
            return;
        }
        if (!type.isEmpty() || title.isEmpty() || open_.size() > DeepestFolder) {
            open_.push_back({parent.list, false, 0}); // a link, a note, a folder too deep or untitled
            return;
        }
        parent.list->push_back({title, {}, {}, {}});
        open_.push_back({&parent.list->back().children, true, 0});
    }

    void end()
    {
        const Frame done = open_.back();
        open_.pop_back();
        // A folder all of whose podcasts were left out goes too; one written
        // empty stays.
        if (done.ownFolder && done.list->empty() && done.outlines > 0)
            open_.back().list->pop_back();
    }

    bool full() const { return out_.podcasts >= MostPodcasts; }

    QString notice() const
    {
        QStringList parts;
        if (duplicates_ > 0)
            parts += plural(duplicates_, "%1 podcast en double n'a été gardé qu'une fois",
                "%1 podcasts en double n'ont été gardés qu'une fois");
        if (relative_ > 0)
            parts += plural(
                relative_, "%1 adresse relative a été ignorée", "%1 adresses relatives ont été ignorées");
        if (unusable_ > 0)
            parts += plural(unusable_, "%1 adresse qui n'est ni http ni https a été ignorée",
                "%1 adresses qui ne sont ni http ni https ont été ignorées");
        return parts.isEmpty() ? QString() : parts.join(QStringLiteral(" ; ")) + u'.';
    }

    XmlScanner& xml() { return xml_; }

private:
    struct Frame {
        std::vector<PodcastOutline>* list; // where outlines inside it go
        bool ownFolder; // the last of its parent's list
        int outlines; // outlines met inside it
    };

    void addPodcast(const QString& title, const QByteArray& raw)
    {
        const QString text = FoldedText(raw, LongestAddress);
        const QString address = text.size() < LongestAddress ? FeedAddress(text, base_) : QString();
        if (address.isEmpty()) {
            const QUrl url(text);
            ++(url.isRelative() && !text.isEmpty() ? relative_ : unusable_);
            return;
        }
        if (seen_.contains(address)) {
            ++duplicates_;
            return;
        }
        seen_.insert(address);
        const QString site = FeedAddress(FoldedText(xml().attribute("htmlUrl"), LongestAddress), base_);
        open_.back().list->push_back({title, address, site, {}});
        ++out_.podcasts;
    }

    SubscriptionReading& out_;
    QUrl base_;
    XmlScanner xml_;
    std::vector<Frame> open_;
    QSet<QString> seen_;
    int duplicates_ = 0;
    int relative_ = 0;
    int unusable_ = 0;
};

void appendEscaped(QString& out, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\t': out += QLatin1String("&#9;"); break;
        case '\n': out += QLatin1String("&#10;"); break;
        case '\r': out += QLatin1String("&#13;"); break;
        default:
            // What XML cannot hold is left out: other control characters, a
            // surrogate without its pair, the two non-characters.
            if (c.unicode() < 0x20 || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
                break;
            if (c.isSurrogate()) {
                if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                    out += c;
                    out += text[++i];
                }
                break;
            }
            out += c;
        }
    }
}

void writeOutlines(QString& out, const std::vector<PodcastOutline>& outlines, int depth)
{
    const QString indent(2 * depth + 4, u' ');
    for (const PodcastOutline& o : outlines) {
        out += indent + QLatin1String("<outline");
        if (!o.isFolder())
            out += QLatin1String(" type=\"rss\"");
        for (const char* name : {" text=\"", " title=\""}) {
            out += QLatin1String(name);
            appendEscaped(out, o.title);
            out += u'"';
        }
        if (!o.isFolder()) {
            out += QLatin1String(" xmlUrl=\"");
            appendEscaped(out, o.feedUrl);
            out += u'"';
            if (!o.siteUrl.isEmpty()) {
                out += QLatin1String(" htmlUrl=\"");
                appendEscaped(out, o.siteUrl);
                out += u'"';
            }
        }
        // A podcast's children have nowhere to go in the file.
        if (!o.isFolder() || o.children.empty()) {
            out += QLatin1String("/>\n");
            continue;
        }
        out += QLatin1String(">\n");
        writeOutlines(out, o.children, depth + 1);
        out += indent + QLatin1String("</outline>\n");
    }
}

} // namespace

QString FeedAddress(const QString& text, const QUrl& base)
{
    QString s = text.trimmed();
    // feed://host/…, feed:https://host/…, itpc://host/…: a podcast client's link.
    for (const QLatin1String scheme : {QLatin1String("feed:"), QLatin1String("itpc:"),
             QLatin1String("pcast:"), QLatin1String("podcast:")}) {
        if (!s.startsWith(scheme, Qt::CaseInsensitive))
            continue;
        s = s.mid(scheme.size());
        if (s.startsWith(QLatin1String("//")))
            s = QLatin1String("http:") + s;
        break;
    }
    QUrl url(s, QUrl::TolerantMode);
    if (!url.isValid() || s.isEmpty())
        return {};
    if (url.isRelative() || url.scheme().isEmpty()) {
        if (!base.isValid() || base.isRelative())
            return {};
        url = base.resolved(url);
    }
    const QString scheme = url.scheme().toLower();
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        return {};
    url.setScheme(scheme);
    if (url.port() == (scheme == QLatin1String("http") ? 80 : 443))
        url.setPort(-1);
    url.setFragment({});
    if (url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    return url.isValid() ? url.toString(QUrl::FullyEncoded) : QString();
}

SubscriptionReading ReadSubscriptions(const QByteArray& bytes, const QUrl& base)
{
    SubscriptionReading out;
    if (bytes.trimmed().isEmpty()) {
        out.error = QStringLiteral("Le fichier d'abonnements est vide.");
        return out;
    }
    OutlineReader reader(out, base);
    XmlScanner& xml = reader.xml();
    FeedWhole(xml, bytes);

    int headDepth = 0; // inside <head> when set
    int titleDepth = 0;
    QByteArray title;
    bool cut = false;
    for (bool more = true; more;) {
        switch (xml.next()) {
        case XmlScanner::Token::StartElement: {
            const int depth = xml.depth();
            if (depth == 1) {
                if (!sameName(xml.name(), "opml"))
                    more = false;
            } else if (headDepth > 0) {
                if (depth == headDepth + 1 && sameName(xml.name(), "title"))
                    titleDepth = depth;
            } else if (sameName(xml.name(), "head")) {
                headDepth = depth;
            } else if (sameName(xml.name(), "outline")) {
                if (reader.full()) {
                    cut = true;
                    more = false;
                } else {
                    reader.start();
                }
            }
            // The outline's own element is closed by its end: others nest
            // as the tree does.
            break;
        }
        case XmlScanner::Token::EndElement: {
            const int depth = xml.depth() + 1;
            if (depth == titleDepth)
                titleDepth = 0;
            else if (depth == headDepth)
                headDepth = 0;
            else if (headDepth == 0 && depth > 1 && sameName(xml.name(), "outline"))
                reader.end();
            break;
        }
        case XmlScanner::Token::Text:
            if (titleDepth > 0)
                xml.appendText(title, LongestTitle * 4);
            break;
        case XmlScanner::Token::NeedData:
        case XmlScanner::Token::End: more = false; break;
        }
    }
    out.title = FoldedText(title, LongestTitle);
    out.notice = reader.notice();

    if (!xml.sawRoot() || !sameName(xml.rootName(), "opml")) {
        out.error = IsWebPageRoot(xml.rootName())
            ? QStringLiteral("Ce fichier est une page web, pas une liste d'abonnements OPML.")
            : QStringLiteral("Ce fichier n'est pas une liste d'abonnements OPML.");
        out.outlines.clear();
        out.podcasts = 0;
        out.notice.clear();
    } else if (cut) {
        out.error = QStringLiteral("La liste d'abonnements est trop longue : seuls les %1 premiers podcasts "
                                   "ont été lus.")
                        .arg(QLocale(QLocale::French).toString(MostPodcasts));
    } else if (xml.fault() == XmlScanner::Fault::Truncated) {
        out.error
            = QStringLiteral("Le fichier d'abonnements est incomplet : seuls les podcasts qui précèdent "
                             "la coupure ont été lus.");
    } else if (xml.fault() == XmlScanner::Fault::TooLong) {
        out.error = QStringLiteral("Le fichier d'abonnements est abîmé à la ligne %1 : seuls les podcasts "
                                   "qui précèdent ont été lus.")
                        .arg(xml.faultLine());
    } else if (out.podcasts == 0) {
        out.error = QStringLiteral("Cette liste d'abonnements ne contient aucun podcast.");
    }
    return out;
}

QByteArray WriteSubscriptions(
    const std::vector<PodcastOutline>& outlines, const QString& title, const QDateTime& created)
{
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n"
                                 "  <head>\n    <title>");
    appendEscaped(out, title);
    // RFC 822, in English whatever the user's language.
    const int offset = created.offsetFromUtc() / 60;
    out += QLatin1String("</title>\n    <dateCreated>")
        + QLocale::c().toString(created, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss "))
        + QStringLiteral("%1%2%3")
              .arg(offset < 0 ? QLatin1String("-") : QLatin1String("+"))
              .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
              .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'))
        + QLatin1String("</dateCreated>\n  </head>\n  <body>\n");
    writeOutlines(out, outlines, 0);
    out += QLatin1String("  </body>\n</opml>\n");
    return out.toUtf8();
}

} // namespace zv
