#pragma once
// Which player control plays a stream, decided from its URL alone: an engine
// prefix ("vlc:", "ra:", "wmp:") wins over the file extension. No widgets here.
#include <QString>

enum class EngineKind { WindowsMedia, RealPlayer, Vlc };

struct EngineChoice {
    EngineKind engine = EngineKind::WindowsMedia;
    QString url; // the URL with its engine prefixes removed
};

// How much of the text after an engine prefix is kept: the portal's lists
// are cut as they always were; the user's own lists give addresses of
// thousands of characters (signed tokens) that play only whole.
enum class AddressLength { PortalCut, Whole };

// The extensions are compared as case-sensitive substrings of the whole URL;
// the RealPlayer list is examined after the VLC one, so it wins on a tie.
EngineChoice ChooseEngine(const QString& url, AddressLength length = AddressLength::PortalCut);

// Name of the engine as shown to the user ("Windows Media Player", ...).
QString EngineName(EngineKind kind);
