#include "portal/httpanswer.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace zv {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray& text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.mid(b, e - b);
}

bool startsWithNoCase(const QByteArray& text, const char* prefix)
{
    return text.left(qsizetype(qstrlen(prefix))).compare(prefix, Qt::CaseInsensitive) == 0;
}

// Digits only, no sign; -1 when not a number or too big.
qint64 parseLength(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 18)
        return -1;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Empty, or a scheme and its colon ("http:", "mms:"): what may stand before the
// "//" that introduces the host. A "//" further on (a URL inside the query, a
// doubled slash in the path) leaves the host alone.
bool isSchemePrefix(const QByteArray& prefix)
{
    if (prefix.isEmpty())
        return true;
    if (!prefix.endsWith(':') || !std::isalpha(static_cast<unsigned char>(prefix[0])))
        return false;
    return std::all_of(prefix.begin(), prefix.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' || c == ':';
    });
}

QByteArray encodePath(const QByteArray& path)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(path.size());
    for (char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c == 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

} // namespace

HttpTarget splitHttpUrl(const QByteArray& url)
{
    HttpTarget t;
    QByteArray rest = url;
    const qsizetype slashes = rest.indexOf("//");
    if (slashes >= 0 && isSchemePrefix(rest.left(slashes)))
        rest = rest.mid(slashes + 2);

    qsizetype end = rest.size();
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest[i] == '/' || rest[i] == '?') {
            end = i;
            break;
        }
    }
    t.hostPort = rest.left(end);
    QByteArray path = rest.mid(end);
    if (path.isEmpty())
        path = "/";
    else if (path[0] == '?')
        path.prepend('/');
    t.path = encodePath(path);

    // host:port; a bracketed IPv6 address keeps its colons, a bare one has no port.
    qsizetype colon = -1;
    if (t.hostPort.startsWith('[')) {
        const qsizetype close = t.hostPort.indexOf(']');
        if (close >= 0 && close + 1 < t.hostPort.size() && t.hostPort[close + 1] == ':')
            colon = close + 1;
    } else if (t.hostPort.count(':') == 1) {
        colon = t.hostPort.indexOf(':');
    }
    if (colon < 0) {
        t.host = t.hostPort;
        return t;
    }
    t.host = t.hostPort.left(colon);
    const QByteArray port = t.hostPort.mid(colon + 1);
    if (port.isEmpty())
        return t;
    const qint64 value = parseLength(port);
    if (value < 1 || value > 65535)
        t.portValid = false;
    else
        t.port = int(value);
    return t;
}

bool isHttpsUrl(const QByteArray& url)
{
    return startsWithNoCase(url, "https:");
}

QList<QByteArray> composeRequestLines(
    const HttpTarget& target, const QByteArray& referer, const QByteArray& cookies)
{
    QList<QByteArray> lines;
    lines << "GET " + target.path + " HTTP/1.0";
    lines << "Host: " + target.hostPort;
    lines << "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff";
    lines << "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript";
    if (!referer.isEmpty())
        lines << "Referer: " + referer;
    if (!cookies.isEmpty())
        lines << "Cookie: " + cookies;
    return lines;
}

QByteArray requestBytes(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (QByteArray line : lines) {
        line.replace('\r', QByteArray()).replace('\n', QByteArray());
        if (line.isEmpty())
            continue;
        out += line + "\r\n";
    }
    return out + "\r\n";
}

QByteArray redirectTarget(const QByteArray& location, const QByteArray& hostPort, const QByteArray& scheme)
{
    const QByteArray value = trimBlanks(location);
    const qsizetype slashes = value.indexOf("//");
    if (slashes > 0 && isSchemePrefix(value.left(slashes)))
        return value;
    if (!value.contains('/'))
        return scheme + "://" + hostPort + "/" + value;
    if (value.startsWith("//"))
        return scheme + ":" + value;
    if (value.startsWith('/'))
        return scheme + "://" + hostPort + value;
    return scheme + "://" + value; // host and path, as the portal writes them
}

int statusOfLine(const QByteArray& statusLine)
{
    qsizetype i = 0;
    while (i < statusLine.size() && !isBlank(statusLine[i]))
        ++i;
    if (i == statusLine.size())
        return 0;
    while (i < statusLine.size() && isBlank(statusLine[i]))
        ++i;
    int value = 0;
    int digits = 0;
    while (i < statusLine.size() && statusLine[i] >= '0' && statusLine[i] <= '9') {
        if (++digits > 9)
            return 0;
        value = value * 10 + (statusLine[i] - '0');
        ++i;
    }
    return value;
}

qsizetype HttpAnswerHead::feed(const char* data, qsizetype size)
{
    if (complete_ || tooLarge_ || size <= 0)
        return 0;
    qsizetype used = 0;
    while (used < size && !complete_) {
        const char* start = data + used;
        const auto* lf = static_cast<const char*>(memchr(start, '\n', size_t(size - used)));
        const qsizetype take = lf ? (lf - start) + 1 : size - used;
        if (size_ + take > MaxSize) {
            tooLarge_ = true;
            size_ = MaxSize;
            return used;
        }
        size_ += take;
        used += take;
        if (!lf) {
            partial_.append(start, take);
            break;
        }
        QByteArray line = partial_;
        partial_.clear();
        line.append(start, take - 1);
        if (line.endsWith('\r'))
            line.chop(1);
        takeLine(std::move(line));
    }
    return used;
}

void HttpAnswerHead::takeLine(QByteArray line)
{
    if (!haveStatusLine_) {
        haveStatusLine_ = true;
        statusLine_ = std::move(line);
        status_ = statusOfLine(statusLine_);
        return;
    }
    if (line.isEmpty()) {
        complete_ = true;
        return;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0) {
        const QByteArray name = trimBlanks(line.left(colon));
        const QByteArray value = trimBlanks(line.mid(colon + 1));
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            const qint64 length = parseLength(value);
            if (length >= 0 && contentLength_ < 0)
                contentLength_ = length;
        } else if (name.compare("Location", Qt::CaseInsensitive) == 0) {
            if (location_.isEmpty())
                location_ = value;
        }
    }
    lines_ << std::move(line);
}

QByteArray HttpAnswerHead::text() const
{
    if (!haveStatusLine_)
        return {};
    QByteArray out = statusLine_ + "\r\n";
    for (const QByteArray& line : lines_)
        out += line + "\r\n";
    return out;
}

} // namespace zv
