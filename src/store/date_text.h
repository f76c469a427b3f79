#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace tavrino {

// Dates as users type them. Always day first: d/m/yyyy, d/m/yy, d/m (this
// year), m/yyyy and mm/yy (first of the month); "-" and "." separate as
// well as "/", and yyyy-mm-dd is read too. Two-digit years 00-29 are 2000s,
// 30-99 are 1900s.
std::optional<QDate> parseDateText(const QString& text, const QDate& today);

// The date an expiry text stands for: mm/yy (five characters, "/" third) is
// the first of that month; anything else is read as a whole date text.
std::optional<QDate> expiryDate(const QString& expiryText, const QDate& today);

// Where a record's expiry text stands today: due within 7 days of its
// expiry date (the warning's window), or past. A month (mm/yy) is past only
// once the whole month is: a card valid through 12/26 has not expired on
// 10 December 2026.
enum class ExpiryState { None, Expiring, Expired };
ExpiryState expiryState(const QString& expiryText, const QDate& today);

} // namespace tavrino
