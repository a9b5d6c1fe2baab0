#include "ui/windows/fenprincpopup.h"

TfmPrincPopup::TfmPrincPopup(bool testMode, QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , testMode_(testMode)
{
    setObjectName(QStringLiteral("fmPrincPopup"));
    setWindowTitle(QStringLiteral("InfZevalo"));
    resize(248, 193);
    setAttribute(Qt::WA_DeleteOnClose); // closing it ends the program
    setVisible(testMode_);
}
