#include "server/catalogue.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <stdexcept>

namespace zvs {

namespace {

Channel readChannel(const QJsonObject& o)
{
    Channel c;
    c.id = o.value("id").toInt();
    c.name = o.value("nom").toString();
    c.key = o.value("cle").toString();
    c.file = o.value("fichier").toString();
    c.engine = o.value("moteur").toString();
    c.colour = o.value("couleur").toString("#1d4f91");
    return c;
}

QVector<Channel> readChannels(const QJsonArray& a)
{
    QVector<Channel> out;
    for (const auto& v : a)
        out.append(readChannel(v.toObject()));
    return out;
}

} // namespace

QStringList Catalogue::categories() const
{
    QStringList out;
    for (const Game& g : games) {
        if (!out.contains(g.category))
            out.append(g.category);
    }
    return out;
}

const Game* Catalogue::findGame(const QString& name) const
{
    const QString wanted = name.trimmed();
    for (const Game& g : games) {
        if (g.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &g;
    }
    return nullptr;
}

bool Catalogue::hasCategory(const QString& name, QString* exact) const
{
    const QString wanted = name.trimmed();
    for (const QString& c : categories()) {
        if (c.compare(wanted, Qt::CaseInsensitive) == 0) {
            if (exact)
                *exact = c;
            return true;
        }
    }
    return false;
}

bool Catalogue::knownContentId(int id) const
{
    if (id <= 0)
        return false;
    for (const auto* list : {&tv, &radios, &clips}) {
        for (const Channel& c : *list) {
            if (c.id == id)
                return true;
        }
    }
    for (const Game& g : games) {
        if (g.id == id)
            return true;
    }
    return false;
}

Catalogue loadCatalogue(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (doc.isNull() || !doc.isObject())
        throw std::runtime_error(path.toStdString() + ": " + error.errorString().toStdString());
    const QJsonObject root = doc.object();

    Catalogue cat;
    cat.tv = readChannels(root.value("tele").toArray());
    cat.radios = readChannels(root.value("radios").toArray());
    cat.clips = readChannels(root.value("clips").toArray());

    for (const auto& v : root.value("bouquets").toArray()) {
        const QJsonObject o = v.toObject();
        Bouquet b;
        b.name = o.value("nom").toString();
        b.utf8 = o.value("utf8").toBool();
        for (const auto& e : o.value("chaines").toArray()) {
            const QJsonObject eo = e.toObject();
            b.entries.append(
                {eo.value("numero").toInt(), eo.value("nom").toString(), eo.value("fichier").toString()});
        }
        cat.bouquets.append(b);
    }

    for (const auto& v : root.value("jeux").toArray()) {
        const QJsonObject o = v.toObject();
        Game g;
        g.id = o.value("id").toInt();
        g.name = o.value("nom").toString();
        g.category = o.value("categorie").toString();
        g.kind = o.value("type").toString("swf");
        g.file = o.value("fichier").toString();
        g.width = o.value("largeur").toInt(550);
        g.height = o.value("hauteur").toInt(400);
        g.description = o.value("description").toString();
        g.background = o.value("fond").toString("#ffffff");
        g.colour = o.value("couleur").toString("#e03c31");
        cat.games.append(g);
    }

    for (const auto& v : root.value("podcasts").toArray()) {
        const QJsonObject o = v.toObject();
        Podcast p;
        p.id = o.value("id").toInt();
        p.group1 = o.value("groupe1").toString();
        p.group2 = o.value("groupe2").toString();
        p.title = o.value("titre").toString();
        p.slug = o.value("flux").toString();
        p.imageStyle = o.value("style_image").toString("url");
        p.image = o.value("image").toString();
        p.entities = o.value("entites").toBool();
        p.description = o.value("description").toString();
        for (const auto& e : o.value("episodes").toArray()) {
            const QJsonObject eo = e.toObject();
            p.episodes.append({eo.value("titre").toString(), eo.value("fichier").toString(),
                eo.value("enclosure").toString("fermee") != QLatin1String("auto")});
        }
        cat.podcasts.append(p);
    }

    for (const auto& v : root.value("morceaux").toArray()) {
        const QJsonObject o = v.toObject();
        cat.tracks.append({o.value("titre").toString(), o.value("artiste").toString(),
            o.value("genre").toString(), o.value("fichier").toString(), o.value("duree").toInt(8)});
    }

    for (const auto& v : root.value("videos").toArray()) {
        const QJsonObject o = v.toObject();
        cat.videos.append(
            {o.value("titre").toString(), o.value("mots").toString(), o.value("fichier").toString(),
                o.value("vignette").toString(), o.value("duree").toInt(6), o.value("moteur").toString()});
    }

    const QJsonObject list = root.value("ma_liste").toObject();
    cat.ownList.name = list.value("nom").toString();
    for (const auto& v : list.value("chaines").toArray()) {
        const QJsonObject o = v.toObject();
        const QString name = o.value("nom").toString();
        ListChannel c{o.value("id").toString(), name, o.value("titre").toString(name),
            o.value("groupe").toString(), o.value("extgrp").toBool(), o.value("vlcopt").toString(),
            o.value("fichier").toString(), o.value("logo").toString(), o.value("couleur").toString("#1d4f91"),
            o.value("fuseau").toString("UTC"), {}};
        for (const auto& g : o.value("grille").toArray()) {
            const QJsonObject go = g.toObject();
            c.grid.append({go.value("heure").toString(), go.value("titre").toString(),
                go.value("genre").toString(), go.value("resume").toString()});
        }
        cat.ownList.channels.append(c);
    }

    for (const auto& v : root.value("mes_podcasts").toArray()) {
        const QJsonObject o = v.toObject();
        OwnPodcast p{o.value("flux").toString(), o.value("format").toString("rss2"),
            o.value("titre").toString(), o.value("dossier").toString(), o.value("description").toString(),
            o.value("image").toString(), {}};
        for (const auto& e : o.value("episodes").toArray()) {
            const QJsonObject eo = e.toObject();
            p.episodes.append({eo.value("titre").toString(), eo.value("fichier").toString(),
                eo.value("duree").toInt(), eo.value("il_y_a").toInt(), eo.value("resume").toString()});
        }
        cat.ownPodcasts.append(p);
    }
    return cat;
}

} // namespace zvs
