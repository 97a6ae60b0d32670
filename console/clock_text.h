// The status bar clock: " dd/mm/yyyy            hh:nn:ss", where "/" is the
// locale's date separator and ":" its time separator.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace talveno::console {

struct ClockSeparators {
    QChar date = QLatin1Char('/');
    QChar time = QLatin1Char(':');
};

// The separators the locale's short formats use.
[[nodiscard]] ClockSeparators SeparatorsOf(const QLocale& locale);

[[nodiscard]] QString ClockText(const QDateTime& when, ClockSeparators separators);

}  // namespace talveno::console
