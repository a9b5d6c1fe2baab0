#include "server/ranges.h"

#include <QLocale>
#include <QTimeZone>
#include <optional>

namespace zvs {

namespace {

// Digits only, without overflow.
std::optional<qint64> position(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    return text.toLongLong();
}

const char* kDateFormat = "ddd, dd MMM yyyy hh:mm:ss 'GMT'";

} // namespace

ByteRange selectRange(const QByteArray& header, qint64 size)
{
    const QByteArray h = header.trimmed();
    const qsizetype eq = h.indexOf('=');
    if (eq < 0 || h.left(eq).trimmed().toLower() != "bytes")
        return {};
    const QByteArray spec = h.mid(eq + 1).trimmed();
    const qsizetype dash = spec.indexOf('-');
    if (dash < 0 || spec.contains(','))
        return {}; // several ranges: the whole file answers them all
    const QByteArray a = spec.left(dash).trimmed();
    const QByteArray b = spec.mid(dash + 1).trimmed();
    if (a.isEmpty()) { // the last b bytes
        const auto suffix = position(b);
        if (!suffix)
            return {};
        if (*suffix == 0 || size == 0)
            return {ByteRange::Unsatisfiable};
        return {ByteRange::Part, std::max<qint64>(0, size - *suffix), size - 1};
    }
    const auto first = position(a);
    const auto last = b.isEmpty() ? std::optional<qint64>(size - 1) : position(b);
    if (!first || !last || (!b.isEmpty() && *last < *first))
        return {};
    if (*first >= size)
        return {ByteRange::Unsatisfiable};
    return {ByteRange::Part, *first, std::min(*last, size - 1)};
}

QByteArray entityTag(qint64 size, const QDateTime& modified)
{
    return '"' + QByteArray::number(size, 16) + '-' + QByteArray::number(modified.toMSecsSinceEpoch(), 16)
        + '"';
}

QByteArray httpDate(const QDateTime& time)
{
    return QLocale::c().toString(time.toUTC(), QLatin1String(kDateFormat)).toLatin1();
}

bool ifRangeHolds(const QByteArray& ifRange, const QByteArray& tag, const QDateTime& modified)
{
    const QByteArray v = ifRange.trimmed();
    if (v.startsWith('"'))
        return v == tag;
    if (v.startsWith("W/"))
        return false;
    QDateTime date = QLocale::c().toDateTime(QString::fromLatin1(v), QLatin1String(kDateFormat));
    if (!date.isValid())
        return false;
    date.setTimeZone(QTimeZone::utc());
    return date.toSecsSinceEpoch() == modified.toSecsSinceEpoch();
}

} // namespace zvs
