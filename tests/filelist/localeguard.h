#pragma once

#include <QLocale>
#include <QScopeGuard>

// The locale the column texts are checked in.
inline const QLocale UnitedStates(QLocale::English, QLocale::UnitedStates);

// Switches the default locale for one test and puts the old one back.
[[nodiscard]] inline auto useLocale(const QLocale &locale)
{
    const QLocale previous;
    QLocale::setDefault(locale);
    return qScopeGuard([previous] { QLocale::setDefault(previous); });
}
