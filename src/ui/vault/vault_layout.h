#pragma once

#include <QPalette>

#include <QRect>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QWidget;

namespace tavrino {

class FlatButton;

// The building blocks every panel of the vault window is laid out with:
// places measured on the window's picture, captions over boxes.
namespace vaultlayout {

// The colours of everything drawn on the vault's light card, the same in
// light and dark desktop themes.
QPalette cardPalette();

// A place given in twips (15 to the pixel), as the picture was measured.
QRect twips(int left, int top, int width, int height);

// An opaque panel in the colour of the picture's panel: overlapping panels
// hide the ones beneath them.
QFrame* panel(QWidget* parent, const QString& name, const QRect& place);
void paintAsPanel(QFrame* frame);

QLabel* caption(QWidget* parent, const QString& text, int x, int y, int width = 250);

// A one-line box; its caption (when there is one) names it for screen readers.
QLineEdit* box(QWidget* parent, QLabel* caption, int x, int y, int width);

// A flat button in one of a bar's four slots.
FlatButton* barButton(QWidget* bar, int slot, const QString& tip);

} // namespace vaultlayout
} // namespace tavrino
