// The settings menu of btnConfig.
#include "app/config.h"
#include "portal/errors.h"
#include "ui/controls/btngraph.h"
#include "ui/main/fenprinc.h"

#include <QMenu>

void TfmPrinc::btnConfigClick()
{
    mnuConfigPopup();
    const QPoint at(
        x() + btnConfig->x() + btnConfig->width() / 2, y() + btnConfig->y() + btnConfig->height() / 2);
    mnuConfig->popup(at);
}

void TfmPrinc::mnuConfigPopup() { }

void TfmPrinc::mnuConfigSexofluxClick(QObject* sender)
{
    zv::swallowed([&] {
        TConfig config;
        if (sender)
            config.SetSexoflux(!config.GetSexoflux());
        const bool on = config.GetSexoflux();
        btnFctSexo->setVisible(on);
        btnFctVideo->setVisible(!on);
    });
}
