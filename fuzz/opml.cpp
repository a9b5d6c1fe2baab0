// The subscription list reader and writer over arbitrary files: the tree it
// gives holds each podcast once, at a usable address, no deeper than it
// allows, and writing it out reads back the same.
#include "fuzz/fuzzing.h"
#include "portal/podcasts/subscriptions.h"

#include <QSet>

using fuzz::check;

namespace {

int checkTree(const std::vector<zv::PodcastOutline>& outlines, int depth, QSet<QString>& seen)
{
    check(depth <= 32);
    int podcasts = 0;
    for (const zv::PodcastOutline& o : outlines) {
        check(o.title == o.title.trimmed() && o.title.size() <= 500);
        if (o.isFolder()) {
            check(!o.title.isEmpty());
            podcasts += checkTree(o.children, depth + 1, seen);
            continue;
        }
        check(o.children.empty());
        check(o.feedUrl.startsWith(QLatin1String("http://"))
            || o.feedUrl.startsWith(QLatin1String("https://")));
        check(zv::FeedAddress(o.feedUrl) == o.feedUrl);
        check(!seen.contains(o.feedUrl));
        seen.insert(o.feedUrl);
        ++podcasts;
    }
    return podcasts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = fuzz::bytes(data, size);
    for (const QUrl& base : {QUrl(), QUrl(QStringLiteral("https://z.example/listes/a.opml"))}) {
        const zv::SubscriptionReading r = zv::ReadSubscriptions(body, base);
        QSet<QString> seen;
        check(checkTree(r.outlines, 0, seen) == r.podcasts);
        check(r.podcasts > 0 || !r.error.isEmpty());

        const zv::SubscriptionReading again
            = zv::ReadSubscriptions(zv::WriteSubscriptions(r.outlines, r.title));
        check(again.outlines == r.outlines && again.title == r.title && again.notice.isEmpty());
    }
    return 0;
}
