#include "support/fakeportal.h"

#include "portal/canaux.h"

namespace zv::test {

namespace {

QByteArray page(const QByteArray& title, const QByteArray& accent, const QByteArray& body)
{
    return "<!DOCTYPE html><html><head><meta charset=\"windows-1252\"><title>" + title
        + "</title><style>body{margin:0;font-family:'DejaVu "
          "Sans',sans-serif;background:#0f131b;color:#dfe6f0;}"
          "h1{font-size:17px;margin:0 0 8px 0;color:#fff}p{font-size:12px;line-height:1.45;margin:6px 0}"
          ".hero{background:linear-gradient(135deg,"
        + accent
        + ",#101522);padding:16px 18px;}.box{padding:10px 16px}"
          ".tile{display:inline-block;width:46%;margin:4px "
          "1%;background:#1b2130;border-radius:6px;padding:8px;"
          "box-sizing:border-box;font-size:11px}.tile "
          "b{color:#fff;display:block;margin-bottom:2px}</style></head><body>"
        + body + "</body></html>";
}

} // namespace

QByteArray channelRecords(int n)
{
    static const char* names[] = {"France 24", "Euronews", "TV5 Monde", "Arte", "RTBF La Une", "BBC World",
        "Deutsche Welle", "RAI News", "Al Jazeera", "NHK World", "CNN", "Canal Alg\xe9rie"};
    static const char* flags[] = {"fr", "fr", "fr", "de", "be", "uk", "de", "it", "us", "jp", "us", "za"};
    QByteArray out;
    out.reserve(qsizetype(n) * 64);
    for (int i = 0; i < n; ++i) {
        const int k = i % 12;
        out += '[';
        out += flags[k];
        out += ']';
        out += names[k];
        if (i >= 12) {
            out += ' ';
            out += QByteArray::number(i);
        }
        out += "@@mms://tv.example/live/" + QByteArray::number(i) + ".asf##" + QByteArray::number(i + 1);
        out += i + 1 < n ? "||" : "";
    }
    return out;
}

FakePortal::FakePortal(ScriptedServer& s)
    : server(s)
{
    const QByteArray host = "http://" + s.hostPort();
    set("/exe/test_connexion.php", Reply::ok("ok", "text/plain"));
    set("/exe/cont.php?c=message",
        Reply::ok("Bienvenue sur Zevalo Multim\xe9"
                  "dia : la t\xe9l\xe9, la radio et les jeux en direct, "
                  "o\xf9 que vous soyez !",
            "text/plain"));
    set("/exe/cont.php?c=urlaccg", Reply::ok(host + "/pages/accueil_g.html", "text/plain"));
    set("/exe/cont.php?c=ieacc2", Reply::ok(host + "/pages/accueil_d.html", "text/plain"));
    set("/exe/cont.php?c=urlchat", Reply::ok(host + "/pages/chat.html", "text/plain"));
    set("/exe/cont.php?c=urlsexo", Reply::ok(host + "/pages/sexo.html", "text/plain"));
    set("/exe/cont.php?c=spons", Reply::ok("NON", "text/plain"));
    set("/exe/cont.php?c=version", Reply::ok("3.1", "text/plain"));
    set("/exe/cont.php?c=pub",
        Reply::ok(page("Pub", "#e8833e",
            "<div "
            "style=\"height:60px;width:468px;display:flex;align-items:center;justify-content:space-between;"
            "padding:0 16px;box-sizing:border-box;background:linear-gradient(90deg,#ff7a3d,#e8336c)\">"
            "<b style=\"font-size:18px;color:#fff\">Box Fibre 1 Gb/s</b><span "
            "style=\"font-size:12px;color:#fff\">"
            "T\xe9l\xe9, radio et appels illimit\xe9s &mdash; 19,99 &euro;/mois</span></div>")));
    set("/pages/accueil_g.html",
        Reply::ok(page("Accueil", "#2f9cf0",
            "<div class=hero><h1>Ce soir sur Zevalo</h1><p>Plus de 300 cha\xeenes de t\xe9l\xe9vision et 1 "
            "000 "
            "radios du monde entier, gratuitement.</p></div><div class=box><p><b>20:45</b> &mdash; Le grand "
            "documentaire : les volcans d'Islande</p><p><b>21:30</b> &mdash; Concert live : festival des "
            "Vieilles Charrues</p><p><b>22:50</b> &mdash; Le journal du monde en 15 minutes</p>"
            "<p><b>23:10</b> &mdash; Cin\xe9-club : un classique du film noir</p></div>")));
    set("/pages/accueil_d.html",
        Reply::ok(page("Accueil", "#8e6be8",
            "<div class=hero><h1>\xc0 la une</h1><p>Nouveaut\xe9s de la semaine</p></div><div class=box>"
            "<div class=tile><b>Clips</b>Les 50 titres du moment</div><div class=tile><b>Jeux</b>Tetris, "
            "Pac, Sudoku&hellip;</div><div class=tile><b>Radios</b>Jazz, rock, infos</div><div class=tile>"
            "<b>Podcasts</b>Sciences et culture</div><div class=tile><b>Chat</b>Rejoignez les salons</div>"
            "<div class=tile><b>Vid\xe9os</b>Recherche illimit\xe9"
            "e</div></div>")));
    set("/pages/chat.html",
        Reply::ok(page("Chat", "#2eb86a",
            "<div class=hero><h1>Salon #zevalo</h1><p>42 personnes connect\xe9"
            "es</p></div><div class=box>"
            "<p><b>marie75 :</b> quelqu'un regarde le concert ?</p><p><b>jb_lyon :</b> oui, le son est "
            "top</p><p><b>kevin :</b> salut tout le monde !</p><p><b>sophie :</b> la radio jazz est "
            "g\xe9niale ce soir</p></div>")));
    set("/pages/sexo.html",
        Reply::ok(page("Sexoflux", "#e83e8c", "<div class=hero><h1>Rubrique adulte</h1></div>")));
    set("/exe/contact.php",
        Reply::ok(page("Contact", "#2f9cf0",
            "<div class=hero><h1>Nous \xe9"
            "crire</h1><p>Une question, une suggestion ? Notre \xe9quipe vous "
            "r\xe9pond sous 48 heures.</p></div><div class=box><p>Votre adresse :</p><input "
            "style=\"width:60%\">"
            "<p>Votre message :</p><textarea style=\"width:90%;height:120px\"></textarea><p><button>Envoyer"
            "</button></p></div>")));
    set("/exe/medias.php?t=3&colid", Reply::ok(channelRecords(40), "text/plain"));
    set("/exe/medias.php?t=1&colid",
        Reply::ok("[new]Lumi\xe8re - Les Nuits Blanches@@http://clips.example/nuits.wmv##101||"
                  "[new]Kaya - Soleil d'hiver@@http://clips.example/soleil.wmv##102||"
                  "Les Ondes - Rue des Martyrs@@http://clips.example/rue.wmv##103||"
                  "Nadia B. - Sans toi@@http://clips.example/sanstoi.wmv##104||"
                  "Orchestre du Sud - Mistral@@http://clips.example/mistral.wmv##105",
            "text/plain"));
    set("/exe/medias.php?t=4&colid",
        Reply::ok(
            "[fr]France Info@@http://radio.example/franceinfo.mp3##201||"
            "[fr]FIP@@http://radio.example/fip.mp3##202||[be]Classic 21@@http://radio.example/c21.mp3##203||"
            "[ch]Couleur 3@@http://radio.example/couleur3.mp3##204||"
            "[ca]ICI Musique@@http://radio.example/ici.mp3##205||[uk]BBC Radio "
            "4@@http://radio.example/r4.mp3||"
            "[us]Jazz24@@http://radio.example/jazz24.mp3##207",
            "text/plain"));
    const QByteArray m3u = "#EXTM3U\r\n#EXTINF:0,2 - France 2\r\nrtsp://box.example/f2\r\n"
                           "#EXTINF:0,3 - France 3\r\nrtsp://box.example/f3\r\n#EXTINF:0,5 - France 5\r\n"
                           "rtsp://box.example/f5\r\n#EXTINF:0,7 - Arte\r\nrtsp://box.example/arte\r\n"
                           "#EXTINF:0,14 - France 4\r\nrtsp://box.example/f4\r\n";
    for (const char* b :
        {"/bouquet/free.m3u", "/bouquet/orange.m3u", "/bouquet/clubinternet.m3u", "/bouquet/belgacom.m3u"})
        set(b, Reply::ok(m3u, "audio/x-mpegurl"));
    set("/exe/medias.php?t=2&k=1", Reply::ok("Action##Aventure##R%E%flexion##Sport", "text/plain"));
    set("/exe/podcast.php",
        Reply::ok("1\tSciences\tEspace\tLa t\xeate dans les \xe9toiles\thttp://pod.example/etoiles.xml\r\n"
                  "2\tSciences\tNature\tLes oiseaux du matin\thttp://pod.example/oiseaux.xml\r\n"
                  "3\tCulture\tCin\xe9ma\tLe cin\xe9-club\thttp://pod.example/cine.xml",
            "text/plain"));
    s.setResponder([this](const Request& r) -> std::optional<Reply> {
        if (r.path.startsWith("/exe/vu.php?id="))
            return beacon;
        if (r.path.startsWith("/exe/podcast_image.php"))
            return Reply::ok("<html><body style=\"margin:0;background:#000\"></body></html>");
        return std::nullopt;
    });
}

QByteArrayList FakePortal::paths() const
{
    QByteArrayList out;
    for (const Request& r : server.requests())
        out << r.path;
    return out;
}

} // namespace zv::test
