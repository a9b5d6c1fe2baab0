#include "portal/download.h"

#include "portal/httpanswer.h"

namespace zv {

DownloadAddress SplitDownloadAddress(const QByteArray& address)
{
    DownloadAddress out;
    QByteArray rest = address;
    // A "://" counts as the scheme's only when nothing but the scheme comes
    // before it: one inside the path or query is left alone.
    const qsizetype scheme = rest.indexOf("://");
    const qsizetype firstSlash = rest.indexOf('/');
    if (scheme >= 0 && firstSlash == scheme + 1) {
        out.secure = isHttpsUrl(rest);
        rest = rest.mid(scheme + 3);
    }

    const qsizetype slash = rest.indexOf('/');
    if (slash < 0)
        return out;
    out.host = rest.left(slash);
    out.path = rest.mid(slash);

    QByteArray name = rest.mid(rest.lastIndexOf('/') + 1).left(1000);
    const qsizetype query = name.indexOf('?');
    if (query >= 0)
        name.truncate(query);
    out.fileName = name;
    return out;
}

QByteArray DownloadRequest(const DownloadAddress& address)
{
    QByteArray path = address.path;
    path.replace(' ', "%20");
    return (address.secure ? "https://" : "") + address.host + path;
}

QByteArray DownloadReferer(const DownloadAddress& address)
{
    return (address.secure ? "https://" : "http://") + address.host + "/";
}

QByteArray ProposedFileName(const QByteArray& fileName)
{
    QByteArray name = fileName;
    const qsizetype at = name.indexOf(".rbs");
    if (at >= 0)
        name.replace(at, 4, ".mp3");
    return name;
}

int DownloadPercent(qint64 received, qint64 total)
{
    if (total <= 0)
        return -1;
    if (received <= 0)
        return 0;
    if (received >= total)
        return 100;
    // 128 bits: received × 100 overflows 64 bits past about 92 petabytes.
    return int((__int128(received) * 100) / total);
}

} // namespace zv
