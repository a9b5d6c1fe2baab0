// Media on demand: "Mes fichiers" (local files or a typed address) and
// "Podcast" (the portal's catalogue and each podcast's feed).
#include "base/errors.h"
#include "portal/cp1252.h"
#include "portal/nmhttp.h"
#include "portal/podcast.h"
#include "portal/textutil.h"
#include "ui/browser/webbrowser.h"
#include "ui/main/fenprinc.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

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
    odMODFichier.setNameFilter(
        QStringLiteral("Fichiers vidéo et audio (*.AVI *.MPG *.MPEG *.MP3 *.WMV *.FLV)"));
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

QTreeWidgetItem* selected(const QTreeWidget* tree)
{
    const QList<QTreeWidgetItem*> items = tree->selectedItems();
    return items.isEmpty() ? tree->currentItem() : items.first();
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
    lvMODFichier->clear();
    for (const QString& file : files) {
        const QFileInfo info(file);
        QString folder = QDir::toNativeSeparators(info.absolutePath());
        if (!folder.endsWith(QDir::separator()))
            folder += QDir::separator();
        new QTreeWidgetItem(lvMODFichier, {info.fileName(), folder});
    }
}

void TfmPrinc::btnMODFichierOuvrirURLClick()
{
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, btnMODFichierOuvrirURL->text(), QStringLiteral("URL :"), QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return;
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    const QString name = slash < 0 ? QString() : text.mid(slash + 1);
    const QString folder = slash < 0 ? text : text.left(slash + 1);
    lvMODFichier->clear();
    new QTreeWidgetItem(lvMODFichier, {name, folder});
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
    tvMODPodcast->clear();
    PodcastFeeds->clear();
    QTreeWidgetItem* group = nullptr;
    QTreeWidgetItem* subgroup = nullptr;
    for (const zv::PodcastEntry& e : catalogue.entries) {
        const QString g = zv::fromCp1252(e.group);
        const QString s = zv::fromCp1252(e.subgroup);
        if (!group || group->text(0) != g) {
            group = new QTreeWidgetItem(tvMODPodcast, {g});
            // A new group starts its own subgroups: a subgroup name shared with
            // the previous group must not put this podcast under that group.
            subgroup = nullptr;
        }
        if (!subgroup || subgroup->text(0) != s)
            subgroup = new QTreeWidgetItem(group, {s});
        auto* podcast = new QTreeWidgetItem(subgroup, {zv::fromCp1252(e.title)});
        podcast->setData(0, Qt::UserRole, e.id);
        // Keyed by the number as the tree gives it back ("007" is found as "7").
        PodcastFeeds->append({QByteArray::number(e.id), e.feed});
        group->setExpanded(true);
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
    QTreeWidgetItem* node = selected(tvMODPodcast);
    if (!node || !node->parent() || !node->parent()->parent() || node->parent()->parent()->parent())
        return;
    const QByteArray id = QByteArray::number(node->data(0, Qt::UserRole).toInt());
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
    lvMODPodcast->clear();
    lvMODPodcast->setColumnWidth(0, qMax(0, lvMODPodcast->width() - 20));
    wbMODPodcast->Navigate(QStringLiteral("about:blank"));

    const zv::PodcastFeed feed = zv::ParsePodcastFeed(nmhMODPodcastDetail->Body);
    if (!feed.picture.isEmpty()) {
        const QColor colour = lvMODPodcast->palette().color(QPalette::Base);
        wbMODPodcast->Navigate(zv::fromCp1252(
            PortalRequest("/exe/podcast_image.php?couleur=" + ColorToHtml(colour) + "&url=" + feed.picture)));
    }
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(feed.episodes.size()));
    for (const zv::PodcastEpisode& e : feed.episodes)
        rows << new QTreeWidgetItem({zv::fromCp1252(e.title), zv::fromCp1252(e.url)});
    lvMODPodcast->addTopLevelItems(rows);
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
    connect(lvMODFichier, &QTreeWidget::itemDoubleClicked, this, guard([this] { lvMODFichierDblClick(); }));
    connect(pcMOD, &QTabWidget::currentChanged, this, guard([this] { pcMODChange(); }));
    connect(tvMODPodcast, &QTreeWidget::itemDoubleClicked, this, guard([this] { tvMODPodcastDblClick(); }));
    connect(lvMODPodcast, &QTreeWidget::itemDoubleClicked, this, guard([this] { lvMODPodcastDblClick(); }));
    // The caption column keeps the width the feed gives it (room for the scroll bar).
    lvMODPodcast->header()->setStretchLastSection(false);
    nmhMODPodcastDetail->OnSuccess = [this](int cmd) { nmhMODPodcastDetailSuccess(cmd); };
}
