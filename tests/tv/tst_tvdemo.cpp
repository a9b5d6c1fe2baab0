// The demo portal's own list and guide, read as the client reads them: every
// channel of the list finds its programmes, and something is on now.
#include "portal/tv/ownlist.h"
#include "portal/tv/xmltv.h"
#include "server/catalogue.h"
#include "server/ownlist.h"
#include "support/table.h"

#include <QTest>

class TestTvDemo : public QObject {
    Q_OBJECT

private slots:
    void listAndGuide_data() { zv::test::flagRows("compressed", "xml", "xml.gz"); }
    void listAndGuide()
    {
        QFETCH(bool, compressed);
        const zvs::Catalogue catalogue = zvs::loadCatalogue(
            qEnvironmentVariable("ZV_SOURCE_DIR") + QStringLiteral("/server/content/catalogue.json"));
        const QString base = QStringLiteral("http://127.0.0.1:8631");
        const QDateTime now = QDateTime::currentDateTime();

        const zv::OwnListReading list = zv::ReadOwnList(zvs::ownListPlaylist(catalogue.ownList, base));
        QVERIFY2(list.error.isEmpty(), qPrintable(list.error));
        QCOMPARE(list.list.size(), std::size_t(catalogue.ownList.channels.size()));
        QVERIFY(list.list.guideUrls().value(0).endsWith(u".xml.gz"));

        const QByteArray guide = zvs::programmeGuide(catalogue.ownList, base, now);
        const zv::GuideReading reading = zv::ReadGuide(compressed ? zvs::gzipped(guide) : guide);
        QVERIFY2(reading.error.isEmpty(), qPrintable(reading.error));
        for (std::size_t i = 0; i < list.list.size(); ++i) {
            const int channel
                = reading.index->matchRow(list.list.tvgId(i), list.list.tvgName(i), list.list.title(i));
            QVERIFY2(channel >= 0, qPrintable(list.list.title(i)));
            const zv::NowNext nn = reading.index->nowNext(channel, now);
            QVERIFY2(nn.now && nn.next, qPrintable(list.list.title(i)));
            QVERIFY(!reading.index->day(channel, now.date()).empty());
        }
    }
};

QTEST_GUILESS_MAIN(TestTvDemo)
#include "tst_tvdemo.moc"
