// zv_podcast_shots: the main window on its podcast tab, the first podcast
// (or the one ZV_SHOT_PODCAST names) opened and its first episode selected,
// the menu of the user's podcasts open with ZV_SHOT_MENU, for screenshots
// under Xvfb:
//   zv_podcast_shots PORTAL_HOST [THEME [AUTHORITY.pem]]
// AUTHORITY.pem: a certificate authority this run trusts besides the system's,
// for a portal started with --tls-cert.
#include "app/startup.h"
#include "support/testtls.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/fenprinc.h"
#include "ui/themes/themes.h"

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    SetupApplication(app); // errors in message boxes, as in the program
    if (argc < 2)
        return 2;
    qputenv("ZEVALO_PORTAL_HOST", argv[1]);
    if (argc > 3 && !zv::test::trustAuthorityFile(QString::fromLocal8Bit(argv[3])))
        return 2;
    auto w = CreateThemeWindow(argc > 2 ? atoi(argv[2]) : 2);
    if (!w || !w->FormCreate())
        return 1;
    w->move(0, 0);
    w->show();
    TfmPrinc* p = w.get();
    QTimer::singleShot(1500, p, [p] {
        emit p->btnFctMOD->clicked();
        p->pcMOD->setCurrentWidget(p->tsMODPodcast);
        using namespace zv::test;
        const QString named = qEnvironmentVariable("ZV_SHOT_PODCAST");
        const QModelIndex podcast
            = named.isEmpty() ? at(p->tvMODPodcast, {0, 0, 0}) : find(p->tvMODPodcast, named);
        if (!podcast.isValid())
            return;
        p->tvMODPodcast->expandAll();
        activate(p->tvMODPodcast, podcast);
        select(p->lvMODPodcast, at(p->lvMODPodcast, 0));
        // ZV_SHOT_MENU: with the menu of the user's podcasts open, from the keyboard.
        if (qEnvironmentVariableIsSet("ZV_SHOT_MENU")) {
            p->btnMODPodcastPerso->setFocus();
            QTest::keyClick(p->btnMODPodcastPerso, Qt::Key_Space);
        }
    });
    return app.exec();
}
