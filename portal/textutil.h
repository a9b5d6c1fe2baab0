#pragma once
// Text helpers shared by the answer readers and request builders. All work on
// single-byte Windows-1252 text and never fail visibly.
#include <QByteArray>
#include <QColor>

// Six upper-case hexadecimal digits, red green blue ("FF0000" for red).
QByteArray ColorToHtml(const QColor& colour);
// Replaces the character references of codes 0..255 (decimal, lower-case hex,
// HTML 4 names), codes taken in ascending order.
QByteArray DecodeEntities(const QByteArray& text);
// Space "+", ASCII letters and digits kept, every other byte "%xx" in lower case.
QByteArray UrlEncode(const QByteArray& text);
// Each C3 byte and the byte after it become the byte C0 + (next & 3F).
QByteArray FixUtf8Latin1(const QByteArray& text);
