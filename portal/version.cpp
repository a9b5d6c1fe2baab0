#include "portal/version.h"

#include "base/errors.h"

#include <QLocale>
#include <QString>

namespace zv {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A floating-point text by the locale's rules: blanks around, a sign, digits
// with at most one decimal separator, an optional exponent. No grouping.
bool parseFloat(const QString& text, QChar sep, double& value)
{
    qsizetype i = 0;
    qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    while (n > i && text[n - 1] == u' ')
        --n;
    QString c;
    // Each takes what it reads into c, in the C locale's form.
    const auto sign = [&] {
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            c += text[i++];
    };
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < n && isDigit(text[i]))
            c += text[i++];
        return i - from;
    };
    sign();
    qsizetype mantissa = digits();
    if (i < n && text[i] == sep) {
        c += u'.';
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        c += u'e';
        ++i;
        sign();
        if (digits() == 0)
            return false;
    }
    if (i != n)
        return false;
    bool ok = false;
    value = c.toDouble(&ok);
    return ok;
}

} // namespace

double VersionNumber(QByteArrayView bytes, QChar sep)
{
    const QString text = QString::fromLatin1(bytes);
    QString s;
    qsizetype i = 0;
    while (i < text.size() && text[i] != u'.' && text[i] != sep)
        s += text[i++];
    s += sep;
    ++i; // past the separator that ended the first component
    while (i < text.size() && text[i] != u'.')
        s += text[i++];
    double value = 0;
    if (!parseFloat(s, sep, value))
        throw Error(QStringLiteral("'%1' n'est pas une valeur à virgule flottante correcte").arg(s));
    return value;
}

double VersionNumber(QByteArrayView text)
{
    const QString point = QLocale().decimalPoint();
    return VersionNumber(text, point.isEmpty() ? QChar(u'.') : point.front());
}

} // namespace zv
