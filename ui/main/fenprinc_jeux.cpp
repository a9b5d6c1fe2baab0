// The games section.
#include "base/errors.h"
#include "portal/cp1252.h"
#include "portal/jeux.h"
#include "portal/nmhttp.h"
#include "ui/browser/webbrowser.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"

#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

namespace {

zv::EntryKind kindOf(const QModelIndex& node)
{
    return zv::EntryKind(node.data(zv::KindRole).toInt());
}

QByteArray displayedName(const QModelIndex& node)
{
    return zv::toCp1252(node.data().toString());
}

} // namespace

QModelIndex TfmPrinc::SelectedJeu() const
{
    return zv::selectedSource(tvListeJeux);
}

void TfmPrinc::nmhListeJeuxSuccess(int)
{
    std::vector<zv::Entry> categories;
    for (const QByteArray& name : zv::ParseGameCategories(nmhListeJeux->Body))
        categories.push_back({.kind = zv::EntryKind::GameCategory, .caption = zv::fromCp1252(name)});
    tvListeJeuxModel->append(std::move(categories));
}

void TfmPrinc::nmhListeJeuxNiveau1Success(int)
{
    // The games go under the category they were asked for, whatever the user
    // selected meanwhile; none when the tree was emptied since.
    const QModelIndex category = jeuxDemande_;
    if (!category.isValid())
        return;
    std::vector<zv::Entry> games;
    for (const zv::GameEntry& e : zv::ParseGames(nmhListeJeuxNiveau1->Body))
        games.push_back({.kind = zv::EntryKind::Game, .caption = zv::fromCp1252(e.name), .contentId = e.id});
    tvListeJeuxModel->append(std::move(games), category);
    tvListeJeux->setExpanded(zv::viewIndex(tvListeJeux, category), true);
}

void TfmPrinc::tvListeJeuxDblClick()
{
    const QModelIndex node = SelectedJeu();
    if (nmhListeJeuxNiveau1->Busy() || !node.isValid())
        return;
    if (kindOf(node) == zv::EntryKind::GameCategory) {
        if (tvListeJeuxModel->rowCount(node) == 0) {
            jeuxDemande_ = node;
            const int visit = sectionVisit_;
            GetFor(nmhListeJeuxNiveau1,
                PortalRequest("/exe/medias.php?t=2&k=2&colid&cat=" + zv::EncodeGameName(displayedName(node))),
                [this, visit] { return visit == sectionVisit_; });
        } else {
            // Loaded once per visit: the tree only opens or closes it.
            const QModelIndex shown = zv::viewIndex(tvListeJeux, node);
            tvListeJeux->setExpanded(shown, !tvListeJeux->isExpanded(shown));
        }
    } else if (kindOf(node) == zv::EntryKind::Game) {
        wbJeu->Navigate(zv::fromCp1252(
            PortalRequest("/exe/desc_fla.php?jeu=" + zv::EncodeGameName(displayedName(node)))));
        panJeu->setVisible(true);
    }
}

void TfmPrinc::btnJouerClick()
{
    const QModelIndex node = SelectedJeu();
    if (kindOf(node) != zv::EntryKind::Game)
        return;
    // A second click while the game is asked for would only report a busy component.
    if (nmhJeu->Busy())
        return;
    // Read now: the node may be gone once the game window has closed.
    const int id = node.data(zv::ContentIdRole).toInt();
    // Leaving the section drops the game asked for: no window, no beacon.
    const int visit = sectionVisit_;
    const auto stillWanted = [this, visit] { return visit == sectionVisit_; };
    GetFor(nmhJeu, PortalRequest("/exe/medias.php?t=2&k=3&jeu=" + zv::EncodeGameName(displayedName(node))),
        stillWanted);
    if (stillWanted())
        NotifyContentViewed(id);
}

void TfmPrinc::nmhJeuSuccess(int)
{
    const QByteArray body = nmhJeu->Body;
    const QByteArray address = zv::GameLaunchAddress(body);
    QString failure;
    try {
        int width = 0;
        int height = 0;
        zv::GameLaunchSize(body, width, height);
        const QModelIndex node = SelectedJeu();
        if (!node.isValid())
            throw zv::Error(QStringLiteral("aucun jeu n'est sélectionné"));
        const TGameWindowClass create = GameWindowClass();
        if (!create)
            throw zv::Error(QStringLiteral("fenêtre de jeu indisponible"));
        std::unique_ptr<QDialog> window = create(this, node.data().toString(), address, width, height);
        window->exec();
    } catch (const zv::Abort&) {
        throw;
    } catch (const zv::Error& e) {
        failure = e.message();
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    if (!failure.isNull()) {
        QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
            QStringLiteral("Impossible de déterminer les dimensions du Jeu : ") + failure, QMessageBox::Ok,
            this);
        box.exec();
    }
}

void TfmPrinc::bindGames()
{
    connect(tvListeJeux, &QAbstractItemView::doubleClicked, this, guard([this] { tvListeJeuxDblClick(); }));
    connect(btnJouer, &QPushButton::clicked, this, guard([this] { btnJouerClick(); }));
    nmhListeJeuxNiveau1->OnSuccess = [this](int cmd) { nmhListeJeuxNiveau1Success(cmd); };
    nmhJeu->OnSuccess = [this](int cmd) { nmhJeuSuccess(cmd); };
}
