// The whole program's main window against the demo portal zevalo-portal, run
// as its own process, with the real players: start-up, every list section, a
// podcast feed read over TLS and one radio that really plays.
#include "portal/nmhttp.h"
#include "portalprocess.h"
#include "support/testtls.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/entrymodel.h"
#include "ui/player/cadplayer.h"
#include "ui/themes/themes.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace zv::test;

class TestE2EPortal : public QObject {
    Q_OBJECT

    zv::test::TestAuthority authority;
    QTemporaryDir certificates;
    std::unique_ptr<PortalProcess> portal;

private slots:
    void initTestCase()
    {
        // The portal speaks TLS too, with a certificate whose authority only
        // this process trusts.
        QVERIFY(certificates.isValid());
        const QString cert = certificates.filePath(QStringLiteral("portal.pem"));
        const QString key = certificates.filePath(QStringLiteral("portal.key"));
        QVERIFY(authority.issue({QStringLiteral("127.0.0.1")}).writeTo(cert, key));
        authority.trustInThisProcess();
        portal = startPortalForClient(QStringList{"--tls-cert", cert, "--tls-key", key});
        QVERIFY2(portal->started(), "zevalo-portal did not start");
    }
    void cleanupTestCase() { portal.reset(); }

    void startsAndListsEverySection()
    {
        auto w = CreateThemeWindow(2);
        QVERIFY(w->FormCreate());
        QVERIFY(!w->lblTitre->text().isEmpty());
        QVERIFY(w->btnFctAccueil->Enfonce());

        emit w->btnFctTele->clicked();
        QVERIFY(w->lvListeCanauxModel->rowCount() > 0);
        QCOMPARE(w->ListeCanauxSelectedRow(), 0);
        for (int b = 1; b < 5; ++b) {
            w->cmbBouquet->setCurrentIndex(b);
            emit w->cmbBouquet->activated(b);
            QVERIFY2(w->lvListeCanauxModel->rowCount() > 0, qPrintable(w->cmbBouquet->currentText()));
            for (const zv::ChannelRow& r : w->lvListeCanauxModel->rows()) {
                QVERIFY(r.url.startsWith("vlc:"));
                QVERIFY(!r.caption.contains('\xc3')); // the UTF-8 playlist is repaired
            }
        }
        w->cmbBouquet->setCurrentIndex(0);

        emit w->btnFctClipVideo->clicked();
        QVERIFY(w->lvListeCanauxModel->rowCount() > 0);
        emit w->btnFctChat->clicked();
        QVERIFY(w->cmbChatRadio->count() > 0);
        QCOMPARE(w->cmbChatRadio->count(), w->lvListeCanauxModel->rowCount());
        emit w->btnFctJeux->clicked();
        QVERIFY(rowCount(w->tvListeJeux) > 0);
    }

    // The catalogue comes over plain HTTP and sends the podcast's feed over
    // TLS; its episodes list the portal's media.
    void aPodcastFeedOverTls()
    {
        auto w = CreateThemeWindow(2);
        QVERIFY(w->FormCreate());
        w->show();
        emit w->btnFctMOD->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODPodcast);
        const QModelIndex podcast = at(w->tvMODPodcast, {0, 0, 0});
        QVERIFY(podcast.isValid());
        const QByteArray feed = w->PodcastFeeds->value(0).second;
        QVERIFY2(feed.startsWith("https://" + portal->host() + "/podcasts/"), feed.constData());
        activate(w->tvMODPodcast, podcast);
        QCOMPARE(w->nmhMODPodcastDetail->StatusCode(), 200);
        QVERIFY(rowCount(w->lvMODPodcast) >= 2);
        for (const QString& address : texts(w->lvMODPodcast, {zv::AddressRole}))
            QVERIFY(address.startsWith(portal->base() + "/media/"));
        QVERIFY(!at(w->lvMODPodcast, 0).data().toString().isEmpty());
    }

    void aRadioPlays()
    {
        auto w = CreateThemeWindow(2);
        QVERIFY(w->FormCreate());
        w->show();
        emit w->btnFctRadio->clicked();
        const auto& rows = w->lvListeCanauxModel->rows();
        int mp3 = -1;
        for (int i = 0; i < int(rows.size()) && mp3 < 0; ++i) {
            if (rows[size_t(i)].url.endsWith(".mp3"))
                mp3 = i;
        }
        QVERIFY2(mp3 >= 0, "no MP3 radio in the demo portal's list");
        w->SelectListeCanauxRow(mp3);
        emit w->lvListeCanaux->doubleClicked(w->lvListeCanauxModel->index(mp3));
        // The status loop sees the engine play: the play button turns to stop,
        // pause and mute become active.
        QTRY_VERIFY_WITH_TIMEOUT(w->btnLecture->Enfonce(), 30000);
        QVERIFY(w->btnPause->Actif());
        QVERIFY(w->frmPlayer->IsPlaying());
        // Pause and resume through the buttons.
        emit w->btnPause->clicked();
        QTRY_VERIFY_WITH_TIMEOUT(w->btnPause->Enfonce(), 10000);
        emit w->btnPause->clicked();
        QTRY_VERIFY_WITH_TIMEOUT(!w->btnPause->Enfonce(), 10000);
        // Stop.
        emit w->btnLecture->clicked();
        QTRY_VERIFY_WITH_TIMEOUT(!w->btnLecture->Enfonce(), 10000);
        // The content id of the radio reached the portal's counter.
        if (rows[size_t(mp3)].data != 0) {
            QFile views(portal->dataDir() + QStringLiteral("/vues.txt"));
            QTRY_VERIFY_WITH_TIMEOUT(views.exists(), 5000);
        }
    }
};

QTEST_MAIN(TestE2EPortal)
#include "tst_e2e_portal.moc"
