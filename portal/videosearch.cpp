#include "portal/videosearch.h"

#include "portal/canaux.h"
#include "portal/textutil.h"

#include <algorithm>

namespace zv {

QByteArray VideoSearchPage(int listed)
{
    return QByteArray::number(std::max(listed, 0) / VideoResultsPerPage + 1);
}

QByteArray VideoSearchKeywords(const QByteArray& keywords)
{
    QByteArray spaced = keywords;
    spaced.replace(' ', "%20");
    return UrlEncode(spaced);
}

QByteArray VideoSearchRequest(int listed, const QByteArray& keywords)
{
    return "/exe/rech_dm.php?num_page=" + VideoSearchPage(listed)
        + "&recherche=" + VideoSearchKeywords(keywords);
}

std::vector<VideoResult> ParseVideoSearch(QByteArrayView body)
{
    std::vector<VideoResult> out;
    for (const QByteArray& line : SplitLines(body)) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 4)
            continue;
        out.push_back({FixUtf8Latin1(fields[0]), fields[1], fields[2], fields[3]});
    }
    return out;
}

} // namespace zv
