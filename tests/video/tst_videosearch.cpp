// The video search request and answer, as bytes.
#include "portal/videosearch.h"
#include "support/table.h"

#include <QTest>

namespace {

using Rows = std::vector<zv::VideoResult>;

QByteArray describe(const Rows& rows)
{
    QByteArray out;
    for (const zv::VideoResult& r : rows)
        out += '[' + r.title + '|' + r.duration + '|' + r.thumbnail + '|' + r.video + ']';
    return out;
}

} // namespace

class TestVideoSearch : public QObject {
    Q_OBJECT

private slots:
    void request_data()
    {
        zv::test::columns<int, QByteArray, QByteArray>("listed", "keywords", "expected");
        zv::test::row("empty list", 0, QByteArray("chat"), QByteArray("num_page=1&recherche=chat"));
        zv::test::row("11 rows: same page", 11, QByteArray("chat"), QByteArray("num_page=1&recherche=chat"));
        zv::test::row("12 rows: page 2", 12, QByteArray("chat"), QByteArray("num_page=2&recherche=chat"));
        zv::test::row("23 rows", 23, QByteArray("chat"), QByteArray("num_page=2&recherche=chat"));
        zv::test::row("24 rows", 24, QByteArray("chat"), QByteArray("num_page=3&recherche=chat"));
        zv::test::row("space twice encoded", 0, QByteArray("chat noir"),
            QByteArray("num_page=1&recherche=chat%2520noir"));
        zv::test::row("two spaces", 0, QByteArray("a  b"), QByteArray("num_page=1&recherche=a%2520%2520b"));
        zv::test::row(
            "accent, Windows-1252", 0, QByteArray("\xe9t\xe9"), QByteArray("num_page=1&recherche=%e9t%e9"));
        zv::test::row("query characters", 0, QByteArray("a&b=c#d+e"),
            QByteArray("num_page=1&recherche=a%26b%3dc%23d%2be"));
        zv::test::row("no keywords", 0, QByteArray(), QByteArray("num_page=1&recherche="));
    }
    void request()
    {
        QFETCH(int, listed);
        QFETCH(QByteArray, keywords);
        QFETCH(QByteArray, expected);
        QCOMPARE(zv::VideoSearchRequest(listed, keywords), "/exe/rech_dm.php?" + expected);
    }

    void answer_data()
    {
        zv::test::columns<QByteArray, QByteArray>("body", "expected");
        zv::test::row("empty", QByteArray(), QByteArray());
        zv::test::row("two lines, trailing break",
            QByteArray("Un\t3:20\thttp://i/1.jpg\thttp://v/1.flv\r\nDeux\t0:45\ti2\tv2\r\n"),
            QByteArray("[Un|3:20|http://i/1.jpg|http://v/1.flv][Deux|0:45|i2|v2]"));
        zv::test::row("bare LF and CR", QByteArray("A\t1\ti\tv\nB\t2\tj\tw\rC\t3\tk\tx"),
            QByteArray("[A|1|i|v][B|2|j|w][C|3|k|x]"));
        zv::test::row("short lines skipped", QByteArray("titre seul\r\nA\t1\r\n\r\nB\t2\tj\r\nC\t3\tk\tx"),
            QByteArray("[C|3|k|x]"));
        zv::test::row(
            "extra fields ignored", QByteArray("A\t1\ti\tv\tplus\tencore"), QByteArray("[A|1|i|v]"));
        zv::test::row("empty fields kept", QByteArray("\t\t\t"), QByteArray("[|||]"));
        zv::test::row("UTF-8 title folded, other fields as given",
            QByteArray("\xc3\xa9t\xc3\xa9\t1:00\thttp://i/\xc3\xa9.jpg\tv"),
            QByteArray("\xe9t\xe9|1:00|http://i/\xc3\xa9.jpg|v").prepend('[').append(']'));
        zv::test::row("spaces kept", QByteArray(" A \t 1:00 \ti\tv "), QByteArray("[ A | 1:00 |i|v ]"));
    }
    void answer()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, expected);
        QCOMPARE(describe(zv::ParseVideoSearch(body)), expected);
    }
};

QTEST_MAIN(TestVideoSearch)
#include "tst_videosearch.moc"
