// Playback controls and the status loop.
#include "portal/nmhttp.h"
#include "ui/controls/btngraph.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"
#include "ui/main/playbackmemory.h"
#include "ui/player/cadcurseur.h"
#include "ui/player/cadplayer.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <cmath>

namespace {

int volumeOf(const TfrmCurseur* slider)
{
    return int(std::lround(slider->GetFraction() * 100.0));
}

} // namespace

QAbstractItemView* TfmPrinc::ShownList() const
{
    // The chat section plays the radio its box selected in the hidden list.
    if (btnFctTele->Enfonce() || btnFctClipVideo->Enfonce() || btnFctRadio->Enfonce()
        || btnFctChat->Enfonce())
        return lvListeCanaux;
    if (btnFctVideo->Enfonce())
        return lvVideo;
    if (!btnFctMOD->Enfonce())
        return nullptr;
    const QWidget* tab = pcMOD->currentWidget();
    if (tab == tsMODFichier)
        return lvMODFichier;
    if (tab == tsMODPodcast)
        return lvMODPodcast;
    if (tab == tsMODRecherche)
        return lvMODRecherche;
    if (tab == tsMODFavoris)
        return lvMODFavoris;
    return nullptr;
}

TPlayEntry TfmPrinc::FavouriteEntry(int row) const
{
    TPlayEntry entry = zv::playEntry(lvMODFavoris, lvMODFavorisModel->index(row, 0));
    entry.favourite = row < 0 ? -1 : row;
    return entry;
}

TPlayEntry TfmPrinc::EntryOf(QAbstractItemView* list, const QModelIndex& source) const
{
    if (list == lvMODFavoris)
        return FavouriteEntry(source.isValid() ? source.row() : -1);
    TPlayEntry entry = zv::playEntry(list, source);
    // Only the portal's own lists count views: not the bouquets of the boxes,
    // nor the radio the chat plays.
    if (list != lvListeCanaux || cmbBouquet->currentIndex() != 0 || btnFctChat->Enfonce())
        entry.contentId = 0;
    entry.wholeAddress = list == lvListeCanaux && OwnAddress(source);
    return entry;
}

TPlayEntry TfmPrinc::EntryToPlay(QObject* sender) const
{
    if (sender == timLecture && btnFctMOD->Enfonce())
        return FavouriteEntry(PlayingIndex);
    QAbstractItemView* list = ShownList();
    return EntryOf(list, zv::selectedSource(list));
}

void TfmPrinc::btnLectureClick(QObject* sender)
{
    const TPlayEntry entry = EntryToPlay(sender);
    PlayingIndex = entry.favourite;
    if (!btnLecture->Actif())
        return;
    if (btnLecture->Enfonce()) {
        // The button stops; a double-click on another row that has something
        // to play goes straight to it, one on the row playing stops.
        const bool otherRow = qobject_cast<QAbstractItemView*>(sender) && !entry.address.isEmpty()
            && !entry.sameRow(NowPlaying());
        if (!otherRow) {
            StopPlaying();
            return;
        }
    }
    // An empty address (an episode without a file) plays nothing, silently.
    Play(entry);
}

void TfmPrinc::Play(const TPlayEntry& entry)
{
    PlayingIndex = entry.favourite;
    if (!btnLecture->Actif() || entry.address.isEmpty())
        return;
    // Load throws zv::Abort when the engine cannot start: the rest is skipped.
    ++playStarts_;
    nowPlaying_ = TPlayEntry();
    playbackMemory_->keep();
    frmPlayer->Load(entry.address, entry.wholeAddress ? AddressLength::Whole : AddressLength::PortalCut);
    frmPlayer->Play();
    frmPlayer->SetVolume(volumeOf(frmCurseurSon));
    nowPlaying_ = entry;
    UpdateProgramme();
    playbackMemory_->started(entry, frmPlayer->playerControl());
    emit PlaybackStarted();
    if (entry.contentId != 0)
        NotifyContentViewed(entry.contentId);
}

void TfmPrinc::StopPlaying()
{
    PlayingIndex = -1;
    playbackMemory_->keep();
    frmPlayer->Stop();
}

TPlayEntry TfmPrinc::NowPlaying() const
{
    return frmPlayer->url().isEmpty() ? TPlayEntry() : nowPlaying_;
}

TPlayEntry TfmPrinc::Neighbour(int step) const
{
    if (PlayingIndex >= 0) {
        const int to = PlayingIndex + step;
        return to >= 0 && to < lvMODFavorisModel->rowCount() ? FavouriteEntry(to) : TPlayEntry();
    }
    const TPlayEntry playing = NowPlaying();
    QAbstractItemView* list = playing.list ? playing.list.data() : ShownList();
    const QModelIndex from = playing.list ? QModelIndex(playing.source) : zv::selectedSource(list);
    const QModelIndex to = zv::neighbourSource(list, from, step);
    return to.isValid() ? EntryOf(list, to) : TPlayEntry();
}

void TfmPrinc::Skip(int step)
{
    const TPlayEntry to = Neighbour(step);
    if (!to.source.isValid())
        return;
    if (PlayingIndex >= 0) {
        // Continuous play goes on from there, as at the end of a favourite.
        Play(to);
        return;
    }
    // The user sees the row it moves to, in the tab it belongs to.
    for (QWidget* p = to.list; p; p = p->parentWidget()) {
        if (pcMOD->indexOf(p) >= 0) {
            pcMOD->setCurrentWidget(p);
            break;
        }
    }
    zv::selectSource(to.list, to.source);
    if (to.list == lvListeCanaux && !cmbChatRadio->isHidden())
        cmbChatRadio->setCurrentIndex(to.source.row());
    if (frmPlayer->IsPlaying() || frmPlayer->IsPaused())
        Play(to);
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
    playbackMemory_->tick();
    const bool playing = frmPlayer->IsPlaying();
    if (playing != btnLecture->Enfonce()) {
        // A pause is no end of playback: only a stopped favourite moves on.
        if (!playing && !frmPlayer->IsPaused() && PlayingIndex >= 0) {
            if (!btnMODFavorisRepeterUne->isChecked())
                PlayingIndex = btnMODFavorisLectureContinue->isChecked() ? PlayingIndex + 1 : -1;
            if (PlayingIndex >= lvMODFavorisModel->rowCount())
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
    UpdateProgramme();
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
