#include "server/query.h"

#include "server/charset.h"

#include <QRegularExpression>

namespace zvs {

Query::Query(const QByteArray& raw)
    : raw_(raw)
{
    for (const QByteArray& part : raw.split('&')) {
        if (part.isEmpty())
            continue;
        const qsizetype eq = part.indexOf('=');
        if (eq < 0)
            pairs_.append({percentDecode(part), QByteArray()});
        else
            pairs_.append({percentDecode(part.left(eq)), part.mid(eq + 1)});
    }
}

bool Query::has(const QByteArray& key) const
{
    for (const auto& p : pairs_) {
        if (p.first == key)
            return true;
    }
    return false;
}

std::optional<QByteArray> Query::value(const QByteArray& key) const
{
    for (const auto& p : pairs_) {
        if (p.first == key)
            return percentDecode(p.second);
    }
    return std::nullopt;
}

std::optional<QByteArray> Query::rawValue(const QByteArray& key) const
{
    for (const auto& p : pairs_) {
        if (p.first == key)
            return p.second;
    }
    return std::nullopt;
}

std::optional<QByteArray> Query::rest(const QByteArray& key) const
{
    const QByteArray marker = key + '=';
    qsizetype at = raw_.startsWith(marker) ? 0 : -1;
    if (at < 0) {
        const qsizetype found = raw_.indexOf('&' + marker);
        if (found < 0)
            return std::nullopt;
        at = found + 1;
    }
    return raw_.mid(at + marker.size());
}

QString clientName(const QByteArray& rawValue)
{
    // The accent escape is set aside first so that a second decoding cannot
    // read "%E%ab" as an encoded byte.
    static const QByteArray marker("\x01E\x01");
    QByteArray bytes = percentDecode(rawValue);
    bytes.replace("%E%", marker);
    // A second layer of encoding ("%2520") leaves %XX sequences behind.
    static const QRegularExpression encoded(QStringLiteral("%[0-9A-Fa-f]{2}"));
    if (QString::fromLatin1(bytes).contains(encoded))
        bytes = percentDecode(bytes, false);
    QString text = fromClientBytes(bytes);
    text.replace(QString::fromLatin1(marker), QStringLiteral("é"));
    return text.trimmed();
}

QStringList keywordWords(const QString& keywords)
{
    static const QRegularExpression separators(QStringLiteral("[\\s_+]+"));
    return keywords.split(separators, Qt::SkipEmptyParts);
}

std::optional<long> parseCount(const QByteArray& text, long max)
{
    const QByteArray t = text.trimmed();
    if (t.isEmpty() || t.size() > 12)
        return std::nullopt;
    long value = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > max)
        return std::nullopt;
    return value;
}

} // namespace zvs
