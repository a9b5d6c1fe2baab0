// The video search section.
#include "portal/textutil.h"
#include "ui/browser/webbrowser.h"
#include "ui/main/fenprinc.h"

#include <QLabel>
#include <QTreeWidget>
#include <cmath>

void TfmPrinc::edtVideoRechercheChange()
{
    lvVideo->clear();
    wbVideoImage->setFixedWidth(int(std::lround(wbVideoImage->height() * 4.0 / 3.0)));
    const QColor colour = lvVideo->palette().color(QPalette::Base);
    wbVideoImage->Navigate(
        QString::fromLatin1(PortalRequest("/exe/podcast_image.php?couleur=" + ColorToHtml(colour))));
    lblVideoDuree->setText(QStringLiteral("-- : --"));
}

void TfmPrinc::bindVideo()
{
}
