#pragma once
// Every address of the demo portal: the client's /exe/ requests, bouquets,
// feeds, pages and media, answered from the catalogue and the content folder.
#include "server/catalogue.h"
#include "server/files.h"
#include "server/portalserver.h"
#include "server/stores.h"

#include <QStringList>
#include <atomic>
#include <httplib.h>

namespace zvs {

class Query;

class Routes {
public:
    // Throws std::runtime_error when the content folder or the catalogue
    // cannot be read, or the data folder cannot be made.
    explicit Routes(const ServerOptions& options);

    void setPort(int port) { port_ = port; } // once bound: the fallback address
    void handle(const httplib::Request& req, httplib::Response& res);

private:
    QString baseUrl(const httplib::Request& req) const;
    QString feedBase(const httplib::Request& req) const;
    void servePage(const QString& relative, const httplib::Request& req, httplib::Response& res) const;
    bool serveBelow(const QString& root, const QByteArray& rawPath, const httplib::Request& req,
        httplib::Response& res) const;

    void cont(const Query& q, const httplib::Request& req, httplib::Response& res);
    void medias(const Query& q, const httplib::Request& req, httplib::Response& res);
    void contentViewed(const Query& q, httplib::Response& res);
    void gameDescription(const Query& q, httplib::Response& res);
    void gameHolder(const Query& q, const httplib::Request& req, httplib::Response& res);
    void podcastPicture(const Query& q, httplib::Response& res);
    void podcastFeedFile(const QString& slug, const httplib::Request& req, httplib::Response& res);
    void ownFeedFile(const QString& slug, const httplib::Request& req, httplib::Response& res);
    void searchMp3(const Query& q, const httplib::Request& req, httplib::Response& res);
    void searchVideos(const Query& q, const httplib::Request& req, httplib::Response& res);
    void contact(const Query& q, const httplib::Request& req, httplib::Response& res);

    ServerOptions opt_;
    QString contentRoot_; // canonical
    QString mediaRoot_; // canonical, may be empty while nothing is generated
    Catalogue cat_;
    QStringList messages_;
    ContentFiles files_;
    ViewCounts views_;
    ContactBox contacts_;
    std::atomic<unsigned> adTurn_{0};
    int port_ = 0;
};

} // namespace zvs
