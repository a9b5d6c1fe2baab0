#pragma once
// HTML pages that the portal builds itself (the others are files of the
// content folder). All return UTF-8; the server sends them as Windows-1252.
#include "server/catalogue.h"

#include <QString>

namespace zvs {

QString htmlPage(const QString& title, const QString& body, const QString& style = {});
QString notFoundPage(const QString& what);
QString gameDescriptionPage(const Game& game);
// The page that holds a non-Flash game at w x h on the given colour.
QString gameHolderPage(const Game* game, const QString& gameUrl, const QString& width, const QString& height,
    const QString& colour);
QString podcastPicturePage(const QString& colour, const QString& pictureUrl);
QString contactResultPage(bool stored, const QString& reason);

// "RRGGBB" (a leading '#' allowed) or the fallback.
QString safeColour(const QString& text, const QString& fallback = QStringLiteral("FFFFFF"));
// "100%", "550" or "550px"; anything else gives the fallback.
QString safeLength(const QString& text, const QString& fallback = QStringLiteral("100%"));
// An http(s) address fit to be written into an attribute, or empty.
QString safeHttpUrl(const QString& text);

} // namespace zvs
