#include "portal/jeux.h"

#include "base/errors.h"
#include "portal/canaux.h"
#include "portal/textutil.h"

#include <limits>

namespace zv {

namespace {

std::vector<QByteArray> linesOf(QByteArray body, const char* separator)
{
    body.replace(separator, "\r\n");
    return SplitLines(body);
}

QByteArray valueOf(const std::vector<QByteArray>& lines, const QByteArray& name)
{
    // First line whose name before "=" matches; an absent name gives no value.
    for (const QByteArray& line : lines) {
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0 && line.left(eq) == name)
            return line.mid(eq + 1);
    }
    return {};
}

int dimension(const std::vector<QByteArray>& lines, const QByteArray& name)
{
    const QByteArray text = valueOf(lines, name);
    int value = 0;
    if (!ToInt(text, value))
        throw Error(
            QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(QString::fromLatin1(text)));
    return value;
}

} // namespace

QByteArray UnescapeGameName(QByteArray name)
{
    return name.replace("%E%", "\xe9");
}

QByteArray EscapeGameName(QByteArray name)
{
    return name.replace("\xe9", "%E%");
}

QByteArray EncodeGameName(const QByteArray& displayed)
{
    return UrlEncode(EscapeGameName(displayed));
}

std::vector<QByteArray> ParseGameCategories(const QByteArray& body)
{
    std::vector<QByteArray> out = linesOf(body, "##");
    for (QByteArray& name : out)
        name = UnescapeGameName(std::move(name));
    return out;
}

std::vector<GameEntry> ParseGames(const QByteArray& body)
{
    std::vector<GameEntry> out;
    for (QByteArray& line : linesOf(body, "||")) {
        GameEntry e;
        const qsizetype sep = line.indexOf("##");
        if (sep >= 0) {
            if (!ToInt(line.mid(sep + 2, 10), e.id))
                e.id = 0;
            line.truncate(sep);
        }
        e.name = UnescapeGameName(std::move(line));
        out.push_back(std::move(e));
    }
    return out;
}

bool ToInt(const QByteArray& text, int& value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == n)
        return false;
    qint64 v = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return false;
    value = int(v);
    return true;
}

QByteArray GameLaunchAddress(const QByteArray& body)
{
    const std::vector<QByteArray> lines = linesOf(body, "##");
    if (lines.empty())
        throw Error(QStringLiteral("La réponse du portail ne donne pas l'adresse du jeu."));
    return lines[0];
}

void GameLaunchSize(const QByteArray& body, int& width, int& height)
{
    const std::vector<QByteArray> lines = linesOf(body, "##");
    if (lines.size() < 2)
        throw Error(QStringLiteral("la réponse ne donne aucune dimension"));
    QByteArray attributes = lines[1].toLower();
    attributes.replace(' ', "\r\n");
    const std::vector<QByteArray> pairs = SplitLines(attributes);
    width = dimension(pairs, "width");
    height = dimension(pairs, "height");
}

} // namespace zv
