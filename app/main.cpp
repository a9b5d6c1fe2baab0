#include "ui/themes/themes.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    auto window = CreateThemeWindow(2);
    if (!window || !window->FormCreate())
        return 0;
    window->show();
    return app.exec();
}
