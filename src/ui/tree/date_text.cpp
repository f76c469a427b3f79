#include "date_text.h"

#include <QRegularExpression>

namespace tavrino {
namespace {

int fullYear(const QString& digits) {
    const int y = digits.toInt();
    if (digits.size() > 2) return y;
    return y < 30 ? 2000 + y : 1900 + y;
}

std::optional<QDate> valid(int y, int m, int d) {
    const QDate date(y, m, d);
    if (!date.isValid()) return std::nullopt;
    return date;
}

} // namespace

std::optional<QDate> parseDateText(const QString& input, const QDate& today) {
    const QString text = input.trimmed();
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    if (const auto m = iso.match(text); m.hasMatch())
        return valid(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());

    static const QRegularExpression numeric(QStringLiteral("^(\\d{1,4})[/.-](\\d{1,4})(?:[/.-](\\d{1,4}))?$"));
    const auto m = numeric.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const QString a = m.captured(1);
    const QString b = m.captured(2);
    const QString c = m.captured(3);
    if (!c.isEmpty()) {
        if (a.size() > 2 || b.size() > 2 || c.size() == 3) return std::nullopt;
        return valid(fullYear(c), b.toInt(), a.toInt());
    }
    // Two parts: month/year when the second can only be a year, else day/month.
    if (b.size() == 4 && a.size() <= 2) return valid(b.toInt(), a.toInt(), 1);
    if (a.size() > 2 || b.size() > 2) return std::nullopt;
    if (auto dm = valid(today.year(), b.toInt(), a.toInt())) return dm;
    return valid(fullYear(b), a.toInt(), 1);
}

std::optional<QDate> expiryDate(const QString& expiryText, const QDate& today) {
    const QString trimmed = expiryText.trimmed();
    if (trimmed.isEmpty() || !parseDateText(expiryText, today)) return std::nullopt;
    if (expiryText.size() == 5 && expiryText[2] == QLatin1Char('/'))
        return parseDateText(QStringLiteral("01/") + expiryText, today);
    return parseDateText(expiryText, today);
}

} // namespace tavrino
