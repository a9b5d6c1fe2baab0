// zv_main_shots: opens the theme window against the scripted portal and walks
// through the sections, one every STEP seconds, for screenshots under Xvfb:
//   zv_main_shots [THEME] [STEP] [PORTAL_HOST]
// With PORTAL_HOST (a demo portal's host:port) the scripted portal is not used.
// Order: home, television (bouquet 0), its first channel playing, television
// (bouquet 1), radios, clips,
// chat, media on demand, games, videos, contact.
#include "fakeportal.h"
#include "ui/controls/btngraph.h"
#include "ui/player/cadplayer.h"
#include "ui/themes/themes.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>

using namespace zv::test;

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Zevalo Multimédia"));
    const int theme = argc > 1 ? atoi(argv[1]) : 2;
    const int step = argc > 2 ? atoi(argv[2]) : 3;
    ScriptedServer server;
    FakePortal portal(server);
    qputenv("ZEVALO_PORTAL_HOST", argc > 3 ? QByteArray(argv[3]) : server.hostPort());
    auto w = CreateThemeWindow(theme);
    if (!w || !w->FormCreate())
        return 1;
    w->move(0, 0);
    w->show();
    TfmPrinc* p = w.get();
    const QList<std::function<void()>> steps = {
        [p] { emit p->btnFctTele->clicked(); },
        [p] { emit p->btnLecture->clicked(); },
        [p] {
            p->cmbBouquet->setCurrentIndex(1);
            emit p->cmbBouquet->activated(1);
        },
        [p] { emit p->btnFctRadio->clicked(); },
        [p] { emit p->btnFctClipVideo->clicked(); },
        [p] { emit p->btnFctChat->clicked(); },
        [p] { emit p->btnFctMOD->clicked(); },
        [p] { emit p->btnFctJeux->clicked(); },
        [p] { emit p->btnFctVideo->clicked(); },
        [p] { emit p->btnContact->clicked(); },
    };
    for (int i = 0; i < steps.size(); ++i)
        QTimer::singleShot((i + 1) * step * 1000, p, steps[i]);
    return app.exec();
}
