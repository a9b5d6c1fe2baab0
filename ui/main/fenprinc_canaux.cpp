// Channel lists and TV bouquets.
#include "portal/errors.h"
#include "portal/nmhttp.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/fenprinc.h"

#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>

namespace {

// The request of each bouquet of cmbBouquet, in its order.
constexpr const char* kBouquets[] = {"/exe/medias.php?t=3&colid", "/bouquet/free.m3u", "/bouquet/orange.m3u",
    "/bouquet/clubinternet.m3u", "/bouquet/belgacom.m3u"};

} // namespace

void TfmPrinc::SetListeCanauxIcons(zv::ChannelIcons icons)
{
    listeCanauxIcons_ = icons;
    switch (icons) {
    case zv::ChannelIcons::Tele: lvListeCanauxModel->setImages(&ilTele); break;
    case zv::ChannelIcons::Video: lvListeCanauxModel->setImages(&ilVideo); break;
    case zv::ChannelIcons::None: lvListeCanauxModel->setImages(nullptr); break;
    }
}

void TfmPrinc::ClearListeCanaux()
{
    lvListeCanauxModel->clear();
}

int TfmPrinc::ListeCanauxSelectedRow() const
{
    const QModelIndexList rows = lvListeCanaux->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TfmPrinc::SelectListeCanauxRow(int row)
{
    const QModelIndex index = lvListeCanauxModel->index(row, 0);
    if (!index.isValid())
        return;
    lvListeCanaux->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    lvListeCanaux->scrollTo(index);
}

void TfmPrinc::cmbBouquetChange()
{
    ClearListeCanaux();
    lblListeCanaux->setText(QStringLiteral("Liste des télévisions"));
    SetListeCanauxIcons(zv::ChannelIcons::Tele);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int index = cmbBouquet->currentIndex();
    if (index >= 0 && index < int(std::size(kBouquets)))
        zv::swallowed([&] { nmhListeCanaux->Get(PortalRequest(kBouquets[index])); });
    QApplication::restoreOverrideCursor();
}

void TfmPrinc::nmhListeCanauxSuccess(int)
{
    if (btnFctTele->Enfonce() && cmbBouquet->currentIndex() > 0) {
        SetListeCanauxIcons(zv::ChannelIcons::None);
        lvListeCanauxModel->setRows(zv::ReadM3uBouquet(nmhListeCanaux->Body));
        return;
    }
    zv::ChannelTable rows = zv::ReadChannelRecords(nmhListeCanaux->Body, listeCanauxIcons_);
    const int added = int(rows.size());
    // The answer is appended to what the list holds (the section switch and the
    // bouquet change empty it before they ask).
    lvListeCanauxModel->appendRows(std::move(rows));
    // The chat radio box mirrors the captions.
    cmbChatRadioModel->setCount(cmbChatRadioModel->rowCount() + added);
    if (cmbChatRadioModel->rowCount() > 0) {
        SelectListeCanauxRow(0);
        cmbChatRadio->setCurrentIndex(0);
    }
}

void TfmPrinc::lvListeCanauxDblClick()
{
    btnLectureClick(lvListeCanaux);
}

void TfmPrinc::cmbChatRadioClick()
{
    const int index = cmbChatRadio->currentIndex();
    if (index >= 0)
        SelectListeCanauxRow(index);
}
