// zv_video_shots: opens the theme window on the videos section and runs a
// search, for screenshots under Xvfb:
//   zv_video_shots [THEME] [PORTAL_HOST] [KEYWORDS]
// With PORTAL_HOST (a demo portal's host:port) the scripted portal is not used.
// At 1 s the videos section, 2 s the search, 3 s "Plus de résultats...", 4 s
// the second row selected, 6 s the selected row played.
#include "support/fakeportal.h"
#include "support/shotwindow.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/fenprinc.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

using namespace zv::test;

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Zevalo Multimédia"));
    const int theme = argc > 1 ? atoi(argv[1]) : 2;
    const QString keywords = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    ScriptedServer server;
    FakePortal portal(server);
    if (argc <= 2) {
        QByteArrayList lines;
        for (int i = 1; i <= 12; ++i) {
            const QByteArray k = QByteArray::number(i);
            lines << "Vid\xc3\xa9o num\xc3\xa9ro " + k + "\t0:" + k.rightJustified(2, '0') + "\t\t";
        }
        portal.set("/exe/rech_dm.php?num_page=1&recherche=", Reply::ok(lines.join("\r\n"), "text/plain"));
    }
    qputenv("ZEVALO_PORTAL_HOST", argc > 2 ? QByteArray(argv[2]) : server.hostPort());
    auto w = ShowThemeWindow(theme);
    if (!w)
        return 1;
    TfmPrinc* p = w.get();
    QTimer::singleShot(1000, p, [p] { emit p->btnFctVideo->clicked(); });
    QTimer::singleShot(2000, p, [p, keywords] {
        p->edtVideoRecherche->setText(keywords);
        emit p->btnVideoRecherche->clicked();
    });
    QTimer::singleShot(3000, p, [p] { emit p->btnVideoSuite->clicked(); });
    QTimer::singleShot(4000, p, [p] { select(p->lvVideo, at(p->lvVideo, 1)); });
    QTimer::singleShot(6000, p, [p] { emit p->lvVideo->doubleClicked(p->lvVideo->currentIndex()); });
    return app.exec();
}
