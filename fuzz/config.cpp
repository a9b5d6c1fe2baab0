// config.ini from a hostile file: every read gives a value (never a crash, never
// millions of made-up favourites), and a write keeps what it does not touch.
// Input: the file, then after each 0x1F byte a title or an address to save.
#include "app/config.h"

#include "base/errors.h"
#include "fuzz/fuzzing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

using fuzz::check;

namespace {

std::unique_ptr<QTemporaryDir> folder;

// What a saved value reads back as: no line ends or NUL, no blanks around.
QByteArray asStored(QByteArray value)
{
    for (char& c : value) {
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    qsizetype from = 0;
    qsizetype to = value.size();
    while (from < to && (value[from] == ' ' || value[from] == '\t'))
        ++from;
    while (to > from && (value[to - 1] == ' ' || value[to - 1] == '\t'))
        --to;
    return value.mid(from, to - from);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Every run writes the file and syncs it: memory-backed when possible.
    const QString shm = QStringLiteral("/dev/shm");
    folder = std::make_unique<QTemporaryDir>(
        QFileInfo(shm).isWritable() ? shm + QStringLiteral("/zv-fuzz-config-XXXXXX") : QString());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> parts = fuzz::bytes(data, size).split('\x1f');
    const QString path = folder->filePath(QStringLiteral("config.ini"));
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(parts[0]);
    }
    TConfig config(path);
    const int theme = config.GetTheme();
    const bool adult = config.GetSexoflux();
    const int count = config.GetFavoriteCount();
    const std::vector<Favorite> read = config.ReadFavorites();
    check(qsizetype(read.size()) <= std::max(count, 0));
    check(qsizetype(read.size()) <= parts[0].count('\n') + parts[0].count('\r') + 1 + 10000);
    if (read.size() <= 100) { // thousands of made-up entries are read slowly: once is enough
        for (int n = 1; n <= std::min(int(read.size()), 3); ++n) {
            check(config.GetFavoriteTitle(n) == read[size_t(n - 1)].title);
            check(config.GetFavoriteUrl(n) == read[size_t(n - 1)].url);
        }
        check(LoadFavorites(config) == read);
    }

    std::vector<Favorite> saved;
    for (qsizetype i = 1; i + 1 < parts.size() && saved.size() < 20; i += 2)
        saved.push_back({parts[i], parts[i + 1]});
    try {
        config.WriteFavorites(saved);
    } catch (const zv::Error&) {
        return 0; // a file that cannot be read as settings is not replaced
    }
    std::vector<Favorite> expected;
    for (const Favorite& f : saved)
        expected.push_back({asStored(f.title), asStored(f.url)});
    check(config.ReadFavorites() == expected);
    check(config.GetFavoriteCount() == int(saved.size()));
    check(config.GetTheme() == theme && config.GetSexoflux() == adult);

    // "Mes chaînes" sit beside the favourites and never touch them.
    const std::vector<FavoriteChannel> channels = config.ReadFavoriteChannels();
    check(channels.size() <= size_t(parts[0].count('\n') + parts[0].count('\r') + 1 + 10000));
    std::vector<FavoriteChannel> newChannels;
    for (const Favorite& f : saved)
        if (const QString url = QString::fromUtf8(asStored(f.url)); !url.isEmpty())
            newChannels.push_back({QString::fromUtf8(asStored(f.title)), url, {}, {}, {}});
    config.WriteFavoriteChannels(newChannels);
    const std::vector<FavoriteChannel> channelsRead = config.ReadFavoriteChannels();
    check(channelsRead.size() == newChannels.size());
    check(config.ReadFavorites() == expected);

    const int newTheme = size > 0 ? data[size - 1] % 7 - 1 : 0;
    config.SetTheme(newTheme);
    check(config.GetTheme() == newTheme && config.GetSexoflux() == adult);
    check(config.ReadFavorites() == expected);
    check(config.ReadFavoriteChannels() == channelsRead);
    return 0;
}
