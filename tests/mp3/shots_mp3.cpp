// zv_mp3_shots: the "Recherche MP3" tab with the answer to a search, then a
// download from it and three slow ones at once (each started while the ones
// before it receive) whose windows stay up, for screenshots:
//   zv_mp3_shots PORTAL_HOST [KEYWORDS]
// The first download goes to $TMPDIR/zv-mp3-shots; its size is printed.
#include "support/scriptedserver.h"
#include "support/shotwindow.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"
#include "ui/windows/fentelechargement.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

using namespace zv::test;

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    qputenv("ZEVALO_PORTAL_HOST", argv[1]);
    const QString keywords = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("a");
    ScriptedServer slow;
    for (int i = 1; i <= 3; ++i)
        slow.on("/mp3/Morceau%20lent%20" + QByteArray::number(i) + ".rbs",
            Reply::generated(qint64(40) << 20).inPieces(65536, 20 * i));

    const QString dir = QDir::temp().filePath(QStringLiteral("zv-mp3-shots"));
    QDir().mkpath(dir);
    TfmTelechargement::setSaveDialog(
        [dir](TfmTelechargement*, const QString& name) { return QDir(dir).filePath(name); });

    auto w = ShowThemeWindow(2);
    if (!w)
        return 1;
    TfmPrinc* p = w.get();
    emit p->btnFctMOD->clicked();
    p->pcMOD->setCurrentWidget(p->tsMODRecherche);
    p->edtMODRecherche->insert(keywords);
    QTimer::singleShot(1000, p, [p] { p->btnMODRecherche->click(); });
    QTimer::singleShot(2500, p, [p, dir, &slow] {
        if (rowCount(p->lvMODRecherche) == 0) {
            qWarning("no results");
            return;
        }
        const QString address = at(p->lvMODRecherche, 0).data(zv::AddressRole).toString();
        select(p->lvMODRecherche, at(p->lvMODRecherche, 0));
        p->btnMODRechercheTelecharger->click();
        const QString name
            = QFileInfo(address).fileName().replace(QLatin1String(".rbs"), QLatin1String(".mp3"));
        printf(
            "downloaded %s: %lld bytes\n", qPrintable(address), QFileInfo(QDir(dir).filePath(name)).size());
        fflush(stdout);
        // Each one waits in its Get while the next one starts: all three receive.
        for (int i = 1; i <= 3; ++i) {
            QTimer::singleShot(400 * (i - 1), p, [p, i, &slow] {
                auto* d = new TfmTelechargement(p);
                d->move(p->x() + 420, p->y() + 200 + 110 * i);
                d->Start(QString::fromLatin1(
                    "http://" + slow.hostPort() + "/mp3/Morceau lent " + QByteArray::number(i) + ".rbs"));
            });
        }
    });
    return app.exec();
}
