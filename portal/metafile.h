#pragma once
// Playlist metafiles: the small files a link points to instead of the stream
// itself. RealPlayer's .ram/.rpm and .m3u lists hold one address a line;
// Windows Media's .asx/.wax/.wvx are XML "<ref href>" entries, or the older
// "[Reference]" form with "Ref1=" lines. Pure functions over the file's bytes.
#include <QByteArray>
#include <QUrl>
#include <vector>

namespace zv {

// The entries of a metafile in their order, as written (unresolved). The form
// is told from the content, whatever the file is called.
std::vector<QByteArray> MetafileEntries(const QByteArray& bytes);

// The first entry a player can open, resolved against the metafile's own
// address `base`; empty when there is none. Entries of a metafile that came
// over the network never name a local file.
QUrl FirstPlayableEntry(const QByteArray& bytes, const QUrl& base);

} // namespace zv
