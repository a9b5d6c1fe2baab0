#include "portal/popupschedule.h"

#include "portal/cp1252.h"

#include <limits>

namespace zv {

QList<QByteArray> popupScheduleLines(const QByteArray& answer)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = answer.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && answer[end] != '\r' && answer[end] != '\n')
            ++end;
        if (end > start)
            lines.append(answer.mid(start, end - start));
        if (end < n && answer[end] == '\r' && end + 1 < n && answer[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

QList<QByteArray> popupEntryFields(const QByteArray& line)
{
    return line.split(',');
}

QByteArray popupFieldValue(const QList<QByteArray>& fields, QByteArrayView key)
{
    for (const QByteArray& field : fields) {
        const qsizetype eq = field.indexOf('=');
        if (eq < 0)
            continue;
        if (QByteArrayView(field.constData(), eq).compare(key, Qt::CaseInsensitive) == 0)
            return field.mid(eq + 1);
    }
    return {};
}

std::optional<int> popupInteger(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

PopupDecision decidePopupEntry(const QByteArray& line, int minute, bool testMode)
{
    PopupDecision decision;
    const QList<QByteArray> fields = popupEntryFields(line);
    const std::optional<int> delai = popupInteger(popupFieldValue(fields, "delai"));
    if (!delai) {
        decision.action = PopupAction::Fail;
        return decision;
    }
    if (!testMode && *delai > minute) {
        decision.action = PopupAction::Wait;
        return decision;
    }
    const QByteArray actif = popupFieldValue(fields, "actif");
    const bool shown = actif.compare("OUI", Qt::CaseInsensitive) == 0
        || (testMode && actif.compare("TEST", Qt::CaseInsensitive) == 0);
    if (!shown) {
        decision.action = PopupAction::Drop;
        return decision;
    }
    const std::optional<int> width = popupInteger(popupFieldValue(fields, "largeur"));
    const std::optional<int> height = popupInteger(popupFieldValue(fields, "hauteur"));
    const auto sane = [](const std::optional<int>& side) { return side && *side >= 0 && *side <= MaxPopupSide; };
    if (!sane(width) || !sane(height)) {
        decision.action = PopupAction::Fail;
        return decision;
    }
    decision.action = PopupAction::Open;
    decision.url = popupFieldValue(fields, "url");
    decision.width = *width;
    decision.height = *height;
    return decision;
}

QString popupEntryErrorText(const QByteArray& line)
{
    QString detail;
    for (const QByteArray& field : popupEntryFields(line))
        detail += fromCp1252(field) + QStringLiteral("\r\n");
    return QStringLiteral("Erreur sur la ligne : \r\n") + fromCp1252(line) + QStringLiteral("\r\n\r\nDétail : \r\n")
        + detail;
}

} // namespace zv
