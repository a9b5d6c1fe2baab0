// The channel list as TV players show it: the search field over every
// channel list, "Mes chaînes", the user's own lists with groups, logos and
// now/next, the guide window, what the playing channel shows now.
#include "app/config.h"
#include "base/errors.h"
#include "portal/tv/listguides.h"
#include "portal/tv/ownlistloader.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/fenprinc.h"
#include "ui/tv/channelfilter.h"
#include "ui/tv/channelroles.h"
#include "ui/tv/logocache.h"
#include "ui/tv/nownextdelegate.h"
#include "ui/tv/ownlistmodel.h"
#include "ui/windows/fenajoutliste.h"
#include "ui/windows/fenguide.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

const QString OwnOriginPrefix = QStringLiteral("liste:");

// Where the guide addresses an own list named are remembered.
QByteArray GuidesKey(qint64 list)
{
    return "guides-liste:" + QByteArray::number(list);
}

QString hhmm(qint64 utcSeconds)
{
    return QDateTime::fromSecsSinceEpoch(utcSeconds).toLocalTime().toString(QStringLiteral("HH:mm"));
}

QShortcut* shortcut(QWidget* on, const QKeySequence& keys, Qt::ShortcutContext context = Qt::WidgetShortcut)
{
    auto* s = new QShortcut(keys, on);
    s->setContext(context);
    return s;
}

} // namespace

void TfmPrinc::createTele()
{
    auto* column = qobject_cast<QVBoxLayout*>(panListeCanaux->layout());

    mnuListes = new QMenu(this);
    mnuListes->setObjectName(QStringLiteral("mnuListes"));
    btnListes = new QPushButton(QStringLiteral("…"), panBouquet);
    btnListes->setObjectName(QStringLiteral("btnListes"));
    btnListes->setToolTip(QStringLiteral("Mes listes de chaînes : ajouter, renommer, actualiser, supprimer"));
    btnListes->setAccessibleName(QStringLiteral("Mes listes de chaînes"));
    btnListes->setMenu(mnuListes);
    btnListes->setCursor(Qt::PointingHandCursor);
    panBouquet->layout()->addWidget(btnListes);

    edtRechercheCanaux = new QLineEdit(panListeCanaux);
    edtRechercheCanaux->setObjectName(QStringLiteral("edtRechercheCanaux"));
    edtRechercheCanaux->setPlaceholderText(QStringLiteral("Rechercher une chaîne (Ctrl+F)"));
    edtRechercheCanaux->setAccessibleName(QStringLiteral("Rechercher une chaîne"));
    edtRechercheCanaux->setClearButtonEnabled(true);
    cmbGroupe = new QComboBox(panListeCanaux);
    cmbGroupe->setObjectName(QStringLiteral("cmbGroupe"));
    cmbGroupe->setAccessibleName(QStringLiteral("Groupe de chaînes"));
    cmbGroupe->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbGroupe->setMinimumContentsLength(10);
    cmbGroupe->hide();
    const int listAt = column->indexOf(lvListeCanaux);
    column->insertWidget(listAt, cmbGroupe);
    column->insertWidget(listAt, edtRechercheCanaux);

    lvListeCanauxFiltre = new TChannelFilter(this);
    lvListeCanaux->setModel(lvListeCanauxFiltre);
    lvListeCanauxFiltre->followSelection(lvListeCanaux->selectionModel());
    lvListeCanauxDelegate = new TNowNextDelegate(lvListeCanaux);
    lvListeCanaux->setItemDelegate(lvListeCanauxDelegate);
    // The mouse's menu is for the row under it, the keyboard's for the row chosen.
    lvListeCanaux->installEventFilter(this);
    lvListeCanaux->viewport()->installEventFilter(this);
    LogoCache = new TLogoCache(this);
    lvMesChainesModel = new TFavoriteChannelModel(this);
    lvListePersoModel = new TOwnListModel(this);
    for (TChannelRowsModel* rows : {static_cast<TChannelRowsModel*>(lvMesChainesModel),
             static_cast<TChannelRowsModel*>(lvListePersoModel)}) {
        rows->setLogos(LogoCache);
        connect(
            rows, &TChannelRowsModel::guidesChanged, lvListeCanauxDelegate, &TNowNextDelegate::rowsChanged);
    }
    ownListLoader_ = new zv::OwnListLoader(this);
    ownListGuides_ = new zv::ListGuides(this);
    ShowChannelRows(lvListeCanauxModel);

    lblProgramme = new QLabel(panPlayer);
    lblProgramme->setObjectName(QStringLiteral("lblProgramme"));
    lblProgramme->setAlignment(Qt::AlignCenter);
    lblProgramme->setTextFormat(Qt::PlainText);
    lblProgramme->setFixedHeight(16);
    lblProgramme->hide();
    auto* player = qobject_cast<QVBoxLayout*>(panPlayer->layout());
    player->insertWidget(player->indexOf(lblStatutPlayer) + 1, lblProgramme);

    // The chooser's entries are long: each shows whole on hover.
    cmbBouquet->setMinimumContentsLength(6);
    for (int i = 0; i < cmbBouquet->count(); ++i)
        cmbBouquet->setItemData(i, cmbBouquet->itemText(i), Qt::ToolTipRole);
    FillOwnLists();

    QWidget::setTabOrder(cmbBouquet, btnListes);
    QWidget::setTabOrder(btnListes, edtRechercheCanaux);
    QWidget::setTabOrder(edtRechercheCanaux, cmbGroupe);
    QWidget::setTabOrder(cmbGroupe, lvListeCanaux);
}

void TfmPrinc::bindTele()
{
    connect(edtRechercheCanaux, &QLineEdit::textChanged, this, guard([this] { edtRechercheCanauxChange(); }));
    connect(cmbGroupe, &QComboBox::activated, this, guard([this] { cmbGroupeChange(); }));
    cmbBouquet->setToolTip(cmbBouquet->currentText());

    // The keyboard: Ctrl+F to search, Escape to see every row again, down to
    // the rows; on a row, Enter plays, Ctrl+D (or Insert, Delete) keeps or
    // drops it in "Mes chaînes", Ctrl+G shows its guide, F5 refreshes the list.
    connect(shortcut(this, QKeySequence::Find, Qt::WindowShortcut), &QShortcut::activated, this, [this] {
        if (edtRechercheCanaux->isVisible())
            edtRechercheCanaux->setFocus(Qt::ShortcutFocusReason);
    });
    connect(shortcut(edtRechercheCanaux, Qt::Key_Escape), &QShortcut::activated, edtRechercheCanaux,
        &QLineEdit::clear);
    // On the rows only while they are narrowed: otherwise Escape leaves full screen.
    QShortcut* showAll = shortcut(lvListeCanaux, Qt::Key_Escape);
    showAll->setEnabled(false);
    connect(showAll, &QShortcut::activated, edtRechercheCanaux, &QLineEdit::clear);
    connect(edtRechercheCanaux, &QLineEdit::textChanged, showAll,
        [showAll](const QString& text) { showAll->setEnabled(!text.isEmpty()); });
    const auto toList = [this] {
        lvListeCanaux->setFocus(Qt::ShortcutFocusReason);
        if (!zv::selectedSource(lvListeCanaux).isValid() && lvListeCanauxFiltre->rowCount() > 0)
            lvListeCanaux->setCurrentIndex(lvListeCanauxFiltre->index(0, 0));
    };
    for (const auto key : {Qt::Key_Down, Qt::Key_Return, Qt::Key_Enter})
        connect(shortcut(edtRechercheCanaux, key), &QShortcut::activated, this, toList);
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter})
        connect(shortcut(lvListeCanaux, key), &QShortcut::activated, this,
            guard([this] { lvListeCanauxDblClick(); }));
    const auto onRow = [this](const QKeySequence& keys, void (TfmPrinc::*action)(const QModelIndex&)) {
        connect(shortcut(lvListeCanaux, keys), &QShortcut::activated, this, guard([this, action] {
            if (const QModelIndex row = zv::selectedSource(lvListeCanaux); row.isValid())
                (this->*action)(row);
        }));
    };
    onRow(QKeySequence(Qt::CTRL | Qt::Key_D), &TfmPrinc::ToggleMesChaine);
    onRow(QKeySequence(Qt::Key_Insert), &TfmPrinc::AddMesChaine);
    onRow(QKeySequence(Qt::Key_Delete), &TfmPrinc::RemoveMesChaine);
    onRow(QKeySequence(Qt::CTRL | Qt::Key_G), &TfmPrinc::ShowGuide);
    connect(shortcut(lvListeCanaux, QKeySequence::Refresh), &QShortcut::activated, this,
        guard([this] { RefreshOwnList(); }));

    connect(mnuListes, &QMenu::aboutToShow, this, [this] {
        mnuListes->clear();
        FillListsMenu(mnuListes);
    });

    connect(ownListLoader_, &zv::OwnListLoader::loaded, this,
        [this](qint64 id, std::shared_ptr<const zv::OwnList> list) {
            runHandler([&] { OwnListLoaded(id, std::move(list)); });
        });
    connect(ownListLoader_, &zv::OwnListLoader::failed, this, [this](qint64 id, const QString& message) {
        if (id == ChosenOwnList().id)
            lblStatutPlayer->setText(message);
    });
    connect(ownListGuides_, &zv::ListGuides::changed, this, guard([this] { OwnListGuidesChanged(); }));
    connect(ownListGuides_, &zv::ListGuides::failed, lblStatutPlayer, &QLabel::setText);
}

void TfmPrinc::edtRechercheCanauxChange()
{
    lvListeCanauxFiltre->setFilterText(edtRechercheCanaux->text());
}

void TfmPrinc::cmbGroupeChange()
{
    // "Toutes les chaînes" first, then the list's groups in their order.
    lvListeCanauxFiltre->setScope(lvListePersoModel->groupScope(cmbGroupe->currentIndex() - 1));
}

void TfmPrinc::ShowChannelRows(QAbstractItemModel* rows)
{
    // Not silently: the field's clear button and Escape on the rows follow its text.
    edtRechercheCanaux->clear();
    cmbGroupe->clear();
    cmbGroupe->hide();
    lvListeCanauxFiltre->setScope({});
    lvListeCanauxFiltre->setFilterText({});
    if (lvListeCanauxFiltre->sourceModel() == rows)
        return;
    if (auto* channels = qobject_cast<TChannelRowsModel*>(rows))
        lvListeCanauxFiltre->setSource(rows, channels->indexMaker());
    else
        lvListeCanauxFiltre->setSource(
            rows, [this] { return ChannelTableIndexJob(lvListeCanauxModel->rows()); });
    lvListeCanauxDelegate->rowsChanged();
}

TChannelRowsModel* TfmPrinc::ChannelRows() const
{
    return qobject_cast<TChannelRowsModel*>(lvListeCanauxFiltre->sourceModel());
}

void TfmPrinc::FillOwnLists()
{
    ownLists_ = zv::UserState::instance().ownLists();
    const QSignalBlocker quiet(cmbBouquet);
    const int chosen = cmbBouquet->currentIndex();
    while (cmbBouquet->count() > BouquetCount)
        cmbBouquet->removeItem(cmbBouquet->count() - 1);
    QStringList more{QStringLiteral("Mes chaînes")};
    for (const auto& list : ownLists_)
        more << list.name;
    more << QStringLiteral("Ajouter une liste…");
    for (const QString& text : more) {
        cmbBouquet->addItem(text);
        cmbBouquet->setItemData(cmbBouquet->count() - 1, text, Qt::ToolTipRole);
    }
    cmbBouquet->setCurrentIndex(std::min(chosen, cmbBouquet->count() - 2));
    cmbBouquet->setToolTip(cmbBouquet->currentText());
    cmbBouquet->view()->setMinimumWidth(cmbBouquet->view()->sizeHintForColumn(0) + 24);
}

zv::UserState::OwnListDefinition TfmPrinc::ChosenOwnList() const
{
    const int at = bouquetShown_ - MesChainesIndex - 1;
    if (at < 0 || at >= int(ownLists_.size()))
        return {};
    return ownLists_[std::size_t(at)];
}

void TfmPrinc::ShowMoreBouquet(int index)
{
    SetListeCanauxIcons(zv::ChannelIcons::None);
    if (index == MesChainesIndex) {
        lblListeCanaux->setText(QStringLiteral("Mes chaînes"));
        ReadMesChainesGuides();
        ShowChannelRows(lvMesChainesModel);
        SelectListeCanauxRow(0);
        return;
    }
    const zv::UserState::OwnListDefinition list = ChosenOwnList();
    if (list.id == 0)
        return;
    lblListeCanaux->setText(list.name);
    lvListePersoModel->clear();
    lvListePersoModel->setGuides({});
    ShowChannelRows(lvListePersoModel);
    ownListLoader_->load(list);
}

void TfmPrinc::OwnListLoaded(qint64 id, std::shared_ptr<const zv::OwnList> list)
{
    const zv::UserState::OwnListDefinition chosen = ChosenOwnList();
    if (id != chosen.id || !list || !btnFctTele->Enfonce())
        return;
    // A provider that renamed or moved its channels keeps the user's.
    std::vector<FavoriteChannel> favourites = lvMesChainesModel->channels();
    if (RelocateFavorites(favourites, OwnOriginPrefix + QString::number(id), *list)) {
        lvMesChainesModel->setChannels(std::move(favourites));
        SaveMesChaines();
    }
    const bool first = !lvListePersoModel->list();
    lvListePersoModel->setList(list);

    // The groups; the one chosen stays chosen through a refresh.
    const QString group = cmbGroupe->currentIndex() > 0 ? cmbGroupe->currentText() : QString();
    cmbGroupe->clear();
    if (list->groupCount() > 0) {
        cmbGroupe->addItem(QStringLiteral("Toutes les chaînes"));
        for (int g = 0; g < list->groupCount(); ++g)
            cmbGroupe->addItem(list->groupName(g));
        cmbGroupe->setCurrentIndex(std::max(0, cmbGroupe->findText(group)));
    }
    cmbGroupe->setVisible(cmbGroupe->count() > 0);
    cmbGroupeChange();
    if (first)
        SelectListeCanauxRow(0);

    const QStringList sources = zv::ListGuides::splitSources(
        chosen.guide.isEmpty() ? list->guideUrls() : QStringList{chosen.guide});
    if (guidesFor_ != id || ownListGuides_->sources() != sources) {
        guidesFor_ = id;
        ownListGuides_->setSources(sources);
        // "Mes chaînes" read them from there after a restart.
        zv::UserState::instance().setValue(GuidesKey(id), sources.join(u'\n').toUtf8());
    }
    OwnListGuidesChanged();
}

void TfmPrinc::OwnListGuidesChanged()
{
    if (guidesFor_ != ChosenOwnList().id)
        return;
    const auto guides = ownListGuides_->guides();
    lvListePersoModel->setGuides(guides);
    // "Mes chaînes" look their channels up in every list's guides read so far.
    guidesSeen_.insert(guidesFor_, guides);
    UpdateProgramme();
}

void TfmPrinc::ReadMesChainesGuides()
{
    // The guides of the lists "Mes chaînes" came from, for the lists not
    // opened since the start: from their kept indexes, named when the list
    // was last read.
    for (const FavoriteChannel& channel : lvMesChainesModel->channels()) {
        if (!channel.origin.startsWith(OwnOriginPrefix))
            continue;
        const qint64 id = channel.origin.mid(OwnOriginPrefix.size()).toLongLong();
        if (id == 0 || guidesSeen_.contains(id) || mesChainesGuides_.contains(id))
            continue;
        const QStringList sources = QString::fromUtf8(zv::UserState::instance().value(GuidesKey(id)))
                                        .split(u'\n', Qt::SkipEmptyParts);
        if (sources.isEmpty())
            continue;
        auto* guides = new zv::ListGuides(this);
        mesChainesGuides_.insert(id, guides);
        connect(guides, &zv::ListGuides::changed, this, guard([this, id, guides] {
            guidesSeen_.insert(id, guides->guides());
            if (ChannelRows() == lvMesChainesModel)
                ReadMesChainesGuides();
        }));
        guides->setSources(sources);
    }
    std::vector<std::shared_ptr<const zv::GuideIndex>> all;
    for (const auto& seen : std::as_const(guidesSeen_))
        all.insert(all.end(), seen.begin(), seen.end());
    lvMesChainesModel->setGuides(std::move(all));
    UpdateProgramme();
}

void TfmPrinc::FillListsMenu(QMenu* menu)
{
    const bool own = ChosenOwnList().id != 0;
    menu->addAction(QStringLiteral("Ajouter une liste…"), this, guard([this] { AddOwnList(); }));
    const auto item = [&](const QString& text, void (TfmPrinc::*action)(), const QKeySequence& keys = {}) {
        QAction* a = menu->addAction(text, this, guard([this, action] { (this->*action)(); }));
        a->setEnabled(own);
        a->setShortcut(keys);
    };
    item(QStringLiteral("Renommer la liste…"), &TfmPrinc::RenameOwnList);
    item(QStringLiteral("Actualiser la liste"), &TfmPrinc::RefreshOwnList, QKeySequence::Refresh);
    item(QStringLiteral("Adresse du guide des programmes…"), &TfmPrinc::SetOwnListGuide);
    item(QStringLiteral("Supprimer la liste"), &TfmPrinc::RemoveOwnList);
}

// ---- "Mes chaînes" ---------------------------------------------------------------

QString TfmPrinc::ChannelOrigin() const
{
    if (btnFctRadio->Enfonce())
        return QStringLiteral("radio");
    if (!btnFctTele->Enfonce() || bouquetShown_ == MesChainesIndex)
        return {};
    if (bouquetShown_ < BouquetCount)
        return QStringLiteral("tele:%1").arg(bouquetShown_);
    const qint64 id = ChosenOwnList().id;
    return id != 0 ? OwnOriginPrefix + QString::number(id) : QString();
}

bool TfmPrinc::IsMesChaine(const QModelIndex& source) const
{
    if (source.model() == lvMesChainesModel)
        return true;
    return lvMesChainesModel->find(ChannelOrigin(), source.data(zv::AddressRole).toString()) >= 0;
}

void TfmPrinc::ToggleMesChaine(const QModelIndex& source)
{
    if (IsMesChaine(source))
        RemoveMesChaine(source);
    else
        AddMesChaine(source);
}

void TfmPrinc::AddMesChaine(const QModelIndex& source)
{
    const QString origin = ChannelOrigin();
    if (origin.isEmpty() || source.model() == lvMesChainesModel)
        return;
    const FavoriteChannel channel{source.data(Qt::DisplayRole).toString(),
        source.data(zv::AddressRole).toString(), source.data(zv::TvgIdRole).toString(),
        source.data(zv::LogoUrlRole).toString(), origin};
    if (lvMesChainesModel->add(channel)) {
        SaveMesChaines();
        lblStatutPlayer->setText(QStringLiteral("« %1 » ajoutée à Mes chaînes").arg(channel.title));
    }
}

void TfmPrinc::RemoveMesChaine(const QModelIndex& source)
{
    const int row = source.model() == lvMesChainesModel
        ? source.row()
        : lvMesChainesModel->find(ChannelOrigin(), source.data(zv::AddressRole).toString());
    const QString title = source.data(Qt::DisplayRole).toString();
    if (lvMesChainesModel->remove(row)) {
        SaveMesChaines();
        lblStatutPlayer->setText(QStringLiteral("« %1 » retirée de Mes chaînes").arg(title));
    }
}

void TfmPrinc::RelocateMesChaines()
{
    const QString origin = ChannelOrigin();
    if (origin.isEmpty() || origin.startsWith(OwnOriginPrefix))
        return;
    std::vector<FavoriteChannel> favourites = lvMesChainesModel->channels();
    if (RelocateFavorites(favourites, origin, lvListeCanauxModel->rows())) {
        lvMesChainesModel->setChannels(std::move(favourites));
        SaveMesChaines();
    }
}

void TfmPrinc::LoadMesChaines()
{
    mesChainesLoaded_ = true;
    TConfig config;
    lvMesChainesModel->setChannels(LoadFavoriteChannels(config));
}

void TfmPrinc::SaveMesChaines()
{
    // As for the favourites: a window that never read them never writes.
    if (!mesChainesLoaded_)
        return;
    TConfig config;
    SaveFavoriteChannels(config, lvMesChainesModel->channels());
}

void TfmPrinc::lvListeCanauxContextMenu(const QPoint& at, bool mouse)
{
    const QModelIndex shown = mouse ? lvListeCanaux->indexAt(at) : QModelIndex();
    if (shown.isValid())
        lvListeCanaux->setCurrentIndex(shown);
    const QModelIndex row = zv::selectedSource(lvListeCanaux);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuCanal"));
    if (row.isValid()) {
        QAction* play
            = menu.addAction(QStringLiteral("Lire"), this, guard([this] { lvListeCanauxDblClick(); }));
        menu.setDefaultAction(play);
        const bool kept = IsMesChaine(row);
        QAction* keep = menu.addAction(
            kept ? QStringLiteral("Retirer de Mes chaînes") : QStringLiteral("Ajouter à Mes chaînes"), this,
            guard([this, row = QPersistentModelIndex(row)] {
                if (row.isValid())
                    ToggleMesChaine(row);
            }));
        keep->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
        keep->setEnabled(kept || !ChannelOrigin().isEmpty());
        const TChannelRowsModel* rows = ChannelRows();
        QAction* guide = menu.addAction(
            QStringLiteral("Guide des programmes…"), this, guard([this, row = QPersistentModelIndex(row)] {
                if (row.isValid())
                    ShowGuide(row);
            }));
        guide->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
        guide->setEnabled(rows && rows->guideChannel(row.row()).guide);
    }
    if (btnFctTele->Enfonce()) {
        if (!menu.isEmpty())
            menu.addSeparator();
        FillListsMenu(&menu);
    }
    if (menu.isEmpty())
        return;
    const QRect current = lvListeCanaux->visualRect(lvListeCanaux->currentIndex());
    const QPoint where = mouse ? at : (current.isValid() ? current.bottomLeft() : QPoint());
    menu.exec(lvListeCanaux->viewport()->mapToGlobal(where));
}

void TfmPrinc::ShowGuide(const QModelIndex& source)
{
    const TChannelRowsModel* rows = ChannelRows();
    if (!rows || source.model() != rows)
        return;
    const TChannelRowsModel::GuideChannel found = rows->guideChannel(source.row());
    if (!found.guide) {
        lblStatutPlayer->setText(QStringLiteral("Le guide ne connaît pas cette chaîne."));
        return;
    }
    auto* guide = qobject_cast<TfmGuide*>(guideWindow_.data());
    if (!guide) {
        guide = new TfmGuide(this);
        guideWindow_ = guide;
    }
    guide->showChannel(source.data(Qt::DisplayRole).toString(), found.guide, found.channel);
    guide->show();
    guide->raise();
    guide->activateWindow();
}

// ---- own lists -------------------------------------------------------------------

void TfmPrinc::AddOwnList()
{
    TfmAjoutListe dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const qint64 id = zv::UserState::instance().addOwnList(dialog.list());
    if (id == 0)
        throw zv::Error(QStringLiteral("La liste n'a pas pu être enregistrée."));
    // A copy under this id left in the cache by an earlier database (the data
    // folder removed, the cache kept) is another list: never show it as this one.
    zv::OwnListLoader::forget(id);
    FillOwnLists();
    for (std::size_t i = 0; i < ownLists_.size(); ++i)
        if (ownLists_[i].id == id)
            cmbBouquet->setCurrentIndex(MesChainesIndex + 1 + int(i));
    cmbBouquetChange();
}

namespace {

// One field of the own list shown, as the user retypes it (trimmed); false
// when the user cancelled or changed nothing. The list is kept with it.
bool askOwnList(QWidget* parent, zv::UserState::OwnListDefinition& list,
    QString zv::UserState::OwnListDefinition::*field, const QString& title, const QString& label)
{
    if (list.id == 0)
        return false;
    bool ok = false;
    const QString text
        = QInputDialog::getText(parent, title, label, QLineEdit::Normal, list.*field, &ok).simplified();
    if (!ok || text == list.*field || (field == &zv::UserState::OwnListDefinition::name && text.isEmpty()))
        return false;
    list.*field = text;
    zv::UserState::instance().updateOwnList(list);
    return true;
}

} // namespace

void TfmPrinc::RenameOwnList()
{
    zv::UserState::OwnListDefinition list = ChosenOwnList();
    if (!askOwnList(this, list, &zv::UserState::OwnListDefinition::name, QStringLiteral("Renommer la liste"),
            QStringLiteral("Nouveau nom :")))
        return;
    FillOwnLists();
    lblListeCanaux->setText(list.name);
}

void TfmPrinc::RefreshOwnList()
{
    const zv::UserState::OwnListDefinition list = ChosenOwnList();
    if (list.id == 0)
        return;
    lblStatutPlayer->setText(QStringLiteral("Actualisation de « %1 »…").arg(list.name));
    ownListLoader_->load(list, true);
    ownListGuides_->refresh();
}

void TfmPrinc::SetOwnListGuide()
{
    zv::UserState::OwnListDefinition list = ChosenOwnList();
    if (!askOwnList(this, list, &zv::UserState::OwnListDefinition::guide,
            QStringLiteral("Guide des programmes"),
            QStringLiteral("Adresse du guide (vide : celui que la liste indique) :")))
        return;
    FillOwnLists();
    guidesFor_ = 0; // read again from the new address
    ownListLoader_->load(list);
}

void TfmPrinc::RemoveOwnList()
{
    const zv::UserState::OwnListDefinition list = ChosenOwnList();
    if (list.id == 0)
        return;
    if (QMessageBox::question(this, QStringLiteral("Supprimer la liste"),
            QStringLiteral("Supprimer la liste « %1 » ? Mes chaînes gardent celles qui en viennent.")
                .arg(list.name),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    ownListLoader_->cancel();
    zv::UserState::instance().removeOwnList(list.id);
    guidesSeen_.remove(list.id);
    delete mesChainesGuides_.take(list.id);
    zv::UserState::instance().setValue(GuidesKey(list.id), {});
    zv::OwnListLoader::forget(list.id);
    FillOwnLists();
    cmbBouquet->setCurrentIndex(0);
    cmbBouquetChange();
}

bool TfmPrinc::OwnAddress(const QModelIndex& source) const
{
    if (source.model() == lvListePersoModel)
        return true;
    if (source.model() != lvMesChainesModel || source.row() >= int(lvMesChainesModel->channels().size()))
        return false;
    return lvMesChainesModel->channels()[std::size_t(source.row())].origin.startsWith(OwnOriginPrefix);
}

void TfmPrinc::UpdateProgramme()
{
    const TPlayEntry playing = NowPlaying();
    QString text;
    QString more;
    if (playing.list == lvListeCanaux && playing.source.isValid()) {
        if (const auto* rows = qobject_cast<const TChannelRowsModel*>(playing.source.model())) {
            const zv::NowNext nn = rows->nowNext(playing.source.row());
            if (nn.now)
                text = QStringLiteral("En ce moment : %1 (%2 – %3)")
                           .arg(nn.now->title, hhmm(nn.now->start), hhmm(nn.now->stop));
            if (nn.next)
                more = QStringLiteral("Ensuite : %1 %2").arg(hhmm(nn.next->start), nn.next->title);
        }
    }
    const QString tip = more.isEmpty() ? text : text + u'\n' + more;
    if (lblProgramme->toolTip() == tip && lblProgramme->isHidden() == text.isEmpty())
        return;
    lblProgramme->setText(
        lblProgramme->fontMetrics().elidedText(text, Qt::ElideRight, panPlayer->width() - 8));
    lblProgramme->setToolTip(tip);
    lblProgramme->setVisible(!text.isEmpty());
}
