// The own-podcast feed reader over arbitrary feeds: every episode has an
// address and a key of its own, the list runs newest first, and the dates and
// lengths it reads are sound.
#include "fuzz/fuzzing.h"
#include "portal/podcasts/feed.h"

#include <QSet>

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = fuzz::bytes(data, size);
    for (const QString& address : {QString(), QStringLiteral("https://f.example/flux/a.xml")}) {
        const zv::FeedReading f = zv::ReadFeed(body, address);
        check(!f.episodes.empty() || !f.error.isEmpty());
        QSet<QByteArray> keys;
        for (std::size_t i = 0; i < f.episodes.size(); ++i) {
            const zv::FeedEpisode& e = f.episodes[i];
            check(!e.url.isEmpty() && !e.key.isEmpty() && !keys.contains(e.key));
            keys.insert(e.key);
            check(e.seconds == -1 || e.seconds > 0);
            check(e.title.size() <= 500);
            if (i > 0) {
                const zv::FeedEpisode& before = f.episodes[i - 1];
                check(before.published.isValid() || !e.published.isValid());
                check(!e.published.isValid() || before.published >= e.published);
            }
        }
    }

    // A date read is a moment that reads back the same written as RFC 3339.
    const QByteArrayView head = QByteArrayView(body).first(std::min<qsizetype>(body.size(), 80));
    if (const std::optional<qint64> ms = zv::ParseFeedDate(head)) {
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(*ms, Qt::UTC);
        if (t.date().year() >= 1000 && t.date().year() <= 9999)
            check(zv::ParseFeedDate(t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")).toLatin1()) == ms);
    }
    const int seconds = zv::ParseFeedDuration(head);
    check(seconds == -1 || (seconds > 0 && seconds <= 1000 * 3600));
    return 0;
}
