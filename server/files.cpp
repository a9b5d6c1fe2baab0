#include "server/files.h"

#include "server/charset.h"
#include "server/pages.h"
#include "server/ranges.h"
#include "server/reply.h"
#include "server/transport.h"

#include <QFile>
#include <QFileInfo>
#include <map>
#include <memory>
#include <stdexcept>

namespace zvs {

namespace {

bool isTextPage(const QString& path)
{
    const QString s = QFileInfo(path).suffix().toLower();
    return s == QLatin1String("htm") || s == QLatin1String("html") || s == QLatin1String("css")
        || s == QLatin1String("js") || s == QLatin1String("txt");
}

QString readUtf8(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// The file, or the part of it the Range header asks for while If-Range (if
// any) still names it, read as the answer is written. Every answer carries
// the file's validators, so that a cut download can be resumed safely.
bool serveMedia(const QString& path, const httplib::Request& req, httplib::Response& res)
{
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return false;
    const QFileInfo info(*file);
    const qint64 size = file->size();
    const QDateTime modified = info.lastModified();
    const QByteArray tag = entityTag(size, modified);
    res.set_header("Accept-Ranges", "bytes");
    res.set_header("ETag", tag.toStdString());
    res.set_header("Last-Modified", httpDate(modified).toStdString());

    ByteRange range;
    if (req.has_header(kRangeHeader)
        && (!req.has_header(kIfRangeHeader)
            || ifRangeHolds(QByteArray::fromStdString(req.get_header_value(kIfRangeHeader)), tag, modified)))
        range = selectRange(QByteArray::fromStdString(req.get_header_value(kRangeHeader)), size);
    if (range.kind == ByteRange::Unsatisfiable) {
        res.status = 416;
        res.set_header("Content-Range", "bytes */" + std::to_string(size));
        return true;
    }
    qint64 first = 0;
    qint64 length = size;
    res.status = 200;
    if (range.kind == ByteRange::Part) {
        first = range.first;
        length = range.last - range.first + 1;
        res.status = 206;
        res.set_header("Content-Range",
            "bytes " + std::to_string(range.first) + '-' + std::to_string(range.last) + '/'
                + std::to_string(size));
    }
    if (length == 0) { // the library sends no Content-Length for an empty provider
        res.set_content(std::string(), contentType(path));
        return true;
    }
    res.set_content_provider(size_t(length), contentType(path),
        [file, first](size_t offset, size_t want, httplib::DataSink& sink) {
            char buffer[64 * 1024];
            const qint64 n = file->seek(first + qint64(offset))
                ? file->read(buffer, qint64(std::min(want, sizeof buffer)))
                : -1;
            return n > 0 && sink.write(buffer, size_t(n));
        });
    return true;
}

} // namespace

QString resolveBelow(const QString& root, const QByteArray& rawRelative)
{
    if (root.isEmpty())
        return {};
    const QByteArray rel = percentDecode(rawRelative, false);
    if (rel.contains('\0') || rel.contains('\\'))
        return {};
    QStringList parts;
    for (const QByteArray& seg : rel.split('/')) {
        if (seg.isEmpty())
            continue;
        if (seg == "." || seg == "..")
            return {};
        parts.append(QString::fromUtf8(seg));
    }
    QString path = root;
    if (!parts.isEmpty())
        path += QLatin1Char('/') + parts.join(QLatin1Char('/'));
    QFileInfo info(path);
    if (info.isDir())
        info.setFile(path + QStringLiteral("/index.htm"));
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || !canonical.startsWith(root + QLatin1Char('/')))
        return {};
    if (!QFileInfo(canonical).isFile())
        return {};
    return canonical;
}

const char* contentType(const QString& path)
{
    static const std::map<QString, const char*> types = {
        {"htm", kHtml},
        {"html", kHtml},
        {"txt", kText},
        {"css", "text/css; charset=windows-1252"},
        {"js", "application/javascript; charset=windows-1252"},
        {"json", "application/json"},
        {"xml", "application/xml"},
        {"mp4", "video/mp4"},
        {"flv", "video/x-flv"},
        {"wmv", "video/x-ms-wmv"},
        {"asf", "video/x-ms-asf"},
        {"rm", "application/vnd.rn-realmedia"},
        {"mp3", "audio/mpeg"},
        {"wav", "audio/wav"},
        {"ogg", "audio/ogg"},
        {"m3u", "audio/x-mpegurl"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"png", "image/png"},
        {"gif", "image/gif"},
        {"svg", "image/svg+xml"},
        {"ico", "image/x-icon"},
        {"swf", "application/x-shockwave-flash"},
    };
    const auto it = types.find(QFileInfo(path).suffix().toLower());
    return it == types.end() ? "application/octet-stream" : it->second;
}

ContentFiles::ContentFiles(const QString& contentRoot)
    : layoutsDir_(contentRoot + QStringLiteral("/modeles/"))
{
}

QByteArray ContentFiles::page(const QString& path, const QString& base) const
{
    QString text = renderPage(readUtf8(path), [this](const QString& name) {
        const QString layout = readUtf8(layoutsDir_ + name + QStringLiteral(".htm"));
        if (layout.isEmpty())
            throw std::runtime_error("no layout " + name.toStdString());
        return layout;
    });
    text.replace(QStringLiteral("{{BASE}}"), base);
    return toCp1252(text);
}

bool ContentFiles::serve(
    const QString& path, const QString& base, const httplib::Request& req, httplib::Response& res) const
{
    if (path.isEmpty())
        return false;
    if (!isTextPage(path))
        return serveMedia(path, req, res);
    send(res, 200, page(path, base), contentType(path));
    return true;
}

} // namespace zvs
