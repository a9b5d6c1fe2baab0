// Media on demand: "Mes fichiers" (local files or a typed address) and
// "Podcast" (the portal's catalogue and each podcast's feed).
#include "base/errors.h"
#include "portal/cp1252.h"
#include "portal/nmhttp.h"
#include "portal/podcast.h"
#include "portal/textutil.h"
#include "ui/browser/webbrowser.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTreeView>

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
    const QPointer<QInputDialog> prompt = new QInputDialog(this);
    prompt->setWindowTitle(btnMODFichierOuvrirURL->text());
    prompt->setLabelText(QStringLiteral("URL :"));
    prompt->setInputMode(QInputDialog::TextInput);
    prompt->setTextValue(QString());
    // Wide enough for a usual address, within the screen.
    const int wide = prompt->fontMetrics().averageCharWidth() * 90;
    const int room = screen() ? screen()->availableGeometry().width() - 40 : wide;
    prompt->resize(qMax(prompt->sizeHint().width(), qMin(wide, room)), prompt->sizeHint().height());
    const bool accepted = prompt->exec() == QDialog::Accepted;
    // The prompt goes with this window, should the window go while it waits.
    if (!prompt)
        return;
    const QString text = prompt->textValue();
    delete prompt;
    if (!accepted)
        return;
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
    if (node.data(zv::KindRole).toInt() != int(zv::EntryKind::Podcast))
        return;
    const QByteArray id = QByteArray::number(node.data(zv::ContentIdRole).toInt());
    QByteArray address;
    for (const auto& [key, feed] : *PodcastFeeds) {
        if (key == id) {
            address = feed.trimmed();
            break;
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
    nmhMODPodcastDetail->Abort();
    GetFor(nmhMODPodcastDetail, address,
        [this, choice, visit] { return choice == podcastChoice_ && visit == sectionVisit_; });
}

void TfmPrinc::nmhMODPodcastDetailSuccess(int)
{
    lvMODPodcastModel->clear();
    lvMODPodcast->setColumnWidth(0, qMax(0, lvMODPodcast->width() - 20));
    wbMODPodcast->Navigate(QStringLiteral("about:blank"));

    const zv::PodcastFeed feed = zv::ParsePodcastFeed(nmhMODPodcastDetail->Body);
    if (!feed.picture.isEmpty()) {
        const QColor colour = lvMODPodcast->palette().color(QPalette::Base);
        wbMODPodcast->Navigate(zv::fromCp1252(
            PortalRequest("/exe/podcast_image.php?couleur=" + ColorToHtml(colour) + "&url=" + feed.picture)));
    }
    std::vector<zv::Entry> rows;
    rows.reserve(feed.episodes.size());
    for (const zv::PodcastEpisode& e : feed.episodes)
        rows.push_back({.kind = zv::EntryKind::Episode,
            .caption = zv::fromCp1252(e.title),
            .address = zv::fromCp1252(e.url)});
    lvMODPodcastModel->append(std::move(rows));
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
    nmhMODPodcastDetail->OnSuccess = [this](int cmd) { nmhMODPodcastDetailSuccess(cmd); };
}
