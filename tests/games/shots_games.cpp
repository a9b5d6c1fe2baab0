// Opens one game window, as the games section would, to look at it:
//   zv_games_shots THEME NAME ADDRESS WIDTH HEIGHT [maximise]
// The portal is ZEVALO_PORTAL_HOST (the demo portal for the HTML5 games).
#include "portal/errors.h"
#include "ui/windows/fenjeu.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 6) {
        std::fprintf(stderr, "usage: zv_games_shots THEME NAME ADDRESS WIDTH HEIGHT [maximise]\n");
        return 2;
    }
    auto window = CreateGameWindow(
        args[1].toInt(), nullptr, args[2], args[3].toUtf8(), args[4].toInt(), args[5].toInt());
    if (args.size() > 6 && args[6] == QLatin1String("maximise"))
        QTimer::singleShot(500, window.get(), [&] { static_cast<TfmJeu*>(window.get())->BtnAgrandirClick(); });
    return window->exec() == QDialog::Accepted ? 0 : 1;
}
