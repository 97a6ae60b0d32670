#include "clock_text.h"

namespace talveno::console {

namespace {

// The first character of a format picture that is neither a field letter nor
// a blank.
QChar FirstSeparator(const QString& picture, QChar fallback) {
    for (const QChar c : picture) {
        if (!c.isLetter() && !c.isSpace()) {
            return c;
        }
    }
    return fallback;
}

}  // namespace

ClockSeparators SeparatorsOf(const QLocale& locale) {
    return {FirstSeparator(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/')),
            FirstSeparator(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'))};
}

QString ClockText(const QDateTime& when, ClockSeparators s) {
    const QDate d = when.date();
    const QTime t = when.time();
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return QStringLiteral(" ") + two(d.day()) + s.date + two(d.month()) + s.date +
           QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0')) +
           QStringLiteral("            ") + two(t.hour()) + s.time + two(t.minute()) + s.time +
           two(t.second());
}

}  // namespace talveno::console
