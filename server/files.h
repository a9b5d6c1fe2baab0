#pragma once
// Files as the portal serves them: the pages of the content folder (UTF-8,
// sent as Windows-1252, poured into their layout, with {{BASE}} for the
// server's own address) and the media, sent as they are, by ranges.
#include <QByteArray>
#include <QString>
#include <httplib.h>

namespace zvs {

// A path below root, from the raw (still encoded) path of the request; empty
// when it would leave root or names no regular file. A folder stands for its
// index.htm.
QString resolveBelow(const QString& root, const QByteArray& rawRelative);

const char* contentType(const QString& path);

class ContentFiles {
public:
    // `contentRoot` holds the pages and their layouts (in modeles/).
    explicit ContentFiles(const QString& contentRoot);

    // The page as it is sent (Windows-1252); throws std::runtime_error when
    // the page names a layout that cannot be read.
    QByteArray page(const QString& path, const QString& base) const;

    // False when there is no such file: the caller answers 404.
    bool serve(
        const QString& path, const QString& base, const httplib::Request& req, httplib::Response& res) const;

private:
    QString layoutsDir_;
};

} // namespace zvs
