#pragma once
// The video search of the portal (/exe/rech_dm.php): the request and the
// answer, read as bytes. No widgets here.
#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace zv {

// Results the portal gives per page.
inline constexpr int VideoResultsPerPage = 12;

// The page to ask for when `listed` rows are already shown: the page after the
// last full one ("1" for 0 to 11 rows, "2" for 12 to 23...).
QByteArray VideoSearchPage(int listed);

// The keywords as sent: every space "%20", then query-encoded, so that a space
// travels as %2520.
QByteArray VideoSearchKeywords(const QByteArray& keywords);

// "/exe/rech_dm.php?num_page=" + page + "&recherche=" + keywords.
QByteArray VideoSearchRequest(int listed, const QByteArray& keywords);

struct VideoResult {
    QByteArray title; // UTF-8 pairs already folded to single bytes
    QByteArray duration; // display text, as given
    QByteArray thumbnail; // address, as given
    QByteArray video; // address, as given
};

// One video per line, four tab-separated fields: title, duration, thumbnail
// address, video address. A line with fewer fields (an empty line, a cut-off
// answer) is left out; fields after the fourth are ignored.
std::vector<VideoResult> ParseVideoSearch(QByteArrayView body);

} // namespace zv
