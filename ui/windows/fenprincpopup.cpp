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
    setVisible(testMode_);
}
