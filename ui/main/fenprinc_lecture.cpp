// Playback controls and the status loop.
#include "base/errors.h"
#include "portal/nmhttp.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/fenprinc.h"
#include "ui/player/cadcurseur.h"
#include "ui/player/cadplayer.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <cmath>

namespace {

// The flag, not the effective visibility: the window may not be on screen yet.
bool shown(const QWidget* w)
{
    return !w->isHidden();
}

QTreeWidgetItem* selectedItem(const QTreeWidget* list)
{
    const QList<QTreeWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

int volumeOf(const TfrmCurseur* slider)
{
    return int(std::lround(slider->GetFraction() * 100.0));
}

} // namespace

void TfmPrinc::btnLectureClick(QObject* sender)
{
    QString address;
    int index = -1;
    bool episodeWithoutFile = false;
    const int channelRow = ListeCanauxSelectedRow();
    // The chat section hides the list but plays the radio its box selected.
    if ((shown(panListeCanaux) || shown(cmbChatRadio)) && channelRow >= 0)
        address = lvListeCanauxModel->data(lvListeCanauxModel->index(channelRow), TChannelListModel::UrlRole)
                      .toString();
    if (shown(panVideo)) {
        if (QTreeWidgetItem* item = selectedItem(lvVideo))
            address = item->text(3);
    }
    if (shown(pcMOD)) {
        if (sender == timLecture) {
            index = PlayingIndex;
        } else {
            QWidget* tab = pcMOD->currentWidget();
            if (tab == tsMODFichier) {
                if (QTreeWidgetItem* item = selectedItem(lvMODFichier))
                    address = item->text(1) + item->text(0);
            } else if (tab == tsMODPodcast) {
                if (QTreeWidgetItem* item = selectedItem(lvMODPodcast)) {
                    address = item->text(1);
                    episodeWithoutFile = address.isEmpty();
                }
            } else if (tab == tsMODRecherche) {
                if (QTreeWidgetItem* item = selectedItem(lvMODRecherche))
                    address = item->text(1);
            } else if (tab == tsMODFavoris) {
                if (QTreeWidgetItem* item = selectedItem(lvMODFavoris))
                    index = lvMODFavoris->indexOfTopLevelItem(item);
            }
        }
        if (!address.isEmpty())
            index = -1;
        else if (index < 0)
            index = -1;
        else if (QTreeWidgetItem* item = lvMODFavoris->topLevelItem(index))
            address = item->text(1);
    }
    PlayingIndex = index;

    if (!btnLecture->Actif())
        return;
    if (btnLecture->Enfonce()) {
        PlayingIndex = -1;
        frmPlayer->Stop();
        return;
    }
    if (address.isEmpty()) {
        // A feed item without an enclosure is listed; playing it says why nothing plays.
        if (episodeWithoutFile)
            throw zv::Error(QStringLiteral("URL vide"));
        return;
    }
    // Load throws zv::Abort when the engine cannot start: the rest is skipped.
    ++playStarts_;
    frmPlayer->Load(address);
    frmPlayer->Play();
    frmPlayer->SetVolume(volumeOf(frmCurseurSon));
    emit PlaybackStarted();
    if (shown(panListeCanaux) && cmbBouquet->currentIndex() == 0) {
        if (const auto row = lvListeCanauxModel->row(channelRow); row && row->data != 0)
            NotifyContentViewed(row->data);
    }
}

void TfmPrinc::btnPauseClick()
{
    frmPlayer->Pause();
}

void TfmPrinc::btnMuetClick()
{
    frmPlayer->ToggleMute();
}

void TfmPrinc::btnPleinEcranClick()
{
    frmPlayer->FullScreen();
}

void TfmPrinc::PlayerMessage(QObject*, const QString& message)
{
    lblStatutPlayer->setText(message);
}

void TfmPrinc::CurseurSonChange(TfrmCurseur* sender)
{
    // The volume follows the knob while it moves; the release adds nothing.
    if (!sender->IsIdle())
        frmPlayer->SetVolume(volumeOf(sender));
}

void TfmPrinc::CurseurVideoChange(TfrmCurseur* sender)
{
    // Seek once, when the knob is let go.
    if (sender->IsIdle())
        frmPlayer->SetPosition(sender->GetFraction());
}

void TfmPrinc::timLectureTimer()
{
    if (!btnLecture->Actif())
        return;
    const bool playing = frmPlayer->IsPlaying();
    if (playing != btnLecture->Enfonce()) {
        // A pause is no end of playback: only a stopped favourite moves on.
        if (!playing && !frmPlayer->IsPaused() && PlayingIndex >= 0) {
            if (!btnMODFavorisRepeterUne->isChecked())
                PlayingIndex = btnMODFavorisLectureContinue->isChecked() ? PlayingIndex + 1 : -1;
            if (PlayingIndex >= lvMODFavoris->topLevelItemCount())
                PlayingIndex = -1;
            if (PlayingIndex >= 0) {
                btnLecture->setEnfonce(false);
                btnLectureClick(timLecture);
            }
        }
        const bool active = frmPlayer->IsPlaying() || frmPlayer->IsPaused();
        btnLecture->setEnfonce(active);
        btnPause->setActif(active);
        btnPleinEcran->setActif(active);
        btnMuet->setActif(active);

        const bool nowPlaying = frmPlayer->IsPlaying();
        if (btnFctClipVideo->Enfonce())
            lblTelechargerMusique->setText(QStringLiteral("Télécharge cette musique sur ton pertable"));
        else if (btnFctMOD->Enfonce())
            lblTelechargerMusique->setText(QStringLiteral("Achetez votre MP3 à prix discount"));
        else if (btnFctVideo->Enfonce())
            lblTelechargerMusique->setText(QStringLiteral("Mettez et partagez vos vidéos en ligne"));
        lblTelechargerMusique->setVisible(
            nowPlaying && (btnFctClipVideo->Enfonce() || btnFctMOD->Enfonce() || btnFctVideo->Enfonce()));
    }
    btnPause->setEnfonce(frmPlayer->IsPaused());
    btnMuet->setEnfonce(frmPlayer->IsMuted());
    if (frmCurseurVideo->IsIdle())
        frmCurseurVideo->SetFraction(frmPlayer->GetPosition());
}

void TfmPrinc::NotifyContentViewed(int id)
{
    if (ContentViewedBusy)
        return;
    ContentViewedBusy = true;
    try {
        nmhContenuVu->Get(PortalRequest("/exe/vu.php?id=" + QByteArray::number(id)));
    } catch (...) {
        ContentViewedBusy = false;
        throw;
    }
    ContentViewedBusy = false;
}
