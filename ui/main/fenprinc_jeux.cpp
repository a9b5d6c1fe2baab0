// The games section.
#include "base/errors.h"
#include "portal/cp1252.h"
#include "portal/jeux.h"
#include "portal/nmhttp.h"
#include "ui/browser/webbrowser.h"
#include "ui/main/fenprinc.h"

#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int kIdRole = Qt::UserRole;

int gameId(const QTreeWidgetItem* node)
{
    return node->data(0, kIdRole).toInt();
}

QByteArray displayedName(const QTreeWidgetItem* node)
{
    return zv::toCp1252(node->text(0));
}

} // namespace

QTreeWidgetItem* TfmPrinc::SelectedJeu() const
{
    const QList<QTreeWidgetItem*> selected = tvListeJeux->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

int TfmPrinc::JeuLevel(const QTreeWidgetItem* node)
{
    int level = 0;
    for (const QTreeWidgetItem* p = node->parent(); p; p = p->parent())
        ++level;
    return level;
}

void TfmPrinc::nmhListeJeuxSuccess(int)
{
    for (const QByteArray& name : zv::ParseGameCategories(nmhListeJeux->Body))
        new QTreeWidgetItem(tvListeJeux, {zv::fromCp1252(name)});
}

void TfmPrinc::nmhListeJeuxNiveau1Success(int)
{
    // The games go under the category they were asked for, whatever the user
    // selected meanwhile; none when the tree was emptied since.
    QTreeWidgetItem* category = jeuxDemande_;
    if (!category)
        return;
    for (const zv::GameEntry& e : zv::ParseGames(nmhListeJeuxNiveau1->Body)) {
        auto* node = new QTreeWidgetItem(category, {zv::fromCp1252(e.name)});
        node->setData(0, kIdRole, e.id);
    }
    category->setExpanded(true);
}

void TfmPrinc::tvListeJeuxDblClick()
{
    QTreeWidgetItem* node = SelectedJeu();
    if (nmhListeJeuxNiveau1->Busy() || !node)
        return;
    if (JeuLevel(node) == 0) {
        if (node->childCount() == 0) {
            jeuxDemande_ = node;
            const int visit = sectionVisit_;
            GetFor(nmhListeJeuxNiveau1,
                PortalRequest("/exe/medias.php?t=2&k=2&colid&cat=" + zv::EncodeGameName(displayedName(node))),
                [this, visit] { return visit == sectionVisit_; });
        } else {
            // Loaded once per visit: the tree only opens or closes it.
            node->setExpanded(!node->isExpanded());
        }
    } else if (JeuLevel(node) == 1) {
        wbJeu->Navigate(zv::fromCp1252(
            PortalRequest("/exe/desc_fla.php?jeu=" + zv::EncodeGameName(displayedName(node)))));
        panJeu->setVisible(true);
    }
}

void TfmPrinc::btnJouerClick()
{
    QTreeWidgetItem* node = SelectedJeu();
    if (!node || JeuLevel(node) != 1)
        return;
    // A second click while the game is asked for would only report a busy component.
    if (nmhJeu->Busy())
        return;
    // Read now: the node may be gone once the game window has closed.
    const int id = gameId(node);
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
        const QTreeWidgetItem* node = SelectedJeu();
        if (!node)
            throw zv::Error(QStringLiteral("aucun jeu n'est sélectionné"));
        const TGameWindowClass create = GameWindowClass();
        if (!create)
            throw zv::Error(QStringLiteral("fenêtre de jeu indisponible"));
        std::unique_ptr<QDialog> window = create(this, node->text(0), address, width, height);
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
