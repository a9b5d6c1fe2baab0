#pragma once
// HTML pages that the portal builds itself (the others are files of the
// content folder). All return UTF-8; the server sends them as Windows-1252.
#include "server/catalogue.h"

#include <QString>
#include <functional>

namespace zvs {

// A page of the content folder that begins with "{{modele:}} NAME" is poured
// into the layout NAME: its slots, "{{name:}} value" lines or a "{{name:}}"
// line followed by the lines of a block, fill the {{name}} places of the
// layout (a place alone on its line goes with the line when its slot is empty),
// and the layout may itself begin with "{{modele:}}". Any other text is
// returned as it is; {{BASE}} is always left for the server. `layout` gives
// the text of a layout by name.
QString renderPage(const QString& text, const std::function<QString(const QString& name)>& layout);

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
