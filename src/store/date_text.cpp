#include "date_text.h"

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

namespace {

// Up to three runs of digits split by one of "/", "." or "-" (and nothing
// else), as written; false for anything else. Hand-written: the tree reads
// an expiry date for every record on every rebuild.
struct DateParts {
    QStringView part[3];
    int count = 0;
    QChar separator;
};

bool splitDate(QStringView text, DateParts& out) {
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        const QChar c = end ? QChar() : text[i];
        if (!end && c >= QLatin1Char('0') && c <= QLatin1Char('9')) continue;
        if (!end && c != QLatin1Char('/') && c != QLatin1Char('.') && c != QLatin1Char('-'))
            return false;
        if (i == start || i - start > 4 || out.count == 3) return false;
        if (!end) {
            if (out.count > 0 && c != out.separator) return false;
            out.separator = c;
        }
        out.part[out.count++] = text.mid(start, i - start);
        start = i + 1;
    }
    return out.count >= 2;
}

} // namespace

std::optional<QDate> parseDateText(const QString& input, const QDate& today) {
    const QStringView text = QStringView(input).trimmed();
    DateParts d;
    if (!splitDate(text, d)) return std::nullopt;
    const QStringView a = d.part[0];
    const QStringView b = d.part[1];
    if (d.count == 3) {
        const QStringView c = d.part[2];
        if (a.size() == 4 && d.separator == QLatin1Char('-'))
            return valid(a.toInt(), b.toInt(), c.toInt());
        if (a.size() > 2 || b.size() > 2 || c.size() == 3) return std::nullopt;
        return valid(fullYear(c.toString()), b.toInt(), a.toInt());
    }
    // Two parts: month/year when the second can only be a year, else day/month.
    if (b.size() == 4 && a.size() <= 2) return valid(b.toInt(), a.toInt(), 1);
    if (a.size() > 2 || b.size() > 2) return std::nullopt;
    if (auto dm = valid(today.year(), b.toInt(), a.toInt())) return dm;
    return valid(fullYear(b.toString()), a.toInt(), 1);
}

std::optional<QDate> expiryDate(const QString& expiryText, const QDate& today) {
    const std::optional<QDate> date = parseDateText(expiryText, today);
    if (!date) return std::nullopt;
    if (expiryText.size() == 5 && expiryText[2] == QLatin1Char('/'))
        return valid(fullYear(expiryText.mid(3)), QStringView(expiryText).left(2).toInt(), 1);
    return date;
}

ExpiryState expiryState(const QString& expiryText, const QDate& today) {
    if (expiryText.isEmpty()) return ExpiryState::None;
    const std::optional<QDate> date = expiryDate(expiryText, today);
    if (!date || today.daysTo(*date) > 7) return ExpiryState::None;
    const bool month = expiryText.size() == 5 && expiryText[2] == QLatin1Char('/');
    const QDate lastValid = month ? date->addMonths(1).addDays(-1) : *date;
    return today > lastValid ? ExpiryState::Expired : ExpiryState::Expiring;
}

} // namespace tavrino
