#include "server/routes.h"

#include "server/answers.h"
#include "server/charset.h"
#include "server/ownfeeds.h"
#include "server/ownlist.h"
#include "server/pages.h"
#include "server/query.h"
#include "server/reply.h"
#include "server/transport.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <climits>
#include <map>
#include <stdexcept>

namespace zvs {

namespace {

QString canonicalFolder(const QString& dir)
{
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    if (canonical.isEmpty())
        throw std::runtime_error("content folder not found: " + dir.toStdString());
    return canonical;
}

const QString& preparedFolder(const QString& dir)
{
    if (!QDir().mkpath(dir))
        throw std::runtime_error("cannot create data folder " + dir.toStdString());
    return dir;
}

// messages.txt: one message of the day a line, '#' for comments.
QStringList readMessages(const QString& contentRoot)
{
    QStringList out;
    QFile f(contentRoot + QStringLiteral("/messages.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QString m = line.trimmed();
        if (!m.isEmpty() && !m.startsWith(QLatin1Char('#')))
            out.append(m);
    }
    return out;
}

// num_page of the searches: `fallback` when absent or blank, nothing when not
// a number within 0..max.
std::optional<long> pageNumber(const Query& q, long fallback, long max)
{
    const auto v = q.value("num_page");
    if (!v || v->trimmed().isEmpty())
        return fallback;
    return parseCount(*v, max);
}

} // namespace

Routes::Routes(const ServerOptions& options)
    : opt_(options)
    , contentRoot_(canonicalFolder(options.contentDir))
    , mediaRoot_(QFileInfo(
          options.mediaDir.isEmpty() ? contentRoot_ + QStringLiteral("/generated") : options.mediaDir)
                     .canonicalFilePath())
    , cat_(loadCatalogue(contentRoot_ + QStringLiteral("/catalogue.json")))
    , messages_(readMessages(contentRoot_))
    , files_(contentRoot_)
    , views_(preparedFolder(options.dataDir))
    , contacts_(options.dataDir)
{
}

QString Routes::baseUrl(const httplib::Request& req) const
{
    static const QRegularExpression safeHost(
        QStringLiteral("^([A-Za-z0-9.\\-]{1,253}|\\[[0-9A-Fa-f:.]{2,45}\\])(:[0-9]{1,5})?$"));
    const QString host = QString::fromLatin1(req.get_header_value("Host"));
    if (safeHost.match(host).hasMatch())
        return QStringLiteral("http://") + host;
    QString h
        = opt_.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + opt_.host + QLatin1Char(']') : opt_.host;
    if (h == QLatin1String("0.0.0.0") || h.isEmpty())
        h = QStringLiteral("127.0.0.1");
    return QStringLiteral("http://%1:%2").arg(h).arg(port_);
}

// With TLS on, the catalogue sends the client to its feeds over TLS; the
// media they list stay on plain HTTP, which every player can open.
QString Routes::feedBase(const httplib::Request& req) const
{
    const QString base = baseUrl(req);
    return opt_.tlsCertificate.isEmpty() ? base : QStringLiteral("https") + base.mid(4);
}

bool Routes::serveBelow(
    const QString& root, const QByteArray& rawPath, const httplib::Request& req, httplib::Response& res) const
{
    return files_.serve(resolveBelow(root, rawPath), baseUrl(req), req, res);
}

void Routes::servePage(const QString& relative, const httplib::Request& req, httplib::Response& res) const
{
    if (!serveBelow(contentRoot_, relative.toUtf8(), req, res))
        notFound(res, QStringLiteral("Cette page n'existe pas."));
}

// --- /exe/cont.php ---
void Routes::cont(const Query& q, const httplib::Request& req, httplib::Response& res)
{
    const QByteArray c = q.value("c").value_or(QByteArray()).trimmed().toLower();
    const QString base = baseUrl(req);
    static const std::map<QByteArray, const char*> pages = {
        {"urlaccg", "/pages/accueil_g.htm"},
        {"ieacc2", "/pages/accueil_d.htm"},
        {"urlchat", "/pages/chat.htm"},
        {"urlsexo", "/pages/adultes.htm"},
        {"urlspons1", "/pages/sponsor1.htm"},
        {"urlspons2", "/pages/sponsor2.htm"},
    };
    if (const auto it = pages.find(c); it != pages.end()) {
        send(res, 200, toCp1252(base + QString::fromLatin1(it->second)), kText);
    } else if (c == "version") {
        send(res, 200, toCp1252(opt_.announceVersion), kText);
    } else if (c == "message") {
        const QString m = messages_.isEmpty()
            ? QStringLiteral(
                "Bienvenue sur Zevalo Multimédia, le portail de la télé, de la radio et des jeux !")
            : messages_[QDate::currentDate().dayOfYear() % messages_.size()];
        send(res, 200, toCp1252(m), kText);
    } else if (c == "spons") {
        send(res, 200, opt_.sponsor ? "OUI" : "NON", kText);
    } else if (c == "pub") {
        const unsigned turn = adTurn_++ % 3;
        servePage(QStringLiteral("pages/pub%1.htm").arg(turn + 1), req, res);
    } else if (c == "info_temps") {
        send(res, 200, popupSchedule(base), kText);
    } else {
        notFound(res, QStringLiteral("Contenu inconnu."));
    }
}

// --- /exe/medias.php ---
void Routes::medias(const Query& q, const httplib::Request& req, httplib::Response& res)
{
    const QString base = baseUrl(req);
    const QByteArray t = q.value("t").value_or(QByteArray()).trimmed();
    if (t == "3")
        return send(res, 200, channelRecords(cat_.tv, base, "\r\n"), kText);
    if (t == "4")
        return send(res, 200, channelRecords(cat_.radios, base, "\r\n"), kText);
    if (t == "1")
        return send(res, 200, channelRecords(cat_.clips, base, "||"), kText);
    if (t != "2")
        return badRequest(res);
    const QByteArray k = q.value("k").value_or(QByteArray()).trimmed();
    if (k == "1")
        return send(res, 200, gameCategories(cat_), kText);
    if (k == "2") {
        const auto raw = q.rawValue("cat");
        if (!raw)
            return badRequest(res);
        return send(res, 200, gamesOfCategory(cat_, clientName(*raw)), kText);
    }
    if (k == "3") {
        const auto raw = q.rawValue("jeu");
        if (!raw)
            return badRequest(res);
        const Game* g = cat_.findGame(clientName(*raw));
        if (!g)
            return notFound(res, QStringLiteral("Jeu inconnu."));
        return send(res, 200, gameLaunch(*g, base), kText);
    }
    badRequest(res);
}

void Routes::contentViewed(const Query& q, httplib::Response& res)
{
    const auto id = parseCount(q.value("id").value_or(QByteArray()), INT_MAX);
    if (!id)
        return badRequest(res);
    if (!cat_.knownContentId(int(*id)))
        return notFound(res, QStringLiteral("Contenu inconnu."));
    send(res, 200, QByteArray::number(qlonglong(views_.count(int(*id)))), kText);
}

// --- games pages ---
void Routes::gameDescription(const Query& q, httplib::Response& res)
{
    const auto raw = q.rawValue("jeu");
    const Game* g = raw ? cat_.findGame(clientName(*raw)) : nullptr;
    if (!g)
        return notFound(res, QStringLiteral("Ce jeu n'existe pas ou n'est plus proposé."));
    sendPage(res, 200, gameDescriptionPage(*g));
}

void Routes::gameHolder(const Query& q, const httplib::Request& req, httplib::Response& res)
{
    // The name comes last and unencoded: it may hold spaces, raw accents and
    // even '&'.
    const auto raw = q.rest("jeu");
    const Game* g = raw ? cat_.findGame(clientName(*raw)) : nullptr;
    const QString colour = safeColour(fromClientBytes(q.value("bgcolor").value_or(QByteArray())));
    const QString w = safeLength(fromClientBytes(q.value("w").value_or(QByteArray())));
    const QString h = safeLength(fromClientBytes(q.value("h").value_or(QByteArray())));
    const QString url = g ? gameAddress(*g, baseUrl(req)) : QString();
    sendPage(res, g ? 200 : 404, gameHolderPage(g, url, w, h, colour));
}

// --- podcasts ---
void Routes::podcastPicture(const Query& q, httplib::Response& res)
{
    const QString colour = safeColour(fromClientBytes(q.value("couleur").value_or(QByteArray())));
    // The address is sent unencoded and may carry its own query.
    const auto raw = q.rest("url");
    const QString url = raw ? safeHttpUrl(fromClientBytes(*raw)) : QString();
    sendPage(res, 200, podcastPicturePage(colour, url));
}

void Routes::podcastFeedFile(const QString& slug, const httplib::Request& req, httplib::Response& res)
{
    for (const Podcast& p : cat_.podcasts) {
        if (p.slug == slug)
            return send(res, 200, podcastFeed(p, baseUrl(req)), "application/rss+xml; charset=utf-8");
    }
    notFound(res, QStringLiteral("Ce podcast n'existe pas."));
}

void Routes::ownFeedFile(const QString& slug, const httplib::Request& req, httplib::Response& res)
{
    for (const OwnPodcast& p : cat_.ownPodcasts) {
        if (p.slug == slug)
            return send(
                res, 200, ownFeed(p, baseUrl(req), mediaRoot_, QDateTime::currentDateTime()), ownFeedType(p));
    }
    notFound(res, QStringLiteral("Ce podcast n'existe pas."));
}

// --- searches ---
void Routes::searchMp3(const Query& q, const httplib::Request& req, httplib::Response& res)
{
    const auto position = pageNumber(q, 0, 1000000000L);
    if (!position)
        return badRequest(res);
    const QString words = fromClientBytes(q.value("recherche").value_or(QByteArray()));
    send(res, 200, mp3Search(cat_, baseUrl(req), words, *position), kText);
}

void Routes::searchVideos(const Query& q, const httplib::Request& req, httplib::Response& res)
{
    const auto page = pageNumber(q, 1, 100000000L);
    if (!page)
        return badRequest(res);
    // Sent encoded twice: a space arrives as %2520.
    const QString words = clientName(q.rawValue("recherche").value_or(QByteArray()));
    send(res, 200, videoSearch(cat_, baseUrl(req), words, std::max(1L, *page)), kText);
}

// --- contact ---
void Routes::contact(const Query& q, const httplib::Request& req, httplib::Response& res)
{
    const bool posted = req.method == "POST";
    if (!posted && !q.has("message"))
        return servePage(QStringLiteral("pages/contact.htm"), req, res);
    const Query form = posted ? Query(QByteArray::fromStdString(req.body)) : q;
    auto field = [&](const char* key, int max) {
        QString v = fromClientBytes(form.value(key).value_or(QByteArray())).trimmed();
        return v.left(max);
    };
    QString name = field("nom", 200).simplified();
    QString mail = field("email", 200).simplified();
    QString subject = field("sujet", 300).simplified();
    QString message = field("message", 20000);
    if (message.isEmpty())
        return sendPage(res, 400, contactResultPage(false, QStringLiteral("Veuillez écrire un message.")));
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString record = QStringLiteral("--- %1 depuis %2\n")
                         .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
                             QString::fromStdString(req.remote_addr));
    record += QStringLiteral("Nom : %1\nCourriel : %2\nSujet : %3\nMessage :\n").arg(name, mail, subject);
    // Indented so that no line of a message can pass for a record's start.
    for (const QString& line : message.split(QLatin1Char('\n')))
        record += QStringLiteral("  ") + line + QLatin1Char('\n');
    record += QLatin1Char('\n');
    if (!contacts_.append(record.toUtf8()))
        return sendPage(res, 500,
            contactResultPage(false,
                QStringLiteral("Le message n'a pas pu être enregistré, veuillez réessayer plus tard.")));
    sendPage(res, 200, contactResultPage(true, {}));
}

// --- dispatch ---
void Routes::handle(const httplib::Request& req, httplib::Response& res)
{
    // The target as the client wrote it, before the line was repaired.
    const QByteArray target = QByteArray::fromStdString(
        req.has_header(kOriginalTarget) ? req.get_header_value(kOriginalTarget) : req.target);
    const qsizetype qm = target.indexOf('?');
    const QByteArray rawPath = qm < 0 ? target : target.left(qm);
    const Query q(qm < 0 ? QByteArray() : target.mid(qm + 1));
    const QByteArray path = percentDecode(rawPath, false);
    const bool post = req.method == "POST";

    if (path == "/exe/contact.php")
        return contact(q, req, res);
    if (post)
        return send(res, 405, "Methode non permise", kText);

    if (path == "/exe/test_connexion.php")
        return send(res, 200, "ok", kText);
    if (path == "/exe/cont.php")
        return cont(q, req, res);
    if (path == "/exe/medias.php")
        return medias(q, req, res);
    if (path == "/exe/vu.php")
        return contentViewed(q, res);
    if (path == "/exe/vues.php")
        return send(res, 200, views_.text(), kText);
    if (path == "/exe/desc_fla.php")
        return gameDescription(q, res);
    if (path == "/exe/dir.php")
        return gameHolder(q, req, res);
    if (path == "/exe/podcast.php")
        return send(res, 200, podcastCatalogue(cat_, feedBase(req)), kText);
    if (path == "/exe/podcast_image.php")
        return podcastPicture(q, res);
    if (path == "/exe/rech_rbc.php")
        return searchMp3(q, req, res);
    if (path == "/exe/rech_dm.php")
        return searchVideos(q, req, res);
    if (path.startsWith("/exe/"))
        return notFound(res, QStringLiteral("Cette page n'existe pas."));

    if (path.startsWith("/bouquet/") && path.endsWith(".m3u")) {
        const QString name = QString::fromUtf8(path.mid(9, path.size() - 9 - 4));
        for (const Bouquet& b : cat_.bouquets) {
            if (b.name == name)
                return send(res, 200, bouquetPlaylist(b, baseUrl(req)),
                    b.utf8 ? "audio/x-mpegurl; charset=utf-8" : "audio/x-mpegurl; charset=windows-1252");
        }
        return notFound(res, QStringLiteral("Ce bouquet n'existe pas."));
    }
    if (path == kOwnListPath)
        return send(res, 200, ownListPlaylist(cat_.ownList, baseUrl(req)), "audio/x-mpegurl; charset=utf-8");
    if (path == kGuidePath)
        return send(res, 200, programmeGuide(cat_.ownList, baseUrl(req), QDateTime::currentDateTime()),
            "application/xml; charset=utf-8");
    if (path == QByteArray(kGuidePath) + ".gz")
        return send(res, 200,
            gzipped(programmeGuide(cat_.ownList, baseUrl(req), QDateTime::currentDateTime())),
            "application/gzip");
    if (path == kSubscriptionsPath)
        return send(res, 200, subscriptionList(cat_.ownPodcasts, baseUrl(req), QDateTime::currentDateTime()),
            "text/x-opml; charset=utf-8");
    if (path.startsWith("/flux/") && path.endsWith(".xml"))
        return ownFeedFile(QString::fromUtf8(path.mid(6, path.size() - 6 - 4)), req, res);
    if (path.startsWith("/podcasts/") && path.endsWith(".xml"))
        return podcastFeedFile(QString::fromUtf8(path.mid(10, path.size() - 10 - 4)), req, res);
    if (rawPath.startsWith("/media/")) {
        if (!serveBelow(mediaRoot_, rawPath.mid(7), req, res))
            notFound(res, QStringLiteral("Ce fichier n'existe pas."));
        return;
    }
    // The media only through /media/, the layouts only inside the pages.
    const QString file = resolveBelow(contentRoot_, rawPath);
    if (file.startsWith(contentRoot_ + QStringLiteral("/generated/"))
        || file.startsWith(contentRoot_ + QStringLiteral("/modeles/"))
        || !files_.serve(file, baseUrl(req), req, res))
        notFound(res, QStringLiteral("Cette page n'existe pas."));
}

} // namespace zvs
