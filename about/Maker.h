#pragma once
// The maker's addresses and the product lines, kept in one place.
#include <QString>

namespace about::maker {

inline const QString webSite = QStringLiteral("https://www.orbane-logiciels.fr");
inline const QString donationPage = webSite + QStringLiteral("/Don/Don.htm");
inline const QString eMail = QStringLiteral("lumo-razazu@orbane-logiciels.fr");
inline const QString copyright = QStringLiteral("Copyright © 2026 Orbane Logiciels");
inline const QString authorCopyright = QStringLiteral("© 2026 Orbane Logiciels - Tous droits réservés");

} // namespace about::maker
