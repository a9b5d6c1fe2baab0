#pragma once
// The MP3 search answer of /exe/rech_rbc.php, read as bytes. No widgets here.
#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace zv {

struct Mp3Result {
    QByteArray address; // field 0: the track's media address
    QByteArray title; // field 1
};

// One track per line, fields separated by a tab: address, then title; fields
// after the second are ignored. A line without a tab carries no title and is
// left out, the others still count.
std::vector<Mp3Result> ParseMp3Search(QByteArrayView body);

} // namespace zv
