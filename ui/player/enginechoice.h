#pragma once
// Which player control plays a stream, decided from its URL alone: an engine
// prefix ("vlc:", "ra:", "wmp:") wins over the file extension. No widgets here.
#include <QString>

enum class EngineKind { WindowsMedia, RealPlayer, Vlc };

struct EngineChoice {
    EngineKind engine = EngineKind::WindowsMedia;
    QString url; // the URL with its engine prefixes removed
};

// The extensions are compared as case-sensitive substrings of the whole URL;
// the RealPlayer list is examined after the VLC one, so it wins on a tie.
EngineChoice ChooseEngine(const QString& url);

// Name of the engine as shown to the user ("Windows Media Player", ...).
QString EngineName(EngineKind kind);
