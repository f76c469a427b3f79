#pragma once

#include <QString>

namespace tavrino {

// Text from outside (a file name anyone who may write the folder chose)
// shown so that it is what it says: control characters (line breaks, tabs,
// terminal escapes, line separators) written as escapes, never acted on.
QString visibleText(const QString& text);

// A character that would not show as itself in a list or a terminal: C0 and
// C1 controls, DEL, the line and paragraph separators.
bool isControlCharacter(QChar c);

// A word to paste into a POSIX shell as it is: in single quotes, a quote
// inside as '\'', control characters as $'\xNN' pieces.
QString shellQuoted(const QString& word);

} // namespace tavrino
