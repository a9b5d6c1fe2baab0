#include "ui/player/playererror.h"

#include <QStringList>
#include <vector>

namespace {

struct Cause {
    const char* text; // French, for the user
    std::vector<const char*> clues; // lower case, matched as substrings
};

// In order: a detail may hold the clues of several causes ("could not connect
// to the audio device", "connection timed out"); the first cause listed wins.
const std::vector<Cause>& causes()
{
    static const std::vector<Cause> table = {
        {"Aucune sortie audio disponible.",
            {"audio output", "audio device", "audio sink", "sound device", "sound card", "aout"}},
        {"Le serveur ne répond pas (délai dépassé).",
            {"timed out", "timeout", "time-out", "time out", "took too long"}},
        {"Serveur injoignable.",
            {"connection refused", "could not resolve", "cannot resolve", "failed to resolve",
                "name or service not known", "host not found", "unknown host", "no route to host",
                "network is unreachable", "could not connect", "cannot connect", "failed to connect",
                "unable to connect", "could not establish connection"}},
        {"Accès au média refusé.",
            {"forbidden", "unauthorized", "permission denied", "access denied", "(403)", "http 403",
                "error 403", "403 error", "(401)", "http 401", "error 401", "401 error"}},
        {"Média introuvable.",
            {"not found", "no such file", "does not exist", "doesn't exist", "could not open resource",
                "could not open file", "cannot open file", "no such resource", "(404)", "http 404",
                "error 404", "404 error", "410 gone"}},
        {"Le média ne contient rien à lire.",
            {"no audio or video data", "no video or audio", "no streams", "empty file", "file is empty"}},
        {"Format de média non pris en charge.",
            {"missing a plug-in", "missing plug-in", "decoder", "codec", "not supported", "unsupported",
                "unrecognized", "unrecognised", "determine type", "unknown format", "failed to recognize",
                "unidentified", "demux", "not negotiated", "text file", "invalid data", "could not decode",
                "file format", "stream format", "media format", "invalid media"}},
    };
    return table;
}

// Details that only say that something failed somewhere.
const char* const kVague[] = {"internal data stream error", "streaming stopped", "loading failed",
    "module not functional", "error while loading", "enough data", "can't typefind"};

bool vague(const QString& lower)
{
    for (const char* v : kVague) {
        if (lower.contains(QLatin1String(v)))
            return true;
    }
    return false;
}

// A detail shown as it stands: one line, no closing stops, not a page long.
QString shortDetail(const QString& line)
{
    QString text = line.simplified();
    while (text.endsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char(':')))
        text.chop(1);
    constexpr int kMax = 160;
    if (text.size() > kMax)
        text = text.left(kMax - 1).trimmed() + QChar(0x2026);
    return text;
}

} // namespace

QString PlayerErrorText(const QString& detail)
{
    const QStringList lines = detail.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QString lower = line.toLower();
        for (const Cause& cause : causes()) {
            for (const char* clue : cause.clues) {
                if (lower.contains(QLatin1String(clue)))
                    return QString::fromUtf8(cause.text);
            }
        }
    }
    for (const QString& line : lines) {
        const QString text = shortDetail(line);
        if (!text.isEmpty() && !vague(text.toLower()))
            return QStringLiteral("Impossible de lire le média : %1.").arg(text);
    }
    return QStringLiteral("Impossible de lire le média.");
}

QString PlayerNoSoundText()
{
    return QStringLiteral("Lecture sans son : aucune sortie audio disponible.");
}
