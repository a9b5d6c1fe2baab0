// The podcast catalogue and feed readers over arbitrary answers.
#include "portal/podcast.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    const zv::PodcastCatalogue cat = zv::ParsePodcastCatalogue(body);
    if (cat.entries.size() + cat.badLines.size() > size_t(body.size()) + 1)
        __builtin_trap();
    const zv::PodcastFeed feed = zv::ParsePodcastFeed(body);
    // Every item takes at least "<item" and "</item" plus one byte.
    if (feed.episodes.size() * 12 > size_t(body.size()) || feed.picture.size() > body.size())
        __builtin_trap();
    for (const zv::PodcastEpisode& e : feed.episodes) {
        if (e.url.size() > body.size() || e.title.size() > body.size())
            __builtin_trap();
    }
    const QByteArray dropped = zv::DropFirst(body, "<item", "</item");
    if (dropped.size() > body.size())
        __builtin_trap();
    return 0;
}
