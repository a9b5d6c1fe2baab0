// The search answers (MP3 and video) and the download address over arbitrary
// bytes: every field stays within its line and the address split loses nothing.
#include "fuzz/fuzzing.h"
#include "portal/download.h"
#include "portal/mp3search.h"
#include "portal/videosearch.h"

#include <cstring>

using fuzz::check;

namespace {

bool oneField(const QByteArray& text)
{
    return !text.contains('\t') && !text.contains('\r') && !text.contains('\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = fuzz::bytes(data, size);
    const qsizetype tabs = body.count('\t');

    const std::vector<zv::Mp3Result> tracks = zv::ParseMp3Search(body);
    check(qsizetype(tracks.size()) <= tabs);
    for (const zv::Mp3Result& t : tracks)
        check(oneField(t.address) && oneField(t.title));

    const std::vector<zv::VideoResult> videos = zv::ParseVideoSearch(body);
    check(qsizetype(videos.size()) * 3 <= tabs);
    for (const zv::VideoResult& v : videos) {
        check(oneField(v.title) && oneField(v.duration) && oneField(v.thumbnail) && oneField(v.video));
        check(!v.title.contains('\xC3'));
    }

    // The first line as a download address.
    const QByteArray address = body.left(body.indexOf('\n'));
    const zv::DownloadAddress split = zv::SplitDownloadAddress(address);
    if (split.host.isEmpty() && split.path.isEmpty()) {
        check(split.fileName.isEmpty());
    } else {
        check(!split.host.contains('/') && split.path.startsWith('/'));
        check(address.endsWith(split.host + split.path));
        check(address.size() - split.host.size() - split.path.size() <= address.indexOf("://") + 3);
    }
    check(split.fileName.size() <= 1000 && !split.fileName.contains('/') && !split.fileName.contains('?'));
    const QByteArray request = zv::DownloadRequest(split);
    check(!request.mid(split.host.size()).contains(' '));
    check(zv::ProposedFileName(split.fileName).size() == split.fileName.size());

    if (size >= 16) {
        qint64 received = 0;
        qint64 total = 0;
        std::memcpy(&received, data, 8);
        std::memcpy(&total, data + 8, 8);
        const int percent = zv::DownloadPercent(received, total);
        check(total <= 0 ? percent == -1 : percent >= 0 && percent <= 100);
        check(received < total || total <= 0 || percent == 100);
    }

    for (const char c : zv::VideoSearchKeywords(body))
        check(c == '%' || c == '+' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')
            || (c >= 'A' && c <= 'Z'));
    return 0;
}
