#include "vault_layout.h"

#include "ui/desktop/flat_button.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace tavrino::vaultlayout {

QRect twips(int left, int top, int width, int height) {
    constexpr int Twips = 15;
    return {left / Twips, top / Twips, width / Twips, height / Twips};
}

void paintAsPanel(QFrame* frame) {
    frame->setFrameShape(QFrame::NoFrame);
    frame->setMouseTracking(true);
    QPalette pal = frame->palette();
    pal.setColor(QPalette::Window, QColor(0xf2, 0xf4, 0xfa));
    frame->setPalette(pal);
    frame->setAutoFillBackground(true);
}

QFrame* panel(QWidget* parent, const QString& name, const QRect& place) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setGeometry(place);
    paintAsPanel(frame);
    return frame;
}

QLabel* caption(QWidget* parent, const QString& text, int x, int y, int width) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 15);
    return label;
}

QLineEdit* box(QWidget* parent, QLabel* caption, int x, int y, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(x, y, width, 22);
    if (caption) caption->setBuddy(edit);
    edit->setAccessibleName(caption ? caption->text() : QString());
    return edit;
}

FlatButton* barButton(QWidget* bar, int slot, const QString& tip) {
    auto* button = new FlatButton(bar);
    button->setGeometry(5 + slot * 66, 10, 60, 26);
    button->setToolTip(tip);
    return button;
}

} // namespace tavrino::vaultlayout
