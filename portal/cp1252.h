#pragma once
// Windows-1252, the character set of every portal answer and of config.ini.
// 0x80-0x9F differ from Latin-1 (euro sign, oe ligature, curly quotes...).
#include <QByteArray>
#include <QString>

namespace zv {

QString fromCp1252(QByteArrayView bytes);
// Characters outside Windows-1252 become '?'.
QByteArray toCp1252(QStringView text);
// UTF-8 text in Windows-1252: each valid sequence becomes its character, '?'
// outside the set; bytes that are not valid UTF-8 are kept as they are, so
// single-byte text passes through. A byte order mark at the start is dropped.
QByteArray utf8ToCp1252(QByteArrayView bytes);
// The character references that feeds write beyond Latin-1 ("&#8217;",
// "&#x2019;", "&rsquo;", "&#039;", "&apos;"...) in Windows-1252, '?' outside
// it. Anything that is not such a reference is kept as it is.
QByteArray decodeWideReferences(QByteArrayView text);

} // namespace zv
