// The demo portal's own podcasts, read as the client reads them: its
// subscription list gives every feed in its folder, and every feed (RSS 2.0,
// Atom, RSS 0.91 in ISO-8859-1) gives its episodes, newest first.
#include "portal/podcasts/feed.h"
#include "portal/podcasts/subscriptions.h"
#include "server/catalogue.h"
#include "server/ownfeeds.h"
#include "support/table.h"

#include <QSet>
#include <QTest>
#include <QTimeZone>

namespace {

// "Folder/Sub/Title <address>" for every podcast of the tree.
void podcastPaths(const std::vector<zv::PodcastOutline>& outlines, const QString& folder, QStringList& out)
{
    for (const zv::PodcastOutline& o : outlines) {
        if (o.isFolder())
            podcastPaths(o.children, folder + o.title + u'/', out);
        else
            out += folder + o.title + QStringLiteral(" <") + o.feedUrl + u'>';
    }
}

} // namespace

class TestPodcastDemo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        catalogue_ = zvs::loadCatalogue(
            qEnvironmentVariable("ZV_SOURCE_DIR") + QStringLiteral("/server/content/catalogue.json"));
        QVERIFY(catalogue_.ownPodcasts.size() >= 3);
    }

    void subscriptionList()
    {
        const zv::SubscriptionReading r
            = zv::ReadSubscriptions(zvs::subscriptionList(catalogue_.ownPodcasts, base_, now_), QUrl(base_));
        QVERIFY2(r.error.isEmpty() && r.notice.isEmpty(), qPrintable(r.error + r.notice));
        QStringList read;
        podcastPaths(r.outlines, {}, read);
        QStringList expected;
        for (const zvs::OwnPodcast& p : catalogue_.ownPodcasts) {
            const QString folder = p.folder.isEmpty() ? QString() : p.folder + u'/';
            expected += folder + p.title + QStringLiteral(" <") + zvs::ownFeedAddress(p, base_) + u'>';
        }
        read.sort();
        expected.sort();
        QCOMPARE(read, expected);
    }

    void feeds_data()
    {
        QTest::addColumn<QString>("slug");
        zv::test::row("RSS 2.0", "chroniques");
        zv::test::row("Atom", "musique");
        zv::test::row("RSS 0.91", "archives");
    }
    void feeds()
    {
        QFETCH(QString, slug);
        const auto p = std::find_if(catalogue_.ownPodcasts.begin(), catalogue_.ownPodcasts.end(),
            [&](const zvs::OwnPodcast& o) { return o.slug == slug; });
        QVERIFY(p != catalogue_.ownPodcasts.end());
        const QString address = zvs::ownFeedAddress(*p, base_);
        const QByteArray body = zvs::ownFeed(*p, base_, {}, now_);
        const zv::FeedReading f = zv::ReadFeed(body, address);
        QVERIFY2(f.error.isEmpty(), qPrintable(f.error));
        QCOMPARE(f.title, p->title);
        QCOMPARE(f.picture, base_ + QStringLiteral("/media/") + p->image);
        QCOMPARE(f.episodes.size(), std::size_t(p->episodes.size()));

        const bool dated = p->format != QLatin1String("rss091");
        QSet<QByteArray> keys;
        for (std::size_t i = 0; i < f.episodes.size(); ++i) {
            const zv::FeedEpisode& e = f.episodes[i];
            // The catalogue lists its episodes newest first, as the reader gives them.
            const zvs::OwnEpisode& c = p->episodes[qsizetype(i)];
            QCOMPARE(e.title, c.title);
            QCOMPARE(e.url, base_ + QStringLiteral("/media/") + c.file);
            QCOMPARE(e.published.isValid(), dated);
            if (dated) {
                QCOMPARE(e.seconds, c.seconds);
                QCOMPARE(e.published.toTimeZone(QTimeZone("Europe/Paris")).time(), QTime(7, 30));
                QCOMPARE(e.published.daysTo(now_), qint64(c.daysAgo));
            }
            keys.insert(e.key);
        }
        QCOMPARE(keys.size(), qsizetype(f.episodes.size()));
        // The keys hold from one reading to the next, whatever the day.
        const zv::FeedReading later = zv::ReadFeed(zvs::ownFeed(*p, base_, {}, now_.addDays(3)), address);
        for (std::size_t i = 0; i < f.episodes.size(); ++i)
            QCOMPARE(later.episodes[i].key, f.episodes[i].key);
    }

private:
    zvs::Catalogue catalogue_;
    const QString base_ = QStringLiteral("http://127.0.0.1:8631");
    const QDateTime now_ = QDateTime(QDate(2024, 3, 9), QTime(12, 0), QTimeZone("Europe/Paris"));
};

QTEST_GUILESS_MAIN(TestPodcastDemo)
#include "tst_podcastdemo.moc"
