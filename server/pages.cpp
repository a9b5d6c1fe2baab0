#include "server/pages.h"

#include "server/charset.h"

#include <QHash>
#include <QRegularExpression>
#include <stdexcept>

namespace zvs {

namespace {

const char* kBaseStyle = R"(
  html, body { margin: 0; padding: 0; }
  body { font: 12px/1.4 "DejaVu Sans", Verdana, Arial, sans-serif; color: #22313f; background: #f4f7fb; }
  h1 { font-size: 15px; margin: 0 0 6px; color: #1d4f91; }
  p { margin: 0 0 6px; }
  .boite { margin: 8px; padding: 8px 10px; background: #fff; border: 1px solid #d5dde8; border-radius: 6px; }
  .etiquette { display: inline-block; padding: 1px 6px; border-radius: 9px; background: #1d4f91; color: #fff; font-size: 11px; }
  .discret { color: #6b7c93; font-size: 11px; }
)";

} // namespace

QString renderPage(const QString& text, const std::function<QString(const QString& name)>& layout)
{
    static const QRegularExpression slot(QStringLiteral("^\\{\\{([a-z]+):\\}\\}(?: (.*))?$"));
    static const QRegularExpression place(QStringLiteral("\\{\\{([a-z]+)\\}\\}"));
    static const QRegularExpression layoutName(QStringLiteral("^[a-z0-9-]+$"));
    QString page = text;
    for (int depth = 0; depth < 8; ++depth) {
        QStringList lines = page.split(QLatin1Char('\n'));
        auto m = slot.match(lines.first());
        if (!m.hasMatch() || m.captured(1) != QLatin1String("modele"))
            return page;
        const QString name = m.captured(2).trimmed();
        if (!layoutName.match(name).hasMatch())
            throw std::runtime_error("bad layout name " + name.toStdString());
        if (lines.last().isEmpty())
            lines.removeLast(); // the file's final line end
        QHash<QString, QString> values;
        QString open; // the block being read
        QStringList block;
        auto close = [&] {
            if (!open.isEmpty())
                values.insert(open, block.join(QLatin1Char('\n')));
            open.clear();
            block.clear();
        };
        for (qsizetype i = 1; i < lines.size(); ++i) {
            m = slot.match(lines[i]);
            if (!m.hasMatch()) {
                block.append(lines[i]);
                continue;
            }
            close();
            if (m.hasCaptured(2))
                values.insert(m.captured(1), m.captured(2));
            else
                open = m.captured(1);
        }
        close();

        QStringList filled;
        for (const QString& line : layout(name).split(QLatin1Char('\n'))) {
            m = place.match(line);
            if (m.hasMatch() && m.capturedLength() == line.size()) {
                const QString value = values.value(m.captured(1));
                if (!value.isEmpty())
                    filled.append(value);
                continue;
            }
            QString out;
            qsizetype from = 0;
            for (auto it = place.globalMatch(line); it.hasNext();) {
                const auto p = it.next();
                out += line.mid(from, p.capturedStart() - from) + values.value(p.captured(1));
                from = p.capturedEnd();
            }
            filled.append(out + line.mid(from));
        }
        page = filled.join(QLatin1Char('\n'));
    }
    throw std::runtime_error("layouts nested too deep");
}

QString htmlPage(const QString& title, const QString& body, const QString& style)
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"windows-1252\">\n"
                          "<title>%1</title>\n<style>%2%3</style>\n</head>\n<body>\n%4\n</body>\n</html>\n")
        .arg(htmlEscapeText(title), QString::fromLatin1(kBaseStyle), style, body);
}

QString notFoundPage(const QString& what)
{
    return htmlPage(QStringLiteral("Page introuvable"),
        QStringLiteral("<div class=\"boite\"><h1>Page introuvable</h1><p>%1</p>"
                       "<p class=\"discret\">Zevalo Multimédia</p></div>")
            .arg(htmlEscapeText(what)));
}

QString gameDescriptionPage(const Game& g)
{
    const QString kind
        = g.kind == QLatin1String("swf") ? QStringLiteral("Jeu Flash") : QStringLiteral("Jeu HTML5");
    return htmlPage(g.name,
        QStringLiteral("<div class=\"boite\"><h1>%1</h1>"
                       "<p><span class=\"etiquette\">%2</span> <span class=\"etiquette\">%3</span></p>"
                       "<p>%4</p><p class=\"discret\">Taille de l'aire de jeu : %5 × %6 pixels.</p>"
                       "<p>Cliquez sur « Jouer » pour lancer la partie.</p></div>")
            .arg(htmlEscapeText(g.name), htmlEscapeText(g.category), kind, htmlEscapeText(g.description))
            .arg(g.width)
            .arg(g.height));
}

QString gameHolderPage(const Game* game, const QString& gameUrl, const QString& width, const QString& height,
    const QString& colour)
{
    const QString style
        = QStringLiteral("html, body { width: 100%; height: 100%; overflow: hidden; background: #%1; }"
                         " iframe { border: 0; display: block; }")
              .arg(colour);
    if (!game) {
        return htmlPage(QStringLiteral("Jeu introuvable"),
            QStringLiteral("<div class=\"boite\"><h1>Jeu introuvable</h1>"
                           "<p>Ce jeu n'existe pas ou n'est plus proposé.</p></div>"),
            style);
    }
    if (game->kind == QLatin1String("swf")) {
        return htmlPage(game->name,
            QStringLiteral("<div class=\"boite\"><h1>%1</h1><p>Ce jeu Flash se joue dans la fenêtre de "
                           "jeu de Zevalo Multimédia.</p></div>")
                .arg(htmlEscapeText(game->name)),
            style);
    }
    return htmlPage(game->name,
        QStringLiteral("<iframe src=\"%1\" width=\"%2\" height=\"%3\" scrolling=\"no\" "
                       "title=\"%4\"></iframe>")
            .arg(htmlEscapeText(gameUrl), width, height, htmlEscapeText(game->name)),
        style);
}

QString podcastPicturePage(const QString& colour, const QString& pictureUrl)
{
    const QString style
        = QStringLiteral("html, body { width: 100%; height: 100%; overflow: hidden; background: #%1; }"
                         " .cadre { display: flex; align-items: center; justify-content: center;"
                         " width: 100%; height: 100%; }"
                         " img { max-width: 100%; max-height: 100%; }")
              .arg(colour);
    QString body = QStringLiteral("<div class=\"cadre\"></div>");
    if (!pictureUrl.isEmpty())
        body = QStringLiteral("<div class=\"cadre\"><img src=\"%1\" alt=\"\"></div>")
                   .arg(htmlEscapeText(pictureUrl));
    return htmlPage(QStringLiteral("Image"), body, style);
}

QString contactResultPage(bool stored, const QString& reason)
{
    if (stored) {
        return htmlPage(QStringLiteral("Message envoyé"),
            QStringLiteral("<div class=\"boite\"><h1>Merci !</h1><p>Votre message a bien été envoyé à "
                           "l'équipe de Zevalo Multimédia. Nous vous répondrons rapidement.</p>"
                           "<p><a href=\"/exe/contact.php\">Écrire un autre message</a></p></div>"));
    }
    return htmlPage(QStringLiteral("Message non envoyé"),
        QStringLiteral("<div class=\"boite\"><h1>Message non envoyé</h1><p>%1</p>"
                       "<p><a href=\"/exe/contact.php\">Revenir au formulaire</a></p></div>")
            .arg(htmlEscapeText(reason)));
}

QString safeColour(const QString& text, const QString& fallback)
{
    static const QRegularExpression hex(QStringLiteral("^#?([0-9A-Fa-f]{6})$"));
    const auto m = hex.match(text.trimmed());
    return m.hasMatch() ? m.captured(1).toUpper() : fallback;
}

QString safeLength(const QString& text, const QString& fallback)
{
    static const QRegularExpression len(QStringLiteral("^([0-9]{1,4})(%|px)?$"));
    const auto m = len.match(text.trimmed());
    if (!m.hasMatch())
        return fallback;
    return m.captured(1) + (m.captured(2) == QLatin1String("%") ? QStringLiteral("%") : QString());
}

QString safeHttpUrl(const QString& text)
{
    const QString t = text.trimmed();
    if (!t.startsWith(QLatin1String("http://")) && !t.startsWith(QLatin1String("https://")))
        return {};
    for (QChar ch : t) {
        if (ch.unicode() < 0x21 || ch == u'"' || ch == u'<' || ch == u'>' || ch == u'\'' || ch == u'`')
            return {};
    }
    return t;
}

} // namespace zvs
