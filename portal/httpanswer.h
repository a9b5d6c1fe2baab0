#pragma once
// The socket-free parts of the HTTP fetch component: splitting a URL into what
// the request needs, composing the request lines, and reading the head of an
// answer (status line and header lines) as its bytes arrive.

#include <QByteArray>
#include <QList>

namespace zv {

struct HttpTarget {
    QByteArray host; // as written, without the port ("[::1]" keeps its brackets)
    QByteArray hostPort; // host or host:port, as written: the Host line
    int port = 0; // 0: none written
    bool portValid = true; // false: a port was written but is not a number in 1..65535
    QByteArray path; // from the first "/" on, "/" when the URL has none
};

// host[:port] then path and query; when the URL starts with "//" or a scheme
// and "//", the host is taken after it. Bytes that would break the request line (controls, spaces) are
// percent-encoded in the path.
HttpTarget splitHttpUrl(const QByteArray& url);

// True for "https:" in any case.
bool isHttpsUrl(const QByteArray& url);

// The request lines, without line ends: GET, Host, the two Accept lines, Referer
// when set, Cookie when cookies are given.
QList<QByteArray> composeRequestLines(
    const HttpTarget& target, const QByteArray& referer, const QByteArray& cookies = {});
// The lines as sent: each ended by CR LF, then the empty line. Line ends inside a
// line are dropped and empty lines skipped, so a line cannot end the head early.
QByteArray requestBytes(const QList<QByteArray>& lines);

// The new URL a redirect leads to. A value without any "/" is a page at the root
// of the same host; a value starting with a single "/" is a path on the same host;
// any other value without a scheme is host and path. Each keeps the scheme of
// the answer that redirects, so a TLS chain never falls back to plain HTTP unasked.
QByteArray redirectTarget(
    const QByteArray& location, const QByteArray& hostPort, const QByteArray& scheme = "http");

// The number after the first blank of a status line; 0 if none.
int statusOfLine(const QByteArray& statusLine);

// Reads the head of an answer: the status line, then header lines up to the
// empty line. Lines end with LF or CR LF.
class HttpAnswerHead {
public:
    static constexpr qsizetype MaxSize = 1024 * 1024;

    // Takes bytes as they arrive and returns how many belong to the head; the rest
    // (once complete() is true) is the start of the body.
    qsizetype feed(const char* data, qsizetype size);
    qsizetype feed(const QByteArray& bytes) { return feed(bytes.constData(), bytes.size()); }

    bool complete() const { return complete_; }
    bool tooLarge() const { return tooLarge_; } // more than MaxSize without an end
    bool started() const { return size_ > 0; }

    int status() const { return status_; }
    const QByteArray& statusLine() const { return statusLine_; }
    const QList<QByteArray>& headerLines() const { return lines_; }
    // The status line and the header lines, each ended by CR LF.
    QByteArray text() const;

    bool hasContentLength() const { return contentLength_ >= 0; }
    qint64 contentLength() const { return contentLength_ < 0 ? 0 : contentLength_; }
    const QByteArray& location() const { return location_; }

private:
    void takeLine(QByteArray line);

    QByteArray partial_;
    QByteArray statusLine_;
    QList<QByteArray> lines_;
    QByteArray location_;
    qint64 contentLength_ = -1;
    qsizetype size_ = 0;
    int status_ = 0;
    bool haveStatusLine_ = false;
    bool complete_ = false;
    bool tooLarge_ = false;
};

} // namespace zv
