#pragma once
// TConfig: the settings file config.ini. Nothing is cached: every read loads the
// file and every write replaces it at once. Texts are Windows-1252 bytes, kept
// as they are.
#include <QByteArray>
#include <QString>
#include <vector>

struct Favorite {
    QByteArray title;
    QByteArray url;
    bool operator==(const Favorite&) const = default;
};

// A channel of "Mes chaînes": what plays it as it played in its list, and
// what finds it there again when the provider renames or reorders its
// channels (address, then tvg-id, then name).
struct FavoriteChannel {
    QString title;
    QString url; // whole, engine prefix included
    QString tvgId;
    QString logo;
    QString origin; // the list it was added from, as the window names it
    bool operator==(const FavoriteChannel&) const = default;
};

// Where config.ini lives: beside the program when that folder takes it (a build
// tree, a portable copy); otherwise, and always for an installed program (one
// whose prefix holds share/zevalo), $XDG_CONFIG_HOME/zevalo-multimedia/config.ini,
// ~/.config when that variable is unset or relative. The folder is made on the
// first write.
QString SettingsFilePath();
QString SettingsFilePathFor(const QString& programDir);
// $XDG_CONFIG_HOME, or ~/.config.
QString UserConfigFolder();
// When the settings now live at path but no file is there yet, and an older
// config.ini stands at oldPath (beside a copy of the program that was since
// installed, or whose folder became read-only), that file's settings are taken
// over once, whole. oldPath is never changed. Errors are swallowed.
void TakeOverSettings(const QString& oldPath, const QString& path);

class TConfig {
public:
    TConfig(); // SettingsFilePath()
    explicit TConfig(QString path);

    const QString& path() const { return path_; }

    // Reads never fail: a missing, unreadable or damaged file gives the defaults.
    // Writes throw zv::Error when the file cannot be replaced; it is then unchanged.
    int GetTheme() const;
    void SetTheme(int theme);
    bool GetSexoflux() const;
    void SetSexoflux(bool shown);
    int GetFavoriteCount() const;
    // 0 first erases the whole favourites section.
    void SetFavoriteCount(int count);
    QByteArray GetFavoriteTitle(int n) const;
    void SetFavoriteTitle(int n, const QByteArray& title);
    QByteArray GetFavoriteUrl(int n) const;
    void SetFavoriteUrl(int n, const QByteArray& url);

    // The whole favourites list in one read, entries 1 to Nombre.
    std::vector<Favorite> ReadFavorites() const;
    // The favourites section replaced in one write: a crash never leaves half a list.
    void WriteFavorites(const std::vector<Favorite>& favorites);

    // "Mes chaînes", in their section of their own (CHAINES), written as
    // UTF-8; a value that is not UTF-8 is read as Windows-1252.
    std::vector<FavoriteChannel> ReadFavoriteChannels() const;
    void WriteFavoriteChannels(const std::vector<FavoriteChannel>& channels);

private:
    QString path_;
};

// The favourites of "Mes MP3". Errors are swallowed: loading keeps what it read,
// saving leaves the file as it was.
std::vector<Favorite> LoadFavorites(TConfig& config);
std::vector<Favorite> LoadFavorites();
void SaveFavorites(TConfig& config, const std::vector<Favorite>& favorites);
void SaveFavorites(const std::vector<Favorite>& favorites);

// "Mes chaînes", errors swallowed as for the favourites.
std::vector<FavoriteChannel> LoadFavoriteChannels(TConfig& config);
void SaveFavoriteChannels(TConfig& config, const std::vector<FavoriteChannel>& channels);
