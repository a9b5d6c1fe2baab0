// Media on demand: "Mes fichiers" (local files or a typed address) and
// "Podcast" (the portal's catalogue and each podcast's feed).
#include "base/errors.h"
#include "portal/cp1252.h"
#include "portal/nmhttp.h"
#include "portal/podcast.h"
#include "portal/podcasts/feed.h"
#include "portal/podcasts/subscriptions.h"
#include "portal/textutil.h"
#include "portal/userstate.h"
#include "ui/browser/webbrowser.h"
#include "ui/main/entrydelegate.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"
#include "ui/main/playbackmemory.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSet>
#include <QTabWidget>
#include <QTreeView>
#include <optional>

namespace {

TfmPrinc::TFichierDialog& fichierDialog()
{
    static TfmPrinc::TFichierDialog hook;
    return hook;
}

QStringList runFichierDialog(QWidget* parent)
{
    if (const TfmPrinc::TFichierDialog& hook = fichierDialog())
        return hook(parent);
    QFileDialog odMODFichier(parent, QStringLiteral("Ouvrir des fichiers multimédia"));
    // The classic formats first, chosen when the dialog opens; then the others
    // the engines play, and every file.
    odMODFichier.setNameFilters(
        {QStringLiteral("Fichiers vidéo et audio (*.AVI *.MPG *.MPEG *.MP3 *.WMV *.FLV)"),
            QStringLiteral("Autres fichiers vidéo et audio (*.MP4 *.MKV *.WEBM *.OGG *.FLAC *.M4A)"),
            QStringLiteral("Tous les fichiers (*)")});
    odMODFichier.setFileMode(QFileDialog::ExistingFiles);
    odMODFichier.setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog, whose patterns ignore case ("clip.avi" is listed); a
    // platform dialog might not.
    odMODFichier.setOption(QFileDialog::DontUseNativeDialog);
    odMODFichier.setFilter(odMODFichier.filter() & ~QDir::CaseSensitive);
    if (odMODFichier.exec() != QDialog::Accepted)
        return {};
    return odMODFichier.selectedFiles();
}

// The selected node, else the current one.
QModelIndex selectedOrCurrent(const QAbstractItemView* tree)
{
    const QModelIndex selected = zv::selectedSource(tree);
    return selected.isValid() ? selected : zv::sourceIndex(tree->currentIndex());
}

// A row of "Mes fichiers": it plays its folder followed by its name.
zv::Entry fileEntry(const QString& name, const QString& folder)
{
    return {.kind = zv::EntryKind::File, .caption = name, .address = folder + name, .folder = folder};
}

// One line of text asked for, wide enough for a usual address; nothing when
// cancelled or when the window went while the prompt waited.
std::optional<QString> askText(
    QWidget* parent, const QString& title, const QString& label, const QString& initial = {})
{
    const QPointer<QInputDialog> prompt = new QInputDialog(parent);
    prompt->setWindowTitle(title);
    prompt->setLabelText(label);
    prompt->setInputMode(QInputDialog::TextInput);
    prompt->setTextValue(initial);
    const int wide = prompt->fontMetrics().averageCharWidth() * 90;
    const QScreen* screen = parent->screen();
    const int room = screen ? screen->availableGeometry().width() - 40 : wide;
    prompt->resize(qMax(prompt->sizeHint().width(), qMin(wide, room)), prompt->sizeHint().height());
    const bool accepted = prompt->exec() == QDialog::Accepted;
    // The prompt goes with its window, should the window go while it waits.
    if (!prompt)
        return std::nullopt;
    const QString text = prompt->textValue();
    delete prompt;
    if (!accepted)
        return std::nullopt;
    return text;
}

// A name or address asked for, without the blanks around it; nothing when
// cancelled or left blank.
std::optional<QString> askTrimmed(
    QWidget* parent, const QString& title, const QString& label, const QString& initial = {})
{
    const std::optional<QString> typed = askText(parent, title, label, initial);
    if (!typed || typed->trimmed().isEmpty())
        return std::nullopt;
    return typed->trimmed();
}

// A message box of the window's own; true for "Oui" when it asks.
bool tell(QWidget* parent, const QString& text, bool ask = false)
{
    const QPointer<QMessageBox> box = new QMessageBox(ask ? QMessageBox::Question : QMessageBox::Information,
        QApplication::applicationDisplayName(), text,
        ask ? QMessageBox::Yes | QMessageBox::No : QMessageBox::StandardButtons(QMessageBox::Ok), parent);
    if (ask)
        box->setDefaultButton(QMessageBox::No);
    const int answer = box->exec();
    if (!box)
        return false;
    delete box;
    return answer == QMessageBox::Yes;
}

TfmPrinc::TAbonnementsDialog& abonnementsDialog()
{
    static TfmPrinc::TAbonnementsDialog hook;
    return hook;
}

QString runAbonnementsDialog(QWidget* parent, bool save)
{
    if (const TfmPrinc::TAbonnementsDialog& hook = abonnementsDialog())
        return hook(parent, save);
    const QPointer<QFileDialog> dialog = new QFileDialog(
        parent, save ? QStringLiteral("Exporter mes podcasts") : QStringLiteral("Importer des podcasts"));
    dialog->setNameFilters({QStringLiteral("Listes d'abonnements OPML (*.opml *.xml)"),
        QStringLiteral("Tous les fichiers (*)")});
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setDefaultSuffix(QStringLiteral("opml"));
        dialog->selectFile(QStringLiteral("mes-podcasts.opml"));
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog)
        return {};
    const QStringList chosen = dialog->selectedFiles();
    delete dialog;
    return accepted && !chosen.isEmpty() ? chosen.first() : QString();
}

// A subscription list larger than this is no list a person keeps.
constexpr qint64 MaxSubscriptionFile = 64 * 1024 * 1024;

const QString MesPodcasts = QStringLiteral("Mes podcasts");

// The user's folder a node stands for or sits in: "Mes podcasts" is 0; -1
// outside the user's podcasts.
qint64 ownFolderOf(const QModelIndex& node)
{
    for (QModelIndex n = node; n.isValid(); n = n.parent()) {
        if (n.data(zv::KindRole).toInt() == int(zv::EntryKind::OwnFolder))
            return n.data(zv::ContentIdRole).toLongLong();
        if (n.data(zv::KindRole).toInt() != int(zv::EntryKind::OwnPodcast))
            return -1;
    }
    return -1;
}

bool isOwn(const QModelIndex& node)
{
    const int kind = node.data(zv::KindRole).toInt();
    return kind == int(zv::EntryKind::OwnFolder) || kind == int(zv::EntryKind::OwnPodcast);
}

// The id of the user's folder or podcast a node stands for; 0 for anything
// else ("Mes podcasts" included).
qint64 ownIdOf(const QModelIndex& node)
{
    return isOwn(node) ? node.data(zv::ContentIdRole).toLongLong() : 0;
}

// The tree's context menu, by the mouse on the node under it, by the keyboard
// on the current node.
class ContextMenuFilter : public QObject {
public:
    ContextMenuFilter(QTreeView* tree, std::function<void(const QPoint&)> show)
        : QObject(tree)
        , tree_(tree)
        , show_(std::move(show))
    {
        tree->installEventFilter(this);
        tree->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ContextMenu)
            return false;
        auto* e = static_cast<QContextMenuEvent*>(event);
        QPoint at = e->globalPos();
        if (e->reason() == QContextMenuEvent::Mouse && watched == tree_->viewport()) {
            const QModelIndex node = tree_->indexAt(e->pos());
            if (node.isValid())
                tree_->setCurrentIndex(node);
        } else {
            const QRect r = tree_->visualRect(tree_->currentIndex());
            at = tree_->viewport()->mapToGlobal(r.isValid() ? r.center() : QPoint(8, 8));
        }
        show_(at);
        return true;
    }

private:
    QTreeView* tree_;
    std::function<void(const QPoint&)> show_;
};

} // namespace

void TfmPrinc::setFichierDialog(TFichierDialog dialog)
{
    fichierDialog() = std::move(dialog);
}

void TfmPrinc::btnMODFichierOuvrirClick()
{
    const QStringList files = runFichierDialog(this);
    if (files.isEmpty())
        return;
    std::vector<zv::Entry> rows;
    for (const QString& file : files) {
        const QFileInfo info(file);
        QString folder = QDir::toNativeSeparators(info.absolutePath());
        if (!folder.endsWith(QDir::separator()))
            folder += QDir::separator();
        rows.push_back(fileEntry(info.fileName(), folder));
    }
    lvMODFichierModel->clear();
    lvMODFichierModel->append(std::move(rows));
}

void TfmPrinc::btnMODFichierOuvrirURLClick()
{
    const std::optional<QString> typed
        = askText(this, btnMODFichierOuvrirURL->text(), QStringLiteral("URL :"));
    if (!typed)
        return;
    const QString& text = *typed;
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    const QString name = slash < 0 ? QString() : text.mid(slash + 1);
    const QString folder = slash < 0 ? text : text.left(slash + 1);
    lvMODFichierModel->clear();
    lvMODFichierModel->append(fileEntry(name, folder));
}

void TfmPrinc::lvMODFichierDblClick()
{
    btnLectureClick(lvMODFichier);
}

void TfmPrinc::pcMODChange()
{
    if (pcMOD->currentWidget() == tsMODRecherche)
        edtMODRecherche->setFocus();
}

void TfmPrinc::nmhMODPodcastSuccess(int)
{
    const zv::PodcastCatalogue catalogue = zv::ParsePodcastCatalogue(nmhMODPodcast->Body);
    tvMODPodcastModel->clear();
    PodcastFeeds->clear();
    QModelIndex group;
    QModelIndex subgroup;
    for (const zv::PodcastEntry& e : catalogue.entries) {
        const QString g = zv::fromCp1252(e.group);
        const QString s = zv::fromCp1252(e.subgroup);
        if (!group.isValid() || group.data().toString() != g) {
            group = tvMODPodcastModel->append({.kind = zv::EntryKind::PodcastGroup, .caption = g});
            // A new group starts its own subgroups: a subgroup name shared with
            // the previous group must not put this podcast under that group.
            subgroup = QModelIndex();
        }
        if (!subgroup.isValid() || subgroup.data().toString() != s)
            subgroup
                = tvMODPodcastModel->append({.kind = zv::EntryKind::PodcastSubgroup, .caption = s}, group);
        tvMODPodcastModel->append({.kind = zv::EntryKind::Podcast,
                                      .caption = zv::fromCp1252(e.title),
                                      .address = zv::fromCp1252(e.feed),
                                      .contentId = e.id},
            subgroup);
        // Keyed by the number as the tree gives it back ("007" is found as "7").
        PodcastFeeds->append({QByteArray::number(e.id), e.feed});
        tvMODPodcast->setExpanded(zv::viewIndex(tvMODPodcast, group), true);
    }
    FillOwnPodcasts();
    if (!catalogue.badLines.empty()) {
        QStringList numbers;
        for (int n : catalogue.badLines)
            numbers << QString::number(n);
        // Reported, not thrown: the section switch goes on.
        zv::reportError(catalogue.badLines.size() == 1
                ? QStringLiteral("Catalogue des podcasts : la ligne %1 est illisible, elle est ignorée.")
                      .arg(numbers.first())
                : QStringLiteral(
                    "Catalogue des podcasts : les lignes %1 sont illisibles, elles sont ignorées.")
                      .arg(numbers.join(QStringLiteral(", "))));
    }
}

void TfmPrinc::tvMODPodcastDblClick()
{
    const QModelIndex node = selectedOrCurrent(tvMODPodcast);
    const int kind = node.data(zv::KindRole).toInt();
    if (kind != int(zv::EntryKind::Podcast) && kind != int(zv::EntryKind::OwnPodcast))
        return;
    QByteArray address;
    if (kind == int(zv::EntryKind::OwnPodcast)) {
        // Sent as the web writes it: non-ASCII characters escaped.
        address = QUrl(node.data(zv::AddressRole).toString()).toEncoded();
    } else {
        const QByteArray id = QByteArray::number(node.data(zv::ContentIdRole).toInt());
        for (const auto& [key, feed] : *PodcastFeeds) {
            if (key == id) {
                address = feed.trimmed();
                break;
            }
        }
    }
    // Without an address the request fails with "URL vide", which the user sees.
    if (address.isEmpty()) {
        nmhMODPodcastDetail->Get(address);
        return;
    }
    // The newest podcast chosen wins: a slow feed does not hold the others up.
    const int choice = ++podcastChoice_;
    const int visit = sectionVisit_;
    const auto stillWanted
        = [this, choice, visit] { return choice == podcastChoice_ && visit == sectionVisit_; };
    nmhMODPodcastDetail->Abort();
    podcastOwnId_ = kind == int(zv::EntryKind::OwnPodcast) ? node.data(zv::ContentIdRole).toLongLong() : 0;
    podcastFeed_ = podcastOwnId_ ? node.data(zv::AddressRole).toString() : zv::fromCp1252(address);
    podcastOwnRead_ = false;
    // The tree may be rebuilt while the feed is on its way.
    const QString title = node.data().toString();
    GetFor(nmhMODPodcastDetail, address, stillWanted);
    // A feed of the user's that the server refused says so; the portal's
    // podcasts keep their silence.
    if (podcastOwnId_ && stillWanted() && !podcastOwnRead_) {
        const int status = nmhMODPodcastDetail->StatusCode();
        zv::reportError(QStringLiteral("Le podcast « %1 » n'a pas pu être lu : %2")
                            .arg(title,
                                status > 0 ? QStringLiteral("le serveur a répondu %1.").arg(status)
                                           : QStringLiteral("le serveur n'a pas donné de réponse HTTP.")));
    }
}

void TfmPrinc::nmhMODPodcastDetailSuccess(int)
{
    lvMODPodcastModel->clear();
    lvMODPodcast->setColumnWidth(0, qMax(0, lvMODPodcast->width() - 20));
    wbMODPodcast->Navigate(QStringLiteral("about:blank"));

    const zv::PodcastFeed feed = zv::ParsePodcastFeed(nmhMODPodcastDetail->Body);
    if (!feed.picture.isEmpty())
        ShowPodcastPicture(feed.picture);
    std::vector<zv::Entry> rows;
    std::vector<QByteArray> keys;
    rows.reserve(feed.episodes.size());
    keys.reserve(feed.episodes.size());
    for (const zv::PodcastEpisode& e : feed.episodes) {
        rows.push_back({.kind = zv::EntryKind::Episode,
            .caption = zv::fromCp1252(e.title),
            .address = zv::fromCp1252(e.url)});
        // The portal's feeds name their episodes by their address alone.
        keys.push_back(e.url.isEmpty() ? "titre:" + e.title : e.url);
    }
    MarkEpisodes(rows, podcastFeed_, keys);
    lvMODPodcastModel->append(std::move(rows));
}

void TfmPrinc::nmhMODPodcastPersoSuccess(int)
{
    podcastOwnRead_ = true;
    lvMODPodcastModel->clear();
    lvMODPodcast->setColumnWidth(0, qMax(0, lvMODPodcast->width() - 20));
    wbMODPodcast->Navigate(QStringLiteral("about:blank"));
    const zv::FeedReading feed = zv::ReadFeed(nmhMODPodcastDetail->Body, podcastFeed_);
    // The portal's page shows it as it shows its own podcasts' pictures, given
    // the address as the web writes it, as theirs are.
    if (!feed.picture.isEmpty())
        ShowPodcastPicture(QUrl(feed.picture).toEncoded());
    std::vector<zv::Entry> rows;
    std::vector<QByteArray> keys;
    rows.reserve(feed.episodes.size());
    keys.reserve(feed.episodes.size());
    for (const zv::FeedEpisode& e : feed.episodes) {
        rows.push_back({.kind = zv::EntryKind::Episode,
            .caption = e.title,
            .address = e.url,
            .duration = e.seconds > 0 ? zv::ClockText(qint64(e.seconds) * 1000) : QString(),
            .published = e.published});
        keys.push_back(e.key);
    }
    // A feed that could not be read whole is not taken as a visit: what it
    // left out would come back as new.
    MarkEpisodes(rows, podcastFeed_, keys, feed.error.isEmpty());
    lvMODPodcastModel->append(std::move(rows));

    // A podcast added by its address alone takes the title its feed gives.
    const qint64 id = podcastOwnId_;
    const QModelIndex node = selectedOrCurrent(tvMODPodcast);
    if (!feed.title.trimmed().isEmpty() && node.data(zv::ContentIdRole).toLongLong() == id
        && node.data().toString() == podcastFeed_
        && zv::UserState::instance().renameOwnPodcast(id, feed.title.trimmed()))
        FillOwnPodcasts(id);
    if (!feed.error.isEmpty())
        zv::reportError(feed.error);
}

void TfmPrinc::MarkEpisodes(
    std::vector<zv::Entry>& rows, const QString& feed, const std::vector<QByteArray>& keys, bool visited)
{
    zv::UserState& state = zv::UserState::instance();
    const std::optional<zv::UserState::PodcastVisit> visit = state.feedVisit(feed);
    // The playback memory shows where each stopped and what was heard once
    // the rows are in; an episode heard already is never new.
    for (size_t i = 0; i < rows.size() && i < keys.size(); ++i) {
        zv::Entry& row = rows[i];
        // The first visit has nothing to compare with: nothing is new yet.
        if (!visit || visit->episodes.contains(keys[i]))
            continue;
        const auto kept = state.playback(TPlaybackMemory::keyOf(row.address));
        if (!kept || !kept->heard)
            row.mark = zv::EntryMark::New;
    }
    if (visited)
        state.markFeedVisited(feed, keys);
}

void TfmPrinc::FillOwnPodcasts(qint64 select)
{
    // What was open and chosen under "Mes podcasts" stays so.
    const int last = tvMODPodcastModel->rowCount() - 1;
    const QModelIndex oldRoot = tvMODPodcastModel->index(last, 0);
    QSet<qint64> expanded;
    bool rootExpanded = true;
    if (oldRoot.data(zv::KindRole).toInt() == int(zv::EntryKind::OwnFolder)) {
        rootExpanded = tvMODPodcast->isExpanded(zv::viewIndex(tvMODPodcast, oldRoot));
        std::vector<QModelIndex> pending{oldRoot};
        while (!pending.empty()) {
            const QModelIndex n = pending.back();
            pending.pop_back();
            for (int i = 0; i < tvMODPodcastModel->rowCount(n); ++i) {
                const QModelIndex child = tvMODPodcastModel->index(i, 0, n);
                if (child.data(zv::KindRole).toInt() != int(zv::EntryKind::OwnFolder))
                    continue;
                if (tvMODPodcast->isExpanded(zv::viewIndex(tvMODPodcast, child)))
                    expanded.insert(child.data(zv::ContentIdRole).toLongLong());
                pending.push_back(child);
            }
        }
        const QModelIndex chosen = selectedOrCurrent(tvMODPodcast);
        if (!select && isOwn(chosen) && chosen != oldRoot)
            select = chosen.data(zv::ContentIdRole).toLongLong();
        tvMODPodcastModel->removeRows(last, 1);
    }

    const QModelIndex root
        = tvMODPodcastModel->append({.kind = zv::EntryKind::OwnFolder, .caption = MesPodcasts});
    // Depth first, each folder before what it holds: the parents are the
    // last folder seen at each depth.
    std::vector<QModelIndex> parents{root};
    QModelIndex chosen = select ? QModelIndex() : root;
    for (const zv::UserState::OwnPodcast& p : zv::UserState::instance().ownPodcasts()) {
        parents.resize(std::min<size_t>(parents.size(), size_t(p.depth) + 1));
        const QModelIndex node = tvMODPodcastModel->append(
            {.kind = p.isFolder() ? zv::EntryKind::OwnFolder : zv::EntryKind::OwnPodcast,
                .caption = p.title.isEmpty() ? p.feedUrl : p.title,
                .address = p.feedUrl,
                .contentId = int(p.id)},
            parents.back());
        if (p.isFolder())
            parents.push_back(node);
        if (p.id == select)
            chosen = node;
    }
    tvMODPodcast->setExpanded(zv::viewIndex(tvMODPodcast, root), rootExpanded);
    std::vector<QModelIndex> pending{root};
    while (!pending.empty()) {
        const QModelIndex n = pending.back();
        pending.pop_back();
        for (int i = 0; i < tvMODPodcastModel->rowCount(n); ++i) {
            const QModelIndex child = tvMODPodcastModel->index(i, 0, n);
            if (expanded.contains(child.data(zv::ContentIdRole).toLongLong())
                && child.data(zv::KindRole).toInt() == int(zv::EntryKind::OwnFolder)) {
                tvMODPodcast->setExpanded(zv::viewIndex(tvMODPodcast, child), true);
                pending.push_back(child);
            }
        }
    }
    if (select && chosen.isValid()) {
        for (QModelIndex p = chosen.parent(); p.isValid(); p = p.parent())
            tvMODPodcast->setExpanded(zv::viewIndex(tvMODPodcast, p), true);
        tvMODPodcast->setCurrentIndex(zv::viewIndex(tvMODPodcast, chosen));
    }
    mnuMODPodcastPersoPopup();
}

void TfmPrinc::mnuMODPodcastPersoPopup()
{
    // Only what the chosen node allows is offered (the themes draw a disabled
    // item as a heading).
    const bool own = ownIdOf(selectedOrCurrent(tvMODPodcast)) != 0;
    mnuMODPodcastRenommer->setVisible(own);
    mnuMODPodcastSupprimer->setVisible(own);
    // "Mes podcasts" is always the last top node.
    mnuMODPodcastExporter->setVisible(
        tvMODPodcastModel->rowCount(tvMODPodcastModel->index(tvMODPodcastModel->rowCount() - 1, 0)) > 0);
}

void TfmPrinc::mnuMODPodcastAjouterClick()
{
    const qint64 folder = std::max<qint64>(0, ownFolderOf(selectedOrCurrent(tvMODPodcast)));
    const std::optional<QString> typed = askTrimmed(
        this, QStringLiteral("Ajouter un podcast"), QStringLiteral("Adresse du flux (http ou https) :"));
    if (!typed)
        return;
    const QString& text = *typed;
    const QUrl url = QUrl::fromUserInput(text);
    const QString address = url.isValid() ? zv::FeedAddress(url.toString()) : QString();
    if (address.isEmpty()) {
        zv::reportError(
            QStringLiteral("« %1 » n'est pas l'adresse d'un flux de podcast : elle doit commencer par "
                           "http:// ou https:// et nommer un serveur.")
                .arg(text));
        return;
    }
    zv::UserState& state = zv::UserState::instance();
    if (const qint64 listed = state.findOwnPodcast(address)) {
        FillOwnPodcasts(listed);
        zv::reportError(QStringLiteral("Ce podcast est déjà dans Mes podcasts."));
        return;
    }
    const qint64 id = state.addOwnPodcast(folder, QString(), address);
    if (!id) {
        zv::reportError(QStringLiteral("Le podcast n'a pas pu être ajouté : Mes podcasts ne peuvent pas être "
                                       "enregistrés."));
        return;
    }
    FillOwnPodcasts(id);
    tvMODPodcastDblClick();
}

void TfmPrinc::mnuMODPodcastDossierClick()
{
    const qint64 folder = std::max<qint64>(0, ownFolderOf(selectedOrCurrent(tvMODPodcast)));
    const std::optional<QString> name
        = askTrimmed(this, QStringLiteral("Nouveau dossier"), QStringLiteral("Nom du dossier :"));
    if (!name)
        return;
    if (const qint64 id = zv::UserState::instance().addOwnPodcast(folder, *name))
        FillOwnPodcasts(id);
}

void TfmPrinc::mnuMODPodcastRenommerClick()
{
    const QModelIndex node = selectedOrCurrent(tvMODPodcast);
    const qint64 id = ownIdOf(node);
    if (!id)
        return;
    const std::optional<QString> name = askTrimmed(
        this, QStringLiteral("Renommer"), QStringLiteral("Nouveau nom :"), node.data().toString());
    if (!name)
        return;
    if (zv::UserState::instance().renameOwnPodcast(id, *name))
        FillOwnPodcasts(id);
}

void TfmPrinc::mnuMODPodcastSupprimerClick()
{
    const QModelIndex node = selectedOrCurrent(tvMODPodcast);
    const qint64 id = ownIdOf(node);
    if (!id)
        return;
    const bool folder = node.data(zv::KindRole).toInt() == int(zv::EntryKind::OwnFolder);
    const QString title = node.data().toString();
    if (!tell(this,
            folder && tvMODPodcastModel->rowCount(node) > 0
                ? QStringLiteral("Supprimer le dossier « %1 » et tout ce qu'il contient ?").arg(title)
                : QStringLiteral("Supprimer « %1 » de Mes podcasts ?").arg(title),
            true))
        return;
    // The podcast that goes stops filling the episode list.
    if (podcastOwnId_ == id || (folder && ownFolderOf(node) >= 0)) {
        ++podcastChoice_;
        nmhMODPodcastDetail->Abort();
    }
    if (zv::UserState::instance().removeOwnPodcast(id)) {
        FillOwnPodcasts();
        tvMODPodcast->setCurrentIndex(
            zv::viewIndex(tvMODPodcast, tvMODPodcastModel->index(tvMODPodcastModel->rowCount() - 1, 0)));
    }
}

void TfmPrinc::mnuMODPodcastImporterClick()
{
    const qint64 folder = std::max<qint64>(0, ownFolderOf(selectedOrCurrent(tvMODPodcast)));
    const QString path = runAbonnementsDialog(this, false);
    if (path.isEmpty())
        return;
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        zv::reportError(QStringLiteral("Le fichier « %1 » n'a pas pu être ouvert.").arg(name));
        return;
    }
    if (file.size() > MaxSubscriptionFile) {
        zv::reportError(QStringLiteral(
            "Le fichier « %1 » est trop grand pour une liste d'abonnements : rien n'a été importé.")
                            .arg(name));
        return;
    }
    const zv::SubscriptionReading list = zv::ReadSubscriptions(file.readAll());
    // All or nothing: a list read only in part is not taken.
    if (!list.error.isEmpty()) {
        zv::reportError(QStringLiteral("Rien n'a été importé de « %1 ».\n%2").arg(name, list.error));
        return;
    }
    if (list.podcasts == 0) {
        zv::reportError(QStringLiteral("« %1 » ne contient aucun podcast : rien n'a été importé.").arg(name));
        return;
    }
    const int added = zv::UserState::instance().importOwnPodcasts(folder, list.outlines);
    if (added < 0) {
        zv::reportError(QStringLiteral("Mes podcasts n'ont pas pu être enregistrés : rien n'a été importé."));
        return;
    }
    FillOwnPodcasts();
    QString report = added == 0 ? QStringLiteral("Aucun podcast ajouté")
        : added == 1            ? QStringLiteral("1 podcast ajouté")
                                : QStringLiteral("%1 podcasts ajoutés").arg(added);
    report += QStringLiteral(" à Mes podcasts depuis « %1 ».").arg(name);
    if (const int known = list.podcasts - added; known > 0)
        report += known == 1 ? QStringLiteral("\n1 podcast y était déjà.")
                             : QStringLiteral("\n%1 podcasts y étaient déjà.").arg(known);
    if (!list.notice.isEmpty())
        report += QLatin1Char('\n') + list.notice;
    tell(this, report);
}

void TfmPrinc::mnuMODPodcastExporterClick()
{
    const std::vector<zv::PodcastOutline> tree = zv::UserState::instance().ownPodcastTree();
    if (tree.empty())
        return;
    const QString path = runAbonnementsDialog(this, true);
    if (path.isEmpty())
        return;
    // Written beside and put in place whole: a failed export leaves the file
    // that was there.
    QSaveFile file(path);
    const QByteArray bytes = zv::WriteSubscriptions(tree, MesPodcasts);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        zv::reportError(
            QStringLiteral("Le fichier « %1 » n'a pas pu être écrit.").arg(QFileInfo(path).fileName()));
}

void TfmPrinc::ShowPodcastPicture(const QByteArray& address)
{
    const QColor colour = lvMODPodcast->palette().color(QPalette::Base);
    wbMODPodcast->Navigate(zv::fromCp1252(
        PortalRequest("/exe/podcast_image.php?couleur=" + ColorToHtml(colour) + "&url=" + address)));
}

void TfmPrinc::lvMODPodcastDblClick()
{
    btnLectureClick(lvMODPodcast);
}

void TfmPrinc::bindPodcast()
{
    connect(btnMODFichierOuvrir, &QPushButton::clicked, this, guard([this] { btnMODFichierOuvrirClick(); }));
    connect(btnMODFichierOuvrirURL, &QPushButton::clicked, this,
        guard([this] { btnMODFichierOuvrirURLClick(); }));
    connect(lvMODFichier, &QAbstractItemView::doubleClicked, this, guard([this] { lvMODFichierDblClick(); }));
    connect(pcMOD, &QTabWidget::currentChanged, this, guard([this] { pcMODChange(); }));
    connect(tvMODPodcast, &QAbstractItemView::doubleClicked, this, guard([this] { tvMODPodcastDblClick(); }));
    connect(lvMODPodcast, &QAbstractItemView::doubleClicked, this, guard([this] { lvMODPodcastDblClick(); }));
    // The caption column keeps the width the feed gives it (room for the scroll bar).
    lvMODPodcast->header()->setStretchLastSection(false);
    nmhMODPodcastDetail->OnSuccess = [this](int cmd) {
        if (podcastOwnId_)
            nmhMODPodcastPersoSuccess(cmd);
        else
            nmhMODPodcastDetailSuccess(cmd);
    };
    // Marks, dates and lengths in the media lists.
    for (QTreeView* list : {lvMODPodcast, lvMODFichier, lvMODRecherche, lvMODFavoris, lvVideo})
        list->setItemDelegate(new TEntryDelegate(list));

    // The user's own podcasts: a menu by the tree, the same as its context menu.
    mnuMODPodcastPerso = new QMenu(this);
    mnuMODPodcastPerso->setObjectName(QStringLiteral("mnuMODPodcastPerso"));
    const auto item = [this](const char* name, const QString& text, void (TfmPrinc::*handler)(),
                          const QKeySequence& keys = {}) {
        auto* a = mnuMODPodcastPerso->addAction(text);
        a->setObjectName(QLatin1String(name));
        if (!keys.isEmpty()) {
            // Where the tree has the keyboard.
            a->setShortcut(keys);
            a->setShortcutContext(Qt::WidgetShortcut);
            tvMODPodcast->addAction(a);
        }
        connect(a, &QAction::triggered, this, guard([this, handler] { (this->*handler)(); }));
        return a;
    };
    mnuMODPodcastAjouter = item("mnuMODPodcastAjouter", QStringLiteral("Ajouter un podcast…"),
        &TfmPrinc::mnuMODPodcastAjouterClick, QKeySequence(Qt::Key_Insert));
    mnuMODPodcastDossier = item(
        "mnuMODPodcastDossier", QStringLiteral("Nouveau dossier…"), &TfmPrinc::mnuMODPodcastDossierClick);
    mnuMODPodcastRenommer = item("mnuMODPodcastRenommer", QStringLiteral("Renommer…"),
        &TfmPrinc::mnuMODPodcastRenommerClick, QKeySequence(Qt::Key_F2));
    mnuMODPodcastSupprimer = item("mnuMODPodcastSupprimer", QStringLiteral("Supprimer"),
        &TfmPrinc::mnuMODPodcastSupprimerClick, QKeySequence(QKeySequence::Delete));
    mnuMODPodcastPerso->addSeparator();
    mnuMODPodcastImporter
        = item("mnuMODPodcastImporter", QStringLiteral("Importer…"), &TfmPrinc::mnuMODPodcastImporterClick);
    mnuMODPodcastExporter
        = item("mnuMODPodcastExporter", QStringLiteral("Exporter…"), &TfmPrinc::mnuMODPodcastExporterClick);
    connect(mnuMODPodcastPerso, &QMenu::aboutToShow, this, guard([this] { mnuMODPodcastPersoPopup(); }));
    btnMODPodcastPerso->setMenu(mnuMODPodcastPerso);
    new ContextMenuFilter(tvMODPodcast, [this](const QPoint& at) { mnuMODPodcastPerso->popup(at); });
    // The keys act on the chosen node: what they may do follows it.
    connect(tvMODPodcast->selectionModel(), &QItemSelectionModel::currentChanged, this,
        guard([this] { mnuMODPodcastPersoPopup(); }));
    FillOwnPodcasts();
}

void TfmPrinc::setAbonnementsDialog(TAbonnementsDialog dialog)
{
    abonnementsDialog() = std::move(dialog);
}
