#pragma once
// Byte-level text helpers of the demo portal: its answers are Windows-1252, its
// own files UTF-8, and what clients send may be either, escaped or not.
#include <QByteArray>
#include <QString>

namespace zvs {

QByteArray toCp1252(const QString& text); // characters outside the set become '?'
QString fromCp1252(const QByteArray& bytes);
// Client text of unknown encoding: valid UTF-8 holding non-ASCII is read as
// UTF-8, anything else as Windows-1252.
QString fromClientBytes(const QByteArray& bytes);

// %XX decoding; a '%' not followed by two hex digits stays as it is.
QByteArray percentDecode(const QByteArray& text, bool plusIsSpace = true);
// The portal's accent escape for names: "%E%" stands for "é".
QString accentUnescape(const QString& text);
QString accentEscape(const QString& text);

// Lower case without accents, for matching what people type.
QString foldForSearch(const QString& text);

QByteArray htmlEscape(const QString& text); // UTF-8 text for HTML, & < > " ' escaped
QString htmlEscapeText(const QString& text);

} // namespace zvs
