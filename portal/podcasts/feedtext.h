#pragma once
// What the subscription and feed readers share: the XML of a whole answer
// token by token, and texts as a list shows them.
#include "portal/xmlscan.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace zv {

// A text on one line: blanks and line ends folded into single spaces, no
// blank at either end, at most `limit` characters (cut between characters);
// the control codes 0x80-0x9F read as the Windows-1252 characters they are
// in files that call themselves ISO-8859-1.
QString FoldedText(QByteArrayView utf8, qsizetype limit);

// The name without its namespace prefix ("itunes:image" gives "image").
QByteArrayView LocalName(QByteArrayView name);

// A whole document for an XmlScanner: its bytes as UTF-8 (in the encoding
// its declaration names), handed over at once and marked as ended.
void FeedWhole(XmlScanner& xml, const QByteArray& bytes);

// Whether a document whose root is `root` is a web page.
bool IsWebPageRoot(QByteArrayView root);

} // namespace zv
