// Channel lists and TV bouquets.
#include "base/errors.h"
#include "portal/nmhttp.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/fenprinc.h"
#include "ui/tv/channelfilter.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QScopeGuard>

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
    // The portal's rows again, every one of them.
    ShowChannelRows(lvListeCanauxModel);
}

int TfmPrinc::ListeCanauxSelectedRow() const
{
    const QModelIndex row = zv::selectedSource(lvListeCanaux);
    return row.isValid() ? row.row() : -1;
}

void TfmPrinc::SelectListeCanauxRow(int row)
{
    if (QAbstractItemModel* rows = lvListeCanauxFiltre->sourceModel())
        zv::selectSource(lvListeCanaux, rows->index(row, 0));
}

void TfmPrinc::cmbBouquetChange()
{
    // The last entry adds a list; the rows shown stay until it is added.
    if (cmbBouquet->currentIndex() == cmbBouquet->count() - 1 && cmbBouquet->count() > MesChainesIndex + 1) {
        cmbBouquet->setCurrentIndex(bouquetShown_);
        AddOwnList();
        return;
    }
    bouquetShown_ = cmbBouquet->currentIndex();
    // The newest bouquet chosen wins: the one still loading is dropped.
    const int choice = ++bouquetChoice_;
    const int visit = sectionVisit_;
    nmhListeCanaux->Abort();
    ClearListeCanaux();
    lblListeCanaux->setText(QStringLiteral("Liste des télévisions"));
    SetListeCanauxIcons(zv::ChannelIcons::Tele);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const int index = cmbBouquet->currentIndex();
    if (index >= int(std::size(kBouquets))) {
        ShowMoreBouquet(index);
        return;
    }
    if (index < 0)
        return;
    listeCanauxM3u_ = btnFctTele->Enfonce() && index > 0;
    try {
        GetFor(nmhListeCanaux, PortalRequest(kBouquets[index]),
            [this, choice, visit] { return choice == bouquetChoice_ && visit == sectionVisit_; });
    } catch (const zv::Error&) {
        // Not the user's concern: the list stays empty.
    }
}

void TfmPrinc::nmhListeCanauxSuccess(int)
{
    // The grammar of the list that was asked for, whatever the screen shows now.
    if (listeCanauxM3u_) {
        SetListeCanauxIcons(zv::ChannelIcons::None);
        lvListeCanauxModel->setRows(zv::ReadM3uBouquet(nmhListeCanaux->Body));
        RelocateMesChaines();
        return;
    }
    zv::ChannelTable rows = zv::ReadChannelRecords(nmhListeCanaux->Body, listeCanauxIcons_);
    const int added = int(rows.size());
    // The answer is appended to what the list holds (the section switch and the
    // bouquet change empty it before they ask).
    lvListeCanauxModel->appendRows(std::move(rows));
    RelocateMesChaines();
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
