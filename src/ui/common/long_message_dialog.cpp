#include "long_message_dialog.h"

#include "ui/common/message_buttons.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tavrino {

bool LongMessageDialog::isLong(const QString& text) {
    constexpr int Lines = 15;
    return text.count(QLatin1Char('\n')) >= Lines;
}

LongMessageDialog::LongMessageDialog(const Message& message, QWidget* parent) : QDialog(parent) {
    setWindowTitle(message.title);
    setSizeGripEnabled(true);
    const auto buttons = buttonsOf(message.buttons);
    m_answer = closedAnswer(message.buttons);
    auto* text = new QPlainTextEdit(QString(message.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    text->setReadOnly(true);
    text->setAccessibleName(message.title);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* box = new QDialogButtonBox;
    QPushButton* copy = box->addButton(QStringLiteral("Copy"), QDialogButtonBox::ActionRole);
    copy->setAccessibleName(copy->text());
    copy->setAutoDefault(false); // Enter answers the message, never copies
    connect(copy, &QPushButton::clicked, this,
            [text] { QGuiApplication::clipboard()->setText(text->toPlainText()); });
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QPushButton* b = box->addButton(buttons[i].first);
        if (i < message.buttonTexts.size()) b->setText(message.buttonTexts[i]);
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));
        if (i + 1 == qBound(1, message.defaultButton, int(buttons.size()))) {
            b->setDefault(true);
            b->setFocus();
        }
        const MsgAnswer answer = buttons[i].second;
        connect(b, &QPushButton::clicked, this, [this, answer] {
            m_answer = answer;
            accept();
        });
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(box);
    // As wide as its lines, as tall as it needs, within the screen.
    const QFontMetrics metrics(text->font());
    int widest = 0;
    for (const QString& line : text->toPlainText().split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const int lines = text->document()->blockCount();
    resize(std::min(widest + 60, room.width() * 4 / 5),
           std::min(lines * metrics.lineSpacing() + 100, room.height() * 4 / 5));
}

} // namespace tavrino
