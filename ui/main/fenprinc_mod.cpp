// Media on demand: the favourites ("Mes MP3").
#include "app/config.h"
#include "portal/canaux.h"
#include "portal/cp1252.h"
#include "portal/nmhttp.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"

void TfmPrinc::AddFavorite(const QString& title, const QString& url)
{
    lvMODFavorisModel->append({.kind = zv::EntryKind::Favourite, .caption = title, .address = url});
}

void TfmPrinc::LoadFavorites()
{
    favoritesLoaded_ = true;
    lvMODFavorisModel->clear();
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
    for (const zv::Entry& e : lvMODFavorisModel->entries())
        favorites.push_back({zv::toCp1252(e.caption), zv::toCp1252(e.address)});
    ::SaveFavorites(favorites);
}

void TfmPrinc::bindMOD()
{
    bindMP3();
    bindPodcast();
}
