#pragma once
// Text folded for comparing what people type with what lists and guides say:
// case and accents do not count ("mete" finds "Zevalo Météo"), in any script.
// Folded text is UTF-8.
#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

namespace zv {

// Lower case (full case folding), accents and other combining marks dropped,
// compatibility forms spelled out (ligatures, full-width and circled letters,
// "œ" as "oe", "ß" as "ss"), every run of blanks and control characters one
// space, none at either end. Punctuation stays: "canal+" is what it says.
QByteArray FoldForSearch(QStringView text);
QByteArray FoldUtf8ForSearch(QByteArrayView utf8);
// The same, appended to out.
void AppendFolded(QByteArray& out, QStringView text);
void AppendFoldedUtf8(QByteArray& out, QByteArrayView utf8);

// What a channel's name comes to once the ways lists and guides dress it are
// folded away: case, accents, blanks and punctuation, a leading country tag
// ("FR:", "|FR|", "[FR]") and trailing quality words ("HD", "FHD", "UHD",
// "SD", "4K", "HEVC"); "+" reads "plus". "TF1 HD", "tf1" and "FR: TF1 FHD"
// give the same key; "France 2" and "France2" too. Empty when nothing is left.
QByteArray ChannelNameKey(QStringView name);
QByteArray ChannelNameKeyUtf8(QByteArrayView utf8);

} // namespace zv
