// Opens one game window, as the games section would, to look at it:
//   zv_games_shots THEME NAME ADDRESS WIDTH HEIGHT [maximise]
//   zv_games_shots section THEME   (the main window's games, a category open, a description shown)
// The portal is ZEVALO_PORTAL_HOST (the demo portal for the HTML5 games).
#include "base/errors.h"
#include "support/viewrows.h"
#include "ui/themes/themes.h"
#include "ui/windows/fenjeu.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("section")) {
        auto w = CreateThemeWindow(args[2].toInt());
        if (!w || !w->FormCreate())
            return 1;
        w->show();
        QTimer::singleShot(300, w.get(), [&] {
            zv::guarded([&] {
                w->btnFctClick(w->btnFctJeux);
                const QModelIndex category = zv::test::at(w->tvListeJeux, 1);
                if (!category.isValid())
                    return;
                zv::test::select(w->tvListeJeux, category);
                w->tvListeJeuxDblClick();
                if (const QModelIndex game = zv::test::at(w->tvListeJeux, 0, category); game.isValid()) {
                    zv::test::select(w->tvListeJeux, game);
                    w->tvListeJeuxDblClick();
                }
            });
        });
        return app.exec();
    }
    if (args.size() < 6) {
        std::fprintf(stderr, "usage: zv_games_shots THEME NAME ADDRESS WIDTH HEIGHT [maximise]\n");
        return 2;
    }
    auto window = CreateGameWindow(
        args[1].toInt(), nullptr, args[2], args[3].toUtf8(), args[4].toInt(), args[5].toInt());
    if (args.size() > 6 && args[6] == QLatin1String("maximise"))
        QTimer::singleShot(
            500, window.get(), [&] { static_cast<TfmJeu*>(window.get())->BtnAgrandirClick(); });
    return window->exec() == QDialog::Accepted ? 0 : 1;
}
