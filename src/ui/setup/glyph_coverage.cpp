#include "glyph_coverage.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>

namespace tavrino {

namespace {
// Nothing to draw: the check would find no glyph, yet nothing is lost.
bool needsNoGlyph(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return QChar::isSpace(c) || category == QChar::Other_Control ||
           category == QChar::Other_Format;
}
} // namespace

bool GlyphCoverage::canDraw(char32_t c) {
    if (needsNoGlyph(c)) return true;
    const auto known = m_known.constFind(c);
    if (known != m_known.constEnd()) return *known;
    if (m_families.isEmpty()) m_families = QFontDatabase::families();
    bool found = false;
    for (const QString& family : std::as_const(m_families)) {
        if (QFontMetrics(QFont(family)).inFontUcs4(c)) {
            found = true;
            break;
        }
    }
    m_known.insert(c, found);
    return found;
}

QString placeholderOf(char32_t c) {
    return QStringLiteral("<U+%1>").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
}

QString withPlaceholders(const QString& text, const CanDraw& canDraw) {
    QString out;
    out.reserve(text.size());
    for (char32_t c : text.toUcs4()) {
        if (canDraw(c))
            out += QString::fromUcs4(&c, 1);
        else
            out += placeholderOf(c);
    }
    return out;
}

QList<char32_t> undrawableCharacters(const QStringList& texts, const CanDraw& canDraw) {
    QList<char32_t> found;
    for (const QString& text : texts)
        for (char32_t c : text.toUcs4())
            if (!canDraw(c) && !found.contains(c)) found.append(c);
    return found;
}

} // namespace tavrino
