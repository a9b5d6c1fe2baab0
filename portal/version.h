#pragma once
// Version texts as numbers, for the update check.
#include <QByteArrayView>
#include <QChar>

namespace zv {

// Only the first two components count and the second reads as a decimal
// fraction: "3.1.0.0" gives 3.1, "3.10" gives 3.1. Components are separated by
// "." (the first one also by the locale's decimal separator). Throws zv::Error
// when the result is not a number (letters, trailing text, a line break).
double VersionNumber(QByteArrayView text, QChar decimalSeparator);
// The same with the decimal separator of the user's locale.
double VersionNumber(QByteArrayView text);

} // namespace zv
