#include "ui/player/enginechoice.h"

#include <array>

namespace {

constexpr std::array kRealPlayerExtensions{
    ".ra", ".rm", ".rmb", ".rv", ".smi", ".smil", ".ssm", ".sdp", ".aif", ".amr", ".awb"};
constexpr std::array kVlcExtensions{".flv", ".mp4"};

// What follows a prefix is kept to at most this many characters.
constexpr int kMaxPrefixedLength = 1000;

bool stripPrefix(QString& url, QLatin1StringView prefix, AddressLength length)
{
    if (!url.startsWith(prefix, Qt::CaseSensitive))
        return false;
    url = url.mid(prefix.size(), length == AddressLength::Whole ? -1 : kMaxPrefixedLength);
    return true;
}

} // namespace

EngineChoice ChooseEngine(const QString& url, AddressLength length)
{
    EngineChoice choice{EngineKind::WindowsMedia, url};
    for (const char* ext : kVlcExtensions)
        if (url.contains(QLatin1StringView(ext), Qt::CaseSensitive))
            choice.engine = EngineKind::Vlc;
    for (const char* ext : kRealPlayerExtensions)
        if (url.contains(QLatin1StringView(ext), Qt::CaseSensitive))
            choice.engine = EngineKind::RealPlayer;

    // In sequence, each on what the previous one left.
    if (stripPrefix(choice.url, QLatin1StringView("vlc:"), length))
        choice.engine = EngineKind::Vlc;
    if (stripPrefix(choice.url, QLatin1StringView("ra:"), length))
        choice.engine = EngineKind::RealPlayer;
    if (stripPrefix(choice.url, QLatin1StringView("wmp:"), length))
        choice.engine = EngineKind::WindowsMedia;
    return choice;
}

QString EngineName(EngineKind kind)
{
    switch (kind) {
    case EngineKind::WindowsMedia: return QStringLiteral("Windows Media Player");
    case EngineKind::RealPlayer: return QStringLiteral("RealPlayer");
    case EngineKind::Vlc: return QStringLiteral("VLC");
    }
    return {};
}
