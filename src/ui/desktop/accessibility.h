#pragma once

#include <QAccessible>
#include <QStringList>

class QPainter;
class QWidget;

namespace tavrino {

// The program draws some of its commands itself (flat buttons, pictures,
// the popup's links). Made pressable, such a control takes focus by Tab,
// and screen readers see it in the given role with a press action, which
// calls the control's click() slot.
void makePressable(QWidget* control, QAccessible::Role role = QAccessible::Button);

// The keys that press the control from anywhere in its window, told to
// screen readers with its press action.
void setPressKeys(QWidget* control, const QStringList& keys);

// What screen readers see of the container: only the children that show,
// so panels hidden beneath others are out of reach, as they are out of the
// Tab order; role is the container's own (a window, a panel).
void showOnlyShownChildren(QWidget* container, QAccessible::Role role);

// Whether a key press is one that presses a focused button (Space, Enter).
bool isPressKey(int key);

// The dotted focus frame a pressable control draws when it has the focus.
void drawFocusFrame(QPainter& painter, const QWidget* control, qreal radius = 0);

} // namespace tavrino
