// Own lists and "Mes chaînes" as the channel list shows them: every role of a
// row (the address whole, engine prefix and all), now and next from the
// guide at a given time, favourites found again after a provider renamed or
// reordered its channels, logos fetched only for rows on screen within their
// bounds, and the rows' second line.
#include "portal/canaux.h"
#include "portal/cp1252.h"
#include "portal/tv/xmltv.h"
#include "support/scriptedserver.h"
#include "support/table.h"
#include "ui/tv/channelroles.h"
#include "ui/tv/logocache.h"
#include "ui/tv/nownextdelegate.h"
#include "ui/tv/ownlistmodel.h"

#include <QBuffer>
#include <QDir>
#include <QListView>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using zv::test::Reply;
using zv::test::ScriptedServer;

namespace {

const QByteArray LongAddress = "http://cdn.example/live/" + QByteArray(2500, 'a') + ".ts";

std::shared_ptr<const zv::OwnList> sampleList()
{
    const QByteArray body
        = "#EXTM3U url-tvg=\"http://epg.example/g.xml\"\n"
          "#EXTINF:-1 tvg-id=\"meteo.fr\" tvg-name=\"Météo\" tvg-logo=\"http://l.example/m.png\" "
          "group-title=\"Info\",Zevalo Météo HD\n#EXTVLCOPT:http-user-agent=Zevalo\nvlc:"
        + LongAddress
        + "\n#EXTINF:-1 group-title=\"Info\",Zevalo Info\nhttp://s.example/info\n"
          "#EXTINF:-1,Sans guide\nhttp://s.example/rien\n";
    return std::make_shared<const zv::OwnList>(zv::ReadOwnList(body).list);
}

// Two channels, 19:00 to 22:00 UTC on 12 May 2025, times written with offsets.
std::shared_ptr<const zv::GuideIndex> sampleGuide()
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?><tv>
<channel id="meteo.fr"><display-name>Météo</display-name></channel>
<channel id="info"><display-name>Zevalo Info</display-name></channel>
<programme start="20250512210000 +0200" stop="20250512213000 +0200" channel="meteo.fr"><title>Le point</title></programme>
<programme start="20250512193000 +0000" stop="20250512200000 +0000" channel="meteo.fr"><title>Demain</title></programme>
<programme start="20250512150000 -0400" stop="20250512170000 -0400" channel="info"><title>Journal</title></programme>
</tv>)";
    return zv::ReadGuide(xml).index;
}

QString local(const char* utc)
{
    return QDateTime::fromString(QString::fromLatin1(utc), Qt::ISODate).toLocalTime().toString(u"HH:mm");
}

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestTvModels : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QDir(zv::CacheFolder(QStringLiteral("logos"))).removeRecursively(); }

    void roles_data()
    {
        zv::test::columns<int, int, QVariant>("row", "role", "value");
        zv::test::row("title", 0, int(Qt::DisplayRole), QVariant(u"Zevalo Météo HD"_qs));
        zv::test::row("address whole, prefix kept", 0, int(zv::AddressRole),
            QVariant(QString::fromLatin1("vlc:" + LongAddress)));
        zv::test::row("no content id", 0, int(zv::ContentIdRole), QVariant(0));
        zv::test::row("a channel", 1, int(zv::KindRole), QVariant(int(zv::EntryKind::Channel)));
        zv::test::row("group", 1, int(zv::GroupRole), QVariant(u"Info"_qs));
        zv::test::row("tvg-id", 0, int(zv::TvgIdRole), QVariant(u"meteo.fr"_qs));
        zv::test::row("tvg-name", 0, int(zv::TvgNameRole), QVariant(u"Météo"_qs));
        zv::test::row("logo", 0, int(zv::LogoUrlRole), QVariant(u"http://l.example/m.png"_qs));
        zv::test::row("options", 0, int(zv::OptionsRole), QVariant(QStringList{"http-user-agent=Zevalo"}));
        zv::test::row("on now, by tvg-id", 0, int(zv::NowRole), QVariant(u"Le point"_qs));
        zv::test::row("its times", 0, int(zv::NowTimesRole),
            QVariant(local("2025-05-12T19:00:00Z") + u" – "_qs + local("2025-05-12T19:30:00Z")));
        zv::test::row("its progress", 0, int(zv::ProgressRole), QVariant(0.5));
        zv::test::row("next", 0, int(zv::NextRole), QVariant(local("2025-05-12T19:30:00Z") + u" Demain"_qs));
        zv::test::row("on now, by name", 1, int(zv::NowRole), QVariant(u"Journal"_qs));
        zv::test::row("nothing next", 1, int(zv::NextRole), QVariant(QString()));
        zv::test::row("not in the guide", 2, int(zv::ProgressRole), QVariant(-1.0));
        zv::test::row("tooltip", 0, int(Qt::ToolTipRole),
            QVariant(u"Zevalo Météo HD\nInfo\nEn ce moment : Le point ("_qs + local("2025-05-12T19:00:00Z")
                + u" – "_qs + local("2025-05-12T19:30:00Z") + u")\nEnsuite : "_qs
                + local("2025-05-12T19:30:00Z") + u" Demain"_qs));
    }
    void roles()
    {
        QFETCH(int, row);
        QFETCH(int, role);
        QFETCH(QVariant, value);
        TOwnListModel model;
        model.setList(sampleList());
        model.setClock([] { return QDateTime::fromString(u"2025-05-12T19:15:00Z"_qs, Qt::ISODate); });
        QVERIFY(!model.index(0).data(zv::ProgressRole).isValid()); // no guide yet: one line
        QSignalSpy gained(&model, &TChannelRowsModel::guidesChanged);
        model.setGuides({nullptr, sampleGuide()});
        QCOMPARE(gained.size(), 1);
        QCOMPARE(model.index(row).data(role), value);
        QVERIFY(!model.index(3).data(role).isValid());
    }

    // The second line of a row, and the rows' height with and without it.
    void secondLine()
    {
        TOwnListModel model;
        model.setList(sampleList());
        model.setClock([] { return QDateTime::fromString(u"2025-05-12T19:15:00Z"_qs, Qt::ISODate); });
        TNowNextDelegate delegate;
        QListView view;
        QStyleOptionViewItem option;
        option.initFrom(&view);
        const int oneLine = delegate.sizeHint(option, model.index(0)).height();
        QCOMPARE(TNowNextDelegate::secondLine(model.index(1)), u"Info"_qs);
        model.setGuides({sampleGuide()});
        QVERIFY(delegate.sizeHint(option, model.index(0)).height() > oneLine);
        QCOMPARE(TNowNextDelegate::secondLine(model.index(0)),
            local("2025-05-12T19:00:00Z") + u" Le point  ·  ensuite "_qs + local("2025-05-12T19:30:00Z")
                + u" Demain"_qs);
        QCOMPARE(TNowNextDelegate::secondLine(model.index(2)), QString());
    }

    void favorites()
    {
        TFavoriteChannelModel model;
        QVERIFY(model.add({u"Arte"_qs, u"vlc:http://a/2"_qs, {}, {}, u"tele:1"_qs}));
        QVERIFY(
            model.add({u"TF1"_qs, u"http://a/1"_qs, u"tf1.fr"_qs, u"http://l/tf1.png"_qs, u"liste:4"_qs}));
        QVERIFY(!model.add({u"Arte bis"_qs, u"vlc:http://a/2"_qs, {}, {}, u"tele:1"_qs}));
        QVERIFY(model.add({u"Arte"_qs, u"vlc:http://a/2"_qs, {}, {}, u"tele:2"_qs})); // another bouquet's
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.find(u"liste:4"_qs, u"http://a/1"_qs), 1);
        QCOMPARE(model.index(0).data(zv::AddressRole).toString(), u"vlc:http://a/2"_qs);
        QCOMPARE(model.index(1).data(zv::LogoUrlRole).toString(), u"http://l/tf1.png"_qs);
        QVERIFY(model.remove(0) && !model.remove(5));
        QCOMPARE(model.index(0).data().toString(), u"TF1"_qs);
    }

    // A provider renamed, reordered or re-addressed its channels: each
    // favourite of that list is found by address, then tvg-id, then name.
    void relocate()
    {
        std::vector<FavoriteChannel> favorites = {
            {u"TF1"_qs, u"http://a/1?jeton=1"_qs, u"tf1.fr"_qs, {}, u"liste:1"_qs},
            {u"Arte"_qs, u"http://a/2"_qs, {}, {}, u"liste:1"_qs},
            {u"Disparue"_qs, u"http://a/3"_qs, {}, {}, u"liste:1"_qs},
            {u"Même adresse"_qs, u"http://b/9"_qs, {}, {}, u"liste:1"_qs},
            {u"Arte"_qs, u"http://a/2"_qs, {}, {}, u"liste:2"_qs},
        };
        const zv::OwnList list
            = zv::ReadOwnList("#EXTINF:-1,Neuf\nhttp://b/9\n"
                              "#EXTINF:-1,ARTE HD\nhttp://b/2\n"
                              "#EXTINF:-1 tvg-id=\"tf1.fr\" tvg-logo=\"http://l/1.png\",TF1 HD\n"
                              "http://b/1?jeton=2\n")
                  .list;
        QVERIFY(RelocateFavorites(favorites, u"liste:1"_qs, list));
        const std::vector<FavoriteChannel> expected = {
            {u"TF1 HD"_qs, u"http://b/1?jeton=2"_qs, u"tf1.fr"_qs, u"http://l/1.png"_qs, u"liste:1"_qs},
            {u"ARTE HD"_qs, u"http://b/2"_qs, {}, {}, u"liste:1"_qs},
            {u"Disparue"_qs, u"http://a/3"_qs, {}, {}, u"liste:1"_qs},
            {u"Neuf"_qs, u"http://b/9"_qs, {}, {}, u"liste:1"_qs},
            {u"Arte"_qs, u"http://a/2"_qs, {}, {}, u"liste:2"_qs},
        };
        QCOMPARE(favorites, expected);
        QVERIFY(!RelocateFavorites(favorites, u"liste:1"_qs, list)); // nothing more to change

        // The portal's lists: by address, then caption, then the channel's name.
        std::vector<FavoriteChannel> portal = {
            {u"Télé Zevalo"_qs, u"http://p/old"_qs, {}, {}, u"tele:0"_qs},
            {u"France 2"_qs, u"http://p/f2-old"_qs, {}, {}, u"tele:0"_qs},
        };
        QVERIFY(RelocateFavorites(portal, u"tele:0"_qs,
            zv::ReadChannelRecords(
                zv::toCp1252(u"[fr]Télé Zevalo@@http://p/new||FR: France2 HD@@http://p/f2##3"_qs),
                zv::ChannelIcons::Tele)));
        QCOMPARE(portal[0].url, u"http://p/new"_qs);
        QCOMPARE(portal[1].url, u"http://p/f2"_qs);
        QCOMPARE(portal[1].title, u"FR: France2 HD"_qs);
    }

    // Logos: a good one kept (in memory and on disk, smaller), the bad ones
    // (20 MB, silent, not a picture) failed once and never asked again.
    void logos()
    {
        ScriptedServer server;
        server.on("/ok.png", Reply::ok(png(400, 200), "image/png"));
        server.on("/gros.png", Reply::generated(20 << 20));
        server.on("/muet.png", Reply::never());
        server.on("/page.png", Reply::ok("<html>non</html>"));
        const QString data = u"data:image/png;base64,"_qs + QString::fromLatin1(png(8, 8).toBase64());
        const QStringList good{server.address("/ok.png"), data};
        const QStringList bad{server.address("/gros.png"), server.address("/muet.png"),
            server.address("/page.png"), u"http://[::1"_qs, u"/pas/de/fichier.png"_qs};
        {
            TLogoCache logos;
            logos.setLimits({2 << 20, 300, 2000});
            QSignalSpy ready(&logos, &TLogoCache::logoReady);
            for (const QString& address : good + bad)
                QVERIFY(logos.logo(address).isNull());
            QVERIFY(QTest::qWaitFor(
                [&] {
                    for (const QString& address : bad)
                        if (!logos.failed(address))
                            return false;
                    return ready.size() == 2;
                },
                10000));
            QCOMPARE(logos.logo(good[0]).size(), QSize(96, 48));
            QCOMPARE(logos.logo(good[1]).size(), QSize(8, 8));
            for (const QString& address : bad)
                QVERIFY(logos.logo(address).isNull());
            QTest::qWait(100);
            QCOMPARE(server.requests().size(), 4); // each once
        }
        server.clearRequests();
        TLogoCache again;
        QSignalSpy ready(&again, &TLogoCache::logoReady);
        again.logo(good[0]);
        QVERIFY(ready.wait(5000));
        QCOMPARE(again.logo(good[0]).size(), QSize(96, 48));
        QCOMPARE(server.requests().size(), 0); // from the cache folder
    }

    // A list of 2,000 channels, each with its own logo: only the rows on
    // screen ask for theirs.
    void logosOnlyForRowsOnScreen()
    {
        ScriptedServer server;
        const QByteArray picture = png(32, 32);
        server.setResponder([&](const zv::test::Request&) { return Reply::ok(picture, "image/png"); });
        QByteArray body;
        for (int i = 0; i < 2000; ++i)
            body += "#EXTINF:-1 tvg-logo=\"" + server.address("/l/" + QByteArray::number(i) + ".png").toUtf8()
                + "\",Chaîne " + QByteArray::number(i) + "\nhttp://s/" + QByteArray::number(i) + "\n";
        TOwnListModel model;
        model.setList(std::make_shared<const zv::OwnList>(zv::ReadOwnList(body).list));
        TLogoCache logos;
        model.setLogos(&logos);
        QListView view;
        view.setUniformItemSizes(true);
        view.setItemDelegate(new TNowNextDelegate(&view));
        view.setModel(&model);
        view.resize(240, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(QTest::qWaitFor([&] { return server.requests().size() >= 5; }, 5000));
        QTest::qWait(300);
        const int onScreen = view.viewport()->height() / view.sizeHintForRow(0) + 1;
        QVERIFY2(
            server.requests().size() <= onScreen + 2, qPrintable(QString::number(server.requests().size())));
        // The rows redraw with their logo.
        QVERIFY(QTest::qWaitFor([&] { return !model.index(0).data(Qt::DecorationRole).isNull(); }, 5000));
    }
};

QTEST_MAIN(TestTvModels)
#include "tst_tvmodels.moc"
