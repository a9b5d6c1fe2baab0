// The socket-free parts of the fetch component: URL splitting, request lines,
// the answer head reader and the redirect target.
#include "portal/httpanswer.h"
#include "support/table.h"

#include <QTest>

using namespace zv;

class TestHttpAnswer : public QObject {
    Q_OBJECT
private slots:
    void splitUrl_data();
    void splitUrl();
    void requestLinesAreExact();
    void requestBytesCannotEndTheHeadEarly();
    void status_data();
    void status();
    void headFields_data();
    void headFields();
    void headIsTheSameWhateverTheSplit();
    void headTooLarge();
    void redirect_data();
    void redirect();
};

void TestHttpAnswer::splitUrl_data()
{
    zv::test::columns<QByteArray, QByteArray, QByteArray, int, bool, QByteArray>(
        "url", "host", "hostPort", "port", "portValid", "path");

    zv::test::row("host and path", QByteArray("www.zevalo.com/exe/cont.php?c=message"),
        QByteArray("www.zevalo.com"), QByteArray("www.zevalo.com"), 0, true,
        QByteArray("/exe/cont.php?c=message"));
    zv::test::row("host only", QByteArray("www.zevalo.com"), QByteArray("www.zevalo.com"),
        QByteArray("www.zevalo.com"), 0, true, QByteArray("/"));
    zv::test::row("port", QByteArray("127.0.0.1:8631/exe/x.php"), QByteArray("127.0.0.1"),
        QByteArray("127.0.0.1:8631"), 8631, true, QByteArray("/exe/x.php"));
    zv::test::row("scheme", QByteArray("http://h.example:81/a/b.mp3"), QByteArray("h.example"),
        QByteArray("h.example:81"), 81, true, QByteArray("/a/b.mp3"));
    zv::test::row(
        "other scheme", QByteArray("mms://h/x"), QByteArray("h"), QByteArray("h"), 0, true, QByteArray("/x"));
    zv::test::row(
        "scheme-relative", QByteArray("//h/x"), QByteArray("h"), QByteArray("h"), 0, true, QByteArray("/x"));
    zv::test::row("URL in the query", QByteArray("h:81/go.php?u=http://other/y"), QByteArray("h"),
        QByteArray("h:81"), 81, true, QByteArray("/go.php?u=http://other/y"));
    zv::test::row("doubled slash in the path", QByteArray("h//x"), QByteArray("h"), QByteArray("h"), 0, true,
        QByteArray("//x"));
    zv::test::row("query without path", QByteArray("h?x=1"), QByteArray("h"), QByteArray("h"), 0, true,
        QByteArray("/?x=1"));
    zv::test::row(
        "empty host", QByteArray("/exe/x"), QByteArray(), QByteArray(), 0, true, QByteArray("/exe/x"));
    zv::test::row(
        "empty port", QByteArray("h:/x"), QByteArray("h"), QByteArray("h:"), 0, true, QByteArray("/x"));
    zv::test::row("port not a number", QByteArray("h:8o/x"), QByteArray("h"), QByteArray("h:8o"), 0, false,
        QByteArray("/x"));
    zv::test::row("port too big", QByteArray("h:65536/"), QByteArray("h"), QByteArray("h:65536"), 0, false,
        QByteArray("/"));
    zv::test::row("ipv6", QByteArray("[::1]:8080/x"), QByteArray("[::1]"), QByteArray("[::1]:8080"), 8080,
        true, QByteArray("/x"));
    zv::test::row("space and line ends in the path", QByteArray("h/a b\r\nX: y"), QByteArray("h"),
        QByteArray("h"), 0, true, QByteArray("/a%20b%0D%0AX:%20y"));
    zv::test::row("high bytes kept", QByteArray("h/caf\xe9?q=\x80"), QByteArray("h"), QByteArray("h"), 0,
        true, QByteArray("/caf\xe9?q=\x80"));
}

void TestHttpAnswer::splitUrl()
{
    QFETCH(QByteArray, url);
    const HttpTarget t = splitHttpUrl(url);
    QTEST(t.host, "host");
    QTEST(t.hostPort, "hostPort");
    QTEST(t.port, "port");
    QTEST(t.portValid, "portValid");
    QTEST(t.path, "path");
}

void TestHttpAnswer::requestLinesAreExact()
{
    const HttpTarget t = splitHttpUrl("h:81/p?q");
    QCOMPARE(requestBytes(composeRequestLines(t, {})),
        QByteArray("GET /p?q HTTP/1.0\r\n"
                   "Host: h:81\r\n"
                   "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
                   "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
                   "\r\n"));
    const QList<QByteArray> lines = composeRequestLines(t, "http://h/", "a=1; b=2");
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines[4], QByteArray("Referer: http://h/"));
    QCOMPARE(lines[5], QByteArray("Cookie: a=1; b=2"));
}

void TestHttpAnswer::requestBytesCannotEndTheHeadEarly()
{
    QCOMPARE(requestBytes({"GET / HTTP/1.0", "", "X: 1\r\n", "Y: 2\r\n\r\nZ: 3"}),
        QByteArray("GET / HTTP/1.0\r\nX: 1\r\nY: 2Z: 3\r\n\r\n"));
}

void TestHttpAnswer::status_data()
{
    zv::test::columns<QByteArray, int>("line", "status");
    zv::test::row("ok", QByteArray("HTTP/1.0 200 OK"), 200);
    zv::test::row("no reason", QByteArray("HTTP/1.1 404"), 404);
    zv::test::row("two blanks", QByteArray("HTTP/1.0  302 Found"), 302);
    zv::test::row("no blank", QByteArray("HTTP/1.0"), 0);
    zv::test::row("no number", QByteArray("HTTP/1.0 OK"), 0);
    zv::test::row("empty", QByteArray(), 0);
    zv::test::row("number glued", QByteArray("X 200abc"), 200);
    zv::test::row("too many digits", QByteArray("X 2000000000000"), 0);
    zv::test::row("garbage", QByteArray("\xff\xfe\x01 \x02"), 0);
}

void TestHttpAnswer::status()
{
    QFETCH(QByteArray, line);
    QTEST(statusOfLine(line), "status");
}

void TestHttpAnswer::headFields_data()
{
    // body: the bytes left after the head
    zv::test::columns<QByteArray, bool, int, bool, qint64, QByteArray, QByteArray>(
        "answer", "complete", "status", "hasLength", "length", "location", "body");

    zv::test::row("plain", QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nbody"), true, 200, true,
        qint64(4), QByteArray(), QByteArray("body"));
    zv::test::row("name in any case", QByteArray("HTTP/1.0 200 OK\r\ncOnTeNt-LeNgTh:   12  \r\n\r\n"), true,
        200, true, qint64(12), QByteArray(), QByteArray());
    zv::test::row("no length", QByteArray("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n\r\nx\r\n"),
        true, 200, false, qint64(0), QByteArray(), QByteArray("\r\nx\r\n"));
    zv::test::row("length not a number", QByteArray("HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\n"), true,
        200, false, qint64(0), QByteArray(), QByteArray());
    zv::test::row("length too big",
        QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n"), true, 200, false,
        qint64(0), QByteArray(), QByteArray());
    zv::test::row("first length wins",
        QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 3\r\nContent-Length: 7\r\n\r\n"), true, 200, true,
        qint64(3), QByteArray(), QByteArray());
    zv::test::row("location", QByteArray("HTTP/1.0 302 Found\r\nlocation:  /exe/x.php \r\n\r\n"), true, 302,
        false, qint64(0), QByteArray("/exe/x.php"), QByteArray());
    zv::test::row("bare line feeds", QByteArray("HTTP/1.0 200 OK\nContent-Length: 2\n\nok"), true, 200, true,
        qint64(2), QByteArray(), QByteArray("ok"));
    zv::test::row("cut in the head", QByteArray("HTTP/1.0 200 OK\r\nContent-Le"), false, 200, false,
        qint64(0), QByteArray(), QByteArray());
    zv::test::row("garbage without line end", QByteArray("\x00\x01garbage", 9), false, 0, false, qint64(0),
        QByteArray(), QByteArray());
    zv::test::row("empty status line", QByteArray("\r\nContent-Length: 1\r\n\r\nx"), true, 0, true, qint64(1),
        QByteArray(), QByteArray("x"));
}

void TestHttpAnswer::headFields()
{
    QFETCH(QByteArray, answer);
    HttpAnswerHead head;
    const qsizetype used = head.feed(answer);
    QTEST(head.complete(), "complete");
    QTEST(head.status(), "status");
    QTEST(head.hasContentLength(), "hasLength");
    QTEST(head.contentLength(), "length");
    QTEST(head.location(), "location");
    QTEST(answer.mid(used), "body");
    if (head.complete())
        QVERIFY(head.text().startsWith(head.statusLine() + "\r\n"));
}

void TestHttpAnswer::headIsTheSameWhateverTheSplit()
{
    const QByteArray answer = "HTTP/1.0 302 Found\r\nSet-Cookie: s=1; path=/\r\nSet-Cookie: t=2\r\n"
                              "Location: http://h/x\r\nContent-Length: 3\r\n\r\nabc";
    HttpAnswerHead whole;
    const qsizetype usedWhole = whole.feed(answer);
    for (qsizetype split = 1; split < answer.size(); ++split) {
        HttpAnswerHead parts;
        qsizetype used = parts.feed(answer.left(split));
        if (!parts.complete())
            used += parts.feed(answer.mid(split));
        QCOMPARE(used, usedWhole);
        QCOMPARE(parts.text(), whole.text());
        QCOMPARE(parts.location(), QByteArray("http://h/x"));
    }
    QCOMPARE(whole.headerLines().size(), 4);
}

void TestHttpAnswer::headTooLarge()
{
    HttpAnswerHead head;
    const QByteArray line = "X-Filler: " + QByteArray(1000, 'x') + "\r\n";
    head.feed("HTTP/1.0 200 OK\r\n");
    int rounds = 0;
    while (!head.tooLarge() && rounds++ < 2000)
        head.feed(line);
    QVERIFY(head.tooLarge());
    QVERIFY(!head.complete());
    QCOMPARE(head.feed("\r\n"), qsizetype(0));
}

void TestHttpAnswer::redirect_data()
{
    // scheme: of the answer that redirects
    zv::test::columns<QByteArray, QByteArray, QByteArray>("location", "scheme", "target");
    zv::test::row(
        "absolute", QByteArray("http://other:81/x"), QByteArray("http"), QByteArray("http://other:81/x"));
    zv::test::row("no slash at all", QByteArray("page.php?a=1"), QByteArray("http"),
        QByteArray("http://h:8631/page.php?a=1"));
    zv::test::row("path on the same host", QByteArray("/exe/x.php"), QByteArray("http"),
        QByteArray("http://h:8631/exe/x.php"));
    zv::test::row(
        "scheme-relative", QByteArray("//other/x"), QByteArray("http"), QByteArray("http://other/x"));
    zv::test::row("host and path", QByteArray("other/x"), QByteArray("http"), QByteArray("http://other/x"));
    zv::test::row("blanks trimmed", QByteArray("  /y "), QByteArray("http"), QByteArray("http://h:8631/y"));
    zv::test::row("TLS: path", QByteArray("/y"), QByteArray("https"), QByteArray("https://h:8631/y"));
    zv::test::row("TLS: no slash", QByteArray("y"), QByteArray("https"), QByteArray("https://h:8631/y"));
    zv::test::row(
        "TLS: scheme-relative", QByteArray("//other/x"), QByteArray("https"), QByteArray("https://other/x"));
    zv::test::row(
        "TLS: host and path", QByteArray("other/x"), QByteArray("https"), QByteArray("https://other/x"));
    zv::test::row(
        "TLS to plain", QByteArray("http://other/x"), QByteArray("https"), QByteArray("http://other/x"));
    zv::test::row(
        "plain to TLS", QByteArray("HTTPS://other/x"), QByteArray("http"), QByteArray("HTTPS://other/x"));
}

void TestHttpAnswer::redirect()
{
    QFETCH(QByteArray, location);
    QFETCH(QByteArray, scheme);
    QTEST(redirectTarget(location, "h:8631", scheme), "target");
}

QTEST_GUILESS_MAIN(TestHttpAnswer)
#include "tst_httpanswer.moc"
