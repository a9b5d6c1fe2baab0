// The own-list reader, the search folding and the filter over arbitrary lists.
#include "portal/tv/ownlist.h"

#include "fuzz/fuzzing.h"
#include "portal/tv/rowfilter.h"
#include "portal/tv/textfold.h"
#include "portal/utf8repair.h"

#include <algorithm>

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = fuzz::bytes(data, size);
    const zv::OwnListReading reading = zv::ReadOwnList(body);
    const zv::OwnList& list = reading.list;
    check(reading.error.isEmpty() == !list.empty());
    // Every byte may become a three-byte character, never more.
    const qsizetype most = 3 * body.size();
    for (std::size_t i = 0; i < list.size(); ++i) {
        check(!list.urlUtf8(i).isEmpty() && list.urlUtf8(i).size() <= most);
        check(!list.titleUtf8(i).isEmpty() && zv::IsUtf8(list.titleUtf8(i)));
        check(list.group(i) >= -1 && list.group(i) < list.groupCount());
        check(!zv::ChannelNameKeyUtf8(list.titleUtf8(i)).contains(' '));
    }
    if (list.empty())
        return 0;

    // The first row is found again by its address.
    const zv::RowIdentity first{list.url(0), list.tvgId(0), list.title(0)};
    check(list.locate({&first, 1}).at(0) == std::optional<std::size_t>(0));

    // Whatever the query, the rows found are in order and hold it.
    const auto index = list.searchIndex();
    check(index->size() == list.size());
    zv::RowFilter filter(index);
    const QString query = QString::fromUtf8(body.first(std::min<qsizetype>(body.size(), 3)));
    filter.setQuery(query);
    filter.step(7);
    filter.setQuery(query + query.left(1));
    filter.finish();
    check(std::is_sorted(filter.rows().begin(), filter.rows().end()));
    for (std::uint32_t row : filter.rows())
        check(filter.accepts(row) && index->key(row).contains(filter.foldedQuery()));
    check(zv::IsUtf8(zv::FoldUtf8ForSearch(body)));
    return 0;
}
