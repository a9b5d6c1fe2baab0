#include "ui/windows/fenraccourcis.h"

#include "ui/controls/focusmark.h"

#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

const QList<TRaccourci>& Raccourcis()
{
    static const QString main = QStringLiteral("Fenêtre principale");
    static const QString lists = QStringLiteral("Listes");
    static const QString channels = QStringLiteral("Liste des chaînes");
    static const QString podcasts = QStringLiteral("Mes podcasts");
    static const QString sliders = QStringLiteral("Curseurs du volume et de la position");
    static const QString menu = QStringLiteral("Menu Config.");
    static const QString game = QStringLiteral("Fenêtre de jeu");
    static const QString download = QStringLiteral("Téléchargement");
    static const QString others = QStringLiteral("Autres fenêtres");
    static const QList<TRaccourci> all = {
        {main, QStringLiteral("Tab, Maj+Tab"),
            QStringLiteral("Aller à la commande suivante, précédente, dans l'ordre de l'écran")},
        {main, QStringLiteral("Entrée, Espace"),
            QStringLiteral("Appuyer sur le bouton ou le lien choisi ; sur un bouton de rubrique, "
                           "la rubrique s'ouvre et sa liste prend le focus")},
        {main, QStringLiteral("Espace"),
            QStringLiteral("Lecture ou pause (ailleurs que sur un bouton, un lien ou un champ de saisie)")},
        {main, QStringLiteral("M"), QStringLiteral("Couper ou rétablir le son")},
        {main, QStringLiteral("F"), QStringLiteral("Plein écran")},
        {main, QStringLiteral("Échap"), QStringLiteral("Quitter le plein écran")},
        {main, QStringLiteral("Haut, Bas"),
            QStringLiteral("Monter, baisser le volume (ailleurs que dans une liste ou sur un curseur)")},
        {main, QStringLiteral("Alt+F7"),
            QStringLiteral("Déplacer la fenêtre : les flèches la déplacent (avec Ctrl, d'un point), "
                           "Entrée la laisse là, Échap la remet en place")},
        {main, QStringLiteral("F1"), QStringLiteral("Cette liste des raccourcis")},
        {lists, QStringLiteral("Haut, Bas"), QStringLiteral("Choisir une ligne")},
        {lists, QStringLiteral("Droite, Gauche"), QStringLiteral("Ouvrir, fermer une branche")},
        {lists, QStringLiteral("Entrée"),
            QStringLiteral("Lire ou ouvrir la ligne choisie, comme un double clic")},
        {channels, QStringLiteral("Ctrl+F"),
            QStringLiteral("Chercher une chaîne en tapant son nom ou son groupe")},
        {channels, QStringLiteral("Échap"),
            QStringLiteral("Dans la recherche ou la liste filtrée : montrer toutes les chaînes")},
        {channels, QStringLiteral("Ctrl+D"),
            QStringLiteral("Ajouter la chaîne choisie à « Mes chaînes », ou l'en retirer")},
        {channels, QStringLiteral("Inser, Suppr"),
            QStringLiteral("Ajouter la chaîne choisie à « Mes chaînes », l'en retirer")},
        {channels, QStringLiteral("Ctrl+G"), QStringLiteral("Programme du jour de la chaîne choisie")},
        {channels, QStringLiteral("F5"), QStringLiteral("Actualiser la liste de chaînes montrée")},
        {podcasts, QStringLiteral("Inser"), QStringLiteral("Ajouter un podcast")},
        {podcasts, QStringLiteral("F2"), QStringLiteral("Renommer le podcast ou le dossier choisi")},
        {podcasts, QStringLiteral("Suppr"), QStringLiteral("Supprimer le podcast ou le dossier choisi")},
        {sliders, QStringLiteral("Flèches"), QStringLiteral("Avancer, reculer d'un pas")},
        {sliders, QStringLiteral("Pg suiv., Pg préc."), QStringLiteral("Avancer, reculer d'un dixième")},
        {sliders, QStringLiteral("Début, Fin"), QStringLiteral("Aller au début, à la fin")},
        {menu, QStringLiteral("Entrée ou Espace sur Config."), QStringLiteral("Ouvrir le menu")},
        {menu, QStringLiteral("Haut, Bas, Entrée"), QStringLiteral("Choisir un réglage")},
        {menu, QStringLiteral("Lettre soulignée"), QStringLiteral("Choisir ce réglage")},
        {menu, QStringLiteral("Échap"), QStringLiteral("Fermer le menu")},
        {game, QStringLiteral("Ctrl+W"), QStringLiteral("Fermer le jeu")},
        {game, QStringLiteral("F6"), QStringLiteral("Passer du jeu à sa barre de titre, et revenir")},
        {download, QStringLiteral("Échap"), QStringLiteral("Annuler le téléchargement")},
        {others, QStringLiteral("Échap"),
            QStringLiteral("Fermer (la fenêtre des sponsors se quitte par son bouton)")},
    };
    return all;
}

TfmRaccourcis::TfmRaccourcis(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("fmRaccourcis"));
    setWindowTitle(QStringLiteral("Raccourcis clavier"));
    resize(560, 480);

    tvRaccourcis = new QTreeWidget(this);
    tvRaccourcis->setObjectName(QStringLiteral("tvRaccourcis"));
    tvRaccourcis->setAccessibleName(QStringLiteral("Raccourcis clavier"));
    // The desktop's highlight is too light under white text, and its style
    // marks a focused list only faintly: darker, with a line of its own.
    zv::UseDesktopFocusLine(this);
    tvRaccourcis->setStyleSheet(
        QStringLiteral("#tvRaccourcis { border: 2px solid palette(mid); selection-background-color: %1;"
                       " selection-color: white; }"
                       "#tvRaccourcis:focus { border-color: %1; }")
            .arg(zv::DesktopFocusLine().name()));
    tvRaccourcis->setHeaderLabels({QStringLiteral("Touches"), QStringLiteral("Action")});
    tvRaccourcis->setWordWrap(true);
    tvRaccourcis->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvRaccourcis->setAllColumnsShowFocus(true);
    tvRaccourcis->header()->setStretchLastSection(true);
    // A branch per window, in the order of their first shortcut.
    QHash<QString, QTreeWidgetItem*> branches;
    for (const TRaccourci& r : Raccourcis()) {
        QTreeWidgetItem*& branch = branches[r.where];
        if (!branch) {
            branch = new QTreeWidgetItem(tvRaccourcis, {r.where});
            branch->setFirstColumnSpanned(true);
            QFont bold = branch->font(0);
            bold.setBold(true);
            branch->setFont(0, bold);
        }
        auto* row = new QTreeWidgetItem(branch, {r.keys, r.action});
        // On a screen too narrow for the line, the pointer shows it whole.
        row->setToolTip(1, r.action);
    }
    tvRaccourcis->expandAll();
    tvRaccourcis->setCurrentItem(tvRaccourcis->topLevelItem(0));

    btnFermer = new QPushButton(QStringLiteral("Fermer"), this);
    btnFermer->setObjectName(QStringLiteral("btnFermer"));
    btnFermer->setAutoDefault(false);
    connect(btnFermer, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnFermer);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tvRaccourcis, 1);
    layout->addLayout(buttons);

    // The list is read first; Escape closes, as in every dialog.
    tvRaccourcis->setFocus();
}

void TfmRaccourcis::showEvent(QShowEvent* event)
{
    if (!sized_) {
        sized_ = true;
        // The columns as wide as their longest text (the view measures only the
        // rows it shows), in the font the window is shown with.
        const QFontMetrics metrics = tvRaccourcis->fontMetrics();
        int keys = 0, actions = 0;
        for (const TRaccourci& r : Raccourcis()) {
            keys = std::max(keys, metrics.horizontalAdvance(r.keys));
            actions = std::max(actions, metrics.horizontalAdvance(r.action));
        }
        const int pad = 2 * metrics.averageCharWidth();
        // A shortcut is a branch's row: two steps in.
        tvRaccourcis->setColumnWidth(0, 2 * tvRaccourcis->indentation() + keys + pad);
        tvRaccourcis->setColumnWidth(1, actions + pad);
        // Wide enough for every line, as far as the screen allows: an action cut
        // short would be read whole but not seen whole.
        const int wide = tvRaccourcis->columnWidth(0) + tvRaccourcis->columnWidth(1)
            + 2 * tvRaccourcis->frameWidth() + tvRaccourcis->verticalScrollBar()->sizeHint().width()
            + layout()->contentsMargins().left() + layout()->contentsMargins().right() + 8;
        const QScreen* screen = this->screen();
        resize(
            std::min(std::max(width(), wide), screen ? screen->availableGeometry().width() : wide), height());
    }
    QDialog::showEvent(event);
}
