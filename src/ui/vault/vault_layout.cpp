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

QPalette cardPalette() {
    // Dark text on the light card whatever the desktop's theme: the card is
    // a picture, and a dark theme's light text would vanish on it.
    const QColor card(0xf2, 0xf4, 0xfa);
    QPalette pal(QColor(0xe4, 0xe8, 0xf1), card);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::WindowText, QColor(0x1a, 0x1f, 0x2b));
        pal.setColor(group, QPalette::Text, QColor(0x1a, 0x1f, 0x2b));
        pal.setColor(group, QPalette::ButtonText, QColor(0x1a, 0x1f, 0x2b));
        pal.setColor(group, QPalette::Base, Qt::white);
        pal.setColor(group, QPalette::AlternateBase, card);
        pal.setColor(group, QPalette::Highlight, QColor(0x2f, 0x5c, 0xb8));
        pal.setColor(group, QPalette::HighlightedText, Qt::white);
        pal.setColor(group, QPalette::PlaceholderText, QColor(0x5f, 0x66, 0x73));
        pal.setColor(group, QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
        pal.setColor(group, QPalette::ToolTipText, Qt::black);
        pal.setColor(group, QPalette::Link, QColor(0x1f, 0x4f, 0xa8));
    }
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x6a, 0x70, 0x7c));
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(0x6a, 0x70, 0x7c));
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x6a, 0x70, 0x7c));
    pal.setColor(QPalette::Disabled, QPalette::Base, card);
    return pal;
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
