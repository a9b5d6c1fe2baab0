// The programme guide reader and the forgiving XML reader under it, and the
// loading of cache files, over arbitrary bytes.
#include "portal/tv/xmltv.h"

#include "fuzz/fuzzing.h"
#include "portal/xmlscan.h"

using fuzz::check;

namespace {

// The index's promises: each channel's programmes by start, none ending
// before it starts or after the next one starts.
void checkIndex(const zv::GuideIndex& g)
{
    std::size_t total = 0;
    for (int c = 0; c < g.channelCount(); ++c) {
        const int n = g.programmeCount(c);
        total += std::size_t(n);
        qint64 previousStart = std::numeric_limits<qint64>::min();
        for (int i = 0; i < n; ++i) {
            const zv::GuideProgramme p = g.programme(c, i);
            check(p.stop >= p.start && p.start > previousStart);
            if (i + 1 < n)
                check(p.stop <= g.programme(c, i + 1).start);
            previousStart = p.start;
        }
        if (n > 0) {
            const zv::NowNext nn = g.nowNext(c, g.programme(c, 0).start);
            check(!nn.now || (nn.progress >= 0 && nn.progress <= 1));
        }
        g.day(c, QDate(2024, 5, 1), QTimeZone::utc());
        g.displayNames(c);
    }
    check(total == g.totalProgrammes());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = fuzz::bytes(data, size);
    const zv::GuideReading reading = zv::ReadGuide(body);
    check(reading.index != nullptr && !reading.cancelled);
    checkIndex(*reading.index);

    // Its cache form reads back the same.
    const std::optional<zv::GuideIndex> again = zv::GuideIndex::load(reading.index->save());
    check(again && again->totalProgrammes() == reading.index->totalProgrammes());

    // The bytes as a damaged cache file: nothing, or a sound index.
    if (const std::optional<zv::GuideIndex> loaded = zv::GuideIndex::load(body))
        checkIndex(*loaded);

    // The XML reader never reports an end element it did not start, fed in
    // pieces as a network would.
    zv::XmlScanner xml;
    int depth = 0;
    for (qsizetype at = 0;;) {
        const zv::XmlScanner::Token t = xml.next();
        if (t == zv::XmlScanner::Token::End)
            break;
        if (t == zv::XmlScanner::Token::NeedData) {
            if (at >= body.size()) {
                xml.endOfData();
                continue;
            }
            const qsizetype piece = 1 + (at * 7) % 13;
            xml.addData(body.sliced(at, std::min(piece, body.size() - at)));
            at += piece;
            continue;
        }
        if (t == zv::XmlScanner::Token::StartElement)
            ++depth;
        if (t == zv::XmlScanner::Token::EndElement)
            --depth;
        check(depth >= 0 && depth == xml.depth());
    }
    check(depth == 0);
    return 0;
}
