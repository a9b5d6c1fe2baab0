#include "app/config.h"

#include "app/atomicfile.h"
#include "base/errors.h"
#include "portal/cp1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

// Bytes in, bytes out: config.ini is Windows-1252, never converted.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

const char general[] = "GENERAL";
const char favoris[] = "FAVORIS";
const char chaines[] = "CHAINES";
const char utf8Bom[] = "\xEF\xBB\xBF";

// A config.ini larger than this is not a settings file: reads give the defaults
// and writes refuse to replace it.
constexpr qint64 maxFileSize = 64 * 1024 * 1024;

// However large Nombre is, no more empty entries than this are made up.
constexpr int maxMadeUpFavorites = 10000;

struct Ini {
    CSimpleIniA data{false, false, false}; // bytes as they are, one value per key
    bool bom = false;
    Ini() { data.SetSpaces(false); }
};

// Loads the file. False when it exists but cannot be read as a settings file.
bool load(const QString& path, Ini& ini)
{
    // A link to a file not made yet reads as no file.
    if (!QFileInfo(path).exists())
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxFileSize)
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() > maxFileSize)
        return false;
    ini.bom = bytes.startsWith(utf8Bom);
    return ini.data.LoadData(bytes.constData(), size_t(bytes.size())) >= 0;
}

void save(const QString& path, const Ini& ini)
{
    std::string text;
    if (ini.data.Save(text, ini.bom) < 0)
        throw zv::Error(QStringLiteral("Impossible d'écrire le fichier %1").arg(path));
    // A key written before any section may begin with the bytes of a byte order
    // mark: at the very start of the file they would be read as one and dropped,
    // and the rest of the line could then open a section of its own.
    if (!ini.bom && text.compare(0, 3, utf8Bom) == 0)
        text.insert(0, "\n");
    // The Windows form of the file: lines end in CR LF. A value never holds a line end.
    QByteArray bytes;
    bytes.reserve(qsizetype(text.size() + text.size() / 16));
    for (const char c : text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    // The user's settings folder may not exist yet.
    QDir().mkpath(QFileInfo(path).absolutePath());
    zv::writeFileAtomically(path, bytes);
}

// Loads the file for a change; a file that cannot be read is not overwritten.
std::unique_ptr<Ini> loadForWrite(const QString& path)
{
    auto ini = std::make_unique<Ini>();
    if (!load(path, *ini))
        throw zv::Error(QStringLiteral("Impossible de lire le fichier %1").arg(path));
    return ini;
}

// The format has no room for line ends (nor NUL): they would split the line and
// let a title write keys of its own.
std::string storable(const QByteArray& value)
{
    std::string out(value.constData(), size_t(value.size()));
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    return out;
}

QByteArray readValue(const QString& path, const char* section, const QByteArray& key)
{
    try {
        Ini ini;
        if (!load(path, ini))
            return {};
        return QByteArray(ini.data.GetValue(section, key.constData(), ""));
    } catch (...) {
        return {};
    }
}

// Decimal text, optional sign; anything else (or out of range) is the default.
int toInt(const QByteArray& text, int fallback)
{
    if (text.isEmpty())
        return fallback;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!(c >= '0' && c <= '9') && !(i == 0 && (c == '-' || c == '+') && text.size() > 1))
            return fallback;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : fallback;
}

void writeValue(const QString& path, const char* section, const QByteArray& key, const QByteArray& value)
{
    auto ini = loadForWrite(path);
    if (ini->data.SetValue(section, key.constData(), storable(value).c_str()) < 0)
        throw zv::Error(QStringLiteral("Impossible d'écrire le fichier %1").arg(path));
    save(path, *ini);
}

QByteArray titleKey(int n)
{
    return "Titre" + QByteArray::number(n);
}

QByteArray urlKey(int n)
{
    return "URL" + QByteArray::number(n);
}

bool writableFolder(const QString& dir)
{
    return ::access(QFile::encodeName(dir).constData(), W_OK) == 0;
}

// A folder where config.ini can be replaced, with no folder standing in its
// place. Through a symbolic link the file it points to is replaced, so that
// file's folder must take it.
bool besideUsable(const QString& dir, const QString& file)
{
    if (!writableFolder(dir))
        return false;
    const QFileInfo info(file);
    if (info.isSymLink()) {
        const QFileInfo target(info.symLinkTarget());
        return !target.isDir() && writableFolder(target.absolutePath());
    }
    return !info.isDir();
}

} // namespace

QString SettingsFilePathFor(const QString& programDir)
{
    const QString beside = programDir + QStringLiteral("/config.ini");
    // An installed program never writes into its prefix, even when run by root.
    const bool installed = QFileInfo(programDir + QStringLiteral("/../share/zevalo")).isDir();
    if (!installed && besideUsable(programDir, beside))
        return beside;
    return UserConfigFolder() + QStringLiteral("/zevalo-multimedia/config.ini");
}

QString UserConfigFolder()
{
    // Only an absolute XDG_CONFIG_HOME counts.
    const QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    return !base.isEmpty() && QDir::isAbsolutePath(base) ? base
                                                         : QDir::homePath() + QStringLiteral("/.config");
}

void TakeOverSettings(const QString& oldPath, const QString& path)
{
    const QFileInfo old(oldPath);
    if (QFileInfo(path).exists() || !old.isFile())
        return;
    zv::swallowed([&] {
        // Only what reads as a settings file is taken.
        Ini ini;
        if (!load(oldPath, ini))
            return;
        QFile file(oldPath);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QByteArray bytes = file.readAll();
        QDir().mkpath(QFileInfo(path).absolutePath());
        zv::writeFileAtomically(path, bytes);
    });
}

QString SettingsFilePath()
{
    return SettingsFilePathFor(QCoreApplication::applicationDirPath());
}

TConfig::TConfig()
    : path_(SettingsFilePath())
{
}

TConfig::TConfig(QString path)
    : path_(std::move(path))
{
}

int TConfig::GetTheme() const
{
    return toInt(readValue(path_, general, "Theme"), 2);
}

void TConfig::SetTheme(int theme)
{
    writeValue(path_, general, "Theme", QByteArray::number(theme));
}

bool TConfig::GetSexoflux() const
{
    return toInt(readValue(path_, general, "Sexoflux"), 0) != 0;
}

void TConfig::SetSexoflux(bool shown)
{
    writeValue(path_, general, "Sexoflux", shown ? "1" : "0");
}

int TConfig::GetFavoriteCount() const
{
    return toInt(readValue(path_, favoris, "Nombre"), 0);
}

void TConfig::SetFavoriteCount(int count)
{
    auto ini = loadForWrite(path_);
    if (count == 0)
        ini->data.Delete(favoris, nullptr);
    ini->data.SetValue(favoris, "Nombre", QByteArray::number(count).constData());
    save(path_, *ini);
}

QByteArray TConfig::GetFavoriteTitle(int n) const
{
    return readValue(path_, favoris, titleKey(n));
}

void TConfig::SetFavoriteTitle(int n, const QByteArray& title)
{
    writeValue(path_, favoris, titleKey(n), title);
}

QByteArray TConfig::GetFavoriteUrl(int n) const
{
    return readValue(path_, favoris, urlKey(n));
}

void TConfig::SetFavoriteUrl(int n, const QByteArray& url)
{
    writeValue(path_, favoris, urlKey(n), url);
}

namespace {

// How many numbered entries a section's Nombre announces. A Nombre far beyond
// the entries present (a damaged file) must not make up millions of empty
// ones; nor may one key with a huge number ("Titre2000000000").
int entryCount(const Ini& ini, const char* section, std::initializer_list<QByteArrayView> numbered)
{
    const int count = toInt(ini.data.GetValue(section, "Nombre", ""), 0);
    int highest = 0;
    int present = 0;
    CSimpleIniA::TNamesDepend keys;
    ini.data.GetAllKeys(section, keys);
    for (const auto& key : keys) {
        const QByteArray name(key.pItem);
        const QByteArray lower = name.toLower();
        for (const QByteArrayView prefix : numbered) {
            if (lower.startsWith(prefix)) {
                highest = std::max(highest, toInt(name.mid(prefix.size()), 0));
                ++present;
                break;
            }
        }
    }
    return std::min({count, std::max(highest, maxMadeUpFavorites), present + maxMadeUpFavorites});
}

// Writes a numbered section afresh: its Nombre, then write(n, entry) for each
// entry, n counted from 1.
template <class Entry, class Write>
void writeEntries(Ini& ini, const char* section, const std::vector<Entry>& entries, const Write& write)
{
    ini.data.Delete(section, nullptr);
    ini.data.SetValue(section, "Nombre", QByteArray::number(qsizetype(entries.size())).constData());
    int n = 0;
    for (const Entry& entry : entries)
        write(++n, entry);
}

} // namespace

std::vector<Favorite> TConfig::ReadFavorites() const
{
    std::vector<Favorite> favorites;
    Ini ini;
    if (!load(path_, ini))
        return favorites;
    const int entries = entryCount(ini, favoris, {"titre", "url"});
    for (int n = 1; n <= entries; ++n)
        favorites.push_back({QByteArray(ini.data.GetValue(favoris, titleKey(n).constData(), "")),
            QByteArray(ini.data.GetValue(favoris, urlKey(n).constData(), ""))});
    return favorites;
}

void TConfig::WriteFavorites(const std::vector<Favorite>& favorites)
{
    auto ini = loadForWrite(path_);
    writeEntries(*ini, favoris, favorites, [&](int n, const Favorite& favorite) {
        ini->data.SetValue(favoris, titleKey(n).constData(), storable(favorite.title).c_str());
        ini->data.SetValue(favoris, urlKey(n).constData(), storable(favorite.url).c_str());
    });
    save(path_, *ini);
}

namespace {

const char* const channelKeys[] = {"Titre", "URL", "Id", "Logo", "Liste"};

QByteArray channelKey(int field, int n)
{
    return channelKeys[field] + QByteArray::number(n);
}

// Our own section is written in UTF-8; a hand-edited value may be Windows-1252.
QString channelText(const Ini& ini, const QByteArray& key)
{
    const QByteArray bytes(ini.data.GetValue(chaines, key.constData(), ""));
    // A leading U+FEFF is part of the value, not a byte order mark.
    QStringDecoder utf8(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? zv::fromCp1252(bytes) : text;
}

} // namespace

std::vector<FavoriteChannel> TConfig::ReadFavoriteChannels() const
{
    std::vector<FavoriteChannel> channels;
    Ini ini;
    if (!load(path_, ini))
        return channels;
    const int entries = entryCount(ini, chaines, {"titre", "url", "id", "logo", "liste"});
    for (int n = 1; n <= entries; ++n) {
        FavoriteChannel channel{channelText(ini, channelKey(0, n)), channelText(ini, channelKey(1, n)),
            channelText(ini, channelKey(2, n)), channelText(ini, channelKey(3, n)),
            channelText(ini, channelKey(4, n))};
        // A channel without an address plays nothing.
        if (!channel.url.isEmpty())
            channels.push_back(std::move(channel));
    }
    return channels;
}

void TConfig::WriteFavoriteChannels(const std::vector<FavoriteChannel>& channels)
{
    auto ini = loadForWrite(path_);
    writeEntries(*ini, chaines, channels, [&](int n, const FavoriteChannel& channel) {
        const QString* fields[]
            = {&channel.title, &channel.url, &channel.tvgId, &channel.logo, &channel.origin};
        for (int field = 0; field < int(std::size(fields)); ++field)
            if (field < 2 || !fields[field]->isEmpty())
                ini->data.SetValue(
                    chaines, channelKey(field, n).constData(), storable(fields[field]->toUtf8()).c_str());
    });
    save(path_, *ini);
}

std::vector<Favorite> LoadFavorites(TConfig& config)
{
    std::vector<Favorite> favorites;
    zv::swallowed([&] { favorites = config.ReadFavorites(); });
    return favorites;
}

std::vector<Favorite> LoadFavorites()
{
    TConfig config;
    return LoadFavorites(config);
}

void SaveFavorites(TConfig& config, const std::vector<Favorite>& favorites)
{
    zv::swallowed([&] { config.WriteFavorites(favorites); });
}

void SaveFavorites(const std::vector<Favorite>& favorites)
{
    TConfig config;
    SaveFavorites(config, favorites);
}

std::vector<FavoriteChannel> LoadFavoriteChannels(TConfig& config)
{
    std::vector<FavoriteChannel> channels;
    zv::swallowed([&] { channels = config.ReadFavoriteChannels(); });
    return channels;
}

void SaveFavoriteChannels(TConfig& config, const std::vector<FavoriteChannel>& channels)
{
    zv::swallowed([&] { config.WriteFavoriteChannels(channels); });
}
