// The games section against the demo portal: its names with accents go back
// and forth, and each game opens the window it needs.
#include "base/errors.h"
#include "portalprocess.h"
#include "support/modalanswerer.h"
#include "support/viewrows.h"
#include "ui/browser/shockwaveflash.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/themes/themes.h"
#include "ui/windows/fenjeu.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeView>

class TestGamesPortal : public QObject {
    Q_OBJECT
    std::unique_ptr<PortalProcess> portal;
    QStringList errors;

private slots:
    void initTestCase()
    {
        zv::setErrorReporter([this](const QString& m) { errors << m; });
        portal = startPortalForClient();
        QVERIFY2(portal->started(), "zevalo-portal did not start");
    }
    void cleanupTestCase() { portal.reset(); }

    void everyGamePlays()
    {
        auto w = CreateThemeWindow(3);
        QVERIFY(w->FormCreate());
        emit w->btnFctJeux->clicked();
        QVERIFY(zv::test::rowCount(w->tvListeJeux) >= 2);
        QStringList seen;
        zv::test::ModalAnswerer watcher;
        watcher
            .on<QMessageBox>([&](QMessageBox* box) {
                errors << box->text();
                box->accept();
            })
            .on<TfmJeu>([&](TfmJeu* g) {
                QVERIFY(qobject_cast<TfmJeuTheme3*>(g));
                const bool flash = !g->swJeu->isHidden();
                // A Flash game gets its movie, the others the portal's page.
                QVERIFY(flash ? g->swJeu->Movie().contains(QLatin1String(".swf")) : !g->wbJeu->isHidden());
                seen << g->panTitre->text().trimmed() + (flash ? QStringLiteral(" (swf)") : QString());
                g->btnFermer->clicked();
            });
        using zv::test::at;
        for (int i = 0; i < zv::test::rowCount(w->tvListeJeux); ++i) {
            const QModelIndex c = at(w->tvListeJeux, i);
            zv::test::select(w->tvListeJeux, c);
            w->tvListeJeuxDblClick();
            QVERIFY2(zv::test::rowCount(w->tvListeJeux, c) > 0, qPrintable(c.data().toString()));
            for (int j = 0; j < zv::test::rowCount(w->tvListeJeux, c); ++j) {
                zv::test::select(w->tvListeJeux, at(w->tvListeJeux, j, c));
                w->tvListeJeuxDblClick();
                w->btnJouerClick();
            }
        }
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
        QVERIFY2(seen.contains(QStringLiteral("Planète mémoire")), qPrintable(seen.join(u',')));
        QVERIFY(seen.contains(QStringLiteral("Balle rebondissante (swf)")));
        QVERIFY(seen.contains(QStringLiteral("Carré magique (swf)")));
        // The views were counted for real ids.
        QFile log(portal->logFile());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray requests = log.readAll();
        QVERIFY(requests.contains("/exe/vu.php?id=403 200"));
        QVERIFY(requests.contains("/exe/vu.php?id=404 200"));
    }
};

QTEST_MAIN(TestGamesPortal)
#include "tst_games_portal.moc"
