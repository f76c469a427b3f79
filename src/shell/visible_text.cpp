#include "visible_text.h"

namespace tavrino {
namespace {
// Beyond 0xff: "\\u" before four digits where a shell's $'' reads it.
QString escapeOf(char16_t u, bool forShell) {
    if (u == '\r') return QStringLiteral("\\r");
    if (u == '\n') return QStringLiteral("\\n");
    if (u == '\t') return QStringLiteral("\\t");
    if (u > 0xff)
        return (forShell ? QStringLiteral("\\u%1") : QStringLiteral("\\x%1")).arg(u, 4, 16, QLatin1Char('0'));
    return QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
}
} // namespace

bool isControlCharacter(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u < 0xa0) || u == 0x2028 || u == 0x2029;
}

QString visibleText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        out += isControlCharacter(c) ? escapeOf(c.unicode(), false) : QString(c);
    return out;
}

QString shellQuoted(const QString& word) {
    QString out = QStringLiteral("'");
    for (QChar c : word) {
        if (c == QLatin1Char('\''))
            out += QStringLiteral("'\\''");
        else if (isControlCharacter(c))
            out += QStringLiteral("'$'") + escapeOf(c.unicode(), true) + QStringLiteral("''");
        else
            out += c;
    }
    return out + QLatin1Char('\'');
}

} // namespace tavrino
