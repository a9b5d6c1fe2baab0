#include "portal/portalhost.h"

#include <QtGlobal>

namespace zv {

QByteArray portalHost()
{
    QByteArray host = qgetenv("ZEVALO_PORTAL_HOST").trimmed();
    if (host.isEmpty())
        host = ZEVALO_DEFAULT_PORTAL_HOST;
    return host;
}

QByteArray portalUrl(const QByteArray& path)
{
    return "http://" + portalHost() + path;
}

} // namespace zv
