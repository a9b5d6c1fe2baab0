#pragma once
// How the portal's routes answer: Windows-1252 text, HTML pages, and the
// pages of its errors.
#include "server/charset.h"
#include "server/pages.h"

#include <QByteArray>
#include <httplib.h>

namespace zvs {

inline constexpr const char* kText = "text/plain; charset=windows-1252";
inline constexpr const char* kHtml = "text/html; charset=windows-1252";

inline void send(httplib::Response& res, int status, const QByteArray& body, const char* type)
{
    res.status = status;
    res.set_content(body.constData(), size_t(body.size()), type);
}

inline void sendPage(httplib::Response& res, int status, const QString& html)
{
    send(res, status, toCp1252(html), kHtml);
}

inline void notFound(httplib::Response& res, const QString& what)
{
    sendPage(res, 404, notFoundPage(what));
}

inline void badRequest(httplib::Response& res)
{
    send(res, 400, "Requete invalide", kText);
}

} // namespace zvs
