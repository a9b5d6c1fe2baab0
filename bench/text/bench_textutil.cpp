// Each text helper on 10 MB: a feed-like text (markup, references, accented
// UTF-8 pairs) and, for the entity decoder, a text made only of references.
// Then the feed and bouquet readers on real shapes, at 1 and 10 MB (or 10,000
// and 100,000 entries), to see that they stay linear.
#include "portal/canaux.h"
#include "portal/cp1252.h"
#include "portal/podcast.h"
#include "portal/textutil.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype tenMegabytes = 10 * 1024 * 1024;

QByteArray feedText()
{
    const QList<QByteArray> pieces = {
        "<item><title>Le journal de 20h</title>",
        " &eacute;t&eacute; ",
        "&amp;",
        "&#233;",
        "&#xe9;",
        "caf\xC3\xA9 cr\xC3\xA8me ",
        "Les infos du jour, ",
        "&lt;b&gt;",
        "&quot;Mus&eacute;e&quot; ",
        "http://podcast.example/episode.mp3?id=12&amp;f=1",
        "\xC3\x80 la une ",
        "&#38;lt;",
        "\n",
    };
    QRandomGenerator rng(1);
    QByteArray text;
    text.reserve(tenMegabytes + 128);
    while (text.size() < tenMegabytes)
        text += pieces[rng.bounded(int(pieces.size()))];
    text.truncate(tenMegabytes);
    return text;
}

const QByteArray& feed()
{
    static const QByteArray text = feedText();
    return text;
}

// Runs helper on the whole input at each turn; the throughput counts its bytes
// (its characters for a QString).
template <class Text, class F> void run(benchmark::State& state, const Text& input, F helper)
{
    for (auto _ : state) {
        auto out = helper(input);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * input.size());
}

// The entity decoder's hardest text: references only, some nested.
const QByteArray& referencesOnly()
{
    static const QByteArray text = QByteArray("&amp;lt;&#233;&eacute;&#6&#48;;").repeated(tenMegabytes / 32);
    return text;
}

// The UTF-8 fixer's hardest text: nothing but pairs to mend.
const QByteArray& pairsOnly()
{
    static const QByteArray text = QByteArray("\xC3\xA9\xC3\x83\xC3\xA8").repeated(tenMegabytes / 6);
    return text;
}

// A helper on one of the texts above, made on first use.
template <class F> void BM_Text(benchmark::State& state, const QByteArray& (*text)(), F helper)
{
    run(state, text(), helper);
}

void BM_ColorToHtml(benchmark::State& state)
{
    // 10 MB worth of colours, three bytes each.
    const QByteArray& bytes = feed();
    for (auto _ : state) {
        for (qsizetype i = 0; i + 3 <= bytes.size(); i += 3) {
            auto out = ColorToHtml(QColor(uchar(bytes[i]), uchar(bytes[i + 1]), uchar(bytes[i + 2])));
            benchmark::DoNotOptimize(out);
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * (bytes.size() / 3 * 3));
}

void BM_ToCp1252(benchmark::State& state)
{
    static const QString text = zv::fromCp1252(feed());
    run(state, text, [](const QString& t) { return zv::toCp1252(t); });
}

// A generated UTF-8 feed: CDATA titles, indented addresses, HTML descriptions.
QByteArray podcastFeed(qsizetype size)
{
    QByteArray body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n<channel>\n"
                      "<image>\n  <url>\n    https://pics.example/cover.jpg\n  </url>\n</image>\n";
    body.reserve(size + 1024);
    for (int i = 0; body.size() < size; ++i)
        body += "<item>\n  <title>\n    <![CDATA[L\xe2\x80\x99\xc3\xa9pisode " + QByteArray::number(i)
            + " \xe2\x80\x93 \xc5\x93uvres &amp; co]]>\n  </title>\n  <description><![CDATA[<p>Un "
              "<b>r\xc3\xa9sum\xc3\xa9</b> du jour.</p>]]></description>\n  <enclosure url=\"\n "
              "https://media.example/ep"
            + QByteArray::number(i) + ".mp3 \" length=\"1\" type=\"audio/mpeg\"/>\n</item>\n";
    return body + "</channel>\n</rss>\n";
}

void BM_ParsePodcastFeed(benchmark::State& state)
{
    run(state, podcastFeed(state.range(0) << 20),
        [](const QByteArray& b) { return zv::ParsePodcastFeed(b); });
}

// An operator's bouquet: each radio with an option line, CR LF.
void BM_ParseM3uBouquet(benchmark::State& state)
{
    QByteArray body = "\xEF\xBB\xBF#EXTM3U\r\n";
    for (int i = 0; i < state.range(0); ++i)
        body += "#EXTINF:0," + QByteArray::number(i) + " - Radio\r\n#EXTVLCOPT:no-video\r\n"
            + "rtsp://mafreebox.freebox.fr/fbxtv_pub/stream?namespace=1&service=" + QByteArray::number(i)
            + "\r\n";
    for (auto _ : state) {
        auto out = zv::ParseM3uBouquet(body);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * state.range(0));
}

} // namespace

BENCHMARK_CAPTURE(BM_Text, DecodeEntities, feed, DecodeEntities)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Text, DecodeEntitiesDense, referencesOnly, DecodeEntities)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Text, UrlEncode, feed, UrlEncode)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Text, FixUtf8Latin1, feed, FixUtf8Latin1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Text, FixUtf8Latin1Dense, pairsOnly, FixUtf8Latin1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorToHtml)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Text, FromCp1252, feed, zv::fromCp1252)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToCp1252)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Text, Utf8ToCp1252, feed, zv::utf8ToCp1252)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParsePodcastFeed)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseM3uBouquet)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
