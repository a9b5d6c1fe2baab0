#pragma once
// The French status texts of a stream that fails, as the player tests expect
// to read them.
#include <QString>

namespace statustext {
inline const QString format = QStringLiteral("Format de média non pris en charge.");
inline const QString missing = QStringLiteral("Média introuvable.");
inline const QString unreachable = QStringLiteral("Serveur injoignable.");
inline const QString late = QStringLiteral("Le serveur ne répond pas (délai dépassé).");
inline const QString noSound = QStringLiteral("Aucune sortie audio disponible.");
inline const QString empty = QStringLiteral("Le média ne contient rien à lire.");
inline const QString generic = QStringLiteral("Impossible de lire le média.");
} // namespace statustext
