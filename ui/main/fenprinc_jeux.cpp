// The games section.
#include "portal/canaux.h"
#include "portal/cp1252.h"
#include "portal/nmhttp.h"
#include "ui/main/fenprinc.h"

#include <QTreeWidget>

void TfmPrinc::nmhListeJeuxSuccess(int)
{
    QByteArray body = nmhListeJeux->Body;
    body.replace("##", "\r\n");
    for (QByteArray line : zv::SplitLines(body)) {
        line.replace("%E%", "\xe9");
        new QTreeWidgetItem(tvListeJeux, {zv::fromCp1252(line)});
    }
}

void TfmPrinc::bindGames()
{
}
