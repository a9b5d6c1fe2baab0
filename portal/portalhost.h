#pragma once
#include <QByteArray>

namespace zv {

// The portal server's host, "host" or "host:port": the build's default unless
// the environment variable ZEVALO_PORTAL_HOST names another one. Requests are
// this host followed by a path, without a scheme.
QByteArray portalHost();

// "http://" + portalHost() + path, for what the shell or a web page opens.
QByteArray portalUrl(const QByteArray& path);

} // namespace zv
