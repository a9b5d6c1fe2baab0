#include "portal/mp3search.h"

#include "portal/canaux.h"

namespace zv {

std::vector<Mp3Result> ParseMp3Search(QByteArrayView body)
{
    std::vector<Mp3Result> out;
    for (const QByteArray& line : SplitLines(body)) {
        const qsizetype tab = line.indexOf('\t');
        if (tab < 0)
            continue;
        const qsizetype end = line.indexOf('\t', tab + 1);
        out.push_back({line.left(tab), line.mid(tab + 1, end < 0 ? -1 : end - tab - 1)});
    }
    return out;
}

} // namespace zv
