#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace tavrino {

// Whether any installed font can draw a character: what Qt's font fallback
// can reach on screen and on paper. The answer is kept per character.
class GlyphCoverage {
public:
    bool canDraw(char32_t character);

private:
    QStringList m_families;
    QHash<char32_t, bool> m_known;
};

using CanDraw = std::function<bool(char32_t)>;

// The text with each character that can not be drawn as "<U+XXXX>", so a
// printout never drops a character silently. Blanks and control characters
// are left as they are.
QString withPlaceholders(const QString& text, const CanDraw& canDraw);

// The characters of the texts that can not be drawn, each once, in order.
QList<char32_t> undrawableCharacters(const QStringList& texts, const CanDraw& canDraw);

QString placeholderOf(char32_t character);

} // namespace tavrino
