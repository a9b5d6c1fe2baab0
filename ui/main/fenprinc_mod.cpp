// Media on demand: the favourites ("Mes MP3").
#include "app/config.h"
#include "portal/canaux.h"
#include "portal/cp1252.h"
#include "portal/nmhttp.h"
#include "ui/main/fenprinc.h"

#include <QTreeWidget>

void TfmPrinc::AddFavorite(const QString& title, const QString& url)
{
    auto* item = new QTreeWidgetItem(lvMODFavoris);
    item->setText(0, title);
    item->setText(1, url);
}

void TfmPrinc::LoadFavorites()
{
    favoritesLoaded_ = true;
    lvMODFavoris->clear();
    // LoadFavorites keeps what it could read and swallows the rest.
    for (const Favorite& f : ::LoadFavorites())
        AddFavorite(zv::fromCp1252(f.title), zv::fromCp1252(f.url));
}

void TfmPrinc::SaveFavorites()
{
    // A window that never read the favourites (the connection test was
    // cancelled) must not write its empty list over them.
    if (!favoritesLoaded_)
        return;
    std::vector<Favorite> favorites;
    favorites.reserve(size_t(lvMODFavoris->topLevelItemCount()));
    for (int i = 0; i < lvMODFavoris->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvMODFavoris->topLevelItem(i);
        favorites.push_back({zv::toCp1252(item->text(0)), zv::toCp1252(item->text(1))});
    }
    ::SaveFavorites(favorites);
}

void TfmPrinc::bindMOD()
{
    bindMP3();
    bindPodcast();
}
