#include "ui/main/desktopcontrols.h"

#include <QWidget>

void BringToFront(QWidget* window)
{
    if (!window || window->isHidden())
        return;
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}
